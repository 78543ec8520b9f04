// The platform layer draws a whole frame in a few draws: one for each material the frame is lit
// with, counted on the page's WebGL context. Every frame draws all of its triangles and keeps
// none over for the next, through new sizes, densities and a lost context, and the frames
// stop making WebGL buffers once they have the few they stream through.
import assert from 'node:assert/strict';
import {describe, test} from 'node:test';
import {setTimeout as pause} from 'node:timers/promises';
import {choose, openDesigner, settled, siteAndBrowser} from './browser.mjs';
import {countFrame, countWebGLCalls} from './webgl-calls.mjs';

const session = siteAndBrowser();
const hiddenMilliseconds = 1500;  // a swaying page hidden this long draws nothing

// The start-up frame holds a bolter and a bolt pistol; with the knives, every weapon kind is drawn.
const scenarios = [
  {name: 'start-up', choices: []},
  {name: 'no weapon', choices: ['Weapons/Left weapon/No weapon', 'Weapons/Right weapon/No weapon']},
  {name: 'both knives', choices: ['Weapons/Left weapon/Knife facing up', 'Weapons/Right weapon/Knife facing down']},
];

// A frame's counts, checked: at most two draws beyond one a material, and no WebGL error.
async function checkedFrame(page, name) {
  const frame = await countFrame(page);
  console.log(`${name}: ${frame.draws} draws, ${frame.materials} materials, ${frame.calls} WebGL calls, ` +
    `${frame.triangles} triangles`);
  assert.ok(frame.materials >= 3, `${name}: only ${frame.materials} materials drawn`);
  assert.ok(frame.draws <= frame.materials + 2, `${name}: ${frame.draws} draws for ${frame.materials} materials`);
  assert.equal(await page.evaluate(() => GLctx.getError()), 0, `${name}: a WebGL error`);
  return frame;
}

// What a frame draws, leaving out the emulation's own calls, which vary with what it has cached.
const same = frame => ({triangles: frame.triangles, draws: frame.draws, materials: frame.materials});

describe('a frame in a few draws', () => {
  for (const {name, choices} of scenarios) {
    test(name, async () => {
      const page = await openDesigner(session.browser, session.served.url, {beforeLoad: countWebGLCalls});
      for (const choice of choices) await choose(page, choice);
      const first = await checkedFrame(page, name);
      // The next frame draws the very same triangles: nothing was kept over, nothing lost.
      assert.deepEqual(same(await checkedFrame(page, `${name}, again`)), same(first));
      // Its few large draws soon have all the buffers they stream through (four of a size),
      // and make no more.
      for (let frame = 0; frame < 8; ++frame) await countFrame(page);
      let buffers = 0;
      for (let frame = 0; frame < 40; ++frame) buffers += (await countFrame(page)).buffers;
      assert.equal(buffers, 0, 'WebGL buffers made frame after frame');
      assert.deepEqual(page.errors, []);
      await page.close();
    });
  }

  test('new sizes, a new density, a window of no size and a lost context lose and keep nothing', async () => {
    const page = await openDesigner(session.browser, session.served.url, {beforeLoad: countWebGLCalls});
    const start = await checkedFrame(page, 'start-up');

    const width = () => page.evaluate(() => document.getElementById('canvas').width);
    const before = await width();
    await page.setViewport({width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true});
    await settled(page);
    assert.notEqual(await width(), before, 'the drawing buffer kept its size');
    assert.deepEqual(same(await checkedFrame(page, 'phone, 2 device pixels a CSS pixel')), same(start));

    // The designer told of a window of no size, the drawing buffer left as it is.
    const reshape = (width, height) => page.evaluate((width, height) => {
      getWasmTableEntry(GLUT.reshapeFunc)(width, height);
    }, width, height);
    await reshape(0, 0);
    await checkedFrame(page, 'a window of no size');
    const size = await width();
    await reshape(size, size);
    assert.deepEqual(same(await checkedFrame(page, 'the window back')), same(start));

    // While the context is lost, every frame still hands the GL its own triangles, and only them.
    await page.evaluate(() => GLctx.getExtension('WEBGL_lose_context').loseContext());
    assert.ok(await page.evaluate(() => GLctx.isContextLost()));
    assert.deepEqual(same(await countFrame(page)), same(start));
    assert.deepEqual(same(await countFrame(page)), same(start));
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});

test('a hidden page draws nothing while the figure sways, and draws it when shown again', async () => {
  const page = await openDesigner(session.browser, session.served.url);
  const drawn = () => page.evaluate(() => Frames.drawn);
  await choose(page, 'Toggle idle');
  const swaying = await drawn();
  await page.waitForFunction(swaying => Frames.drawn > swaying + 3, {}, swaying);

  const other = await session.browser.newPage();
  await other.bringToFront();
  await page.waitForFunction(() => document.visibilityState == 'hidden', {polling: 50});
  const hidden = await drawn();
  await page.waitForFunction(() => _designDiffersFromDrawn(), {polling: 50});
  await pause(hiddenMilliseconds);
  assert.equal(await drawn(), hidden, 'frames drawn while hidden');

  await page.bringToFront();
  await page.waitForFunction(hidden => Frames.drawn > hidden, {}, hidden);
  await other.close();
  assert.deepEqual(page.errors, []);
  await page.close();
});
