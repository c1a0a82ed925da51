// Moves as text: a move typed by the user (SAN or coordinates) found among
// the legal moves, and a played move told in words for a screen reader.
// Never throws: every input gets a move or a one-line message.
const PIECES = { p: 'pawn', n: 'knight', b: 'bishop', r: 'rook', q: 'queen', k: 'king' };

// Strips what SAN allows after a move and writes castling with letters.
const bare = (san) => san.replace(/[+#!?]+$/, '').replace(/0/g, 'O');
const SAN = /^([KQRBN])?([a-h])?([1-8])?x?([a-h][1-8])(?:=?([QRBNqrbn]))?$/;

// The legal moves that a SAN text can mean: the piece, the target square,
// the from-square's file or rank when given, the promotion piece when given
// (without it, every promotion on that square).
function bySan(legal, text) {
  const match = SAN.exec(text);
  if (!match) return [];
  const [, piece, file, rank, to, promotion] = match;
  return legal.filter((m) => m.piece === (piece || 'p').toLowerCase() && m.to === to
    && (!file || m.from[0] === file) && (!rank || m.from[1] === rank)
    && (!promotion || m.promotion === promotion.toLowerCase()));
}

// The legal moves that `text` can mean.
function candidates(legal, text) {
  const coords = /^([a-h][1-8])-?([a-h][1-8])=?([qrbnQRBN])?$/.exec(text);
  if (coords) {
    return legal.filter((m) => m.from === coords[1] && m.to === coords[2]
      && (!coords[3] || m.promotion === coords[3].toLowerCase()));
  }
  const typed = bare(text);
  if (typed.startsWith('O-O')) return legal.filter((m) => m.san.replace(/[+#]$/, '') === typed);
  // A piece letter in lower case: "nf3"; "bc4" is the b-pawn when that is
  // a legal move, otherwise the bishop.
  const asTyped = bySan(legal, typed);
  if (asTyped.length || !/^[kqrbn]/.test(typed)) return asTyped;
  return bySan(legal, typed[0].toUpperCase() + typed.slice(1));
}

export function parseTypedMove(chess, input) {
  const text = String(input ?? '').trim();
  if (!text) return { error: 'Type a move, e.g. Nf3 or g1f3.' };
  const shape = /^([KQRBNkqrbn]?[a-h]?[1-8]?x?[a-h][1-8](=?[QRBNqrbn])?|[a-h][1-8]-?[a-h][1-8]=?[qrbnQRBN]?|[O0]-[O0](-[O0])?)[+#!?]*$/;
  if (!shape.test(text)) return { error: `Not a move: ${text}` };  // before the moves are generated
  const found = candidates(chess.moves({ verbose: true }), text);
  if (found.length === 1) return { move: found[0] };
  if (found.length === 0) return { error: `Illegal move: ${text}` };
  const order = (m) => 'qrbn'.indexOf(m.promotion);  // promotions named queen first
  const names = found.sort((a, b) => order(a) - order(b)).map((m) => m.san.replace(/[+#]$/, ''));
  return { error: `Ambiguous move: ${text} (${names.slice(0, -1).join(', ')} or ${names.at(-1)})` };
}

// "White knight g1 to f3.", "Black pawn e5 takes d4.", "White castles
// kingside.", "White pawn e7 to e8, promotes to queen. Check."
export function moveInWords(move) {
  const side = move.color === 'w' ? 'White' : 'Black';
  let text;
  if (move.san.startsWith('O-O-O')) text = `${side} castles queenside.`;
  else if (move.san.startsWith('O-O')) text = `${side} castles kingside.`;
  else {
    const takes = move.captured ? 'takes' : 'to';
    const enPassant = move.flags.includes('e') ? ' en passant' : '';
    const promotes = move.promotion ? `, promotes to ${PIECES[move.promotion]}` : '';
    text = `${side} ${PIECES[move.piece]} ${move.from} ${takes} ${move.to}${enPassant}${promotes}.`;
  }
  if (move.san.endsWith('#')) return `${text} Checkmate.`;
  return move.san.endsWith('+') ? `${text} Check.` : text;
}
