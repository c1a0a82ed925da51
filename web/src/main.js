// The page: a chessground board in front of TORLO, which runs compiled to
// WebAssembly in a Web Worker and speaks UCI there. The engine decides its
// own moves; chess.js checks the user's moves and writes the move text, the
// PGN, the FEN and the result.
import { Chessground } from '@lichess-org/chessground';
import { Chess, DEFAULT_POSITION } from 'chess.js';
import '@lichess-org/chessground/assets/chessground.base.css';
import '@lichess-org/chessground/assets/chessground.brown.css';
import '@lichess-org/chessground/assets/chessground.cburnett.css';
import './style.css';
import { keepOffline } from './offline.js';

const $ = (id) => document.getElementById(id);

// The engine worker. Each command line gets a number, and the worker tags
// every line the engine prints with the number of the command it was
// executing, so that the lines of a cancelled search are recognised and
// dropped. A search is cancelled through a shared counter that the engine
// reads at its time checks: a command numbered at or below it stops at
// once. A page that is not cross-origin isolated has no shared memory; it
// replaces the worker instead (the next search sends the whole game again).
// A worker that fails (an error in the engine or the worker) is replaced the
// same way, and onFailure(message, restarted) told what happened; one that
// fails again before its engine printed a line is not started again.
// The isolated page also has the engine search with helper threads: the
// worker loads the threaded build, and reports the build it started to
// onBuild. Each new worker is sent setup() after `uci` (the options).
class Engine {
  constructor(onLine, onFailure, onBuild, setup) {
    Object.assign(this, { onLine, onFailure, onBuild, setup });
    this.lastId = 0;
    this.failures = 0;  // failures since the engine last printed a line
    this.start();
  }

  start() {
    const shared = self.crossOriginIsolated && typeof SharedArrayBuffer === 'function';
    this.counter = shared ? new Int32Array(new SharedArrayBuffer(4)) : null;
    this.worker = new Worker('engine-worker.js');
    this.worker.onmessage = ({ data }) => {
      if (data.failed) showNote(data.failed);
      else if (data.build) this.onBuild(data.build);
      else if (data.error) console.error(`engine: ${data.line}`);
      else {
        this.failures = 0;
        this.onLine(data.id, data.line);
      }
    };
    this.worker.onerror = (event) => {
      event.preventDefault();  // reported here, not as an uncaught error
      this.worker.terminate();
      const restart = ++this.failures === 1;
      if (restart) this.start();
      this.onFailure(event.message, restart);
    };
    this.worker.postMessage({ init: { cancel: this.counter ? this.counter.buffer : null, threads: shared } });
    this.send('uci');
    for (const line of this.setup()) this.send(line);
  }

  send(line) {
    this.worker.postMessage({ id: ++this.lastId, line });
    return this.lastId;
  }

  cancel(id) {
    if (this.counter) {
      Atomics.store(this.counter, 0, id);
    } else {
      this.worker.terminate();
      this.start();
    }
  }
}

// Threads (1 to the cores the browser reports, above 1 only with the
// threaded build) and Hash, the table's size in MB: the engine's UCI
// options, kept in localStorage. Until the worker has started a build, the
// page offers what its isolation allows; once it has, the build is named
// (and data-build set on that line: 'threads' or 'single').
const saved = (key) => {
  try {
    return Number(localStorage.getItem(`torlo-${key}`)) || null;
  } catch {
    return null;  // storage refused: the defaults
  }
};
const store = (key, value) => {
  try {
    localStorage.setItem(`torlo-${key}`, value);
  } catch {}  // not kept, still used
};
const optionLines = () => [`setoption name Threads value ${$('threads').value}`, `setoption name Hash value ${$('hash').value}`];

function offerThreads(build) {
  const cores = build === 'threads' ? Math.max(1, navigator.hardwareConcurrency || 1) : 1;
  const select = $('threads');
  select.replaceChildren(...Array.from({ length: cores }, (_, i) => new Option(String(i + 1), String(i + 1))));
  select.value = String(Math.min(saved('threads') || 1, cores));
}

function onEngineBuild(build) {
  const before = $('threads').value;
  offerThreads(build);
  if ($('threads').value !== before) engine.send(optionLines()[0]);
  $('engine-build').textContent = build === 'threads'
    ? `Threaded WebAssembly engine: up to ${$('threads').length} threads.`
    : 'Single-threaded WebAssembly engine (this page is not cross-origin isolated).';
  $('engine-build').dataset.build = build;
}

offerThreads(self.crossOriginIsolated && typeof SharedArrayBuffer === 'function' ? 'threads' : 'single');
$('hash').value = String(saved('hash') || 16);
if (!$('hash').value) $('hash').value = '16';  // a stored size the page no longer offers
for (const [key, i] of [['threads', 0], ['hash', 1]]) {
  $(key).addEventListener('change', () => {
    store(key, $(key).value);
    engine.send(optionLines()[i]);
  });
}

keepOffline();
const engine = new Engine(onEngineLine, onEngineFailure, onEngineBuild, optionLines);
let game = new Chess();
let userColor = 'white';
let search = null;     // the running search: { id, kind: 'move' | 'hint', fen }
let hint = null;       // { from, to } shown as an arrow
let announced = 0;     // mate in N that the engine announced, 0 for none
let stalled = null;    // why the game cannot go on (an engine move the rules refuse), or null

const board = Chessground($('board'), {
  movable: { free: false, showDests: true, events: { after: onUserMove } },
  premovable: { enabled: false },
  highlight: { lastMove: true, check: true },
  animation: { duration: 150 },
});

const colorOf = (turn) => (turn === 'w' ? 'white' : 'black');
const userToMove = () => colorOf(game.turn()) === userColor && !result();
const uciOf = (m) => m.from + m.to + (m.promotion || '');

function result() {
  if (game.isCheckmate()) return game.turn() === 'w' ? ['0-1', 'Checkmate: Black wins'] : ['1-0', 'Checkmate: White wins'];
  if (game.isStalemate()) return ['1/2-1/2', 'Draw by stalemate'];
  if (game.isInsufficientMaterial()) return ['1/2-1/2', 'Draw: neither side can mate (insufficient material)'];
  if (game.isThreefoldRepetition()) return ['1/2-1/2', 'Draw by threefold repetition'];
  if (game.isDrawByFiftyMoves()) return ['1/2-1/2', 'Draw by the fifty-move rule'];
  return null;
}

function legalDests() {
  const dests = new Map();
  for (const m of game.moves({ verbose: true })) dests.set(m.from, [...(dests.get(m.from) || []), m.to]);
  return dests;
}

// Plies to take back so that the user is to move again with one of their
// own moves undone: the engine's reply too, unless the engine is to move.
function takeBackPlies() {
  const plies = colorOf(game.turn()) === userColor ? 2 : 1;
  return plies <= game.history().length ? plies : 0;
}

function refresh() {
  const turn = colorOf(game.turn());
  const last = game.history({ verbose: true }).at(-1);
  const movable = userToMove();
  board.set({
    fen: game.fen(),
    turnColor: turn,
    lastMove: last ? [last.from, last.to] : undefined,
    check: game.inCheck() ? turn : false,
    movable: { color: movable ? userColor : undefined, dests: movable ? legalDests() : new Map() },
  });
  board.setAutoShapes(hint ? [{ orig: hint.from, dest: hint.to, brush: 'blue' }] : []);
  $('fen').value = game.fen();
  $('takeback').disabled = takeBackPlies() === 0;
  $('hint').disabled = !movable || search !== null;
  renderMoves();
  const over = result();
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

function renderMoves() {
  const list = $('moves');
  list.replaceChildren();
  const history = game.history({ verbose: true });
  let item = null;
  for (const m of history) {
    if (m.color === 'w' || !item) {
      item = document.createElement('li');
      item.value = Number(m.before.split(' ')[5]);
      if (m.color === 'b') item.append('… ');
      list.append(item);
    }
    item.append(`${m.san} `);
  }
  list.scrollTop = list.scrollHeight;
}

// The engine searches the current position, the whole game sent along so
// that it knows the repetitions and its book.
function think(kind) {
  const start = game.getHeaders().FEN;
  const moves = game.history({ verbose: true }).map(uciOf);
  engine.send(`position ${start ? `fen ${start}` : 'startpos'}${moves.length ? ` moves ${moves.join(' ')}` : ''}`);
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
  if (!result() && !userToMove() && !stalled) {
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

function onUserMove(from, to) {
  const piece = game.get(from);
  if (piece && piece.type === 'p' && (to[1] === '8' || to[1] === '1')) {
    const chooser = $('promotion');
    chooser.returnValue = '';
    chooser.addEventListener('close', () => (chooser.returnValue ? play(from, to, chooser.returnValue) : refresh()), {
      once: true,
    });
    chooser.showModal();
    return;
  }
  play(from, to);
}

function onEngineLine(id, line) {
  if (!search || id !== search.id) return;
  if (line.startsWith('info depth ')) showThinking(line);
  else if (line === 'info string book move') $('think-summary').textContent = 'Book move';
  else if (line.startsWith('bestmove ')) {
    const done = search;
    search = null;
    const uci = line.split(' ')[1];
    const move = { from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] };
    if (done.kind === 'hint') {
      hint = move;
      refresh();
      showNote(`Hint: ${new Chess(done.fen).move(move).san}`);
      return;
    }
    playEngineMove(move, uci);
  }
}

// The engine's move. One that the rules refuse would be searched for and
// refused again without end: the game stops there with the reason shown,
// until a take-back, a new game or a set-up position.
function playEngineMove(move, uci) {
  try {
    game.move(move);
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

// "info depth D score cp S|mate N time T nodes N nps N pv m1 m2 ...": the
// score is from the side to move's view; the page shows it from White's.
function showThinking(line) {
  const words = line.split(' ');
  const field = (name) => words[words.indexOf(name) + 1];
  const sign = search.fen.split(' ')[1] === 'w' ? 1 : -1;
  const value = Number(words[words.indexOf('score') + 2]);
  const mate = field('score') === 'mate';
  const score = mate ? `#${sign * value}` : `${sign * value >= 0 ? '+' : ''}${((sign * value) / 100).toFixed(2)}`;
  if (search.kind === 'move') announced = mate && value > 0 ? value : 0;
  const nps = Number(field('nps'));
  $('think-summary').textContent =
    `Depth ${field('depth')} · ${score} · ${Number(field('nodes')).toLocaleString('en')} nodes · ` +
    (nps >= 1e6 ? `${(nps / 1e6).toFixed(1)} M` : nps >= 1e3 ? `${Math.round(nps / 1e3)} k` : `${nps} `) + 'nodes/s';
  $('think-pv').textContent = variationText(search.fen, words.slice(words.indexOf('pv') + 1));
  if (search.kind === 'move' && announced) refresh();
}

function variationText(fen, moves) {
  const line = new Chess(fen);
  const parts = [];
  for (const uci of moves) {
    const [number, black] = [line.moveNumber(), line.turn() === 'b'];
    let san;
    try {
      san = line.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] }).san;
    } catch {
      break;
    }
    if (!black) parts.push(`${number}.`);
    else if (parts.length === 0) parts.push(`${number}…`);
    parts.push(san);
  }
  return parts.join(' ');
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
  const date = new Date();
  game.setHeader('Event', 'Casual game');
  game.setHeader('Site', 'TORLO in a web browser');
  game.setHeader('Date', `${date.getFullYear()}.${String(date.getMonth() + 1).padStart(2, '0')}.${String(date.getDate()).padStart(2, '0')}`);
  game.setHeader('White', color === 'white' ? 'You' : 'TORLO');
  game.setHeader('Black', color === 'white' ? 'TORLO' : 'You');
  board.set({ orientation: color });
  engine.send('ucinewgame');
  showNote('');
  $('think-summary').textContent = '—';
  $('think-pv').textContent = '';
  afterMove();
}

function takeBack() {
  const plies = takeBackPlies();
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

function showNote(text) {
  $('note').textContent = text;
}

$('new-white').addEventListener('click', () => newGame('white'));
$('new-black').addEventListener('click', () => newGame('black'));
$('takeback').addEventListener('click', takeBack);
$('flip').addEventListener('click', () => board.toggleOrientation());
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
