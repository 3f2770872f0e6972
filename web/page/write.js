// BIN -> WAV: the header from the file's name, or typed in where the name
// does not hold it, the WAV as bv7 bin2wav writes it; and playing that WAV to
// the BV7.
import { call } from "./core.js";
import { $, bytesOfFile, downloadLink, findingItem, onChosen, pcmWav } from "./ui.js";

let toPlay = null;
let chosen = null;   // the BIN file whose name held no header: its name and bytes

// What the core made of the BIN: its messages, the WAV to save and play.
function showWav(name, result) {
  $("bin-meldungen").replaceChildren(...result.warnings.map(findingItem));
  $("bin-fehler").hidden = !result.error;
  $("bin-fehler").textContent = result.error ? "Fehler: " + name + ": " + result.error : "";
  $("bin-ergebnis").hidden = !!result.error;
  $("bin-ergebnis").replaceChildren(
    ...(result.error ? [] : [downloadLink("wav", "WAV speichern", result.wavName, result.wav, "audio/wav")]));
  toPlay = result.error ? null : result.wav;
  $("spielen").hidden = !toPlay;
  $("restzeit").textContent = "";
  $("fortschritt").value = 0;
}

const fields = ["kopf-name", "kopf-aa", "kopf-ea", "kopf-sa"];

// A BIN the page cannot take: its message, and nothing of an earlier one to save or play.
function showFailure(text) {
  showWav("", { warnings: [], error: text });
  $("bin-fehler").textContent = text;
  chosen = null;
  $("kopfdaten").hidden = true;
}

onChosen("bin", async (file) => {
  const bytes = await bytesOfFile(file);
  const result = await call("binToWav", file.name, bytes);
  showWav(file.name, result);
  chosen = result.unnamed ? { name: file.name, bytes } : null;
  $("kopfdaten").hidden = !chosen;
  $("kopf-meldungen").replaceChildren();
  $("kopf-fehler").hidden = true;
  // What the exchange dialog shows for such a file.
  if (chosen) fields.forEach((id, i) => { $(id).value = i === 0 ? "unbenannt" : "0000"; });
}, showFailure);

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
  $("kopf-fehler").textContent = result.error ? "Fehler: " + chosen.name + ": " + result.error : "";
  $("kopf-fehler").hidden = !result.error;
  if (result.name !== undefined) $("kopf-name").value = result.name;
});

// Playing to the BV7: the encoder's WAV through the browser's media player,
// which keeps the sound well ahead of the output (Web Audio makes it just in
// time, and a busy phone then drops pieces of it), with half a second of its
// idle level behind it, so that nothing the output still holds is cut off;
// "fertig" only after that.
const idleSeconds = 0.5;

// The encoder's WAV (a 46-byte header; its data size leaves out the pad byte)
// as a plain 8-bit WAV with the idle tail.
function withIdleTail(wav) {
  const count = new DataView(wav.buffer, wav.byteOffset).getUint32(42, true);
  const rate = new DataView(wav.buffer, wav.byteOffset).getUint32(24, true);
  const bytes = pcmWav(1, rate, 8, count + idleSeconds * rate);
  bytes.fill(0x80, 44);
  bytes.set(wav.subarray(46, 46 + count), 44);
  return bytes;
}

$("abspielen").addEventListener("click", async () => {
  if (!toPlay) return;
  const address = URL.createObjectURL(new Blob([withIdleTail(toPlay)], { type: "audio/wav" }));
  const player = new Audio(address);
  $("abspielen").disabled = true;
  let ended = false;
  const tick = () => {
    if (ended) return;
    const length = player.duration || 0, played = Math.min(player.currentTime, length);
    $("fortschritt").value = length ? played / length : 0;
    if (length) $("restzeit").textContent = "noch " + Math.ceil(length - played) + " s";
    requestAnimationFrame(tick);
  };
  try {
    await player.play();
    tick();
    await new Promise((done, failed) => { player.onended = done; player.onerror = failed; });
    await new Promise((done) => setTimeout(done, 500));
    $("fortschritt").value = 1;
    $("restzeit").textContent = "fertig";
  } catch {
    $("restzeit").textContent = "Abspielen nicht möglich – kein Tonausgang?";
  } finally {
    ended = true;
    player.removeAttribute("src");
    URL.revokeObjectURL(address);
    $("abspielen").disabled = false;
  }
});
