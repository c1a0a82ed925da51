// The page: a chessground board in front of TORLO, which runs compiled to
// WebAssembly in a Web Worker and speaks UCI there. It shows one of three
// things on the board: the game against the engine (play.js), a game to
// study and its review (review-panel.js), or the analysis board
// (analysis.js); this file starts the modules and sends each control and
// each move on the board to the one that is shown.
import { createBoard } from './board.js';  // first: the page's style comes after chessground's
import { analysedGame, analysisMove, analysisTakeBack, closeAnalysis, initAnalysis, isOpen as analysing,
  openAnalysis } from './analysis.js';
import { Engine, canShareMemory } from './engine.js';
import { initGames, keepGame } from './games-panel.js';
import { askNewGame, fillNewGameDialog } from './newgame.js';
import { keepOffline } from './offline.js';
import * as play from './play.js';
import { closeGame, initReview, isViewing, openGame, startReview, stepPly, viewedGame,
  viewedPosition } from './review-panel.js';
import { clearCurrent, loadCurrent, reportOnce, saveCurrent } from './saved-game.js';
import { bindEngineOptions, engineOptions, offerThreads } from './settings.js';
import { movesOf, replay, startOf } from './game.js';
import './style.css';

const $ = (id) => document.getElementById(id);
const note = (text) => { $('note').textContent = text; };
// Storage refused (private mode, a full disk) is told once, on a line of its own that stays.
const report = reportOnce((text) => { $('storage-note').textContent = text; });
const options = () => engineOptions($('threads'), $('hash'));

// Until the worker has started a build, the page offers the threads its
// isolation allows; once it has, the build is named (and data-build set).
function onEngineBuild(build) {
  offerThreads($('threads'), build);
  engine.options(options());
  $('engine-build').textContent = build === 'threads'
    ? `Threaded WebAssembly engine: up to ${$('threads').length} threads.`
    : 'Single-threaded WebAssembly engine (this page is not cross-origin isolated).';
  $('engine-build').dataset.build = build;
}

offerThreads($('threads'), canShareMemory() ? 'threads' : 'single');
bindEngineOptions($('threads'), $('hash'), (name, value) => engine.options({ [name]: value }));
keepOffline();
const engine = new Engine({ onBuild: onEngineBuild, onNote: note, setup: options });
const board = createBoard($('board'), $('promotion'), {
  onMove: (from, to, promotion) => (analysing() ? analysisMove(from, to, promotion) : play.userMove(from, to, promotion)),
  onCancel: () => (analysing() ? analysisMove() : play.refresh()),
});
play.init({
  engine, board, note,
  announce: (text) => { $('announce').textContent = text; },
  save: (state) => saveCurrent(state) || report('This browser does not keep the game in progress (storage is unavailable or full).'),
  finished: (record) => keepGame(record),
  changed: () => updateControls(),
});
initAnalysis({ engine, board, engineOptions: options });
initReview({ engine, board, engineOptions: options });
fillNewGameDialog($);

// Back to the game against the engine from whatever is shown.
function backToPlay() {
  closeAnalysis();
  closeGame();
  play.resume();
  updateControls();
}

// The buttons that depend on what is shown.
function updateControls() {
  const study = analysing() || isViewing();
  for (const id of ['resign', 'draw', 'hint']) if (study) $(id).disabled = true;
  if (isViewing() && !analysing()) $('takeback').disabled = true;  // a game shown for study is not changed
  $('move-input').disabled = study || $('move-input').disabled;
  $('review').disabled = analysing() || (!isViewing() && !(play.isOver() && play.currentGame().history().length));
  $('analyse').disabled = analysing();
}

function showGame(game, review) {
  play.pause();
  closeAnalysis();
  openGame(game);
  updateControls();
  if (review) startReview().then(updateControls);
}

function analyse() {
  const from = isViewing() ? viewedPosition() : { start: startOf(play.currentGame()), moves: movesOf(play.currentGame()) };
  play.pause();
  openAnalysis(from.start, from.moves);
  updateControls();
}

function closeAnalysisView() {
  closeAnalysis();
  if (isViewing()) stepPly(0);
  else play.resume();
  updateControls();
}

// The game that is shown, for Copy FEN and Copy PGN.
function shownGame() {
  if (analysing()) return analysedGame();
  if (isViewing()) {
    const { start, moves } = viewedPosition();
    return replay(start, moves);
  }
  return play.currentGame();
}

async function copy(text, what) {
  const box = $('export');
  try {
    await navigator.clipboard.writeText(text);
    box.hidden = true;
    note(`${what} copied.`);
  } catch {
    box.hidden = false;
    box.value = text;
    box.select();
    note(`${what} is in the box below: copy it from there.`);
  }
}

$('new-game').addEventListener('click', async () => {
  const choice = await askNewGame($);
  if (!choice) return;
  closeAnalysis();
  closeGame();
  play.newGame(choice);
  updateControls();
});
$('resign').addEventListener('click', play.resign);
$('draw').addEventListener('click', play.offerDraw);
$('takeback').addEventListener('click', () => (analysing() ? analysisTakeBack() : play.takeBack()));
$('flip').addEventListener('click', () => { board.flip(); play.refresh(); });
$('hint').addEventListener('click', () => play.hintSearch());
$('move-form').addEventListener('submit', (event) => {
  event.preventDefault();
  if (play.typedMove($('move-input').value)) $('move-input').value = '';
});
$('review').addEventListener('click', () => (isViewing() ? startReview().then(updateControls) : showGame(play.currentGame(), true)));
$('review-close').addEventListener('click', backToPlay);
$('analyse').addEventListener('click', analyse);
$('analysis-close').addEventListener('click', closeAnalysisView);
$('fen-form').addEventListener('submit', (event) => {
  event.preventDefault();
  const fen = $('fen').value.trim();
  if (analysing()) {
    try {
      openAnalysis(fen, []);
    } catch (error) {
      note(`Not a position: ${error.message}`);
    }
    return;
  }
  const wasViewing = isViewing();
  if (wasViewing) closeGame();
  if (!play.newGame({}, fen) && wasViewing) play.resume();
  updateControls();
});
$('copy-fen').addEventListener('click', () => copy(shownGame().fen(), 'FEN'));
$('copy-pgn').addEventListener('click', () => copy((isViewing() && !analysing() ? viewedGame() : shownGame()).pgn(), 'PGN'));
// The arrow keys step through a game shown for study.
document.addEventListener('keydown', (event) => {
  if (!isViewing() || analysing() || event.target.closest('input, textarea, select, dialog')) return;
  if (event.key === 'ArrowLeft') stepPly(-1);
  else if (event.key === 'ArrowRight') stepPly(1);
});

initGames({ open: showGame, copy, report, note });  // first: a restored game that has ended goes to the list
const saved = loadCurrent();
if (!saved || !play.restore(saved)) {
  if (saved) clearCurrent();
  play.newGame({ colour: 'white', level: null, timeControl: { kind: 'move', ms: 2000 } });
}
updateControls();
addEventListener('pagehide', play.saveNow);
document.addEventListener('visibilitychange', () => document.visibilityState === 'hidden' && play.saveNow());
