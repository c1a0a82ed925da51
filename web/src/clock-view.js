// The two clocks on the page. They follow the board: the colour at the
// bottom has the lower clock. Each names its side and its player, shows the
// time left, and is marked while it runs and when its time is low.
import { formatClock, lowTime, timeLeft } from './clock.js';
import { colorOf } from './game.js';

// What each clock element shows: [{ id, label, text, running, low }].
export function clockFaces(clock, orientation, userColor, engineName, now) {
  return [['clock-top', false], ['clock-bottom', true]].map(([id, atBottom]) => {
    const colour = (orientation === 'white') === atBottom ? 'w' : 'b';
    const name = colour === 'w' ? 'White' : 'Black';
    const who = colorOf(colour) === userColor ? 'You' : engineName;
    return { id, label: `${name}'s clock (${who})`, text: `${name} · ${who} · ${formatClock(timeLeft(clock, colour, now))}`,
      running: clock.since !== null && clock.turn === colour, low: lowTime(clock, colour, now) };
  });
}

// Shows the clocks, or hides them for a game without; the board measures
// its squares again when they appear or go.
export function showClocks(clock, board, userColor, engineName, now) {
  for (const id of ['clock-top', 'clock-bottom']) {
    const element = document.getElementById(id);
    if (element.hidden !== !clock) {
      element.hidden = !clock;
      board.relayout();
    }
  }
  if (!clock) return;
  for (const face of clockFaces(clock, board.orientation(), userColor, engineName, now)) {
    const element = document.getElementById(face.id);
    element.setAttribute('aria-label', face.label);
    element.textContent = face.text;
    element.classList.toggle('running', face.running);
    element.classList.toggle('low', face.low);
  }
}
