// The page as a screen reader says it: Orca, the real one, on an X display and a D-Bus session
// of the walk's own, listening to Firefox and to Chromium. The keys are typed by xdotool as a
// person types them; what Orca says is read from its own log, which holds each utterance.
import assert from 'node:assert/strict';
import {spawn, spawnSync} from 'node:child_process';
import {existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {after, before, describe, test} from 'node:test';
import {setTimeout as pause} from 'node:timers/promises';
import {designerStarted, launchChromium, launchFirefox, serveSite, settled, waitFor} from './browser.mjs';

const quietMilliseconds = 5000;   // left alone, the picture says nothing for this long
const waitMilliseconds = 15000;   // the longest Orca may take to say what a key makes it say
const orcaStartMilliseconds = 60000;

// A process of the walk's, ended with the walk.
const started = [];
function start(command, args, options) {
  const child = spawn(command, args, {detached: true, ...options});
  started.push(child);
  return child;
}
function stopAll() {
  for (const child of started.splice(0).reverse()) {
    if (child.exitCode === null && child.signalCode === null) {
      try { process.kill(-child.pid, 'SIGTERM'); } catch { /* already gone */ }
    }
  }
}

// Resolves with the first line a stream gives, or fails after `milliseconds`.
function firstLine(stream, what, milliseconds = waitMilliseconds) {
  return new Promise((resolve, reject) => {
    let text = '';
    const timer = setTimeout(() => reject(new Error(`no ${what}`)), milliseconds);
    stream.on('data', chunk => {
      text += chunk;
      if (text.includes('\n')) {
        clearTimeout(timer);
        resolve(text.slice(0, text.indexOf('\n')));
      }
    });
  });
}

// The display, the session bus, the settings and the home of the walk alone: nothing the
// machine's own desktop or another test runs on.
async function session() {
  const root = mkdtempSync(join(tmpdir(), 'korvath-heard-'));
  const home = join(root, 'home'), runtime = join(root, 'runtime'), prefs = join(root, 'orca');
  for (const folder of [home, runtime, prefs]) mkdirSync(folder, {recursive: true, mode: 0o700});
  const xvfb = start('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
    {stdio: ['ignore', 'ignore', 'ignore', 'pipe']});
  const display = ':' + (await firstLine(xvfb.stdio[3], 'display from Xvfb')).trim();
  const env = {
    ...process.env, HOME: home, XDG_RUNTIME_DIR: runtime, XDG_CONFIG_HOME: join(home, '.config'),
    XDG_CACHE_HOME: join(home, '.cache'), XDG_DATA_HOME: join(home, '.local/share'), DISPLAY: display,
  };
  // The bus lives as long as the shell under it, which waits on its standard input.
  const bus = start('dbus-run-session', ['--', 'sh', '-c', 'echo "$DBUS_SESSION_BUS_ADDRESS"; exec cat'],
    {env, stdio: ['pipe', 'pipe', 'ignore']});
  env.DBUS_SESSION_BUS_ADDRESS = (await firstLine(bus.stdout, 'session bus address')).trim();
  env.GNOME_ACCESSIBILITY = '1';  // Firefox gives its tree to the bus without asking it first
  // Orca's own customisation, run as it starts: each line of its log is written out as it
  // comes, for the walk to read while Orca runs.
  writeFileSync(join(prefs, 'orca-customizations.py'),
    'from orca import debug\nif debug.debugFile:\n    debug.debugFile.reconfigure(line_buffering=True)\n');
  const log = join(root, 'orca.log');
  start('orca', ['--user-prefs', prefs, '--debug-file', log], {env, stdio: 'ignore'});
  const orca = new Speech(log);
  await waitFor(() => orca.text().includes('ORCA: Startup complete'), `Orca did not start: see ${log}`, orcaStartMilliseconds);
  return {env, orca, root};
}

// What Orca said, in order, from its log: each SPEECH OUTPUT line's words. The keys Orca
// echoes are marked as such.
class Speech {
  constructor(log) {
    this.log = log;
    this.mark = 0;
  }

  text() {
    return existsSync(this.log) ? readFileSync(this.log, 'latin1') : '';
  }

  all() {
    const said = [];
    for (const line of this.text().split('\n')) {
      const found = line.match(/SPEECH OUTPUT: '(.*?)'( ?\{|\s*$)/);
      if (found) said.push(Buffer.from(found[1], 'latin1').toString('utf8'));
    }
    return said;
  }

  // Utterances since the last mark, and sets the mark after them.
  since() {
    const said = this.all();
    const fresh = said.slice(this.mark);
    this.mark = said.length;
    return fresh;
  }

  markNow() {
    this.mark = this.all().length;
  }

  // Waits until an utterance after the mark matches; returns those after the mark up to it
  // and a little after, once Orca has finished that thought.
  async waitFor(pattern, what, milliseconds = waitMilliseconds) {
    const deadline = Date.now() + milliseconds;
    for (;;) {
      const fresh = this.all().slice(this.mark);
      if (fresh.some(words => pattern.test(words))) return fresh;
      if (Date.now() > deadline) throw new Error(`Orca never said ${what}; it said ${JSON.stringify(fresh)}`);
      await pause(100);
    }
  }
}

// A key as a person types it, into whichever window has the keyboard.
function type(env, ...keys) {
  for (const key of keys) {
    const run = spawnSync('xdotool', ['key', '--delay', '60', key], {env, timeout: 10000});
    assert.equal(run.status, 0, `xdotool could not type ${key}`);
  }
}

// Each browser headed, with its tree on the accessibility bus from the start.
const launchers = {
  chromium: (env, url) => launchChromium(['--force-renderer-accessibility', '--window-position=0,0',
    '--window-size=1100,1000', url], {headless: false, env, defaultViewport: null}),
  firefox: (env, url) => launchFirefox({env, args: [url]}),
};

describe('heard by Orca', () => {
  let served;
  before(async () => { served = await serveSite(); });
  after(() => {
    stopAll();
    served?.server.close();
  });

  for (const name of ['firefox', 'chromium']) {
    test(`in ${name}`, async () => {
      const {env, orca, root} = await session();
      let passed = false;
      // With no window manager the keyboard goes to the window under the pointer: the pointer
      // rests on the browser's tab strip, away from the page.
      spawnSync('xdotool', ['mousemove', '600', '12'], {env, timeout: 10000});
      // The page opens as the browser starts, as a link from elsewhere opens it: the keyboard
      // is in the page, not in the address bar.
      const browser = await launchers[name](env, served.url);
      try {
        const [page] = await browser.pages();
        const errors = [];
        page.on('pageerror', error => errors.push(error.message));
        // The first frame drawn and the picture's busy mark gone, before the keys: a mark
        // taken off the focused picture has its description said again.
        await designerStarted(page);
        await settled(page);
        await orca.waitFor(/to orbit/, 'the page');
        console.log(`${name}: loaded: ${JSON.stringify(orca.since())}`);
        // Keys, and what Orca says until it says what they should make it say.
        const step = async (keys, pattern, what) => {
          orca.markNow();
          type(env, ...keys);
          const said = await orca.waitFor(pattern, what);
          console.log(`${name}: ${keys.join(' ')}: ${JSON.stringify(said)}`);
          return said;
        };
        const description = /^Seen from the front\. Main Color: Ultramarines Blue; Trim Color/;

        // The picture: its name, then the start of its description, and Orca leaves the keys to
        // the picture by itself.
        let said = await step(['Tab'], /^Focus mode$/, 'the picture\'s keys given to it on Tab');
        assert.ok(said.includes('Korvath Designer: the figure embedded.'), 'the picture\'s name is not said');
        assert.equal(said.filter(words => description.test(words)).length, 1, JSON.stringify(said));
        // An arrow and W reach the designer: each says the change, and nothing of the design.
        said = await step(['Left'], /^Seen from the front: the eye 5° left, 0° up$/, 'the turn after ←');
        said = said.concat(await step(['w'], /^Upper arm, left side: x −5°$/, 'the arm after W'));
        assert.ok(!said.some(words => description.test(words)), JSON.stringify(said));
        // Arrows typed quickly: the last turn said, once.
        orca.markNow();
        spawnSync('xdotool', ['key', '--delay', '40', 'Left', 'Left', 'Left'], {env, timeout: 10000});
        said = await orca.waitFor(/the eye 20° left/, 'the last of three turns');
        assert.ok(!said.some(words => /the eye 1[05]° left/.test(words)), JSON.stringify(said));

        // The menu: "menu" and the entry with the focus, each entry by its label alone.
        said = await step(['shift+F10'], /^Pieces collapsed\.?$/, 'the menu\'s first entry');
        assert.ok(said.some(words => /^menu\.?$/.test(words)), 'the menu is not said');
        said = said.concat(await step(['Down'], /^Colors collapsed\.?$/, 'Colors'));
        said = said.concat(await step(['Right'], /^Main Color collapsed\.?$/, 'Main Color'));
        assert.ok(!said.some(words => /Weapons|Toggle idle|\u25b8/.test(words)), JSON.stringify(said));
        assert.ok(said.includes('opens menu'), 'an entry with a submenu does not say it opens one');
        // Escape: the picture again, with nothing chosen.
        await step(['Escape'], /^Korvath Designer: the figure embedded\.$/, 'the picture after Escape');
        // A paint chosen: the change said once, and not the design before it.
        await step(['shift+F10'], /^Pieces collapsed\.?$/, 'the menu again');
        await step(['Down', 'Right', 'Return'], /^User defined\.?$/, 'the first paint');
        await step(['Down'], /^Blood Red\.?$/, 'Blood Red');
        said = await step(['Return'], /^Main Color: Blood Red$/, 'the new main colour');
        // Then left alone: nothing more.
        orca.markNow();
        await pause(quietMilliseconds);
        const after = orca.since();
        assert.deepEqual(after, [], 'Orca spoke with no key pressed');
        said = said.concat(after);
        assert.ok(!said.some(words => description.test(words) || /Main Color: Ultramarines/.test(words)), JSON.stringify(said));
        assert.equal(said.filter(words => words == 'Main Color: Blood Red').length, 1, JSON.stringify(said));
        assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');
        assert.deepEqual(errors, []);
        passed = true;
      } finally {
        await browser.close();
        stopAll();
        // Orca's log stays for a person to read when a step failed.
        if (passed) rmSync(root, {recursive: true, force: true});
      }
    });
  }
});
