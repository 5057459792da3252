// The explorer's speed in the page, in headless Chromium (a benchmark: it
// measures and reports, it asserts nothing):
//  - from the explorer's canvas appearing to its first coarse picture (the
//    first paint with a colour other than the empty window's grey);
//  - from there to the whole first view (its "view:" line, with the time the
//    program itself gives);
//  - a new view while one is computed (the first view of a 200 x 200
//    explorer): from a wheel notch to the new view's start, which comes once
//    the old view has stopped: the time from the wheel to the new view's
//    "view:" line less the time that line gives (which counts from the
//    view's start; to 10 ms).
//  - with --native: a fresh view (of values whose results did not come with
//    the page) in the page and in the native program on the X display of
//    $DISPLAY, alternately, twice, as the programs' "view:" lines give
//    their times.
// Usage: node bench/page_explore_bench.js <site folder> [--native PROGRAM] [explore options]
//        (built by scripts/build-web.sh; the options default to the
//        explorer's own: a 600 x 600 view, n = 2000)
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { Serve } = require('../web/serve.js');

const childProcess = require('child_process');

const [site, ...rest] = process.argv.slice(2);
const nativeProgram = rest[0] === '--native' ? rest[1] : null;
const options = nativeProgram ? rest.slice(2) : rest;
const freshView = ['--grid', '300', '--g', '4.999'];

// The seconds of the native explorer's first view, as its "view:" line says.
function NativeView(words) {
  return new Promise((resolve, reject) => {
    const explorer = childProcess.spawn(nativeProgram, ['explore', ...words], { stdio: ['ignore', 'pipe', 'inherit'] });
    let said = '';
    explorer.stdout.on('data', (bytes) => {
      said += bytes;
      const view = said.match(/^view: .*# ([0-9.]+) s$/m);
      if (view) {
        explorer.kill();
        resolve(Number(view[1]));
      }
    });
    explorer.on('exit', (code) => reject(new Error(`the native explorer ended (${code}) before its view: ${said}`)));
  });
}

// Installed before the page's script: notes when the explorer's canvas
// appears and when each of its paints comes, and which show a colour.
function WatchExplorer() {
  window.explorerTimes = { paints: [] };  // (anew for each explorer)
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (pixels, ...rest) {
    if (this.canvas.getAttribute('aria-label') === 'magpend explore') {
      let coloured = false;
      for (let i = 0; i < pixels.data.length && !coloured; i += 4) coloured = pixels.data[i] !== 240 || pixels.data[i + 2] !== 240;
      window.explorerTimes.paints.push({ at: performance.now(), coloured });
    }
    return put.call(this, pixels, ...rest);
  };
  new MutationObserver(() => {
    if (!window.explorerTimes.opened && document.querySelector('canvas[aria-label="magpend explore"]')) {
      window.explorerTimes.opened = performance.now();
    }
    const lines = document.querySelector('.explore-lines');
    const views = lines ? lines.textContent.split('\n').filter((line) => line.startsWith('view: ')) : [];
    window.explorerTimes.views = window.explorerTimes.views || [];
    if (views.length > window.explorerTimes.views.length) {
      window.explorerTimes.views.push({ at: performance.now(), seconds: Number(views.pop().replace(/^.*# ([0-9.]+) s$/, '$1')) });
    }
  }).observe(document, { childList: true, subtree: true, characterData: true });
}

async function Main() {
  const server = await Serve(site, 0);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'magpend-bench-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    protocolTimeout: 60 * 60000,  // a whole view may take long on a busy machine
    args: ['--no-sandbox', '--headless', '--disable-gpu', `--user-data-dir=${profile}`],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1600, height: 1200 });
    await page.evaluateOnNewDocument(WatchExplorer);
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    const views = (count) => page.waitForFunction((n) => explorerTimes.views && explorerTimes.views.length >= n,
                                                  { timeout: 60 * 60000, polling: 50 }, count);
    const explore = async (text) => {
      await page.evaluate(() => { explorerTimes = { paints: [] }; });
      await page.$eval('#explore-options', (field, value) => { field.value = value; }, text);
      await page.click('#explore');
      console.log(`explore ${text || '(its defaults)'} in Chromium, ${await page.evaluate(() => navigator.hardwareConcurrency)} cores`);
      return page.waitForSelector('canvas[aria-label="magpend explore"]');
    };
    const end = async (canvas) => {
      await canvas.press('Escape');
      await page.waitForSelector('.explorer[data-state="ended"]');
    };

    let canvas = await explore(options.join(' '));
    await views(1);
    const first = await page.evaluate(() => explorerTimes);
    const coarse = first.paints.find((paint) => paint.coloured);
    console.log(`first coarse picture: ${((coarse.at - first.opened) / 1000).toFixed(3)} s after the canvas appeared`);
    console.log(`whole first view: ${((first.views[0].at - first.opened) / 1000).toFixed(3)} s after the canvas` +
                ` appeared (the program says ${first.views[0].seconds} s)`);
    await end(canvas);

    // A wheel notch while the first view of a smaller explorer is computed
    // (how soon a view stops depends on its trials, not on its size).
    canvas = await explore('--grid 200 --g 4.999');  // values whose results did not come with the page
    await page.waitForFunction(() => explorerTimes.paints.some((paint) => paint.coloured), { polling: 10 });
    await new Promise((resolve) => setTimeout(resolve, 300));
    const turned = await page.evaluate(() => {
      const shown = document.querySelector('canvas[aria-label="magpend explore"]');
      const box = shown.getBoundingClientRect();
      const at = performance.now();
      shown.dispatchEvent(new WheelEvent('wheel', { deltaY: -100, clientX: box.left + 100, clientY: box.top + 100,
                                                   bubbles: true, cancelable: true }));
      return at;
    });
    await views(1);
    const zoomed = (await page.evaluate(() => explorerTimes.views))[0];
    const started = (zoomed.at - turned) / 1000 - zoomed.seconds;
    console.log(`a new view during a view's computation: started ${started.toFixed(3)} s after the wheel` +
                ' (the old view stopped by then; to 10 ms)');
    await end(canvas);

    for (let round = 0; nativeProgram && round < 2; ++round) {
      const native = await NativeView(freshView);
      canvas = await explore(freshView.join(' '));
      await views(1);
      const inPage = (await page.evaluate(() => explorerTimes.views))[0].seconds;
      console.log(`a fresh view (${freshView.join(' ')}): page ${inPage} s, native ${native} s:` +
                  ` ${(inPage / native).toFixed(2)} x`);
      await end(canvas);
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

Main().catch((error) => {
  console.log(`page_explore_bench: ${error.stack}`);
  process.exit(1);
});
