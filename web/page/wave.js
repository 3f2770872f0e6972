// The signal of the recording last read, on a canvas with the marks of its
// records: lead-in, blocks (a faulty one in the warning colour), where
// reading ended. The core reads the samples again from the file chosen (of a
// view of much, a summary it keeps); the view asks it for one column per
// device pixel of what it shows, so it zooms from the whole recording down to
// a few bit cells, where each sample shows.
import { call } from "./core.js";
import { $ } from "./ui.js";

const leastCells = 4;           // the closest view: this many bit cells across
const zoomStep = 2;             // "+" and "−" halve and double the span
const nameRow = 16, labelRow = 16, axisRow = 20;   // CSS pixels
const colour = {
  wave: "#1b1b1b", envelope: "rgba(20, 30, 40, 0.55)", leadIn: "#cfe3f7", blocks: ["#dcefdc", "#c4e3c4"], faulty: "#f7a072",
  faultyText: "#a40000", text: "#1b1b1b", axis: "#777", end: "#a40000", back: "#fff",
};

const canvas = $("welle-bild");
const context = canvas.getContext("2d");
let wave = null;                // the marks readRecording gave (keepWave)
let view = { from: 0, span: 1 };  // in samples

// "m:ss.s" of a sample as bv7 list shows it: cut, not rounded; with
// `digits` decimals where a view of milliseconds needs them.
function timeOf(sample, digits = 1) {
  const scale = 10 ** digits;
  const units = Math.floor((sample * scale) / wave.rate);
  const minutes = Math.floor(units / (60 * scale)), rest = units - minutes * 60 * scale;
  const fraction = String(rest % scale).padStart(digits, "0");
  return minutes + ":" + String(Math.floor(rest / scale)).padStart(2, "0") + "." + fraction;
}

// As many decimals as a view of `span` samples tells apart.
const digitsFor = (span) => (span >= wave.rate ? 1 : span >= wave.rate / 10 ? 2 : 3);
const leastSpan = () => Math.min(wave.count, leastCells * wave.cell);
const number = (value, digits) => value.toLocaleString("de-DE", { maximumFractionDigits: digits });

function setView(from, span) {
  span = Math.min(Math.max(span, leastSpan()), wave.count);
  from = Math.min(Math.max(from, 0), wave.count - span);
  view = { from, span };
  const to = from + span, digits = digitsFor(span), cells = span / wave.cell;
  $("welle-bereich").textContent = "Sichtbar: " + timeOf(from, digits) + " – " + timeOf(to, digits) + " (" +
    number(cells, cells < 10 ? 1 : 0) + " Bitzellen)";
  Object.assign(canvas.dataset, { von: Math.floor(from), bis: Math.ceil(to), zellen: cells.toFixed(2) });
  $("welle-plus").disabled = span <= leastSpan();
  $("welle-minus").disabled = $("welle-ganz").disabled = span >= wave.count;
  schedule();
}

// Zooms by `factor` keeping the sample under `at` (0 left, 1 right) in place.
function zoom(factor, at = 0.5) {
  const anchor = view.from + at * view.span;
  const span = Math.min(Math.max(view.span * factor, leastSpan()), wave.count);
  setView(anchor - at * span, span);
}

const pan = (fraction) => setView(view.from + fraction * view.span, view.span);

// A span shown whole with a little room either side.
const showSpan = (begin, end) => setView(begin - (end - begin) * 0.05, (end - begin) * 1.1);

// One drawing at a time, of the latest view: the core may answer late.
let frame = 0, drawing = false, again = false;
function schedule() {
  if (!frame) frame = requestAnimationFrame(() => { frame = 0; draw(); });
}

async function draw() {
  if (drawing) { again = true; return; }
  drawing = true;
  do {
    again = false;
    const shown = { ...view }, columns = canvas.width;
    const from = Math.floor(shown.from), to = Math.ceil(shown.from + shown.span);
    const data = await call("waveColumns", from, to, columns);
    paint(shown, data, from, to, columns);
  } while (again);
  drawing = false;
}

// Draws `text` (the first of `texts` that fits) centred in the visible part of
// [left, right), at height `y`.
function label(texts, left, right, y, fill) {
  const from = Math.max(left, 0), to = Math.min(right, canvas.width), pad = 4 * devicePixelRatio;
  const text = texts.find((t) => context.measureText(t).width + 2 * pad <= to - from);
  if (!text) return;
  context.fillStyle = fill;
  context.fillText(text, (from + to) / 2 - context.measureText(text).width / 2, y);
}

function paint(shown, data, from, to, columns) {
  const scale = devicePixelRatio, width = canvas.width, height = canvas.height;
  const x = (sample) => ((sample - shown.from) / shown.span) * width;
  const top = (nameRow + labelRow) * scale, bottom = height - axisRow * scale;
  const y = (value) => top + ((255 - value) / 255) * (bottom - top);
  context.fillStyle = colour.back;
  context.fillRect(0, 0, width, height);
  context.font = `${12 * scale}px system-ui, sans-serif`;
  context.textBaseline = "middle";
  const nameY = (nameRow / 2) * scale, labelY = (nameRow + labelRow / 2) * scale;

  // The marks behind the signal; a faulty block at least two pixels wide, so
  // that the whole of a long recording still shows it.
  const shade = (begin, end, fill, least = 0) => {
    const left = x(begin), right = Math.max(x(end), left + least);
    if (right < 0 || left > width) return false;
    context.fillStyle = fill;
    context.fillRect(left, nameRow * scale, right - left, bottom - nameRow * scale);
    return true;
  };
  for (const record of wave.records) {
    if (shade(record.start, record.sync, colour.leadIn)) label(["Vorton"], x(record.start), x(record.sync), labelY, colour.text);
    for (const block of record.blocks) {
      if (block.faulty) continue;
      if (shade(block.begin, block.end, colour.blocks[block.number % 2]))
        label(["Block " + block.number, String(block.number)], x(block.begin), x(block.end), labelY, colour.text);
    }
    for (const block of record.blocks.filter((b) => b.faulty)) {
      if (shade(block.begin, block.end, colour.faulty, 2 * scale))
        label(["Block " + block.number + " fehlerhaft", block.number + " fehlerhaft", String(block.number)],
              x(block.begin), x(block.end), labelY, colour.faultyText);
    }
    const left = x(record.start), right = x(record.end);
    if (right >= 0 && left <= width) {
      context.fillStyle = colour.axis;
      context.fillRect(Math.max(left, 0), nameRow * scale - scale, Math.min(right, width) - Math.max(left, 0), scale);
      const name = (record.name.trim() || "Aufnahme") + (record.message ? " – " + record.message : "");
      context.fillStyle = record.message ? colour.end : colour.text;
      context.fillText(name, Math.max(left, 0) + 2 * scale, nameY);
      if (record.message) {
        context.fillStyle = colour.end;
        context.fillRect(right - scale, nameRow * scale, 2 * scale, bottom - nameRow * scale);
      }
    }
  }

  // The signal: each column's least to greatest sample, or, close up, the
  // samples themselves joined, each with a dot.
  if (to - from <= columns) {
    const apart = canvas.clientWidth / shown.span, dot = Math.min(Math.max(apart / 2.5, 1.5), 4) * scale;
    context.fillStyle = context.strokeStyle = colour.wave;
    context.lineWidth = scale;
    context.beginPath();
    data.forEach((value, i) => context.lineTo(x(from + i + 0.5), y(value)));
    context.stroke();
    if (apart >= 2.5) data.forEach((value, i) => context.fillRect(x(from + i + 0.5) - dot / 2, y(value) - dot / 2, dot, dot));
  } else {
    // See-through, so that the marks behind a full-scale signal still show.
    context.fillStyle = colour.envelope;
    for (let c = 0; c < columns; ++c) {
      const high = y(data[2 * c + 1]), low = y(data[2 * c]);
      context.fillRect(c, high, 1, Math.max(1, low - high));
    }
  }
  context.fillStyle = colour.axis;
  context.fillRect(0, y(128), width, Math.max(1, scale / 2));
  axis(shown, x, bottom);
}

// Ticks at a round step at least 90 CSS pixels apart, labelled m:ss.s (with
// more decimals for a step under a tenth of a second).
function axis(shown, x, bottom) {
  const scale = devicePixelRatio, seconds = shown.span / wave.rate;
  const steps = [0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600];
  const step = steps.find((s) => (s / seconds) * canvas.width >= 90 * scale) ?? 1200;
  const digits = step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
  context.fillStyle = colour.axis;
  context.fillRect(0, bottom, canvas.width, scale);
  for (let k = Math.ceil(shown.from / wave.rate / step); k * step * wave.rate <= shown.from + shown.span; ++k) {
    const at = x(k * step * wave.rate);
    context.fillStyle = colour.axis;
    context.fillRect(at, bottom, scale, 4 * scale);
    // A whole step: a microsecond more keeps the cut time from falling short.
    const text = timeOf((k * step + 1e-6) * wave.rate, digits);
    const textWidth = context.measureText(text).width;
    context.fillStyle = colour.text;
    context.fillText(text, Math.min(Math.max(at - textWidth / 2, 0), canvas.width - textWidth), bottom + 12 * scale);
  }
}

// The marks as text, for a screen reader as for the eye: each record and each
// faulty block, a button that shows it.
function listMarks() {
  const item = (text, begin, end, warning) => {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = text;
    button.addEventListener("click", () => showSpan(begin, end));
    const entry = document.createElement("li");
    if (warning) entry.className = "warnung";
    entry.append(button);
    return entry;
  };
  const items = [];
  for (const record of wave.records) {
    const blocks = record.blocks;
    let text = (record.name.trim() || "Aufnahme") + ": Vorton ab " + timeOf(record.start);
    if (blocks.length) text += ", " + (blocks.length === 1 ? "1 Block" : blocks.length + " Blöcke") + " ab " + timeOf(blocks[0].begin);
    text += record.message ? ", " + record.message + " bei " + timeOf(record.end) : ", Ende " + timeOf(record.end);
    items.push(item(text, record.start, record.end, Boolean(record.message)));
    for (const block of blocks.filter((b) => b.faulty))
      items.push(item("Block " + block.number + " fehlerhaft, bei " + timeOf(block.begin), block.begin, block.end, true));
  }
  $("welle-marken").replaceChildren(...items);
}

// Shows the signal of the recording just read whole: `result` is the
// "wave" of readRecording's result.
export function showWave(result) {
  $("welle").hidden = true;
  if (!result?.count) return;
  wave = result;
  $("welle").hidden = false;
  listMarks();
  fit();
  setView(0, wave.count);
}

// The canvas at the screen's own pixels.
function fit() {
  const width = Math.round(canvas.clientWidth * devicePixelRatio), height = Math.round(canvas.clientHeight * devicePixelRatio);
  if (width === canvas.width && height === canvas.height) return;
  canvas.width = width;
  canvas.height = height;
  if (wave) schedule();
}
new ResizeObserver(fit).observe(canvas);

$("welle-plus").addEventListener("click", () => zoom(1 / zoomStep));
$("welle-minus").addEventListener("click", () => zoom(zoomStep));
$("welle-ganz").addEventListener("click", () => setView(0, wave.count));

canvas.addEventListener("keydown", (event) => {
  const keys = { "+": () => zoom(1 / zoomStep), "=": () => zoom(1 / zoomStep), "-": () => zoom(zoomStep),
                 ArrowLeft: () => pan(-0.25), ArrowRight: () => pan(0.25) };
  if (!wave || !keys[event.key]) return;
  event.preventDefault();
  keys[event.key]();
});

// Where on the canvas a pointer is, 0 at the left edge, 1 at the right.
const across = (clientX) => {
  const box = canvas.getBoundingClientRect();
  return (clientX - box.left) / box.width;
};

canvas.addEventListener("wheel", (event) => {
  if (!wave) return;
  event.preventDefault();
  const lines = event.deltaMode === 1 ? 40 : 1;
  if (!event.ctrlKey && Math.abs(event.deltaX) > Math.abs(event.deltaY)) {
    pan((event.deltaX * lines) / canvas.clientWidth);
    return;
  }
  // A pinch on a touchpad comes as a wheel with the control key, in small steps.
  zoom(Math.exp(event.deltaY * lines * (event.ctrlKey ? 0.01 : 0.002)), across(event.clientX));
}, { passive: false });

// One pointer drags the view; two pinch it, around the point between them.
const pointers = new Map();
canvas.addEventListener("pointerdown", (event) => {
  if (!wave) return;
  canvas.setPointerCapture(event.pointerId);
  pointers.set(event.pointerId, event.clientX);
});
canvas.addEventListener("pointermove", (event) => {
  if (!pointers.has(event.pointerId)) return;
  const before = [...pointers.values()];
  pointers.set(event.pointerId, event.clientX);
  const after = [...pointers.values()];
  if (after.length === 1) {
    pan((before[0] - after[0]) / canvas.clientWidth);
  } else if (after.length === 2) {
    const wide = (xs) => Math.max(Math.abs(xs[0] - xs[1]), 20);
    const middle = (xs) => across((xs[0] + xs[1]) / 2);
    const anchor = view.from + middle(before) * view.span;
    const span = Math.min(Math.max(view.span * (wide(before) / wide(after)), leastSpan()), wave.count);
    setView(anchor - middle(after) * span, span);
  }
});
for (const type of ["pointerup", "pointercancel"]) canvas.addEventListener(type, (event) => pointers.delete(event.pointerId));
