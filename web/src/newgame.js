// The new-game dialog: the user's colour, the engine's strength and the
// time control, the last choices remembered. Strengths are the engine's
// levels by Elo (UCI_Elo, 800 to 1700 in steps of 100) with full strength
// last; time controls are a time per move or a clock with increment, the
// offered ones or a custom "minutes+seconds".
import { parseTimeControl, timeControls } from './clock.js';
import { saved, store } from './settings.js';

export const LEVELS = [800, 900, 1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700];
export const MOVE_TIMES = [500, 1000, 2000, 3000, 5000, 10000, 20000, 30000];
const DEFAULT = { colour: 'white', strength: 'full', time: 'move:2000' };

export const levelName = (level) => (level ? `TORLO ${level}` : 'TORLO');
export const strengthText = (level) => (level ? `Elo ${level}` : 'Full strength');

// A time control from its select value: { kind: 'move', ms } or
// { kind: 'clock', name, initialMs, incrementMs }; null for one not understood.
export function timeControlOf(value, custom = '') {
  const [kind, rest] = value.split(':');
  if (kind === 'move' && MOVE_TIMES.includes(Number(rest))) return { kind, ms: Number(rest) };
  const clock = kind === 'clock' ? parseTimeControl(rest) : kind === 'custom' ? parseTimeControl(custom.trim()) : null;
  return clock ? { kind: 'clock', ...clock } : null;
}

export const timeControlText = (tc) => (tc.kind === 'move' ? `${tc.ms / 1000} s per move` : tc.name);
// PGN's TimeControl tag: "180+2" for a clock, "-" for none (a time per move is not a clock).
export const pgnTimeControl = (tc) => (tc.kind === 'move' ? '-' : `${tc.initialMs / 1000}+${tc.incrementMs / 1000}`);

function remembered() {
  try {
    return { ...DEFAULT, ...JSON.parse(saved('new-game') || '{}') };
  } catch {
    return DEFAULT;
  }
}

export function fillNewGameDialog($) {
  $('ng-strength').replaceChildren(...LEVELS.map((elo) => new Option(strengthText(elo), String(elo))),
    new Option('Full strength (about 1800)', 'full'));
  $('ng-time').replaceChildren(...MOVE_TIMES.map((ms) => new Option(`${ms / 1000} s per move`, `move:${ms}`)),
    ...timeControls.map((tc) => new Option(`${tc.name} clock`, `clock:${tc.name}`)), new Option('Custom clock…', 'custom'));
  const last = remembered();
  for (const [id, value] of [['ng-colour', last.colour], ['ng-strength', last.strength], ['ng-time', last.time]]) {
    $(id).value = value;
    if (!$(id).value) $(id).selectedIndex = 0;
  }
  $('ng-custom').value = last.custom || '';
  const showCustom = () => { $('ng-custom-row').hidden = $('ng-time').value !== 'custom'; };
  $('ng-time').addEventListener('change', showCustom);
  showCustom();
}

// Opens the dialog; resolves to { colour, level, timeControl } on Start, or
// null on Cancel. A custom clock that is not "minutes+seconds" keeps the
// dialog open with its message.
export function askNewGame($) {
  const dialog = $('new-game-dialog');
  $('ng-error').textContent = '';
  return new Promise((resolve) => {
    const onSubmit = (event) => {
      if (event.submitter?.value !== 'start') return;
      const timeControl = timeControlOf($('ng-time').value, $('ng-custom').value);
      if (!timeControl) {
        event.preventDefault();
        $('ng-error').textContent = 'Custom clock: write minutes+seconds, e.g. 7+2 (up to 180 minutes, 60 seconds).';
      }
    };
    dialog.addEventListener('submit', onSubmit);
    dialog.addEventListener('close', () => {
      dialog.removeEventListener('submit', onSubmit);
      if (dialog.returnValue !== 'start') return resolve(null);
      const choice = { colour: $('ng-colour').value, strength: $('ng-strength').value, time: $('ng-time').value,
        custom: $('ng-custom').value.trim() };
      store('new-game', JSON.stringify(choice));
      const colour = choice.colour === 'random' ? (Math.random() < 0.5 ? 'white' : 'black') : choice.colour;
      resolve({ colour, level: choice.strength === 'full' ? null : Number(choice.strength),
        timeControl: timeControlOf(choice.time, choice.custom) });
    }, { once: true });
    dialog.returnValue = '';
    dialog.showModal();
  });
}
