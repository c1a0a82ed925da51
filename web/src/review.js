// The arithmetic of a game review, after the public formulas of the
// best-known web review: scores to winning chances, a move's drop in the
// mover's winning chances, its judgement and accuracy, and each side's
// accuracy over the game; and the review itself, which has the engine
// analyse every position with a fixed node budget. No DOM.
import { Chess } from 'chess.js';
import { sanLine } from './thinking.js';

const CP_LIMIT = 1000;

// A score as the engine prints it ({ cp } or { mate }, from the side to
// move's view) in centipawns, a mate counting as 1000.
export const scoreCp = (score) => ('mate' in score ? (score.mate > 0 ? CP_LIMIT : -CP_LIMIT)
  : Math.max(-CP_LIMIT, Math.min(CP_LIMIT, score.cp)));

// Winning chances in percent, 0..100, for the side the centipawns favour.
export const winPercent = (cp) =>
  50 + 50 * (2 / (1 + Math.exp(-0.00368208 * Math.max(-CP_LIMIT, Math.min(CP_LIMIT, cp)))) - 1);

export const moveAccuracy = (drop) => Math.max(0, Math.min(100, 103.1668 * Math.exp(-0.04354 * drop) - 3.1669));

export const classify = (drop) => (drop >= 15 ? 'blunder' : drop >= 10 ? 'mistake' : drop >= 5 ? 'inaccuracy' : null);

const game = (startFen) => (startFen ? new Chess(startFen) : new Chess());
const play = (chess, uci) => chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });

// The score of a position the rules have ended, from the side to move's
// view: mated -1000, any draw 0.
const endedScore = (chess) => (chess.isCheckmate() ? -CP_LIMIT : 0);

// Analyses every position of the game (after 0, 1, ... all moves): the
// engine's score from White's side and its best move and line. Resolves to
// { evals, best }, or null when cancelled() said so before a search.
export async function reviewGame({ startFen, moves, nodes, analyse, onProgress = () => {}, cancelled = () => false }) {
  const chess = game(startFen);
  const [evals, best] = [[], []];
  for (let i = 0; i <= moves.length; ++i) {
    if (i > 0) play(chess, moves[i - 1]);
    const white = chess.turn() === 'w' ? 1 : -1;
    if (chess.isGameOver()) {
      evals.push(white * endedScore(chess) || 0);  // a level position is 0, not -0, from either side
      best.push(null);
    } else {
      if (cancelled()) return null;
      const { score, pv } = await analyse({ startFen, moves: moves.slice(0, i), nodes });
      if (cancelled()) return null;
      evals.push(white * scoreCp(score) || 0);
      best.push(pv.length ? { uci: pv[0], line: sanLine(chess.fen(), pv) } : null);
    }
    onProgress(i + 1, moves.length + 1);
  }
  return { evals, best };
}

const mean = (values) => values.reduce((a, b) => a + b, 0) / values.length;
const deviation = (values) => Math.sqrt(mean(values.map((v) => (v - mean(values)) ** 2)));

// Each move's weight: how much the winning chances swing around it (the
// standard deviation of White's winning chances over a window of
// positions), clamped to 0.5..12, so that moves in sharp positions count
// more. The first moves share the first window.
function weights(wins) {
  const moves = wins.length - 1;
  const size = Math.max(2, Math.min(8, Math.floor(moves / 10)));
  const windows = [];
  for (let i = 0; i < size - 2 && i < moves; ++i) windows.push(wins.slice(0, size));
  for (let i = 0; windows.length < moves; ++i) windows.push(wins.slice(i, i + size));
  return windows.map((w) => Math.max(0.5, Math.min(12, deviation(w))));
}

// A side's accuracy: the mean of its move accuracies weighted as above,
// averaged with their harmonic mean (which a single bad move pulls down).
// An accuracy of 0 would make the harmonic mean 0 whatever the other moves:
// it counts as 0.0001 there.
function sideAccuracy(accuracies, weightsOf) {
  if (accuracies.length === 0) return null;
  const weighted = accuracies.reduce((sum, a, i) => sum + a * weightsOf[i], 0) / weightsOf.reduce((a, b) => a + b, 0);
  const harmonic = accuracies.length / accuracies.reduce((sum, a) => sum + 1 / Math.max(a, 1e-4), 0);
  return (weighted + harmonic) / 2;
}

// The review of a game from its evaluations: every move's drop, accuracy
// and judgement (with the engine's better move when the move is flagged
// and differs from it), each side's accuracy and count of judgements.
export function summarise({ startFen, moves, evals, best }) {
  const chess = game(startFen);
  const wins = evals.map(winPercent);
  const moveWeights = weights(wins);
  const out = [];
  const per = { w: { accuracies: [], weights: [] }, b: { accuracies: [], weights: [] } };
  const counts = { w: { inaccuracy: 0, mistake: 0, blunder: 0 }, b: { inaccuracy: 0, mistake: 0, blunder: 0 } };
  moves.forEach((uci, ply) => {
    const moveNumber = chess.moveNumber();
    const { color, san } = play(chess, uci);
    const sign = color === 'w' ? 1 : -1;
    const drop = Math.max(0, sign * (wins[ply] - wins[ply + 1]));
    const accuracy = moveAccuracy(drop);
    const judgement = classify(drop);
    if (judgement) ++counts[color][judgement];
    per[color].accuracies.push(accuracy);
    per[color].weights.push(moveWeights[ply]);
    const better = judgement && best[ply] && best[ply].uci !== uci ? best[ply] : null;
    out.push({ ply, color, san, moveNumber, drop, accuracy, judgement, better });
  });
  const accuracy = { w: sideAccuracy(per.w.accuracies, per.w.weights), b: sideAccuracy(per.b.accuracies, per.b.weights) };
  return { moves: out, accuracy, counts };
}
