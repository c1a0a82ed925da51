// The chessground board: shows a chess.js game's position (last move,
// check, the legal moves of the side the user may move), arrows, and asks
// for the piece of a promotion.
import { Chessground } from '@lichess-org/chessground';
import '@lichess-org/chessground/assets/chessground.base.css';
import '@lichess-org/chessground/assets/chessground.brown.css';
import '@lichess-org/chessground/assets/chessground.cburnett.css';
import { colorOf, legalDests } from './game.js';

// onMove(from, to, promotion) for each move the user makes on the board;
// a pawn reaching the last rank asks `chooser` (a <dialog> whose buttons
// return q, r, b, n or '' for cancel) first; a cancelled promotion calls
// onCancel, which shows the position again.
export function createBoard(element, chooser, { onMove, onCancel }) {
  let game = null;
  const board = Chessground(element, {
    movable: { free: false, showDests: true, events: { after: userMoved } },
    premovable: { enabled: false },
    highlight: { lastMove: true, check: true },
    animation: { duration: 150 },
  });

  function userMoved(from, to) {
    const piece = game.get(from);
    if (piece && piece.type === 'p' && (to[1] === '8' || to[1] === '1')) {
      chooser.returnValue = '';
      chooser.addEventListener('close', () => (chooser.returnValue ? onMove(from, to, chooser.returnValue) : onCancel()), {
        once: true,
      });
      chooser.showModal();
      return;
    }
    onMove(from, to);
  }

  return {
    // The game's position; `movable` the colour the user may move now, or null.
    show(shown, movable, arrows = []) {
      game = shown;
      const turn = colorOf(game.turn());
      const last = game.history({ verbose: true }).at(-1);
      board.set({
        fen: game.fen(),
        turnColor: turn,
        lastMove: last ? [last.from, last.to] : undefined,
        check: game.inCheck() ? turn : false,
        movable: { color: movable || undefined, dests: movable ? legalDests(game) : new Map() },
      });
      board.setAutoShapes(arrows);
    },
    orient: (color) => board.set({ orientation: color }),
    orientation: () => board.state.orientation,
    // The board moved or changed size (a clock or the evaluation bar shown
    // or hidden): chessground measures its squares again.
    relayout: () => board.redrawAll(),
    flip: () => board.toggleOrientation(),
  };
}
