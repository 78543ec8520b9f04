// The designer as an installed app: the browser's installability check, a start without a
// network from the service worker's cache, a rebuilt site taking the old one's place, and
// the requests the worker must leave alone. The site is a copy in a folder of a server.
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import {appendFileSync, cpSync, existsSync, mkdtempSync, readdirSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {after, before, describe, test} from 'node:test';
import {fileURLToPath} from 'node:url';
import {
  assertSamePicture, canvasPicture, designerStarted, launchChromium, nativePicture, openDesigner, serveSite, settled,
  site,
} from './browser.mjs';

const nameCache = fileURLToPath(new URL('../../src/web/page/name-cache.cmake', import.meta.url));
const rebuiltHintColour = 'rgb(1, 2, 3)';

const cacheNames = page => page.evaluate(() => caches.keys());

// Takes the page and the worker's own fetches off the network, or back on.
async function setOffline(page, workerSession, offline) {
  await page.setOfflineMode(offline);
  await workerSession.send('Network.emulateNetworkConditions',
    {offline, latency: 0, downloadThroughput: -1, uploadThroughput: -1});
}

// Whether the page's worker answered a request the page makes for this address.
async function answeredByWorker(page, url) {
  const [response] = await Promise.all([
    page.waitForResponse(url),
    page.evaluate(url => fetch(url, {mode: 'no-cors'}).then(() => true), url),
  ]);
  return response.fromServiceWorker();
}

describe('Installed and offline', () => {
  let browser, served, root, siteUrl, page;
  before(async () => {
    assert.ok(existsSync(join(site, 'index.html')), `no site in ${site}: build it with scripts/web.sh --build`);
    root = mkdtempSync(join(tmpdir(), 'korvath-offline-'));
    cpSync(site, join(root, 'designer'), {recursive: true});
    served = await serveSite(root);
    siteUrl = `${served.url}designer/`;
    browser = await launchChromium();
  });
  after(async () => {
    await browser?.close();
    served?.server.close();
    if (root) rmSync(root, {recursive: true, force: true});
  });

  // The worker's install takes what the page fetched from the browser's cache: each file
  // comes from the server once, the picture of the start at either density too. The icons
  // are the browser's own to fetch, as often as it likes.
  test('a first visit fetches each file once; the browser finds it installable', async () => {
    page = await openDesigner(browser, siteUrl);
    await page.waitForFunction(() => navigator.serviceWorker.controller?.state == 'activated');
    // The page is fetched by its folder's address.
    const folder = '/designer/';
    const files = readdirSync(join(root, 'designer')).map(file => folder + (file == 'index.html' ? '' : file));
    const fetched = served.responses.filter(({path}) => path.startsWith(folder));
    assert.deepEqual(files.filter(file => !fetched.some(({path}) => path == file)), [], 'never fetched');
    const counts = {};
    for (const {path} of fetched.filter(({path}) => !/\/icon-\d+\.png$/.test(path))) counts[path] = (counts[path] || 0) + 1;
    assert.deepEqual(Object.entries(counts).filter(([, count]) => count > 1), [], 'fetched more than once');
    const session = await page.createCDPSession();
    const {installabilityErrors} = await session.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
  });

  test('the worker answers only for the site\'s own files', async () => {
    await page.waitForFunction(() => navigator.serviceWorker.controller?.state == 'activated');
    assert.equal(await answeredByWorker(page, `${siteUrl}page.js`), true);
    // Another origin the page's policy never lets it reach, so the worker never sees it.
    assert.equal(await answeredByWorker(page, `${siteUrl}missing.txt`), false, 'another path');
    page.errors.length = 0;  // the console's line for the missing file
  });

  test('after one visit, it starts without a network', async () => {
    const worker = await browser.waitForTarget(target => target.type() == 'service_worker');
    const workerSession = await worker.createCDPSession();
    await workerSession.send('Network.enable');
    await (await page.createCDPSession()).send('Network.clearBrowserCache');
    await setOffline(page, workerSession, true);
    const responses = [];
    page.on('response', response => responses.push(response));
    await page.reload();
    await designerStarted(page);
    page.removeAllListeners('response');
    await setOffline(page, workerSession, false);

    assertSamePicture(await canvasPicture(page), nativePicture([]), 'offline');
    assert.deepEqual(responses.filter(response => !response.fromServiceWorker()).map(r => r.url()), []);
    assert.ok(responses.length > 0);
    assert.deepEqual(page.errors, []);
  });

  test('a rebuilt site replaces the old cache; the old worker serves the new page meanwhile', async () => {
    const [oldCache, ...others] = await cacheNames(page);
    assert.deepEqual(others, []);
    appendFileSync(join(root, 'designer', 'style.css'), `#hint { color: ${rebuiltHintColour}; }\n`);
    const rename = spawnSync('cmake', [`-DSITE=${join(root, 'designer')}`, '-P', nameCache], {encoding: 'utf8'});
    assert.equal(rename.status, 0, rename.stderr);

    await page.reload();
    await designerStarted(page);
    assert.equal(await page.$eval('#hint', hint => getComputedStyle(hint).color), rebuiltHintColour);
    await page.waitForFunction(old => caches.keys().then(names => names.length == 1 && names[0] != old), {}, oldCache);
    const style = await page.evaluate(() => caches.keys().then(([name]) => caches.open(name))
      .then(cache => cache.match('style.css')).then(response => response.text()));
    assert.ok(style.includes(rebuiltHintColour), 'the new cache does not hold the new site');
    await settled(page);
    assert.deepEqual(page.errors, []);
  });
});
