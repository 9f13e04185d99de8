// The phone's body: its screen image, the home button held for as long as the user holds it,
// the side button, and taps on Control Center's toggles drawn on the screen.

import { command } from './api.js';

/**
 * Keeps the <img> showing the newest frame. A frame is fetched only once the previous one has
 * loaded (or failed), and frames that came meanwhile are skipped for the newest, so a slow
 * decode never builds up a backlog and the picture keeps up with the device.
 */
export class ScreenView {
  constructor(img) {
    this.img = img;
    this.wanted = -1;   // the newest frame the server announced
    this.loading = -1;  // the frame being fetched, -1 when idle
    this.shown = -1;
    img.addEventListener('load', () => this.settled(true));
    img.addEventListener('error', () => this.settled(false));
  }

  /** The server said frame N is on the screen. */
  announce(frame) {
    if (!Number.isInteger(frame) || frame <= this.wanted) return;
    this.wanted = frame;
    if (this.loading < 0) this.fetch();
  }

  fetch() {
    this.loading = this.wanted;
    this.img.src = `/api/screen.png?frame=${this.loading}`;
  }

  settled(loaded) {
    if (loaded) {
      this.shown = this.loading;
      this.img.dataset.frame = String(this.shown);
    }
    this.loading = -1;
    // A failed fetch is retried only when a newer frame is announced.
    if (this.wanted > this.shown && loaded) this.fetch();
  }

  /** Sizes the image to the screen in points (its PNG is at the screen's scale). */
  setScreen(screen) {
    if (!screen || !screen.width || !screen.height) return;
    if (this.img.width !== screen.width) this.img.width = screen.width;
    if (this.img.height !== screen.height) this.img.height = screen.height;
  }
}

/**
 * The home button goes down when the pointer (or Space/Enter) goes down on it and up when it
 * is released or leaves it, so the user's own timing makes clicks, double presses and holds.
 */
export function wireHomeButton(button) {
  let down = false;
  const press = () => {
    if (down) return;
    down = true;
    button.classList.add('pressed');
    command('home down');
  };
  const release = () => {
    if (!down) return;
    down = false;
    button.classList.remove('pressed');
    command('home up');
  };
  button.addEventListener('pointerdown', (e) => {
    if (e.button !== 0) return;
    e.preventDefault();  // no focus change or text selection to compete with the press
    press();
  });
  button.addEventListener('pointerup', release);
  button.addEventListener('pointerleave', release);
  button.addEventListener('pointercancel', release);
  button.addEventListener('contextmenu', (e) => e.preventDefault());  // a long touch is a hold
  button.addEventListener('keydown', (e) => {
    if ((e.key === ' ' || e.key === 'Enter') && !e.repeat) {
      e.preventDefault();
      press();
    }
  });
  button.addEventListener('keyup', (e) => {
    if (e.key === ' ' || e.key === 'Enter') {
      e.preventDefault();
      release();
    }
  });
  button.addEventListener('blur', release);
  window.addEventListener('blur', release);
}

/** The point of the screen (in points) under a click on the image. */
export function screenPoint(img, screen, clientX, clientY) {
  const box = img.getBoundingClientRect();
  if (box.width <= 0 || box.height <= 0) return null;
  return {
    x: ((clientX - box.left) / box.width) * screen.width,
    y: ((clientY - box.top) / box.height) * screen.height,
  };
}

/** The toggle whose frame holds the point, or null. */
export function toggleAt(toggles, point) {
  for (const toggle of toggles ?? []) {
    const f = toggle.frame;
    if (f && point.x >= f.x && point.x < f.x + f.width && point.y >= f.y && point.y < f.y + f.height) return toggle;
  }
  return null;
}

/** Taps on the screen reach the toggle under them; getState gives the newest STATE. */
export function wireScreenTaps(img, getState, say) {
  img.addEventListener('click', (e) => {
    const state = getState();
    if (!state || !state.screen) return;
    const point = screenPoint(img, state.screen, e.clientX, e.clientY);
    if (!point) return;
    const toggle = toggleAt(state.toggles, point);
    if (toggle) {
      command(`tap toggle ${toggle.identifier}`);
    } else if (state.controlCenter) {
      say(`no toggle at (${point.x.toFixed(0)}, ${point.y.toFixed(0)})`);
    } else {
      say('taps reach the toggles while Control Center is open');
    }
  });
}

/** A toggle's short name: its identifier's last part without "Module", words joined by "-". */
export function shortName(identifier) {
  const last = String(identifier).split('.').pop().replace(/module$/i, '');
  return last.replace(/([a-z0-9])([A-Z])/g, '$1-$2').toLowerCase();
}

/**
 * One button a toggle, for keyboards and screen readers (the image's toggles take only clicks):
 * pressed while selected, usable while Control Center shows the toggle.
 */
export function showToggleButtons(container, state) {
  const toggles = Array.isArray(state.toggles) ? state.toggles : [];
  const ids = toggles.map((t) => t.identifier).join('\n');
  if (container.dataset.ids !== ids) {
    container.replaceChildren(...toggles.map((t) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.command = `tap toggle ${t.identifier}`;
      button.dataset.toggle = t.identifier;
      button.textContent = shortName(t.identifier);
      button.title = `tap ${t.identifier}`;
      return button;
    }));
    container.dataset.ids = ids;
  }
  toggles.forEach((t, i) => {
    const button = container.children[i];
    button.setAttribute('aria-pressed', String(Boolean(t.selected)));
    button.disabled = !state.controlCenter || !t.frame;
  });
}
