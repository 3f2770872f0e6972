// The archive on the page: the recordings chosen are made into the archive
// bv7 archive makes of them, downloaded as a .zip of its folder; every file in
// it is bv7's byte for byte, and an unzip program takes it.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { bv7, download, openPage, work } from "./rig.mjs";

test("the page's archive of two recordings is bv7 archive's, as a zip of the folder", async () => {
  const image = Buffer.from(Array.from({ length: 700 }, (_, i) => (i * 29 + 3) & 0xff));
  fs.writeFileSync(path.join(work, "TEIL_2000_22BB_2000.BIN"), image);
  for (const name of ["eins.wav", "zwei.wav"])
    execFileSync(bv7, ["bin2wav", "TEIL_2000_22BB_2000.BIN", "-o", name, "--force"], { cwd: work, stdio: "ignore" });
  // The second recording with a pause before it: another file, the same program.
  const second = fs.readFileSync(path.join(work, "zwei.wav")), data = second.indexOf("data") + 8;
  const padded = Buffer.concat([second.subarray(0, data), Buffer.alloc(4410, 0x80), second.subarray(data)]);
  padded.writeUInt32LE(padded.length - 8, 4);
  padded.writeUInt32LE(padded.length - data, data - 4);
  fs.writeFileSync(path.join(work, "zwei.wav"), padded);
  const made = spawnSync(bv7, ["archive", "eins.wav", "zwei.wav", "-o", "seite"], { cwd: work });
  assert.equal(made.status, 0, made.stderr.toString());

  const { tab, problems } = await openPage(1200, 800);
  await tab.setInputFiles("#datei", [path.join(work, "eins.wav"), path.join(work, "zwei.wav")]);
  await tab.fill("#archiv-ordner", "seite");
  await tab.click("#archiv-knopf");
  const link = tab.locator("a.zip");
  await link.waitFor({ timeout: 20000 });
  assert.equal(await link.getAttribute("download"), "seite.zip");
  assert.match(await tab.locator("#archiv-bericht").textContent(), /TEIL\s+2000 22BB 2000\s+bestätigt/);
  fs.writeFileSync(path.join(work, "seite.zip"), await download(tab, link, "seite.zip"));
  fs.mkdirSync(path.join(work, "entpackt"));
  execFileSync("python3", ["-m", "zipfile", "-e", "seite.zip", "entpackt"], { cwd: work });
  const files = fs.readdirSync(path.join(work, "seite")).sort();
  assert.deepEqual(fs.readdirSync(path.join(work, "entpackt", "seite")).sort(), files);
  for (const file of files)
    assert.deepEqual(fs.readFileSync(path.join(work, "entpackt", "seite", file)),
                     fs.readFileSync(path.join(work, "seite", file)), file);
  assert.deepEqual(problems, []);
});
