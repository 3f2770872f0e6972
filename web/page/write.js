// BIN -> WAV: the header from the file's name, the WAV as bv7 bin2wav writes
// it; and playing that WAV to the BV7.
import { call } from "./core.js";
import { $, downloadLink, findingItem, onChosen } from "./ui.js";

let toPlay = null;

onChosen("bin", async (file) => {
  const result = await call("binToWav", file.name, new Uint8Array(await file.arrayBuffer()));
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
