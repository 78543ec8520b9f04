// The browser soak: the designer drawing frame after frame with the idle animation on,
// its menu opened and walked and closed every few hundred frames, and after each thousand
// frames the page's memory measured once the garbage is collected: the JavaScript heap,
// the WebAssembly memory, the page's elements and the DevTools count of nodes. None may
// grow beyond its allowance from the first measurement to the last. As a command:
//   KORVATH_SITE=build/web/site node tests/web/soak.mjs [--frames N] [--seed N]
import {canvasBox, launchChromium, press, runAsCommand, serveSite} from './browser.mjs';
import {openInstrumented} from './storm.mjs';
import {randomSource} from './storm-input.mjs';

export const allowances = {
  jsHeap: 512 * 1024,   // bytes: after collection the heap wanders within some 250 KiB
  elements: 0,          // the page's elements with the menu closed
  nodes: 0,             // DevTools' count of nodes, after collection
  wasmMemory: 0,        // bytes: the designer never allocates after start-up
};
const measureEvery = 1000;      // frames
const menuEvery = [200, 400];   // frames between two menu walks, at random
const warmFrames = 300;         // frames drawn before the first measurement
const stallMilliseconds = 20000;

// Waits until the designer has drawn `count` frames in all; fails if it stops drawing.
async function framesDrawn(page, count) {
  const reached = await page.evaluate((count, stall) => new Promise(done => {
    let seen = window.designerFrames, since = performance.now();
    const tick = now => {
      if (window.designerFrames >= count) return done(true);
      if (window.designerFrames != seen) [seen, since] = [window.designerFrames, now];
      if (now - since > stall) return done(false);
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  }), count, stallMilliseconds);
  if (!reached) throw new Error(`the designer stopped drawing before frame ${count}`);
}

async function measure(page, client) {
  await client.send('HeapProfiler.collectGarbage');
  const {metrics} = await client.send('Performance.getMetrics');
  const metric = name => metrics.find(entry => entry.name == name).value;
  const inPage = await page.evaluate(() => ({
    frame: window.designerFrames,
    elements: document.getElementsByTagName('*').length,
    wasmMemory: Module.HEAP8.length,
  }));
  return {...inPage, jsHeap: metric('JSHeapUsedSize'), nodes: metric('Nodes')};
}

// The menu from the keyboard, down a few entries, into a submenu, and closed.
async function walkMenu(page, random) {
  await press(page, 'Shift+F10');
  for (let step = random.within(0, 3); step > 0; --step) await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Escape');
}

async function switchIdleOn(page) {
  const box = await canvasBox(page);
  await page.mouse.click(box.x + 5, box.y + 5);  // gives the canvas the keys
  await press(page, 'Shift+F10', 'End', 'Enter');  // Toggle idle
}

// What grew beyond its allowance from the first measurement to the last, in words.
export function growthFaults(first, last) {
  return Object.entries(allowances).filter(([name, allowed]) => last[name] - first[name] > allowed)
    .map(([name, allowed]) => `${name} grew from ${first[name]} to ${last[name]} (at most +${allowed})`);
}

// Runs the soak on a fresh page; returns its measurements, first to last.
export async function runSoak(browser, url, {frames, seed}) {
  const page = await openInstrumented(browser, url);
  const client = await page.createCDPSession();
  const random = randomSource(seed);
  const started = Date.now();
  try {
    await client.send('Performance.enable');
    await switchIdleOn(page);
    const start = await page.evaluate(() => window.designerFrames);
    await framesDrawn(page, start + warmFrames);
    const samples = [await measure(page, client)];
    let nextMenu = start + warmFrames + random.within(...menuEvery);
    // The last measurement comes once all the frames asked for are drawn.
    for (let frame = start + warmFrames + measureEvery; frame - measureEvery < start + frames; frame += measureEvery) {
      for (; nextMenu < frame; nextMenu += random.within(...menuEvery)) {
        await framesDrawn(page, nextMenu);
        await walkMenu(page, random);
      }
      await framesDrawn(page, frame);
      samples.push(await measure(page, client));
    }
    if (page.errors.length) throw new Error(`the page reported: ${page.errors.join('; ')}`);
    if (!page.lines.includes('Starting to move')) throw new Error('the idle animation never started a swing');
    return {samples, frames: samples[samples.length - 1].frame - start, seconds: (Date.now() - started) / 1000};
  } finally {
    await page.close();
  }
}

function option(name, fallback) {
  const at = process.argv.indexOf(name);
  return at < 0 ? fallback : Number(process.argv[at + 1]);
}

async function main() {
  const frames = option('--frames', 10000), seed = option('--seed', 1);
  const served = await serveSite();
  const browser = await launchChromium();
  try {
    const {samples, frames: drawn, seconds} = await runSoak(browser, served.url, {frames, seed});
    for (const sample of samples) console.log(JSON.stringify(sample));
    const first = samples[0], last = samples[samples.length - 1];
    console.log(`web soak: ${drawn} frames, ${Math.round(seconds)} seconds; ` +
      Object.keys(allowances).map(name => `${name} ${first[name]} -> ${last[name]}`).join(', '));
    const faults = growthFaults(first, last);
    if (faults.length) throw new Error(`web soak: ${faults.join('; ')}`);
  } finally {
    await browser.close();
    served.server.close();
  }
}

runAsCommand(import.meta.url, main);
