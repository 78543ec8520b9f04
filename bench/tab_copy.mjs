// The design kept for the tab, in headless Chromium: the time a save takes (the state written
// as a copy and stored in sessionStorage, as the page does when it is hidden), and the time
// from the start of a load to its first frame, for a load that restores a copy against a
// fresh one. A restore draws the idle sway's random numbers again: a copy of an hour of sway
// on screen, and the most a copy may hold, show what that costs.
//
//   bench/web.sh   (or: KORVATH_SITE=build/web/site node bench/tab_copy.mjs)
import {launchChromium, serveSite} from '../tests/web/browser.mjs';

const copyKey = 'korvath-designer-session';
const saves = 2000;
const loads = 7;
// Fifty ticks a second, each drawing at most twice for each of the twelve swaying axes.
const drawsInAnHour = 50 * 3600 * 24;
const mostDraws = 1e8;

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Milliseconds per save, and per encoding of the state alone.
function timeSaves(page) {
  return page.evaluate(saves => {
    let started = performance.now();
    for (let i = 0; i < saves; ++i) TabCopy.save();
    const save = (performance.now() - started) / saves;
    started = performance.now();
    for (let i = 0; i < saves; ++i) UTF8ToString(_tabCopyEncode());
    return {save, encode: (performance.now() - started) / saves, bytes: sessionStorage.getItem('korvath-designer-session').length};
  }, saves);
}

// Milliseconds from the start of the load to the end of the designer's first frame, with
// `copy` in the tab's storage (or none).
async function firstFrame(browser, url, copy) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument((key, copy) => {
    if (copy) sessionStorage.setItem(key, copy);
    const request = window.requestAnimationFrame;
    window.requestAnimationFrame = callback => request.call(window, time => {
      callback(time);
      if (window.firstFrameAt === undefined && window.Frames?.drawn > 0) window.firstFrameAt = performance.now();
    });
  }, copyKey, copy);
  await page.goto(url);
  await page.waitForFunction(() => window.firstFrameAt !== undefined);
  const at = await page.evaluate(() => window.firstFrameAt);
  await page.close();
  return at;
}

async function main() {
  const served = await serveSite();
  const browser = await launchChromium();
  try {
    const page = await browser.newPage();
    await page.goto(served.url);
    await page.waitForFunction(() => window.Module && Module.calledRun);
    const {save, encode, bytes} = await timeSaves(page);
    const copy = await page.evaluate(() => UTF8ToString(_tabCopyEncode()));
    await page.close();
    const withDraws = draws => copy.replace(/draws:\d+;/, `draws:${draws};`);

    const results = {fresh: [], restored: [], hour: []};
    for (let i = 0; i < loads; ++i) {
      results.fresh.push(await firstFrame(browser, served.url, null));
      results.restored.push(await firstFrame(browser, served.url, withDraws(0)));
      results.hour.push(await firstFrame(browser, served.url, withDraws(drawsInAnHour)));
    }
    const most = await firstFrame(browser, served.url, withDraws(mostDraws));

    const fresh = median(results.fresh), restored = median(results.restored), hour = median(results.hour);
    console.log(`save: ${(save * 1000).toFixed(1)} µs (the state written as a copy alone: ${(encode * 1000).toFixed(1)} µs; ${bytes} bytes)`);
    console.log(`load to first frame, fresh: ${fresh.toFixed(1)} ms (median of ${loads})`);
    console.log(`load to first frame, restored: ${restored.toFixed(1)} ms (${(restored / fresh).toFixed(2)} of fresh)`);
    console.log(`load to first frame, restored after an hour of sway (${drawsInAnHour} draws): ${hour.toFixed(1)} ms (${(hour / fresh).toFixed(2)} of fresh)`);
    console.log(`load to first frame, restored with the most draws a copy may hold (${mostDraws}): ${most.toFixed(0)} ms`);
  } finally {
    await browser.close();
    served.server.close();
  }
}

main().catch(error => {
  console.error(error.message);
  process.exitCode = 1;
});
