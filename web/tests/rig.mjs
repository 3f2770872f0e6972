// What the page's tests share: the page served by Python's own server on a
// free port of 127.0.0.1, Debian's Chromium under playwright-core with a fresh
// profile, the native bv7 that makes recordings and reads what the page made,
// and a folder of their own. Needs build/web (make web) and build/native/bv7
// (or the bv7 named by BV7).
// Screenshots go to build/test-logs/web/.
import { before, after } from "node:test";
import { spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

export const root = path.resolve(import.meta.dirname, "../..");
export const bv7 = process.env.BV7 ? path.resolve(process.env.BV7) : path.join(root, "build/native/bv7");
export const shots = path.join(root, "build/test-logs/web");
export const work = fs.mkdtempSync(path.join(os.tmpdir(), "spulwerk-web-"));
const page = path.join(root, "build/web");
let server;
export let context, address;

// Ready once it answers.
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

// A tab of the page at this size, with every error it reports; in the
// shared browser or in `browser` (one of launchOnCable's).
export async function openPage(width, height, browser = context) {
  const tab = await browser.newPage();
  await tab.setViewportSize({ width, height });
  const problems = [];
  tab.on("pageerror", (error) => problems.push(error.message));
  tab.on("console", (message) => { if (message.type() === "error") problems.push(message.text()); });
  await tab.goto(address);
  return { tab, problems };
}

// What a download link gives when clicked, saved as `name` in the test's folder.
export async function download(tab, link, name) {
  const [arrived] = await Promise.all([tab.waitForEvent("download"), link.click()]);
  const saved = path.join(work, name);
  await arrived.saveAs(saved);
  return fs.readFileSync(saved);
}

// A browser of its own on the private audio cable of scripts/with-audio
// (make web-test runs the tests under it): the cable's server, sound not muted.
export const onCable = process.env.SPULWERK_AUDIO === "cable";
export function launchOnCable(name, args = []) {
  return chromium.launchPersistentContext(path.join(work, name), {
    executablePath: "/usr/bin/chromium", headless: true, env: { ...process.env }, acceptDownloads: true,
    ignoreDefaultArgs: ["--mute-audio"],
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--autoplay-policy=no-user-gesture-required", ...args],
  });
}
