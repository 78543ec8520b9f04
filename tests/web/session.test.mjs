// The design kept for the tab: Chromium's own discard of a hidden page, a frozen page loaded
// again while hidden, reloads on screen, a lost GL context, and copies that are not this
// build's. The page's first frame and its state are read as the page draws them.
import assert from 'node:assert/strict';
import {before, describe, test} from 'node:test';
import puppeteer from 'puppeteer-core';
import {
  assertSamePicture, canvasBox, choose, designerStarted, desktop, launchChromium, openDesigner, pictureOf, printed,
  serveSite, settled, siteAndBrowser, until, watchContexts,
} from './browser.mjs';

const copyKey = 'korvath-designer-session';
const swayFrames = 3;  // frames of the sway after the first: ticks enough to move every swing on
const session = siteAndBrowser();

// Runs in the page before its own scripts, after watchContexts(true), which keeps the drawing
// buffer after each frame so that the last frame can be read at any moment. The first frame
// the designer draws is kept with the state it shows (read once it is drawn: an animation
// frame may run other callbacks before the designer's), and so is the state when the page goes
// hidden, with its picture: drawn there and then, as the last frame may be some ticks of the
// sway behind the state on a busy machine.
function recordFrames() {
  const state = () => window._tabCopyEncode ? UTF8ToString(_tabCopyEncode()) : null;
  const picture = () => document.getElementById('canvas').toDataURL('image/png');
  const request = window.requestAnimationFrame;
  window.requestAnimationFrame = callback => request.call(window, time => {
    callback(time);
    if (!window.firstFrame && window.Frames?.drawn > 0) window.firstFrame = {picture: picture(), state: state()};
  });
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState != 'hidden') return;
    if (window.GLUT?.displayFunc) getWasmTableEntry(GLUT.displayFunc)();
    window.atHide = {picture: picture(), state: state()};
  });
}

const openRecorded = (browser, url) => openDesigner(browser, url, {beforeLoad: async page => {
  await page.evaluateOnNewDocument(watchContexts, true);
  await page.evaluateOnNewDocument(recordFrames);
}});
const designerState = page => page.evaluate(() => UTF8ToString(_tabCopyEncode()));
const storedCopy = page => page.evaluate(key => sessionStorage.getItem(key), copyKey);
// A page whose tab holds this copy before the page's first load.
const openWithCopy = copy => openDesigner(session.browser, session.served.url, {beforeLoad: page =>
  page.evaluateOnNewDocument((key, copy) => sessionStorage.setItem(key, copy), copyKey, copy)});

const decoded = dataUrl => pictureOf(Buffer.from(dataUrl.slice(dataUrl.indexOf(',') + 1), 'base64'));

async function firstFrame(page) {
  await page.waitForFunction(() => window.firstFrame);
  const frame = await page.evaluate(() => window.firstFrame);
  return {picture: decoded(frame.picture), state: frame.state};
}

// A copy's fields by name: "paints:2,3,2,5,1,1" gives paints → [2, 3, 2, 5, 1, 1].
function fields(copy) {
  return Object.fromEntries(copy.split(';').slice(1, -1).map(field => {
    const [name, values] = field.split(':');
    return [name, values.split(',').map(Number)];
  }));
}

function withField(copy, name, values) {
  return copy.replace(new RegExp(`;${name}:[^;]*;`), `;${name}:${values};`);
}

// The idle sway's own fields change with every tick; the design's do not.
const swayFields = ['head', 'forearm', 'upperarm', 'swings', 'phases', 'draws'];
function withoutSway(copy) {
  return Object.fromEntries(Object.entries(fields(copy)).filter(([name]) => !swayFields.includes(name)));
}

// A design of every kind: a paint from the menu, weapons, a pose by keys, an orbit, the
// mixed paint.
async function makeDesign(page, {weapon = 'Knife facing up', keys = 'wwwwddiiioo[[['} = {}) {
  await choose(page, 'Colors/Main Color/Emerald Green');
  await choose(page, 'Colors/Trim Color/User defined');
  await choose(page, `Weapons/Left weapon/${weapon}`);
  const box = await canvasBox(page);
  await page.mouse.click(box.x + 5, box.y + 5);
  for (const key of keys) await page.keyboard.press(key);
  await page.mouse.move(box.x + 300, box.y + 300);
  await page.mouse.down();
  await page.mouse.move(box.x + 420, box.y + 380, {steps: 4});
  await page.mouse.up();
  await settled(page);
}

// Another tab in front hides the designer, as a person switching tabs does.
async function hideBehind(other, ...pages) {
  await other.bringToFront();
  for (const page of pages) await until(page, () => document.visibilityState == 'hidden', 'the page hidden');
}

async function show(page) {
  await page.bringToFront();
  await page.waitForFunction(() => document.visibilityState == 'visible');
}

// The discard of chrome://discards, which works only on a tab without a DevTools session:
// the browser is left and joined again with the designer's tab out of sight of the protocol.
async function discardThroughChrome(browser, tools, url) {
  await tools.goto('chrome://chrome-urls');
  await (await tools.waitForSelector('pierce/cr-button')).click();  // "Enable internal debugging pages"
  await tools.goto('chrome://discards');
  const endpoint = browser.wsEndpoint();
  await browser.disconnect();
  const blind = await puppeteer.connect({browserWSEndpoint: endpoint, targetFilter: target => !target.url().startsWith(url)});
  const discards = (await blind.pages()).find(page => page.url().startsWith('chrome://discards'));
  // The table is drawn anew as the tab changes: its row is looked up each time, for the
  // action to take or for the tab's state.
  const inRow = (url, action) => {
    const table = document.querySelector('discards-main').shadowRoot.querySelector('discards-tab').shadowRoot;
    const row = [...table.querySelectorAll('tbody tr')].find(row => row.querySelector('.tab-url-cell').textContent.trim() == url);
    if (!row) return false;
    if (!action) return row.textContent.includes('discarded (urgent)');
    [...row.querySelectorAll('[is="action-link"]')].find(link => link.textContent.trim() == action).click();
    return true;
  };
  await discards.waitForFunction(inRow, {}, url, '[Urgent Discard]');
  await discards.waitForFunction(inRow, {}, url, null);
  await blind.disconnect();
  return puppeteer.connect({browserWSEndpoint: endpoint, defaultViewport: desktop});
}

describe('Chromium\'s own discard of a hidden page', () => {
  test('brings back the picture, the state and the sway', async () => {
    const served = await serveSite();
    let browser = await launchChromium();
    const chromium = browser.process();
    try {
      const page = await openRecorded(browser, served.url);
      await makeDesign(page);
      await choose(page, 'Toggle idle');
      await printed(page, 'Starting to move');
      const tools = await browser.newPage();
      await hideBehind(tools, page);
      const atHide = await page.evaluate(() => window.atHide);
      const saved = await storedCopy(page);
      assert.equal(saved, atHide.state, 'the saved state is not the state at the moment the page was hidden');

      browser = await discardThroughChrome(browser, tools, served.url);
      // Joined again, the browser loads the discarded tab anew, still hidden: the design is
      // back before its first frame, which comes once it is shown.
      const back = (await browser.pages()).find(page => page.url().startsWith(served.url));
      const errors = [];
      back.on('pageerror', error => errors.push(error.message));
      await designerStarted(back);
      assert.equal(await back.evaluate(() => document.wasDiscarded), true, 'the page was not discarded');
      assert.equal(await storedCopy(back), saved, 'the design restored is not the one saved');
      // A frame callback asked for now runs just after the designer's first display.
      await back.evaluate(() => requestAnimationFrame(() => {
        window.firstFrame = {picture: document.getElementById('canvas').toDataURL('image/png'),
                             state: window._tabCopyEncode ? UTF8ToString(_tabCopyEncode()) : null};
      }));
      await show(back);
      const first = await firstFrame(back);
      assertSamePicture(first.picture, decoded(atHide.picture), 'discarded');
      assert.deepEqual(withoutSway(first.state), withoutSway(saved));
      assert.equal(await storedCopy(back), null, 'the copy was not dropped once restored');

      // The sway goes on, drawn frame after frame: every swing under way moves on, and the
      // random sequence runs on.
      await until(back, frames => Frames.drawn > frames, 'the sway drawn on', 1 + swayFrames);
      const later = fields(await designerState(back)), before = fields(saved);
      assert.equal(later.idle[0], 1);
      assert.ok(later.draws[0] > before.draws[0], 'no new numbers drawn');
      before.swings.forEach((swing, axis) => {
        if (swing != 0) assert.notEqual(later.phases[axis], before.phases[axis], `the swing of axis ${axis} stood still`);
      });
      assert.deepEqual(errors, []);
    } finally {
      await browser.close().catch(() => chromium.kill());
      served.server.close();
    }
  });
});

describe('a frozen page loaded again while hidden', () => {
  test('each of two tabs gets its own design back, as it was when frozen', async () => {
    const designs = [{weapon: 'Knife facing up', keys: 'wwwddiii['}, {weapon: 'No weapon', keys: 'sssaaoopp;'}];
    const pages = [];
    for (const design of designs) {
      const page = await openRecorded(session.browser, session.served.url);
      await page.bringToFront();
      await makeDesign(page, design);
      pages.push(page);
    }
    const other = await session.browser.newPage();
    await hideBehind(other, ...pages);
    const atHide = await Promise.all(pages.map(page => page.evaluate(() => window.atHide)));
    // The first tab is posed further while hidden: its freeze saves that.
    for (const key of 'aaaa') await pages[0].keyboard.press(key);
    const atFreeze = [];
    for (const page of pages) {
      atFreeze.push(await designerState(page));
      const protocol = await page.createCDPSession();
      await protocol.send('Page.setWebLifecycleState', {state: 'frozen'});
      // The tab's storage as the browser holds it, read without the frozen page's scripts.
      const {entries} = await protocol.send('DOMStorage.getDOMStorageItems',
        {storageId: {securityOrigin: new URL(session.served.url).origin, isLocalStorage: false}});
      assert.deepEqual(entries.filter(([key]) => key == copyKey), [[copyKey, atFreeze.at(-1)]], 'the freeze saved nothing');
    }
    assert.notEqual(atFreeze[0], atHide[0].state, 'the keys did not pose the hidden tab');
    assert.notEqual(atFreeze[0], atFreeze[1]);
    for (const [index, page] of pages.entries()) {
      await page.reload();
      await designerStarted(page);
      assert.equal(await designerState(page), atFreeze[index], `tab ${index}: not its design`);
      // Loaded hidden, it may be taken away again before it is ever shown.
      assert.equal(await storedCopy(page), atFreeze[index], `tab ${index}: no copy while hidden`);
    }
    for (const [index, page] of pages.entries()) {
      await page.bringToFront();
      const first = await firstFrame(page);
      assert.equal(first.state, atFreeze[index]);
      if (index == 1) assertSamePicture(first.picture, decoded(atHide[index].picture), 'frozen');
      assert.equal(await storedCopy(page), null, `tab ${index}: the copy outlived the page's return`);
      assert.deepEqual(page.errors, []);
      await page.close();
    }
    await other.close();
  });
});

describe('on screen', () => {
  const hidings = 100;
  test('a reload starts afresh, after any number of hides; after a lost context it does not', async () => {
    const fresh = await openRecorded(session.browser, session.served.url);
    const initial = await firstFrame(fresh);
    await fresh.close();

    const page = await openRecorded(session.browser, session.served.url);
    await page.bringToFront();
    await makeDesign(page);
    await page.reload();
    const reloaded = await firstFrame(page);
    assert.equal(reloaded.state, initial.state);
    assertSamePicture(reloaded.picture, initial.picture, 'reloaded');

    await makeDesign(page);
    const other = await session.browser.newPage();
    for (let i = 0; i < hidings; ++i) {
      await hideBehind(other, page);
      await show(page);
      assert.equal(await storedCopy(page), null, `a copy outlived the page's return ${i + 1}`);
    }
    await other.close();
    await page.reload();
    assert.equal((await firstFrame(page)).state, initial.state, 'a stale copy was restored');

    await makeDesign(page);
    const design = await designerState(page);
    await page.evaluate(() => document.getElementById('canvas').getContext('webgl')
      .getExtension('WEBGL_lose_context').loseContext());
    await page.reload();
    assert.equal((await firstFrame(page)).state, design, 'the design was lost with the GL context');
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('a full storage quota saves nothing and breaks nothing', async () => {
    const page = await openRecorded(session.browser, session.served.url);
    await page.bringToFront();
    await page.evaluate(() => {
      for (let size = 1 << 24; size >= 1; size >>= 1) {
        try {
          sessionStorage.setItem(`filler-${size}`, 'x'.repeat(size));
        } catch {}
      }
    });
    await makeDesign(page);
    const other = await session.browser.newPage();
    await hideBehind(other, page);
    assert.equal(await storedCopy(page), null);
    await show(page);
    await other.close();
    const before = await designerState(page);
    await (await page.$('#canvas')).click();
    await page.keyboard.press('w');
    assert.notEqual(await designerState(page), before, 'the keys no longer pose the figure');
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});

describe('copies that are not this build\'s', () => {
  const valid = 'korvath-session 1;paints:9,0,8,4,2,3;weapons:4,0;piece:2;side:0;head:10,5,0,0,-5,0;' +
    'body:0,0,0,0,0,0;forearm:-90,0,0,-95,20,0;upperarm:5,0,-10,-5,0,10;upperleg:-5,0,-5,-5,0,5;' +
    'lowerleg:15,0,0,15,0,0;foot:-15,0,0,-15,0,0;swings:1,0,0,0,0,0,0,0,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0;' +
    'phases:1.5,0,0,0,0,0,0,0,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0;idle:0;mix:0.25,0.5,1;shine:12;' +
    // The eye where the camera's own drag handler places it for this yaw and pitch.
    'yaw:2.5;pitch:0.5;eye:-4.21841764,2.8765533,3.150002;draws:900;';
  const cases = [
    {name: 'a copy of this build', copy: valid, gives: valid},
    {name: 'another version', copy: valid.replace('session 1', 'session 2'), gives: 'initial'},
    {name: 'truncated', copy: valid.slice(0, valid.length - 5), gives: 'initial'},
    {name: 'truncated after a field', copy: valid.slice(0, valid.indexOf('idle:')), gives: 'initial'},
    {name: 'non-numeric', copy: withField(valid, 'weapons', 'bolter,0'), gives: 'initial'},
    {name: 'a fraction for a whole number', copy: withField(valid, 'piece', '2.5'), gives: 'initial'},
    {name: 'NaN', copy: withField(valid, 'head', 'NaN,5,0,0,-5,0'), gives: 'initial'},
    {name: 'infinite', copy: withField(valid, 'shine', 'Infinity'), gives: 'initial'},
    {name: 'longer than any copy', copy: valid + 'x'.repeat(5000), gives: 'initial'},
    {name: 'an angle of 1e30', copy: withField(valid, 'body', '1e30,0,0,0,-1e30,0'),
      gives: withField(valid, 'body', '180,0,0,0,-180,0')},
    {name: 'a paint index of 99, a weapon of -1',
      copy: withField(withField(valid, 'paints', '99,0,8,4,2,3'), 'weapons', '-1,0'),
      gives: withField(withField(valid, 'paints', '10,0,8,4,2,3'), 'weapons', '0,0')},
    {name: 'colours and swings beyond their ends',
      copy: withField(withField(valid, 'mix', '-3,0.5,7'), 'swings', `9,${'0,'.repeat(26)}-4`),
      gives: withField(withField(valid, 'mix', '0,0.5,1'), 'swings', `2,${'0,'.repeat(26)}0`)},
    {name: 'more draws than a copy may hold', copy: withField(valid, 'draws', '1e20'),
      gives: withField(valid, 'draws', '100000000')},
    {name: 'an eye off its orbit', copy: withField(valid, 'eye', '0,0,0'), gives: valid},
    {name: 'a yaw of 1e30', copy: withField(valid, 'yaw', '1e30'), gives: 'a yaw within a half turn'},
  ];
  // The C library's generator: the 64-bit linear congruential one of Knuth's MMIX, its top
  // 31 bits, never seeded. Found here: a count of draws after which the first tick of the
  // sway swings the head's right x axis negatively, where a fresh sequence swings it the
  // other way (its first number is 0).
  function countBeforeNegativeSwing() {
    const numbers = [];
    for (let seed = 0n; numbers.length < 100000;) {
      seed = (seed * 6364136223846793005n + 1n) & 0xffffffffffffffffn;
      numbers.push(Number(seed >> 33n));
    }
    return numbers.findIndex((number, at) => at > 1000 && number % 400 != 0 && numbers[at + 1] % 400 == 1);
  }

  test('the random sequence goes on from the draws counted', async () => {
    const count = countBeforeNegativeSwing();
    const copy = withField(withField(withField(valid, 'idle', '1'), 'swings', '0,'.repeat(27) + '0'), 'draws', count);
    const page = await openWithCopy(copy);
    await page.waitForFunction(count => /draws:(\d+)/.exec(UTF8ToString(_tabCopyEncode()))[1] > count, {}, count);
    assert.equal(fields(await designerState(page)).swings[0], 2, 'the head did not swing as the sequence goes on');
    await page.close();
  });

  let initial;
  before(async () => {
    const fresh = await openDesigner(session.browser, session.served.url);
    initial = await designerState(fresh);
    await fresh.close();
  });

  for (const {name, copy, gives} of cases) {
    test(name, async () => {
      const page = await openWithCopy(copy);
      const state = await designerState(page);
      assert.doesNotMatch(state, /nan|inf/i);
      assert.deepEqual(page.errors, []);
      if (gives == 'initial') {
        assert.equal(state, initial);
      } else if (gives == 'a yaw within a half turn') {
        assert.ok(Math.abs(fields(state).yaw[0]) <= 3.141);
        assert.deepEqual({...fields(state), yaw: 0}, {...fields(valid), yaw: 0});
      } else {
        assert.deepEqual(fields(state), fields(gives));
      }
      await page.close();
    });
  }
});
