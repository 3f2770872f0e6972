// What every part of the page shows its results with.
export const $ = (id) => document.getElementById(id);

// A finding or message as a list item; a warning stands out.
export function findingItem(line) {
  const item = document.createElement("li");
  item.textContent = line;
  if (line.startsWith("Warnung:")) item.className = "warnung";
  return item;
}

// A download of `bytes` under `name`, with its words ("BIN speichern").
export function downloadLink(kind, words, name, bytes, type) {
  const link = document.createElement("a");
  link.className = kind;
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.textContent = words + ": " + name;
  return link;
}

export const binLink = (name, image) => downloadLink("bin", "BIN speichern", name, image, "application/octet-stream");

// The largest file the page takes whole into the browser's memory (WebAssembly's
// memory ends at 2 GB): a file to decode, one to show or to keep in an archive;
// bv7 reads larger ones from the disk. A WAV file read for its programs is
// read a slice at a time, of any size.
export const largestFile = 1024 ** 3;

// Rounded up, so that a file just past the limit never reads as the limit.
const sizeText = (bytes) =>
  (bytes >= 1024 ** 3 ? (Math.ceil((bytes * 10) / 1024 ** 3) / 10).toLocaleString("de-DE") + " GB"
                      : Math.ceil(bytes / 1024 ** 2) + " MB");

// What keeps the page from reading `file`: too big for it, else "".
export function tooBig(file) {
  if (file.size <= largestFile) return "";
  return "zu groß für den Speicher des Browsers (" + sizeText(file.size) + "; die Seite liest Dateien bis " +
    sizeText(largestFile) + ") – größere Dateien liest bv7 auf dem Rechner";
}

// The message of a failure with `file`: "Fehler: name: reason". An error of
// the browser is told in its German meaning; only one the page does not know
// keeps the browser's own words, in brackets.
const memoryText = "zu groß für den Speicher des Browsers – größere Dateien liest bv7 auf dem Rechner";
export function failureText(file, reason) {
  if (reason instanceof Error) {
    const known = {
      NotReadableError: "Datei konnte nicht gelesen werden (zu groß für den Browser, verschoben oder gesperrt)",
      NotFoundError: "Datei nicht mehr vorhanden",
      RangeError: memoryText,
    };
    reason = known[reason.name] ?? (/memory|Speicher/i.test(reason.message) ? memoryText
      : "konnte nicht gelesen werden" + (reason.message ? " [" + reason.message + "]" : ""));
  }
  return "Fehler: " + file.name + ": " + reason;
}

// The bytes of `file`; an Error with the German message where the page
// cannot take them.
export async function bytesOfFile(file) {
  const big = tooBig(file);
  if (big) throw new Error(failureText(file, big));
  try {
    return new Uint8Array(await file.arrayBuffer());
  } catch (error) {
    throw new Error(failureText(file, error));
  }
}

// Calls `use` with the file chosen in the file input `id`; what goes wrong
// (an Error with its German message) goes to `failed`.
export function onChosen(id, use, failed) {
  $(id).addEventListener("change", async (event) => {
    if (!event.target.files.length) return;
    const file = event.target.files[0];
    try {
      await use(file);
    } catch (error) {
      failed(error.message.startsWith("Fehler:") ? error.message : failureText(file, error));
    }
  });
}


// A PCM WAV file of `frames` frames of silence at zero, its header written;
// the samples go behind byte 44.
export function pcmWav(channels, rate, bits, frames) {
  const block = channels * bits / 8, size = frames * block;
  const bytes = new Uint8Array(44 + size), view = new DataView(bytes.buffer);
  const text = (at, value) => [...value].forEach((c, i) => view.setUint8(at + i, c.charCodeAt(0)));
  text(0, "RIFF"); view.setUint32(4, 36 + size, true); text(8, "WAVEfmt ");
  view.setUint32(16, 16, true); view.setUint16(20, 1, true); view.setUint16(22, channels, true);
  view.setUint32(24, rate, true); view.setUint32(28, rate * block, true); view.setUint16(32, block, true);
  view.setUint16(34, bits, true); text(36, "data"); view.setUint32(40, size, true);
  return bytes;
}
