// How long the page takes for the default map: the form filled with the
// defaults (the path run without pauses, v = 1e-9), then the time from the
// map window's canvas appearing to its last paint (the last square), as the
// page's own clock measures it. Prints that time in seconds.
// Usage: node bench/web_map_bench.js <site folder>
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { Serve } = require('../web/serve.js');
const { formLabels: labels, WatchPaints } = require('../tests/web/page_watch.js');

const [site] = process.argv.slice(2);
async function Main() {
  const server = await Serve(site, 0);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'magpend-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--headless', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 1024 });
    await page.evaluateOnNewDocument(WatchPaints);
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    const values = ['', '', '', '', '1e-9', ''];
    for (let field = 0; field < 6; ++field) {
      await page.waitForFunction((wanted) => document.querySelector('.xterm-rows').innerText.includes(wanted),
                                 { timeout: 120000, polling: 100 }, labels[field]);
      if (values[field]) await page.keyboard.type(values[field]);
      await page.keyboard.press('Enter');
    }
    await page.waitForSelector('canvas[aria-label="Startpunkte"]', { timeout: 600000 });
    // The program ends 10 s after the last square.
    await page.waitForSelector('#ended:not([hidden])', { timeout: 1800000 });
    const seconds = await page.evaluate(() => (lastPaint.Startpunkte - opened.Startpunkte) / 1000);
    console.log(seconds.toFixed(3));
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

Main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
