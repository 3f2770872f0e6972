// The signal view of a recording read on the page: a block spoiled in the WAV
// is marked faulty where bv7 list's labels put it, in the list a screen reader
// gets as on the canvas, and the view zooms in to a few bit cells of it.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { bv7, openPage, shots, work } from "./rig.mjs";

// bv7 list's labels of a recording: [begin, end, text], seconds.
const labelsOf = (wav) => execFileSync(bv7, ["list", wav, "--labels", "-"], { stdio: ["ignore", "pipe", "ignore"] })
  .toString().trim().split("\n").map((line) => line.split("\t")).map(([b, e, text]) => [Number(b), Number(e), text]);

// m:ss.s, cut as bv7 list cuts its times.
const cut = (seconds) => {
  const tenths = Math.floor(seconds * 10 + 1e-6);
  return Math.floor(tenths / 600) + ":" + String(Math.floor(tenths / 10) % 60).padStart(2, "0") + "." + (tenths % 10);
};

test("a spoiled block is marked where bv7 list names it, and the view zooms to a few bit cells", async () => {
  fs.writeFileSync(path.join(work, "WELLE_1000_14AF_1000.BIN"), Buffer.from(Array.from({ length: 1200 }, (_, i) => (i * 37 + 11) & 0xff)));
  execFileSync(bv7, ["bin2wav", path.join(work, "WELLE_1000_14AF_1000.BIN")], { stdio: "ignore" });
  const wav = fs.readFileSync(path.join(work, "WELLE.wav"));
  // Block 4's data byte 100 turned upside down, cell for cell: its checksum fails.
  const [begin, end] = labelsOf(path.join(work, "WELLE.wav")).find((label) => label[2] === "Block 4 gut");
  const data = wav.indexOf("data") + 8, cell = ((end - begin) * 44100) / ((4 + 256) * 8);
  const at = Math.round(begin * 44100 + (3 + 100) * 8 * cell);
  for (let i = at; i < at + Math.round(8 * cell); ++i) wav[data + i] = Math.min(255, 256 - wav[data + i]);
  const spoiled = path.join(work, "WELLE-fehler.wav");
  fs.writeFileSync(spoiled, wav);
  const faulty = labelsOf(spoiled).filter((label) => label[2].endsWith("Prüfsummenfehler"));
  assert.deepEqual(faulty.map((label) => label[2]), ["Block 4 Prüfsummenfehler"]);

  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#datei", spoiled);
  const mark = tab.locator("#welle-marken li.warnung button");
  await mark.first().waitFor({ timeout: 10000 });
  assert.deepEqual(await mark.allTextContents(), ["Block 4 fehlerhaft, bei " + cut(faulty[0][0])]);
  // On the canvas: the warning colour in block 4's shade, not in block 3's.
  const shadeAt = (seconds) => tab.evaluate((s) => {
    const canvas = document.getElementById("welle-bild"), from = Number(canvas.dataset.von), to = Number(canvas.dataset.bis);
    const x = Math.round(((s * 44100 - from) / (to - from)) * canvas.width);
    return [...canvas.getContext("2d").getImageData(x, Math.round(17 * devicePixelRatio), 1, 1).data.slice(0, 3)];
  }, seconds);
  await tab.waitForFunction(() => document.getElementById("welle-bild").dataset.zellen);
  await tab.waitForTimeout(200);
  assert.deepEqual(await shadeAt((faulty[0][0] + faulty[0][1]) / 2), [0xf7, 0xa0, 0x72]);
  assert.notDeepEqual(await shadeAt(faulty[0][0] - 0.5), [0xf7, 0xa0, 0x72]);
  await tab.locator("#welle").screenshot({ path: path.join(shots, "welle-desktop.png") });

  // Closer and closer into the faulty block, to the last step "+" takes.
  const zoomIn = async (shot) => {
    await mark.first().click();
    for (let i = 0; i < 30 && await tab.locator("#welle-plus").isEnabled(); ++i) await tab.locator("#welle-plus").click();
    const shown = await tab.locator("#welle-bild").evaluate((canvas) => ({ ...canvas.dataset }));
    assert.ok(Number(shown.zellen) <= 4.5, "bit cells across the view: " + shown.zellen);
    assert.ok(Number(shown.von) >= faulty[0][0] * 44100 && Number(shown.bis) <= faulty[0][1] * 44100, JSON.stringify(shown));
    assert.match(await tab.locator("#welle-bereich").textContent(), /^Sichtbar: \d:\d\d\.\d{3} – \d:\d\d\.\d{3} \(4 Bitzellen\)$/);
    await tab.waitForTimeout(200);
    await tab.locator("#welle").screenshot({ path: path.join(shots, shot) });
  };
  await zoomIn("welle-zelle-desktop.png");
  await tab.setViewportSize({ width: 390, height: 844 });
  await tab.locator("#welle-ganz").click();
  await tab.waitForTimeout(200);
  await tab.locator("#welle").screenshot({ path: path.join(shots, "welle-telefon.png") });
  await zoomIn("welle-zelle-telefon.png");
  assert.deepEqual(problems, []);
});
