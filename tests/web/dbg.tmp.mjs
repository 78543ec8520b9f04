import {serveSite, launchChromium, openDesigner, canvasPicture, keep, mismatchedPixels} from './browser.mjs';
const served = await serveSite();
const browser = await launchChromium(['--force-device-scale-factor=3']);
const page = await openDesigner(browser, served.url, {width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true});
await page.evaluate(() => { window.log = []; for (const t of ['pointerdown','pointerup','pointercancel']) document.addEventListener(t, e => log.push(`${t}:${e.target.dataset?.key}:${Math.round(e.timeStamp)}`), true); });
const start = await canvasPicture(page);
const tap = async key => {
  const box = await (await page.$(`#pad button[data-key="${key}"]`)).boundingBox();
  await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
};
for (let round = 0; round < 5; ++round) {
  await page.evaluate(() => log.length = 0);
  for (let i = 0; i < 6; ++i) await tap('w');
  for (let i = 0; i < 6; ++i) await tap('s');
  const back = await canvasPicture(page);
  const m = mismatchedPixels(back, start);
  console.log(round, m);
  if (m > 2000) { console.log(await page.evaluate(() => log)); break; }
}
await browser.close(); served.server.close();
