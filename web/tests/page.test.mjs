// The page in Debian's Chromium, as an owner uses it: a recording chosen
// through the file input is read by the page's own code, and the BIN it
// offers must be the program byte for byte; a file that is no recording
// gives its message on the page. Needs build/web (make web) and the native
// bv7 (make native), which makes the recording. Screenshots go to
// build/test-logs/web/.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawn, execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

const root = path.resolve(import.meta.dirname, "../..");
const page = path.join(root, "build/web");
const bv7 = path.join(root, "build/native/bv7");
const shots = path.join(root, "build/test-logs/web");
const work = fs.mkdtempSync(path.join(os.tmpdir(), "spulwerk-web-"));
let server, context, address;

// Python's own server on a free port of 127.0.0.1; ready once it answers.
async function serve() {
  const port = 20000 + Math.floor(Math.random() * 20000);
  server = spawn("python3", ["-m", "http.server", "--bind", "127.0.0.1", "--directory", page, String(port)],
                 { stdio: "ignore" });
  address = `http://127.0.0.1:${port}/`;
  for (let i = 0; i < 100; ++i) {
    try { if ((await fetch(address)).ok) return; } catch {}
    await new Promise((done) => setTimeout(done, 50));
  }
  throw new Error("the page's server did not answer within 5 s");
}

before(async () => {
  fs.mkdirSync(shots, { recursive: true });
  await serve();
  context = await chromium.launchPersistentContext(path.join(work, "profile"), {
    executablePath: "/usr/bin/chromium", headless: true, acceptDownloads: true, locale: "de-DE",
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
           "--disable-sync", "--no-first-run", "--lang=de"],
  });
});

after(async () => {
  await context?.close();
  server?.kill();
  fs.rmSync(work, { recursive: true, force: true });
});

async function openPage(width, height) {
  const tab = await context.newPage();
  await tab.setViewportSize({ width, height });
  const problems = [];
  tab.on("pageerror", (error) => problems.push(error.message));
  tab.on("console", (message) => { if (message.type() === "error") problems.push(message.text()); });
  await tab.goto(address);
  return { tab, problems };
}

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
  const [download] = await Promise.all([tab.waitForEvent("download"), link.click()]);
  const saved = path.join(work, "download.BIN");
  await download.saveAs(saved);
  assert.deepEqual(fs.readFileSync(saved), image);
  await tab.screenshot({ path: path.join(shots, "gelesen-desktop.png"), fullPage: true });
  await tab.setViewportSize({ width: 390, height: 844 });
  await tab.screenshot({ path: path.join(shots, "gelesen-telefon.png"), fullPage: true });
  assert.deepEqual(problems, []);
});

test("a BIN becomes the WAV bv7 bin2wav writes, byte for byte; a name off the scheme gives its message", async () => {
  const image = Buffer.from(Array.from({ length: 700 }, (_, i) => (i * 13 + 5) & 0xff));
  const bin = path.join(work, "DEMO_2000_22BB_2000.BIN");
  fs.writeFileSync(bin, image);
  execFileSync(bv7, ["bin2wav", bin, "-o", path.join(work, "bv7.wav")], { stdio: "ignore" });
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#bin", bin);
  const link = tab.locator("a.wav");
  await link.waitFor({ timeout: 10000 });
  assert.equal(await link.getAttribute("download"), "DEMO.wav");
  const [download] = await Promise.all([tab.waitForEvent("download"), link.click()]);
  const saved = path.join(work, "page.wav");
  await download.saveAs(saved);
  assert.deepEqual(fs.readFileSync(saved), fs.readFileSync(path.join(work, "bv7.wav")));
  const odd = path.join(work, "demo.bin");
  fs.writeFileSync(odd, image);
  await tab.setInputFiles("#bin", odd);
  await tab.locator("#bin-fehler").waitFor({ state: "visible", timeout: 10000 });
  assert.match(await tab.locator("#bin-fehler").textContent(), /^demo\.bin: Der BIN-Dateiname enthielt keine/);
  assert.deepEqual(problems, []);
});

test("the hex dump and CRC of a file are bv7's", async () => {
  const bin = path.join(work, "UHR_1000_1012_1000.BIN");
  fs.writeFileSync(bin, Buffer.from(Array.from({ length: 19 }, (_, i) => (i * 29 + 200) & 0xff)));
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#dump-datei", bin);
  await tab.locator("#dump-crc").filter({ hasText: "CRC" }).waitFor({ timeout: 10000 });
  const bv7Crc = execFileSync(bv7, ["crc", bin]).toString().replace(bin, "UHR_1000_1012_1000.BIN");
  assert.equal(await tab.locator("#dump-crc").textContent() + "\n", bv7Crc);
  assert.equal(await tab.locator("#dump-zeilen").textContent(), execFileSync(bv7, ["hexdump", bin]).toString());
  await tab.check("#dump-ascii");
  assert.equal(await tab.locator("#dump-zeilen").textContent(), execFileSync(bv7, ["hexdump", bin, "--ascii"]).toString());
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

// Through the private audio cable of scripts/with-audio (make web-test runs
// the tests under it): what the page plays is recorded by parecord and read
// back by bv7 to the last byte. Chromium gets the cable's server and its
// sound is not muted.
test("the page's playback reaches the cable whole", { skip: process.env.SPULWERK_AUDIO !== "cable" }, async () => {
  const image = Buffer.from(Array.from({ length: 500 }, (_, i) => (i * 7 + 3) & 0xff));
  const bin = path.join(work, "TON_3000_31F3_3000.BIN");
  fs.writeFileSync(bin, image);
  const audio = await chromium.launchPersistentContext(path.join(work, "profile-audio"), {
    executablePath: "/usr/bin/chromium", headless: true, env: { ...process.env },
    ignoreDefaultArgs: ["--mute-audio"],
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--autoplay-policy=no-user-gesture-required"],
  });
  try {
    const tab = await audio.newPage();
    await tab.goto(address);
    await tab.setInputFiles("#bin", bin);
    await tab.locator("#abspielen").waitFor({ timeout: 10000 });
    const cable = path.join(work, "kabel.wav");
    const recorder = spawn("parecord", ["--file-format=wav", "--format=u8", "--rate=44100", "--channels=1", cable]);
    await new Promise((done) => setTimeout(done, 500));
    await tab.click("#abspielen");
    await tab.locator("#restzeit", { hasText: "fertig" }).waitFor({ timeout: 30000 });
    recorder.kill("SIGINT");
    await new Promise((done) => recorder.on("exit", done));
    const out = path.join(work, "kabel.BIN");
    execFileSync(bv7, ["wav2bin", cable, "-o", out], { stdio: "ignore" });
    assert.deepEqual(fs.readFileSync(out), image);
  } finally {
    await audio.close();
  }
});

// The KALO*4 source of the kalov comparison in scripts/run-tests: umlauts,
// a zero, an empty line and a four-digit line number.
function kaloSource(file) {
  const lines = Buffer.from("\x10\x00;\x05Gr\x7d\x7ee vom BV7\x00\x20\x00\x06ORG\x031000H\x00\x30\x00START:\x01LD\x03A,0\x00" +
                            "\x40\x00\x06JR\x04NZ,START\x00\x50\x00\x00\x30\x12;\x05\x5bnderungen: keine\x00\xff", "latin1");
  const end = lines.length + 5;
  fs.writeFileSync(file, Buffer.concat([Buffer.from([end & 0xff, end >> 8, 0x4b, 0x34, 0]), lines]));
}

test("a KALO*4 source shows as bv7 kalo lists it, and saves as kalov's text", async () => {
  const source = path.join(work, "PROG.ASM");
  kaloSource(source);
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#kalo-datei", source);
  const link = tab.locator("a.txt");
  await link.waitFor({ timeout: 10000 });
  assert.equal(await tab.locator("#kalo-zeilen").textContent() + "\n", execFileSync(bv7, ["kalo", source]).toString());
  const [download] = await Promise.all([tab.waitForEvent("download"), link.click()]);
  const saved = path.join(work, "page.TXT");
  await download.saveAs(saved);
  execFileSync(bv7, ["kalo", source, "-o", path.join(work, "bv7.TXT")]);
  assert.deepEqual(fs.readFileSync(saved), fs.readFileSync(path.join(work, "bv7.TXT")));
  assert.equal(await link.getAttribute("download"), "PROG.TXT");
  assert.deepEqual(problems, []);
});

test("a file that is no recording gives its message on the page", async () => {
  const text = path.join(work, "notiz.txt");
  fs.writeFileSync(text, "keine Aufnahme\n");
  const { tab, problems } = await openPage(390, 844);
  await tab.setInputFiles("#datei", text);
  const message = tab.locator("#fehler");
  await message.waitFor({ state: "visible", timeout: 10000 });
  assert.equal(await message.textContent(), "notiz.txt: keine Aufnahme, die der Browser lesen kann");
  await tab.screenshot({ path: path.join(shots, "fehler-telefon.png"), fullPage: true });
  assert.deepEqual(problems, []);
});
