// The game against the engine: whose move it is, the engine's searches at
// the chosen strength (search-limits.js), the clock (clock.js, shown by
// clock-view.js), when the game ends (the rules, or game-end.js's flag,
// resignation and draw offer) and what it leaves (game-record.js). The page
// (main.js) gives it the engine, the board and its hooks:
//   save(state)        the game in progress, after every change
//   finished(record)   a game that has just ended, for the games list
//   announce(text)     a move in words, for the aria-live region
//   note(text)         a one-line message under the board
//   changed()          the game's state was shown again (the page's other buttons follow it)
import { Chess, DEFAULT_POSITION } from 'chess.js';
import { flagged, newClock, pressClock, startClock, stopClock } from './clock.js';
import { showClocks } from './clock-view.js';
import { drawOffer, flagFall, resignation } from './game-end.js';
import { finishedRecord, savedState, setGameHeaders } from './game-record.js';
import { colorOf, movesOf, positionCommand, renderMoves, replay, result, startOf, takeBackPlies }
  from './game.js';
import { moveInWords, parseTypedMove } from './move-text.js';
import { levelName } from './newgame.js';
import { goLine, searchOptions } from './search-limits.js';
import { parseInfo, summaryText, uciMove, variationText } from './thinking.js';

const $ = (id) => document.getElementById(id);

let hooks = null;
let engine = null;
let board = null;
let game = new Chess();
let userColor = 'white';
let level = null;          // the engine's Elo, null for full strength
let timeControl = { kind: 'move', ms: 2000 };
let clock = null;          // with a clock time control (clock.js), else null
let search = null;         // the running search: { id, kind: 'move' | 'hint', fen }
let hint = null;           // { from, to } shown as an arrow
let announced = 0;         // mate in N that the engine announced, 0 for none
let engineScore = null;    // the engine's last score for its own move, from its side: { cp } | { mate }
let stalled = null;        // why the game cannot go on (an engine move the rules refuse), or null
let ended = null;          // a game ended off the board: { result, reason, termination }
let recorded = false;      // the ended game went to the games list
let paused = false;        // the page shows another game or an analysis: no search, no clock

export const currentGame = () => game;
export const userSide = () => userColor;

// How the game ended: [result, reason, termination], or null while it goes on.
export function outcome() {
  return ended ? [ended.result, ended.reason, ended.termination] : result(game);
}

const inProgress = () => !outcome() && !stalled;
const userToMove = () => colorOf(game.turn()) === userColor && inProgress();

export function init(options) {
  ({ engine, board, ...hooks } = options);
  setInterval(tick, 100);
}

const renderClocks = (now) => showClocks(clock, board, userColor, levelName(level), now);

function tick() {
  if (!clock || paused) return;
  const now = Date.now();
  renderClocks(now);
  const fallen = inProgress() && flagged(clock, now);
  if (fallen) flagFell(fallen);
}

function status() {
  const over = outcome();
  if (over) return `${over[1]} (${over[0].replaceAll('1/2', '½')})`;
  if (stalled) return stalled;
  const mate = announced ? ` TORLO announces mate in ${announced}.` : '';
  return userToMove() ? `Your move.${mate}${game.inCheck() ? ' You are in check.' : ''}` : `TORLO is thinking…${mate}`;
}

export function refresh() {
  if (paused) return;
  const movable = userToMove();
  board.show(game, movable ? userColor : null, hint ? [{ orig: hint.from, dest: hint.to, brush: 'blue' }] : []);
  $('fen').value = game.fen();
  const going = inProgress();
  $('takeback').disabled = !(going || stalled) || takeBackPlies(game, userColor) === 0;
  $('hint').disabled = !movable || search !== null;
  $('resign').disabled = $('draw').disabled = !going || game.history().length < 2;
  $('move-input').disabled = !movable;
  renderMoves($('moves'), game);
  const over = outcome();
  game.setHeader('Result', over ? over[0] : '*');
  if (over) game.setHeader('Termination', over[2]);
  $('status').textContent = status();
  renderClocks(Date.now());
  hooks.changed();
}

const choices = () => ({ userColor, level, timeControl });
const save = () => hooks.save(savedState(game, { ...choices(), clock, ended, recorded }));
// The page is being hidden or closed: its clocks as they stand now.
export const saveNow = () => paused || save();

// The engine searches the current position, the whole game sent along so
// that it knows the repetitions and its book.
function think(kind) {
  engine.options(searchOptions(kind, level));
  const fen = game.fen();
  const id = engine.go(positionCommand(startOf(game), movesOf(game)), goLine(kind, timeControl, clock), {
    onInfo: (line) => onInfo(line),
    onBest: (uci) => onBest(uci),
    onFailure: (message, restarted) => onEngineFailure(message, restarted),
  });
  search = { kind, fen, id };
  if (kind === 'move') announced = 0;
  $('think-summary').textContent = kind === 'hint' ? 'Looking for a hint…' : 'Thinking…';
  $('think-pv').textContent = '';
}

function stopSearch() {
  if (!search) return;
  engine.stop(search.id);
  search = null;
}

function onInfo(line) {
  const info = parseInfo(line);
  if (info) {
    const whiteToMove = search.fen.split(' ')[1] === 'w';
    if (search.kind === 'move') {
      announced = 'mate' in info.score && info.score.mate > 0 ? info.score.mate : 0;
      engineScore = info.score;
    }
    $('think-summary').textContent = summaryText(info, whiteToMove);
    $('think-pv').textContent = variationText(search.fen, info.pv);
    if (search.kind === 'move' && announced) refresh();
  } else if (line === 'info string book move') {
    $('think-summary').textContent = 'Book move';
    if (search.kind === 'move') engineScore = { cp: 0 };
  }
}

function onBest(uci) {
  const done = search;
  search = null;
  if (done.kind === 'hint') {
    hint = uciMove(uci);
    refresh();
    hooks.note(`Hint: ${new Chess(done.fen).move(hint).san}`);
    return;
  }
  playEngineMove(uci);
}

// The engine's move. One that the rules refuse would be searched for and
// refused again without end: the game stops there with the reason shown,
// until a take-back, a new game or a set-up position.
function playEngineMove(uci) {
  let move;
  try {
    move = game.move(uciMove(uci));
  } catch {
    stalled = `TORLO answered ${uci}, which is not a legal move here. Take back or start a new game.`;
    if (clock) stopClock(clock, Date.now());
    hooks.note(stalled);
    refresh();
    save();
    return;
  }
  afterMove(move);
}

// The engine's worker failed and was replaced: the search it was running
// starts again in the new one. One that cannot be replaced stops the game.
function onEngineFailure(message, restarted) {
  const kind = search ? search.kind : null;
  search = null;
  if (!restarted) {
    stalled = `The engine did not start: ${message}`;
    refresh();
    return;
  }
  hooks.note(`The engine stopped (${message}) and was restarted.`);
  if (kind) think(kind);
  refresh();
}

// After every move, the user's or the engine's: the clock, the words for a
// screen reader, the saved game, and the engine's turn.
function afterMove(move) {
  hint = null;
  const now = Date.now();
  if (clock) {
    pressClock(clock, now);
    if (clock.since === null) {  // the mover's time had run out before the move: it does not count
      game.undo();
      return flagFell(move.color);
    }
  }
  hooks.announce(moveInWords(move));
  if (outcome()) return finish();
  save();
  refresh();
  if (!userToMove() && inProgress() && !paused) {
    think('move');
    refresh();
  }
}

export function userMove(from, to, promotion) {
  if (!userToMove()) return refresh();
  stopSearch();  // a hint still searching
  hooks.note('');
  let move;
  try {
    move = game.move({ from, to, promotion });
  } catch {
    hooks.note(`Not a legal move: ${from}${to}`);
    return refresh();
  }
  afterMove(move);
}

// A move typed in the Move field, in SAN or in coordinates.
export function typedMove(text) {
  if (!userToMove()) {
    hooks.note(inProgress() ? 'Wait for TORLO\'s move.' : 'The game is over: start a new game.');
    return false;
  }
  const { move, error } = parseTypedMove(game, text);
  if (error) {
    hooks.note(error);
    return false;
  }
  userMove(move.from, move.to, move.promotion);
  return true;
}

// A flag fell (game-end.js says who wins).
function flagFell(colour) {
  ended = flagFall(game, colour);
  finish();
}

// The game has ended: no search, the clock stopped, the PGN's last tags, the
// game kept in the list (once).
function finish() {
  stopSearch();
  if (clock) stopClock(clock, Date.now());
  refresh();
  if (!recorded) {
    recorded = true;
    hooks.finished(finishedRecord(game, choices(), outcome()));
  }
  save();
}

export function resign() {
  if (!inProgress()) return;
  ended = resignation(userColor);
  finish();
}

// The engine answers a draw offer (game-end.js); a declined one goes on.
export function offerDraw() {
  if (!inProgress()) return;
  const answer = drawOffer(game.moveNumber(), engineScore);
  if (answer.declined) return hooks.note(answer.declined);
  ended = answer.ended;
  finish();
}

export function hintSearch() {
  if (userToMove() && !search) think('hint');
  refresh();
}

function begin(next) {
  stopSearch();
  game = next;
  hint = null;
  announced = 0;
  engineScore = null;
  stalled = null;
  ended = null;
  recorded = false;
  board.orient(userColor);
  $('think-summary').textContent = '—';
  $('think-pv').textContent = '';
  hooks.note('');
}

// A new game with the dialog's choices ({ colour, level, timeControl }),
// from the standard position or a FEN (the current choices kept).
export function newGame(choice = {}, fen = DEFAULT_POSITION) {
  let next;
  try {
    next = new Chess(fen);
  } catch (error) {
    hooks.note(`Not a position: ${error.message}`);
    return false;
  }
  ({ colour: userColor = userColor, level = level, timeControl = timeControl } = choice);
  begin(next);
  clock = timeControl.kind === 'clock' ? newClock(timeControl) : null;
  if (clock) startClock(clock, game.turn(), Date.now());
  setGameHeaders(game, choices());
  engine.send('ucinewgame');
  paused = false;
  save();
  refresh();
  if (!userToMove() && inProgress()) think('move');
  refresh();
  return true;
}

// The game saved before a reload, exactly as it was; a clock that was
// running goes on from the time it had when saved. False for a saved game
// that cannot be replayed.
export function restore(saved) {
  let next;
  try {
    next = replay(saved.start, saved.moves, saved.headers);
  } catch {
    return false;
  }
  ({ userColor, level, timeControl } = saved);
  begin(next);
  ended = saved.ended;
  recorded = saved.recorded;
  clock = saved.clock;
  if (clock && inProgress()) startClock(clock, game.turn(), Date.now());
  paused = false;
  if (outcome() && !recorded) {  // the page closed before the end was kept
    finish();
    return true;
  }
  refresh();
  if (!userToMove() && inProgress()) think('move');
  refresh();
  return true;
}

export function takeBack() {
  const plies = takeBackPlies(game, userColor);
  if (!plies || !(inProgress() || stalled)) return;
  stopSearch();
  for (let i = 0; i < plies; ++i) game.undo();
  if (clock) {
    stopClock(clock, Date.now());
    startClock(clock, game.turn(), Date.now());
  }
  hint = null;
  announced = 0;
  stalled = null;
  hooks.note('');
  save();
  refresh();
}

// While the page shows another game or an analysis the game waits: its
// search stops and its clock does not run; resume() takes it up again.
export function pause() {
  if (paused) return;
  paused = true;
  for (const id of ['clock-top', 'clock-bottom']) $(id).hidden = true;  // this game's clocks, shown again on resume
  board.relayout();
  const kind = search?.kind;
  stopSearch();
  if (kind === 'hint') hint = null;
  if (clock && inProgress()) {
    stopClock(clock, Date.now());
    save();
  }
}

export function resume() {
  if (!paused) return;
  paused = false;
  if (clock && inProgress()) startClock(clock, game.turn(), Date.now());
  refresh();
  if (!userToMove() && inProgress()) think('move');
  refresh();
}

export const isPaused = () => paused;
export const isOver = () => !!outcome();
