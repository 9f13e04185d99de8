// The settings and styling forms, made from GET /api/settings: one row a key with its kind,
// default and meaning, what the file holds and (settings) what the tweak read. A change is
// sent as the settings editor makes it (`set KEY VALUE`, `style KEY VALUE`); the forms are
// fetched again after every command, so they show what the device holds, not what was typed.

import { command, getJSON, quoteString } from './api.js';

const KINDS = {
  settings: { set: 'set', unset: 'unset', idPrefix: 'setting', showRead: true },
  styling: { set: 'style', unset: 'unstyle', idPrefix: 'styling', showRead: false },
};

/** A VALUE of /api/settings as the timeline writes values. */
export function formatValue(value) {
  if (value === null || value === undefined) return 'absent';
  if (value === true) return 'YES';
  if (value === false) return 'NO';
  if (typeof value === 'string') return JSON.stringify(value);
  return String(value);
}

// A boolean as the tweak reads it: YES for any non-zero number, also one held in a string.
function truthy(value) {
  if (typeof value === 'boolean') return value;
  if (typeof value === 'number') return value !== 0;
  if (typeof value === 'string') {
    if (/^(yes|true)$/i.test(value.trim())) return true;
    const n = Number.parseFloat(value);
    return Number.isFinite(n) && n !== 0;
  }
  return false;
}

/** The scenario word for what the user put in the input, or null to remove the key. */
export function valueWord(type, input) {
  if (type === 'boolean') return input.checked ? 'YES' : 'NO';
  const text = input.value.trim();
  if (text === '') return null;
  if (type === 'colour') return quoteString(text);
  // The settings editor stores its sliders as reals: 7 becomes 7.0, which the file keeps as a real.
  if (type === 'real' && /^[-+]?\d+$/.test(text)) return `${text}.0`;
  return text;
}

// Keys the tweak reads only when SpringBoard builds the home button's recognizers: a change
// takes effect on a phone after SpringBoard starts again, here after `rebuild-home-gestures`.
const READ_WITH_HOME_GESTURES = new Set(['isAllowTapOnScreenOffEnabled']);

// Whether the home button's present configuration holds Tessaro's recognizers, from the line
// `show home-gestures` adds to the timeline; null when the answer does not say.
function configurationHasTessaro(result) {
  for (const event of result.events ?? []) {
    if (event.configuration && typeof event.configuration === 'object') {
      return Boolean(event.configuration.longTapGestureRecognizer);
    }
    const text = String(event.text ?? '');
    if (text.startsWith('home gestures:')) return text.split(';')[0].includes('longTapFired:');
  }
  return null;
}

/** After the key is turned on, the home button gets Tessaro's recognizers if it lacks them. */
async function applyHomeGestureKey(say) {
  const shown = await command('show home-gestures');
  if (configurationHasTessaro(shown) === true) return;
  const rebuilt = await command('rebuild-home-gestures');
  if (!rebuilt.error) say('SpringBoard rebuilt the home gestures, so the tweak reads isAllowTapOnScreenOffEnabled now');
}

export class SettingsForms {
  constructor({ settings, styling }, say) {
    this.forms = { settings, styling };
    this.say = say;
    this.rows = { settings: new Map(), styling: new Map() };
    this.refreshing = false;
    this.again = false;
    for (const [kind, form] of Object.entries(this.forms)) {
      form.addEventListener('submit', (e) => e.preventDefault());
      form.addEventListener('input', (e) => {
        if (e.target.matches('input[data-key]')) e.target.dataset.typed = 'true';
      });
      form.addEventListener('change', (e) => {
        if (!e.target.matches('input[data-key]')) return;
        e.target.dataset.typed = 'false';
        this.changed(kind, e.target);
      });
      form.addEventListener('click', (e) => {
        const button = e.target.closest('button[data-unset]');
        if (button) this.send(kind, `${KINDS[kind].unset} ${button.dataset.unset}`);
      });
    }
  }

  async changed(kind, input) {
    const key = input.dataset.key;
    const row = this.rows[kind].get(key);
    const word = valueWord(row.type, input);
    const line = word === null ? `${KINDS[kind].unset} ${key}` : `${KINDS[kind].set} ${key} ${word}`;
    const result = await this.send(kind, line);
    if (!result.error && kind === 'settings' && READ_WITH_HOME_GESTURES.has(key) && word === 'YES') {
      await applyHomeGestureKey(this.say);
    }
  }

  async send(kind, line) {
    const result = await command(line);
    if (result.error) this.say(result.error, true);
    return result;
  }

  /** Fetches the keys again; calls that come while one is on its way make one more. */
  async refresh() {
    if (this.refreshing) {
      this.again = true;
      return;
    }
    this.refreshing = true;
    try {
      do {
        this.again = false;
        let answer;
        try {
          answer = await getJSON('/api/settings');
        } catch (err) {
          this.say(err.message, true);
          return;
        }
        for (const kind of Object.keys(this.forms)) this.show(kind, Array.isArray(answer[kind]) ? answer[kind] : []);
      } while (this.again);
    } finally {
      this.refreshing = false;
    }
  }

  show(kind, keys) {
    const rows = this.rows[kind];
    const names = keys.map((k) => k.key).join('\n');
    if (names !== this.forms[kind].dataset.keys) this.build(kind, keys);
    for (const key of keys) {
      const row = rows.get(key.key);
      if (row) this.fill(row, key);
    }
    this.forms[kind].dataset.loaded = 'true';
  }

  build(kind, keys) {
    const { idPrefix, showRead } = KINDS[kind];
    const form = this.forms[kind];
    const table = document.createElement('table');
    const head = table.createTHead().insertRow();
    const columns = [['key', ''], ['value', ''], ['in the file', 'file-column'], ...(showRead ? [['tweak read', 'read-column']] : []), ['', '']];
    for (const [title, className] of columns) {
      const th = document.createElement('th');
      th.scope = 'col';
      th.textContent = title;
      if (className) th.className = className;
      head.append(th);
    }
    const body = table.createTBody();
    const rows = this.rows[kind];
    rows.clear();
    for (const key of keys) {
      const tr = body.insertRow();
      tr.dataset.row = key.key;
      const id = `${idPrefix}-${key.key}`;

      const name = tr.insertCell();
      const label = document.createElement('label');
      label.htmlFor = id;
      label.className = 'key-name';
      label.textContent = key.key;
      const about = document.createElement('div');
      about.className = 'key-about';
      about.textContent = `${key.type}, default ${key.default}: ${key.meaning}`;
      if (kind === 'settings' && READ_WITH_HOME_GESTURES.has(key.key)) {
        about.textContent += ' (read when SpringBoard builds the home gestures: turning it on rebuilds them)';
      }
      name.append(label, about);

      const cell = tr.insertCell();
      const input = document.createElement('input');
      input.id = id;
      input.dataset.key = key.key;
      input.dataset.testid = id;
      if (key.type === 'boolean') {
        input.type = 'checkbox';
      } else if (key.type === 'integer' || key.type === 'real') {
        input.type = 'number';
        input.step = key.type === 'integer' ? '1' : 'any';
        input.inputMode = key.type === 'integer' ? 'numeric' : 'decimal';
      } else {
        input.type = 'text';
        input.spellcheck = false;
        input.size = 10;
      }
      input.setAttribute('aria-describedby', `${id}-file`);
      cell.append(input);

      const file = tr.insertCell();
      file.id = `${id}-file`;
      file.className = 'file-value';
      const read = showRead ? tr.insertCell() : null;
      if (read) read.className = 'read-value';

      const removeCell = tr.insertCell();
      const remove = document.createElement('button');
      remove.type = 'button';
      remove.className = 'unset';
      remove.dataset.unset = key.key;
      remove.textContent = '×';
      remove.title = `remove ${key.key} from the file`;
      remove.setAttribute('aria-label', `remove ${key.key} from the file`);
      removeCell.append(remove);

      rows.set(key.key, { type: key.type, defaultValue: key.default, input, file, read, remove, tr });
    }
    form.replaceChildren(table);
    form.dataset.keys = keys.map((k) => k.key).join('\n');
  }

  fill(row, key) {
    const { input } = row;
    row.type = key.type;
    row.file.textContent = formatValue(key.file);
    if (row.read) row.read.textContent = formatValue(key.read);
    row.tr.classList.toggle('absent', key.file === null || key.file === undefined);
    row.remove.disabled = key.file === null || key.file === undefined;
    if (key.type === 'boolean') {
      input.checked = truthy(key.file ?? key.default);
      return;
    }
    input.placeholder = key.default ?? '';
    // The value being typed stays until the user commits it.
    if (document.activeElement === input && input.dataset.typed === 'true') return;
    input.value = key.file === null || key.file === undefined ? '' : String(key.file);
  }
}
