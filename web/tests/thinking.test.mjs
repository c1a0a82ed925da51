// The page's reading of the engine's lines and of the game, in Node: info
// lines as the engine prints them, scores turned to White's side, a
// variation numbered from Black's move, and a game replayed from its moves
// into the position command the engine is sent.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Chess } from 'chess.js';
import { movesOf, positionCommand, replay, startOf } from '../src/game.js';
import { parseInfo, scoreText, summaryText, variationText } from '../src/thinking.js';

test('info lines: ordinary, MultiPV with a bound and a mate, no pv; other lines are not thinking', () => {
  assert.deepEqual(parseInfo('info depth 7 score cp -35 time 120 nodes 45678 nps 380650 pv e7e5 g1f3'),
    { depth: 7, multipv: 1, score: { cp: -35 }, time: 120, nodes: 45678, nps: 380650, pv: ['e7e5', 'g1f3'] });
  const second = parseInfo('info depth 12 multipv 2 score mate -3 upperbound time 9 nodes 10 nps 1111 pv h2h3');
  assert.deepEqual([second.multipv, second.score, second.pv], [2, { mate: -3 }, ['h2h3']]);
  assert.deepEqual(parseInfo('info depth 3 score cp 20 time 1 nodes 5 nps 5000').pv, []);
  for (const line of ['info string book move', 'bestmove e2e4', 'info depth 5 currmove e2e4 currmovenumber 1']) {
    assert.equal(parseInfo(line), null, line);
  }
});

test('scores from White\'s side and the summary line', () => {
  const table = [[{ cp: 35 }, true, '+0.35'], [{ cp: 35 }, false, '-0.35'], [{ cp: 0 }, false, '+0.00'],
    [{ cp: -120 }, false, '+1.20'], [{ mate: 3 }, true, '#3'], [{ mate: 2 }, false, '#-2'], [{ mate: -1 }, false, '#1']];
  for (const [score, white, text] of table) assert.equal(scoreText(score, white), text, JSON.stringify([score, white]));
  const info = parseInfo('info depth 9 score cp 150 time 800 nodes 1234567 nps 1543208 pv d2d4');
  assert.equal(summaryText(info, false), 'Depth 9 · -1.50 · 1,234,567 nodes · 1.5 Mnodes/s');
});

test('a variation in SAN, numbered from a Black move, cut at the first illegal move', () => {
  const fen = 'rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2';
  assert.equal(variationText(fen, ['b8c6', 'f1b5', 'a7a6', 'b5c6']), '2… Nc6 3. Bb5 a6 4. Bxc6');
  assert.equal(variationText(fen, ['b8c6', 'f1c4', 'g8f6', 'e1g1', 'f6f6', 'a7a6']), '2… Nc6 3. Bc4 Nf6 4. O-O');
});

test('a game replayed from a FEN and its moves gives the same position command as the game itself', () => {
  const fen = '8/P6k/8/8/8/8/6KP/8 w - - 0 1';
  const game = new Chess(fen);
  game.setHeader('FEN', fen);  // chess.js keeps the start in its headers
  for (const san of ['a8=N', 'Kg6', 'h4']) game.move(san);
  const again = replay(startOf(game), movesOf(game));
  assert.equal(again.fen(), game.fen());
  assert.equal(positionCommand(startOf(again), movesOf(again)), `position fen ${fen} moves a7a8n h7g6 h2h4`);
  assert.equal(positionCommand(undefined, []), 'position startpos');
  assert.throws(() => replay(undefined, ['e2e5']), 'a move the rules refuse');
});
