// The page against bv7 on the same files in the same run: a program of three
// minutes (32 KiB, as bv7 bin2wav writes it) read whole, and the bench's
// 30-minute side listed. The page is used as an owner uses it (the file set
// on #datei, timed in the page from the change to the result shown); beside
// it the core call alone in the same page. Best of three each. Then the
// memory the page's worker takes for a WAV of an hour. Needs build/web (or
// the build named by SPULWERK_WEB), build/native/bv7 and build/bench/bench
// (make bench-web).
import { execFileSync, spawn, spawnSync } from "node:child_process";
import { createRequire } from "node:module";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { stereoWav16 } from "../web/tests/stereoWav.mjs";

const root = path.resolve(import.meta.dirname, "..");
const { chromium } = createRequire(path.join(root, "web/tests/package.json"))("playwright-core");
const bv7 = path.join(root, "build/native/bv7"), bench = path.join(root, "build/bench/bench");
const web = process.env.SPULWERK_WEB ? path.resolve(process.env.SPULWERK_WEB) : path.join(root, "build/web");
const work = fs.mkdtempSync(path.join(os.tmpdir(), "spulwerk-web-speed-"));
const runs = 3;

function best(times) { return Math.min(...times); }

// bv7 as a user runs it, wall time in seconds.
function native(args) {
  const times = [];
  for (let i = 0; i < runs; ++i) {
    const start = process.hrtime.bigint();
    const run = spawnSync(bv7, args, { cwd: work, stdio: "ignore" });
    times.push(Number(process.hrtime.bigint() - start) / 1e9);
    if (run.status !== 0) throw new Error(`bv7 ${args.join(" ")}: Ende mit ${run.status}`);
  }
  return best(times);
}

async function serve() {
  const port = 20000 + Math.floor(Math.random() * 20000);
  const server = spawn("python3", ["-m", "http.server", "--bind", "127.0.0.1", "--directory",
                                   web, String(port)], { stdio: "ignore" });
  const address = `http://127.0.0.1:${port}/`;
  for (let i = 0; i < 100; ++i) {
    try { if ((await fetch(address)).ok) return { server, address }; } catch {}
    await new Promise((done) => setTimeout(done, 50));
  }
  server.kill();
  throw new Error("the page's server did not answer within 5 s");
}

// The file read through the page: seconds from the file input's change to
// the status of the result; then the core call alone on the same bytes.
async function inPage(tab, file, records) {
  const page = [], core = [];
  for (let i = 0; i <= runs; ++i) {
    await tab.evaluate(() => {
      window.timed = new Promise((done) => {
        let start = 0;
        document.getElementById("datei").addEventListener("change", () => { start = performance.now(); },
                                                          { capture: true, once: true });
        const watch = new MutationObserver(() => {
          const text = document.getElementById("status").textContent;
          if (start && /: \d+ Aufnahmen?$/.test(text)) {
            watch.disconnect();
            done({ seconds: (performance.now() - start) / 1000, text });
          }
        });
        watch.observe(document.getElementById("status"), { childList: true, characterData: true, subtree: true });
      });
    });
    await tab.setInputFiles("#datei", []);
    await tab.setInputFiles("#datei", file);
    const { seconds, text } = await tab.evaluate(() => window.timed);
    if (!text.endsWith(`: ${records} Aufnahme${records === 1 ? "" : "n"}`)) throw new Error(`${file}: ${text}`);
    const alone = await tab.evaluate(async () => {
      const { call } = await import("./core.js");
      const bytes = new Uint8Array(await document.getElementById("datei").files[0].arrayBuffer());
      const start = performance.now();
      await call("readRecording", bytes, bytes.slice(0, 4096));
      return (performance.now() - start) / 1000;
    });
    if (i > 0) page.push(seconds), core.push(alone);   // the first warms up
  }
  return { page: best(page), core: best(core) };
}

const program = path.join(work, "PROG_1000_8FFF_1000.BIN");
fs.writeFileSync(program, Buffer.from(Array.from({ length: 32768 }, (_, i) => (i * 131 + (i >> 7)) & 0xff)));
execFileSync(bv7, ["bin2wav", program], { stdio: "ignore" });
execFileSync(bench, ["--seite-wav", path.join(work, "SEITE.wav")], { stdio: "ignore" });
const rows = [
  { command: "bv7 wav2bin PROG.wav", args: ["wav2bin", "--force", "PROG.wav"], file: "PROG.wav", records: 1,
    what: "Programm 32 KiB (3 min)" },
  { command: "bv7 list SEITE.wav", args: ["list", "SEITE.wav"], file: "SEITE.wav", records: 11,
    what: "Kassettenseite 30 min" },
];

// An hour of tape (the 30-minute side twice) as a capture card records it:
// a WAV of 16-bit stereo at 44100 (635 MB), the side in the left channel, in
// the right one at half the level.
function hourSide() {
  const side = fs.readFileSync(path.join(work, "SEITE.wav")), data = side.indexOf("data") + 8;
  const samples = side.subarray(data, data + side.readUInt32LE(data - 4)), frames = 2 * samples.length;
  const { wav, samples: levels } = stereoWav16(frames);
  for (let frame = 0; frame < frames; ++frame) {
    const level = (samples[frame % samples.length] - 128) * 256;
    levels[2 * frame] = level;
    levels[2 * frame + 1] = level >> 1;
  }
  const file = path.join(work, "STUNDE.wav");
  fs.writeFileSync(file, wav);
  return { file, bytes: wav.length };
}

// The file read through the page in a tab of its own (a worker of its own),
// then the size of the core's memory: it never shrinks, so it is the most
// the reading held at once.
async function memoryOf(browser, address, file) {
  const tab = await browser.newPage();
  await tab.goto(address);
  const start = Date.now();
  await tab.setInputFiles("#datei", file);
  await tab.locator("#status", { hasText: /: \d+ Aufnahmen?$/ }).waitFor({ timeout: 600000 });
  const seconds = (Date.now() - start) / 1000, status = await tab.locator("#status").textContent();
  const heap = await tab.evaluate(async () => (await import("./core.js")).call("heapBytes"));
  await tab.close();
  return { seconds, status, heap };
}

const { server, address } = await serve();
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", headless: true,
                                        args: ["--no-sandbox", "--disable-gpu", "--no-first-run"] });
try {
  const tab = await browser.newPage();
  await tab.goto(address);
  console.log("\nDie Seite gegen bv7 (beste von %d, Browser: Datei gewählt bis Ergebnis gezeigt; Kern: der Aufruf allein):\n", runs);
  console.log("| Befehl | Aufnahme | nativ | Browser | Kern im Browser | Faktor |");
  console.log("|---|---|---|---|---|---|");
  for (const row of rows) {
    const nativeSeconds = native(row.args);
    const browserTimes = await inPage(tab, path.join(work, row.file), row.records);
    console.log(`| \`${row.command}\` | ${row.what} | ${nativeSeconds.toFixed(2)} s | ${browserTimes.page.toFixed(2)} s | ` +
                `${browserTimes.core.toFixed(2)} s | ${(browserTimes.page / nativeSeconds).toFixed(1)} |`);
  }
  const hour = hourSide(), mib = (bytes) => Math.round(bytes / 1024 ** 2);
  console.log("\nDer Speicher des Kerns im Browser nach dem Lesen (wächst nur):\n");
  console.log("| Aufnahme | Ergebnis | Zeit | Speicher des Kerns |");
  console.log("|---|---|---|---|");
  for (const [what, file] of [["Kassettenseite 30 min, 8 Bit mono (75 MiB)", path.join(work, "SEITE.wav")],
                              [`1 h, 16 Bit stereo, 44100 Hz (${mib(hour.bytes)} MiB)`, hour.file]]) {
    const { seconds, status, heap } = await memoryOf(browser, address, file);
    console.log(`| ${what} | ${status} | ${seconds.toFixed(1)} s | ${mib(heap)} MiB |`);
  }
} finally {
  await browser.close();
  server.kill();
  fs.rmSync(work, { recursive: true, force: true });
}
