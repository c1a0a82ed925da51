// How a game against the engine ends off the board, what it leaves behind
// (headers, the games list's entry, the saved state) and what the engine is
// asked for each search.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Chess } from 'chess.js';
import { newClock, parseTimeControl, startClock } from '../src/clock.js';
import { drawOffer, flagFall, resignation } from '../src/game-end.js';
import { finishedRecord, savedState, setGameHeaders } from '../src/game-record.js';
import { goLine, searchOptions } from '../src/search-limits.js';

test('a flag fall loses, unless the other side cannot mate; resigning loses', () => {
  const start = new Chess();
  assert.deepEqual(flagFall(start, 'w'), { result: '0-1', reason: 'White\'s time ran out: Black wins', termination: 'time forfeit' });
  assert.equal(flagFall(start, 'b').result, '1-0');
  for (const [fen, result] of [['4k3/8/8/8/8/8/8/4K2Q w - - 0 1', '1/2-1/2'],  // Black has a bare king
    ['4k3/8/8/8/8/8/5n2/4K3 w - - 0 1', '1/2-1/2'],   // a knight alone cannot mate
    ['4k3/8/8/8/8/8/5b2/4K3 w - - 0 1', '1/2-1/2'],   // nor a bishop alone
    ['4k3/8/8/8/8/8/4nn2/4K3 w - - 0 1', '0-1'],      // two knights can
    ['4k3/8/8/8/8/8/5p2/4K3 w - - 0 1', '0-1']]) {    // a pawn may become a queen
    assert.equal(flagFall(new Chess(fen), 'w').result, result, fen);
  }
  assert.match(flagFall(new Chess('4k3/8/8/8/8/8/8/4K2Q w - - 0 1'), 'w').reason, /but Black cannot mate: draw$/);
  assert.deepEqual(resignation('black'), { result: '1-0', reason: 'You resigned: White wins', termination: 'resignation' });
  assert.equal(resignation('white').result, '0-1');
});

test('a draw offer is taken after move 30 with a score within 25 cp, declined otherwise', () => {
  assert.deepEqual(drawOffer(31, { cp: -25 }).ended, { result: '1/2-1/2', reason: 'Draw agreed', termination: 'agreement' });
  assert.equal(drawOffer(30, { cp: 0 }).declined, 'TORLO declines the draw before move 30.');
  for (const score of [{ cp: 26 }, { mate: 3 }, null]) {
    assert.equal(drawOffer(40, score).declined, 'TORLO declines the draw: the game is not equal enough.', JSON.stringify(score));
  }
});

test('the game\'s headers, its entry in the games list and its saved state with the clock stopped', () => {
  const game = new Chess();
  const choices = { userColor: 'black', level: 1200, timeControl: { kind: 'clock', name: '3+2', initialMs: 180000, incrementMs: 2000 } };
  setGameHeaders(game, choices, new Date(2026, 11, 10));
  game.move('e4');
  const headers = game.getHeaders();
  assert.deepEqual([headers.White, headers.Black, headers.WhiteElo, headers.BlackElo, headers.TimeControl, headers.Date],
    ['TORLO 1200', 'You', '1200', undefined, '180+2', '2026.12.10']);
  const record = finishedRecord(game, choices, ['1-0', 'You resigned: White wins', 'resignation'], new Date(0));
  assert.deepEqual([record.date, record.colour, record.result, record.termination, record.timeControl, record.plies],
    ['1970-01-01T00:00:00.000Z', 'black', '1-0', 'resignation', '3+2', 1]);
  assert.match(record.pgn, /1\. e4/);

  const clock = newClock(parseTimeControl('3+2'));
  startClock(clock, 'b', 1000);
  const saved = savedState(game, { ...choices, clock, ended: null, recorded: false }, 6000);
  assert.deepEqual(saved.moves, ['e2e4']);
  assert.equal(saved.clock.since, null, 'the saved clock is stopped');
  assert.equal(saved.clock.left.b, 175000, 'at the time of saving');
  assert.notEqual(clock.since, null, 'the game\'s own clock runs on');
});

test('the engine\'s options and go line: the level for its own moves only, the clocks as they stand', () => {
  assert.deepEqual(searchOptions('move', 1200), { MultiPV: 1, OwnBook: true, UCI_LimitStrength: true, UCI_Elo: 1200 });
  assert.deepEqual(searchOptions('hint', 1200), { MultiPV: 1, OwnBook: true, UCI_LimitStrength: false });
  assert.deepEqual(searchOptions('move', null), { MultiPV: 1, OwnBook: true, UCI_LimitStrength: false });
  assert.equal(goLine('move', { kind: 'move', ms: 2000 }, null), 'go movetime 2000');
  const clock = newClock(parseTimeControl('3+2'));
  startClock(clock, 'w', 0);
  assert.equal(goLine('move', null, clock, 10000), 'go wtime 170000 btime 180000 winc 2000 binc 2000');
  assert.equal(goLine('hint', null, clock, 10000), 'go movetime 1000');
});
