// A live plot of the motion world over the last WINDOW seconds of device time: gravity on top
// (a fixed ±1.2 g, since it is a unit vector), user acceleration below (scaled to what it
// holds, at least ±0.5 g). Drawn at most once an animation frame.

const WINDOW = 10;
const AXES = [
  { name: 'x', colour: '#ef6f5e' },
  { name: 'y', colour: '#5fcf80' },
  { name: 'z', colour: '#5aa9f0' },
];

export class MotionPlot {
  constructor(canvas) {
    this.canvas = canvas;
    this.samples = [];  // {time, gravity, user}
    this.frameRequested = false;
    this.resize();
    new ResizeObserver(() => this.resize()).observe(canvas);
  }

  resize() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(this.canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(this.canvas.clientHeight * ratio));
    if (this.canvas.width !== width || this.canvas.height !== height) {
      this.canvas.width = width;
      this.canvas.height = height;
    }
    this.invalidate();
  }

  add(sample) {
    if (!sample || typeof sample.time !== 'number' || !Array.isArray(sample.gravity) || !Array.isArray(sample.user)) return;
    const last = this.samples[this.samples.length - 1];
    if (last && sample.time < last.time) this.samples = [];  // a new device: start over
    this.samples.push(sample);
    const from = sample.time - WINDOW;
    let drop = 0;
    while (drop < this.samples.length - 1 && this.samples[drop + 1].time < from) ++drop;
    if (drop > 0) this.samples.splice(0, drop);
    this.invalidate();
  }

  invalidate() {
    if (this.frameRequested) return;
    this.frameRequested = true;
    requestAnimationFrame(() => this.draw());
  }

  draw() {
    this.frameRequested = false;
    const ctx = this.canvas.getContext('2d');
    const { width, height } = this.canvas;
    const ratio = window.devicePixelRatio || 1;
    ctx.clearRect(0, 0, width, height);
    ctx.font = `${11 * ratio}px system-ui, -apple-system, "Segoe UI", Roboto, "Noto Sans", sans-serif`;
    const legend = 16 * ratio;
    const gap = 8 * ratio;
    const panel = (height - legend - gap) / 2;
    const now = this.samples.length ? this.samples[this.samples.length - 1].time : WINDOW;
    let userRange = 0.5;
    for (const s of this.samples) for (const v of s.user) if (Number.isFinite(v)) userRange = Math.max(userRange, Math.abs(v) * 1.1);
    this.panel(ctx, 'gravity (g)', 'gravity', 1.2, legend, panel, now, ratio);
    this.panel(ctx, 'user acceleration (g)', 'user', userRange, legend + panel + gap, panel, now, ratio);
    let x = 4 * ratio;
    for (const axis of AXES) {
      ctx.fillStyle = axis.colour;
      ctx.fillRect(x, 5 * ratio, 10 * ratio, 3 * ratio);
      ctx.fillStyle = '#c9d1d9';
      ctx.fillText(axis.name, x + 13 * ratio, 11 * ratio);
      x += 34 * ratio;
    }
    ctx.fillStyle = '#8b96a3';
    ctx.textAlign = 'right';
    ctx.fillText(`last ${WINDOW} s, device time ${now.toFixed(1)} s`, width - 4 * ratio, 11 * ratio);
    ctx.textAlign = 'left';
  }

  panel(ctx, title, field, range, top, height, now, ratio) {
    const { width } = this.canvas;
    const left = 30 * ratio;
    const plotWidth = width - left - 4 * ratio;
    const y = (v) => top + height / 2 - (v / range) * (height / 2);
    const x = (t) => left + ((t - (now - WINDOW)) / WINDOW) * plotWidth;
    ctx.fillStyle = '#11161c';
    ctx.fillRect(left, top, plotWidth, height);
    ctx.strokeStyle = '#2c3540';
    ctx.lineWidth = ratio;
    ctx.beginPath();
    ctx.moveTo(left, y(0));
    ctx.lineTo(left + plotWidth, y(0));
    ctx.stroke();
    ctx.fillStyle = '#8b96a3';
    ctx.fillText(title, left + 4 * ratio, top + 12 * ratio);
    ctx.textAlign = 'right';
    ctx.fillText(`+${range.toFixed(1)}`, left - 3 * ratio, top + 9 * ratio);
    ctx.fillText(`−${range.toFixed(1)}`, left - 3 * ratio, top + height);
    ctx.textAlign = 'left';
    ctx.save();
    ctx.beginPath();
    ctx.rect(left, top, plotWidth, height);
    ctx.clip();
    ctx.lineWidth = 1.5 * ratio;
    AXES.forEach((axis, i) => {
      ctx.strokeStyle = axis.colour;
      ctx.beginPath();
      let drawing = false;
      for (const s of this.samples) {
        const v = s[field][i];
        if (!Number.isFinite(v)) {
          drawing = false;  // a reading that is not a number leaves a gap
          continue;
        }
        if (drawing) ctx.lineTo(x(s.time), y(v));
        else ctx.moveTo(x(s.time), y(v));
        drawing = true;
      }
      ctx.stroke();
    });
    ctx.restore();
  }
}
