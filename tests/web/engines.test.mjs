// The designer in each browser engine: Chromium, Firefox (WebDriver BiDi) and WebKit
// (WebKitWebDriver), each walking the same steps as a new user would, on the X display of the
// tests, from the page's start; then the pages that cannot run: no WebGL, no WebAssembly, the
// runtime or its WebAssembly missing, cut short or corrupt; and a reload while the page starts.
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {join} from 'node:path';
import {after, before, describe, test} from 'node:test';
import {setTimeout as pause} from 'node:timers/promises';
import {
  assertSamePicture, canvasBox, canvasSize, desktop, differs, entryCentre, launchChromium, launchFirefox, nativePicture,
  openLists, serveSite, settled, site, startPicture, until, watchContexts, whenSettled,
} from './browser.mjs';
import {engines, openPuppeteer, puppeteerEngine} from './drivers.mjs';

const bloodRed = 'Colors/Main Color/Blood Red';
const emeraldGreen = 'Colors/Main Color/Emerald Green';
// Two ← and an ↑ in the 700-pixel picture: drags of 1/36 of it, whole pixels with the rest carried.
const arrowDrags = ['drag:19,0', 'drag:20,0', 'drag:0,19'];
const holdMilliseconds = 800;  // longer than the page's half-second hold
const cpuSlowdown = 6;

// How the page starts, seen from its first script: the WebGL contexts handed out on any canvas
// (and when the first was), where the picture's place is before the designer runs, where the
// picture of the start stood as the first context was asked for, and the layout's shifts
// where the browser tells of them.
const startWatch = `(${watchContexts})(false);
Object.assign(pageStart, {image: null, shifts: 0});
if (PerformanceObserver.supportedEntryTypes?.includes('layout-shift')) {
  new PerformanceObserver(list => list.getEntries().forEach(shift => { pageStart.shifts += shift.value; }))
    .observe({type: 'layout-shift', buffered: true});
}
const countedContext = HTMLCanvasElement.prototype.getContext;
HTMLCanvasElement.prototype.getContext = function(...rest) {
  const context = countedContext.apply(this, rest), image = document.getElementById('start-picture');
  if (pageStart.contexts.length) pageStart.image ??= image?.getClientRects().length ? JSON.stringify(image.getBoundingClientRect()) : 'none';
  return context;
};`;

// Errors of a page whose driver reports none, gathered by the page itself from its first script.
const errorWatch = `window.pageErrors = [];
addEventListener('error', event => pageErrors.push(String(event.message)));
addEventListener('unhandledrejection', event => pageErrors.push(String(event.reason)));
const consoleError = console.error;
console.error = (...parts) => { pageErrors.push(parts.join(' ')); consoleError(...parts); };
` + startWatch;

let served, natives;
before(async () => {
  served = await serveSite(undefined, {firstScript: errorWatch});
  natives = {start: nativePicture([]), red: nativePicture([bloodRed]), green: nativePicture([bloodRed, emeraldGreen]),
    arrows: nativePicture([bloodRed, emeraldGreen, ...arrowDrags])};
});
after(() => served?.server.close());

const designerRuns = () => window.Module && Module.calledRun && document.getElementById('notice').hidden;

// ---- What the page draws, counted in the page: the frames it draws and their WebGL draws. ----

const stillMilliseconds = 2000;

function countDraws() {
  window.drawCounts = {since: Frames.drawn, draws: 0};
  for (const name of ['drawElements', 'drawArrays']) {
    const draw = GLctx[name];
    GLctx[name] = function(...args) {
      ++drawCounts.draws;
      return draw.apply(this, args);
    };
  }
}

// The frames and WebGL draws since the count began, or since the last look.
const drawnSinceLastLook = () => {
  const drawn = {frames: Frames.drawn - drawCounts.since, draws: drawCounts.draws};
  window.drawCounts = {since: Frames.drawn, draws: 0};
  return drawn;
};

// Runs a step, which the page draws.
async function assertDrawn(engine, what, step) {
  await engine.evaluate(drawnSinceLastLook);
  await step();
  await until(engine, () => drawCounts.since < Frames.drawn, `${what} drawn`);
}

// Runs steps after which the picture is as it was: the page draws at most `most` frames
// once the frame it may have been waiting for is drawn.
async function assertStill(engine, what, most, step = () => pause(stillMilliseconds)) {
  await until(engine, () => !Frames.requested, 'its last frame');
  await engine.evaluate(drawnSinceLastLook);
  await step();
  await engine.evaluate(whenSettled);
  const {frames, draws} = await engine.evaluate(drawnSinceLastLook);
  assert.ok(frames <= most && draws <= most * 8, `${what}: ${frames} frames and ${draws} WebGL draws`);
}

// ---- The steps, the same in every engine. ----

// The middle of the entry with this label in the deepest open list of the menu, as [x, y].
const entryAt = (engine, label) => entryCentre(engine, label).then(({x, y}) => [x, y]);

// A right click on the canvas, then the entries of one menu path hovered and the last clicked.
async function chooseWithMouse(engine, path) {
  const box = await canvasBox(engine);
  await engine.mouse([{move: [box.x + 60, box.y + 60]}, {down: 2}, {up: 2}]);
  const labels = path.split('/');
  for (const label of labels.slice(0, -1)) await engine.mouse([{move: await entryAt(engine, label), steps: 2}]);
  await engine.mouse([{move: await entryAt(engine, labels[labels.length - 1]), steps: 2}, {down: 0}, {up: 0}]);
}

async function assertMatches(engine, native, name, what) {
  const web = await engine.picture();
  assertSamePicture(web, native, `${name}-${what}`);
  return web;
}

// The page's start as its first script saw it: one context, made once the page's own text
// and buttons were on the screen (where the browser says when that was), and the picture's
// place where it was before the picture came; the picture of the start there until the first
// frame, or never where a design kept for the tab comes back (`kept`).
async function assertStart(engine, what, {kept = false} = {}) {
  await until(engine, () => window.Frames?.drawn > 0, `${what}: the first frame`);
  const start = await engine.evaluate(() => {
    const paint = performance.getEntriesByName('first-contentful-paint')[0];
    const canvas = document.getElementById('canvas');
    return {contexts: pageStart.contexts.length, contextAt: pageStart.contextAt, paintedAt: paint?.startTime ?? null,
      painted: ['menu-button', 'hint'].every(id => document.getElementById(id).getClientRects().length > 0),
      samePlace: JSON.stringify(canvas.getBoundingClientRect()) == pageStart.place, busy: canvas.getAttribute('aria-busy'),
      place: pageStart.place, image: pageStart.image, imageGone: !document.getElementById('start-picture'),
      shifts: pageStart.shifts};
  });
  assert.equal(start.contexts, 1, `${what}: WebGL contexts made`);
  assert.equal(start.image, kept ? 'none' : start.place, `${what}: the picture of the start, as the context was made`);
  assert.ok(start.imageGone, `${what}: the picture of the start outlived the first frame`);
  assert.equal(start.shifts, 0, `${what}: the layout shifted`);
  assert.ok(start.painted, `${what}: the buttons and hint are not shown`);
  if (start.paintedAt !== null) {
    assert.ok(start.paintedAt < start.contextAt,
      `${what}: the page was first painted at ${start.paintedAt} ms, after its context (${start.contextAt} ms)`);
  }
  assert.ok(start.samePlace, `${what}: the picture's place moved when the picture came`);
  assert.equal(start.busy, null, `${what}: the picture is still marked busy`);
  return start;
}

// A walk's steps, a subtest each, so that a failure names its step: `step(what, run)` gives
// what `run` returns. Each step goes on from where the one before left the page: the walk
// stops at the first that fails.
function stepsOf(t) {
  return async (what, run) => {
    let result, passed = false;
    await t.test(what, async () => {
      result = await run();
      passed = true;
    });
    if (!passed) throw new Error(`the walk stopped at its step "${what}"`);
    return result;
  };
}

// The start, the first frame, a menu choice with the mouse, keys, the keyboard's menu, the
// arrows, a drag after the right button's menu, touch where the driver has it, and a lost
// context.
async function walkDesigner(engine, name, step) {
  await step('the start: one context, after the first paint', async () => {
    await engine.open(served.url);
    await until(engine, designerRuns, 'the designer');
    await assertStart(engine, 'the start');
  });
  await step('the first frame is the native one and the picture of the start', async () => {
    const first = await assertMatches(engine, natives.start, name, 'first frame');
    assertSamePicture(first, startPicture(canvasSize), `${name}-the picture of the start`);
  });
  // Left alone, the page draws nothing; keys that do nothing and a click without a move draw
  // at most a frame. A new size is drawn, and so is the old size again.
  await step('left alone, it draws nothing', async () => {
    await engine.evaluate(countDraws);
    await assertStill(engine, 'the page left alone', 0);
  });
  const box = await canvasBox(engine), centre = [box.x + box.width / 2, box.y + box.height / 2];
  await step('keys and a click that change nothing draw at most a frame', () =>
    assertStill(engine, 'keys and a click that change nothing', 1, async () => {
      await engine.mouse([{move: centre}, {down: 0}, {up: 0}]);
      await engine.press(...'xyz');
    }));
  await step('a new size and the old one again, each drawn and the native frame', async () => {
    // A window's new size reaches the page when the browser lays it out again: counted from there.
    const resized = (width, height) => async () => {
      const before = await engine.evaluate(() => document.getElementById('canvas').width);
      await engine.resize(width, height);
      await until(engine, before => document.getElementById('canvas').width != before, 'the new size', before);
    };
    await assertDrawn(engine, 'a new size', resized(640, 480));
    const size = await engine.evaluate(() => document.getElementById('canvas').width);
    assert.ok(size < desktop.height - 100, `the picture is still ${size} pixels wide`);
    await assertMatches(engine, nativePicture([], size), name, 'a new size');
    await assertDrawn(engine, 'the old size', resized(desktop.width, desktop.height));
    await assertMatches(engine, natives.start, name, 'the old size');
  });
  // The browser's own menu, which would cover the designer's and take the pointer, opens on
  // a context-menu event that no one prevented.
  await engine.evaluate(() => {
    window.browserMenus = 0;
    document.addEventListener('contextmenu', event => { if (!event.defaultPrevented) ++browserMenus; });
  });

  const red = await step('Blood Red with the mouse', async () => {
    await assertDrawn(engine, 'Blood Red', () => chooseWithMouse(engine, bloodRed));
    assert.equal(await openLists(engine), 0, 'the menu stayed open');
    return assertMatches(engine, natives.red, name, 'Blood Red');
  });

  await step('W six times swings the arm, S six times brings it back', async () => {
    await assertDrawn(engine, 'W', () => engine.press(...'wwwwww'));
    assert.ok(differs(await engine.picture(), red), 'W did not swing the arm');
    await engine.press(...'ssssss');
    await assertMatches(engine, natives.red, name, 'after W and S');
  });

  const green = await step('Emerald Green from the keyboard\'s menu', async () => {
    await engine.press('Shift+F10', 'ArrowDown', 'Enter', 'Enter', 'ArrowUp', 'ArrowUp', 'Enter');
    return assertMatches(engine, natives.green, name, 'Emerald Green from the keyboard');
  });

  // The arrows are drags through the designer's own callbacks: the native frame after the same
  // drags, and the view back where it was after the opposite arrows.
  await step('the arrows turn the view as the same drags do, and back', async () => {
    await engine.press('ArrowLeft', 'ArrowLeft', 'ArrowUp');
    await assertMatches(engine, natives.arrows, name, 'after two left arrows and one up');
    await engine.press('ArrowDown', 'ArrowRight', 'ArrowRight');
    await assertMatches(engine, natives.green, name, 'the arrows undone');
  });

  // The right button's menu, opened and closed; then a left drag orbits, and ends with its release.
  await step('the right button\'s menu opened and closed, then a left drag', async () => {
    await engine.mouse([{move: [box.x + 200, box.y + 200]}, {down: 2}, {up: 2}]);
    assert.equal(await openLists(engine), 1, 'the right button opened no menu');
    await engine.press('Escape');
    await assertDrawn(engine, 'a drag', () =>
      engine.mouse([{move: centre}, {down: 0}, {move: [centre[0] + 150, centre[1]], steps: 5}, {up: 0}]));
    const turned = await engine.picture();
    assert.ok(differs(turned, green), 'the left drag did not turn the view');
  });
  // Two buttons at once, pressed and released in every order (a right press during a drag
  // opens no menu): then no button is left down, and the next drag orbits.
  const turnedAgain = await step('two buttons at once, in every order, leave none down', async () => {
    const orders = [[0, 1, 0, 1], [1, 0, 0, 1], [0, 2, 2, 0], [0, 1, 1, 0]];
    for (const [first, second, firstUp, secondUp] of orders.filter(order => engine.middleButton || !order.includes(1))) {
      await engine.mouse([{move: centre}, {down: first}, {move: [centre[0] + 40, centre[1]], steps: 2}, {down: second},
        {move: [centre[0] + 80, centre[1] + 20], steps: 2}, {up: firstUp}, {move: [centre[0] + 60, centre[1]], steps: 2},
        {up: secondUp}]);
    }
    assert.equal(await openLists(engine), 0, 'a second button opened the menu');
    const chorded = await engine.picture();
    await engine.mouse([{move: [centre[0], centre[1] + 120], steps: 5}]);
    assert.ok(!differs(await engine.picture(), chorded), 'the view turned with no button down');
    await engine.mouse([{down: 0}, {move: [centre[0] + 100, centre[1] + 120], steps: 5}, {up: 0}]);
    assert.ok(differs(await engine.picture(), chorded), 'the drag after two buttons did not turn the view');
    return engine.picture();
  });

  if (engine.touch) {
    await step('a long press opens the menu, and taps choose from it', async () => {
      await engine.touch(...centre, holdMilliseconds);
      assert.ok(await openLists(engine) > 0, 'a long press opened no menu');
      for (const label of bloodRed.split('/')) await engine.touch(...await entryAt(engine, label));
      assert.equal(await openLists(engine), 0, 'the menu stayed open');
      assert.ok(differs(await engine.picture(), turnedAgain), 'the tapped paint did not show');
    });
  }
  await step('no page error, and never the browser\'s own menu', async () => {
    assert.equal(await engine.evaluate(() => browserMenus), 0, 'the browser\'s own menu opened');
    assert.deepEqual(await engine.errors(), []);
  });

  // The idle sway draws its swings, and the page is still again once it is switched off.
  // The pointer is moved off the picture first: an entry under it would take the focus.
  await step('idle switched on sways, and off is still again', async () => {
    await engine.mouse([{move: [2, 2]}]);
    const toggleIdle = () => engine.press('Shift+F10', 'End', 'Enter');
    await assertDrawn(engine, 'idle switched on', toggleIdle);
    await until(engine, () => drawCounts.since + 3 < Frames.drawn, 'the idle sway');
    await assertDrawn(engine, 'idle switched off', toggleIdle);
    await assertStill(engine, 'the page with idle off', 0);
  });

  // Lost, given back (the page loads again and draws), and lost again.
  await step('the context lost, given back and lost again', async () => {
    const loseContext = () => {
      window.contextLoss = GLctx.getExtension('WEBGL_lose_context');
      contextLoss.loseContext();
    };
    const says = kind => {
      const notice = document.getElementById('notice');
      return !notice.hidden && notice.dataset.kind == kind && !document.getElementById('canvas').getClientRects().length;
    };
    await engine.evaluate(loseContext);
    await until(engine, says, 'the lost picture', 'lost');
    assert.deepEqual(await engine.errors(), []);
    await engine.evaluate(() => { contextLoss.restoreContext(); });
    await until(engine, () => window.Frames?.drawn > 0 && document.getElementById('notice').hidden, 'the designer again');
    await assertStart(engine, 'the start after the context came back', {kept: true});
    const again = await engine.picture();
    assert.ok(differs(again, {...again, rgb: Buffer.alloc(again.rgb.length, 255)}), 'the picture is blank');
    await engine.evaluate(loseContext);
    await until(engine, says, 'the picture lost again', 'lost');
    assert.deepEqual(await engine.errors(), []);
  });
}

describe('the designer in every engine', () => {
  for (const [name, open] of Object.entries(engines)) {
    test(name, async t => {
      const {engine, close} = await open();
      try {
        await walkDesigner(engine, name, stepsOf(t));
      } finally {
        await close();
      }
    });
  }

  // A machine that many times slower (the protocol's Emulation.setCPUThrottlingRate): the page
  // is still painted before its context is made, and its first frame is the native one.
  test(`chromium, its CPU slowed ${cpuSlowdown} times: the start`, async () => {
    const {engine, close} = await openPuppeteer(launchChromium, page => page.emulateCPUThrottling(cpuSlowdown));
    try {
      await engine.open(served.url);
      await until(engine, designerRuns, 'the designer');
      const {paintedAt, contextAt} = await assertStart(engine, 'the slowed start');
      console.log(`slowed ${cpuSlowdown} times: painted at ${paintedAt} ms, its context asked for at ${contextAt} ms`);
      await assertMatches(engine, natives.start, 'slowed', 'first frame');
    } finally {
      await close();
    }
  });
});

// ---- Browsers that cannot run the designer: the notice in the picture's place. ----

// `runtime`: whether the page runs the designer's runtime, which then fails; `quiet`: whether
// it then fails without an error left unhandled.
async function assertNotice(browser, kind, words, {beforeLoad, runtime = false, quiet = false} = {}) {
  const context = await browser.createBrowserContext();  // no service worker from the page before
  const page = await context.newPage();
  const engine = puppeteerEngine(page);
  await beforeLoad?.(page);
  await engine.open(served.url);
  await until(engine, () => !document.getElementById('notice').hidden, 'a notice');
  const shown = await page.evaluate(() => {
    const notice = document.getElementById('notice'), box = notice.getBoundingClientRect();
    return {kind: notice.dataset.kind, text: notice.innerText, width: box.width, height: box.height,
      canvas: document.getElementById('canvas').getClientRects().length,
      image: document.getElementById('start-picture')?.getClientRects().length ?? 0};
  });
  await settled(page);
  assert.equal(shown.kind, kind);
  assert.match(shown.text, words);
  assert.match(shown.text, /another browser/);
  assert.ok(shown.width > 300 && shown.height > 300, `the notice is ${shown.width} by ${shown.height}`);
  assert.equal(shown.canvas, 0, 'the empty picture shows');
  assert.equal(shown.image, 0, 'the picture of the start shows');
  // The runtime and its WebAssembly come with the document; where the designer cannot run
  // the runtime is never run, and no second context is made to find out.
  assert.ok(await page.evaluate(() => pageStart.contexts.length <= 1), 'a second WebGL context');
  if (!runtime) assert.equal(await page.evaluate(() => typeof window.Frames), 'undefined', 'the runtime was run');
  // The browser's own line for a file that did not come is not the page's error.
  if (!runtime || quiet) {
    assert.deepEqual((await engine.errors()).filter(line => !/^Failed to load resource/.test(line)), []);
  }
  await context.close();
}

// The page with one of the site's files answered otherwise: `answer(content)` gives the
// response (puppeteer's), or null for a request that fails.
const withFile = (file, answer) => async page => {
  const content = readFileSync(join(site, file));
  await page.setRequestInterception(true);
  page.on('request', request => {
    if (!request.url().endsWith(`/${file}`)) return request.continue();
    const response = answer(content);
    return response ? request.respond(response) : request.abort();
  });
};
const cutShort = (contentType, content) => ({status: 200, contentType, body: content.subarray(0, content.length >> 1)});

describe('where the designer cannot run', () => {
  test('Chromium with WebGL turned off', async () => {
    const browser = await launchChromium(['--disable-3d-apis']);
    try {
      await assertNotice(browser, 'webgl', /draws with WebGL, which this browser has turned off/);
    } finally {
      await browser.close();
    }
  });

  test('Firefox without a display, which has no WebGL', async () => {
    const env = {...process.env};
    delete env.DISPLAY;
    const browser = await launchFirefox({headless: true, env});
    try {
      await assertNotice(browser, 'webgl', /graphics driver/);
    } finally {
      await browser.close();
    }
  });

  test('Chromium without WebAssembly', async () => {
    const browser = await launchChromium();
    try {
      await assertNotice(browser, 'webassembly', /runs as WebAssembly/,
        {beforeLoad: page => page.evaluateOnNewDocument(() => { delete window.WebAssembly; })});
    } finally {
      await browser.close();
    }
  });

  test('Chromium with the runtime or its WebAssembly missing, failing, cut short or corrupt, then reloaded while it starts, and without its picture of the start', async () => {
    const browser = await launchChromium();
    const wasm = 'korvath-designer.wasm', runtime = 'korvath-designer.js';
    const corrupt = content => {
      const body = Buffer.from(content);
      body.fill(0xff, 64, 4096);
      return {status: 200, contentType: 'application/wasm', body};
    };
    try {
      for (const [file, answer] of [
        [runtime, () => ({status: 404, body: ''})],
        [runtime, content => cutShort('text/javascript', content)],
        [wasm, () => null],
        [wasm, () => ({status: 404, body: ''})],
        [wasm, content => cutShort('application/wasm', content)],
        [wasm, corrupt],
      ]) {
        await assertNotice(browser, 'start', /could not start/, {runtime: true, quiet: true, beforeLoad: withFile(file, answer)});
      }
      // Reloaded while it starts, the page with its files whole starts as ever.
      const page = await browser.newPage(), engine = puppeteerEngine(page);
      await page.setViewport(desktop);
      // Once the document is read, and once the context is made (before the first frame).
      await page.goto(served.url, {waitUntil: 'domcontentloaded'});
      await page.reload({waitUntil: 'domcontentloaded'});
      await page.waitForFunction(() => pageStart.contexts.length > 0, {polling: 'raf'});
      await page.reload();
      await until(engine, designerRuns, 'the designer after the reloads');
      await assertStart(engine, 'after the reloads');
      assert.deepEqual(await engine.errors(), []);
      // Without its picture of the start, missing or no image, the designer starts as ever.
      for (const answer of [() => ({status: 404, body: ''}), () => ({status: 200, contentType: 'image/png', body: 'none'})]) {
        const context = await browser.createBrowserContext(), page = await context.newPage(), engine = puppeteerEngine(page);
        await withFile('start-700.png', answer)(page);
        await engine.open(served.url);
        await until(engine, designerRuns, 'the designer without its picture of the start');
        await assertMatches(engine, natives.start, 'chromium', 'without the picture of the start');
        assert.deepEqual((await engine.errors()).filter(line => !/^Failed to load resource/.test(line)), []);
        await context.close();
      }
    } finally {
      await browser.close();
    }
  });
});
