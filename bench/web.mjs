// The web build's frame in headless Chromium at 700 by 700: the page's own display callback
// timed with a GL finish after each call (as the native benchmark times its frames), where
// that time goes (issuing the calls, filling pixels, and a CPU profile of the main thread),
// the WebGL calls and draws of a frame, and the site's size. Then the same frame at 1, 2 and 3
// device pixels per CSS pixel, on a desktop and on a phone, whose drawing buffers grow with
// the density. The whole browser's CPU per frame the page draws is bench/still.mjs's.
//
// In the same run, the native designer frame under Xvfb, from the frame benchmarks.
//
//   bench/web.sh   (builds both, then runs this with KORVATH_SITE and KORVATH_BENCH set)
import {spawnSync} from 'node:child_process';
import {readdirSync, statSync} from 'node:fs';
import {join} from 'node:path';
import {launchChromium, serveSite, site} from '../tests/web/browser.mjs';
import {countFrame, countWebGLCalls} from '../tests/web/webgl-calls.mjs';
import {cpuMilliseconds} from './cpu.mjs';

const timedFrames = 300;

// The platform layer before its frames were batched (one draw a shape), counted once on
// main's build with the same counter as below: the start-up frame.
const before = {draws: 79, calls: 2338};

function siteBytes() {
  return readdirSync(site).reduce((total, name) => total + statSync(join(site, name)).size, 0);
}

// Milliseconds per call of the designer's display callback ended by a finish, as the native
// benchmark times its frames; with `viewport` the picture is drawn that many pixels square,
// which leaves everything of the frame but the filling of its pixels.
function timeDisplay(page, viewport = 0, frames = timedFrames) {
  return page.evaluate((frames, viewport) => {
    const display = getWasmTableEntry(GLUT.displayFunc);
    const canvas = document.getElementById('canvas');
    if (viewport) GLctx.viewport(0, 0, viewport, viewport);
    const started = performance.now();
    for (let i = 0; i < frames; ++i) {
      display();
      GLctx.finish();
    }
    const perFrame = (performance.now() - started) / frames;
    GLctx.viewport(0, 0, canvas.width, canvas.height);
    return perFrame;
  }, frames, viewport);
}

const desktop = {width: 1000, height: 900};
const phone = {width: 390, height: 844, isMobile: true, hasTouch: true};
const densityFrames = 100;
// No vsync and no frame-rate limit, for every browser of the run alike.
const unthrottled = ['--disable-gpu-vsync', '--disable-frame-rate-limit'];

async function openPage(browser, viewport, beforeLoad) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await beforeLoad?.(page);
  await page.goto(served.url);
  await page.waitForFunction(() => window.Module && Module.calledRun);
  await page.evaluate(() => new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done))));
  return page;
}

// The web frame on a screen of this density: its drawing buffer and milliseconds.
async function frameAtDensity(density, viewport) {
  const browser = await launchChromium([`--force-device-scale-factor=${density}`, ...unthrottled]);
  try {
    const page = await openPage(browser, {...viewport, deviceScaleFactor: density});
    await timeDisplay(page, 0, 10);  // warm up
    const [css, buffer] = await page.evaluate(() => [canvas.getBoundingClientRect().width, canvas.width]);
    return {css, buffer, milliseconds: await timeDisplay(page, 0, densityFrames)};
  } finally {
    await browser.close();
  }
}

// The main thread's share of a frame: the calls issued, without waiting for the GL.
function timeIssue(page) {
  return page.evaluate(frames => {
    const display = getWasmTableEntry(GLUT.displayFunc);
    let issuing = 0;
    for (let i = 0; i < frames; ++i) {
      const started = performance.now();
      display();
      issuing += performance.now() - started;
      GLctx.finish();
    }
    return issuing / frames;
  }, timedFrames);
}

// CPU milliseconds per frame of the timed display loop, in the page and in the GPU process.
async function cpuPerFrame(page, root) {
  const before = {renderer: cpuMilliseconds(root, 'renderer'), gpu: cpuMilliseconds(root, 'gpu-process')};
  await timeDisplay(page);
  return {
    renderer: (cpuMilliseconds(root, 'renderer') - before.renderer) / timedFrames,
    gpu: (cpuMilliseconds(root, 'gpu-process') - before.gpu) / timedFrames,
  };
}

// Self time of a CPU profile of `frames` display calls, by where the code lives.
async function timeByPlace(page) {
  const session = await page.createCDPSession();
  await session.send('Profiler.enable');
  await session.send('Profiler.setSamplingInterval', {interval: 100});
  await session.send('Profiler.start');
  await timeDisplay(page);
  const {profile} = await session.send('Profiler.stop');
  const byNode = new Map(profile.nodes.map(node => [node.id, node]));
  const places = {};
  for (let i = 0; i < profile.samples.length; ++i) {
    const {callFrame} = byNode.get(profile.samples[i]);
    let place = 'other';
    if (callFrame.url.endsWith('.wasm')) place = 'designer and platform layer (WebAssembly)';
    else if (callFrame.url.endsWith('korvath-designer.js')) place = 'GL emulation and toolkit (JavaScript)';
    else if (callFrame.url == '' && !callFrame.functionName.startsWith('(')) place = 'WebGL calls';
    else if (callFrame.functionName == '(garbage collector)') place = 'garbage collection';
    places[place] = (places[place] || 0) + (profile.timeDeltas[i] || 0);
  }
  const total = Object.values(places).reduce((a, b) => a + b, 0);
  return Object.entries(places).sort((a, b) => b[1] - a[1]).map(([place, time]) => [place, time / total]);
}

// Milliseconds per native designer frame, each ended by glFinish, on a virtual display.
function nativeFrame() {
  const run = spawnSync('xvfb-run', ['-a', '-s', '-screen 0 1024x768x24', process.env.KORVATH_BENCH,
    '--benchmark_filter=^designer frame$', '--benchmark_min_time=2', '--benchmark_format=json'],
  {encoding: 'utf8', timeout: 120000});
  if (run.status !== 0) throw new Error(`korvath-bench failed: ${run.stderr}`);
  const [frame] = JSON.parse(run.stdout).benchmarks;
  return frame.real_time / 1e6 * ({ns: 1, us: 1e3, ms: 1e6, s: 1e9}[frame.time_unit]);
}

function report({native, finished, small, issued, cpu, places, counted, densities}) {
  const rows = [
    ['native designer frame (Xvfb, llvmpipe)', `${native.toFixed(2)} ms (${(1000 / native).toFixed(0)} fps)`],
    ['web designer frame (headless Chromium, SwiftShader)', `${finished.toFixed(2)} ms (${(1000 / finished).toFixed(0)} fps)`],
    ['web frame / native frame', (finished / native).toFixed(2)],
    ['WebGL draws per frame (start-up), before / after', `${before.draws} / ${counted.draws}`],
    ['WebGL calls per frame (start-up), before / after', `${before.calls} / ${counted.calls}`],
    ['web frame: issuing the calls (main thread)', `${issued.toFixed(2)} ms`],
    ['web frame drawn 70 pixels square (no pixel filling to speak of)', `${small.toFixed(2)} ms`],
    ['CPU per web frame: the page (JavaScript, WebAssembly, WebGL client)', `${cpu.renderer.toFixed(2)} ms`],
    ['CPU per web frame: the GPU process (SwiftShader)', `${cpu.gpu.toFixed(2)} ms`],
    ['site size (every file)', `${(siteBytes() / 1024).toFixed(0)} KiB`],
  ];
  console.log('| measure | value |\n|---|---|');
  for (const [measure, value] of rows) console.log(`| ${measure} | ${value} |`);
  console.log('\nmain-thread time of the web frame, by place (CPU profile)');
  for (const [place, share] of places) console.log(`  ${place.padEnd(48)} ${(100 * share).toFixed(1)}%`);
  console.log('\n| screen | density | canvas, CSS px | drawing buffer | web frame | / native frame |\n|---|---|---|---|---|---|');
  for (const {screen, density, css, buffer, milliseconds} of densities) {
    console.log(`| ${screen} | ${density} | ${css.toFixed(0)} | ${buffer} by ${buffer} | ` +
      `${milliseconds.toFixed(1)} ms | ${(milliseconds / native).toFixed(2)} |`);
  }
}

const native = nativeFrame();
const served = await serveSite();
const browser = await launchChromium(unthrottled);
try {
  const root = browser.process().pid;
  const countingPage = await openPage(browser, desktop, countWebGLCalls);
  const counted = await countFrame(countingPage);
  await countingPage.close();
  const page = await openPage(browser, desktop);
  await timeDisplay(page);  // warm up: compiled shaders, optimised JavaScript
  const finished = await timeDisplay(page);
  const small = await timeDisplay(page, 70);
  const issued = await timeIssue(page);
  const cpu = await cpuPerFrame(page, root);
  const places = await timeByPlace(page);
  await browser.close();
  const densities = [];
  for (const [screen, viewport] of [['desktop', desktop], ['phone', phone]]) {
    for (const density of [1, 2, 3]) densities.push({screen, density, ...await frameAtDensity(density, viewport)});
  }
  report({native, finished, small, issued, cpu, places, counted, densities});
} finally {
  await browser.close();
  served.server.close();
}
