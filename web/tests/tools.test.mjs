// The page's tools against bv7's: hex dump and CRC, and the KALO*4 listing
// with kalov's text file.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { bv7, download, openPage, work } from "./rig.mjs";

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
  // The dump is made again in the worker: its character column shows when it is there.
  await tab.locator("#dump-zeilen", { hasText: "|" }).waitFor({ timeout: 10000 });
  assert.equal(await tab.locator("#dump-zeilen").textContent(), execFileSync(bv7, ["hexdump", bin, "--ascii"]).toString());
  assert.equal(await tab.locator("#dump-gekuerzt").isHidden(), true);
  // A file longer than the dump shows: both say so, and whose CRC the dump's is.
  fs.writeFileSync(path.join(work, "GROSS.BIN"), Buffer.alloc(70000, 0x41));
  await tab.setInputFiles("#dump-datei", path.join(work, "GROSS.BIN"));
  await tab.locator("#dump-gekuerzt").waitFor({ timeout: 10000 });
  const bv7Dump = spawnSync(bv7, ["hexdump", "GROSS.BIN"], { cwd: work });
  assert.match(bv7Dump.stderr.toString(), /^Warnung: .*65535 Bytes von GROSS\.BIN.*CRC/);
  assert.equal(await tab.locator("#dump-gekuerzt").textContent() + "\n", bv7Dump.stderr.toString());
  assert.deepEqual(problems, []);
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
  const saved = await download(tab, link, "page.TXT");
  execFileSync(bv7, ["kalo", source, "-o", path.join(work, "bv7.TXT")]);
  assert.deepEqual(saved, fs.readFileSync(path.join(work, "bv7.TXT")));
  assert.equal(await link.getAttribute("download"), "PROG.TXT");
  assert.deepEqual(problems, []);
});

