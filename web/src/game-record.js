// What a game against the engine leaves behind: its PGN headers, the entry
// for the games list when it ends, and the state a reload restores.
import { levelName, pgnTimeControl, timeControlText } from './newgame.js';
import { movesOf, pgnDate, startOf } from './game.js';
import { STATE_VERSION } from './saved-game.js';
import { stopClock } from './clock.js';

// The headers of a new game: the user and the engine (its level's name and
// Elo), today's date and the time control.
export function setGameHeaders(game, { userColor, level, timeControl }, date = new Date()) {
  const engineName = levelName(level);
  game.setHeader('Event', 'Casual game');
  game.setHeader('Site', 'TORLO in a web browser');
  game.setHeader('Date', pgnDate(date));
  game.setHeader('White', userColor === 'white' ? 'You' : engineName);
  game.setHeader('Black', userColor === 'white' ? engineName : 'You');
  if (level) game.setHeader(userColor === 'white' ? 'BlackElo' : 'WhiteElo', String(level));
  game.setHeader('TimeControl', pgnTimeControl(timeControl));
}

// The games list's entry for a game that ended with [result, reason, termination].
export function finishedRecord(game, { userColor, level, timeControl }, [result, , termination], date = new Date()) {
  return { date: date.toISOString(), white: game.getHeaders().White, black: game.getHeaders().Black,
    colour: userColor, level, result, termination, timeControl: timeControlText(timeControl),
    pgn: game.pgn(), plies: game.history().length };
}

// What a reload needs to show this game again exactly. A running clock is
// kept stopped at `now`: the time the page is closed does not count.
export function savedState(game, { userColor, level, timeControl, clock, ended, recorded }, now = Date.now()) {
  let kept = null;
  if (clock) {
    kept = structuredClone(clock);
    if (kept.since !== null) stopClock(kept, now);
  }
  return { version: STATE_VERSION, start: startOf(game) || null, moves: movesOf(game), headers: game.getHeaders(),
    userColor, level, timeControl, clock: kept, ended, recorded };
}
