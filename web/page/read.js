// Reading a recording: one chosen or dropped is read by the core as bv7 list
// reads it; each program read whole is offered as a BIN download under the
// name bv7 gives it.
import { callWithProgress } from "./core.js";
import { $, binLink, findingItem, onChosen } from "./ui.js";

function showError(text) {
  $("fehler").textContent = text;
  $("fehler").hidden = false;
  $("ergebnis").hidden = true;
  $("status").textContent = "";
}

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
  const result = await callWithProgress("readRecording", [bytes], (done, total) => {
    $("status").textContent = file.name + " wird gelesen … " + Math.floor((100 * done) / total) + " %";
  }, [bytes.buffer]);
  if (result.error) {
    showError(file.name + ": " + result.error);
    return;
  }
  const count = result.records.length;
  $("status").textContent = file.name + ": " + count + (count === 1 ? " Aufnahme" : " Aufnahmen");
  showRecording(result);
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
