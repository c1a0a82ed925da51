// The analysis board: the engine searches the shown position without a
// time limit (go infinite) at full strength, reporting 1 to 5 lines
// (MultiPV), shown with their scores in SAN, arrows for their first moves,
// an evaluation bar, depth and speed. Moves played on the board explore a
// variation; take-back returns towards the position analysis started from.
import { colorOf, movesOf, positionCommand, replay, startOf } from './game.js';
import { npsText, parseInfo, scoreText, uciMove, variationText } from './thinking.js';
import { scoreCp, winPercent } from './review.js';

const $ = (id) => document.getElementById(id);
const BRUSHES = ['green', 'blue', 'yellow', 'paleBlue', 'paleGrey'];

let engine = null;
let board = null;
let engineOptions = null;
let game = null;        // the position analysed, with the game's moves before it
let baseLength = 0;     // moves of the game itself; those after it are the variation
let search = null;      // { id, fen, lines: [] by multipv - 1 }

export const isOpen = () => game !== null;

export function initAnalysis(options) {
  ({ engine, board, engineOptions } = options);
  $('multipv').addEventListener('change', () => game && analyse());
}

// Opens the analysis at the position reached by `moves` from `start`.
export function openAnalysis(start, moves) {
  game = replay(start, moves);
  baseLength = moves.length;
  $('analysis').hidden = false;
  $('eval-bar').hidden = false;
  board.relayout();
  analyse();
}

export function closeAnalysis() {
  stop();
  game = null;
  $('analysis').hidden = true;
  $('eval-bar').hidden = true;
  board.relayout();
}

function stop() {
  if (search) engine.stop(search.id);
  search = null;
}

// A move on the board: the variation grows and the new position is analysed.
export function analysisMove(from, to, promotion) {
  try {
    game.move({ from, to, promotion });
  } catch {}  // the board offers only legal moves; a refused one changes nothing
  analyse();
}

export function analysisTakeBack() {
  if (game.history().length <= baseLength) return;
  game.undo();
  analyse();
}

export const canTakeBack = () => game !== null && game.history().length > baseLength;

function analyse() {
  stop();
  engine.options({ ...engineOptions(), MultiPV: $('multipv').value, UCI_LimitStrength: false, OwnBook: false });
  const fen = game.fen();
  search = { fen, lines: [], id: null };
  show();
  if (game.isGameOver()) return;
  const mine = search;
  mine.id = engine.go(positionCommand(startOf(game), movesOf(game)), 'go infinite', {
    onInfo: (line) => onInfo(mine, line),
    onBest: () => {},
    onFailure: (message, restarted) => { if (restarted && search === mine) analyse(); },
  });
}

function onInfo(mine, line) {
  const info = parseInfo(line);
  if (!info || search !== mine || info.pv.length === 0) return;
  mine.lines[info.multipv - 1] = info;
  mine.depth = info.depth;
  mine.nps = info.nps;
  show();
}

// The board with an arrow per line, the lines, the bar (White's winning
// chances from the first line's score) and the search's depth and speed.
function show() {
  const whiteToMove = game.turn() === 'w';
  const lines = search.lines.filter(Boolean);
  const arrows = lines.map((info, i) => {
    const { from, to } = uciMove(info.pv[0]);
    return { orig: from, dest: to, brush: BRUSHES[i] };
  });
  board.show(game, colorOf(game.turn()), arrows);
  $('fen').value = game.fen();
  $('analysis-lines').replaceChildren(...lines.map((info) => {
    const item = document.createElement('li');
    const score = document.createElement('b');
    score.textContent = scoreText(info.score, whiteToMove);
    item.append(score, ` ${variationText(search.fen, info.pv)}`);
    return item;
  }));
  $('analysis-stats').textContent = game.isGameOver() ? 'The game is over in this position.'
    : search.depth ? `Depth ${search.depth} · ${npsText(search.nps)}` : 'Analysing…';
  const best = lines[0];
  const white = best ? winPercent((whiteToMove ? 1 : -1) * scoreCp(best.score)) : 50;
  $('eval-fill').style.height = `${white}%`;
  $('eval-bar').setAttribute('aria-label', `Evaluation: ${best ? scoreText(best.score, whiteToMove) : 'none yet'}`);
  $('takeback').disabled = !canTakeBack();
}

export const analysedGame = () => game;
