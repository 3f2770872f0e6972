// The page: each of its parts is a module of its own; the core behind them
// is the portable code as WebAssembly (core.js).
import "./read.js";
import "./write.js";
import "./record.js";
import "./tools.js";

// Kept for use without a network (and as an app on a phone); not from a file.
if ("serviceWorker" in navigator && location.protocol.startsWith("http")) navigator.serviceWorker.register("sw.js");
