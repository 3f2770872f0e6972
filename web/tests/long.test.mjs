// A recording far longer than what the page's worker holds of it at once (the
// longest record ahead of the readers, ten seconds behind them): a 16-bit
// stereo WAV, read a slice at a time from the file chosen, lists and offers
// what bv7 does.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { bv7, download, openPage, work } from "./rig.mjs";
import { stereoWav16 } from "./stereoWav.mjs";

// Two different programs named PROG at the same addresses (bv7 bin2wav, 8-bit
// mono at 44100) in the left channel of a 16-bit stereo WAV at 44100,
// `minutes` of tape hiss between them; the right channel hiss alone.
function longSide(minutes) {
  const images = [1, 2].map((seed) => Buffer.from(Array.from({ length: 1500 }, (_, i) => (i * (29 + seed) + seed) & 0xff)));
  const records = images.map((image, i) => {
    fs.writeFileSync(path.join(work, `LANG${i}_1000_15DB_1000.BIN`), image);
    execFileSync(bv7, ["bin2wav", `LANG${i}_1000_15DB_1000.BIN`, "--name", "PROG", "-o", `lang${i}.wav`, "--force"],
                 { cwd: work, stdio: "ignore" });
    const wav = fs.readFileSync(path.join(work, `lang${i}.wav`));
    return wav.subarray(wav.indexOf("data") + 8);
  });
  const gap = Math.round(minutes * 60 * 44100), frames = records[0].length + gap + records[1].length + 44100;
  const { wav, samples } = stereoWav16(frames);
  let seed = 7;
  const hiss = () => ((seed = (seed * 1103515245 + 12345) >>> 0) >>> 16) % 1200 - 600;
  for (let frame = 0; frame < frames; ++frame) {
    const at = frame - records[0].length - gap;
    const signal = frame < records[0].length ? records[0][frame] : at >= 0 && at < records[1].length ? records[1][at] : 0;
    samples[2 * frame] = signal ? (signal - 128) * 256 : hiss();
    samples[2 * frame + 1] = hiss();
  }
  const file = path.join(work, "lang16.wav");
  fs.writeFileSync(file, wav);
  return { file, images };
}

test("a WAV of 12 minutes, 16-bit stereo, lists and offers on the page what bv7 does", async () => {
  const { file, images } = longSide(12);
  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#datei", file);
  await tab.locator("#status", { hasText: "lang16.wav: 2 Aufnahmen" }).waitFor({ timeout: 120000 });
  const listed = execFileSync(bv7, ["list", file], { stdio: ["ignore", "pipe", "ignore"] }).toString().trimEnd().split("\n");
  const whole = listed.indexOf("Ganze Aufnahme:");
  assert.deepEqual([await tab.locator("#kopf").textContent(), ...await tab.locator("#aufnahmen pre.zeile").allTextContents()],
                   listed.slice(0, whole));
  assert.deepEqual(await tab.locator("#ganz-befunde li").allTextContents(), listed.slice(whole + 1).map((line) => line.trim()));
  const links = tab.locator("a.bin");
  assert.deepEqual(await links.evaluateAll((all) => all.map((link) => link.download)),
                   ["PROG_1000_15DB_1000.BIN", "PROG_1000_15DB_1000-2.BIN"]);
  assert.deepEqual(await download(tab, links.nth(1), "lang-2.BIN"), images[1]);
  assert.deepEqual(problems, []);
});
