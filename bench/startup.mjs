// How long the page takes to start, beside what the browser itself costs, in one run:
//
// - the native window: process start to its first presented frame (korvath-bench --first-frame);
// - the text page: a page made here of a heading and a paragraph alone, the first paint any
//   page has here;
// - the floor: a page made here that only makes a WebGL context on a canvas of the designer's
//   size and clears it once (and says so in a line of text), what this browser costs before
//   anyone can draw;
// - the designer's page: the figure's first showing (its picture of the start, or its first
//   frame if that came first), its first frame, its first contentful paint, its WebGL contexts
//   and its long tasks; the blocking time is the long tasks' time beyond 50 ms each, from the
//   navigation until a second after the first frame, for the floor too;
//
// each a first visit in a fresh profile, at the machine's speed and with the CPU slowed four
// times: in a headless Chromium started for that visit, and in a fresh profile of one already
// running (which has shown a page before, as a person's browser has). The three pages are
// visited in rounds, one of each a round, so that the machine's load falls on all three alike;
// the ratios are taken within each round, and their median is the result. Then Lighthouse's
// mobile audit of the floor and of the designer, three runs each, with its largest contentful
// paint. The first frame is when the page has drawn it: the designer's page marks it
// (korvath-first-frame), and so does the floor.
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
const longTask = 50;
// Each the designer's over its baseline, within a round: the figure's first showing and the
// first paint over the text page's first paint, the first frame over the floor's.
const targets = {figure: 1.15, frame: 1.25, paint: 1.1, score: 0.95, blocking: 200};

const median = values => [...values].sort((a, b) => a - b)[values.length >> 1];

// A page served as a site of its own.
function pageSite(name, body) {
  const folder = mkdtempSync(join(tmpdir(), `korvath-${name}-`));
  writeFileSync(join(folder, 'index.html'), '<!doctype html>\n<html lang="en">\n<meta charset="utf-8">\n' +
    `<meta name="viewport" content="width=device-width, initial-scale=1">\n<title>${name}</title>\n${body}`);
  return folder;
}

// The floor has a line of text too, which the audit needs for its largest paint: a canvas is none.
const floorSite = () => pageSite('floor',
  '<p>A WebGL context, cleared once.</p>\n<canvas id="canvas" width="700" height="700"></canvas>\n<script>\n' +
  'const gl = canvas.getContext("webgl", {alpha: false, antialias: false});\n' +
  'gl.clearColor(1, 1, 1, 1);\ngl.clear(gl.COLOR_BUFFER_BIT);\nperformance.mark("korvath-first-frame");\n</script>\n');
const textSite = () => pageSite('text',
  '<h1>A page of text</h1>\n<p>A heading and a paragraph, with no script, style or picture: the first paint any page has.</p>\n');

// Milliseconds from the process's start to its first presented frame.
function nativeFirstFrame() {
  const started = performance.timeOrigin + performance.now();
  const run = spawnSync(process.env.KORVATH_BENCH, ['--first-frame'], {encoding: 'utf8', timeout: 60000});
  if (run.status !== 0) throw new Error(`korvath-bench --first-frame failed: ${run.stderr}`);
  return Number(run.stdout.trim()) / 1e6 - started;
}

// In the page from its start: the long tasks and the largest paints as they come, and the
// WebGL contexts handed out.
function watchStart() {
  window.started = {longTasks: [], largest: [], contexts: new Set()};
  new PerformanceObserver(list => started.longTasks.push(...list.getEntries().map(task => [task.startTime, task.duration])))
    .observe({type: 'longtask'});
  new PerformanceObserver(list => started.largest.push(...list.getEntries().map(paint => [paint.startTime, paint.id])))
    .observe({type: 'largest-contentful-paint', buffered: true});
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function(type, ...rest) {
    const context = getContext.call(this, type, ...rest);
    if (context && /webgl/.test(type)) started.contexts.add(context);
    return context;
  };
}

// One first visit, in milliseconds from the navigation's start: {figure, frame, paint,
// blocking, contexts, longTasks}, in a browser started for it, or in a fresh profile of
// `running`. A page without a frame (the text page) is measured at its first paint.
async function firstVisit(url, rate, running) {
  const browser = running ? await running.createBrowserContext() : await launchChromium();
  try {
    const page = await browser.newPage();
    await page.setViewport(desktop);
    const session = await page.createCDPSession();
    await session.send('Emulation.setCPUThrottlingRate', {rate});
    await page.evaluateOnNewDocument(watchStart);
    await page.goto(url);
    await page.waitForFunction(() => performance.getEntriesByName('korvath-first-frame').length ||
      !document.querySelector('canvas') && performance.getEntriesByName('first-contentful-paint').length, {timeout: 60000});
    await new Promise(done => setTimeout(done, 1000 * rate));
    return await page.evaluate(longTask => {
      const paint = performance.getEntriesByName('first-contentful-paint')[0]?.startTime ?? NaN;
      const frame = performance.getEntriesByName('korvath-first-frame')[0]?.startTime ?? NaN;
      const image = started.largest.find(([, id]) => id == 'start-picture')?.[0] ?? Infinity;
      const tasks = started.longTasks.filter(([start]) => start < (Number.isFinite(frame) ? frame : paint) + 1000);
      return {figure: Math.min(image, frame), frame, paint, contexts: started.contexts.size,
        blocking: tasks.reduce((total, [, duration]) => total + Math.max(0, duration - longTask), 0),
        longTasks: tasks.map(([, duration]) => Math.round(duration))};
    }, longTask);
  } finally {
    await browser.close();
  }
}

// Rounds of one visit to each page, in turn.
async function rounds(pages, rate, running) {
  const visits = Object.fromEntries(Object.keys(pages).map(name => [name, []]));
  for (let i = 0; i < runs; ++i) {
    for (const [name, url] of Object.entries(pages)) visits[name].push(await firstVisit(url, rate, running));
  }
  return visits;
}

async function audited(url) {
  const results = [];
  for (let i = 0; i < audits; ++i) results.push(await audit(url));
  return {
    score: median(results.map(result => result.scores[0] / 100)),
    blocking: median(results.map(result => result.blocking)),
    largest: median(results.map(result => result.largest)),
    all: results.map(result => `${(result.scores[0] / 100).toFixed(2)} (blocking ${result.blocking.toFixed(0)} ms, ` +
      `largest paint ${result.largest.toFixed(0)} ms)`).join(', '),
  };
}

const met = yes => yes ? 'met' : '**not met**';
const ms = value => Number.isFinite(value) ? `${Math.round(value)} ms` : 'none';
const times = values => values.map(value => value.toFixed(2)).join(', ');

// One browser and CPU speed's rounds: each ratio run by run, and its median against its target.
function report(how, {text, floor, designer}, native) {
  const ratios = {
    figure: designer.map((visit, i) => visit.figure / text[i].paint),
    frame: designer.map((visit, i) => visit.frame / floor[i].frame),
    paint: designer.map((visit, i) => visit.paint / text[i].paint),
  };
  const at = (visits, key) => ms(median(visits.map(visit => visit[key])));
  const row = (measure, baseline, key, ratio) => `| ${measure}, ${how} | ${baseline} | ${at(designer, key)} | ` +
    `${times(ratios[ratio])} | ${median(ratios[ratio]).toFixed(2)} | ≤ ${targets[ratio]} | ${met(median(ratios[ratio]) <= targets[ratio])} |`;
  return [
    row('the figure first shown, over the text page\'s first paint', `text ${at(text, 'paint')}`, 'figure', 'figure'),
    row('the first frame, over the floor\'s', `floor ${at(floor, 'frame')}${native ? `, native ${ms(native)}` : ''}`, 'frame', 'frame'),
    row('the first paint, over the text page\'s', `text ${at(text, 'paint')}`, 'paint', 'paint'),
    `| WebGL contexts, ${how} | floor ${floor[0].contexts} | ${designer.map(visit => visit.contexts).join(', ')} | | | 1 | ` +
      `${met(designer.every(visit => visit.contexts == 1))} |`,
    `| blocking time, ${how} | floor ${at(floor, 'blocking')} | ${at(designer, 'blocking')} | | | | |`,
    `| long tasks, ${how} | | ${designer.map(visit => visit.longTasks.join(' + ') || 'none').join('; ')} ms | | | | |`,
  ];
}

async function main() {
  const native = [];
  for (let i = 0; i < runs; ++i) native.push(nativeFirstFrame());
  const served = {text: await serveSite(textSite()), floor: await serveSite(floorSite()), designer: await serveSite(site)};
  const urls = Object.fromEntries(Object.entries(served).map(([name, {url}]) => [name, url]));
  try {
    const rows = [];
    const running = await launchChromium();
    try {
      await firstVisit(urls.floor, 1, running);  // the browser has shown a page before
      for (const browser of [null, running]) {
        for (const rate of [1, slowdown]) {
          const how = `${browser ? 'running browser' : 'new browser'}, ${rate == 1 ? 'machine speed' : `CPU ${rate} × slower`}`;
          rows.push(...report(how, await rounds(urls, rate, browser), rate == 1 && !browser && median(native)));
        }
      }
    } finally {
      await running.close();
    }
    const [floorAudit, pageAudit] = [await audited(urls.floor), await audited(urls.designer)];
    rows.push(`| Lighthouse mobile performance, median of ${audits} | floor ${floorAudit.score.toFixed(2)} | ` +
      `${pageAudit.score.toFixed(2)} | | | ≥ ${targets.score} | ${met(pageAudit.score >= targets.score)} |`);
    rows.push(`| Lighthouse total blocking time, median of ${audits} | floor ${ms(floorAudit.blocking)} | ` +
      `${ms(pageAudit.blocking)} | | | ≤ ${targets.blocking} ms | ${met(pageAudit.blocking <= targets.blocking)} |`);
    rows.push(`| Lighthouse largest contentful paint, median of ${audits} | floor ${ms(floorAudit.largest)} | ` +
      `${ms(pageAudit.largest)} | | | | |`);
    console.log(`\nthe page's start, first visits in fresh profiles (${runs} rounds, medians; ratios within each round)`);
    console.log('| measure | baseline | designer | ratio, round by round | median | target | |\n|---|---|---|---|---|---|---|');
    for (const row of rows) console.log(row);
    console.log(`Lighthouse runs: floor ${floorAudit.all}; designer ${pageAudit.all}`);
  } finally {
    for (const {server} of Object.values(served)) server.close();
  }
}

runAsCommand(import.meta.url, main);
