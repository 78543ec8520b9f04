// The web tests' kit: the built site served from 127.0.0.1, the system's Chromium driven
// headless through the DevTools protocol, the native designer's reference frames, and a
// picture comparison that forgives an edge moved by one pixel.
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import {existsSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync} from 'node:fs';
import {createServer} from 'node:http';
import {tmpdir} from 'node:os';
import {extname, join, normalize} from 'node:path';
import {after, before} from 'node:test';
import {setTimeout as pause} from 'node:timers/promises';
import {pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';
import {PNG} from 'pngjs';

export const site = process.env.KORVATH_SITE;
export const reference = process.env.KORVATH_REFERENCE;
export const canvasSize = 700;
// Reference frames, and the pictures of a failed comparison, for a person to look at.
export const artefacts = process.env.KORVATH_ARTEFACTS || mkdtempSync(join(tmpdir(), 'korvath-web-'));
mkdirSync(artefacts, {recursive: true});
let referenceFrames = 0;

const contentTypes = {
  '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png',
};

// Serves a folder's files (the site's unless another is given), and nothing outside it, on a
// free port of the loopback address. With `firstScript`, the page runs that script (served as
// first-script.js, beside it) before its own: for drivers that report no page errors. Each
// response is counted, with what the browser said it was for, in `responses`.
export async function serveSite(root = site, {firstScript} = {}) {
  const responses = [];
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://localhost').pathname));
    responses.push({path, destination: request.headers['sec-fetch-dest']});
    const file = join(root, path.endsWith('/') ? join(path, 'index.html') : path);
    try {
      let body = firstScript && path == '/first-script.js' ? firstScript : readFileSync(file);
      if (firstScript && file.endsWith('index.html')) {
        body = body.toString().replace('<script src="page.js">', '<script src="first-script.js"></script>\n$&');
      }
      response.writeHead(200, {'Content-Type': contentTypes[extname(file)] || 'application/octet-stream'});
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
  return {server, responses, url: `http://127.0.0.1:${server.address().port}/`};
}

// For the tests of one file: the built site served and one browser, both there before the
// first test and gone after the last. Their fields are set once the tests start.
export function siteAndBrowser() {
  const shared = {served: null, browser: null};
  before(async () => {
    assert.ok(existsSync(join(site, 'index.html')), `no site in ${site}: build it with scripts/web.sh --build`);
    shared.served = await serveSite();
    shared.browser = await launchChromium();
  });
  after(async () => {
    await shared.browser?.close();
    shared.served?.server.close();
  });
  return shared;
}

export function launchChromium(extraArguments = [], options = {}) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', ...extraArguments],
    ...options,
  });
}

// The system's Firefox, driven through WebDriver BiDi. It has WebGL (through Mesa) only with
// a display: headless, or without DISPLAY, it is a browser without WebGL.
export function launchFirefox({headless = false, env = process.env, args = []} = {}) {
  return puppeteer.launch({
    browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless, env, args,
    extraPrefsFirefox: {'webgl.force-enabled': true},
  });
}

export const desktop = {width: 1000, height: 900};

// A page showing the designer, its console lines and errors collected as they come.
// `viewport` is the page's size; `beforeLoad(page)` may prepare the page before the site is
// loaded into it.
export async function openDesigner(browser, url, {viewport = desktop, beforeLoad} = {}) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.lines = [];
  page.errors = [];
  page.requests = [];
  page.on('request', request => page.requests.push(request.url()));
  page.on('console', message => {
    page.lines.push(message.text());
    if (message.type() == 'error') page.errors.push(message.text());
  });
  page.on('pageerror', error => page.errors.push(error.message));
  await beforeLoad?.(page);
  await page.goto(url);
  await designerStarted(page);
  await settled(page);
  return page;
}

// ---- What the walks ask of a page: a puppeteer page, or a driver's adapter (drivers.mjs);
// either runs a function in the page with `evaluate`. ----

const waitMilliseconds = 30000;  // the longest a test waits for what it checks
const pollMilliseconds = 100;

// Polls until `check()` holds; after `milliseconds`, fails with `failure`.
export async function waitFor(check, failure, milliseconds = waitMilliseconds) {
  for (const deadline = Date.now() + milliseconds; !await check(); await pause(pollMilliseconds)) {
    if (Date.now() > deadline) throw new Error(failure);
  }
}

// Polls the page until `condition(...args)` holds there, through a reload, and whether the
// page is shown or hidden.
export function until(page, condition, what, ...args) {
  // a page between two documents answers nothing
  const holds = () => page.evaluate(condition, ...args).catch(() => false);
  return waitFor(holds, `the page never showed ${what}`);
}

export const designerStarted = page => until(page, () => window.Module?.calledRun === true, 'the designer started');

// Until the page has printed this line on its console (`page.lines`, openDesigner's).
export const printed = (page, line) =>
  waitFor(() => page.lines.includes(line), `the page never printed "${line}"`);

// In the page: resolves once the canvas shows the design as it stands, that is once no frame
// is waiting to be drawn, or one has been drawn since (a swaying figure always has its next
// one coming), and the last one drawn has been presented, an animation frame later. The page
// draws only when the picture changes, so a count of animation frames says nothing of what
// was drawn. A page still starting (after a reload, say) has its picture marked busy until its
// first frame.
export const whenSettled = () => new Promise((done, fail) => {
  const since = window.Frames?.drawn, milliseconds = 30000;
  const timer = setTimeout(() => fail(new Error(`the page drew no frame in ${milliseconds} ms`)), milliseconds);
  const starting = () => document.getElementById('canvas')?.getAttribute('aria-busy') == 'true';
  const waiting = () => starting() || window.Frames?.requested && Frames.drawn === since;
  const look = () => waiting() ? requestAnimationFrame(look) : requestAnimationFrame(() => {
    clearTimeout(timer);
    done();
  });
  requestAnimationFrame(look);
});

export function settled(page) {
  return page.evaluate(whenSettled);
}

// The canvas as the page shows it, in device pixels: {width, height, rgb} with rows from
// the top. The page is captured as it stands: a capture beyond the viewport would resize
// it, and the picture and an open menu with it.
export async function canvasPicture(page) {
  await settled(page);
  return pictureOf(await (await page.$('#canvas')).screenshot({captureBeyondViewport: false}));
}

// A PNG file's picture: {width, height, rgb} with rows from the top.
export function pictureOf(bytes) {
  const png = PNG.sync.read(bytes);
  const rgb = Buffer.alloc(png.width * png.height * 3);
  for (let i = 0, j = 0; i < png.data.length; i += 4, j += 3) png.data.copy(rgb, j, i, i + 3);
  return {width: png.width, height: png.height, rgb};
}

// The site's picture of the start, size by size pixels.
export const startPicture = size => pictureOf(readFileSync(join(site, `start-${size}.png`)));

// The native designer's frame after the same menu choices, in a window of size by size.
export function nativePicture(choices, size = canvasSize) {
  const file = join(artefacts, `native-${++referenceFrames}.ppm`);
  const run = spawnSync(reference, ['frame', file, '--size', String(size), ...choices],
    {encoding: 'utf8', timeout: 60000});
  if (run.status !== 0) throw new Error(`web_reference failed: ${run.stderr}`);
  const data = readFileSync(file);
  const [, width, height] = data.toString('latin1', 0, 20).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  const headerLength = data.indexOf('255\n') + 4;
  return {width: Number(width), height: Number(height), rgb: data.subarray(headerLength)};
}

export function nativeMenuTree() {
  const run = spawnSync(reference, ['menu'], {encoding: 'utf8', timeout: 60000});
  if (run.status !== 0) throw new Error(`web_reference failed: ${run.stderr}`);
  return JSON.parse(run.stdout);
}

const levelTolerance = 16;

// At most 0.2% of a picture's pixels may differ beyond an edge moved by one pixel.
export function allowedMismatch(picture) {
  return Math.floor(picture.width * picture.height * 0.002);
}

// True when some pixel of `other` within one pixel of (x, y) lies within the tolerance of
// `picture`'s pixel there on every channel.
function hasMatch(picture, other, x, y) {
  const at = (y * picture.width + x) * 3;
  for (let dy = -1; dy <= 1; ++dy) {
    for (let dx = -1; dx <= 1; ++dx) {
      const nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= other.width || ny >= other.height) continue;
      const near = (ny * other.width + nx) * 3;
      if (Math.abs(picture.rgb[at] - other.rgb[near]) <= levelTolerance &&
          Math.abs(picture.rgb[at + 1] - other.rgb[near + 1]) <= levelTolerance &&
          Math.abs(picture.rgb[at + 2] - other.rgb[near + 2]) <= levelTolerance) return true;
    }
  }
  return false;
}

// The pixels that find no match in the other picture, looked at from either side.
export function mismatchedPixels(a, b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height;
  let count = 0;
  for (let y = 0; y < a.height; ++y) {
    for (let x = 0; x < a.width; ++x) {
      if (!hasMatch(a, b, x, y) || !hasMatch(b, a, x, y)) ++count;
    }
  }
  return count;
}

// Keeps a picture for a person to look at when a comparison fails.
export function keep(picture, name) {
  const png = new PNG({width: picture.width, height: picture.height});
  for (let i = 0, j = 0; j < picture.rgb.length; i += 4, j += 3) {
    picture.rgb.copy(png.data, i, j, j + 3);
    png.data[i + 3] = 255;
  }
  const file = join(artefacts, `${name}.png`);
  writeFileSync(file, PNG.sync.write(png));
  return file;
}

// Asserts that a picture is the expected one; when it is not, both are kept under `name`.
export function assertSamePicture(actual, expected, name) {
  const mismatched = mismatchedPixels(actual, expected), allowed = allowedMismatch(expected);
  if (mismatched > allowed) console.log(`kept ${keep(actual, `${name}-actual`)} and ${keep(expected, `${name}-expected`)}`);
  assert.ok(mismatched <= allowed, `${name}: ${mismatched} pixels differ (at most ${allowed})`);
}

// Whether two pictures differ beyond an edge moved by one pixel.
export const differs = (a, b) => mismatchedPixels(a, b) > allowedMismatch(a);

// The middle of the chest, in the main paint, after Blood Red: (350, 300) of the 700 by 700
// picture, wherever the picture is now.
export function assertChestRed(picture) {
  const scale = picture.width / canvasSize, at = (Math.round(300 * scale) * picture.width + Math.round(350 * scale)) * 3;
  const [r, g, b] = picture.rgb.subarray(at, at + 3);
  assert.ok(r > 2 * g && r > 2 * b, `the chest is (${r}, ${g}, ${b}), not red`);
}

// The canvas's box in the page, in CSS pixels.
export const canvasBox = page => page.evaluate(() => {
  const {x, y, width, height} = document.getElementById('canvas').getBoundingClientRect();
  return {x, y, width, height};
});

// The open lists of the pop-up menu.
export const openLists = page => page.evaluate(() => document.querySelectorAll('.popup-menu').length);

// The deepest open list of the pop-up menu, or null.
export function openMenuLabels(page) {
  return page.evaluate(() => {
    const lists = document.querySelectorAll('.popup-menu');
    return lists.length ? [...lists[lists.length - 1].children].map(item => item.textContent) : null;
  });
}

// The middle of the entry with this label in the deepest open list of the menu.
export async function entryCentre(page, label) {
  const centre = await page.evaluate(label => {
    const lists = document.querySelectorAll('.popup-menu');
    const item = [...(lists[lists.length - 1]?.children || [])].find(item => item.textContent == label);
    if (!item) return null;
    const box = item.getBoundingClientRect();
    return {x: box.x + box.width / 2, y: box.y + box.height / 2};
  }, label);
  if (!centre) throw new Error(`no menu entry "${label}"`);
  return centre;
}

// A right click on the canvas, then the entries of one menu path, as a person picks them:
// each hovered, and the last clicked.
export async function choose(page, path, at = {x: 60, y: 60}) {
  const box = await canvasBox(page);
  await page.mouse.click(box.x + at.x, box.y + at.y, {button: 'right'});
  const labels = path.split('/');
  for (const label of labels.slice(0, -1)) {
    const {x, y} = await entryCentre(page, label);
    await page.mouse.move(x, y);
  }
  const {x, y} = await entryCentre(page, labels[labels.length - 1]);
  await page.mouse.click(x, y);
}

// Keys pressed in turn on a puppeteer page; "Shift+F10" holds Shift for F10.
export async function press(page, ...names) {
  for (const name of names) {
    const [key, modifier] = name.split('+').reverse();
    if (modifier) await page.keyboard.down(modifier);
    await page.keyboard.press(key);
    if (modifier) await page.keyboard.up(modifier);
  }
}

// Run in the page before its own scripts: the WebGL contexts handed out on any canvas, in
// `pageStart` (with the moment the first was asked for, and where the picture's place was
// before the designer ran, when the canvas is there yet). With `keepPictures`, a context keeps
// its drawing buffer after each frame, so that the last frame can be read at any moment.
export function watchContexts(keepPictures) {
  const canvas = document.getElementById('canvas');
  window.pageStart = {contexts: [], contextAt: null, place: canvas && JSON.stringify(canvas.getBoundingClientRect())};
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function(type, attributes, ...rest) {
    const asked = performance.now();
    const context = getContext.call(this, type, keepPictures ? {...attributes, preserveDrawingBuffer: true} : attributes, ...rest);
    if (context && /webgl/.test(type) && !pageStart.contexts.includes(context)) {
      pageStart.contextAt ??= asked;
      pageStart.contexts.push(context);
    }
    return context;
  };
}

// Runs `main` when the module at `moduleUrl` is the command Node was given; a failure is
// its message on the standard error and a failing exit status.
export function runAsCommand(moduleUrl, main) {
  if (moduleUrl != pathToFileURL(process.argv[1]).href) return;
  main().catch(error => {
    console.error(error.message);
    process.exitCode = 1;
  });
}
