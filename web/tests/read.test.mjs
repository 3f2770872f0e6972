// Reading a recording on the page, as an owner does: chosen through the file
// input and read by the page's own code; the BIN it offers must be the
// program byte for byte; a file that is no recording gives its message.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
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
  await tab.screenshot({ path: path.join(shots, "gelesen-desktop.png"), fullPage: true });
  await tab.setViewportSize({ width: 390, height: 844 });
  await tab.screenshot({ path: path.join(shots, "gelesen-telefon.png"), fullPage: true });
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
