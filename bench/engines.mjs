// The web build's frame in each browser engine beside the native frame, in one run on one X
// display: the page's own display callback called 300 times at 700 by 700, each call ended by a
// GL finish (as the native benchmark times its frames), in headless Chromium, in Firefox and in
// WebKit's MiniBrowser, with the GL that stands behind each one's WebGL.
//
//   bench/web.sh   (runs this under Xvfb with KORVATH_SITE and KORVATH_BENCH set)
import {spawnSync} from 'node:child_process';
import {readFileSync, readdirSync} from 'node:fs';
import {desktop, launchChromium, launchFirefox, serveSite} from '../tests/web/browser.mjs';
import {startWebKit} from '../tests/web/webdriver.mjs';

const timedFrames = 300;

// Milliseconds per native designer frame, each ended by glFinish, on this display.
function nativeFrame() {
  const run = spawnSync(process.env.KORVATH_BENCH,
    ['--benchmark_filter=^designer frame$', '--benchmark_min_time=2', '--benchmark_format=json'],
    {encoding: 'utf8', timeout: 120000});
  if (run.status !== 0) throw new Error(`korvath-bench failed: ${run.stderr}`);
  const [frame] = JSON.parse(run.stdout).benchmarks;
  return frame.real_time / 1e6 * ({ns: 1, us: 1e3, ms: 1e6, s: 1e9}[frame.time_unit]);
}

// In the page, once the designer runs: the GL behind WebGL, and milliseconds per display call
// ended by a finish, after as many calls to warm up.
async function measureInPage(frames) {
  while (!(window.Module && Module.calledRun)) await new Promise(done => setTimeout(done, 50));
  const info = GLctx.getExtension('WEBGL_debug_renderer_info');
  const renderer = GLctx.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : GLctx.RENDERER);
  const display = getWasmTableEntry(GLUT.displayFunc);
  const time = () => {
    const started = performance.now();
    for (let i = 0; i < frames; ++i) {
      display();
      GLctx.finish();
    }
    return (performance.now() - started) / frames;
  };
  time();
  return {renderer, milliseconds: time(), width: Module.canvas.width};
}

// Whether the browser started as process `root`, or a process under it, has Mesa's software
// rasteriser (llvmpipe) loaded: some engines name no GL to the page, or a made-up one.
function mesaLoaded(root) {
  const parents = new Map();
  for (const pid of readdirSync('/proc').filter(name => /^\d+$/.test(name))) {
    try {
      parents.set(Number(pid), Number(readFileSync(`/proc/${pid}/stat`, 'latin1').split(') ')[1].split(' ')[1]));
    } catch {
      // the process ended meanwhile
    }
  }
  const under = pid => pid == root || (parents.has(pid) && pid > 1 && under(parents.get(pid)));
  return [...parents.keys()].filter(under).some(pid => {
    try {
      return readFileSync(`/proc/${pid}/maps`, 'latin1').includes('swrast_dri.so');
    } catch {
      return false;
    }
  });
}

async function withPuppeteer(launch, url) {
  const browser = await launch();
  try {
    const page = await browser.newPage();
    await page.setViewport(desktop);
    await page.goto(url);
    const measured = await page.evaluate(measureInPage, timedFrames);
    return {version: await browser.version(), ...measured, mesa: mesaLoaded(browser.process().pid)};
  } finally {
    await browser.close();
  }
}

async function withWebKit(url) {
  const webKit = await startWebKit();
  try {
    await webKit.session.setWindowSize(desktop.width, desktop.height);
    await webKit.session.navigate(url);
    const measured = await webKit.session.execute(measureInPage, timedFrames);
    return {version: `WebKitGTK ${webKit.version}`, ...measured, mesa: mesaLoaded(webKit.pid)};
  } finally {
    await webKit.close();
  }
}

if (!process.env.DISPLAY) throw new Error('bench/engines.mjs needs an X display: run it under xvfb-run');
const native = nativeFrame();
const served = await serveSite();
try {
  const rows = [
    ['Chromium, headless',
      await withPuppeteer(() => launchChromium(['--disable-gpu-vsync', '--disable-frame-rate-limit']), served.url)],
    ['Firefox, on the display', await withPuppeteer(() => launchFirefox(), served.url)],
    ['WebKit (MiniBrowser), on the display', await withWebKit(served.url)],
  ];
  console.log(`\nnative designer frame on this display (Mesa): ${native.toFixed(2)} ms`);
  console.log('\n| engine | version | GL the page is told of | Mesa llvmpipe loaded | drawing buffer | web frame | ' +
    '/ native frame |\n|---|---|---|---|---|---|---|');
  for (const [engine, {version, renderer, mesa, width, milliseconds}] of rows) {
    console.log(`| ${engine} | ${version} | ${renderer} | ${mesa ? 'yes' : 'no'} | ${width} by ${width} | ` +
      `${milliseconds.toFixed(2)} ms | ${(milliseconds / native).toFixed(2)} |`);
  }
} finally {
  served.server.close();
}
