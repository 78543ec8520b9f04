// The browser storm's input: random events drawn from a seeded generator, each a plain
// record that can be printed, and the real input that each sends to the page through the
// DevTools protocol (pointer, wheel, fingers, keys, the page's buttons and menus, window
// size and density, hiding the tab, reloading). A record holds fractions and choices only;
// where it lands is worked out when it is sent, and written into it for the report.
import {setTimeout as wait} from 'node:timers/promises';
import {designerStarted} from './browser.mjs';

// mulberry32: a small, fast generator whose sequence depends on the seed alone.
export function randomSource(seed) {
  let state = seed >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  return {
    next,
    within: (lowest, highest) => lowest + Math.floor(next() * (highest - lowest + 1)),
    chance: probability => next() < probability,
    pick: items => items[Math.floor(next() * items.length)],
    fraction: () => Math.round(next() * 1000) / 1000,
  };
}

const buttons = ['left', 'middle', 'right', 'back', 'forward'];
const buttonBits = {left: 1, right: 2, middle: 4, back: 8, forward: 16};
const designerKeys = [...'wsadikolp;[]WSADIKOLP:{}'];
const otherKeys = [...'qezxcvbnm0123456789 !"#$%&\'()*+,-./<=>?@\\^_`|~'];
const foreignKeys = ['é', 'ß', 'ñ', 'ü', 'Ω', '€', '日', '😀'];
// Keys without a character: the DOM's key name, its code and its key code.
const namedKeys = {
  Escape: ['Escape', 27], Enter: ['Enter', 13, '\r'], Tab: ['Tab', 9], Backspace: ['Backspace', 8],
  Delete: ['Delete', 46], Home: ['Home', 36], End: ['End', 35], PageDown: ['PageDown', 34],
  ArrowLeft: ['ArrowLeft', 37], ArrowUp: ['ArrowUp', 38], ArrowRight: ['ArrowRight', 39], ArrowDown: ['ArrowDown', 40],
  F1: ['F1', 112], F10: ['F10', 121], ContextMenu: ['ContextMenu', 93], Shift: ['ShiftLeft', 16],
  Control: ['ControlLeft', 17], Alt: ['AltLeft', 18],
};
const menuKeys = ['ArrowDown', 'ArrowDown', 'ArrowUp', 'ArrowRight', 'ArrowLeft', 'Home', 'End', 'Enter', ' ', 'Escape', 'Tab', 'w'];
const modifierBits = {alt: 1, ctrl: 2, meta: 4, shift: 8};
// Window sizes; a window narrower than `picture` shrinks the picture with it.
const viewportSizes = {narrowest: 240, widest: 1600, lowest: 200, highest: 1200, picture: 700};
const densities = [0.5, 1, 1, 1.25, 1.5, 2, 2.625, 3];
const holdMenuMilliseconds = 700;  // longer than a finger's hold for the menu, with a frame to spare

// ---- Making events. ----
function spot(random) {
  return {on: random.chance(0.75) ? 'canvas' : 'page', fx: random.fraction(), fy: random.fraction()};
}

function keyEvent(random) {
  const pool = random.pick([designerKeys, designerKeys, designerKeys, otherKeys, foreignKeys, Object.keys(namedKeys)]);
  const modifiers = random.chance(0.1) ? random.pick(Object.keys(modifierBits)) : null;
  return {kind: 'key', key: random.pick(pool), modifiers};
}

// Each kind of event with its weight, and how one is made.
const makers = [
  [30, random => ({kind: 'move', ...spot(random)})],
  [6, random => ({kind: 'press', button: random.pick(buttons), ...spot(random)})],
  [6, random => ({kind: 'release', button: random.pick(buttons), ...spot(random)})],
  [3, random => ({kind: 'wheel', ...spot(random), dx: random.within(-400, 400), dy: random.within(-400, 400)})],
  [2, random => ({kind: 'dragOut', button: random.pick(['left', 'middle']), fx: random.fraction(), fy: random.fraction(),
    beyond: random.pick(['left', 'right', 'top', 'bottom']), steps: random.within(1, 12)})],
  [12, random => ({kind: 'touch', action: random.pick(['start', 'start', 'move', 'move', 'move', 'end', 'cancel']),
    fingers: random.within(1, 3), ...spot(random)})],
  [0.5, random => ({kind: 'longPress', ...spot(random), on: 'canvas'})],
  [3, random => ({kind: 'menuEntry', by: random.pick(['finger', 'mouse', 'hover']), entry: random.fraction()})],
  [12, keyEvent],
  [1, random => ({kind: 'holdKey', key: random.pick(designerKeys), repeats: random.within(2, 30)})],
  [2, random => ({kind: 'menuWalk', keys: Array.from({length: random.within(1, 8)}, () => random.pick(menuKeys))})],
  [2, random => ({kind: 'pad', button: random.fraction(), by: random.pick(['mouse', 'finger']),
    holdMilliseconds: random.chance(0.2) ? random.within(500, 900) : random.within(0, 100)})],
  [1, random => ({kind: 'menuButton', by: random.pick(['mouse', 'finger', 'keys'])})],
  [0.6, random => ({kind: 'resize', fw: random.fraction(), fh: random.fraction()})],
  [0.4, random => ({kind: 'density', scale: random.pick(densities), touch: random.chance(0.3), fw: random.fraction()})],
  [0.2, random => ({kind: 'hide', milliseconds: random.within(0, 400)})],
  [0.05, () => ({kind: 'reload'})],
];
const totalWeight = makers.reduce((sum, [weight]) => sum + weight, 0);

export function makeEvent(random) {
  let roll = random.next() * totalWeight;
  for (const [weight, make] of makers) {
    if ((roll -= weight) < 0) return make(random);
  }
  return makers[0][1](random);
}

// ---- Sending them. ----

// A spot in CSS pixels: within the part of the canvas in view (the page may be scrolled),
// or anywhere on the page and a little beyond it.
function locate(storm, {on, fx, fy}) {
  const {width, height} = storm.viewport, margin = 40;
  if (on == 'canvas') {
    const box = storm.canvasBox;
    const left = Math.max(0, box.x), top = Math.max(0, box.y);
    const right = Math.min(width, box.x + box.width), bottom = Math.min(height, box.y + box.height);
    if (right - left >= 1 && bottom - top >= 1) {
      return {x: Math.floor(left + fx * (right - left - 1)), y: Math.floor(top + fy * (bottom - top - 1))};
    }
  }
  return {x: Math.round(fx * (width + 2 * margin)) - margin, y: Math.round(fy * (height + 2 * margin)) - margin};
}

function mouse(storm, type, at, extra = {}) {
  return storm.send('Input.dispatchMouseEvent', {type, x: at.x, y: at.y, buttons: storm.buttonsDown, ...extra});
}

function pressButton(storm, button, at) {
  storm.buttonsDown |= buttonBits[button];
  return mouse(storm, 'mousePressed', at, {button, clickCount: 1});
}

function releaseButton(storm, button, at) {
  storm.buttonsDown &= ~buttonBits[button];
  return mouse(storm, 'mouseReleased', at, {button, clickCount: 1});
}

function keyParameters(key, modifiers) {
  const named = namedKeys[key], bits = modifiers ? modifierBits[modifiers] : 0;
  const shortcut = bits & (modifierBits.alt | modifierBits.ctrl | modifierBits.meta);
  if (named) {
    const [code, keyCode, text] = named;
    return {key, code, windowsVirtualKeyCode: keyCode, modifiers: bits, text: shortcut ? undefined : text};
  }
  const letter = /^[a-z]$/i.test(key) ? key.toUpperCase() : null;
  return {key, code: letter ? `Key${letter}` : '', windowsVirtualKeyCode: letter ? letter.charCodeAt(0) : 0,
          modifiers: bits, text: shortcut ? undefined : key};
}

function keyDown(storm, key, modifiers = null, autoRepeat = false) {
  const parameters = keyParameters(key, modifiers);
  return storm.send('Input.dispatchKeyEvent', {type: parameters.text ? 'keyDown' : 'rawKeyDown', autoRepeat, ...parameters});
}

function keyUp(storm, key, modifiers = null) {
  const {text, ...parameters} = keyParameters(key, modifiers);
  return storm.send('Input.dispatchKeyEvent', {type: 'keyUp', ...parameters});
}

function tapKey(storm, key, modifiers) {
  keyDown(storm, key, modifiers);
  keyUp(storm, key, modifiers);
}

// Fingers: the points still down are sent with every touch event, as a screen reports them.
function touch(storm, type) {
  return storm.send('Input.dispatchTouchEvent', {type, touchPoints: storm.fingers.map(({x, y}, id) => ({x, y, id}))});
}

function fingersAround(at, count) {
  return Array.from({length: count}, (_, i) => ({x: at.x + 60 * i, y: at.y + 25 * i}));
}

function tap(storm, at, holdMilliseconds = 0) {
  storm.fingers = [at];
  touch(storm, 'touchStart');
  const lift = () => { storm.fingers = []; return touch(storm, 'touchEnd'); };
  return holdMilliseconds ? storm.flush().then(() => wait(holdMilliseconds)).then(lift) : lift();
}

// The centre of the entry at `fraction` of all entries of the open menu, or null.
async function menuEntrySpot(storm, fraction) {
  await storm.flush();
  return storm.page.evaluate(fraction => {
    const items = [...document.querySelectorAll('.popup-menu > li')];
    if (!items.length) return null;
    const box = items[Math.min(items.length - 1, Math.floor(fraction * items.length))].getBoundingClientRect();
    return {x: Math.round(box.x + box.width / 2), y: Math.round(box.y + box.height / 2)};
  }, fraction);
}

async function elementSpot(storm, selector, fraction = 0) {
  await storm.flush();
  return storm.page.evaluate((selector, fraction) => {
    const elements = [...document.querySelectorAll(selector)].filter(element => element.getClientRects().length);
    if (!elements.length) return null;
    const box = elements[Math.min(elements.length - 1, Math.floor(fraction * elements.length))].getBoundingClientRect();
    return {x: Math.round(box.x + box.width / 2), y: Math.round(box.y + box.height / 2)};
  }, selector, fraction);
}

async function pressAndHold(storm, at, by, holdMilliseconds) {
  if (by == 'finger') return tap(storm, at, holdMilliseconds);
  mouse(storm, 'mouseMoved', at);
  pressButton(storm, 'left', at);
  if (holdMilliseconds) {
    await storm.flush();
    await wait(holdMilliseconds);
  }
  return releaseButton(storm, 'left', at);
}

const performers = {
  move: (storm, event) => mouse(storm, 'mouseMoved', event.at = locate(storm, event)),
  press: (storm, event) => pressButton(storm, event.button, event.at = locate(storm, event)),
  release: (storm, event) => releaseButton(storm, event.button, event.at = locate(storm, event)),
  wheel: (storm, event) => mouse(storm, 'mouseWheel', event.at = locate(storm, event), {deltaX: event.dx, deltaY: event.dy}),

  dragOut(storm, event) {
    const from = locate(storm, {on: 'canvas', fx: event.fx, fy: event.fy}), box = storm.canvasBox;
    const to = {
      left: {x: box.x - 30, y: from.y}, right: {x: box.x + box.width + 30, y: from.y},
      top: {x: from.x, y: box.y - 30}, bottom: {x: from.x, y: box.y + box.height + 30},
    }[event.beyond];
    event.at = {from, to};
    mouse(storm, 'mouseMoved', from);
    pressButton(storm, event.button, from);
    for (let step = 1; step <= event.steps; ++step) {
      const t = step / event.steps;
      mouse(storm, 'mouseMoved', {x: Math.round(from.x + t * (to.x - from.x)), y: Math.round(from.y + t * (to.y - from.y))});
    }
    return releaseButton(storm, event.button, to);
  },

  touch(storm, event) {
    const at = event.at = locate(storm, event);
    if (event.action == 'start') {
      storm.fingers = [...storm.fingers, ...fingersAround(at, event.fingers)].slice(0, 3);
      return touch(storm, 'touchStart');
    }
    if (!storm.fingers.length) return null;
    if (event.action == 'move') {
      storm.fingers = storm.fingers.map((finger, i) => i < event.fingers ? {x: at.x + 40 * i, y: at.y} : finger);
      return touch(storm, 'touchMove');
    }
    if (event.action == 'cancel') {
      storm.fingers = [];
      return touch(storm, 'touchCancel');
    }
    storm.fingers = storm.fingers.slice(event.fingers);
    return touch(storm, 'touchEnd');
  },

  async longPress(storm, event) {
    if (storm.fingers.length) {
      storm.fingers = [];
      touch(storm, 'touchEnd');
    }
    return tap(storm, event.at = locate(storm, event), holdMenuMilliseconds);
  },

  // An entry of the open menu: tapped, clicked, or only hovered, which opens a submenu.
  async menuEntry(storm, event) {
    const at = event.at = await menuEntrySpot(storm, event.entry);
    if (!at) return null;
    if (event.by == 'finger') return tap(storm, at);
    mouse(storm, 'mouseMoved', at);
    if (event.by == 'hover') return null;
    pressButton(storm, 'left', at);
    return releaseButton(storm, 'left', at);
  },

  key: (storm, event) => tapKey(storm, event.key, event.modifiers),

  holdKey(storm, event) {
    keyDown(storm, event.key);
    for (let i = 0; i < event.repeats; ++i) keyDown(storm, event.key, null, true);
    return keyUp(storm, event.key);
  },

  menuWalk(storm, event) {
    tapKey(storm, 'F10', 'shift');
    for (const key of event.keys) tapKey(storm, key);
  },

  async pad(storm, event) {
    const at = event.at = await elementSpot(storm, '#pad button', event.button);
    return at && pressAndHold(storm, at, event.by, event.holdMilliseconds);
  },

  async menuButton(storm, event) {
    const at = event.at = await elementSpot(storm, '#menu-button');
    if (!at) return null;
    if (event.by != 'keys') return pressAndHold(storm, at, event.by, 0);
    await storm.page.focus('#menu-button');
    return tapKey(storm, 'Enter');
  },

  async resize(storm, event) {
    const {narrowest, widest, lowest, highest} = viewportSizes;
    storm.viewport.width = Math.round(narrowest + event.fw * (widest - narrowest));
    storm.viewport.height = Math.round(lowest + event.fh * (highest - lowest));
    event.at = {...storm.viewport};
    return storm.applyViewport();
  },

  // Another screen: another density, and a window whose picture takes another size, as a
  // real move between screens gives. A density emulated alone tells the page nothing.
  async density(storm, event) {
    const {narrowest, picture} = viewportSizes, step = 20;
    let width = Math.round(narrowest + event.fw * (picture - narrowest));
    if (Math.abs(width - storm.viewport.width) < step) width += width + step <= picture ? step : -step;
    storm.viewport.width = width;
    storm.viewport.height = Math.max(storm.viewport.height, width + picture);
    storm.viewport.deviceScaleFactor = event.scale;
    storm.viewport.hasTouch = event.touch;
    event.at = {...storm.viewport};
    return storm.applyViewport();
  },

  // Another tab in front for a while: the page is hidden, then shown again.
  async hide(storm, event) {
    await storm.flush();
    await storm.otherTab.bringToFront();
    await wait(event.milliseconds);
    await storm.page.bringToFront();
  },

  async reload(storm) {
    await storm.flush();
    await storm.page.reload();
    await designerStarted(storm.page);
  },
};

// Sends one event; events that need the page's answer wait for those sent before them.
export function perform(storm, event) {
  return performers[event.kind](storm, event);
}
