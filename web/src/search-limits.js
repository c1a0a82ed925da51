// What the engine is asked for a search of the game: its options (the
// strength level for its own moves, full strength for a hint) and the go
// command's limits (the time per move, or both clocks as they stand).
import { timeLeft } from './clock.js';

// kind: 'move' (the engine's move) or 'hint' (a move suggested to the user).
export function searchOptions(kind, level) {
  const limit = kind === 'move' && level !== null;
  return { MultiPV: 1, OwnBook: true, UCI_LimitStrength: limit, ...(limit ? { UCI_Elo: level } : {}) };
}

export function goLine(kind, timeControl, clock, now = Date.now()) {
  if (!clock) return `go movetime ${timeControl.ms}`;
  if (kind === 'hint') return 'go movetime 1000';
  const inc = clock.incrementMs;
  return `go wtime ${timeLeft(clock, 'w', now)} btime ${timeLeft(clock, 'b', now)} winc ${inc} binc ${inc}`;
}
