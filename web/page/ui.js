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

