// The portable core (spulwerk.mjs), reached by the name of a binding:
// `await call("readRecording", bytes, head)` gives what the binding returns.
// It runs in a worker of its own (coreWorker.js), so that a long reading
// leaves the page free; arguments and results cross as copies (structured
// clone), large results by transfer, a chosen File as a reference that the
// worker reads itself (readRecording). A call made before the worker is ready
// waits for it, so that nothing chosen early is lost.
const worker = new Worker(new URL("coreWorker.js", import.meta.url), { type: "module" });
const waiting = new Map();
let nextId = 1;

const ready = new Promise((resolve, reject) => {
  worker.addEventListener("message", function started(event) {
    if (!event.data.ready) return;
    worker.removeEventListener("message", started);
    resolve();
  });
  worker.addEventListener("error", (event) => reject(new Error("Kern nicht geladen: " + (event.message || "Fehler"))));
});

worker.addEventListener("message", (event) => {
  const { id, progress, result, error } = event.data;
  const call = waiting.get(id);
  if (!call) return;
  if (progress) {
    call.onProgress?.(progress.done, progress.total);
    return;
  }
  waiting.delete(id);
  if (error !== undefined) call.reject(new Error(error));
  else call.resolve(result);
});

// A worker that failed (e.g. out of memory) answers no call waiting for it.
worker.addEventListener("error", (event) => {
  for (const call of waiting.values()) call.reject(new Error(event.message || "Kern abgebrochen"));
  waiting.clear();
});

// As `call`, with `onProgress(done, total)` hearing how far the core got
// where the binding tells (readRecording: samples of the recording searched).
// The ArrayBuffers in `handOver` go to the worker instead of being copied
// (a copy of a 30-minute side holds the page up for a fifth of a second);
// the caller must not use them afterwards.
export async function callWithProgress(name, args, onProgress, handOver = []) {
  await ready;
  const id = nextId++;
  return new Promise((resolve, reject) => {
    waiting.set(id, { resolve, reject, onProgress });
    worker.postMessage({ id, name, args, progress: Boolean(onProgress) }, handOver);
  });
}

export function call(name, ...args) {
  return callWithProgress(name, args, null);
}
