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

// Calls `use` with the file chosen in the file input `id`.
export function onChosen(id, use) {
  $(id).addEventListener("change", (event) => {
    if (event.target.files.length) use(event.target.files[0]);
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
