// The clock counted from timestamps (a long gap between two looks at it
// changes nothing), its flag, its text, the time controls a user may type;
// and typed moves and moves in words on real positions.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Chess } from 'chess.js';
import { flagged, formatClock, lowTime, newClock, parseTimeControl, pressClock, startClock, stopClock, timeLeft }
  from '../src/clock.js';
import { clockFaces } from '../src/clock-view.js';
import { moveInWords, parseTypedMove } from '../src/move-text.js';

test('a 3+2 game: times from timestamps, increments after each move, the flag at exactly zero', () => {
  const clock = newClock(parseTimeControl('3+2'));
  startClock(clock, 'w', 1000);
  assert.equal(timeLeft(clock, 'w', 41000), 140000, 'White has used 40 s, however rarely it was looked at');
  pressClock(clock, 41000);                  // White moved after 40 s: 140 + 2
  assert.deepEqual([timeLeft(clock, 'w', 90000), timeLeft(clock, 'b', 41000)], [142000, 180000]);
  pressClock(clock, 221000 - 1);             // Black moved 1 ms before its flag: 1 ms + 2 s
  assert.equal(timeLeft(clock, 'b', 300000), 2001);
  assert.equal(flagged(clock, 41000 + 221000), null);
  assert.equal(flagged(clock, 221000 - 1 + 142000), 'w', 'White\'s 142 s are gone');
  pressClock(clock, 221000 - 1 + 150000);    // a move after the flag fell: no increment, the clock stops
  assert.deepEqual([timeLeft(clock, 'w', 1e9), clock.since], [0, null]);
  stopClock(clock, 2e9);
  assert.equal(timeLeft(clock, 'b', 3e9), 2001, 'a stopped clock does not run');
});

test('clock text, low time, and typed time controls', () => {
  const texts = [[180000, '3:00'], [59999, '0:59'], [10000, '0:10'], [9999, '0:09.9'], [9950, '0:09.9'], [99, '0:00.0'],
    [3600000, '1:00:00'], [3723000, '1:02:03']];
  for (const [ms, text] of texts) assert.equal(formatClock(ms), text, `${ms} ms`);
  const blitz = newClock(parseTimeControl('1+0'));
  assert.deepEqual([lowTime(blitz, 'w', 0), (blitz.left.w = 5999, lowTime(blitz, 'w', 0))], [false, true]);
  assert.deepEqual(parseTimeControl(' 0.5+1 '), { name: '0.5+1', initialMs: 30000, incrementMs: 1000 });
  for (const bad of ['3', '3+', '+2', '0+2', '181+0', '3+61', '3+2.5', '-1+0', 'x+y']) assert.equal(parseTimeControl(bad), null, bad);
});

test('typed moves: SAN, coordinates, castling both ways, promotions; refused with their reason', () => {
  const fen = 'r3k2r/1P6/8/8/8/1p6/3N1N2/R3K2R w KQkq - 0 1';
  const table = [['Nd3', 'Nd3'], ['nd3', 'Nd3'], ['Nfe4', 'Nfe4'], ['N2e4', 'Ambiguous move: N2e4 (Nde4 or Nfe4)'],
    ['d2b3', 'Nxb3'], ['Nxb3+', 'Nxb3'], ['O-O', 'O-O'], ['0-0-0', 'O-O-O'], ['b8=Q', 'b8=Q+'], ['b7b8r', 'b8=R+'],
    ['bxa8N', 'bxa8=N'], ['b8', 'Ambiguous move: b8 (b8=Q, b8=R, b8=B or b8=N)'], ['Ke3', 'Illegal move: Ke3'],
    ['e4', 'Illegal move: e4'], ['Ne4', 'Ambiguous move: Ne4 (Nde4 or Nfe4)'], ['hello', 'Not a move: hello'],
    ['  ', 'Type a move, e.g. Nf3 or g1f3.']];
  const chess = new Chess(fen);
  for (const [typed, expected] of table) {
    const { move, error } = parseTypedMove(chess, typed);
    assert.equal(move ? move.san : error, expected, typed);
  }
  assert.equal(chess.fen(), fen, 'the position is untouched');
  // The b-pawn first, the bishop when no pawn move is written so.
  const pawnOrBishop = new Chess('4k3/8/8/8/8/8/1P6/4KB2 w - - 0 1');
  assert.equal(parseTypedMove(pawnOrBishop, 'b4').move.san, 'b4');
  assert.equal(parseTypedMove(pawnOrBishop, 'bc4').move.san, 'Bc4');
});

test('moves in words for a screen reader', () => {
  const game = new Chess('r3k2r/8/8/3pP3/8/8/6p1/R3K2R w KQkq d6 0 1');
  const words = ['exd6', 'O-O-O', 'd7+', 'Rxd7', 'Kf2', 'gxh1=Q'].map((san) => moveInWords(game.move(san)));
  assert.deepEqual(words, ['White pawn e5 takes d6 en passant.', 'Black castles queenside.', 'White pawn d6 to d7. Check.',
    'Black rook d8 takes d7.', 'White king e1 to f2.', 'Black pawn g2 takes h1, promotes to queen.']);
  const fools = new Chess();
  for (const san of ['f3', 'e5', 'g4']) fools.move(san);
  assert.equal(moveInWords(fools.move('Qh4#')), 'Black queen d8 to h4. Checkmate.');
  assert.equal(moveInWords(new Chess('4k3/8/8/8/8/8/8/4K2R w K - 0 1').move('O-O')), 'White castles kingside.');
});

test('the clocks follow the board: the bottom one is the colour at the bottom, named, running and low', () => {
  const clock = newClock(parseTimeControl('1+0'));
  startClock(clock, 'w', 0);
  const [top, bottom] = clockFaces(clock, 'white', 'white', 'TORLO 800', 55000);
  assert.deepEqual(bottom, { id: 'clock-bottom', label: 'White\'s clock (You)', text: 'White · You · 0:05.0', running: true, low: true });
  assert.deepEqual(top, { id: 'clock-top', label: 'Black\'s clock (TORLO 800)', text: 'Black · TORLO 800 · 1:00', running: false, low: false });
  const flipped = clockFaces(clock, 'black', 'white', 'TORLO 800', 55000);
  assert.deepEqual(flipped.map((f) => f.id + ' ' + f.label), ['clock-top White\'s clock (You)', 'clock-bottom Black\'s clock (TORLO 800)']);
});
