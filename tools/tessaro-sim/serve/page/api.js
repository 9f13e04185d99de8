// The page's side of the HTTP interface of `tessaro-sim serve`.
//
// Every request that changes the device (commands, the clock, uploads) goes through one queue, so
// they reach the server in the order the user made them: a `home up` never overtakes its
// `home down`, however long the server takes over the first. Each settles to a plain result
// ({ok, events} or {error}) rather than throwing, so a refused line never stops the page.

let tail = Promise.resolve();
const settledListeners = new Set();

/** Calls listener(result, what) after each queued request settles, in order. */
export function onSettled(listener) {
  settledListeners.add(listener);
  return () => settledListeners.delete(listener);
}

function enqueue(what, send) {
  const result = tail.then(send).catch((err) => ({ error: `the server did not answer (${err.message})` }));
  tail = result.then((settled) => {
    for (const listener of settledListeners) {
      try {
        listener(settled, what);
      } catch (err) {
        console.error(err);
      }
    }
  });
  return result;
}

// A JSON answer, or the server's {"error"} on a 4xx, or a message naming the status.
async function answer(response) {
  let body = null;
  try {
    body = await response.json();
  } catch {
    body = null;
  }
  if (response.ok) return body ?? {};
  const message = body && typeof body.error === 'string' ? body.error : `${response.status} ${response.statusText}`;
  return { error: message, status: response.status };
}

/** Sends one scenario line; resolves to {ok, events} or {error}. */
export function command(line) {
  return enqueue(line, async () =>
    answer(await fetch('/api/command', { method: 'POST', headers: { 'Content-Type': 'text/plain' }, body: line })));
}

/** Sets the clock's rate: 0 (paused), 1 (real time) or 10. */
export function setClock(rate) {
  return enqueue(`clock ${rate}`, async () =>
    answer(await fetch('/api/clock', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ rate }),
    })));
}

/** Uploads a file the user chose: kind is "recording", "settings" or "styling". */
export function upload(kind, file) {
  const query = new URLSearchParams({ kind, name: file.name });
  return enqueue(`upload ${kind} ${file.name}`, async () =>
    answer(await fetch(`/api/upload?${query}`, {
      method: 'POST',
      headers: { 'Content-Type': 'application/octet-stream' },
      body: await file.arrayBuffer(),
    })));
}

/** A GET of a JSON resource; throws on failure (callers retry on the next change). */
export async function getJSON(path) {
  const response = await fetch(path, { cache: 'no-store' });
  const body = await answer(response);
  if (body.error) throw new Error(`${path}: ${body.error}`);
  return body;
}

/** A string value for a scenario line, always quoted (so "3" stays a string and "#" no comment). */
export function quoteString(text) {
  return `"${text.replace(/[\\"]/g, (c) => `\\${c}`).replace(/\n/g, '\\n').replace(/\t/g, '\\t')}"`;
}
