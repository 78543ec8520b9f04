// Each browser engine as the walks drive it: a page through puppeteer (Chromium, and Firefox
// over WebDriver BiDi), or WebKit's MiniBrowser through WebKitWebDriver, behind the same few
// calls: evaluate, picture, open, resize, mouse, press, touch, errors.
import {setTimeout as pause} from 'node:timers/promises';
import {PNG} from 'pngjs';
import {canvasPicture, desktop, launchChromium, launchFirefox, press, whenSettled} from './browser.mjs';
import {down, keyboard, keyDown, keys, keyUp, mouse as mouseActions, moveTo, startWebKit, up} from './webdriver.mjs';

const buttonNames = ['left', 'middle', 'right'];

export function puppeteerEngine(page) {
  page.errors = [];
  page.on('console', message => { if (message.type() == 'error') page.errors.push(message.text()); });
  page.on('pageerror', error => page.errors.push(error.message));
  return {
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    picture: () => canvasPicture(page),
    async open(url) {
      await page.setViewport(desktop);
      await page.goto(url);
    },
    resize: (width, height) => page.setViewport({width, height}),
    async mouse(steps) {
      for (const step of steps) {
        if (step.move) await page.mouse.move(...step.move, {steps: step.steps || 1});
        else if (step.down !== undefined) await page.mouse.down({button: buttonNames[step.down]});
        else await page.mouse.up({button: buttonNames[step.up]});
      }
    },
    press: (...names) => press(page, ...names),
    async touch(x, y, milliseconds = 0) {
      await page.touchscreen.touchStart(x, y);
      if (milliseconds) await pause(milliseconds);
      await page.touchscreen.touchEnd();
    },
    errors: async () => page.errors,
    middleButton: true,
  };
}

// WebKit's window shows the page at its own size; the canvas is cut from the window's picture,
// as its element picture comes back partly black.
function webKitEngine(session) {
  return {
    evaluate: (fn, ...args) => session.execute(fn, ...args),
    async picture() {
      await session.execute(whenSettled);
      const box = await session.execute(() => {
        const {x, y, width, height} = document.getElementById('canvas').getBoundingClientRect();
        return [x, y, width, height].map(value => Math.round(value * devicePixelRatio));
      });
      const png = PNG.sync.read(await session.screenshot());
      const [left, top, width, height] = box, rgb = Buffer.alloc(width * height * 3);
      for (let y = 0; y < height; ++y) {
        for (let x = 0; x < width; ++x) {
          const at = ((top + y) * png.width + left + x) * 4;
          png.data.copy(rgb, (y * width + x) * 3, at, at + 3);
        }
      }
      return {width, height, rgb};
    },
    async open(url) {
      await session.setWindowSize(desktop.width, desktop.height);
      await session.navigate(url);
    },
    resize: (width, height) => session.setWindowSize(width, height),
    async mouse(steps) {
      const action = step => step.move ? moveTo(...step.move, step.steps ? 100 : 0) :
        step.down !== undefined ? down(step.down) : up(step.up);
      await session.perform(mouseActions(...steps.map(action)));
    },
    async press(...names) {
      const actions = [];
      for (const name of names) {
        const values = name.split('+').map(part =>
          part.length == 1 ? part : keys[part.replace('Arrow', '').toLowerCase()]);
        actions.push(...values.map(keyDown), ...[...values].reverse().map(keyUp));
      }
      await session.perform(keyboard(...actions));
    },
    touch: null,  // the driver sends a touch as a mouse
    // The driver sends the release of every button as the left one's: a middle button it
    // pressed stays down for the page, as `buttons` shows, and a right one too (which is
    // what the right button's menu and the left drag after it meet here).
    middleButton: false,
    errors: () => session.execute(() => window.pageErrors),
  };
}

// Each engine as a walk drives it, and how its browser is closed again. `prepare(page)` may
// set a puppeteer page up before it loads.
export async function openPuppeteer(launch, prepare) {
  const browser = await launch();
  const page = await browser.newPage();
  await prepare?.(page);
  return {engine: puppeteerEngine(page), close: () => browser.close()};
}

export const engines = {
  chromium: () => openPuppeteer(launchChromium),
  firefox: () => openPuppeteer(launchFirefox),
  webkit: async () => {
    const webKit = await startWebKit();
    return {engine: webKitEngine(webKit.session), close: () => webKit.close()};
  },
};
