// The page: a chessground board in front of TORLO, which runs compiled to
// WebAssembly in a Web Worker and speaks UCI there. The engine decides its
// own moves; chess.js checks the user's moves and writes the move text, the
// PGN, the FEN and the result. This file holds the game's state and wires
// the modules to the page's controls.
import { Chess, DEFAULT_POSITION } from 'chess.js';
import { createBoard } from './board.js';  // first: the page's style comes after chessground's
import { Engine, canShareMemory } from './engine.js';
import { colorOf, movesOf, pgnDate, positionCommand, renderMoves, result, startOf, takeBackPlies } from './game.js';
import { keepOffline } from './offline.js';
import { bindEngineOptions, hashLine, offerThreads, threadsLine } from './settings.js';
import { parseInfo, summaryText, uciMove, variationText } from './thinking.js';
import './style.css';

const $ = (id) => document.getElementById(id);
const showNote = (text) => { $('note').textContent = text; };

let game = new Chess();
let userColor = 'white';
let search = null;     // the running search: { id, kind: 'move' | 'hint', fen }
let hint = null;       // { from, to } shown as an arrow
let announced = 0;     // mate in N that the engine announced, 0 for none
let stalled = null;    // why the game cannot go on (an engine move the rules refuse), or null

// Until the worker has started a build, the page offers the threads its
// isolation allows; once it has, the build is named (and data-build set).
function onEngineBuild(build) {
  const before = $('threads').value;
  offerThreads($('threads'), build);
  if ($('threads').value !== before) engine.send(threadsLine($('threads').value));
  $('engine-build').textContent = build === 'threads'
    ? `Threaded WebAssembly engine: up to ${$('threads').length} threads.`
    : 'Single-threaded WebAssembly engine (this page is not cross-origin isolated).';
  $('engine-build').dataset.build = build;
}

offerThreads($('threads'), canShareMemory() ? 'threads' : 'single');
bindEngineOptions($('threads'), $('hash'), (line) => engine.send(line));
keepOffline();
const engine = new Engine({
  onLine: onEngineLine,
  onFailure: onEngineFailure,
  onBuild: onEngineBuild,
  onNote: showNote,
  setup: () => [threadsLine($('threads').value), hashLine($('hash').value)],
});
const board = createBoard($('board'), $('promotion'), { onMove: play, onCancel: refresh });

const userToMove = () => colorOf(game.turn()) === userColor && !result(game);

function refresh() {
  const movable = userToMove();
  board.show(game, movable ? userColor : null, hint ? [{ orig: hint.from, dest: hint.to, brush: 'blue' }] : []);
  $('fen').value = game.fen();
  $('takeback').disabled = takeBackPlies(game, userColor) === 0;
  $('hint').disabled = !movable || search !== null;
  renderMoves($('moves'), game);
  const over = result(game);
  game.setHeader('Result', over ? over[0] : '*');
  const mate = announced ? ` TORLO announces mate in ${announced}.` : '';
  $('status').textContent = over
    ? `${over[1]} (${over[0].replaceAll('1/2', '½')})`
    : stalled
      ? stalled
      : movable
      ? `Your move.${mate}${game.inCheck() ? ' You are in check.' : ''}`
      : `TORLO is thinking…${mate}`;
}

// The engine searches the current position, the whole game sent along so
// that it knows the repetitions and its book.
function think(kind) {
  engine.send(positionCommand(startOf(game), movesOf(game)));
  search = { kind, fen: game.fen(), id: engine.send(`go movetime ${$('movetime').value}`) };
  if (kind === 'move') announced = 0;
  $('think-summary').textContent = kind === 'hint' ? 'Looking for a hint…' : 'Thinking…';
  $('think-pv').textContent = '';
}

function stopSearch() {
  if (!search) return;
  engine.cancel(search.id);
  search = null;
}

function afterMove() {
  hint = null;
  refresh();
  if (!result(game) && !userToMove() && !stalled) {
    think('move');
    refresh();
  }
}

function play(from, to, promotion) {
  stopSearch();  // a hint still searching
  showNote('');
  try {
    game.move({ from, to, promotion });
  } catch {
    showNote(`Not a legal move: ${from}${to}`);
  }
  afterMove();
}

function onEngineLine(id, line) {
  if (!search || id !== search.id) return;
  const info = parseInfo(line);
  if (info) showThinking(info);
  else if (line === 'info string book move') $('think-summary').textContent = 'Book move';
  else if (line.startsWith('bestmove ')) {
    const done = search;
    search = null;
    const uci = line.split(' ')[1];
    if (done.kind === 'hint') {
      hint = uciMove(uci);
      refresh();
      showNote(`Hint: ${new Chess(done.fen).move(hint).san}`);
      return;
    }
    playEngineMove(uci);
  }
}

// The engine's move. One that the rules refuse would be searched for and
// refused again without end: the game stops there with the reason shown,
// until a take-back, a new game or a set-up position.
function playEngineMove(uci) {
  try {
    game.move(uciMove(uci));
  } catch {
    stalled = `TORLO answered ${uci}, which is not a legal move here. Take back or start a new game.`;
    showNote(stalled);
    refresh();
    return;
  }
  afterMove();
}

// The engine's worker failed and was replaced: the search it was running
// starts again in the new one. One that cannot be replaced stops the game.
function onEngineFailure(message, restarted) {
  if (!restarted) {
    stalled = `The engine did not start: ${message}`;
    search = null;
    refresh();
    return;
  }
  showNote(`The engine stopped (${message}) and was restarted.`);
  const kind = search ? search.kind : null;
  search = null;
  if (kind) think(kind);
  refresh();
}

// The thinking line: the score from White's side, a mate announced.
function showThinking(info) {
  const whiteToMove = search.fen.split(' ')[1] === 'w';
  if (search.kind === 'move') announced = 'mate' in info.score && info.score.mate > 0 ? info.score.mate : 0;
  $('think-summary').textContent = summaryText(info, whiteToMove);
  $('think-pv').textContent = variationText(search.fen, info.pv);
  if (search.kind === 'move' && announced) refresh();
}

function newGame(color, fen = DEFAULT_POSITION) {
  stopSearch();
  let next;
  try {
    next = new Chess(fen);
  } catch (error) {
    showNote(`Not a position: ${error.message}`);
    return;
  }
  game = next;
  userColor = color;
  announced = 0;
  stalled = null;
  game.setHeader('Event', 'Casual game');
  game.setHeader('Site', 'TORLO in a web browser');
  game.setHeader('Date', pgnDate(new Date()));
  game.setHeader('White', color === 'white' ? 'You' : 'TORLO');
  game.setHeader('Black', color === 'white' ? 'TORLO' : 'You');
  board.orient(color);
  engine.send('ucinewgame');
  showNote('');
  $('think-summary').textContent = '—';
  $('think-pv').textContent = '';
  afterMove();
}

function takeBack() {
  const plies = takeBackPlies(game, userColor);
  if (!plies) return;
  stopSearch();
  for (let i = 0; i < plies; ++i) game.undo();
  hint = null;
  announced = 0;
  stalled = null;
  showNote('');
  refresh();
}

async function copy(text, what) {
  const box = $('export');
  try {
    await navigator.clipboard.writeText(text);
    box.hidden = true;
    showNote(`${what} copied.`);
  } catch {
    box.hidden = false;
    box.value = text;
    box.select();
    showNote(`${what} is in the box below: copy it from there.`);
  }
}

$('new-white').addEventListener('click', () => newGame('white'));
$('new-black').addEventListener('click', () => newGame('black'));
$('takeback').addEventListener('click', takeBack);
$('flip').addEventListener('click', () => board.flip());
$('hint').addEventListener('click', () => {
  if (userToMove() && !search) think('hint');
  refresh();
});
$('fen-form').addEventListener('submit', (event) => {
  event.preventDefault();
  newGame(userColor, $('fen').value.trim());
});
$('copy-fen').addEventListener('click', () => copy(game.fen(), 'FEN'));
$('copy-pgn').addEventListener('click', () => copy(game.pgn(), 'PGN'));

newGame('white');
