// The browser build, driven in Debian's headless Chromium against the site served on 127.0.0.1.
// scripts/web-test.sh builds the site and the desktop fixtures and runs this file (node --test).
//
//   ZEST_WEB_SITE        the site folder (build-web/site)
//   ZEST_WEB_HELLO       examples/hello's site (scripts/web.sh --example hello), served under /hello/
//   ZEST_WEB_FIXTURES    folder with level1.dmo (a desktop-recorded demo that completes level 1),
//                        level1-end.png and level1-counts.txt ("UPDATES DRAWS"): the desktop replay's
//                        last picture and counts
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const { chromium } = require('playwright-core');

const top = path.resolve(__dirname, '..', '..');
const site = process.env.ZEST_WEB_SITE || path.join(top, 'build-web', 'site');
const fixtures = process.env.ZEST_WEB_FIXTURES || path.join(top, 'build-web', 'fixtures');
const hello = process.env.ZEST_WEB_HELLO || path.join(top, 'build-web', 'examples', 'hello', 'site');
const GameWidth = 640;
const GameHeight = 480;

let server;
let origin;
let browser;

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png'};

// The site as any static server gives it, plus two damaged copies: /truncated/ serves the first third of
// main.pak, /missing/ answers 404 for it. /fixtures/ serves the demo.
function serve(request, response) {
  const url = new URL(request.url, 'http://localhost');
  let name = decodeURIComponent(url.pathname);
  let damage = '';
  for (const prefix of ['/truncated/', '/missing/']) {
    if (name.startsWith(prefix)) {
      damage = prefix;
      name = '/' + name.slice(prefix.length);
    }
  }
  let file = name.startsWith('/fixtures/') ? path.join(fixtures, name.slice(10))
           : name.startsWith('/hello/') ? path.join(hello, name.slice(7)) : path.join(site, name);
  if (name.endsWith('/')) file = path.join(file, 'index.html');
  if (![site, fixtures, hello].some((folder) => file.startsWith(folder))) file = '';
  const isPak = path.basename(file) === 'main.pak';
  if (!file || !fs.existsSync(file) || (isPak && damage === '/missing/')) {
    response.writeHead(404, {'Content-Type': 'text/plain'});
    response.end('not found');
    return;
  }
  let body = fs.readFileSync(file);
  if (isPak && damage === '/truncated/') body = body.subarray(0, Math.floor(body.length / 3));
  response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                           'Content-Length': body.length, 'Cache-Control': 'no-store'});
  response.end(body);
}

before(async () => {
  server = http.createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    // Playwright gives every launch a fresh profile folder (--user-data-dir) of its own.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

// A page with its console and page errors collected.
async function openPage(context, url) {
  const page = await context.newPage();
  page.errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  page.on('pageerror', (error) => page.errors.push(String(error)));
  await page.goto(origin + url);
  return page;
}

async function counters(page) {
  return page.evaluate(() => window.zestTest.counters());
}

// Waits until the game has loaded everything (the title's bar full) and drawn since.
async function waitForTitle(page) {
  await page.waitForFunction(() => {
    const c = window.zestTest.counters();
    return c && c.loading >= 1 && c.draws > 0;
  }, null, {timeout: 30000});
}

// Real mouse events at a point of the 640 x 480 game, wherever the page has scaled the canvas to.
async function gamePoint(page, x, y) {
  const box = await page.locator('#canvas').boundingBox();
  return [box.x + (x + 0.5) * box.width / GameWidth, box.y + (y + 0.5) * box.height / GameHeight];
}

async function clickGame(page, x, y) {
  const [px, py] = await gamePoint(page, x, y);
  await page.mouse.click(px, py);
}

async function waitUpdates(page, n) {
  const start = (await counters(page)).updates;
  await page.waitForFunction((target) => window.zestTest.counters().updates >= target, start + n,
                             {timeout: 30000});
}

async function canvasPixels(page, x, y, width, height) {
  return page.evaluate(([x, y, w, h]) => Array.from(
    document.getElementById('canvas').getContext('2d').getImageData(x, y, w, h).data), [x, y, width, height]);
}

// The centre of the bee: the pixels of its body's yellow (#FFCC4D) below the score bar, where nothing
// else has that colour (the lives icon in the bar has it too).
function beeCentre(pixels, width) {
  let sx = 0, sy = 0, n = 0;
  for (let i = 45 * width * 4; i < pixels.length; i += 4) {
    if (pixels[i] === 255 && pixels[i + 1] === 204 && pixels[i + 2] === 77) {
      sx += (i / 4) % width;
      sy += Math.floor(i / 4 / width);
      n++;
    }
  }
  return n ? {x: sx / n, y: sy / n, n} : null;
}

// Decodes an 8-bit RGB or RGBA, non-interlaced PNG (what the desktop harness writes) into RGBA bytes.
function decodePng(bytes) {
  let pos = 8;
  let width = 0, height = 0, colourType = 0;
  const data = [];
  while (pos < bytes.length) {
    const length = bytes.readUInt32BE(pos);
    const type = bytes.toString('latin1', pos + 4, pos + 8);
    const body = bytes.subarray(pos + 8, pos + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      assert.equal(body[8], 8, 'PNG bit depth');
      colourType = body[9];
      assert.equal(body[12], 0, 'PNG interlace');
    } else if (type === 'IDAT') {
      data.push(body);
    }
    pos += 12 + length;
  }
  const channels = colourType === 6 ? 4 : 3;
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const out = Buffer.alloc(width * height * 4);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? line[i - channels] : 0;
      const b = previous[i];
      const c = i >= channels ? previous[i - channels] : 0;
      let add = 0;
      if (filter === 1) add = a;
      else if (filter === 2) add = b;
      else if (filter === 3) add = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        add = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
      }
      line[i] = (line[i] + add) & 255;
    }
    for (let x = 0; x < width; x++) {
      out[(y * width + x) * 4] = line[x * channels];
      out[(y * width + x) * 4 + 1] = line[x * channels + 1];
      out[(y * width + x) * 4 + 2] = line[x * channels + 2];
      out[(y * width + x) * 4 + 3] = 255;
    }
    previous = line;
  }
  return {width, height, pixels: out};
}

test('the page loads to the title screen with its bar full and no console errors', {timeout: 60000}, async () => {
  const context = await browser.newContext({viewport: {width: 1400, height: 1100}});
  try {
    const page = await openPage(context, '/');
    assert.match(await page.title(), /Tibble the Bee/);
    await waitForTitle(page);
    // The page's own bar (main.pak) reached its end before the game started.
    assert.equal(await page.evaluate(() => document.getElementById('fill').style.width), '100%');
    assert.equal(await page.locator('#loading').isHidden(), true);
    // A 1400 x 1100 window holds the game twice over: whole multiples keep the pixels crisp.
    const box = await page.locator('#canvas').boundingBox();
    assert.deepEqual([box.width, box.height], [1280, 960]);
    await waitUpdates(page, 50);
    assert.deepEqual(page.errors, []);
  } finally {
    await context.close();
  }
});

test('clicks through the title and PLAY reach level 1, and holding the hose moves the bee', {timeout: 120000},
     async () => {
  // A window smaller than 1280 x 960: the game is drawn 1:1... here 800 x 640 holds one whole multiple.
  const context = await browser.newContext({viewport: {width: 900, height: 700}});
  try {
    const page = await openPage(context, '/');
    await waitForTitle(page);
    await clickGame(page, 320, 450); // CLICK HERE TO CONTINUE
    await waitUpdates(page, 30);
    await clickGame(page, 96, 285); // PLAY
    await waitUpdates(page, 150);
    const before = beeCentre(await canvasPixels(page, 0, 0, GameWidth, GameHeight), GameWidth);
    assert.ok(before, 'the bee is in the picture');
    const [hx, hy] = await gamePoint(page, 79, 440); // the hose's nozzle, aimed up and to the right
    await page.mouse.move(hx, hy);
    await page.mouse.down();
    await waitUpdates(page, 150);
    await page.mouse.up();
    const afterHold = beeCentre(await canvasPixels(page, 0, 0, GameWidth, GameHeight), GameWidth);
    assert.ok(afterHold, 'the bee is still in the picture');
    const moved = Math.hypot(afterHold.x - before.x, afterHold.y - before.y);
    assert.ok(moved > 20, `the bee moved ${moved.toFixed(1)} pixels`);
    assert.deepEqual(page.errors, []);
  } finally {
    await context.close();
  }
});

test('a desktop-recorded demo of level 1 replays with the same counts and last picture', {timeout: 300000},
     async (t) => {
  const countsFile = path.join(fixtures, 'level1-counts.txt');
  if (!fs.existsSync(countsFile)) {
    t.skip('no desktop demo fixtures (scripts/web-test.sh makes them)');
    return;
  }
  const [updates, draws] = fs.readFileSync(countsFile, 'utf8').trim().split(/\s+/).map(Number);
  const expected = decodePng(fs.readFileSync(path.join(fixtures, 'level1-end.png')));
  const context = await browser.newContext({viewport: {width: 1400, height: 1100}});
  try {
    const page = await openPage(context, '/?play=fixtures/level1.dmo');
    await page.waitForFunction(() => window.zestTest.demoEnd, null, {timeout: 240000, polling: 500});
    const end = await page.evaluate(() => {
      const e = window.zestTest.demoEnd;
      return {updates: e.updates, draws: e.draws, stopReason: e.stopReason, width: e.width, height: e.height,
              pixels: Array.from(e.pixels)};
    });
    assert.equal(end.stopReason, '', 'the replay played to its end');
    assert.deepEqual([end.updates, end.draws], [updates, draws]);
    assert.deepEqual([end.width, end.height], [expected.width, expected.height]);
    let mismatches = 0;
    let first = null;
    for (let i = 0; i < end.pixels.length; i += 4) {
      for (let c = 0; c < 3; c++) {
        if (end.pixels[i + c] !== expected.pixels[i + c]) {
          mismatches++;
          if (!first) first = {x: (i / 4) % end.width, y: Math.floor(i / 4 / end.width)};
          break;
        }
      }
    }
    assert.equal(mismatches, 0, `pixels differ from the desktop's, first at ${JSON.stringify(first)}`);
    assert.deepEqual(page.errors, []);
  } finally {
    await context.close();
  }
});

test('settings stored in one page load are there after a reload', {timeout: 120000}, async () => {
  const context = await browser.newContext({viewport: {width: 1400, height: 1100}});
  try {
    const page = await openPage(context, '/');
    // The options dialog from the title, and the picture of its music slider.
    const openOptions = async () => {
      await waitForTitle(page);
      await clickGame(page, 320, 450); // CLICK HERE TO CONTINUE
      await waitUpdates(page, 30);
      await clickGame(page, 96, 205); // OPTIONS
      await waitUpdates(page, 60);
    };
    const slider = () => canvasPixels(page, 150, 178, 340, 30);
    await openOptions();
    const defaultSlider = await slider();
    await clickGame(page, 170, 193); // the music volume almost off
    await waitUpdates(page, 30);
    const changed = await slider();
    assert.notDeepEqual(changed, defaultSlider, 'the click moved the slider');
    await clickGame(page, 320, 402); // CLOSE
    // The page saves changed settings every two seconds (a reload is no orderly exit).
    await waitUpdates(page, 300);
    await page.reload();
    await openOptions();
    assert.deepEqual(await slider(), changed, 'the slider is where it was left');
    const stored = await page.evaluate(() => {
      let text = '';
      const walk = (dir) => {
        for (const name of Module.FS.readdir(dir)) {
          if (name === '.' || name === '..') continue;
          const full = dir + '/' + name;
          if (Module.FS.isDir(Module.FS.stat(full).mode)) walk(full);
          else if (name === 'registry.txt') text += Module.FS.readFile(full, {encoding: 'utf8'});
        }
      };
      walk('/persist');
      return text;
    });
    assert.match(stored, /MusicVolume/);
    assert.deepEqual(page.errors, []);
  } finally {
    await context.close();
  }
});

// Every file of the page's persistent folder (settings and progress), by path.
async function storedFiles(page) {
  return page.evaluate(() => {
    const files = {};
    const walk = (dir) => {
      for (const name of Module.FS.readdir(dir)) {
        if (name === '.' || name === '..') continue;
        const full = dir + '/' + name;
        if (Module.FS.isDir(Module.FS.stat(full).mode)) walk(full);
        else files[full] = Module.FS.readFile(full, {encoding: 'utf8'});
      }
    };
    walk('/persist');
    return files;
  });
}

// The title's garden picker opened from a fresh page load; its picture without the frame.
async function pickerPicture(page) {
  await waitForTitle(page);
  await clickGame(page, 320, 450); // CLICK HERE TO CONTINUE
  await waitUpdates(page, 30);
  await clickGame(page, 96, 325); // GARDENS
  await waitUpdates(page, 80);
  return canvasPixels(page, 40, 40, 560, 300);
}

test('progress (the garden reached and its record) stored in one page load is there after a reload',
     {timeout: 240000}, async () => {
  const context = await browser.newContext({viewport: {width: 1400, height: 1100}});
  const fresh = await browser.newContext({viewport: {width: 1400, height: 1100}});
  try {
    const page = await openPage(context, '/');
    await waitForTitle(page);
    await clickGame(page, 320, 450); // CLICK HERE TO CONTINUE
    await waitUpdates(page, 30);
    await clickGame(page, 96, 285); // PLAY
    // Level 1 as its solution plays it (content/levels/1.play): the first hose held, then the second;
    // the garden forgives a few updates either way.
    const play = (await counters(page)).updates;
    const until = (n) => page.waitForFunction((target) => window.zestTest.counters().updates >= target, play + n,
                                              {timeout: 30000});
    const hold = async (x, y, from, to) => {
      await until(from);
      const [px, py] = await gamePoint(page, x, y);
      await page.mouse.move(px, py);
      await page.mouse.down();
      await until(to);
      await page.mouse.up();
    };
    await hold(79, 468, 32, 122);
    await hold(79, 440, 124, 304);
    // The garden finished: its record and the garden reached are saved, and written back to IndexedDB.
    let before;
    for (const start = Date.now(); ; await page.waitForTimeout(500)) {
      assert.ok(Date.now() - start < 90000, 'level 1 was finished and saved');
      if (await page.evaluate(() => !Module.zestSync || Module.zestSync.running)) continue;
      before = await storedFiles(page);
      if (Object.values(before).some((text) => /^data :GardenReached :01$/m.test(text))) break;
    }
    await page.reload();
    const after = await pickerPicture(page);
    assert.deepEqual(await storedFiles(page), before, 'the stored files are as they were');
    const registry = Object.entries(before).find(([name]) => name.endsWith('/registry.txt'))[1];
    assert.match(registry, /^data :GardenReached :01$/m);
    assert.match(registry, /^data :Record1 :/m);
    // The picker reads them back: garden 2 open, garden 1 with its time, unlike a new player's picker.
    const freshPage = await openPage(fresh, '/');
    const newPlayer = await pickerPicture(freshPage);
    const differs = (x0, y0, x1, y1) => {
      for (let y = y0; y < y1; y++) {
        for (let x = x0; x < x1; x++) {
          const i = ((y - 40) * 560 + (x - 40)) * 4;
          if (after[i] !== newPlayer[i] || after[i + 1] !== newPlayer[i + 1] || after[i + 2] !== newPlayer[i + 2])
            return true;
        }
      }
      return false;
    };
    assert.ok(differs(160, 72, 260, 128), 'garden 2 is open after the reload');
    assert.ok(differs(100, 110, 150, 128), 'garden 1 shows its record after the reload');
    assert.deepEqual(page.errors, []);
    assert.deepEqual(freshPage.errors, []);
  } finally {
    await context.close();
    await fresh.close();
  }
});

test('examples/hello built for the browser from its own CMake files runs in the page', {timeout: 60000}, async (t) => {
  if (!fs.existsSync(path.join(hello, 'index.html'))) {
    t.skip('no examples/hello site (scripts/web.sh --example hello makes it)');
    return;
  }
  const context = await browser.newContext({viewport: {width: 900, height: 700}});
  try {
    const page = await openPage(context, '/hello/');
    await page.waitForFunction(() => {
      const c = window.zestTest.counters();
      return c && c.draws > 0 && c.updates > 20;
    }, null, {timeout: 30000});
    // Its panel's sky blue, and its line of text drawn in the bitmap face that stands in for the system font.
    assert.deepEqual((await canvasPixels(page, 5, 5, 1, 1)).slice(0, 3), [189, 231, 248]);
    const line = await canvasPixels(page, 220, 250, 200, 20);
    assert.ok(line.some((v, i) => i % 4 < 3 && v < 100), 'the line of text is drawn');
    assert.deepEqual(page.errors, []);
  } finally {
    await context.close();
  }
});

for (const [name, url, pattern] of [
  ['a missing main.pak', '/missing/', /HTTP 404/],
  ['a truncated main.pak', '/truncated/', /damaged or incomplete/],
]) {
  test(`${name} shows a clear error on the page`, {timeout: 60000}, async () => {
    const context = await browser.newContext();
    try {
      const page = await openPage(context, url);
      await page.waitForFunction(() => document.body.dataset.state === 'error', null, {timeout: 30000});
      const box = page.locator('#dialog');
      assert.equal(await box.isVisible(), true);
      assert.match(await box.textContent(), pattern);
    } finally {
      await context.close();
    }
  });
}
