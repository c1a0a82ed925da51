// A game shown for study: a finished game, one from the games list or an
// imported PGN, stepped through move by move, and its review. The review
// has the engine analyse every position with a fixed node budget, one
// thread, no book and a cleared table of one size, so that the same game always gets
// the same review; it shows the evaluation graph, each side's accuracy,
// its inaccuracies, mistakes and blunders, and for a flagged move the
// better move as an arrow and its line in SAN.
import { createEvalChart } from './evalchart.js';
import { movesOf, positionCommand, renderMoves, replay, startOf } from './game.js';
import { numbered, parseInfo, uciMove } from './thinking.js';
import { reviewGame, summarise } from './review.js';

const $ = (id) => document.getElementById(id);
export const REVIEW_NODES = 100000;
const JUDGEMENT_MARK = { inaccuracy: '?!', mistake: '?', blunder: '??' };

let engine = null;
let board = null;
let engineOptions = null;
let viewed = null;   // { game, start, moves, ply, summary, chart, running }

export const isViewing = () => viewed !== null;
export const viewedGame = () => viewed?.game;
export const viewedPosition = () => viewed && { start: viewed.start, moves: viewed.moves.slice(0, viewed.ply) };

export function initReview(options) {
  ({ engine, board, engineOptions } = options);
  $('review-cancel').addEventListener('click', cancelReview);
}

// Shows `game` (a chess.js game with its moves) at its last position.
export function openGame(game) {
  closeGame();
  const start = startOf(game);
  viewed = { game, start, moves: movesOf(game), ply: game.history().length, summary: null, chart: null, running: null };
  $('review-panel').hidden = false;
  $('review-progress-row').hidden = true;
  for (const id of ['review-accuracy', 'review-line']) $(id).textContent = '';
  $('review-flags').replaceChildren();
  showPly(viewed.ply);
}

export function closeGame() {
  if (!viewed) return;
  cancelReview();
  viewed.chart?.destroy();
  viewed = null;
  $('review-panel').hidden = true;
}

// The position after `ply` moves, with the better move's arrow when the
// next move was flagged.
export function showPly(ply) {
  viewed.ply = Math.max(0, Math.min(ply, viewed.moves.length));
  const shown = replay(viewed.start, viewed.moves.slice(0, viewed.ply));
  const next = viewed.summary?.moves[viewed.ply];
  const arrows = [];
  $('review-line').textContent = '';
  if (next?.judgement && next.better) {
    const { from, to } = uciMove(next.better.uci);
    arrows.push({ orig: from, dest: to, brush: 'green' });
    const played = uciMove(viewed.moves[viewed.ply]);
    arrows.push({ orig: played.from, dest: played.to, brush: 'red' });
    $('review-line').textContent = `${next.san} is ${article(next.judgement)}. Better: ${
      numbered(shown.fen(), next.better.line)}`;
  }
  board.show(shown, null, arrows);
  $('fen').value = shown.fen();
  const headers = viewed.game.getHeaders();
  const name = (tag) => (headers[tag] && headers[tag] !== '?' ? headers[tag] : tag);
  const [White, Black, Result] = [name('White'), name('Black'), headers.Result || '*'];
  const m = shown.history({ verbose: true }).at(-1);
  const last = m ? ` after ${m.before.split(' ')[5]}${m.color === 'w' ? '.' : '…'} ${m.san}` : ' at the start';
  $('status').textContent = `${White} – ${Black} (${Result.replaceAll('1/2', '½')})${last}.`;
  renderMoves($('moves'), replay(viewed.start, viewed.moves), { onPick: showPly, current: viewed.ply });
  viewed.chart?.select(viewed.ply);
}

const article = (judgement) => (judgement === 'inaccuracy' ? 'an inaccuracy' : `a ${judgement}`);

export const stepPly = (delta) => viewed && showPly(viewed.ply + delta);

// Runs the review; resolves when it ends or is cancelled.
export async function startReview() {
  if (!viewed || viewed.running) return;
  const run = { cancelled: false, id: null, settle: null };
  viewed.running = run;
  const mine = viewed;
  $('review-progress-row').hidden = false;
  $('review-progress').value = 0;
  $('review-accuracy').textContent = '';  // a review run again replaces the last one's figures
  $('review-flags').replaceChildren();
  engine.options({ ...engineOptions(), Threads: 1, Hash: 16, MultiPV: 1, UCI_LimitStrength: false, OwnBook: false });
  engine.send('ucinewgame');
  let outcome = null;
  try {
    outcome = await reviewGame({
      startFen: mine.start, moves: mine.moves, nodes: REVIEW_NODES,
      analyse: (position) => analyse(run, position),
      onProgress: (done, total) => { $('review-progress').value = done / total; },
      cancelled: () => run.cancelled,
    });
  } catch (error) {
    $('review-accuracy').textContent = `The review stopped: ${error.message}`;
  }
  engine.options(engineOptions());
  if (viewed !== mine) return;
  mine.running = null;
  $('review-progress-row').hidden = true;
  if (!outcome) return;
  mine.summary = summarise({ startFen: mine.start, moves: mine.moves, ...outcome });
  showSummary(mine, outcome.evals);
}

function analyse(run, { startFen, moves, nodes }) {
  return new Promise((resolve, reject) => {
    let last = null;
    run.settle = () => resolve({ score: { cp: 0 }, pv: [] });  // a cancelled search: its result is not used
    run.id = engine.go(positionCommand(startFen, moves), `go nodes ${nodes}`, {
      onInfo: (line) => { last = parseInfo(line) || last; },
      onBest: (uci) => resolve({ score: last?.score ?? { cp: 0 }, pv: last?.pv.length ? last.pv : [uci] }),
      onFailure: (message) => reject(new Error(`the engine stopped (${message})`)),
    });
  });
}

export function cancelReview() {
  const run = viewed?.running;
  if (!run) return;
  run.cancelled = true;
  engine.stop(run.id);
  run.settle?.();
}

function showSummary(mine, evals) {
  const { summary } = mine;
  const percent = (side) => (summary.accuracy[side] === null ? '—' : `${summary.accuracy[side].toFixed(1)} %`);
  const plural = { inaccuracy: 'inaccuracies', mistake: 'mistakes', blunder: 'blunders' };
  const counts = (side) => Object.keys(plural)
    .map((kind) => `${summary.counts[side][kind]} ${summary.counts[side][kind] === 1 ? kind : plural[kind]}`).join(', ');
  $('review-accuracy').textContent = `Accuracy: White ${percent('w')}, Black ${percent('b')}. `
    + `White: ${counts('w')}. Black: ${counts('b')}.`;
  $('review-flags').replaceChildren(...summary.moves.filter((m) => m.judgement).map((m) => {
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.className = `flag ${m.judgement}`;
    button.textContent = `${m.moveNumber}${m.color === 'w' ? '.' : '…'} ${m.san}${JUDGEMENT_MARK[m.judgement]} ${
      m.judgement}${m.better ? `, better ${m.better.line?.[0] ?? m.better.uci}` : ''}`;
    button.addEventListener('click', () => showPly(m.ply));
    item.append(button);
    return item;
  }));
  mine.chart?.destroy();  // a review run again draws a new graph
  mine.chart = createEvalChart($('review-chart'), { onSelect: showPly });
  mine.chart.update({ evals, judgements: [null, ...summary.moves.map((m) => m.judgement)],
    labels: ['start', ...summary.moves.map((m) => `${m.moveNumber}${m.color === 'w' ? '.' : '…'}`)] });
  showPly(mine.ply);
}
