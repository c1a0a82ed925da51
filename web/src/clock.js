// A chess clock counted from timestamps: the time left is always worked out
// from when the running side's turn began, so a page whose timers are held
// back (a background tab) never drifts. Plain data, saved as JSON with the
// game; `now` is a timestamp in ms (Date.now()).
//   { initialMs, incrementMs, left: { w, b }, turn: 'w' | 'b', since }
// left: each side's time at the start of its current or next turn;
// since: when the running side's turn began, null while the clock is stopped.
export const timeControls = ['1+0', '3+2', '5+3', '10+5', '15+10'].map((name) => parseTimeControl(name));

// "M+S" (minutes, possibly fractional, up to 180; increment in whole
// seconds, up to 60) -> { name, initialMs, incrementMs }, else null.
export function parseTimeControl(text) {
  const match = /^(\d+(?:\.\d+)?)\+(\d+)$/.exec(String(text).trim());
  if (!match) return null;
  const [minutes, seconds] = [Number(match[1]), Number(match[2])];
  if (!(minutes > 0 && minutes <= 180 && seconds <= 60)) return null;
  return { name: `${match[1]}+${match[2]}`, initialMs: Math.round(minutes * 60000), incrementMs: seconds * 1000 };
}

export const newClock = ({ initialMs, incrementMs }) =>
  ({ initialMs, incrementMs, left: { w: initialMs, b: initialMs }, turn: 'w', since: null });

export function startClock(clock, turn, now) {
  clock.turn = turn;
  clock.since = now;
}

export function timeLeft(clock, side, now) {
  const running = clock.since !== null && clock.turn === side;
  return Math.max(0, clock.left[side] - (running ? now - clock.since : 0));
}

export const flagged = (clock, now) => (clock.since !== null && timeLeft(clock, clock.turn, now) === 0 ? clock.turn : null);

export function stopClock(clock, now) {
  if (clock.since === null) return;
  clock.left[clock.turn] = timeLeft(clock, clock.turn, now);
  clock.since = null;
}

// The running side has moved: its time taken off and the increment added,
// and the other side runs from now. A side whose time had already run out
// gets no increment and the clock stops: its flag fell.
export function pressClock(clock, now) {
  const side = clock.turn;
  if (flagged(clock, now)) {
    stopClock(clock, now);
    return;
  }
  clock.left[side] = timeLeft(clock, side, now) + clock.incrementMs;
  startClock(clock, side === 'w' ? 'b' : 'w', now);
}

// Low time: under a tenth of the starting time or under 10 seconds,
// whichever comes first.
export const lowTime = (clock, side, now) => timeLeft(clock, side, now) < Math.min(10000, clock.initialMs / 10);

// "4:59", "1:02:03", and tenths under 10 s ("0:09.4"); rounded down, so the
// clock shows 0:00.0 only when the time is gone.
export function formatClock(ms) {
  const tenths = Math.floor(ms / 100);
  const seconds = Math.floor(tenths / 10);
  const [h, m, s] = [Math.floor(seconds / 3600), Math.floor(seconds / 60) % 60, seconds % 60];
  const minutes = h ? `${h}:${String(m).padStart(2, '0')}` : String(m);
  return `${minutes}:${String(s).padStart(2, '0')}${ms < 10000 ? `.${tenths % 10}` : ''}`;
}
