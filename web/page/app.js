// The page: a recording chosen or dropped is read by the portable core
// (spulwerk.mjs) as bv7 list reads it; each program read whole is offered as
// a BIN download under the name bv7 gives it.
import createCore from "./spulwerk.mjs";

const core = await createCore();

// Kept for use without a network (and as an app on a phone); not from a file.
if ("serviceWorker" in navigator && location.protocol.startsWith("http")) navigator.serviceWorker.register("sw.js");
const $ = (id) => document.getElementById(id);

function showError(text) {
  $("fehler").textContent = text;
  $("fehler").hidden = false;
  $("ergebnis").hidden = true;
  $("status").textContent = "";
}

function findingItem(line) {
  const item = document.createElement("li");
  item.textContent = line;
  if (line.startsWith("Warnung:")) item.className = "warnung";
  return item;
}

// A download of `bytes` under `name`, with its words ("BIN speichern").
function downloadLink(kind, words, name, bytes, type) {
  const link = document.createElement("a");
  link.className = kind;
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.textContent = words + ": " + name;
  return link;
}

const binLink = (name, image) => downloadLink("bin", "BIN speichern", name, image, "application/octet-stream");

function showRecording(result) {
  $("kopf").textContent = result.heading;
  const list = $("aufnahmen");
  list.replaceChildren();
  for (const record of result.records) {
    const item = document.createElement("li");
    const line = document.createElement("pre");
    line.textContent = record.line;
    item.append(line);
    if (record.findings.length) {
      const findings = document.createElement("ul");
      findings.className = "befunde";
      findings.append(...record.findings.map(findingItem));
      item.append(findings);
    }
    if (record.binName) item.append(binLink(record.binName, record.image));
    list.append(item);
  }
  $("ganz-befunde").replaceChildren(...result.whole.map(findingItem));
  $("ganz").hidden = result.whole.length === 0;
  $("ergebnis").hidden = false;
}

// 16-bit mono WAV of the first channel of decoded sound, for the core's reader.
function wavOf(buffer) {
  const samples = buffer.getChannelData(0), rate = buffer.sampleRate;
  const bytes = new ArrayBuffer(44 + samples.length * 2), view = new DataView(bytes);
  const text = (at, value) => [...value].forEach((c, i) => view.setUint8(at + i, c.charCodeAt(0)));
  text(0, "RIFF"); view.setUint32(4, 36 + samples.length * 2, true); text(8, "WAVEfmt ");
  view.setUint32(16, 16, true); view.setUint16(20, 1, true); view.setUint16(22, 1, true);
  view.setUint32(24, rate, true); view.setUint32(28, rate * 2, true); view.setUint16(32, 2, true);
  view.setUint16(34, 16, true); text(36, "data"); view.setUint32(40, samples.length * 2, true);
  samples.forEach((value, i) => view.setInt16(44 + i * 2, Math.max(-1, Math.min(1, value)) * 32767, true));
  return new Uint8Array(bytes);
}

async function readFile(file) {
  $("fehler").hidden = true;
  $("status").textContent = file.name + " wird gelesen …";
  let bytes = new Uint8Array(await file.arrayBuffer());
  const isWav = bytes.length >= 4 && String.fromCharCode(...bytes.subarray(0, 4)) === "RIFF";
  if (!isWav) {
    try {
      const context = new OfflineAudioContext(1, 1, 44100);
      bytes = wavOf(await context.decodeAudioData(bytes.buffer.slice(0)));
    } catch {
      showError(file.name + ": keine Aufnahme, die der Browser lesen kann");
      return;
    }
  }
  const result = core.readRecording(bytes);
  if (result.error) {
    showError(file.name + ": " + result.error);
    return;
  }
  const count = result.records.length;
  $("status").textContent = file.name + ": " + count + (count === 1 ? " Aufnahme" : " Aufnahmen");
  showRecording(result);
}

// Calls `use` with the file chosen in the file input `id`.
function onChosen(id, use) {
  $(id).addEventListener("change", (event) => {
    if (event.target.files.length) use(event.target.files[0]);
  });
}

onChosen("datei", readFile);
const drop = $("ablage");
drop.addEventListener("dragover", (event) => { event.preventDefault(); drop.classList.add("ueber"); });
drop.addEventListener("dragleave", () => drop.classList.remove("ueber"));
drop.addEventListener("drop", (event) => {
  event.preventDefault();
  drop.classList.remove("ueber");
  if (event.dataTransfer.files.length) readFile(event.dataTransfer.files[0]);
});

// BIN -> WAV: the header from the file's name, the WAV as bv7 bin2wav writes it.
onChosen("bin", async (file) => {
  const result = core.binToWav(file.name, new Uint8Array(await file.arrayBuffer()));
  $("bin-meldungen").replaceChildren(...result.warnings.map(findingItem));
  $("bin-fehler").hidden = !result.error;
  $("bin-fehler").textContent = result.error ? file.name + ": " + result.error : "";
  $("bin-ergebnis").hidden = !!result.error;
  $("bin-ergebnis").replaceChildren(
    ...(result.error ? [] : [downloadLink("wav", "WAV speichern", result.wavName, result.wav, "audio/wav")]));
  toPlay = result.error ? null : result.wav;
  $("spielen").hidden = !toPlay;
  $("restzeit").textContent = "";
  $("fortschritt").value = 0;
});

// Playing to the BV7: the 8-bit WAV the encoder made, at its own 44100 per
// second, and half a second of its idle level behind it, so that nothing the
// output still holds is cut off; "fertig" only after that.
let toPlay = null;
const idleSeconds = 0.5;
$("abspielen").addEventListener("click", async () => {
  if (!toPlay) return;
  // The encoder's 46-byte header; its data size leaves out the pad byte.
  const count = new DataView(toPlay.buffer, toPlay.byteOffset).getUint32(42, true);
  const data = toPlay.subarray(46, 46 + count), rate = 44100;
  const context = new AudioContext({ sampleRate: rate });
  const buffer = context.createBuffer(1, data.length + idleSeconds * rate, rate);
  const channel = buffer.getChannelData(0);
  data.forEach((sample, i) => { channel[i] = (sample - 128) / 128; });
  const source = context.createBufferSource();
  source.buffer = buffer;
  source.connect(context.destination);
  $("abspielen").disabled = true;
  const start = context.currentTime + 0.1, length = buffer.duration;
  source.start(start);
  const tick = () => {
    const played = Math.min(Math.max(context.currentTime - start, 0), length);
    $("fortschritt").value = played / length;
    $("restzeit").textContent = "noch " + Math.ceil(length - played) + " s";
    if (played < length) requestAnimationFrame(tick);
  };
  tick();
  await new Promise((done) => { source.onended = done; });
  await new Promise((done) => setTimeout(done, 500));
  await context.close();
  $("fortschritt").value = 1;
  $("restzeit").textContent = "fertig";
  $("abspielen").disabled = false;
});

// Hex dump and CRC of any file, as bv7 hexdump and bv7 crc show them.
let dumped = null;
function showDump() {
  if (!dumped) return;
  const result = core.hexDump(dumped.name, dumped.bytes, $("dump-ascii").checked);
  $("dump-crc").textContent = "CRC (SDLC): " + result.crc + "  " + dumped.name;
  $("dump-zeilen").textContent = result.lines.join("\n") + "\n";
}
onChosen("dump-datei", async (file) => {
  dumped = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
  showDump();
});
$("dump-ascii").addEventListener("change", showDump);

// The KALO*4 viewer: the numbered listing, and the text file kalov saves.
let source = null;
function showSource() {
  if (!source) return;
  const result = core.kaloListing(source.name, source.bytes, $("kalo-umlaute").checked);
  $("kalo-hinweis").hidden = result.plausible;
  $("kalo-fehler").hidden = !result.error;
  $("kalo-fehler").textContent = result.error ? source.name + ": " + result.error : "";
  $("kalo-zeilen").textContent = result.lines ? result.lines.join("\n") : "";
  $("kalo-speichern").replaceChildren(
    ...(result.text ? [downloadLink("txt", "Als Text speichern", result.textName, result.text, "text/plain")] : []));
}
onChosen("kalo-datei", async (file) => {
  source = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
  showSource();
});
$("kalo-umlaute").addEventListener("change", showSource);
