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
  await page.waitForFunction(() => window.Module && Module.calledRun);
  await settled(page);
  return page;
}

// In the page: resolves once the canvas shows the design as it stands, that is once no frame
// is waiting to be drawn and the last one drawn has been presented, an animation frame later.
// The page draws only when the picture changes, so a count of animation frames says nothing of
// what was drawn. A swaying figure always has its next frame coming: ten frames are enough.
// A page still starting (after a reload, say) has its picture marked busy until its first frame.
export const whenSettled = () => new Promise(done => {
  let frames = 0;
  const starting = () => document.getElementById('canvas')?.getAttribute('aria-busy') == 'true';
  const look = () => starting() || window.Frames?.requested && ++frames < 10 ? requestAnimationFrame(look) :
    requestAnimationFrame(() => done());
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

// A PNG file's picture: {width, height, rgb}.
export function pictureOf(file) {
  const png = PNG.sync.read(file);
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

// The deepest open list of the pop-up menu, or null.
export function openMenuLabels(page) {
  return page.evaluate(() => {
    const lists = document.querySelectorAll('.popup-menu');
    return lists.length ? [...lists[lists.length - 1].children].map(item => item.textContent) : null;
  });
}

// Moves the pointer onto the entry with this label in the deepest open list.
async function entry(page, label) {
  const handle = await page.evaluateHandle(label => {
    const lists = document.querySelectorAll('.popup-menu');
    const last = lists[lists.length - 1];
    return last ? [...last.children].find(item => item.textContent == label) || null : null;
  }, label);
  const element = handle.asElement();
  if (!element) throw new Error(`no menu entry "${label}"`);
  await element.hover();
  return element;
}

// A right click on the canvas, then the entries of one menu path, as a person picks them.
export async function choose(page, path, at = {x: 60, y: 60}) {
  const box = await (await page.$('#canvas')).boundingBox();
  await page.mouse.click(box.x + at.x, box.y + at.y, {button: 'right'});
  const labels = path.split('/');
  for (const label of labels.slice(0, -1)) await entry(page, label);
  await (await entry(page, labels[labels.length - 1])).click();
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
