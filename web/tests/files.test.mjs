// Big and many files on the page, chosen through its file inputs: every
// failure ends in a German message naming the file and the reason, the page
// keeps drawing, and the file chosen last is the one shown. The big files
// are sparse, so that making them costs nothing.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { bv7, openPage, work } from "./rig.mjs";

// A file of `size` bytes, all but `head` sparse.
function sparse(name, size, head = Buffer.alloc(0)) {
  const file = path.join(work, name);
  fs.writeFileSync(file, head);
  fs.truncateSync(file, size);
  return file;
}

// The header of an 8-bit mono WAV of `count` samples at `rate`.
function wavHeader(rate, count) {
  const head = Buffer.alloc(44);
  head.write("RIFF", 0); head.writeUInt32LE(36 + count, 4); head.write("WAVEfmt ", 8);
  head.writeUInt32LE(16, 16); head.writeUInt16LE(1, 20); head.writeUInt16LE(1, 22); head.writeUInt32LE(rate, 24);
  head.writeUInt32LE(rate, 28); head.writeUInt16LE(1, 32); head.writeUInt16LE(8, 34);
  head.write("data", 36); head.writeUInt32LE(count, 40);
  return head;
}

const tooBig = "zu groß für den Speicher des Browsers (2,5 GB; die Seite liest Dateien bis 1 GB) – " +
  "größere Dateien liest bv7 auf dem Rechner";

// A WAV file is read a slice at a time, at any size (long.test.mjs); a
// recording the browser decodes is taken whole.
test("a file of 2.5 GB the page takes whole gives its limit in German in each file input, nothing uncaught", async () => {
  const big = sparse("gross.wav", 2.5 * 1024 ** 3, wavHeader(44100, 0xFFFFFFD0));
  const decoded = sparse("gross.flac", 2.5 * 1024 ** 3, Buffer.from("fLaC"));
  const { tab, problems } = await openPage(1200, 800);
  const rows = [
    { input: "#datei", message: "#fehler", file: decoded },
    { input: "#bin", message: "#bin-fehler", file: big },
    { input: "#dump-datei", message: "#dump-fehler", file: big },
    { input: "#kalo-datei", message: "#kalo-fehler", file: big },
  ];
  for (const row of rows) {
    const name = path.basename(row.file);
    await tab.setInputFiles(row.input, row.file);
    await tab.locator(row.message, { hasText: name }).waitFor({ timeout: 5000 });
    assert.equal(await tab.locator(row.message).textContent(), "Fehler: " + name + ": " + tooBig, row.input);
  }
  assert.equal(await tab.locator("#status").textContent(), "");
  assert.deepEqual(problems, []);
});

// A phone call saved as GSM 6.10 in WAV: the browser cannot decode it, the
// page says which codec it is and where it can be read.
test("a WAV of a phone's codec names the codec", async () => {
  const head = wavHeader(8000, 650);
  head.writeUInt16LE(0x31, 20);
  const file = path.join(work, "anruf.wav");
  fs.writeFileSync(file, Buffer.concat([head, Buffer.alloc(650, 0x55)]));
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#datei", file);
  await tab.locator("#fehler", { hasText: "anruf.wav" }).waitFor({ timeout: 10000 });
  assert.equal(await tab.locator("#fehler").textContent(),
    "Fehler: anruf.wav: Kein PCM-Format (GSM 6.10 in WAV) – solche Dateien liest bv7 auf dem Rechner");
  assert.deepEqual(problems, []);
});

// 300 MB each: handed to the worker, which reads one at a time, instead of
// five copies at once. Their rate is one the reader refuses, so that the
// test waits for the files, not for a search through them.
test("five WAVs of 300 MB at once: each one's reason, and the page keeps drawing", async () => {
  const count = 300 * 1024 ** 2;
  const files = [1, 2, 3, 4, 5].map((i) => sparse(`gross${i}.wav`, 44 + count, wavHeader(1, count)));
  const { tab, problems } = await openPage(1200, 800);
  await tab.evaluate(() => {
    // The longest time between two frames while the files were read.
    window.seen = { longest: 0 };
    let last = performance.now();
    const tick = (now) => {
      window.seen.longest = Math.max(window.seen.longest, now - last);
      last = now;
      if (document.getElementById("fehler").hidden) requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  });
  await tab.setInputFiles("#datei", files);
  await tab.locator("#fehler").waitFor({ state: "visible", timeout: 30000 });
  assert.deepEqual((await tab.locator("#fehler").textContent()).split("\n"), files.map((file) =>
    "Fehler: Audiodaten nicht auswertbar: Abtastrate 1 Hz im Format-Chunk (lesbar sind 4000 bis 400000 Hz) (" +
    path.basename(file) + ")"));
  const { longest } = await tab.evaluate(() => window.seen);
  assert.ok(longest < 1000, `the page stood still for ${Math.round(longest)} ms`);
  assert.deepEqual(problems, []);
});

// The first file takes long before it reaches the core (a slow decoder,
// here held up on purpose); the second, chosen meanwhile, is read at once.
test("a file chosen while another is still read wins, whenever the other ends", async () => {
  fs.writeFileSync(path.join(work, "ZWEI_1000_11FF_1000.BIN"), Buffer.alloc(512, 0x3C));
  execFileSync(bv7, ["bin2wav", "ZWEI_1000_11FF_1000.BIN", "-o", "zwei.wav", "--force"], { cwd: work, stdio: "ignore" });
  const first = path.join(work, "langsam.txt");
  fs.writeFileSync(first, "keine Aufnahme\n");
  const { tab, problems } = await openPage(1200, 800);
  await tab.evaluate(() => {
    const decode = OfflineAudioContext.prototype.decodeAudioData;
    OfflineAudioContext.prototype.decodeAudioData = function (...args) {
      return new Promise((done) => setTimeout(done, 1500)).then(() => decode.apply(this, args));
    };
  });
  await tab.setInputFiles("#datei", first);
  await tab.setInputFiles("#datei", path.join(work, "zwei.wav"));
  await tab.locator("#status", { hasText: "zwei.wav: 1 Aufnahme" }).waitFor({ timeout: 10000 });
  await tab.waitForTimeout(2500);   // the first one's decoder has long given up
  assert.equal(await tab.locator("#status").textContent(), "zwei.wav: 1 Aufnahme");
  assert.equal(await tab.locator("#fehler").isHidden(), true, await tab.locator("#fehler").textContent());
  assert.equal(await tab.locator("a.bin").getAttribute("download"), "ZWEI_1000_11FF_1000.BIN");
  assert.deepEqual(problems, []);
});
