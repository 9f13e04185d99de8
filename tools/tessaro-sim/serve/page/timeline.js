// The live timeline: one row an event, newest at the bottom, following the end while the user
// is there. Events arrive in bursts (the whole history on connect), so rows are added once an
// animation frame, and only the newest MAX_ROWS stay in the document. Counts by kind and text
// cover every event seen, also those whose rows were dropped.

const MAX_ROWS = 2000;

export class Timeline {
  constructor({ list, kindList, count, allButton, noneButton }) {
    this.list = list;
    this.kindList = kindList;
    this.countLabel = count;
    this.pending = [];
    this.hidden = new Set();
    this.kinds = new Map();   // kind -> its checkbox
    this.counts = new Map();  // kind -> number of events
    this.texts = new Map();   // "kind\ttext" -> number of events
    this.total = 0;
    this.scheduled = false;
    allButton.addEventListener('click', () => this.showKinds(true));
    noneButton.addEventListener('click', () => this.showKinds(false));
  }

  /** Forgets everything: the server sends the history again after a reconnect. */
  clear() {
    this.pending = [];
    this.list.replaceChildren();
    this.counts.clear();
    this.texts.clear();
    this.total = 0;
    this.updateCount();
  }

  add(event) {
    if (!event || typeof event !== 'object') return;
    const kind = String(event.event ?? '?');
    const text = String(event.text ?? '');
    this.total += 1;
    this.counts.set(kind, (this.counts.get(kind) ?? 0) + 1);
    const key = `${kind}\t${text}`;
    this.texts.set(key, (this.texts.get(key) ?? 0) + 1);
    this.pending.push({ time: event.time, kind, text });
    if (!this.kinds.has(kind)) this.addKind(kind);
    if (!this.scheduled) {
      this.scheduled = true;
      requestAnimationFrame(() => this.flush());
    }
  }

  /** How many events of the kind were seen whose text passes the test (all of them without one). */
  countOf(kind, test) {
    if (!test) return this.counts.get(kind) ?? 0;
    let n = 0;
    for (const [key, count] of this.texts) {
      const tab = key.indexOf('\t');
      if (key.slice(0, tab) === kind && test(key.slice(tab + 1))) n += count;
    }
    return n;
  }

  flush() {
    this.scheduled = false;
    const list = this.list;
    const following = list.scrollHeight - list.scrollTop - list.clientHeight < 24;
    const batch = this.pending.length > MAX_ROWS ? this.pending.slice(-MAX_ROWS) : this.pending;
    this.pending = [];
    const fragment = document.createDocumentFragment();
    for (const { time, kind, text } of batch) fragment.append(this.row(time, kind, text));
    list.append(fragment);
    for (let extra = list.childElementCount - MAX_ROWS; extra > 0; --extra) list.firstElementChild.remove();
    this.updateCount();
    if (following) list.scrollTop = list.scrollHeight;
  }

  row(time, kind, text) {
    const row = document.createElement('div');
    row.className = 'event';
    row.dataset.kind = kind;
    row.hidden = this.hidden.has(kind);
    const t = document.createElement('span');
    t.className = 'time';
    t.textContent = typeof time === 'number' ? time.toFixed(3) : String(time ?? '');
    const k = document.createElement('span');
    k.className = 'kind';
    k.textContent = kind;
    const x = document.createElement('span');
    x.className = 'text';
    x.textContent = text;
    row.append(t, k, x);
    return row;
  }

  addKind(kind) {
    const label = document.createElement('label');
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.checked = !this.hidden.has(kind);
    box.dataset.kind = kind;
    box.addEventListener('change', () => this.setShown(kind, box.checked));
    label.append(box, ` ${kind}`);
    // Kept in alphabetical order, so a kind is easy to find however late it first came.
    const after = [...this.kinds.keys()].filter((k) => k > kind).sort()[0];
    this.kindList.insertBefore(label, after ? this.kinds.get(after).parentElement : null);
    this.kinds.set(kind, box);
  }

  setShown(kind, shown) {
    if (shown) this.hidden.delete(kind);
    else this.hidden.add(kind);
    for (const row of this.list.children) {
      if (row.dataset.kind === kind) row.hidden = !shown;
    }
    this.updateCount();
  }

  showKinds(shown) {
    for (const [kind, box] of this.kinds) {
      box.checked = shown;
      if (shown) this.hidden.delete(kind);
      else this.hidden.add(kind);
    }
    for (const row of this.list.children) row.hidden = !shown;
    this.updateCount();
  }

  updateCount() {
    const rows = this.list.childElementCount;
    const dropped = this.total - rows - this.pending.length;
    let text = `${this.total} events`;
    if (dropped > 0) text += `, the last ${rows} shown`;
    if (this.hidden.size > 0) text += `, ${this.hidden.size} kind${this.hidden.size === 1 ? '' : 's'} hidden`;
    this.countLabel.textContent = text;
  }
}
