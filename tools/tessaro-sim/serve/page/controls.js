// The page's plain controls: buttons that send one command each (data-command), file choosers
// that upload (data-upload), the clock, and the command line.

import { command, setClock, upload } from './api.js';

/** Every button with data-command sends its line. */
export function wireCommandButtons(root, say) {
  root.addEventListener('click', async (e) => {
    const button = e.target.closest('button[data-command]');
    if (!button) return;
    const result = await command(button.dataset.command);
    if (result.error) say(result.error, true);
  });
}

/** Every file input with data-upload sends the chosen file as that kind. */
export function wireUploads(root, say) {
  root.addEventListener('change', async (e) => {
    const input = e.target.closest('input[type=file][data-upload]');
    if (!input || !input.files || input.files.length === 0) return;
    const file = input.files[0];
    const result = await upload(input.dataset.upload, file);
    if (result.error) say(`${file.name}: ${result.error}`, true);
    else say(`${file.name}: ${input.dataset.upload === 'recording' ? 'replaying from now' : 'put in place'}`);
    input.value = '';  // the same file may be chosen again
  });
}

/** The clock's buttons (data-rate) set its rate; showRate marks the one in force. */
export function wireClock(buttons, say) {
  for (const button of buttons) {
    button.addEventListener('click', async () => {
      const result = await setClock(Number(button.dataset.rate));
      if (result.error) say(result.error, true);
    });
  }
  return (rate) => {
    for (const button of buttons) button.setAttribute('aria-pressed', String(Number(button.dataset.rate) === rate));
  };
}

/**
 * The command line: Enter sends it; a refused line's message stays beside it until the next
 * line is sent. Up and Down go through the lines sent before.
 */
export function wireCommandLine(form, input, error) {
  const history = [];
  let place = 0;
  form.addEventListener('submit', async (e) => {
    e.preventDefault();
    const line = input.value.trim();
    if (line === '') return;
    history.push(line);
    place = history.length;
    input.value = '';
    error.textContent = '';
    error.classList.remove('failed');
    const result = await command(line);
    if (result.error) {
      error.textContent = result.error;
      error.classList.add('failed');
    } else if (result.ok === false) {
      const failed = (result.events ?? []).find((event) => event && event.ok === false);
      error.textContent = failed && failed.text ? String(failed.text) : `${line}: the expectation did not hold`;
      error.classList.add('failed');
    } else {
      error.textContent = `${line}: done`;
    }
    form.dataset.last = result.error ? 'error' : result.ok === false ? 'failed' : 'ok';
  });
  input.addEventListener('keydown', (e) => {
    if (e.key === 'ArrowUp' && place > 0) {
      place -= 1;
      input.value = history[place];
      e.preventDefault();
    } else if (e.key === 'ArrowDown' && place < history.length) {
      place += 1;
      input.value = history[place] ?? '';
      e.preventDefault();
    }
  });
}
