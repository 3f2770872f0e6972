// BIN -> WAV: the header from the file's name, or typed in where the name
// does not hold it, the WAV as bv7 bin2wav writes it; and playing that WAV to
// the BV7.
import { call } from "./core.js";
import { $, downloadLink, findingItem, onChosen } from "./ui.js";

let toPlay = null;
let chosen = null;   // the BIN file whose name held no header: its name and bytes

// What the core made of the BIN: its messages, the WAV to save and play.
function showWav(name, result) {
  $("bin-meldungen").replaceChildren(...result.warnings.map(findingItem));
  $("bin-fehler").hidden = !result.error;
  $("bin-fehler").textContent = result.error ? name + ": " + result.error : "";
  $("bin-ergebnis").hidden = !!result.error;
  $("bin-ergebnis").replaceChildren(
    ...(result.error ? [] : [downloadLink("wav", "WAV speichern", result.wavName, result.wav, "audio/wav")]));
  toPlay = result.error ? null : result.wav;
  $("spielen").hidden = !toPlay;
  $("restzeit").textContent = "";
  $("fortschritt").value = 0;
}

const fields = ["kopf-name", "kopf-aa", "kopf-ea", "kopf-sa"];

onChosen("bin", async (file) => {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const result = await call("binToWav", file.name, bytes);
  showWav(file.name, result);
  chosen = result.unnamed ? { name: file.name, bytes } : null;
  $("kopfdaten").hidden = !chosen;
  $("kopf-meldungen").replaceChildren();
  $("kopf-fehler").hidden = true;
  // What the exchange dialog shows for such a file.
  if (chosen) fields.forEach((id, i) => { $(id).value = i === 0 ? "unbenannt" : "0000"; });
});

// An address field left: "1F" becomes "001F", as in the exchange dialog.
for (const id of fields.slice(1)) {
  $(id).addEventListener("change", async () => {
    const normalised = await call("addressField", $(id).value);
    if (normalised) $(id).value = normalised;
  });
}

$("kopfdaten").addEventListener("submit", async (event) => {
  event.preventDefault();
  if (!chosen) return;
  const result = await call("binToWavWithHeader", chosen.name, chosen.bytes, ...fields.map((id) => $(id).value));
  // The message on the file's name stays above; what the fields gave, below them.
  const nameMessage = $("bin-fehler").textContent;
  showWav(chosen.name, result);
  $("bin-fehler").textContent = nameMessage;
  $("bin-fehler").hidden = false;
  $("kopf-meldungen").replaceChildren(...result.notes.map(findingItem));
  $("kopf-fehler").textContent = result.error ? chosen.name + ": " + result.error : "";
  $("kopf-fehler").hidden = !result.error;
  if (result.name !== undefined) $("kopf-name").value = result.name;
});

// Playing to the BV7: the 8-bit WAV the encoder made, at its own 44100 per
// second, and half a second of its idle level behind it, so that nothing the
// output still holds is cut off; "fertig" only after that.
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
