// Reading a recording: one chosen or dropped is read by the core as bv7 list
// reads it; each program read whole is offered as a BIN download under the
// name bv7 gives it. Several are read as bv7 wav2bin --merge reads them: the
// copies of each program put together block by block. The files chosen last
// can be made into the archive bv7 archive makes, downloaded as a .zip.
import { audioRate } from "./audioRate.js";
import { callWithProgress } from "./core.js";
import { $, binLink, downloadLink, failureText, findingItem, pcmWav, tooBig } from "./ui.js";
import { showWave } from "./wave.js";

function showError(text) {
  $("fehler").textContent = text;
  $("fehler").hidden = false;
  $("ergebnis").hidden = true;
  $("status").textContent = "";
}

// bv7's lines, as it prints them.
function linesBlock(lines, className) {
  const block = document.createElement("pre");
  block.className = className;
  block.textContent = lines.join("\n");
  return block;
}

// bv7 list's line of a record, a span per column: on a wide screen the line
// as bv7 prints it, on a phone a card with each column under its heading.
function listRow(cells) {
  const row = document.createElement("pre");
  row.className = "zeile";
  row.append(...cells.map((cell) => {
    const span = document.createElement("span");
    span.textContent = cell.text;
    if (cell.label) span.dataset.spalte = cell.label;
    else span.className = "zustand";
    return span;
  }));
  return row;
}

function showRecording(result) {
  $("kopf").textContent = result.heading;
  $("kopf").hidden = false;
  const list = $("aufnahmen");
  list.replaceChildren();
  for (const record of result.records) {
    const item = document.createElement("li");
    item.append(listRow(record.cells));
    if (record.findings.length) {
      const findings = document.createElement("ul");
      findings.className = "befunde";
      findings.append(...record.findings.map(findingItem));
      item.append(findings);
    }
    if (record.report) item.append(linesBlock(record.report, "bericht"));
    if (record.binName) item.append(binLink(record.binName, record.image));
    if (record.copyOf) item.append(linesBlock(["Kopie von " + record.copyOf + ", schon angeboten"], "kopie"));
    list.append(item);
  }
  $("ungelesen").hidden = true;
  $("ganz-befunde").replaceChildren(...result.whole.map(findingItem));
  $("ganz").hidden = result.whole.length === 0;
  $("ergebnis").hidden = false;
}

// The programs merged from several recordings, each with bv7's report, and
// what was not read.
function showMerged(result, unread) {
  $("kopf").hidden = true;
  $("aufnahmen").replaceChildren(...result.programs.map((program) => {
    const item = document.createElement("li");
    item.append(linesBlock(program.report, "bericht"));
    if (program.binName) item.append(binLink(program.binName, program.image));
    return item;
  }));
  $("ungelesen").textContent = unread.join("\n");
  $("ungelesen").hidden = unread.length === 0;
  $("ganz").hidden = true;
  $("ergebnis").hidden = false;
}

// 16-bit WAV of every channel of decoded sound at its rate: the core's reader
// takes the channel that carries the signal, as it does of any WAV file.
function wavOf(buffer) {
  const channels = buffer.numberOfChannels, frames = buffer.length;
  const bytes = pcmWav(channels, buffer.sampleRate, 16, frames);
  const samples = new Int16Array(bytes.buffer, 44);
  for (let channel = 0; channel < channels; ++channel) {
    const data = buffer.getChannelData(channel);
    for (let i = 0; i < frames; ++i) samples[i * channels + channel] = Math.max(-1, Math.min(1, data[i])) * 32767;
  }
  return bytes;
}

// What the core reads of `file` ({ recording }): a WAV file itself, which the
// worker reads a slice at a time (nothing copied between the page and the
// worker, never the whole file at once), of any length; anything else
// decoded by the browser at the file's own rate (48000 where its header does
// not say) into a WAV file held as a Blob, read the same way. Or why the page
// cannot take it ({ problem }): one the browser cannot decode, or one it
// takes whole (one to decode; any where it is kept `whole`, as the archive
// keeps it) beyond the page's limit.
async function recordingOf(file, whole = false) {
  const head = new Uint8Array(await file.slice(0, 4).arrayBuffer());
  const wav = String.fromCharCode(...head) === "RIFF";
  if ((whole || !wav) && tooBig(file)) return { problem: tooBig(file) };
  if (wav) return { recording: file };
  const bytes = new Uint8Array(await file.arrayBuffer());
  try {
    const context = new OfflineAudioContext(1, 1, audioRate(bytes) || 48000);
    return { recording: new Blob([wavOf(await context.decodeAudioData(bytes.buffer))], { type: "audio/wav" }) };
  } catch {
    return { problem: "keine Aufnahme, die der Browser lesen kann" };
  }
}

// The reading the page shows: each choice counts up, and what a reading
// finds is shown only while it is still the last one chosen.
let chosen = 0;

async function readFile(file, mine) {
  const { recording, problem } = await recordingOf(file);
  if (mine !== chosen) return;
  if (problem) return showError(failureText(file, problem));
  // The file's own head names its codec, which the decoded WAV bytes no longer carry.
  const head = new Uint8Array(await file.slice(0, 4096).arrayBuffer());
  const result = await callWithProgress("readRecording", [recording, head], (done, total) => {
    if (mine === chosen) $("status").textContent = file.name + " wird gelesen … " + Math.floor((100 * done) / total) + " %";
  });
  if (mine !== chosen) return;
  if (result.error) return showError(failureText(file, result.error));
  const count = result.records.length;
  $("status").textContent = file.name + ": " + count + (count === 1 ? " Aufnahme" : " Aufnahmen");
  showRecording(result);
  showWave(result.wave);
}

// What the core reads of several files (kept `whole` for an archive): their
// names and recordings; the messages of those it cannot take. Null where
// another choice came meanwhile.
async function recordingsOf(files, mine, whole = false) {
  const names = [], recordings = [], undecoded = [];
  for (const file of files) {
    const { recording, problem } = await recordingOf(file, whole);
    if (mine !== chosen) return null;
    if (problem) {
      undecoded.push(failureText(file, problem));
      continue;
    }
    names.push(file.name), recordings.push(recording);
  }
  return { names, recordings, undecoded };
}

async function readCopies(files, mine) {
  const chosenOnes = await recordingsOf(files, mine);
  if (!chosenOnes) return;
  const { names, recordings, undecoded } = chosenOnes;
  const result = names.length ? await callWithProgress("readCopies", [names, recordings], null)
                              : { programs: [], unread: [] };
  if (mine !== chosen) return;
  const unread = [...undecoded, ...result.unread];
  if (!result.programs.length) return showError(unread.join("\n"));
  const count = result.programs.length;
  $("status").textContent = files.length + " Dateien: " + count + (count === 1 ? " Programm" : " Programme");
  showMerged(result, unread);
}

// The archive of the files chosen last, as bv7 archive makes it, offered as
// ORDNER.zip with bv7's summary.
let lastFiles = [];
async function makeArchive() {
  const mine = chosen, files = lastFiles;
  const folder = ($("archiv-ordner").value.trim() || "archiv").replace(/[\u0000-\u001f/\\<>:|?*"]/g, "-");
  $("archiv-status").textContent = "Archiv wird angelegt …";
  $("archiv-bericht").hidden = true;
  $("archiv").querySelector("a.zip")?.remove();
  try {
    const chosenOnes = await recordingsOf(files, mine, true);
    if (!chosenOnes || mine !== chosen) return;
    const { names, recordings, undecoded } = chosenOnes;
    const result = await callWithProgress("archiveRecordings", [names, recordings, folder], (done, total) => {
      if (mine === chosen) $("archiv-status").textContent = "Archiv wird angelegt … " + Math.floor((100 * done) / total) + " %";
    });
    if (mine !== chosen) return;
    $("archiv-bericht").textContent = [...undecoded, ...result.messages, ...result.lines].join("\n");
    $("archiv-bericht").hidden = false;
    $("archiv-status").textContent = result.complete ? "Archiv angelegt, jedes Programm ganz gespeichert."
      : "Archiv angelegt, nicht jedes Programm ganz gespeichert.";
    $("archiv-status").after(downloadLink("zip", "Archiv speichern", folder + ".zip", result.zip, "application/zip"));
  } catch (error) {
    if (mine === chosen) $("archiv-status").textContent = "Fehler: Archiv nicht angelegt (" + (error.message || error) + ")";
  }
}
$("archiv-knopf").addEventListener("click", makeArchive);

// Reads the files chosen; every failure ends in its message on the page.
async function read(files) {
  if (!files.length) return;
  const mine = ++chosen;
  files = [...files];
  lastFiles = files;
  $("archiv").hidden = false;
  $("archiv-status").textContent = "";
  $("archiv-bericht").hidden = true;
  $("archiv").querySelector("a.zip")?.remove();
  $("fehler").hidden = true;
  $("status").textContent = files.length === 1 ? files[0].name + " wird gelesen …" : files.length + " Dateien werden gelesen …";
  try {
    if (files.length === 1) await readFile(files[0], mine);
    else await readCopies(files, mine);
  } catch (error) {
    if (mine === chosen) showError(files.map((file) => failureText(file, error)).join("\n"));
  }
}

$("datei").addEventListener("change", (event) => read(event.target.files));
const drop = $("ablage");
drop.addEventListener("dragover", (event) => { event.preventDefault(); drop.classList.add("ueber"); });
drop.addEventListener("dragleave", () => drop.classList.remove("ueber"));
drop.addEventListener("drop", (event) => {
  event.preventDefault();
  drop.classList.remove("ueber");
  read(event.dataTransfer.files);
});
