// Recording from the BV7: the sound input through an AudioWorklet, a tenth of
// a second at a time into the core, which reads it as bv7 record does and
// says when the program is in; then the recording as a WAV and the program as
// a BIN to save, with what bv7 record reports.
import { call } from "./core.js";
import { $, binLink, downloadLink, findingItem } from "./ui.js";

let running = null;   // the capture while it runs

// "aufnahme-2026-12-08-214501.wav", as bv7 record names its recording.
function recordingName(date) {
  const two = (n) => String(n).padStart(2, "0");
  return `aufnahme-${date.getFullYear()}-${two(date.getMonth() + 1)}-${two(date.getDate())}-` +
         `${two(date.getHours())}${two(date.getMinutes())}${two(date.getSeconds())}.wav`;
}

function showError(text) {
  $("rec-fehler").textContent = text;
  $("rec-fehler").hidden = false;
}

// getUserMedia's refusals in plain words.
function inputProblem(error) {
  if (error.name === "NotAllowedError" || error.name === "SecurityError") return "Zugriff auf den Toneingang verweigert.";
  if (error.name === "NotFoundError" || error.name === "OverconstrainedError") return "Kein Toneingang gefunden.";
  return "Der Toneingang lässt sich nicht öffnen.";
}

async function start() {
  $("rec-fehler").hidden = true;
  $("rec-ergebnis").hidden = true;
  if (!navigator.mediaDevices?.getUserMedia) {
    showError("Kein Toneingang gefunden.");
    return;
  }
  let stream;
  try {
    stream = await navigator.mediaDevices.getUserMedia({
      audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false, channelCount: 1 },
    });
  } catch (error) {
    showError(inputProblem(error));
    return;
  }
  // At the device's own rate; the core is told which it is.
  const context = new AudioContext({ latencyHint: "playback" });
  try {
    await context.audioWorklet.addModule(new URL("capture-worklet.js", import.meta.url));
  } catch {
    stream.getTracks().forEach((track) => track.stop());
    await context.close();
    showError("Der Toneingang lässt sich nicht öffnen.");
    return;
  }
  const capture = new AudioWorkletNode(context, "aufnahme", { numberOfInputs: 1, numberOfOutputs: 0 });
  context.createMediaStreamSource(stream).connect(capture);
  await call("liveStart", context.sampleRate);
  const run = { stream, context, capture, began: new Date(), fed: Promise.resolve(), ended: false };
  running = run;
  // The core takes each chunk after the one before.
  capture.port.onmessage = (event) => {
    run.fed = run.fed.then(() => feed(run, event.data));
  };
  $("aufnehmen-knopf").textContent = "Aufnahme beenden";
  $("rec-status").textContent = "warte auf Vorton";
}

async function feed(run, samples) {
  if (run.ended) return;
  const state = await call("liveFeed", samples);
  $("pegel").value = state.level;
  $("pegel-text").textContent = "Pegel " + state.level + " %";
  $("rec-status").textContent = state.status;
  // As bv7 record: the program is read and the sound behind it has ended.
  if (state.stop) stop(run);
}

// Ends the capture; the core ends its reading after the chunks it was given.
function stop(run) {
  if (run.ended) return run.fed;
  run.ended = true;
  running = null;
  run.capture.port.onmessage = null;
  run.stream.getTracks().forEach((track) => track.stop());
  run.fed = run.fed.then(async () => {
    await run.context.close();
    $("aufnehmen-knopf").textContent = "Aufnahme starten";
    showResult(await call("liveEnd"), recordingName(run.began));
  });
  return run.fed;
}

function showResult(result, wavName) {
  $("rec-status").textContent += " – Aufnahme beendet (" + Math.round(result.seconds) + " s)";
  $("rec-zeilen").textContent = [...result.warnings, ...result.lines].join("\n");
  $("rec-befunde").replaceChildren(...result.findings.map(findingItem));
  const links = [downloadLink("wav", "WAV speichern", wavName, result.wav, "audio/wav")];
  if (result.binName) links.push(binLink(result.binName, result.image));
  $("rec-speichern").replaceChildren(...links);
  $("rec-ergebnis").hidden = false;
}

$("aufnehmen-knopf").addEventListener("click", async () => {
  const button = $("aufnehmen-knopf");
  button.disabled = true;
  try {
    if (running) await stop(running);
    else await start();
  } finally {
    button.disabled = false;
  }
});
