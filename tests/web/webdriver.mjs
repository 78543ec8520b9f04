// A small WebDriver client over fetch, for the WebKit of the system (WebKitWebDriver and the
// MiniBrowser of libwebkit2gtk-4.1), which runs on the X display of the tests.
import {spawn} from 'node:child_process';
import {createServer} from 'node:net';
import {setTimeout as pause} from 'node:timers/promises';

export const webKitDriver = '/usr/bin/WebKitWebDriver';
export const miniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const startMilliseconds = 20000;

function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer().listen(0, '127.0.0.1', () => {
      const {port} = server.address();
      server.close(() => resolve(port));
    }).on('error', reject);
  });
}

// One request to the driver; a WebDriver error becomes an exception with its message.
async function call(base, method, path, body) {
  const response = await fetch(base + path, {
    method, headers: {'Content-Type': 'application/json'}, body: body === undefined ? undefined : JSON.stringify(body),
  });
  const {value} = await response.json();
  if (!response.ok || (value && value.error)) {
    throw new Error(`WebDriver ${method} ${path}: ${value?.error}: ${value?.message}`);
  }
  return value;
}

// Starts the driver on a free port and opens one browser window: {session, version, pid (the driver's), close()}.
export async function startWebKit() {
  const port = await freePort();
  const driver = spawn(webKitDriver, [`--port=${port}`], {stdio: 'ignore'});
  const base = `http://127.0.0.1:${port}`;
  try {
    for (const deadline = Date.now() + startMilliseconds; ; await pause(100)) {
      try {
        if ((await call(base, 'GET', '/status')).ready) break;
      } catch (error) {
        if (Date.now() > deadline) throw error;
      }
    }
    const {sessionId, capabilities} = await call(base, 'POST', '/session', {capabilities: {alwaysMatch: {
      'webkitgtk:browserOptions': {binary: miniBrowser, args: ['--automation']},
    }}});
    const session = new Session(base + `/session/${sessionId}`);
    return {session, version: capabilities.browserVersion, pid: driver.pid, close: async () => {
      await session.quit().catch(() => {});
      driver.kill();
    }};
  } catch (error) {
    driver.kill();
    throw error;
  }
}

// The commands of one session that the tests use.
export class Session {
  constructor(base) { this.base = base; }
  command(method, path, body) { return call(this.base, method, path, body); }
  quit() { return call(this.base, 'DELETE', ''); }
  navigate(url) { return this.command('POST', '/url', {url}); }
  setWindowSize(width, height) { return this.command('POST', '/window/rect', {width, height}); }

  // Runs a function's body in the page with these arguments and returns its result; an
  // async function's promise is awaited.
  execute(fn, ...args) {
    return this.command('POST', '/execute/async', {
      script: `const done = arguments[arguments.length - 1];
        Promise.resolve((${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
          .then(done, error => done({thrown: String(error)}));`,
      args,
    }).then(value => {
      if (value && value.thrown) throw new Error(`in the page: ${value.thrown}`);
      return value;
    });
  }

  // The window's picture (its viewport), as PNG bytes.
  async screenshot() {
    return Buffer.from(await this.command('GET', '/screenshot'), 'base64');
  }

  // Input sources' action lists, performed together.
  async perform(...sources) {
    await this.command('POST', '/actions', {actions: sources});
  }
}

// The actions of a mouse and of a keyboard, in viewport coordinates.
export const mouse = (...actions) => ({type: 'pointer', id: 'mouse', parameters: {pointerType: 'mouse'}, actions});
export const keyboard = (...actions) => ({type: 'key', id: 'keyboard', actions});
export const moveTo = (x, y, duration = 0) =>
  ({type: 'pointerMove', origin: 'viewport', x: Math.round(x), y: Math.round(y), duration});
export const down = (button = 0) => ({type: 'pointerDown', button});
export const up = (button = 0) => ({type: 'pointerUp', button});
export const keyDown = value => ({type: 'keyDown', value});
export const keyUp = value => ({type: 'keyUp', value});
export const keys = {
  shift: '\uE008', escape: '\uE00C', enter: '\uE007', end: '\uE010', left: '\uE012', up: '\uE013',
  right: '\uE014', down: '\uE015', f10: '\uE03A',
};
