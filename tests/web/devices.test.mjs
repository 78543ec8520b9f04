// The designer on a phone, from the keyboard alone, and on a dense desktop screen: the
// picture sharp at the screen's density and equal to the native window of that size, every
// choice within reach of a finger or of the keys, and the picture said in words.
import assert from 'node:assert/strict';
import {after, before, describe, test} from 'node:test';
import {setTimeout as pause} from 'node:timers/promises';
import {AxePuppeteer} from '@axe-core/puppeteer';
import {
  assertChestRed, assertSamePicture, canvasBox, canvasPicture, desktop, differs, entryCentre, launchChromium,
  nativePicture, openDesigner, openLists, press, printed, serveSite, settled, startPicture,
} from './browser.mjs';

const phone = {width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true};
const holdMilliseconds = 700;  // longer than the page's half-second hold
const quietMilliseconds = 1500;  // the swaying figure left alone this long says nothing

let served;
before(async () => { served = await serveSite(); });
after(() => served?.server.close());

// A browser whose screen has this density, as a real dense screen has: an emulated
// density alone leaves the canvas's device-pixel box in CSS pixels.
async function designerAtDensity(density, viewport) {
  const browser = await launchChromium([`--force-device-scale-factor=${density}`]);
  return {browser, page: await openDesigner(browser, served.url, {viewport: {...viewport, deviceScaleFactor: density}})};
}

// The first frame against the native window resized to the canvas's drawing buffer.
async function assertMatchesNative(page, name) {
  const size = await page.evaluate(() => document.getElementById('canvas').width);
  const web = await canvasPicture(page);
  assert.equal(web.width, size, 'the page shows the drawing buffer at its own size');
  assertSamePicture(web, nativePicture([], size), name);
  return web;
}

// One finger's path, its events sent at once and handled in order, so that a busy
// machine's protocol round trips never make a tap or a drag into a hold.
async function touch(page, [first, ...rest]) {
  page.touch ??= await page.target().createCDPSession();
  const send = (type, points) => page.touch.send('Input.dispatchTouchEvent', {type, touchPoints: points});
  await Promise.all([send('touchStart', [first]), ...rest.map(point => send('touchMove', [point])), send('touchEnd', [])]);
}
const tap = (page, x, y) => touch(page, [{x, y}]);

// No rule of WCAG 2.2 AA, nor of the common practice, is broken on the page as it stands; nor
// the experimental one that a control's name starts with its visible text, which voice control
// needs. The rules run in the page itself: by default they end in a page of their own, whose
// focus would close an open menu.
async function assertAccessible(page, what) {
  const tags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'];
  const {violations} = await new AxePuppeteer(page).withTags(tags)
    .options({rules: {'label-content-name-mismatch': {enabled: true}}}).setLegacyMode(true).analyze();
  assert.deepEqual(violations.map(rule => `${rule.id}: ${rule.nodes.map(node => node.target).join(', ')}`), [], what);
}

// The picture as the accessibility tree gives it to a screen reader: the named application in
// the one round the picture, its status and its menus.
async function pictureNode(page) {
  const find = node => node.role == 'application' && node.name ? node : (node.children || []).map(find).find(Boolean);
  return find(await page.accessibility.snapshot());
}

// Waits until the status says these words; the same words said again differ from `before` (the
// page marks a repeat with a trailing no-break space).
const said = page => page.evaluate(() => document.getElementById('said').textContent);
const saying = (page, words, before = null) => page.waitForFunction((words, before) => {
  const text = document.getElementById('said').textContent;
  return text.trim() == words && text != before;
}, {timeout: 10000}, words, before);
// The picture's whole description, which the canvas carries when the focus comes to it.
const pictureWords = page => page.evaluate(() => document.getElementById('picture-words').textContent);
const focused = page => page.evaluate(() => document.activeElement.id || document.activeElement.textContent);
const shiftF10 = page => press(page, 'Shift+F10');

describe('on a phone', () => {
  let browser, page, start;
  before(async () => {
    ({browser, page} = await designerAtDensity(phone.deviceScaleFactor, phone));
    start = await canvasPicture(page);
  });
  after(() => browser?.close());

  test('the page fits the screen and its first frame is the native one at the same size', async () => {
    const {scrollWidth, clientWidth, css, buffer} = await page.evaluate(() => ({
      scrollWidth: document.documentElement.scrollWidth, clientWidth: document.documentElement.clientWidth,
      css: canvas.getBoundingClientRect().width, buffer: canvas.width}));
    assert.ok(scrollWidth <= clientWidth, `the page is ${scrollWidth} px wide in ${clientWidth}`);
    assert.equal(buffer, Math.round(css * phone.deviceScaleFactor));
    await assertMatchesNative(page, 'phone');
  });

  test('no accessibility rule is broken, with the menu closed or open', async () => {
    await assertAccessible(page, 'menu closed');
    const box = await (await page.$('#menu-button')).boundingBox();
    await tap(page, box.x + box.width / 2, box.y + box.height / 2);
    assert.equal(await openLists(page), 1, 'the Menu button opened no menu');
    await assertAccessible(page, 'menu open');
    assert.equal(await openLists(page), 1, 'the rules closed the menu');
    await page.keyboard.press('Escape');
    assert.equal(await openLists(page), 0);
  });

  test('six taps on W and six on S swing the arm and bring it back; so do two on ← and two on →', async () => {
    const press = async (key, attribute = 'key') => {
      const box = await (await page.$(`#pad button[data-${attribute}="${key}"]`)).boundingBox();
      assert.ok(box.width >= 44 && box.height >= 44, `the ${key} button is ${box.width} by ${box.height}`);
      await tap(page, box.x + box.width / 2, box.y + box.height / 2);
    };
    for (let i = 0; i < 6; ++i) await press('w');
    assert.ok(differs(await canvasPicture(page), start), 'the arm did not move');
    for (let i = 0; i < 6; ++i) await press('s');
    assertSamePicture(await canvasPicture(page), start, 'phone, the arm brought back');
    for (const way of ['left', 'left']) await press(way, 'orbit');
    assert.ok(differs(await canvasPicture(page), start), 'the view did not turn');
    for (const way of ['right', 'right']) await press(way, 'orbit');
    assert.ok(!differs(await canvasPicture(page), start), 'the view did not come back');
  });

  test('a long press, then taps on Colors, Main Color and Blood Red, paint the armour red', async () => {
    const box = await canvasBox(page);
    await page.touchscreen.touchStart(box.x + box.width / 2, box.y + box.height / 2);
    await pause(holdMilliseconds);
    await page.touchscreen.touchEnd();
    assert.equal(await openLists(page), 1, 'the hold opened no menu');
    for (const label of ['Colors', 'Main Color']) {
      const {x, y} = await entryCentre(page, label);
      await tap(page, x, y);
    }
    assert.equal(await openLists(page), 3, 'the taps did not open the submenus');
    const {x, y} = await entryCentre(page, 'Blood Red');
    await tap(page, x, y);
    assert.equal(await openLists(page), 0);
    assertChestRed(await canvasPicture(page));
  });

  test('a one-finger drag turns the view, and the page does not scroll', async () => {
    const before = await canvasPicture(page), box = await canvasBox(page);
    await touch(page, [{x: box.x + 100, y: box.y + 200}, {x: box.x + 150, y: box.y + 260}, {x: box.x + 250, y: box.y + 300}]);
    assert.ok(differs(await canvasPicture(page), before), 'the view did not turn');
    assert.deepEqual(await page.evaluate(() => [scrollX, scrollY]), [0, 0]);
    assert.equal(await openLists(page), 0, 'a drag opened the menu');
    assert.deepEqual(page.errors, []);
  });

  test('a hold that drags, a pad tap on an open menu, two fingers and a turn of the phone lose nothing', async () => {
    const before = await canvasPicture(page), box = await canvasBox(page);
    const at = (x, y, id) => ({x: box.x + x, y: box.y + y, id});
    await page.touchscreen.touchStart(box.x + 100, box.y + 100);
    await pause(holdMilliseconds);
    await page.touchscreen.touchMove(box.x + 300, box.y + 300);
    await page.touchscreen.touchEnd();
    assert.equal(await openLists(page), 1, 'the hold did not open the menu');
    const w = await (await page.$('#pad button[data-key="w"]')).boundingBox();
    await tap(page, w.x + w.width / 2, w.y + w.height / 2);
    assert.equal(await openLists(page), 0, 'the pad did not close the menu');
    page.touch ??= await page.target().createCDPSession();
    const fingers = (type, points) => page.touch.send('Input.dispatchTouchEvent', {type, touchPoints: points});
    await fingers('touchStart', [at(100, 100, 0), at(200, 200, 1), at(300, 100, 2)]);
    await fingers('touchMove', [at(250, 150, 0), at(50, 300, 1), at(300, 300, 2)]);
    await fingers('touchEnd', []);
    assert.ok(!differs(await canvasPicture(page), before), 'the design changed');

    await page.touchscreen.touchStart(box.x + 100, box.y + 100);
    await page.touchscreen.touchMove(box.x + 150, box.y + 150);
    await page.setViewport({...phone, width: phone.height, height: phone.width});
    await page.touchscreen.touchMove(box.x + 200, box.y + 150);
    await page.touchscreen.touchEnd();
    await settled(page);
    assert.deepEqual(page.errors, []);
  });
});

test('from the keyboard alone, the menu opens, walks, closes and chooses', async () => {
  const browser = await launchChromium();
  const page = await openDesigner(browser, served.url);
  const start = await canvasPicture(page);
  const keys = async (...names) => { for (const name of names) await page.keyboard.press(name); };

  await keys('Tab');
  assert.equal(await focused(page), 'canvas', 'Tab does not reach the canvas');
  const picture = await pictureNode(page);
  assert.equal(picture.name, 'Korvath Designer: the figure');
  assert.equal(picture.description, 'Seen from the front. Main Color: Ultramarines Blue; Trim Color: Sunburst Yellow; ' +
    'Shoulder Color: Ultramarines Blue; Metal Color: Gunmetal; Weapon Color: Blood Red; Eye color: Blood Red. ' +
    'Left weapon: Bolt pistol; Right weapon: Bolter. Keys pose: Upper arm, left side (x 0°, y 0°). Idle off.');
  await assertAccessible(page, 'desktop, menu closed');
  await shiftF10(page);
  assert.equal(await focused(page), 'Pieces');
  await assertAccessible(page, 'desktop, menu open');
  assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('.popup-menu, .popup-menu li')]
    .map(node => node.getAttribute('role')).filter(role => role != 'menu' && role != 'menuitem')), []);
  await keys('ArrowUp');
  assert.equal(await focused(page), 'Toggle idle', 'ArrowUp does not wrap round');
  await keys('ArrowDown');
  assert.equal(await focused(page), 'Pieces', 'ArrowDown does not wrap round');
  await keys('End', 'Home', 'ArrowDown', 'ArrowRight');
  assert.equal(await focused(page), 'Main Color');
  const colors = await page.evaluate(() => document.querySelector('.popup-menu li.open').getAttribute('aria-expanded'));
  assert.equal(colors, 'true');
  await keys('Enter', 'ArrowDown');
  assert.equal(await focused(page), 'Blood Red');
  await keys('ArrowLeft');
  assert.equal(await focused(page), 'Main Color');
  assert.equal(await openLists(page), 2, 'ArrowLeft did not close the submenu');
  await keys('w', 'Escape');
  assert.equal(await openLists(page), 0);
  assert.equal(await focused(page), 'canvas');
  assert.ok(!differs(await canvasPicture(page), start), 'closing chose something');

  await shiftF10(page);
  await keys('ArrowDown', 'Enter', ' ', 'ArrowDown', 'Enter');
  assert.equal(await openLists(page), 0);
  assert.equal(await focused(page), 'canvas');
  assertChestRed(await canvasPicture(page));
  await saying(page, 'Main Color: Blood Red');
  assert.match(await pictureWords(page), /Main Color: Blood Red;/);
  await keys('w', 'w');
  await saying(page, 'Upper arm, left side: x −10°');
  assert.match(await pictureWords(page), /Keys pose: Upper arm, left side \(x −10°, y 0°\)/);
  // Changes on the picture are said alone: a screen reader reads a changed description of the
  // focused element again. Away and back, the picture is described as it now stands.
  assert.equal((await pictureNode(page)).description, undefined, 'the description stays on the canvas');
  await keys('Tab');
  await page.keyboard.down('Shift');
  await keys('Tab');
  await page.keyboard.up('Shift');
  assert.equal(await focused(page), 'canvas');
  assert.match((await pictureNode(page)).description, /Main Color: Blood Red;.*Keys pose: Upper arm, left side \(x −10°, y 0°\)/);
  assert.deepEqual(page.errors, []);
  await browser.close();
});

test('the arrows turn the view as a drag would, within its limits, and say where the eye is', async () => {
  const browser = await launchChromium();
  const page = await openDesigner(browser, served.url);
  await page.focus('#canvas');
  await page.evaluate(() => {
    window.arrowsScroll = false;
    addEventListener('keydown', event => { if (event.key.startsWith('Arrow') && !event.defaultPrevented) arrowsScroll = true; });
  });
  const start = await canvasPicture(page), box = await canvasBox(page);
  const same = async (picture, what) => {
    const now = await canvasPicture(page);
    assert.ok(!differs(now, picture), what);
    return now;
  };
  const hold = async (key, repeats) => {
    for (let i = 0; i < repeats; ++i) await page.keyboard.down(key);
    await page.keyboard.up(key);
  };

  // During a drag an arrow moves nothing: the drag goes on from where its pointer is.
  await page.mouse.move(box.x + 100, box.y + 100);
  await page.mouse.down();
  await page.keyboard.press('ArrowLeft');
  await page.mouse.up();
  await same(start, 'an arrow during a drag turned the view');

  // A burst of arrows is said once, as it ends: a quarter turn shows the figure's left side.
  for (let i = 0; i < 18; ++i) await page.keyboard.press('ArrowRight');
  await saying(page, 'Seen from the left: the eye 90° right, 0° up');
  // Held long, up stops at the pitch's limit; 72 more steps are a whole turn, and the yaw wraps.
  await hold('ArrowUp', 100);
  await saying(page, 'Seen from the left, from above: the eye 90° right, 80° up');
  const above = await canvasPicture(page), before = await said(page);
  await hold('ArrowUp', 10);
  await same(above, 'the eye rose beyond the limit');
  await hold('ArrowRight', 72);
  await same(above, 'a whole turn did not bring the view back');
  await saying(page, 'Seen from the left, from above: the eye 90° right, 80° up', before);
  assert.match(await pictureWords(page), /^Seen from the left, from above\. Main Color/);
  assert.equal(await page.evaluate(() => arrowsScroll), false, 'an arrow was left to scroll the page');

  // The idle sway's own motion is never said.
  await press(page, 'Shift+F10', 'End', 'Enter');
  await saying(page, 'Idle on');
  await printed(page, 'Starting to move');
  await pause(quietMilliseconds);
  assert.equal(await said(page), 'Idle on');
  assert.deepEqual(page.errors, []);
  await browser.close();
});

test('on a desktop at 2 device pixels per CSS pixel, the picture is the native one at twice the size, as is the start\'s', async () => {
  const {browser, page} = await designerAtDensity(2, desktop);
  assert.equal(await page.evaluate(() => canvas.getBoundingClientRect().width), 700);
  const web = await assertMatchesNative(page, 'dense desktop');
  assertSamePicture(web, startPicture(1400), 'the picture of the start at 2×');
  await browser.close();
});

// Every screen and every preference, one page each: nothing scrolls sideways, the text follows
// the size the person chose, and what a person does there reaches what they want.
const cdp = async (page, method, parameters) => (await page.target().createCDPSession()).send(method, parameters);
const openFrom = async (page, opener) => {
  await page.focus(opener);
  await (opener == '#canvas' ? shiftF10(page) : page.keyboard.press('Enter'));
};
// In the page: whether the menu entry is whole within the window, and nothing covers it.
const withinReach = label => {
  const item = [...document.querySelectorAll('.popup-menu li')].find(item => item.textContent == label);
  const box = item.getBoundingClientRect(), x = box.x + box.width / 2;
  return box.bottom <= innerHeight && [box.top + 1, box.bottom - 1].every(y => document.elementFromPoint(x, y) == item);
};

// Colors, Main Color, then Lich Purple, out of reach at first, brought within reach and chosen.
async function chooseLichPurple(page, by) {
  const press = ({x, y}) => by == 'finger' ? tap(page, x, y) : page.mouse.click(x, y);
  if (by == 'keys') {
    await openFrom(page, '#menu-button');
    for (const key of ['ArrowDown', 'ArrowRight', 'Enter', 'End']) await page.keyboard.press(key);
  } else {
    await (by == 'finger' ? page.tap('#menu-button') : page.click('#menu-button'));
    for (const label of ['Colors', 'Main Color']) await press(await entryCentre(page, label));
    assert.equal(await page.evaluate(withinReach, 'Lich Purple'), false, 'the list fitted the window to begin with');
    const {x, y} = await entryCentre(page, 'Skull White');
    if (by == 'finger') await touch(page, [0, -40, -80, -120, -160].map(dy => ({x, y: y + dy})));
    else await page.mouse.move(x, y).then(() => page.mouse.wheel({deltaY: 400}));
  }
  await page.waitForFunction(withinReach, {timeout: 10000}, 'Lich Purple')
    .catch(() => assert.fail(`Lich Purple never came within reach by ${by}`));
  await (by == 'keys' ? page.keyboard.press('Enter') : press(await entryCentre(page, 'Lich Purple')));
  await saying(page, 'Main Color: Lich Purple');
}

const screens = [
  {screen: 'a phone on its side, by finger', viewport: {width: 844, height: 390, isMobile: true, hasTouch: true}, by: 'finger'},
  {screen: 'a window 256 px tall, by the wheel', viewport: {width: 1000, height: 256}, by: 'wheel'},
  {screen: 'a window 200 px tall, by the keys', viewport: {width: 600, height: 200}, by: 'keys'},
  {screen: 'a phone 320 px wide', viewport: {width: 320, height: 640, isMobile: true, hasTouch: true}},
  {screen: 'a desktop zoomed to 400%, its text at 200%', viewport: {width: 320, height: 256, deviceScaleFactor: 4}, text: 32},
  {screen: 'a desktop in a contrast theme', viewport: desktop, forced: true},
  {screen: 'a desktop with a mouse, the focus coming back', viewport: desktop, focus: true},
];
describe('on every screen', () => {
  let browser;
  before(async () => { browser = await launchChromium(); });
  after(() => browser?.close());

  for (const {screen, viewport, by, text = 16, forced, focus} of screens) test(screen, async () => {
    const page = await openDesigner(browser, served.url, {viewport});
    await cdp(page, 'Page.setFontSizes', {fontSizes: {standard: text}});
    assert.deepEqual(await page.evaluate(() => [document.documentElement.scrollWidth - document.documentElement.clientWidth,
      getComputedStyle(document.getElementById('hint')).fontSize]), [0, `${13 * text / 16}px`], 'sideways scroll, text size');
    if (by) await chooseLichPurple(page, by);
    if (forced) {
      await cdp(page, 'Emulation.setEmulatedMedia', {features: [{name: 'forced-colors', value: 'active'}]});
      await openFrom(page, '#canvas');
      const entry = await page.$('.popup-menu li'), look = () => entry.screenshot({captureBeyondViewport: false});
      const focusedLook = await look();
      await page.keyboard.press('ArrowDown');
      assert.notDeepEqual(await look(), focusedLook, 'the focused entry looks like the others');
    }
    if (focus) {
      await page.click('#pad [data-orbit="left"]');
      await saying(page, 'Seen from the front: the eye 5° left, 0° up');
      // From the Menu button on, the focus is never on the body, however quickly the menu comes and goes.
      await openFrom(page, '#menu-button');
      await page.evaluate(() => (function watch() {
        if (document.activeElement == document.body) window.focusOnBody = true;
        requestAnimationFrame(watch);
      })());
      await page.keyboard.press('Escape');
      assert.equal(await focused(page), 'menu-button');
      await openFrom(page, '#canvas');
      await page.setViewport({...desktop, height: 700}).then(() => settled(page));
      assert.equal(await openLists(page), 1, 'a new height closed the menu');
      await page.setViewport({...desktop, width: 900}).then(() => settled(page));
      assert.deepEqual([await openLists(page), await focused(page)], [0, 'canvas'], 'a new width');
      for (const [width, opener] of [[700, '#canvas'], [900, '#menu-button'], [500, '#canvas'], [1000, '#menu-button']]) {
        await openFrom(page, opener);
        await page.setViewport({...desktop, width});
      }
      await page.waitForFunction(() => !document.querySelector('.popup-menu, .popup-menu-closed'), {timeout: 10000});
      assert.equal(await page.evaluate(() => window.focusOnBody), undefined, 'the focus fell to the body');
    }
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});
