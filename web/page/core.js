// The portable core (spulwerk.mjs), reached by the name of a binding:
// `await call("readRecording", bytes)` gives what the binding returns.
import createCore from "./spulwerk.mjs";

const core = await createCore();

export async function call(name, ...args) {
  return core[name](...args);
}
