// Drives the page of `tessaro-sim serve` in headless Chromium as a user would: the buttons,
// the settings form, Control Center's toggle on the screen image, motion, the command line,
// and the saved session, which a plain scenario run must reproduce.
//
//   node serve-page.test.mjs --sim PATH_TO_tessaro-sim [--picture OUT.png]
//
// Exits 0 when every step holds, 1 otherwise; the server is always stopped. CHROMIUM names
// the browser (Debian's /usr/bin/chromium by default).

import { execFile, spawn } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import { parseArgs } from 'node:util';
import { chromium } from 'playwright-core';

const OVERALL_SECONDS = 120;
const TESSARO_TOGGLE = 'com.brel.control-center.tessaromodule';

function usage(message) {
  process.stderr.write(`${message}\nusage: node serve-page.test.mjs --sim PATH_TO_tessaro-sim [--picture OUT.png]\n`);
  process.exit(2);
}

let options;
try {
  options = parseArgs({ options: { sim: { type: 'string' }, picture: { type: 'string' } } }).values;
} catch (err) {
  usage(err.message);
}
if (!options.sim) usage('--sim is required');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---- the server ----

let server = null;
const serverLog = [];

function startServer(sim) {
  return new Promise((resolve, reject) => {
    server = spawn(sim, ['serve', '--port', '0'], { stdio: ['ignore', 'pipe', 'pipe'] });
    const timer = setTimeout(() => reject(new Error('the server printed no "serving" line within 20 s')), 20000);
    server.on('error', (err) => {
      clearTimeout(timer);
      reject(new Error(`cannot start ${sim}: ${err.message}`));
    });
    server.on('exit', (code, signal) => {
      clearTimeout(timer);
      serverLog.push(`(the server ended: ${signal ?? `status ${code}`})`);
      reject(new Error(`the server ended before serving (${signal ?? `status ${code}`})`));
    });
    createInterface({ input: server.stderr }).on('line', (line) => {
      serverLog.push(line);
      if (serverLog.length > 200) serverLog.shift();
    });
    createInterface({ input: server.stdout }).on('line', (line) => {
      const served = /^serving (http:\/\/\S+)$/.exec(line);
      if (served) {
        clearTimeout(timer);
        resolve(served[1]);
      } else {
        serverLog.push(line);
      }
    });
  });
}

async function stopServer() {
  if (!server || server.exitCode !== null || server.signalCode !== null) return;
  const ended = new Promise((resolve) => server.once('exit', resolve));
  server.kill('SIGTERM');
  const timer = setTimeout(() => server.kill('SIGKILL'), 3000);
  await ended;
  clearTimeout(timer);
}

process.on('exit', () => {
  if (server && server.exitCode === null && server.signalCode === null) server.kill('SIGKILL');
});
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.on(signal, () => {
    console.log(`not ok - stopped by ${signal}`);
    process.exit(1);  // the exit handler above stops the server
  });
}

// ---- steps ----

let passed = 0;
let failed = 0;

async function step(name, body) {
  try {
    await body();
    passed += 1;
    console.log(`ok ${passed + failed} - ${name}`);
    return true;
  } catch (err) {
    failed += 1;
    console.log(`not ok ${passed + failed} - ${name}\n    ${String(err.message).replace(/\n/g, '\n    ')}`);
    return false;
  }
}

function check(condition, message) {
  if (!condition) throw new Error(message);
}

/** What a probe answers while the awaited thing has not come: what it saw instead. */
class NotYet {
  constructor(seen) {
    this.seen = seen;
  }
}

/** Polls probe() until it answers truthy (and no NotYet); fails naming what was awaited and the last answer. */
async function waitFor(what, probe, seconds = 10) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const last = await probe();
    if (last && !(last instanceof NotYet)) return last;
    if (Date.now() > until) {
      const seen = last instanceof NotYet ? ` (last seen: ${JSON.stringify(last.seen)})` : '';
      throw new Error(`${what}: not within ${seconds} s${seen}`);
    }
    await sleep(100);
  }
}

function runScenario(sim, file) {
  return new Promise((resolve) => {
    execFile(sim, ['--json', file], { timeout: 60000, maxBuffer: 256 * 1024 * 1024 }, (err, stdout, stderr) => {
      resolve({ status: err ? (err.code ?? err.signal) : 0, stdout, stderr });
    });
  });
}

const isDisplayOn = (event) => event.event === 'display' && /^on\b/.test(String(event.text ?? ''));
const isPerformTheAction = (event) => event.event === 'tweak' && String(event.text ?? '').includes('performTheAction');

// ---- the test ----

async function main() {
  const base = await startServer(options.sim);
  console.log(`# server at ${base}`);
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox'],
  });
  const work = mkdtempSync(join(tmpdir(), 'tessaro-serve-page-'));
  try {
    const page = await browser.newPage({ viewport: { width: 1400, height: 1000 } });
    const pageErrors = [];
    const elsewhere = [];
    page.on('pageerror', (err) => pageErrors.push(err.message));
    page.on('request', (request) => {
      const url = request.url();
      if (!url.startsWith(base) && !url.startsWith('data:') && !url.startsWith('blob:')) elsewhere.push(url);
    });

    const state = () => page.evaluate(() => fetch('/api/state', { cache: 'no-store' }).then((r) => r.json()));
    const untilState = (what, holds, seconds = 10) => waitFor(what, async () => {
      const s = await state();
      if (holds(s)) return s;
      const { time, rate, display, lockScreen, sampling, controlCenter } = s;
      return new NotYet({ time, rate, display, lockScreen, sampling, controlCenter, toggles: s.toggles });
    }, seconds);
    const tessaro = (s) => (s.toggles ?? []).find((t) => t.identifier === TESSARO_TOGGLE);
    const setting = (key) => page.locator(`#settings-form input[data-key="${key}"]`);
    const fileValue = (key) => page.locator(`#setting-${key}-file`);
    const timelineHas = (kind, part) =>
      page.evaluate(([k, p]) => [...document.querySelectorAll('#timeline .event')].some(
        (row) => row.dataset.kind === k && row.querySelector('.text').textContent.includes(p)), [kind, part]);
    // Whether the screen image shows anything but black: drawn into a canvas, pixel by pixel.
    const screenLit = () => page.evaluate(() => {
      const img = document.getElementById('screen');
      if (!img.complete || img.naturalWidth === 0) return false;
      const canvas = document.createElement('canvas');
      canvas.width = img.naturalWidth;
      canvas.height = img.naturalHeight;
      const ctx = canvas.getContext('2d');
      ctx.drawImage(img, 0, 0);
      const { data } = ctx.getImageData(0, 0, canvas.width, canvas.height);
      let lit = 0;
      for (let i = 0; i < data.length; i += 4) if (data[i] + data[i + 1] + data[i + 2] > 48) lit += 1;
      return lit > (canvas.width * canvas.height) / 100;
    });
    // A form change is done once the file shows it (the form is fetched again after each command).
    const settingShows = (key, text) => waitFor(`the form shows ${key} ${text} in the file`,
      async () => {
        const shown = await fileValue(key).textContent();
        return shown === text || new NotYet(shown);
      });
    const setCheckbox = async (key, on) => {
      const box = setting(key);
      if ((await box.isChecked()) !== on) await box.click();
      await settingShows(key, on ? 'YES' : 'NO');
    };
    const setNumber = async (key, value) => {
      const input = setting(key);
      await input.fill(String(value));
      await input.press('Enter');
      await settingShows(key, String(value));
    };
    const clickHome = async (heldMs) => {
      const box = await page.locator('#home-button').boundingBox();
      await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
      await page.mouse.down();
      await sleep(heldMs);
      await page.mouse.up();
      await page.mouse.move(box.x - 40, box.y - 40);  // off the button, as a hand moves away
    };
    let pictureTaken = false;
    const takePicture = async () => {
      if (!options.picture || pictureTaken) return;
      // The settings from their first key, the newest events, and no focus ring.
      await page.evaluate(() => {
        document.activeElement?.blur();
        document.getElementById('settings-form').scrollTop = 0;
        const timeline = document.getElementById('timeline');
        timeline.scrollTop = timeline.scrollHeight;
      });
      await page.screenshot({ path: options.picture });
      pictureTaken = true;
      console.log(`# picture: ${options.picture}`);
    };

    const opened = await step('the page opens with the screen image and the settings form', async () => {
      await page.goto(base);
      await page.waitForFunction(() => {
        const img = document.getElementById('screen');
        return img.complete && img.naturalWidth > 0 && img.dataset.frame !== undefined;
      }, null, { timeout: 15000 });
      await page.locator('#settings-form[data-loaded="true"] input[data-key="tapToWakeMode"]').waitFor({ timeout: 15000 });
      await page.locator('#clock-realtime').click();
      await untilState('the clock runs in real time', (s) => s.rate === 1);
      const s = await state();
      check(s.display === true, `a booted phone is lit: state display ${s.display}`);
      await waitFor('the display badge says on', async () => (await page.locator('#badge-display').getAttribute('data-on')) === 'true');
    });
    if (!opened) return;

    await step('the side button darkens the display', async () => {
      await page.locator('#lock-button').click();
      await untilState('state display false', (s) => s.display === false);
      await waitFor('the display badge says off', async () => (await page.locator('#badge-display').getAttribute('data-on')) === 'false');
      await waitFor('the screen image turns black', async () => !(await screenLit()));
    });

    await step('the form sets the home-button mode: a single press', async () => {
      await setCheckbox('isEnabled', true);
      await setCheckbox('isAllowTapOnScreenOffEnabled', true);
      await setNumber('tapToWakeMode', 0);
      // The tweak builds its recognizers only with SpringBoard's home gestures; the form has them rebuilt.
      await waitFor('the timeline shows the home gestures rebuilt', () => timelineHas('scenario', 'rebuild-home-gestures'));
      await waitFor('the tweak read tapToWakeMode 0', async () => (await page.locator('#settings-form tr[data-row="tapToWakeMode"] .read-value').textContent()) === '0');
    });

    await step('a click of the home button wakes the dark screen', async () => {
      await clickHome(100);
      await untilState('state display true', (s) => s.display === true, 10);
      await waitFor('the screen image is lit', screenLit, 10);
      await waitFor('the timeline shows performTheAction', () => timelineHas('tweak', 'performTheAction'), 10);
    });

    await step('a tap on Tessaro\'s toggle in Control Center turns the tweak off', async () => {
      const openCC = async () => {
        await page.locator('#open-cc').click();
        // The presentation animates: wait until the toggle's frame stands still.
        let previous = null;
        return waitFor('Control Center open with Tessaro\'s toggle framed', async () => {
          const s = await state();
          const toggle = tessaro(s);
          const frame = s.controlCenter && toggle && toggle.frame ? JSON.stringify(toggle.frame) : null;
          const still = frame !== null && frame === previous;
          previous = frame;
          return still ? s : false;
        }, 10);
      };
      let s = await openCC();
      if (!tessaro(s).selected) {
        // Its first presentation loads the toggle's view after the tweak's hook ran, so it shows off; the next shows isEnabled.
        await page.locator('#close-cc').click();
        await untilState('Control Center closed', (s) => s.controlCenter === false);
        s = await openCC();
      }
      check(tessaro(s).selected === true, 'the toggle shows the tweak on before the tap');
      const { frame } = tessaro(s);
      const box = await page.locator('#screen').boundingBox();
      const scale = box.width / s.screen.width;
      await page.mouse.click(box.x + (frame.x + frame.width / 2) * scale, box.y + (frame.y + frame.height / 2) * scale);
      await untilState('state toggle selected false', (s) => tessaro(s).selected === false);
      await settingShows('isEnabled', 'NO');
      check(!(await setting('isEnabled').isChecked()), 'the isEnabled checkbox is cleared');
    });

    await step('a pick-up wakes the dark display in the motion mode', async () => {
      await setCheckbox('isEnabled', true);
      await setCheckbox('isAllowTapOnScreenOffEnabled', false);
      await setNumber('wakeMode', 0);
      await setNumber('wakeGestureMode', 0);
      await page.locator('#close-cc').click();
      await untilState('Control Center closed', (s) => s.controlCenter === false);
      // Sampling starts as the lock screen presents, so the lit lock screen is unlocked first.
      await page.locator('#unlock').click();
      await untilState('the lock screen down', (s) => s.lockScreen === false);
      await page.locator('#lock-button').click();
      await untilState('state display false', (s) => s.display === false);
      await untilState('sampling while dark', (s) => s.sampling === true, 10);
      await page.locator('#pose-flat').click();
      await page.locator('#clock-x10').click();
      const flatFrom = (await state()).time;
      await untilState('two seconds of device time lying flat', (s) => s.time >= flatFrom + 2, 10);
      const liftedAt = (await state()).time;
      await page.locator('#pick-up').click();
      await waitFor('state display true within 5 s of device time', async () => {
        const s = await state();
        if (s.display) return true;
        check(s.time < liftedAt + 5, `still dark ${(s.time - liftedAt).toFixed(1)} s after the pick-up`);
        return false;
      }, 15);
      await page.locator('#clock-realtime').click();
      await untilState('the clock back in real time', (s) => s.rate === 1);
      await waitFor('the screen image is lit', screenLit, 10);
      await sleep(1500);  // the plot shows the lift
      await takePicture();
    });

    await step('a refused command shows its error and the page goes on', async () => {
      const input = page.locator('#command-input');
      await input.fill('frobnicate');
      await input.press('Enter');
      const error = page.locator('#command-error');
      await waitFor('the error shows beside the command line', async () =>
        (await error.getAttribute('class')).includes('failed') && (await error.textContent()).includes('frobnicate'));
      const lit = (await state()).display;
      await input.fill('press lock');
      await input.press('Enter');
      await untilState(`the good command turns the display ${lit ? 'off' : 'on'}`, (s) => s.display === !lit);
      await waitFor('the error is gone', async () => !(await error.getAttribute('class')).includes('failed'));
    });

    await step('the saved session replays to the same wakes', async () => {
      const link = page.locator('#save-session');
      check((await link.getAttribute('download')) === 'session.scenario', 'the link saves as session.scenario');
      const href = await link.getAttribute('href');
      const text = await page.evaluate((url) => fetch(url).then((r) => r.text()), href);
      const file = join(work, 'session.scenario');
      writeFileSync(file, text);
      const run = await runScenario(options.sim, file);
      check(run.status === 0, `tessaro-sim --json session.scenario ended with ${run.status}:\n${run.stderr}\n--- the session ---\n${text}`);
      const events = run.stdout.split('\n').filter((l) => l.trim()).map((l) => JSON.parse(l));
      const wanted = { display: events.filter(isDisplayOn).length, performTheAction: events.filter(isPerformTheAction).length };
      check(wanted.display >= 2 && wanted.performTheAction >= 1, `the run saw the wakes: ${JSON.stringify(wanted)}`);
      // The page's own counts cover every event its timeline received, also rows it no longer keeps.
      await waitFor(`the page's timeline counted ${JSON.stringify(wanted)}`, async () => {
        const seen = await page.evaluate(() => ({
          display: window.tessaro.timeline.countOf('display', (t) => /^on\b/.test(t)),
          performTheAction: window.tessaro.timeline.countOf('tweak', (t) => t.includes('performTheAction')),
        }));
        return (seen.display === wanted.display && seen.performTheAction === wanted.performTheAction) || new NotYet(seen);
      }, 5);
    });

    await step('a recording chosen from disk replays from now', async () => {
      // Two seconds lying flat, at 50 readings a second: what a recorder writes, made here.
      const lines = ['timestamp,gravity x,gravity y,gravity z,user acceleration x,user acceleration y,user acceleration z'];
      for (let i = 0; i <= 100; ++i) lines.push(`${(i * 0.02).toFixed(2)},0,0,-1,0,0,0`);
      const recording = join(work, 'lying-flat.csv');
      writeFileSync(recording, `${lines.join('\n')}\n`);
      await page.locator('#recording-file').setInputFiles(recording);
      await waitFor('the timeline shows the replay of 101 readings', () => timelineHas('scenario', '101 readings'), 10);
      await waitFor('the page says it replays', async () => (await page.locator('#notice').textContent()).includes('lying-flat.csv'));
    });

    await step('the timeline filter shows only the kinds chosen', async () => {
      const shownKinds = () => page.evaluate(() => [...document.querySelectorAll('#timeline .event')]
        .filter((row) => row.checkVisibility()).map((row) => row.dataset.kind));
      await page.locator('#kind-filter > summary').click();
      await page.locator('#kinds-none').click();
      await page.locator('#kind-list input[data-kind="display"]').check();
      const shown = await shownKinds();
      check(shown.length > 0 && shown.every((kind) => kind === 'display'), `rows shown: ${[...new Set(shown)].join(', ') || 'none'}`);
      await page.locator('#kinds-all').click();
      await page.locator('#kind-filter > summary').click();
      check(new Set(await shownKinds()).size > 1, 'every kind is shown again');
    });

    await step('the page fetched nothing from elsewhere and threw nothing', async () => {
      check(elsewhere.length === 0, `requests away from the server: ${elsewhere.join(', ')}`);
      check(pageErrors.length === 0, `errors in the page: ${pageErrors.join('; ')}`);
    });

    if (options.picture && !pictureTaken) await takePicture();
  } finally {
    await browser.close();
    rmSync(work, { recursive: true, force: true });
  }
}

const overall = setTimeout(async () => {
  console.log(`not ok - the whole test ran past ${OVERALL_SECONDS} s`);
  await stopServer();
  process.exit(1);
}, OVERALL_SECONDS * 1000);

let status = 0;
try {
  await main();
} catch (err) {
  failed += 1;
  console.log(`not ok - ${err.message}`);
}
await stopServer();
clearTimeout(overall);
if (failed > 0 && serverLog.length > 0) console.log(`# the server said:\n# ${serverLog.slice(-40).join('\n# ')}`);
console.log(`${passed} passed, ${failed} failed`);
if (failed > 0) status = 1;
process.exit(status);
