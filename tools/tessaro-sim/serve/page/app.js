// The page of `tessaro-sim serve`: wires the phone, the controls, the forms, the timeline and
// the plot to the server's event stream. The server is the only source of truth: the page
// shows what the stream and the GETs say, and changes the device only through commands.

import { getJSON, onSettled } from './api.js';
import { wireClock, wireCommandButtons, wireCommandLine, wireUploads } from './controls.js';
import { ScreenView, showToggleButtons, wireHomeButton, wireScreenTaps } from './phone.js';
import { MotionPlot } from './plot.js';
import { SettingsForms } from './settings.js';
import { Timeline } from './timeline.js';

const $ = (id) => document.getElementById(id);

const notice = $('notice');
let noticeTimer = 0;
/** A short message under the phone; errors stay longer. */
function say(message, isError = false) {
  notice.textContent = message;
  notice.classList.toggle('error', isError);
  clearTimeout(noticeTimer);
  noticeTimer = setTimeout(() => { notice.textContent = ''; }, isError ? 10000 : 4000);
}

const screen = new ScreenView($('screen'));
const timeline = new Timeline({
  list: $('timeline'),
  kindList: $('kind-list'),
  count: $('timeline-count'),
  allButton: $('kinds-all'),
  noneButton: $('kinds-none'),
});
const plot = new MotionPlot($('motion-plot'));
const forms = new SettingsForms({ settings: $('settings-form'), styling: $('styling-form') }, say);
const showRate = wireClock(document.querySelectorAll('button[data-rate]'), say);

let state = null;

function badge(id, on, onText, offText) {
  const element = $(id);
  element.dataset.on = String(Boolean(on));
  element.querySelector('b').textContent = on ? onText : offText;
}

function showTime(time) {
  if (typeof time === 'number') $('device-time').textContent = time.toFixed(3);
}

function showState(next) {
  if (!next || typeof next !== 'object') return;
  state = next;
  badge('badge-display', next.display, 'on', 'off');
  badge('badge-lockscreen', next.lockScreen, 'up', 'down');
  badge('badge-sampling', next.sampling, 'on', 'off');
  badge('badge-cc', next.controlCenter, 'open', 'closed');
  showTime(next.time);
  $('clock-rate').textContent = next.rate === 0 ? 'paused' : `×${next.rate}`;
  showRate(next.rate);
  screen.setScreen(next.screen);
  screen.announce(next.frame);
  showToggleButtons($('toggle-buttons'), next);
  $('phone').classList.toggle('dark', !next.display);
  $('phone').classList.toggle('home-down', Boolean(next.homeDown));
}

wireHomeButton($('home-button'));
wireScreenTaps($('screen'), () => state, say);
wireCommandButtons(document.body, say);
wireUploads(document.body, say);
wireCommandLine($('command-form'), $('command-input'), $('command-error'));

// Whatever a command did may have changed the files: show them again.
onSettled(() => forms.refresh());

function parse(data) {
  try {
    return JSON.parse(data);
  } catch {
    return null;
  }
}

// Events that change a file the forms show.
const FILE_KINDS = new Set(['file.write', 'file.remove']);

function connect() {
  const connection = $('connection');
  const stream = new EventSource('/api/events');
  stream.addEventListener('open', () => {
    // The server sends the history again on every connection.
    timeline.clear();
    connection.dataset.state = 'live';
    connection.textContent = 'live';
    getJSON('/api/state').then(showState, (err) => say(err.message, true));
    forms.refresh();
  });
  stream.addEventListener('error', () => {
    connection.dataset.state = 'lost';
    connection.textContent = stream.readyState === EventSource.CLOSED ? 'disconnected' : 'reconnecting';
  });
  stream.addEventListener('message', (e) => {
    const event = parse(e.data);
    if (!event) return;
    timeline.add(event);
    if (FILE_KINDS.has(event.event)) forms.refresh();
  });
  stream.addEventListener('frame', (e) => {
    const frame = parse(e.data);
    if (!frame) return;
    showTime(frame.time);
    screen.announce(frame.frame);
  });
  stream.addEventListener('state', (e) => showState(parse(e.data)));
  stream.addEventListener('motion', (e) => {
    const sample = parse(e.data);
    if (!sample) return;
    showTime(sample.time);
    plot.add(sample);
  });
}

connect();

// For a look from the browser's console.
window.tessaro = { timeline, get state() { return state; } };
