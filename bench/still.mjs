// What the page costs when nothing on it changes, and when something always does, in headless
// Chromium, with the browser's CPU time read from /proc for its whole process tree:
//
// - left alone after its first frame, at the browser's own frame rate (vsync on): the whole
//   browser's CPU over ten seconds, against a blank page with a canvas (one WebGL clear, then
//   nothing), with the WebGL draws and the frames drawn meanwhile;
// - idle switched on from the menu with the keyboard, as a person would, so that a joint is
//   nearly always swinging: the whole browser's CPU per frame drawn over ten seconds, without
//   vsync or a frame-rate limit (as bench/web.mjs presents its frames), against the native
//   process's CPU per frame over as many frames.
//
// With KORVATH_BEFORE_SITE, the same for that site too (a build from before the page drew
// only when the picture could change), printed as before beside after.
//
//   bench/web.sh   (or: KORVATH_SITE=build/web/site KORVATH_BENCH=build/release/bench/korvath-bench
//                   [KORVATH_BEFORE_SITE=...] node bench/still.mjs)
import {mkdtempSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {setTimeout as sleep} from 'node:timers/promises';
import {desktop, launchChromium, serveSite, site} from '../tests/web/browser.mjs';
import {cpuMilliseconds, nativeCpuPerFrame} from './cpu.mjs';

const seconds = 10;
const unthrottled = ['--disable-gpu-vsync', '--disable-frame-rate-limit'];
// What a still page may cost beyond a blank one, in percent of one core.
const allowance = 3;

function blankSite() {
  const folder = mkdtempSync(join(tmpdir(), 'korvath-blank-'));
  writeFileSync(join(folder, 'index.html'), '<!doctype html>\n<title>Blank</title>\n' +
    '<canvas id="canvas" width="700" height="700"></canvas>\n' +
    '<script>const gl = canvas.getContext("webgl"); gl.clear(gl.COLOR_BUFFER_BIT);</script>\n');
  return folder;
}

// Installed before the page loads: its WebGL draws counted, and the animation frames in which
// it drew, told apart by the document's timeline, whose time stands still within a frame (the
// page before the change draws in every animation frame and has no Frames).
function countDraws() {
  const counts = window.drawCounts = {draws: 0, framesWithDraws: 0};
  let frame = null;
  const prototype = WebGLRenderingContext.prototype;
  for (const name of ['drawElements', 'drawArrays']) {
    const draw = prototype[name];
    prototype[name] = function(...args) {
      ++counts.draws;
      if (document.timeline.currentTime !== frame) {
        frame = document.timeline.currentTime;
        ++counts.framesWithDraws;
      }
      return draw.apply(this, args);
    };
  }
}

const pageCounts = page => page.evaluate(() =>
  ({...drawCounts, drawn: window.Frames ? Frames.drawn : drawCounts.framesWithDraws}));

async function openPage(browser, url, lines = []) {
  const page = await browser.newPage();
  await page.setViewport(desktop);
  page.on('console', message => lines.push(message.text()));
  await page.evaluateOnNewDocument(countDraws);
  await page.goto(url);
  await page.waitForFunction(() => !window.Module || (Module.calledRun && drawCounts.draws > 0));
  return page;
}

// The whole browser's CPU, the page's draws and the frames it drew over `seconds`.
async function measure(page, root) {
  const [cpu, counts] = [cpuMilliseconds(root), await pageCounts(page)];
  const started = performance.now();
  await sleep(seconds * 1000);
  const [cpuAfter, countsAfter] = [cpuMilliseconds(root), await pageCounts(page)];
  const elapsed = performance.now() - started;
  return {
    percent: 100 * (cpuAfter - cpu) / elapsed, milliseconds: cpuAfter - cpu,
    draws: countsAfter.draws - counts.draws, frames: countsAfter.drawn - counts.drawn,
  };
}

// A page left alone for `seconds` after its first frame, in a browser of its own.
async function still(url) {
  const browser = await launchChromium();
  try {
    const page = await openPage(browser, url);
    await sleep(1000);  // its start-up over
    return await measure(page, browser.process().pid);
  } finally {
    await browser.close();
  }
}

// "Toggle idle", the menu's last entry, chosen with the keyboard, the pointer off the canvas
// (an entry under a resting pointer would take the focus); then the first swing's start.
async function switchIdleOn(page, lines) {
  await page.mouse.move(desktop.width - 1, desktop.height - 1);
  await page.focus('#canvas');
  await page.keyboard.down('Shift');
  await page.keyboard.press('F10');
  await page.keyboard.up('Shift');
  await page.keyboard.press('End');
  await page.keyboard.press('Enter');
  const started = Date.now();
  while (!lines.includes('Starting to move')) {
    if (Date.now() - started > 30000) throw new Error('idle did not start: no "Starting to move"');
    await sleep(100);
  }
}

// The whole browser's CPU per frame drawn over `seconds` of idle, without vsync.
async function moving(url) {
  const browser = await launchChromium(unthrottled);
  try {
    const lines = [];
    const page = await openPage(browser, url, lines);
    await switchIdleOn(page, lines);
    const measured = await measure(page, browser.process().pid);
    return {...measured, perFrame: measured.milliseconds / measured.frames, fps: measured.frames / seconds};
  } finally {
    await browser.close();
  }
}

async function main() {
  const sites = [['after', site]];
  if (process.env.KORVATH_BEFORE_SITE) sites.unshift(['before', process.env.KORVATH_BEFORE_SITE]);
  const blankServed = await serveSite(blankSite());
  const served = [];
  try {
    for (const [name, root] of sites) served.push({name, ...await serveSite(root)});
    const blank = await still(blankServed.url);
    const stills = [], movings = [];
    for (const {name, url} of served) stills.push({name, ...await still(url)});
    for (const {name, url} of served) movings.push({name, ...await moving(url)});
    const native = nativeCpuPerFrame(movings[movings.length - 1].frames);

    console.log(`\nthe page left alone after its first frame, ${seconds} s, vsync on: the whole browser's CPU`);
    console.log(`target: at most the blank page's + ${allowance}% of one core, and no draw`);
    console.log('| page | CPU, % of one core | beyond the blank page | WebGL draws | frames drawn |\n|---|---|---|---|---|');
    console.log(`| blank page with a canvas | ${blank.percent.toFixed(1)}% | | ${blank.draws} | |`);
    for (const {name, percent, draws, frames} of stills) {
      const beyond = percent - blank.percent;
      console.log(`| designer, ${name} | ${percent.toFixed(1)}% | ${beyond >= 0 ? '+' : ''}${beyond.toFixed(1)}% ` +
        `(${beyond <= allowance && draws == 0 ? 'met' : 'not met'}) | ${draws} | ${frames} |`);
    }

    console.log(`\nidle on, a joint swinging, ${seconds} s, no vsync: the whole browser's CPU per frame drawn`);
    console.log(`native process's CPU per frame (over ${movings[movings.length - 1].frames} frames): ${native.toFixed(2)} ms`);
    console.log('| page | frames drawn | a second | CPU per frame drawn | / native |\n|---|---|---|---|---|');
    for (const {name, frames, fps, perFrame} of movings) {
      console.log(`| designer, ${name} | ${frames} | ${fps.toFixed(0)} | ${perFrame.toFixed(1)} ms | ` +
        `${(perFrame / native).toFixed(2)} |`);
    }
  } finally {
    blankServed.server.close();
    for (const {server} of served) server.close();
  }
}

main().catch(error => {
  console.error(error.message);
  process.exitCode = 1;
});
