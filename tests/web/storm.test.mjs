// The designer's page under a short seeded storm of real input, and the page locked down:
// its own scripts, styles and WebAssembly only. KORVATH_STORM_SEED explores another storm.
import assert from 'node:assert/strict';
import {after, before, describe, test} from 'node:test';
import {assertChestRed, canvasBox, canvasPicture, choose, openDesigner, siteAndBrowser, until} from './browser.mjs';
import {runStorm} from './storm.mjs';

const stormSeed = Number(process.env.KORVATH_STORM_SEED ?? 1);
const stormEvents = 600;  // some twenty seconds on two busy cores

const session = siteAndBrowser();

test('a storm of real input leaves the designer drawing, with no error and no stray menu', async () => {
  const {events, frames, seconds} =
    await runStorm(session.browser, session.served.url, {seed: stormSeed, events: stormEvents});
  console.log(`web storm seed ${stormSeed}: ${events} events, ${frames} frames, ${seconds.toFixed(1)} s, ` +
    `${Math.round(events / seconds)} events/s`);
});

test('the back and forward buttons on the picture keep the page', async () => {
  const page = await openDesigner(session.browser, session.served.url);  // after a blank page: there is a way back
  const box = await canvasBox(page);
  for (const button of ['back', 'forward']) {
    await page.mouse.click(box.x + 300, box.y + 300, {button});
    await page.mouse.down();
    await page.mouse.click(box.x + 320, box.y + 300, {button});  // while dragging
    await page.mouse.up();
  }
  await canvasPicture(page);
  assert.equal(page.url(), session.served.url);
  await page.close();
});

describe('the locked-down page', () => {
  // Every violation of the page's policy, as the page hears of it.
  const listen = page => page.evaluateOnNewDocument(() => {
    window.violations = [];
    document.addEventListener('securitypolicyviolation', event => violations.push(event.effectiveDirective));
  });
  let page;
  before(async () => {
    page = await openDesigner(session.browser, session.served.url, {beforeLoad: listen});
  });
  after(() => page.close());

  test('declares a policy of its own files only, and works within it', async () => {
    const policy = await page.$eval('meta[http-equiv="Content-Security-Policy"]', meta => meta.content);
    assert.match(policy, /default-src 'none'/);
    assert.doesNotMatch(policy, /'unsafe-(inline|eval)'|\*|https?:/);
    await choose(page, 'Colors/Main Color/Blood Red');
    assertChestRed(await canvasPicture(page));
    assert.deepEqual(await page.evaluate(() => violations), []);
    assert.deepEqual(page.errors, []);
  });

  test('runs no script put into the page: inline, in an attribute, from elsewhere, or by eval', async () => {
    const evalRefused = await page.evaluate(async () => {
      const script = document.createElement('script');
      script.textContent = 'window.planted = "inline script"';
      const image = document.createElement('img');
      image.setAttribute('onerror', 'window.planted = "error handler"');
      image.src = 'data:,';
      const foreign = document.createElement('script');
      foreign.src = 'http://127.0.0.2:9/planted.js';
      document.body.append(script, image, foreign);
      // In a task of its own: the browser says nothing of the code the protocol itself runs.
      await new Promise(resolve => setTimeout(resolve));
      try {
        return Function('return false')();
      } catch {
        return true;
      }
    });
    // Each refusal is said as a violation of its own directive.
    const directives = ['script-src-elem', 'script-src-attr', 'script-src'];
    await until(page, directives => directives.every(directive => violations.includes(directive)),
      `a violation of each of ${directives.join(', ')}`, directives);
    assert.equal(await page.evaluate(() => window.planted), undefined);
    assert.ok(evalRefused, 'new Function ran');
  });
});
