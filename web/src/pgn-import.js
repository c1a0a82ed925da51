// Reading a game from PGN text, pasted or loaded from a file: the first
// game of the text, read by chess.js with its tags, or a one-line reason
// for a person why the text is not a game. Never throws.
import { Chess } from 'chess.js';

// Splits PGN text into games: a game's tag section starts at a "[" line
// that follows movetext (or the start).
function games(text) {
  const found = [];
  let current = [];
  let inMoves = false;
  for (const line of text.split('\n')) {
    if (line.startsWith('[') && inMoves) {
      found.push(current.join('\n'));
      [current, inMoves] = [[], false];
    }
    if (line.trim() && !line.startsWith('[')) inMoves = true;
    current.push(line);
  }
  if (current.some((l) => l.trim())) found.push(current.join('\n'));
  return found;
}

export function readPgn(input) {
  const text = String(input ?? '').replace(/\r\n?/g, '\n').trim();
  if (!text) return { error: 'Nothing to import: the text is empty.' };
  const all = games(text);
  const game = new Chess();
  try {
    game.loadPgn(all[0]);
  } catch (error) {
    // chess.js names a refused move; its parser's own message lists the grammar, which helps nobody.
    const reason = /^Invalid move/.test(error.message) ? error.message : 'the text could not be read as PGN';
    return { error: `Not a game: ${reason}.` };
  }
  if (game.history().length === 0 && !game.getHeaders().FEN) {
    return { error: 'Not a game: no moves and no starting position were found.' };
  }
  return all.length > 1 ? { game, note: `The text holds ${all.length} games: the first one is opened.` } : { game };
}
