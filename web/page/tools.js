// The page's tools: hex dump and CRC of any file, as bv7 hexdump and bv7 crc
// show them; the KALO*4 viewer with the numbered listing and kalov's text file.
import { call } from "./core.js";
import { $, bytesOfFile, downloadLink, onChosen } from "./ui.js";

let dumped = null;
async function showDump() {
  if (!dumped) return;
  const result = await call("hexDump", dumped.name, dumped.bytes, $("dump-ascii").checked);
  $("dump-crc").textContent = "CRC (SDLC): " + result.crc + "  " + dumped.name;
  $("dump-gekuerzt").hidden = !result.cut;
  $("dump-gekuerzt").textContent = result.cut;
  $("dump-zeilen").textContent = result.lines.join("\n") + "\n";
}
onChosen("dump-datei", async (file) => {
  dumped = null;
  $("dump-fehler").hidden = true;
  dumped = { name: file.name, bytes: await bytesOfFile(file) };
  await showDump();
}, (text) => {
  for (const id of ["dump-crc", "dump-gekuerzt", "dump-zeilen"]) $(id).textContent = "";
  $("dump-gekuerzt").hidden = true;
  $("dump-fehler").textContent = text;
  $("dump-fehler").hidden = false;
});
$("dump-ascii").addEventListener("change", showDump);

let source = null;
async function showSource() {
  if (!source) return;
  const result = await call("kaloListing", source.name, source.bytes, $("kalo-umlaute").checked);
  $("kalo-hinweis").hidden = result.plausible;
  $("kalo-fehler").hidden = !result.error;
  $("kalo-fehler").textContent = result.error ? "Fehler: " + source.name + ": " + result.error : "";
  $("kalo-zeilen").textContent = result.lines ? result.lines.join("\n") : "";
  $("kalo-speichern").replaceChildren(
    ...(result.text ? [downloadLink("txt", "Als Text speichern", result.textName, result.text, "text/plain")] : []));
}
onChosen("kalo-datei", async (file) => {
  source = null;
  source = { name: file.name, bytes: await bytesOfFile(file) };
  await showSource();
}, (text) => {
  $("kalo-zeilen").textContent = "";
  $("kalo-speichern").replaceChildren();
  $("kalo-hinweis").hidden = true;
  $("kalo-fehler").textContent = text;
  $("kalo-fehler").hidden = false;
});
$("kalo-umlaute").addEventListener("change", showSource);
