// The browser build's CPU cost in level play: headless Chromium on the site served on 127.0.0.1, level 1 reached
// through the title and PLAY, a hose held, then the renderer process's CPU time (utime + stime from /proc) over
// SECONDS of play divided by the wall time. A benchmark run by hand, not a test:
//
//   node bench/web/renderer-cpu.js [SITE_DIR] [SECONDS]      (SITE_DIR defaults to build-web/site)
//
// Prints one line per Chromium process type (renderer, gpu, browser) as a share of one core, and the game's own
// update and draw rates over the same time. playwright-core comes from tests/web/node_modules (npm ci there).
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const {execFileSync} = require('node:child_process');
const {chromium} = require(path.join(__dirname, '..', '..', 'tests', 'web', 'node_modules', 'playwright-core'));

const site = path.resolve(process.argv[2] || path.join(__dirname, '..', '..', 'build-web', 'site'));
const seconds = Number(process.argv[3] || 10);
const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png'};
const ticksPerSecond = Number(execFileSync('getconf', ['CLK_TCK']).toString().trim());

function serve(request, response) {
  let name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  if (name.endsWith('/')) name += 'index.html';
  const file = path.join(site, name);
  if (!file.startsWith(site) || !fs.existsSync(file)) {
    response.writeHead(404);
    response.end();
    return;
  }
  response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
  response.end(fs.readFileSync(file));
}

// CPU ticks used so far by each Chromium process below this script, summed by its --type (the main process is
// "browser").
function cpuByType() {
  const totals = {};
  const visit = (pid, own) => {
    let stat;
    let cmdline;
    try {
      stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      cmdline = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
    } catch {
      return;
    }
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    const ticks = Number(fields[11]) + Number(fields[12]); // utime, stime
    const type = (/--type=([a-z-]+)/.exec(cmdline) || [null, 'browser'])[1];
    if (!own) totals[type] = (totals[type] || 0) + ticks;
    let children = '';
    try {
      children = fs.readFileSync(`/proc/${pid}/task/${pid}/children`, 'utf8');
    } catch {
      return;
    }
    for (const child of children.trim().split(/\s+/).filter(Boolean)) visit(Number(child), false);
  };
  visit(process.pid, true);
  return totals;
}

async function main() {
  const server = http.createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
  });
  try {
    const context = await browser.newContext({viewport: {width: 1400, height: 1100}});
    const page = await context.newPage();
    await page.goto(origin + '/');
    const counters = () => page.evaluate(() => window.zestTest.counters());
    await page.waitForFunction(() => {
      const c = window.zestTest.counters();
      return c && c.loading >= 1 && c.draws > 0;
    }, null, {timeout: 60000});
    const box = await page.locator('#canvas').boundingBox();
    const at = (x, y) => [box.x + (x + 0.5) * box.width / 640, box.y + (y + 0.5) * box.height / 480];
    await page.mouse.click(...at(320, 450)); // CLICK HERE TO CONTINUE
    await page.waitForTimeout(500);
    await page.mouse.click(...at(96, 285)); // PLAY
    await page.waitForTimeout(2000);
    await page.mouse.move(...at(79, 440)); // level 1's first hose, held through the measurement
    await page.mouse.down();

    const before = cpuByType();
    const countsBefore = await counters();
    const start = process.hrtime.bigint();
    await page.waitForTimeout(seconds * 1000);
    const wall = Number(process.hrtime.bigint() - start) / 1e9;
    const after = cpuByType();
    const countsAfter = await counters();
    await page.mouse.up();

    for (const type of Object.keys(after).sort()) {
      const share = (after[type] - (before[type] || 0)) / ticksPerSecond / wall;
      console.log(`${type.padEnd(10)} ${(share * 100).toFixed(1)} % of one core`);
    }
    console.log(`updates    ${((countsAfter.updates - countsBefore.updates) / wall).toFixed(1)} a second`);
    console.log(`draws      ${((countsAfter.draws - countsBefore.draws) / wall).toFixed(1)} a second`);
  } finally {
    await browser.close();
    server.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
