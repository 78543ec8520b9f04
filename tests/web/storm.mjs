// The browser storm: seeded random real input sent to the designer's page in headless
// Chromium, a frame drawn after every burst of 1 to `mostPerFrame` events, and after
// every burst the checks: no page or console error, the canvas's buffer the size it
// shows, the figure still in the picture, and no menu list left behind. A failure names
// the seed, the burst's events and the command that replays it. As a command:
//   KORVATH_SITE=build/web/site node tests/web/storm.mjs [--seed N] [--events N]
// prints "web storm seed N: E events, F frames, S seconds".
import {PNG} from 'pngjs';
import {launchChromium, openDesigner, openLists, runAsCommand, serveSite, settled, watchContexts} from './browser.mjs';
import {makeEvent, perform, randomSource} from './storm-input.mjs';

export const mostPerFrame = 48;
// The figure covers about a fifth of the canvas at start-up; posed, turned and repainted
// it never leaves it nor fills it.
const figureShare = {least: 0.02, most: 0.8};
const checkAttempts = 5;          // frames of grace for a resize still on its way
const answerMilliseconds = 30000; // the page's longest silence before the storm gives up
const startViewport = {width: 1000, height: 900, deviceScaleFactor: 1, hasTouch: false};

// Run in the page before it loads, after watchContexts(true), which keeps the canvas's picture
// between frames so that it can be read at any time: the designer's frames are counted (one
// clear each).
function countFrames() {
  window.designerFrames = 0;
  const clear = WebGLRenderingContext.prototype.clear;
  WebGLRenderingContext.prototype.clear = function(mask) {
    ++window.designerFrames;
    return clear.call(this, mask);
  };
}

export function openInstrumented(browser, url) {
  return openDesigner(browser, url, {beforeLoad: async page => {
    await page.evaluateOnNewDocument(watchContexts, true);
    await page.evaluateOnNewDocument(countFrames);
  }});
}

// Run in the page: what the checks look at. The canvas must show its buffer at one buffer
// pixel to a device pixel: its CSS size times the density, rounded.
async function pageState() {
  await new Promise(requestAnimationFrame);
  const canvas = document.getElementById('canvas'), box = canvas.getBoundingClientRect();
  const shown = [Math.round(box.width * devicePixelRatio), Math.round(box.height * devicePixelRatio)];
  const lists = [...document.querySelectorAll('.popup-menu')];
  const expanded = document.querySelectorAll('.popup-menu > li[aria-expanded="true"]').length;
  const probe = new OffscreenCanvas(64, 64).getContext('2d');
  probe.drawImage(canvas, 0, 0, 64, 64);
  const pixels = probe.getImageData(0, 0, 64, 64).data;
  let figure = 0;
  for (let i = 0; i < pixels.length; i += 4) {
    if (Math.min(pixels[i], pixels[i + 1], pixels[i + 2]) < 235) ++figure;
  }
  return {
    lists: lists.length, expanded,
    buffer: [canvas.width, canvas.height],
    shown,
    share: figure / (pixels.length / 4),
    box: {x: box.x, y: box.y, width: box.width, height: box.height},
  };
}

// What is wrong with the picture, or ''.
function pictureFault(state) {
  const [width, height] = state.buffer, [shownWidth, shownHeight] = state.shown;
  if (Math.abs(width - shownWidth) > 1 || Math.abs(height - shownHeight) > 1) {
    return `the canvas's buffer is ${width}x${height} but it shows ${shownWidth}x${shownHeight} device pixels`;
  }
  if (state.share < figureShare.least || state.share > figureShare.most) {
    return `${(100 * state.share).toFixed(1)}% of the picture is not white (${100 * figureShare.least}% to ${100 * figureShare.most}%)`;
  }
  return '';
}

// An open menu is one top list and a list for each entry shown expanded; nothing else.
function menuFault(state) {
  if (state.lists && state.expanded != state.lists - 1) {
    return `${state.lists} menu lists in the page for ${state.expanded} expanded entries`;
  }
  return '';
}

class Storm {
  constructor(page, client, otherTab, {url, seed}) {
    Object.assign(this, {page, client, otherTab, url, seed});
    this.random = randomSource(seed);
    this.pending = [];
    this.failures = [];
    this.buttonsDown = 0;
    this.fingers = [];
    this.viewport = {...startViewport};
    this.errorsSeen = 0;
  }

  // Sends a command without waiting for it; flush() waits for every one sent.
  send(method, parameters) {
    this.pending.push(this.client.send(method, parameters).catch(error => {
      this.failures.push(`${method} failed: ${error.message}`);
    }));
  }

  async flush() {
    const sent = this.pending;
    this.pending = [];
    let timer;
    const silence = new Promise((_, reject) => {
      timer = setTimeout(() => reject(new Error(`the page did not answer for ${answerMilliseconds / 1000} s`)),
                         answerMilliseconds);
    });
    try {
      await Promise.race([Promise.all(sent), silence]);
    } finally {
      clearTimeout(timer);
    }
  }

  applyViewport() {
    const {width, height, deviceScaleFactor, hasTouch} = this.viewport;
    this.send('Emulation.setTouchEmulationEnabled', {enabled: hasTouch, maxTouchPoints: 5});
    return this.send('Emulation.setDeviceMetricsOverride', {width, height, deviceScaleFactor, mobile: false});
  }

  async state() {
    await this.flush();
    if (this.page.url() != this.url) throw new Error(`the page left the designer for ${this.page.url()}`);
    const state = await this.page.evaluate(pageState);
    this.canvasBox = state.box;
    return state;
  }

  // Every fault found since the last check, in words.
  async faults() {
    const faults = [...this.failures, ...this.page.errors.slice(this.errorsSeen)];
    this.failures = [];
    this.errorsSeen = this.page.errors.length;
    let state = await this.state();
    faults.push(menuFault(state));
    for (let attempt = 1; attempt < checkAttempts && pictureFault(state); ++attempt) {
      await settled(this.page);
      state = await this.state();
    }
    faults.push(pictureFault(state));
    return faults.filter(Boolean);
  }

  // Now and then: Escape closes whatever menu is open, and no list may stay behind.
  async closedMenuFault() {
    this.send('Input.dispatchKeyEvent', {type: 'rawKeyDown', key: 'Escape', code: 'Escape', windowsVirtualKeyCode: 27});
    this.send('Input.dispatchKeyEvent', {type: 'keyUp', key: 'Escape', code: 'Escape', windowsVirtualKeyCode: 27});
    await this.flush();
    const lists = await openLists(this.page);
    return lists ? `${lists} menu lists left in the page after Escape` : '';
  }
}

function failureReport(storm, {burst, first, events, total, faults}) {
  return [
    `web storm: seed ${storm.seed}, burst ${burst} (events ${first} to ${first + events.length - 1}): ${faults.join('; ')}`,
    'the events of that burst:',
    ...events.map(event => `  ${JSON.stringify(event)}`),
    `replay: KORVATH_SITE=${process.env.KORVATH_SITE} node tests/web/storm.mjs --seed ${storm.seed} --events ${total}`,
  ].join('\n');
}

// Runs `events` events of the storm of `seed` on a fresh page; returns its figures or
// throws with the report of the first burst that failed.
export async function runStorm(browser, url, {seed, events}) {
  const page = await openInstrumented(browser, url);
  const otherTab = await browser.newPage();
  await page.bringToFront();
  const storm = new Storm(page, await page.createCDPSession(), otherTab, {url, seed});
  // The designer is the tab's first page: the back and forward buttons, and a sideways
  // swipe, have nowhere to go, as in a tab opened on it.
  await storm.client.send('Page.resetNavigationHistory');
  const started = Date.now();
  let sent = 0, frames = 0;
  try {
    await storm.applyViewport();
    await storm.state();
    for (let burst = 1; sent < events; ++burst) {
      const first = sent, size = Math.min(events - sent, storm.random.within(1, mostPerFrame)), fed = [];
      try {
        for (let i = 0; i < size; ++i, ++sent) {
          const event = makeEvent(storm.random);
          fed.push(event);
          await perform(storm, event);
        }
        const faults = await storm.faults();  // after the next frame
        ++frames;
        if (storm.random.chance(0.25)) faults.push(await storm.closedMenuFault());
        if (faults.some(Boolean)) throw new Error(faults.filter(Boolean).join('; '));
      } catch (error) {
        throw new Error(failureReport(storm, {burst, first, events: fed, total: sent + 1, faults: [error.message]}));
      }
    }
    await finalPictureCheck(storm);
  } finally {
    await otherTab.close();
    await page.close();
  }
  return {events: sent, frames, seconds: (Date.now() - started) / 1000};
}

// At the end, the picture as the page shows it on the screen, the menu closed.
async function finalPictureCheck(storm) {
  const fault = await storm.closedMenuFault();
  const box = await storm.page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    canvas.scrollIntoView();
    const {x, y, width, height} = canvas.getBoundingClientRect();
    return {x: x + scrollX, y: y + scrollY, width, height, scale: 1};
  });
  await settled(storm.page);
  const {data} = await storm.client.send('Page.captureScreenshot', {format: 'png', clip: box, captureBeyondViewport: false});
  const picture = PNG.sync.read(Buffer.from(data, 'base64'));
  let figure = 0;
  for (let i = 0; i < picture.data.length; i += 4) {
    if (Math.min(picture.data[i], picture.data[i + 1], picture.data[i + 2]) < 235) ++figure;
  }
  const share = figure / (picture.width * picture.height);
  if (fault || share < figureShare.least || share > figureShare.most) {
    throw new Error(`web storm: seed ${storm.seed}: at the end ${fault || `the screen shows ${(100 * share).toFixed(1)}% of figure`}`);
  }
}

function option(name, fallback) {
  const at = process.argv.indexOf(name);
  if (at < 0) return fallback;
  const value = Number(process.argv[at + 1]);
  if (!Number.isInteger(value) || value < 0) throw new Error(`${name} takes a whole number`);
  return value;
}

async function main() {
  const seed = option('--seed', 1), events = option('--events', 2000);
  const served = await serveSite();
  const browser = await launchChromium();
  try {
    const {frames, seconds} = await runStorm(browser, served.url, {seed, events});
    console.log(`web storm seed ${seed}: ${events} events, ${frames} frames, ${Math.round(seconds)} seconds`);
  } finally {
    await browser.close();
    served.server.close();
  }
}

runAsCommand(import.meta.url, main);
