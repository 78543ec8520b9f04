// The designer in headless Chromium: its pictures against the native window's, real input
// in the page, and its menu tree against the native one.
import assert from 'node:assert/strict';
import {after, before, describe, test} from 'node:test';
import {
  assertChestRed, assertSamePicture, canvasBox, canvasPicture, choose, desktop, designerStarted, differs,
  nativeMenuTree, nativePicture, openDesigner, openLists, openMenuLabels, printed, settled, siteAndBrowser, until,
} from './browser.mjs';

const session = siteAndBrowser();

const freshDesigner = () => openDesigner(session.browser, session.served.url);

function both(path) {
  return [`Weapons/Left weapon/${path}`, `Weapons/Right weapon/${path}`];
}

const scenarios = [
  {name: 'start-up', choices: []},
  ...['No weapon', 'Bolter', 'Bolt pistol', 'Knife facing up', 'Knife facing down'].map(weapon => (
    {name: weapon, choices: both(weapon)})),
  {name: 'every slot repainted', choices: [
    'Colors/Main Color/Emerald Green', 'Colors/Trim Color/Lich Purple', 'Colors/Shoulder Color/Skull White',
    'Colors/Metal Color/Brass', 'Colors/Weapon Color/Ultramarines Blue', 'Colors/Eye color/Sunburst Yellow']},
  {name: 'every slot repainted again', choices: [
    'Colors/Main Color/Bestial brown', 'Colors/Trim Color/Skull White', 'Colors/Shoulder Color/Chaos Black',
    'Colors/Metal Color/Gunmetal', 'Colors/Weapon Color/Blood Red', 'Colors/Eye color/User defined']},
];

describe('the picture matches the native window', () => {
  for (const {name, choices} of scenarios) {
    test(name, async () => {
      const page = await freshDesigner();
      for (const choice of choices) await choose(page, choice);
      assertSamePicture(await canvasPicture(page), nativePicture(choices), name);
      assert.deepEqual(page.errors, []);
      assert.deepEqual(page.requests.filter(url => !url.startsWith(session.served.url)), [], 'the page loaded from elsewhere');
      await page.close();
    });
  }
});

describe('real input in the page', () => {
  let page, start;
  before(async () => {
    page = await freshDesigner();
    start = await canvasPicture(page);
  });
  after(() => page.close());

  test('a menu choice repaints the armour', async () => {
    await choose(page, 'Colors/Main Color/Blood Red');
    assertChestRed(await canvasPicture(page));
    await choose(page, 'Colors/Main Color/Ultramarines Blue');
    assert.ok(!differs(await canvasPicture(page), start), 'the armour is not blue again');
  });

  test('six w presses swing the arm, six s presses bring it back', async () => {
    const box = await canvasBox(page);
    await page.mouse.click(box.x + 5, box.y + 5);  // gives the canvas the keys
    for (let i = 0; i < 6; ++i) await page.keyboard.press('w');
    assert.ok(differs(await canvasPicture(page), start), 'the arm did not move');
    for (let i = 0; i < 6; ++i) await page.keyboard.press('s');
    assert.ok(!differs(await canvasPicture(page), start), 'the arm did not come back');
  });

  test('a drag turns the view, goes on outside the canvas, and works by touch', async () => {
    const box = await canvasBox(page);
    await page.mouse.move(box.x + 350, box.y + 350);
    await page.mouse.down();
    await page.mouse.move(box.x + 500, box.y + 350, {steps: 5});
    const turned = await canvasPicture(page);
    assert.ok(differs(turned, start), 'the view did not turn');
    await page.mouse.move(box.x + box.width + 100, box.y + 350, {steps: 5});
    const further = await canvasPicture(page);
    await page.mouse.up();
    assert.ok(differs(further, turned), 'the drag stopped at the canvas edge');

    await page.touchscreen.touchStart(box.x + 350, box.y + 350);
    await page.touchscreen.touchMove(box.x + 350, box.y + 450);
    await page.touchscreen.touchEnd();
    assert.ok(differs(await canvasPicture(page), further), 'a touch drag did not turn it');
  });

  test('Escape closes an open menu without choosing', async () => {
    const before = await canvasPicture(page);
    await page.mouse.click(400, 400, {button: 'right'});
    assert.notEqual(await openMenuLabels(page), null);
    await (await page.$$('.popup-menu li'))[1].hover();  // Colors
    await (await page.$$('.popup-menu'))[1].$$('li').then(items => items[0].hover());  // Main Color
    await (await page.$$('.popup-menu'))[2].$$('li').then(items => items[1].hover());  // Blood Red
    await page.keyboard.press('Escape');
    assert.equal(await openMenuLabels(page), null);
    assert.ok(!differs(await canvasPicture(page), before), 'Escape chose something');
  });

  test('Toggle idle prints "Starting to move"', async () => {
    await choose(page, 'Toggle idle');
    await printed(page, 'Starting to move');
    assert.deepEqual(page.errors, []);
  });
});

describe('the menu tree', () => {
  // Walks the page's menu by hovering every submenu, as a person would. The open lists
  // stand in the page from the top menu down, one for each level.
  async function pageMenu(page, depth = 0) {
    const items = await page.evaluate(depth => [...document.querySelectorAll('.popup-menu')[depth].children].map(
      item => ({label: item.textContent, submenu: item.classList.contains('has-submenu'), value: item.dataset.value})),
    depth);
    const entries = [];
    for (const [index, item] of items.entries()) {
      if (!item.submenu) {
        entries.push({label: item.label, value: Number(item.value)});
        continue;
      }
      const handle = await page.evaluateHandle((depth, index) =>
        document.querySelectorAll('.popup-menu')[depth].children[index], depth, index);
      await handle.asElement().hover();
      entries.push({label: item.label, entries: await pageMenu(page, depth + 1)});
    }
    return entries;
  }

  test('the page shows the native labels, order, nesting and values', async () => {
    const page = await freshDesigner();
    await page.mouse.click(400, 400, {button: 'right'});
    const tree = await pageMenu(page);
    await page.keyboard.press('Escape');
    assert.deepEqual(tree, nativeMenuTree());
    await page.close();
  });
});

test('a menu near the page\'s corner opens inwards, submenus too', async () => {
  const page = await freshDesigner();
  await page.setViewport({width: 600, height: 500});
  await settled(page);  // a resize closes an open menu: let it pass first
  const box = await canvasBox(page);  // the picture fills the page's height
  await page.mouse.click(box.x + box.width - 4, box.y + box.height - 4, {button: 'right'});
  await (await page.$$('.popup-menu li'))[1].hover();  // "Colors"
  await (await page.$$('.popup-menu'))[1].$$('li').then(items => items[5].hover());  // "Eye color"
  const outside = await page.evaluate(() => [...document.querySelectorAll('.popup-menu')].filter(list => {
    const box = list.getBoundingClientRect();
    const {clientWidth, clientHeight} = document.documentElement;
    return box.left < 0 || box.top < 0 || box.right > clientWidth || box.bottom > clientHeight;
  }).length);
  assert.equal(await openLists(page), 3);
  assert.equal(outside, 0);
  await page.close();
});

describe('bad input', () => {
  // The designer's WebAssembly is held back until the keys are in: they come while the
  // picture of the start shows, and are given to the designer as it starts. A profile of its
  // own has no service worker, which would fetch the file past the page.
  test('keys pressed before the designer starts are applied as it starts', async () => {
    const profile = await session.browser.createBrowserContext(), page = await profile.newPage();
    await page.setViewport(desktop);
    const errors = [];
    page.on('pageerror', error => errors.push(error.message));
    let letGo;
    const held = new Promise(resolve => { letGo = resolve; });
    await page.setRequestInterception(true);
    page.on('request', request => request.url().endsWith('.wasm') ? held.then(() => request.continue()) : request.continue());
    await page.goto(session.served.url, {waitUntil: 'domcontentloaded'});
    await page.focus('#canvas');
    for (const key of ['w', 'w', 'w', 'w', 'w', 'w', 'x', 'ArrowLeft', 'ArrowLeft']) await page.keyboard.press(key);
    assert.equal(await page.evaluate(() => !!window.Module.calledRun), false, 'the designer started before the keys');
    letGo();
    await designerStarted(page);
    const native = nativePicture([]);
    assert.ok(differs(await canvasPicture(page), native), 'the keys were lost');
    for (const key of ['s', 's', 's', 's', 's', 's', 'ArrowRight', 'ArrowRight']) await page.keyboard.press(key);
    assertSamePicture(await canvasPicture(page), native, 'the keys pressed before the start, undone');
    assert.deepEqual(errors, []);
    await profile.close();
  });

  test('resizing, zooming, switching tabs and right-clicking an open menu lose nothing', async () => {
    const page = await freshDesigner();
    await choose(page, 'Colors/Main Color/Blood Red');
    const before = await canvasPicture(page);

    await page.setViewport({width: 500, height: 400});
    // A zoom changes the picture's CSS size with the density: an emulated density alone tells
    // the page nothing, unlike a real zoom.
    await page.setViewport({width: 700, height: 700, deviceScaleFactor: 2});
    await settled(page);
    await page.setViewport({width: 1000, height: 900});

    const other = await session.browser.newPage();
    await other.bringToFront();
    await until(page, () => document.visibilityState == 'hidden', 'the page hidden behind another tab');
    await page.bringToFront();
    await until(page, () => document.visibilityState == 'visible', 'the page shown again');
    await other.close();

    // The second right click closes the first menu and opens one where it lands.
    await page.mouse.click(300, 300, {button: 'right'});
    await page.mouse.click(200, 500, {button: 'right'});
    await page.waitForFunction(() => {
      const lists = document.querySelectorAll('.popup-menu');
      return lists.length == 1 && lists[0].getBoundingClientRect().top >= 480;
    });
    await page.keyboard.press('Escape');

    assert.ok(!differs(await canvasPicture(page), before), 'the design changed');
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});
