// The game as chess.js holds it, read for the page: how it ended, the legal
// moves for the board, how far a take-back goes, the PGN headers, and the
// move list. Only renderMoves touches the DOM.
import { Chess } from 'chess.js';

export const colorOf = (turn) => (turn === 'w' ? 'white' : 'black');
export const uciOf = (m) => m.from + m.to + (m.promotion || '');

// [result, reason, termination] once the rules end the game, else null.
export function result(game) {
  if (game.isCheckmate()) {
    return [game.turn() === 'w' ? '0-1' : '1-0', `Checkmate: ${game.turn() === 'w' ? 'Black' : 'White'} wins`, 'checkmate'];
  }
  if (game.isStalemate()) return ['1/2-1/2', 'Draw by stalemate', 'stalemate'];
  if (game.isInsufficientMaterial()) {
    return ['1/2-1/2', 'Draw: neither side can mate (insufficient material)', 'insufficient material'];
  }
  if (game.isThreefoldRepetition()) return ['1/2-1/2', 'Draw by threefold repetition', 'threefold repetition'];
  if (game.isDrawByFiftyMoves()) return ['1/2-1/2', 'Draw by the fifty-move rule', 'fifty-move rule'];
  return null;
}

export function legalDests(game) {
  const dests = new Map();
  for (const m of game.moves({ verbose: true })) dests.set(m.from, [...(dests.get(m.from) || []), m.to]);
  return dests;
}

// Plies to take back so that the user is to move again with one of their
// own moves undone: the engine's reply too, unless the engine is to move.
export function takeBackPlies(game, userColor) {
  const plies = colorOf(game.turn()) === userColor ? 2 : 1;
  return plies <= game.history().length ? plies : 0;
}

// The position a game started from (its FEN header) and its moves in UCI:
// what the engine is sent, and what a saved game keeps.
export const startOf = (game) => game.getHeaders().FEN;
export const movesOf = (game) => game.history({ verbose: true }).map(uciOf);
export const positionCommand = (start, moves) =>
  `position ${start ? `fen ${start}` : 'startpos'}${moves.length ? ` moves ${moves.join(' ')}` : ''}`;

// A game from its start position and moves; throws on a move the rules refuse.
export function replay(start, moves, headers = {}) {
  const game = start ? new Chess(start) : new Chess();
  for (const [name, value] of Object.entries(headers)) game.setHeader(name, value);
  for (const uci of moves) game.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
  return game;
}

export const pgnDate = (date) =>
  `${date.getFullYear()}.${String(date.getMonth() + 1).padStart(2, '0')}.${String(date.getDate()).padStart(2, '0')}`;

// The move list, numbered as in the game score. onPick(ply), if given, makes
// each move a button that selects the position after it (ply 1 = after the
// first move); current marks the position shown.
export function renderMoves(list, game, { onPick, current } = {}) {
  list.replaceChildren();
  let item = null;
  game.history({ verbose: true }).forEach((m, i) => {
    if (m.color === 'w' || !item) {
      item = document.createElement('li');
      item.value = Number(m.before.split(' ')[5]);
      if (m.color === 'b') item.append('… ');
      list.append(item);
    }
    if (onPick) {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'move';
      button.textContent = m.san;
      if (current === i + 1) button.setAttribute('aria-current', 'true');
      button.addEventListener('click', () => onPick(i + 1));
      item.append(button, ' ');
    } else {
      item.append(`${m.san} `);
    }
  });
  list.scrollTop = list.scrollHeight;
}
