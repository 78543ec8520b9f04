// How long the page takes to start, beside what the browser itself costs, in one run:
//
// - the native window: process start to its first presented frame (korvath-bench --first-frame);
// - the floor: a page made here that only makes a WebGL context on a canvas of the designer's
//   size and clears it once (and says so in a line of text), what this browser costs before
//   anyone can draw;
// - the designer's page: its first picture, its first contentful paint and its blocking time;
//   the blocking time is the long tasks' time beyond 50 ms each, from the navigation until a
//   second after the first picture, for the floor too;
//
// each a first visit in a fresh profile, at the machine's speed and with the CPU slowed four
// times, medians of five: in a headless Chromium started for that visit, and in a fresh
// profile of one already running (which has shown a page before, as a person's browser has);
// then Lighthouse's mobile audit of the floor and of the designer, three runs each. The first picture is when the page has drawn it:
// the designer's page marks it (korvath-first-frame), and so does the floor.
//
//   bench/web.sh   (or: xvfb-run -a env KORVATH_SITE=build/web/site
//                   KORVATH_BENCH=build/release/bench/korvath-bench node bench/startup.mjs)
import {spawnSync} from 'node:child_process';
import {mkdtempSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {desktop, launchChromium, runAsCommand, serveSite, site} from '../tests/web/browser.mjs';
import {audit} from './audit.mjs';

const runs = 5, audits = 3;
const slowdown = 4;
const targets = {picture: 1.25, paint: 300, score: 0.95, blocking: 200};

const median = values => [...values].sort((a, b) => a - b)[values.length >> 1];

// The floor, served as a site of its own.
function floorSite() {
  const folder = mkdtempSync(join(tmpdir(), 'korvath-floor-'));
  // A line of text too, which the audit needs for its largest paint: a canvas is none.
  writeFileSync(join(folder, 'index.html'), '<!doctype html>\n<html lang="en">\n<meta charset="utf-8">\n' +
    '<meta name="viewport" content="width=device-width, initial-scale=1">\n<title>Floor</title>\n' +
    '<p>A WebGL context, cleared once.</p>\n<canvas id="canvas" width="700" height="700"></canvas>\n<script>\n' +
    'const gl = canvas.getContext("webgl", {alpha: false, antialias: false});\n' +
    'gl.clearColor(1, 1, 1, 1);\ngl.clear(gl.COLOR_BUFFER_BIT);\nperformance.mark("korvath-first-frame");\n' +
    '</script>\n');
  return folder;
}

// Milliseconds from the process's start to its first presented frame.
function nativeFirstFrame() {
  const started = performance.timeOrigin + performance.now();
  const run = spawnSync(process.env.KORVATH_BENCH, ['--first-frame'], {encoding: 'utf8', timeout: 60000});
  if (run.status !== 0) throw new Error(`korvath-bench --first-frame failed: ${run.stderr}`);
  return Number(run.stdout.trim()) / 1e6 - started;
}

// In the page from its start: the long tasks, as they come.
function watchLongTasks() {
  window.longTasks = [];
  new PerformanceObserver(list => longTasks.push(...list.getEntries().map(task => [task.startTime, task.duration])))
    .observe({type: 'longtask'});
}

// One first visit: {picture, paint, blocking} in milliseconds from the navigation's start, in
// a browser started for it, or in a fresh profile of `running`.
async function firstVisit(url, rate, running) {
  const browser = running ? await running.createBrowserContext() : await launchChromium();
  try {
    const page = await browser.newPage();
    await page.setViewport(desktop);
    const session = await page.createCDPSession();
    await session.send('Emulation.setCPUThrottlingRate', {rate});
    await page.evaluateOnNewDocument(watchLongTasks);
    await page.goto(url);
    await page.waitForFunction(() => performance.getEntriesByName('korvath-first-frame').length, {timeout: 60000});
    await new Promise(done => setTimeout(done, 1000 * rate));
    return await page.evaluate(() => {
      const picture = performance.getEntriesByName('korvath-first-frame')[0].startTime;
      const paint = performance.getEntriesByName('first-contentful-paint')[0]?.startTime ?? NaN;
      const blocking = longTasks.filter(([start]) => start < picture + 1000)
        .reduce((total, [, duration]) => total + Math.max(0, duration - 50), 0);
      return {picture, paint, blocking};
    });
  } finally {
    await browser.close();
  }
}

async function medians(url, rate, running) {
  const visits = [];
  for (let i = 0; i < runs; ++i) visits.push(await firstVisit(url, rate, running));
  return Object.fromEntries(['picture', 'paint', 'blocking'].map(key => [key, median(visits.map(visit => visit[key]))]));
}

async function audited(url) {
  const results = [];
  for (let i = 0; i < audits; ++i) results.push(await audit(url));
  return {
    score: median(results.map(result => result.scores[0] / 100)),
    blocking: median(results.map(result => result.blocking)),
    all: results.map(result => `${(result.scores[0] / 100).toFixed(2)} (${result.blocking.toFixed(0)} ms)`).join(', '),
  };
}

const met = yes => yes ? 'met' : '**not met**';
const ms = value => Number.isFinite(value) ? `${Math.round(value)} ms` : 'none';

async function main() {
  const native = [];
  for (let i = 0; i < runs; ++i) native.push(nativeFirstFrame());
  const floor = await serveSite(floorSite()), designer = await serveSite(site);
  try {
    const rows = [];
    const running = await launchChromium();
    try {
      await firstVisit(floor.url, 1, running);  // the browser has shown a page before
      for (const browser of [null, running]) {
        for (const rate of [1, slowdown]) {
          const [bare, page] = [await medians(floor.url, rate, browser), await medians(designer.url, rate, browser)];
          const how = `${browser ? 'running browser' : 'new browser'}, ${rate == 1 ? 'machine speed' : `CPU slowed ${rate} times`}`;
          const ratio = page.picture / bare.picture;
          rows.push(`| first picture, ${how} | ${rate == 1 && !browser ? ms(median(native)) : ''} | ${ms(bare.picture)} | ` +
            `${ms(page.picture)} (${ratio.toFixed(2)} × floor) | ≤ ${targets.picture} × floor | ${met(ratio <= targets.picture)} |`);
          rows.push(`| first contentful paint, ${how} | | ${ms(bare.paint)} | ${ms(page.paint)} | ≤ ${targets.paint} ms | ` +
            `${met(page.paint <= targets.paint)} |`);
          rows.push(`| blocking time, ${how} | | ${ms(bare.blocking)} | ${ms(page.blocking)} | | |`);
        }
      }
    } finally {
      await running.close();
    }
    const [bareAudit, pageAudit] = [await audited(floor.url), await audited(designer.url)];
    rows.push(`| Lighthouse mobile performance, median of ${audits} | | ${bareAudit.score.toFixed(2)} | ` +
      `${pageAudit.score.toFixed(2)} | ≥ ${targets.score} | ${met(pageAudit.score >= targets.score)} |`);
    rows.push(`| Lighthouse total blocking time, median of ${audits} | | ${ms(bareAudit.blocking)} | ` +
      `${ms(pageAudit.blocking)} | ≤ ${targets.blocking} ms | ${met(pageAudit.blocking <= targets.blocking)} |`);
    console.log(`\nthe page's start, first visits in fresh profiles (medians of ${runs})`);
    console.log('| measure | native window | floor page | designer | target | |\n|---|---|---|---|---|---|');
    for (const row of rows) console.log(row);
    console.log(`Lighthouse runs: floor ${bareAudit.all}; designer ${pageAudit.all}`);
  } finally {
    floor.server.close();
    designer.server.close();
  }
}

runAsCommand(import.meta.url, main);
