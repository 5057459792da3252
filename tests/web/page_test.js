// The browser version in a real headless Chromium. Served by a plain static
// server without the isolation headers, as any web host serves it: the page
// isolates itself with one reload, its heading, version, text and links,
// the form, both windows with the same final pictures as the Linux build's
// (pendelweg.png and startpunkte.png saved by `magpend --save` into the
// reference folder), a key ending the path run, Escape ending the map, a
// value out of range, starting again by Enter and by the button, Save PNG,
// a reload, the page's sentence where no service worker may run, and a
// start without a network. Served by web/serve.js with the headers: the
// first visit runs without a reload, a phone's narrow page, and bad
// requests. And the explorer, driven with the mouse, the touch screen and
// keys, each view it finishes against the Linux build's picture of the
// command it prints. Without a reference folder and the Linux program the
// cases that need them are left out.
// Usage: node tests/web/page_test.js <site folder> <version line> [reference folder Linux-magpend]
//        (the version line as `magpend --version` prints it)
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { Serve } = require('../../web/serve.js');
const { formLabels: labels, WatchPaints } = require('./page_watch.js');

const [site, versionLine, referenceFolder, linuxProgram] = process.argv.slice(2);
const minute = 60000;
// The Linux build's reader of screenshots, beside its program.
const probe = linuxProgram && path.join(path.dirname(linuxProgram), 'tests', 'e2e', 'image_probe');
const needsReference = 'compares with the Linux build';

// Installed in the page before its own script (beside WatchPaints, whose
// last paints the report gives): keeps the last picture of each window as it
// closes (a closed canvas still holds its pixels).
function WatchWindows() {
  window.closedPictures = {};
  new MutationObserver((records) => {
    for (const record of records) {
      for (const node of record.removedNodes) {
        const canvas = node.querySelector && node.querySelector('canvas');
        if (!canvas) continue;
        const picture = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        window.closedPictures[canvas.getAttribute('aria-label')] = picture;
      }
    }
  }).observe(document, { childList: true, subtree: true });
  // How many pixels of two pictures differ, and where the first one is.
  window.ComparePictures = (a, b) => {
    if (a.width !== b.width || a.height !== b.height) return `size ${a.width}x${a.height} against ${b.width}x${b.height}`;
    let differing = 0;
    let first = '';
    for (let i = 0; i < a.data.length; i += 4) {
      if (a.data[i] !== b.data[i] || a.data[i + 1] !== b.data[i + 1] || a.data[i + 2] !== b.data[i + 2]) {
        if (!differing) first = ` first at (${(i / 4) % a.width}, ${Math.floor(i / 4 / a.width)})`;
        ++differing;
      }
    }
    return differing ? `${differing} pixels differ,${first}` : '';
  };
  window.PixelAt = (picture, x, y) => picture.data.slice(4 * (y * picture.width + x), 4 * (y * picture.width + x) + 4);
  window.PngPicture = async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }),
                                           { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    return context.getImageData(0, 0, bitmap.width, bitmap.height);
  };
}

function Check(condition, what) {
  if (!condition) throw new Error(what);
}

async function WaitForFile(file, timeout) {
  const end = Date.now() + timeout;
  while (!fs.existsSync(file)) {
    Check(Date.now() < end, `${file} did not appear`);
    await new Promise((resolve) => setTimeout(resolve, 500));
  }
}

// A plain static server, as a web host is: Python's, without the headers.
function ServePlain(root) {
  const server = childProcess.spawn(
      'python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', root],
      { stdio: ['ignore', 'pipe', 'ignore'] });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.on('exit', (code) => reject(new Error(`python3 -m http.server ended (${code})`)));
    server.stdout.on('data', (data) => {
      const port = /port (\d+)/.exec(data);
      if (port) resolve({ server, url: `http://127.0.0.1:${port[1]}/` });
    });
  });
}

// The status of a request for the raw path, as a client sends it unchanged.
function Status(url, rawPath) {
  return new Promise((resolve, reject) => {
    http.get({ host: '127.0.0.1', port: new URL(url).port, path: rawPath }, (response) => {
      response.resume();
      resolve(response.statusCode);
    }).on('error', reject);
  });
}

async function Main() {
  const isolating = await Serve(site, 0);
  const isolatingUrl = `http://127.0.0.1:${isolating.address().port}/`;
  const plain = await ServePlain(site);
  const url = plain.url;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'magpend-chromium-'));
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'magpend-downloads-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${profile}`],
  });
  const problems = [];
  try {
    // A page with its problems reported, in the browser's first context or
    // in a fresh one (storage of its own, no service worker yet).
    const NewPage = async (viewport, context = browser.defaultBrowserContext()) => {
      const page = await context.newPage();
      page.on('console', (message) => {
        if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
      });
      page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
      page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
      page.documents = 0;
      page.on('framenavigated', (frame) => { if (frame === page.mainFrame()) ++page.documents; });
      await page.setViewport(viewport);
      return page;
    };
    const page = await NewPage({ width: 1280, height: 1024 });
    await page.evaluateOnNewDocument(WatchPaints);
    await page.evaluateOnNewDocument(WatchWindows);
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });

    const screenText = (on = page) => on.$eval('.xterm-rows', (rows) => rows.innerText);
    const waitForScreen = (text, timeout = minute, on = page) => on.waitForFunction(
        (wanted) => document.querySelector('.xterm-rows')?.innerText.includes(wanted),
        { timeout, polling: 200 }, text);
    const waitForWindow = (caption, timeout = minute, on = page) =>
        on.waitForSelector(`canvas[aria-label="${caption}"]`, { timeout });
    const waitForWindowGone = (caption, timeout) =>
        page.waitForSelector(`canvas[aria-label="${caption}"]`, { hidden: true, timeout });
    const waitForEnd = (timeout, on = page) => on.waitForSelector('#ended:not([hidden])', { timeout });
    const press = (key, on = page) => on.keyboard.press(key);
    // Types the six fields, waiting for each label ("" keeps the default).
    const fillForm = async (values, on = page) => {
      for (let field = 0; field < 6; ++field) {
        await waitForScreen(labels[field], minute, on);
        if (values[field]) await on.keyboard.type(values[field]);
        await press('Enter', on);
      }
    };
    const comparePictureWith = (caption, file) => page.evaluate(
        async (name, base64) => ComparePictures(closedPictures[name], await PngPicture(base64)),
        caption, fs.readFileSync(file).toString('base64'));
    // A reload from the page, as the browser's reload button makes it
    // (DevTools' own, page.reload, passes the service worker by).
    const reload = () => Promise.all([page.waitForNavigation(),
                                      page.evaluate(() => { setTimeout(() => location.reload()); })]);
    const isolated = (on) => on.evaluate(() => crossOriginIsolated);
    const terminalFocused = (on) =>
        on.evaluate(() => document.activeElement.classList.contains('xterm-helper-textarea'));

    // The explorer's canvas on `on`, checked against the Linux build: its
    // views (the canvas's top square, the status line lying below) against
    // the pictures of the commands it prints, its status line against the
    // built-in font's own drawing (image_probe of the Linux build).
    const ExplorerChecks = async (on, side) => {
      const explorerCanvas = 'canvas[aria-label="magpend explore"]';
      const canvas = await waitForWindow('magpend explore', minute, on);  // the explorer's caption
      await canvas.evaluate((shown) => shown.scrollIntoView({ block: 'nearest' }));
      // The page scales a window's canvas to its column: a drawing-area
      // pixel is `scale` page pixels wide.
      const box = await canvas.boundingBox();
      const scale = box.width / side;
      const at = (x, y) => [box.x + (x + 0.5) * scale, box.y + (y + 0.5) * scale];
      const lines = (prefix) => on.$eval('.explore-lines', (shown, wanted) =>
          shown.textContent.split('\n').filter((line) => line.startsWith(wanted)), prefix);
      const waitForLine = async (prefix, count) => {
        await on.waitForFunction((wanted, n) => document.querySelector('.explore-lines').textContent
            .split('\n').filter((line) => line.startsWith(wanted)).length >= n,
          { timeout: 3 * minute, polling: 100 }, prefix, count);
        return (await lines(prefix))[count - 1];
      };
      // The canvas's pixels, status line and all.
      const pixels = () => on.evaluate((selector) => {
        const shown = document.querySelector(selector);
        const image = shown.getContext('2d').getImageData(0, 0, shown.width, shown.height);
        return { width: image.width, height: image.height, data: Array.from(image.data) };
      }, explorerCanvas);
      let views = 0;
      const checks = { canvas, at, lines, waitForLine, firstView: null };
      // Waits until the view equals the last view checked, or differs from it.
      const waitForView = (equal) => on.waitForFunction(async (base64, selector, same) => {
        const shown = document.querySelector(selector);
        const view = shown.getContext('2d').getImageData(0, 0, shown.width, shown.width);
        return (ComparePictures(view, await PngPicture(base64)) === '') === same;
      }, { timeout: minute, polling: 200 }, checks.lastView, explorerCanvas, equal);
      checks.checkView = async (what) => {
        const line = await waitForLine('view: ', ++views);
        const command = line.replace(/^view: magpend /, '').replace(/ -o view\.png {2}#.*$/, '').split(' ')
            .map((word) => word.replace(/"/g, ''));  // the quotes a shell would take away
        const file = path.join(downloads, `view${views}.png`);
        childProcess.execFileSync(linuxProgram, [...command, '-o', file]);
        checks.lastView = fs.readFileSync(file).toString('base64');
        await on.waitForFunction(async (base64, selector) => {
          const shown = document.querySelector(selector);
          const view = shown.getContext('2d').getImageData(0, 0, shown.width, shown.width);
          window.viewDifference = ComparePictures(view, await PngPicture(base64));
          return window.viewDifference === '';
        }, { timeout: minute, polling: 500 }, checks.lastView, explorerCanvas).catch(async () => {
          throw new Error(`${what} (${line}): ${await on.evaluate(() => viewDifference)}`);
        });
        if (!checks.firstView) checks.firstView = checks.lastView;
        console.log(`  (${what}: ${line})`);
        return line;
      };
      // Whether the status line's line `line` (from 0) shows `text`.
      checks.statusShows = async (line, text) => {
        const picture = await pixels();
        const ppm = Buffer.alloc(picture.width * picture.height * 3);
        for (let i = 0; i < picture.width * picture.height; ++i) {
          for (let c = 0; c < 3; ++c) ppm[3 * i + c] = picture.data[4 * i + c];
        }
        const input = Buffer.concat([Buffer.from(`P6\n${picture.width} ${picture.height}\n255\n`), ppm]);
        return childProcess.execFileSync(probe, ['status', String(line), text], { input }).toString().trim() === '1';
      };
      checks.checkStatus = async (line, text) => {
        const end = Date.now() + minute;
        while (!(await checks.statusShows(line, text))) {
          Check(Date.now() < end, `the status line's line ${line} does not show "${text}"`);
          await new Promise((resolve) => setTimeout(resolve, 200));
        }
      };
      // The status line's rows as they are now, and a wait for them to change.
      checks.statusRows = async () => {
        const picture = await pixels();
        return Array.from(picture.data.slice(4 * picture.width * picture.width)).join();
      };
      checks.waitForStatusChange = async (before) => {
        const end = Date.now() + minute;
        while ((await checks.statusRows()) === before) {
          Check(Date.now() < end, 'the status line stayed as it was while the view was computed');
          await new Promise((resolve) => setTimeout(resolve, 200));
        }
      };
      // H shows the help over the view last checked; Escape hides it and
      // ends nothing.
      checks.checkHelp = async () => {
        await press('h', on);
        await waitForView(false);
        await press('Escape', on);
        await waitForView(true);
        Check(await on.$(explorerCanvas), 'Escape over the help ended the explorer');
      };
      checks.end = async () => {
        await press('Escape', on);
        await waitForLine('magpend explore has ended (exit status 0)', 1);
        Check(!(await on.$(explorerCanvas)), 'the explorer\'s canvas stayed');
      };
      return checks;
    };
    // A phone's page with a touch screen, in a fresh context, served with
    // the headers, in front.
    const NewPhone = async () => {
      const phone = await NewPage({ width: 390, height: 844, hasTouch: true, isMobile: true },
                                  await browser.createBrowserContext());
      await phone.evaluateOnNewDocument(WatchWindows);
      await phone.bringToFront();
      phone.documents = 0;  // a touch screen's viewport reloads the blank page first
      await phone.goto(isolatingUrl);
      return phone;
    };
    // The region of a view line, as numbers [x0, x1, y0, y1].
    const regionOf = (line) => / --region (\S+)/.exec(line)[1].split(':').map(Number);

    const cases = [
      ['without the headers the page isolates itself with one reload', async () => {
        await page.goto(url);
        await waitForScreen(`${labels[0]}-50`);
        Check(await isolated(page), 'the page is not cross-origin isolated');
        Check(page.documents === 2, `${page.documents} documents, not the page and its one reload`);
        Check(await terminalFocused(page), 'the terminal does not have the keyboard focus');
      }],
      ['the page says what it is, in English around the German form', async () => {
        const about = await page.evaluate(() => ({
          heading: document.querySelector('h1').textContent,
          title: document.title,
          text: document.querySelector('#about').textContent.replace(/\s+/g, ' '),
          pageLanguage: document.documentElement.lang,
          terminalLanguage: document.querySelector('#terminal').lang,
          fontSize: parseFloat(getComputedStyle(document.querySelector('.xterm-rows')).fontSize),
        }));
        Check(about.heading === versionLine, `the heading is "${about.heading}", not "${versionLine}"`);
        Check(about.title === versionLine, `the title is "${about.title}"`);
        for (const words of ['type over a default value or press Enter',
                             'Any key in the terminal ends the path', 'Escape ends the map']) {
          Check(about.text.includes(words), `the page does not say "${words}"`);
        }
        Check(about.pageLanguage === 'en' && about.terminalLanguage === 'de',
              `languages: page ${about.pageLanguage}, terminal ${about.terminalLanguage}`);
        Check(about.fontSize >= 14, `the terminal's text is ${about.fontSize} px at 1280 px`);
        const linked = await page.evaluate(async () => Promise.all(['manual.txt', 'LICENSE.txt'].map(
            async (name) => (await (await fetch(document.querySelector(`a[href="${name}"]`).href)).text()))));
        Check(linked[0].includes(versionLine), 'the manual is not of this version');
        Check(linked[1].includes('MIT License'), 'the licence is not linked');
      }],
      ['a value out of range ends the program without a window', async () => {
        await fillForm(['100', '', '', '', '', '']);
        await waitForEnd(minute);
        Check(!(await page.$('canvas')), 'a window opened');
      }],
      ['Enter starts again; a key ends the path run, Escape the map', async () => {
        await press('Enter');
        await page.waitForSelector('#ended', { hidden: true });
        await fillForm(['', '', '', '', '', '30000']);  // 3000000 steps, and long trials
        await waitForWindow('Pendelweg');
        await press('x');
        await waitForWindowGone('Pendelweg', 2 * minute);  // 5 hours without the key
        await waitForWindow('Startpunkte');
        await press('Escape');
        await waitForEnd(minute);
        Check(!(await page.$('canvas')), 'a window stayed');
        // The map is painted from the bottom row up, so its top-left start
        // point (blue once painted) is painted last.
        const corner = await page.evaluate(() => Array.from(PixelAt(closedPictures.Startpunkte, 185, 85)));
        Check(corner.join() === '240,240,240,255', `the map was finished (${corner}) although Escape ended it`);
      }],
      ['a second run with every default draws the Linux pictures', async () => {
        await press('Enter');
        await page.waitForSelector('#ended', { hidden: true });
        await fillForm(['', '', '', '', '', '']);
        const pathWindow = await waitForWindow('Pendelweg');
        const title = await pathWindow.evaluate((canvas) => canvas.previousElementSibling.textContent);
        Check(title === 'Pendelweg', `the window's title is "${title}"`);
        await waitForWindowGone('Pendelweg', 5 * minute);
        const mapWindow = await waitForWindow('Startpunkte');
        const opened = await page.evaluate(() => performance.now());
        const layout = await page.evaluate(() => [document.querySelector('#terminal'),
          document.querySelector('canvas')].map((e) => e.getBoundingClientRect().toJSON()));
        for (const box of layout) {
          Check(box.left >= 0 && box.top >= 0 && box.right <= 1280 && box.bottom <= 1024,
                `not all in a 1280 x 1024 page: ${JSON.stringify(layout)}`);
        }
        Check(layout[0].right <= layout[1].left || layout[0].bottom <= layout[1].top,
              'the window covers the terminal');
        // Save PNG gives the canvas as it is at the click.
        const shown = await mapWindow.evaluate((canvas) => {
          window.savedPicture = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
          canvas.nextElementSibling.click();
          return canvas.width;
        });
        Check(shown === 800, 'the map window is not 800 pixels wide');
        await WaitForFile(path.join(downloads, 'startpunkte.png'), minute);
        const saved = fs.readFileSync(path.join(downloads, 'startpunkte.png')).toString('base64');
        const saveDifference = await page.evaluate(
            async (base64) => ComparePictures(savedPicture, await PngPicture(base64)), saved);
        Check(saveDifference === '', `Save PNG: ${saveDifference}`);
        await waitForEnd(5 * minute);
        const lastPaint = await page.evaluate(() => lastPaint.Startpunkte);
        console.log(`  (the map painted its last square ${((lastPaint - opened) / 1000).toFixed(2)} s after its window opened)`);
        for (const [caption, file] of [['Pendelweg', 'pendelweg.png'], ['Startpunkte', 'startpunkte.png']]) {
          await WaitForFile(path.join(referenceFolder, file), 3 * minute);
          const difference = await comparePictureWith(caption, path.join(referenceFolder, file));
          Check(difference === '', `${caption} against the Linux build: ${difference}`);
        }
        const corner = await page.evaluate(() => Array.from(PixelAt(closedPictures.Startpunkte, 185, 85)));
        Check(corner.join() === '0,0,255,255', `the finished map's top-left start point is ${corner}`);
        Check((await screenText()).includes(`${labels[5]}2000`), 'the form is gone');
      }, needsReference],
      ['the button starts again with a fresh form', async () => {
        await page.click('#restart');
        await waitForScreen(`${labels[0]}-50`);
        Check(!(await screenText()).includes(labels[5]), 'the old form is still shown');
        Check(await terminalFocused(page), 'the terminal does not have the keyboard focus');
      }],
      ['a reload starts a clean form', async () => {
        await page.keyboard.type('12');
        await press('Enter');
        await waitForScreen(labels[1]);
        await page.reload();  // past the service worker: the page isolates itself again
        await waitForScreen(`${labels[0]}-50`);
        Check(!(await screenText()).includes(labels[1]), 'the form goes on after the reload');
        Check(await page.$eval('#ended', (e) => e.hidden), 'the page says the program ended');
      }],
      ['the explorer: views equal to their commands\' pictures, its status line, a click, a tap, help, S, Save PNG, P, Escape', async () => {
        const side = 80;
        await page.$eval('#explore-options', (field, options) => { field.value = options; }, `--grid ${side} --n 300`);
        await page.click('#explore');
        const explorer = await ExplorerChecks(page, side);
        const { at, lines, checkView } = explorer;
        const explorerCanvas = 'canvas[aria-label="magpend explore"]';
        const checkStart = async (count, x, y) => {
          const line = await explorer.waitForLine('start ', count);
          const color = await page.evaluate(async (base64, px, py) =>
              Array.from(PixelAt(await PngPicture(base64), px, py)).slice(0, 3).join(), explorer.firstView, x, y);
          const magnet = { '255,0,0': 'magnet 1', '0,191,0': 'magnet 2', '0,0,255': 'magnet 3' }[color] || 'no magnet';
          Check(new RegExp(`^start \\S+ \\S+: ${magnet} after [0-9]+ steps$`).test(line),
                `the point (${x}, ${y}) of colour ${color} printed "${line}"`);
          const pathShown = await page.evaluate((selector) => {
            const shown = document.querySelector(selector);
            const data = shown.getContext('2d').getImageData(0, 0, shown.width, shown.width).data;
            for (let i = 0; i < data.length; i += 4) {
              if (data[i] === 255 && data[i + 1] === 0 && data[i + 2] === 255) return true;
            }
            return false;
          }, explorerCanvas);
          Check(pathShown, `no path drawn for "${line}"`);
        };

        const first = await checkView('the first view');
        Check(first.startsWith(`view: magpend map --grid ${side} --region -112.125:115:-112.125:115 --n 300 --markers -o view.png  # `),
              `the first view's line: ${first}`);
        await explorer.checkStatus(1, `done in ${first.split('# ')[1]}`);
        await explorer.checkStatus(0, 'centre 1.44 1.44  width 227.1  zoom 1x   H: help');
        await page.mouse.click(...at(30, 70));
        await checkStart(1, 30, 70);
        await page.touchscreen.tap(...at(70, 20).map(Math.round));  // touch points are whole pixels
        await checkStart(2, 70, 20);
        await page.mouse.move(...at(60, 60));
        await page.mouse.wheel({ deltaY: -100 });
        await checkView('a wheel notch in');
        await page.mouse.move(...at(20, 20));
        await page.mouse.down();
        await page.mouse.move(...at(70, 50), { steps: 5 });
        await page.mouse.up();
        const dragged = await checkView('a drag');
        await press('Backspace');
        const back = await checkView('Backspace');
        Check(back.split('#')[0] === (await lines('view: '))[1].split('#')[0],
              `Backspace after ${dragged} went to ${back}`);
        await page.mouse.click(...at(50, 50), { button: 'right' });
        await checkView('a right click');
        await press('Home');
        await checkView('Home');
        await explorer.checkHelp();
        await press('ArrowRight');
        await checkView('the right arrow');
        await press('Home');
        await checkView('Home again');
        // Magnet 2's marker, at (30, 30), lies around pixel (50, 29): dragged
        // away, then friction: views of a pendulum of the user's own.
        await page.mouse.move(...at(50, 29));
        await page.mouse.down();
        await page.mouse.move(...at(65, 15), { steps: 5 });
        await page.mouse.up();
        const moved = await checkView('a dragged magnet');
        Check(moved.includes(' --magnets="-42.42640687119285,0;'), `the dragged magnet's line: ${moved}`);
        await press('F');
        const rubbing = await checkView('friction');
        Check(rubbing.includes(' --friction 0.01 '), `F's line: ${rubbing}`);
        await page.evaluate((selector) => {
          const shown = document.querySelector(selector);
          window.savedView = shown.getContext('2d').getImageData(0, 0, shown.width, shown.width);
        }, explorerCanvas);
        await press('s');
        Check(await explorer.waitForLine('saved: ', 1) === 'saved: explore-001.png', 'S did not say explore-001.png');
        await WaitForFile(path.join(downloads, 'explore-001.png'), minute);
        const saved = fs.readFileSync(path.join(downloads, 'explore-001.png')).toString('base64');
        const saveDifference = await page.evaluate(
            async (base64) => ComparePictures(savedView, await PngPicture(base64)), saved);
        Check(saveDifference === '', `explore-001.png: ${saveDifference}`);
        // The Save PNG button is S; P's values come down as a file that the
        // Linux program reads back.
        await page.click('.explorer button');
        Check(await explorer.waitForLine('saved: ', 2) === 'saved: explore-002.png', 'Save PNG did not save explore-002.png');
        await WaitForFile(path.join(downloads, 'explore-002.png'), minute);
        await page.focus(explorerCanvas);  // the keys go to the canvas again
        await press('p');
        Check(await explorer.waitForLine('saved: ', 3) === 'saved: explore-001.toml', 'P did not say explore-001.toml');
        await WaitForFile(path.join(downloads, 'explore-001.toml'), minute);
        const values = childProcess.execFileSync(
            linuxProgram, ['map', '--config', path.join(downloads, 'explore-001.toml'), '--print-config']).toString();
        Check(values.includes('friction=0.01'), `explore-001.toml reads back as ${values}`);
        await explorer.end();
      }, needsReference],
      ['where no service worker may run, the page says why it cannot', async () => {
        const bare = await NewPage({ width: 1280, height: 800 }, await browser.createBrowserContext());
        await bare.evaluateOnNewDocument(() => { delete Navigator.prototype.serviceWorker; });
        await bare.goto(url);
        await bare.waitForSelector('#unsupported', { visible: true });
        const said = await bare.$eval('#unsupported', (e) => e.textContent.replace(/\s+/g, ' '));
        Check(said.includes('Cross-Origin-Opener-Policy: same-origin') &&
              said.includes('Cross-Origin-Embedder-Policy: require-corp'), `it says "${said}"`);
        Check(!(await isolated(bare)) && !(await screenText(bare)).trim(), 'a program started');
        await bare.browserContext().close();
      }],
      ['with the headers, on a narrow phone: no reload, terminal and window fit, the text readable', async () => {
        const phone = await NewPhone();
        await fillForm(['', '', '', '', '', ''], phone);
        await waitForWindow('Pendelweg', minute, phone);
        Check(await isolated(phone) && phone.documents === 1,
              `isolated ${await isolated(phone)}, ${phone.documents} loads`);
        const fit = await phone.evaluate(() => ({
          page: document.documentElement.scrollWidth,
          boxes: ['#terminal', 'canvas'].map((s) => document.querySelector(s).getBoundingClientRect().right),
          rendering: getComputedStyle(document.querySelector('canvas')).imageRendering,
          fontSize: parseFloat(getComputedStyle(document.querySelector('.xterm-rows')).fontSize),
          rowHeight: document.querySelector('.xterm-rows > div').getBoundingClientRect().height,
          scrolls: document.querySelector('#terminal').scrollWidth > document.querySelector('#terminal').clientWidth,
        }));
        Check(fit.page <= 390 && Math.max(...fit.boxes) <= 390, `wider than 390 px: ${JSON.stringify(fit)}`);
        Check(fit.fontSize >= 12 && fit.rowHeight >= 12 && fit.scrolls,
              `the terminal's text at 390 px: ${JSON.stringify(fit)}`);
        Check(fit.rendering === 'pixelated', `the window is scaled with ${fit.rendering}`);
        await press('x', phone);
        await waitForWindow('Startpunkte', minute, phone);
        await press('Escape', phone);
        await waitForEnd(minute, phone);
        await phone.browserContext().close();
        await page.bringToFront();
      }],
      ['the explorer\'s default first view from the results that came with the page', async () => {
        await page.$eval('#explore-options', (field) => { field.value = field.defaultValue; });
        await page.click('#explore');
        const explorer = await ExplorerChecks(page, 600);
        const known = await explorer.waitForLine('known: ', 1);
        Check(known === 'known: 360000 results from /first-view.results', `it said "${known}"`);
        const first = await explorer.checkView('the default first view');
        // The results are those of this very view (the page's build names its region).
        const header = fs.readFileSync(path.join(site, 'first-view.results'), 'latin1').split('\n\n')[0];
        const region = header.match(/^region (.*)$/m)[1].split(' ').join(':');
        Check(first.includes(` --region ${region} `), `the results are of ${region}, the view is ${first}`);
        await explorer.end();
      }, needsReference],
      ['the explorer on the phone: a pinch zooms, two fingers pan, the status line goes on', async () => {
        const phone = await NewPhone();
        await waitForScreen(`${labels[0]}-50`, minute, phone);
        const side = 80;
        const explore = async (options) => {
          await phone.$eval('#explore-options', (field, words) => { field.value = words; }, options);
          await phone.click('#explore');
          return ExplorerChecks(phone, side);
        };
        const explorer = await explore(`--grid ${side} --n 300`);
        const first = await explorer.checkView('the first view on the phone');
        const touch = await phone.createCDPSession();
        // The fingers, each at a canvas pixel: [x, y] for finger 0, 1, ...
        const fingers = (type, points) => touch.send('Input.dispatchTouchEvent', {
          type, touchPoints: points.map((point, id) => {
            const [x, y] = explorer.at(...point).map(Math.round);
            return { x, y, id };
          }),
        });
        // Apart from 8 to 20 pixels about (50, 30): one notch in about there.
        await fingers('touchStart', [[46, 30], [54, 30]]);
        for (let half = 5; half <= 10; ++half) await fingers('touchMove', [[50 - half, 30], [50 + half, 30]]);
        await fingers('touchEnd', []);
        const pinched = await explorer.checkView('a pinch');
        const [x0, x1, y0, y1] = regionOf(first);
        const [px0, px1, py0, py1] = regionOf(pinched);
        // Half as wide, the point under the fingers' centre within a pixel
        // of where it was (views lie on a lattice of start points).
        const spacing = (x1 - x0) / (side - 1);
        const pinchedSpacing = (px1 - px0) / (side - 1);
        const [fingersX, fingersY] = [x0 + 50 * spacing, y1 - 30 * spacing];
        const [nowX, nowY] = [(fingersX - px0) / pinchedSpacing, (py1 - fingersY) / pinchedSpacing];
        Check(Math.abs((px1 - px0) / (x1 - x0) - 0.5) < 0.02 && Math.abs(nowX - 50) <= 1 && Math.abs(nowY - 30) <= 1,
              `the pinch about (50, 30) of ${first} went to ${pinched}`);
        // Both fingers 24 pixels to the right (more than a quarter of the
        // view): the view follows them, a quarter to the left.
        await fingers('touchStart', [[20, 40], [40, 40]]);
        for (let moved = 4; moved <= 24; moved += 4) await fingers('touchMove', [[20 + moved, 40], [40 + moved, 40]]);
        await fingers('touchEnd', []);
        const panned = await explorer.checkView('a two-finger drag');
        const [qx0, qx1, qy0, qy1] = regionOf(panned);
        const quarter = (px1 - px0) / 4;
        Check(Math.abs(qx0 - (px0 - quarter)) <= pinchedSpacing && Math.abs(qx1 - (px1 - quarter)) <= pinchedSpacing &&
              qy0 === py0 && qy1 === py1, `the two-finger drag of ${pinched} went to ${panned}`);
        Check((await explorer.lines('start ')).length === 0, 'a gesture was taken for a click');
        await explorer.checkStatus(0, 'centre ');
        await explorer.end();
        // A view of minutes: its status line changes while it is computed.
        const long = await explore(`--grid ${side} --m 1e-9 --n 1000000`);
        await long.waitForStatusChange(await long.statusRows());
        await long.end();
        await phone.browserContext().close();
        await page.bringToFront();
      }, needsReference],
      ["the page's own server answers bad requests and goes on", async () => {
        for (const [rawPath, wanted] of [['/%E0%A4%A', 400], ['/%00', 400], ['/..%2fpackage.json', 404],
                                         ['/%2e%2e/package.json', 404], ['/', 200]]) {
          const status = await Status(isolatingUrl, rawPath);
          Check(status === wanted, `${rawPath}: ${status}, not ${wanted}`);
        }
      }],
      ['a page once loaded starts again without a network', async () => {
        await new Promise((resolve) => plain.server.once('exit', resolve).kill());
        await Status(url, '/').then(() => { throw new Error('the server still answers'); }, () => {});
        await reload();
        await waitForScreen(`${labels[0]}-50`);
        Check(await isolated(page), 'the page is not cross-origin isolated');
      }],
    ];

    let failed = 0;
    for (const [name, run, needs] of cases) {
      if (needs === needsReference && !(referenceFolder && linuxProgram)) continue;
      try {
        await run();
        console.log(`ok: ${name}`);
      } catch (error) {
        ++failed;
        console.log(`FAIL: ${name}: ${error.message}`);
        console.log(`--- screen:\n${await screenText().catch(() => '')}`);
        break;  // the cases build on one another
      }
    }
    for (const problem of problems) console.log(`FAIL: ${problem}`);
    return failed === 0 && problems.length === 0;
  } finally {
    await browser.close();
    isolating.close();
    plain.server.kill();
    fs.rmSync(profile, { recursive: true, force: true });
    fs.rmSync(downloads, { recursive: true, force: true });
  }
}

Main().then((passed) => {
  console.log(passed ? 'page_test: passed' : 'page_test: FAILED');
  process.exit(passed ? 0 : 1);
}, (error) => {
  console.log(`page_test: FAILED: ${error.stack}`);
  process.exit(1);
});
