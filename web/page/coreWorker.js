// The page's worker: the portable core (spulwerk.mjs) off the page's thread.
// A message { id, name, args, progress } calls the binding `name`; the answer
// is { id, result } or { id, error }, and, where progress was asked for,
// { id, progress: { done, total } } before it. "ready" once the core is loaded.
import createCore from "./spulwerk.mjs";

const loading = createCore();
let reporting = null;   // the id of the call that asked for progress

// The bindings call this where they can tell how far they got (ReadBindings.cpp).
self.coreProgress = (done, total) => {
  if (reporting !== null) postMessage({ id: reporting, progress: { done, total } });
};

// The buffers of the typed arrays in a result, to hand them over rather than
// copy them (BIN images, WAV files); each array the core gives owns its own.
function buffersOf(value, found = new Set()) {
  if (ArrayBuffer.isView(value)) found.add(value.buffer);
  else if (Array.isArray(value)) value.forEach((item) => buffersOf(item, found));
  else if (value && typeof value === "object") Object.values(value).forEach((item) => buffersOf(item, found));
  return found;
}

// Listening from the start: a message that came while the core loaded waits for it.
self.addEventListener("message", async (event) => {
  const { id, name, args, progress } = event.data;
  const core = await loading;
  reporting = progress ? id : null;
  try {
    const result = core[name](...args);
    const memory = core.HEAPU8.buffer;
    postMessage({ id, result }, [...buffersOf(result)].filter((buffer) => buffer !== memory));
  } catch (error) {
    // The core's own exceptions come as numbers; the one a reading meets is
    // memory running out (std::bad_alloc).
    const text = error instanceof Error ? error.message
      : typeof error === "number" ? "Speicher des Browsers reicht nicht" : String(error);
    postMessage({ id, error: text });
  } finally {
    reporting = null;
  }
});

loading.then(() => postMessage({ ready: true }));
