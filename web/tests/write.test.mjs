// BIN -> WAV on the page and playing it to the BV7: the WAV is bv7 bin2wav's
// byte for byte, and what the page plays reaches the cable whole.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn, spawnSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { bv7, download, launchOnCable, onCable, openPage, shots, work } from "./rig.mjs";

test("a BIN becomes the WAV bv7 bin2wav writes, byte for byte; a name off the scheme, a program past FFFF, one too big give their messages", async () => {
  const image = Buffer.from(Array.from({ length: 700 }, (_, i) => (i * 13 + 5) & 0xff));
  const bin = path.join(work, "DEMO_2000_22BB_2000.BIN");
  fs.writeFileSync(bin, image);
  execFileSync(bv7, ["bin2wav", bin, "-o", path.join(work, "bv7.wav")], { stdio: "ignore" });
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#bin", bin);
  const link = tab.locator("a.wav");
  await link.waitFor({ timeout: 10000 });
  assert.equal(await link.getAttribute("download"), "DEMO.wav");
  assert.deepEqual(await download(tab, link, "page.wav"), fs.readFileSync(path.join(work, "bv7.wav")));
  const odd = path.join(work, "demo.bin");
  fs.writeFileSync(odd, image);
  await tab.setInputFiles("#bin", odd);
  await tab.locator("#bin-fehler").waitFor({ state: "visible", timeout: 10000 });
  assert.match(await tab.locator("#bin-fehler").textContent(), /^Fehler: demo\.bin: Der BIN-Dateiname enthielt keine/);
  // Past FFFF the block addresses wrap to 0000: bv7's WAV with bv7's warning.
  const high = path.join(work, "OBEN_FFF0_011B_FFF0.BIN");
  fs.writeFileSync(high, image.subarray(0, 300));
  const warned = spawnSync(bv7, ["bin2wav", high, "-o", path.join(work, "oben.wav")]).stderr.toString().trim();
  await tab.setInputFiles("#bin", high);
  await tab.locator("#bin-meldungen li.warnung").waitFor({ timeout: 10000 });
  assert.equal(await tab.locator("#bin-meldungen li.warnung").textContent(),
               warned.replace(high, "OBEN_FFF0_011B_FFF0.BIN"));
  assert.deepEqual(await download(tab, tab.locator("a.wav"), "oben-page.wav"), fs.readFileSync(path.join(work, "oben.wav")));
  // bv7's message, as the page puts it: the file's name in front.
  const big = path.join(work, "GROSS_1000_1FFF_1000.BIN");
  fs.writeFileSync(big, Buffer.alloc(70000, 0x55));
  const said = spawnSync(bv7, ["bin2wav", big, "-o", path.join(work, "gross.wav")]).stderr.toString().trim();
  await tab.setInputFiles("#bin", big);
  await tab.locator("#bin-fehler", { hasText: "Speicher" }).waitFor({ timeout: 10000 });
  assert.equal((await tab.locator("#bin-fehler").textContent()).replace("GROSS_1000_1FFF_1000.BIN: ", "") +
               " (" + big + ")", said);
  assert.equal(await tab.locator("a.wav").count(), 0);
  assert.deepEqual(problems, []);
});

// The header typed in as in the exchange dialog: checked with its messages,
// the WAV the same as that of the file named after the scheme.
test("a BIN named off the scheme becomes the WAV of the header typed in; a bad address gives the dialog's message", async () => {
  const image = Buffer.from(Array.from({ length: 700 }, (_, i) => (i * 13 + 5) & 0xff));
  const odd = path.join(work, "demo.bin");
  fs.writeFileSync(odd, image);
  fs.writeFileSync(path.join(work, "DEMO_2000_22BB_2000.BIN"), image);
  execFileSync(bv7, ["bin2wav", path.join(work, "DEMO_2000_22BB_2000.BIN"), "-o", path.join(work, "named.wav")],
               { stdio: "ignore" });
  const { tab, problems } = await openPage(390, 844);
  await tab.setInputFiles("#bin", odd);
  await tab.locator("#kopfdaten").waitFor({ timeout: 10000 });
  await tab.fill("#kopf-name", "DEMO");
  await tab.fill("#kopf-aa", "2000");
  await tab.fill("#kopf-ea", "22BB");
  await tab.fill("#kopf-sa", "2G00");
  await tab.click("#kopf-wav");
  await tab.locator("#kopf-fehler").waitFor({ timeout: 10000 });
  assert.equal(await tab.locator("#kopf-fehler").textContent(),
               'Fehler: demo.bin: Feld SA ("2G00"): Eingabe HEX-Adresse fehlerhaft. ' +
               "Erlaubt sind bis zu 4 Ziffern 0-9 und A-F, in Großbuchstaben.");
  assert.equal(await tab.locator("a.wav").count(), 0);
  await tab.screenshot({ path: path.join(shots, "kopfdaten-telefon.png"), fullPage: true });
  await tab.fill("#kopf-sa", "2000");
  await tab.click("#kopf-wav");
  const link = tab.locator("a.wav");
  await link.waitFor({ timeout: 10000 });
  assert.equal(await link.getAttribute("download"), "DEMO.wav");
  assert.deepEqual(await download(tab, link, "fields.wav"), fs.readFileSync(path.join(work, "named.wav")));
  // An EA the length contradicts and an empty name are told, not passed over.
  await tab.fill("#kopf-name", "");
  await tab.fill("#kopf-ea", "22BA");
  await tab.click("#kopf-wav");
  await tab.locator("a.wav[download='proggi.wav']").waitFor({ timeout: 10000 });
  assert.deepEqual(await tab.locator("#bin-meldungen li").allTextContents(), [
    "Warnung: Kein Programmname eingegeben: die Aufnahme trägt einen leeren Namen, die WAV-Datei heißt proggi.wav. (demo.bin)",
    "Warnung: Die Eingabe nennt EA 22BA, die Datei (700 Bytes ab AA 2000) endet aber bei EA 22BB; die Aufnahme hat EA 22BB. (demo.bin)"]);
  // A name is offered for download as bv7 names its file: no hidden file, no control characters.
  for (const [typed, offered] of [["..", "--.wav"], ["   ", "proggi.wav"], ["C\u0001D\u001bE", "C-D-E.wav"]]) {
    await tab.fill("#kopf-name", typed);
    await tab.click("#kopf-wav");
    await tab.locator(`a.wav[download='${offered}']`).waitFor({ timeout: 10000 });
  }
  assert.deepEqual(problems, []);
});

// What the page plays is recorded from the cable by parecord and read back by
// bv7 to the last byte.
test("the page's playback reaches the cable whole", { skip: !onCable }, async () => {
  const image = Buffer.from(Array.from({ length: 500 }, (_, i) => (i * 7 + 3) & 0xff));
  const bin = path.join(work, "TON_3000_31F3_3000.BIN");
  fs.writeFileSync(bin, image);
  const audio = await launchOnCable("profile-audio");
  try {
    const { tab } = await openPage(1200, 800, audio);
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

