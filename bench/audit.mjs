// The page as an auditor of web pages scores it: its mobile audit (the default form factor,
// a throttled phone) of the served site, in the system's Chromium, with the performance score
// and total blocking time, and the accessibility, best practices and SEO scores, with what
// each of those three flags. With KORVATH_BEFORE_SITE, that site too, printed before after.
//
//   bench/web.sh   (or: KORVATH_SITE=build/web/site [KORVATH_BEFORE_SITE=...] node bench/audit.mjs)
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import {runAsCommand, serveSite, site} from '../tests/web/browser.mjs';

const chromeFlags = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const categories = ['performance', 'accessibility', 'best-practices', 'seo'];

export async function audit(url) {
  const chrome = await chromeLauncher.launch({chromePath: '/usr/bin/chromium', chromeFlags});
  try {
    const {lhr} = await lighthouse(url, {port: chrome.port, output: 'json', logLevel: 'error', onlyCategories: categories});
    const flagged = categories.slice(1).flatMap(category => lhr.categories[category].auditRefs
      .filter(ref => ref.weight > 0 && lhr.audits[ref.id].score !== null && lhr.audits[ref.id].score < 1)
      .map(ref => ref.id));
    return {
      scores: categories.map(category => Math.round(100 * lhr.categories[category].score)),
      blocking: lhr.audits['total-blocking-time'].numericValue,
      largest: lhr.audits['largest-contentful-paint'].numericValue,
      metrics: ['first-contentful-paint', 'largest-contentful-paint', 'speed-index', 'cumulative-layout-shift']
        .map(id => `${lhr.audits[id].title.toLowerCase()} ${lhr.audits[id].displayValue}`).join(', '),
      flagged, warnings: lhr.runWarnings,
    };
  } finally {
    await chrome.kill();
  }
}

async function main() {
  const sites = [['after', site]];
  if (process.env.KORVATH_BEFORE_SITE) sites.unshift(['before', process.env.KORVATH_BEFORE_SITE]);
  const results = [];
  for (const [name, root] of sites) {
    const served = await serveSite(root);
    try {
      results.push({name, ...await audit(served.url)});
    } finally {
      served.server.close();
    }
  }
  console.log('\nthe page\'s mobile audit (lighthouse 12.2.3, throttled phone)');
  console.log('| page | performance | total blocking time | accessibility | best practices | SEO |\n|---|---|---|---|---|---|');
  for (const {name, scores: [performance, ...others], blocking} of results) {
    console.log(`| designer, ${name} | ${performance} | ${blocking.toFixed(0)} ms | ${others.join(' | ')} |`);
  }
  for (const {name, metrics, flagged, warnings} of results) {
    console.log(`${name}: ${metrics}; flagged beside performance: ${flagged.join(', ') || 'nothing'}`);
    for (const warning of warnings) console.log(`  warning: ${warning}`);
  }
}

runAsCommand(import.meta.url, main);
