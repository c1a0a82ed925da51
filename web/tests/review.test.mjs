// The review's arithmetic against values worked out apart from the page's
// code (by hand and in another language), and reviews of real games with
// a stand-in engine whose scores are a table.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { classify, moveAccuracy, reviewGame, scoreCp, summarise, winPercent } from '../src/review.js';

const near = (actual, expected, what) => assert.ok(Math.abs(actual - expected) < 1e-4, `${what}: ${actual} v ${expected}`);

test('winning chances, move accuracy and judgements at their thresholds', () => {
  for (const [cp, expected] of [[0, 50], [100, 59.10259], [-300, 24.88745], [1000, 97.544744], [4000, 97.544744]]) {
    near(winPercent(cp), expected, `winPercent(${cp})`);
  }
  for (const [drop, expected] of [[0, 99.9999], [5, 79.81704], [15, 50.524192], [100, 0]]) {
    near(moveAccuracy(drop), expected, `moveAccuracy(${drop})`);
  }
  assert.deepEqual([4.99, 5, 9.99, 10, 14.99, 15].map(classify),
    [null, 'inaccuracy', 'inaccuracy', 'mistake', 'mistake', 'blunder']);
  assert.deepEqual([{ cp: 35 }, { cp: -2500 }, { mate: 3 }, { mate: -1 }].map(scoreCp), [35, -1000, 1000, -1000]);
});

test('each side\'s accuracy weighs its moves by how much the chances swing around them', () => {
  // Four moves, every one losing something; the figures come from the same
  // rules written out in Python.
  const moves = ['e2e4', 'e7e5', 'g1f3', 'b8c6'];
  const summary = summarise({ moves, evals: [0, -100, 50, -400, -350], best: moves.map(() => null) });
  [9.1026, 13.6922, 35.9384, 2.9556].forEach((drop, i) => assert.ok(Math.abs(summary.moves[i].drop - drop) < 1e-3));
  near(summary.accuracy.w, 30.187028, 'White');
  near(summary.accuracy.b, 63.113744, 'Black');
  assert.deepEqual(summary.counts, { w: { inaccuracy: 1, mistake: 0, blunder: 1 }, b: { inaccuracy: 0, mistake: 1, blunder: 0 } });
});

test('the first window counts for the first moves, so each later move gets the window that ends at it', () => {
  // 30 plies of knights out and back, level until Black's last move leaves
  // White +100. Windows of 3 positions: Black's last move has (50, 50, W),
  // W = winPercent(100) = 59.102589719, drop D = 9.102589719, accuracy
  // A = 66.242363573, weight D * sqrt(2) / 3 = 4.291001945; its other 14
  // moves 99.9999 with weight 0.5. Weighted mean 87.170777, harmonic mean
  // 96.714156: Black 91.942466 (a window shifted by one would give 91.71).
  const moves = Array.from({ length: 30 }, (_, i) => ['g1f3', 'g8f6', 'f3g1', 'f6g8'][i % 4]);
  const evals = Array(31).fill(0);
  evals[30] = 100;
  const { accuracy, moves: judged } = summarise({ moves, evals, best: Array(31).fill(null) });
  near(accuracy.b, 91.9424664660, 'Black');
  near(accuracy.w, 99.9999, 'White');
  assert.equal(judged[29].judgement, 'inaccuracy');
});

// A stand-in engine: the score for each position by its number of moves
// (from the side to move's view), and a pv of the position's first move
// in `pvs` or none.
const engine = (scores, pvs = {}) => {
  const asked = [];
  const analyse = async ({ moves, nodes }) => {
    asked.push(moves.length);
    assert.equal(nodes, 5000);
    return { score: scores[moves.length], pv: pvs[moves.length] ?? ['a2a3'] };
  };
  return { asked, analyse };
};

test('a hung queen is a blunder with the better move and its line; the side that took it plays better', async () => {
  const moves = ['e2e4', 'e7e5', 'g1f3', 'b8c6', 'f1c4', 'd8h4', 'f3h4', 'g8f6'];
  const scores = [{ cp: 30 }, { cp: -25 }, { cp: 30 }, { cp: -20 }, { cp: 20 }, { cp: -20 }, { cp: 900 }, { cp: -880 },
    { cp: 870 }];
  const { asked, analyse } = engine(scores, { 5: ['g8f6', 'f3g5', 'd7d5'] });
  const progress = [];
  const result = await reviewGame({ moves, nodes: 5000, analyse, onProgress: (done, all) => progress.push(`${done}/${all}`) });
  assert.deepEqual(asked, [0, 1, 2, 3, 4, 5, 6, 7, 8]);
  assert.equal(progress.at(-1), '9/9');
  assert.deepEqual(result.evals, [30, 25, 30, 20, 20, 20, 900, 880, 870], 'White\'s view, position by position');
  const summary = summarise({ moves, ...result });
  const flagged = summary.moves.filter((m) => m.judgement);
  assert.deepEqual(flagged.map((m) => [m.ply, m.moveNumber, m.san, m.judgement]), [[5, 3, 'Qh4', 'blunder']]);
  assert.deepEqual(flagged[0].better, { uci: 'g8f6', line: ['Nf6', 'Ng5', 'd5'] });
  assert.ok(summary.accuracy.w > 90 && summary.accuracy.b < 60, JSON.stringify(summary.accuracy));
});

test('a mate ends the review without the engine; a cancelled review asks for nothing more', async () => {
  const fools = ['f2f3', 'e7e5', 'g2g4', 'd8h4'];
  const { asked, analyse } = engine([{ cp: 0 }, { cp: -50 }, { cp: 100 }, { mate: 1 }]);
  const result = await reviewGame({ moves: fools, nodes: 5000, analyse });
  assert.deepEqual(asked, [0, 1, 2, 3], 'the mated position is not searched');
  assert.equal(result.evals.at(-1), -1000, 'White is mated');
  assert.equal(result.best.at(-1), null);
  assert.equal(summarise({ moves: fools, ...result }).moves[2].judgement, 'blunder', 'g4 allows the mate');

  let cancel = false;
  const stopping = engine([{ cp: 0 }, { cp: 0 }, { cp: 0 }]);
  const analyseThenCancel = async (position) => { cancel = position.moves.length === 1; return stopping.analyse(position); };
  assert.equal(await reviewGame({ moves: fools, nodes: 5000, analyse: analyseThenCancel, cancelled: () => cancel }), null);
  assert.deepEqual(stopping.asked, [0, 1]);
});
