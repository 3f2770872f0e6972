// Reading a recording on the page, as an owner does: chosen through the file
// input and read by the page's own code; the BIN it offers must be the
// program byte for byte, with bv7 wav2bin's report; MP3 and Ogg are read at
// their own rate; copies of a program in several recordings are put together
// as bv7 wav2bin --merge does; a file that is no recording gives its message.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { bv7, context, download, openPage, shots, work } from "./rig.mjs";

test("a recording chosen on the page gives its program byte for byte", async () => {
  const image = Buffer.from(Array.from({ length: 3000 }, (_, i) => (i * 37 + 11) & 0xff));
  const bin = path.join(work, "SPIEL_1000_1BB7_1000.BIN");
  fs.writeFileSync(bin, image);
  execFileSync(bv7, ["bin2wav", bin], { stdio: "ignore" });
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#datei", path.join(work, "SPIEL.wav"));
  const link = tab.locator("a.bin");
  await link.waitFor({ timeout: 10000 });
  assert.equal(await link.getAttribute("download"), "SPIEL_1000_1BB7_1000.BIN");
  assert.match(await tab.locator("#aufnahmen pre").first().textContent(), /SPIEL\s+1000 1BB7 1000\s+12\/12\s+genau/);
  assert.deepEqual(await download(tab, link, "download.BIN"), image);
  const said = execFileSync(bv7, ["wav2bin", path.join(work, "SPIEL.wav"), "-o", path.join(work, "bv7.BIN")]);
  assert.equal(await tab.locator("#aufnahmen pre.bericht").textContent(), said.toString().split("\nBinärdatei")[0]);
  await tab.screenshot({ path: path.join(shots, "gelesen-desktop.png"), fullPage: true });
  await tab.setViewportSize({ width: 390, height: 844 });
  await tab.screenshot({ path: path.join(shots, "gelesen-telefon.png"), fullPage: true });
  assert.deepEqual(problems, []);
});

// A 32-bit float WAV (format 3) of SPIEL.wav's samples, as a sound editor exports it.
function floatWav(source, target) {
  const eight = fs.readFileSync(source), data = eight.indexOf("data") + 8, count = eight.length - data;
  const wav = Buffer.alloc(44 + count * 4);
  wav.write("RIFF", 0); wav.writeUInt32LE(36 + count * 4, 4); wav.write("WAVEfmt ", 8);
  wav.writeUInt32LE(16, 16); wav.writeUInt16LE(3, 20); wav.writeUInt16LE(1, 22); wav.writeUInt32LE(44100, 24);
  wav.writeUInt32LE(44100 * 4, 28); wav.writeUInt16LE(4, 32); wav.writeUInt16LE(32, 34);
  wav.write("data", 36); wav.writeUInt32LE(count * 4, 40);
  for (let i = 0; i < count; ++i) wav.writeFloatLE((eight[data + i] - 128) / 128, 44 + i * 4);
  fs.writeFileSync(target, wav);
}

// Two different programs named PROG at the same addresses on one side, and a
// float WAV: the page offers what bv7 wav2bin --all saves, under bv7's names;
// at a phone's width every column of the list shows without scrolling sideways.
test("the page offers bv7's BINs of a side with two PROGs and of a float WAV, its list fits a phone", async () => {
  const side = [1, 2].map((seed) => {
    fs.writeFileSync(path.join(work, `PROG${seed}_1000_14AF_1000.BIN`),
                     Buffer.from(Array.from({ length: 1200 }, (_, i) => (i * (17 + seed) + seed) & 0xff)));
    execFileSync(bv7, ["bin2wav", `PROG${seed}_1000_14AF_1000.BIN`, "--name", "PROG", "-o", `prog${seed}.wav`,
                       "--force"], { cwd: work, stdio: "ignore" });
    const wav = fs.readFileSync(path.join(work, `prog${seed}.wav`));
    return seed === 1 ? wav : wav.subarray(wav.indexOf("data") + 8);
  });
  const both = Buffer.concat(side);
  both.writeUInt32LE(both.length - 8, 4);
  both.writeUInt32LE(both.length - (side[0].indexOf("data") + 8), side[0].indexOf("data") + 4);
  const sideFile = path.join(work, "zwei.wav");
  fs.writeFileSync(sideFile, both);
  const { tab, problems } = await openPage(390, 844);
  await tab.setInputFiles("#datei", sideFile);
  await tab.locator("a.bin").nth(1).waitFor({ timeout: 10000 });
  assert.deepEqual(await tab.locator("a.bin").evaluateAll((links) => links.map((link) => link.download)),
                   ["PROG_1000_14AF_1000.BIN", "PROG_1000_14AF_1000-2.BIN"]);
  const folder = fs.mkdtempSync(path.join(work, "alle-"));
  fs.copyFileSync(sideFile, path.join(folder, "zwei.wav"));
  execFileSync(bv7, ["wav2bin", "--all", path.join(folder, "zwei.wav")], { stdio: "ignore" });
  assert.deepEqual(fs.readdirSync(folder).filter((name) => name.endsWith(".BIN")).sort(),
                   ["PROG_1000_14AF_1000-2.BIN", "PROG_1000_14AF_1000.BIN"]);
  const sideways = await tab.evaluate(() => [...document.querySelectorAll("#aufnahmen pre.zeile")]
    .filter((row) => row.scrollWidth > row.clientWidth).length + (document.documentElement.scrollWidth > innerWidth));
  assert.equal(sideways, 0, "a list row scrolls sideways at 390 px");
  await tab.screenshot({ path: path.join(shots, "zwei-telefon.png"), fullPage: true });

  floatWav(path.join(work, "SPIEL.wav"), path.join(work, "fliess.wav"));
  await tab.setInputFiles("#datei", path.join(work, "fliess.wav"));
  await tab.locator("#status", { hasText: "fliess.wav: 1 Aufnahme" }).waitFor({ timeout: 10000 });
  assert.equal(await tab.locator("a.bin").getAttribute("download"), "SPIEL_1000_1BB7_1000.BIN");
  assert.deepEqual(problems, []);
});

// Waits at most 10 s for the page's service worker.
const workerReady = (tab) => tab.evaluate(() => Promise.race([
  navigator.serviceWorker.ready.then(() => true),
  new Promise((done) => setTimeout(() => done(false), 10000)),
]));

test("once loaded, the page reads a recording without a network", async () => {
  const { tab, problems } = await openPage(390, 844);
  assert.ok(await workerReady(tab), "no service worker within 10 s");
  await tab.reload();   // now under the worker's control
  assert.ok(await workerReady(tab), "no service worker within 10 s");
  await context.setOffline(true);
  try {
    await tab.reload();
    await tab.setInputFiles("#datei", path.join(work, "SPIEL.wav"));
    await tab.locator("a.bin").waitFor({ timeout: 10000 });
    assert.equal(await tab.locator("a.bin").getAttribute("download"), "SPIEL_1000_1BB7_1000.BIN");
  } finally {
    await context.setOffline(false);
  }
  assert.deepEqual(problems, []);
});

// The encoders make their files at 16000 per second: read at that rate, the
// page names it as bv7 does ("Abtastrate nur 16000 Hz"), and the codec too.
const encoders = { lame: "lame (Debian-Paket lame)", oggenc: "oggenc (Debian-Paket vorbis-tools)" };
const missing = Object.keys(encoders).filter((tool) => spawnSync("sh", ["-c", `command -v ${tool}`]).status !== 0);
test("an MP3 and an Ogg of a recording give its program byte for byte", {
  skip: missing.length ? "nicht installiert: " + missing.map((tool) => encoders[tool]).join(", ") : false,
}, async () => {
  const image = Buffer.from(Array.from({ length: 1500 }, (_, i) => (i * 29 + 7) & 0xff));
  fs.writeFileSync(path.join(work, "KLANG_3000_35DB_3000.BIN"), image);
  execFileSync(bv7, ["bin2wav", path.join(work, "KLANG_3000_35DB_3000.BIN")], { stdio: "ignore" });
  const wav = path.join(work, "KLANG.wav"), mp3 = path.join(work, "KLANG.mp3"), ogg = path.join(work, "KLANG.ogg");
  execFileSync("lame", ["--quiet", "--resample", "16", "-b", "64", wav, mp3]);
  execFileSync("oggenc", ["--quiet", "--resample", "16000", "-o", ogg, wav]);
  const { tab, problems } = await openPage(1200, 800);
  for (const file of [mp3, ogg]) {
    await tab.setInputFiles("#datei", file);
    const link = tab.locator("a.bin");
    await tab.locator("#status", { hasText: path.basename(file) + ": 1 Aufnahme" }).waitFor({ timeout: 15000 });
    assert.equal(await link.getAttribute("download"), "KLANG_3000_35DB_3000.BIN", file);
    assert.deepEqual(await download(tab, link, "klang.BIN"), image, file);
    const whole = await tab.locator("#ganz-befunde").textContent();
    assert.match(whole, /Abtastrate nur 16000 Hz/, file);
    // The codec as bv7 check names it from the file, which the browser decoded.
    assert.match(whole, file === mp3 ? /Verlustbehaftet komprimiert \(MP3\)/ : /Verlustbehaftet komprimiert \(Vorbis in Ogg\)/);
  }
  assert.deepEqual(problems, []);
});

// Two copies of a program, each with 5 ms at the centre line in another
// block: neither alone is whole, both chosen together give the program.
test("two spoiled copies chosen together give the program, with bv7 wav2bin --merge's report", async () => {
  const image = Buffer.from(Array.from({ length: 3000 }, (_, i) => (i * 53 + 1) & 0xff));
  const bin = path.join(work, "PAAR_4000_4BB7_4000.BIN");
  fs.writeFileSync(bin, image);
  execFileSync(bv7, ["bin2wav", bin, "-o", path.join(work, "heil.wav")], { stdio: "ignore" });
  const clean = fs.readFileSync(path.join(work, "heil.wav"));
  const recordBytes = 789 + 12 * 5 + image.length, perByte = (clean.length - 46) / recordBytes;
  const copies = [2, 9].map((block, i) => {
    const wav = Buffer.from(clean), at = 46 + Math.round(perByte * (789 - 3 + (block - 1) * 261 + 100));
    wav.fill(0x80, at, at + 220);
    fs.writeFileSync(path.join(work, `KOPIE${i + 1}.wav`), wav);
    assert.equal(spawnSync(bv7, ["wav2bin", `KOPIE${i + 1}.wav`, "-o", "allein.BIN"], { cwd: work }).status, 1,
                 "one copy alone has a faulty block");
    return path.join(work, `KOPIE${i + 1}.wav`);
  });
  const merged = execFileSync(bv7, ["wav2bin", "--merge", "KOPIE1.wav", "KOPIE2.wav", "--force"], { cwd: work });
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#datei", copies);
  const link = tab.locator("a.bin");
  await link.waitFor({ timeout: 15000 });
  assert.equal(await link.getAttribute("download"), "PAAR_4000_4BB7_4000.BIN");
  assert.deepEqual(await download(tab, link, "paar.BIN"), image);
  assert.equal(await tab.locator("#aufnahmen pre.bericht").textContent(),
               merged.toString().split("\nBinärdatei")[0].trim());
  await tab.screenshot({ path: path.join(shots, "zusammengesetzt-desktop.png"), fullPage: true });
  await tab.setViewportSize({ width: 390, height: 844 });
  await tab.screenshot({ path: path.join(shots, "zusammengesetzt-telefon.png"), fullPage: true });
  assert.deepEqual(problems, []);
});

test("a file that is no recording, or a WAV cut short, gives its message on the page", async () => {
  const text = path.join(work, "notiz.txt");
  fs.writeFileSync(text, "keine Aufnahme\n");
  const { tab, problems } = await openPage(390, 844);
  await tab.setInputFiles("#datei", text);
  const message = tab.locator("#fehler");
  await message.waitFor({ state: "visible", timeout: 10000 });
  assert.equal(await message.textContent(), "Fehler: notiz.txt: keine Aufnahme, die der Browser lesen kann");
  await tab.screenshot({ path: path.join(shots, "fehler-telefon.png"), fullPage: true });
  const cut = path.join(work, "kurz.wav");
  fs.writeFileSync(cut, fs.readFileSync(path.join(work, "SPIEL.wav")).subarray(0, 40));
  await tab.setInputFiles("#datei", cut);
  await tab.locator("#fehler", { hasText: "kurz.wav" }).waitFor({ timeout: 10000 });
  assert.equal(await message.textContent(),
               "Fehler: kurz.wav: Audiodaten nicht auswertbar: kein \"data\"-Chunk mit Abtastwerten in der Datei");
  assert.deepEqual(problems, []);
});

// Half an hour as a side holds it: six programs of three minutes as bv7
// bin2wav writes each (8-bit mono WAV), two minutes of tape hiss behind each.
function longRecording() {
  const parts = [];
  let noise = 1;
  for (let i = 0; i < 6; ++i) {
    const bin = path.join(work, `LANG${i}_1000_8FFF_1000.BIN`);
    fs.writeFileSync(bin, Buffer.from(Array.from({ length: 32768 }, (_, j) => (j * (7 + i) + i) & 0xff)));
    execFileSync(bv7, ["bin2wav", bin], { stdio: "ignore" });
    const one = fs.readFileSync(path.join(work, `LANG${i}.wav`)), data = one.indexOf("data") + 8;
    if (i === 0) parts.push(Buffer.from(one.subarray(0, data)));
    const hiss = Buffer.alloc(120 * 44100);
    for (let j = 0; j < hiss.length; ++j) {
      noise = (noise * 1103515245 + 12345) >>> 0;
      hiss[j] = 124 + (noise >>> 29);
    }
    parts.push(one.subarray(data), hiss);
  }
  const samples = parts.slice(1).reduce((sum, part) => sum + part.length, 0), wav = parts[0];
  wav.writeUInt32LE(wav.length - 8 + samples, 4);
  wav.writeUInt32LE(samples, wav.length - 4);
  const file = path.join(work, "lang.wav");
  fs.writeFileSync(file, Buffer.concat(parts));
  return file;
}

test("while a long recording is read, the page keeps drawing and shows how far it got", async () => {
  const file = longRecording();
  const { tab, problems } = await openPage(1200, 800);
  await tab.evaluate(() => {
    // Every status text, and the frames drawn while it showed how far the
    // reading got (none where the reading holds up the page until its end).
    window.seen = { texts: [], during: 0, frames: 0 };
    new MutationObserver(() => window.seen.texts.push(document.getElementById("status").textContent))
      .observe(document.getElementById("status"), { childList: true, characterData: true, subtree: true });
    const tick = () => {
      const shown = /(\d+) %$/.exec(document.getElementById("status").textContent);
      if (shown && shown[1] > 0 && shown[1] < 100) window.seen.during += 1;
      window.seen.frames += 1;
      if (document.getElementById("ergebnis").hidden) requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  });
  await tab.setInputFiles("#datei", file);
  await tab.locator("a.bin").nth(5).waitFor({ timeout: 15000 });
  const seen = await tab.evaluate(() => window.seen);
  assert.equal(seen.texts.at(-1), "lang.wav: 6 Aufnahmen");
  assert.ok(seen.texts.some((text) => /^lang\.wav wird gelesen … \d+ %$/.test(text)), seen.texts.join(" | "));
  assert.ok(seen.during >= 3, `${seen.during} of ${seen.frames} frames drawn while it read`);
  assert.deepEqual(problems, []);
});
