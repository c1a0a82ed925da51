// The game against the engine: whose move it is, the engine's searches at
// the chosen strength, the clock, how the game ends (the rules, a flag
// falling, resignation, a draw agreed) and the PGN it leaves. The page
// (main.js) gives it the engine, the board and its hooks:
//   save(state)        the game in progress, after every change
//   finished(record)   a game that has just ended, for the games list
//   announce(text)     a move in words, for the aria-live region
//   note(text)         a one-line message under the board
//   changed()          the game's state was shown again (the page's other buttons follow it)
import { Chess, DEFAULT_POSITION } from 'chess.js';
import { flagged, formatClock, lowTime, newClock, pressClock, startClock, stopClock, timeLeft } from './clock.js';
import { colorOf, movesOf, pgnDate, positionCommand, renderMoves, replay, result, startOf, takeBackPlies }
  from './game.js';
import { moveInWords, parseTypedMove } from './move-text.js';
import { levelName, pgnTimeControl, timeControlText } from './newgame.js';
import { STATE_VERSION } from './saved-game.js';
import { parseInfo, summaryText, uciMove, variationText } from './thinking.js';

const $ = (id) => document.getElementById(id);
// The engine accepts a draw offered after move 30 when its own score is
// within this many centipawns of equality.
const DRAW_MARGIN_CP = 25;

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

// The clocks follow the board: the colour at the bottom has the lower one.
function renderClocks(now) {
  for (const [id, atBottom] of [['clock-top', false], ['clock-bottom', true]]) {
    const element = $(id);
    if (element.hidden !== !clock) {
      element.hidden = !clock;
      board.relayout();
    }
    if (!clock) continue;
    const colour = (board.orientation() === 'white') === atBottom ? 'w' : 'b';
    const name = colour === 'w' ? 'White' : 'Black';
    const who = colorOf(colour) === userColor ? 'You' : levelName(level);
    element.setAttribute('aria-label', `${name}'s clock (${who})`);
    element.textContent = `${name} · ${who} · ${formatClock(timeLeft(clock, colour, now))}`;
    element.classList.toggle('running', clock.since !== null && clock.turn === colour);
    element.classList.toggle('low', lowTime(clock, colour, now));
  }
}

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

// What a reload needs to show this game again exactly. The clock is kept
// stopped at the time of saving: the time the page is closed does not count.
function state() {
  let kept = null;
  if (clock) {
    kept = structuredClone(clock);
    if (kept.since !== null) stopClock(kept, Date.now());
  }
  return { version: STATE_VERSION, start: startOf(game) || null, moves: movesOf(game), headers: game.getHeaders(),
    userColor, level, timeControl, clock: kept, ended, recorded };
}
const save = () => hooks.save(state());
// The page is being hidden or closed: its clocks as they stand now.
export const saveNow = () => paused || save();

function engineOptions(kind) {
  const limit = kind === 'move' && level !== null;
  engine.options({ MultiPV: 1, OwnBook: true, UCI_LimitStrength: limit, ...(limit ? { UCI_Elo: level } : {}) });
}

function goLine(kind) {
  if (!clock) return `go movetime ${timeControl.ms}`;
  if (kind === 'hint') return 'go movetime 1000';
  const now = Date.now();
  const inc = clock.incrementMs;
  return `go wtime ${timeLeft(clock, 'w', now)} btime ${timeLeft(clock, 'b', now)} winc ${inc} binc ${inc}`;
}

// The engine searches the current position, the whole game sent along so
// that it knows the repetitions and its book.
function think(kind) {
  engineOptions(kind);
  const fen = game.fen();
  const id = engine.go(positionCommand(startOf(game), movesOf(game)), goLine(kind), {
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

// A flag fell: that side loses, unless the other side has nothing to mate
// with (a bare king, or a king with one bishop or knight): then it is a draw.
function flagFell(colour) {
  const [loser, winner] = colour === 'w' ? ['White', 'Black'] : ['Black', 'White'];
  const other = colour === 'w' ? 'b' : 'w';
  const material = game.board().flat().filter((p) => p && p.color === other && p.type !== 'k').map((p) => p.type);
  const canMate = !(material.length === 0 || (material.length === 1 && 'bn'.includes(material[0])));
  ended = canMate
    ? { result: colour === 'w' ? '0-1' : '1-0', reason: `${loser}'s time ran out: ${winner} wins`,
      termination: 'time forfeit' }
    : { result: '1/2-1/2', reason: `${loser}'s time ran out, but ${winner} cannot mate: draw`,
      termination: 'time forfeit' };
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
    const [res, , termination] = outcome();
    hooks.finished({ date: new Date().toISOString(), white: game.getHeaders().White, black: game.getHeaders().Black,
      colour: userColor, level, result: res, termination, timeControl: timeControlText(timeControl),
      pgn: game.pgn(), plies: game.history().length });
  }
  save();
}

export function resign() {
  if (!inProgress()) return;
  const winner = userColor === 'white' ? 'Black' : 'White';
  ended = { result: userColor === 'white' ? '0-1' : '1-0', reason: `You resigned: ${winner} wins`,
    termination: 'resignation' };
  finish();
}

// The engine takes a draw after move 30 when its last score for its own
// move was close to equality; otherwise the game goes on.
export function offerDraw() {
  if (!inProgress()) return;
  const close = engineScore && 'cp' in engineScore && Math.abs(engineScore.cp) <= DRAW_MARGIN_CP;
  if (game.moveNumber() > 30 && close) {
    ended = { result: '1/2-1/2', reason: 'Draw agreed', termination: 'agreement' };
    finish();
  } else {
    hooks.note(game.moveNumber() > 30 ? 'TORLO declines the draw: the game is not equal enough.'
      : 'TORLO declines the draw before move 30.');
  }
}

export function hintSearch() {
  if (userToMove() && !search) think('hint');
  refresh();
}

function setHeaders() {
  const date = new Date();
  const engineName = levelName(level);
  game.setHeader('Event', 'Casual game');
  game.setHeader('Site', 'TORLO in a web browser');
  game.setHeader('Date', pgnDate(date));
  game.setHeader('White', userColor === 'white' ? 'You' : engineName);
  game.setHeader('Black', userColor === 'white' ? engineName : 'You');
  if (level) game.setHeader(userColor === 'white' ? 'BlackElo' : 'WhiteElo', String(level));
  game.setHeader('TimeControl', pgnTimeControl(timeControl));
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
  setHeaders();
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
