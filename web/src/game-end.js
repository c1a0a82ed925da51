// How a game against the engine ends off the board: a flag falling, the
// user resigning, a draw offered. Each answer is the ended game
// { result, reason, termination } (the PGN's Result, the status line, the
// PGN's Termination), or what the engine says to a draw it declines.

// The engine accepts a draw offered after move 30 when its own score is
// within this many centipawns of equality.
export const DRAW_MARGIN_CP = 25;

// A flag fell for `colour` ('w' or 'b'): that side loses, unless the other
// side has nothing to mate with (a bare king, or a king with one bishop or
// knight): then it is a draw.
export function flagFall(game, colour) {
  const [loser, winner] = colour === 'w' ? ['White', 'Black'] : ['Black', 'White'];
  const other = colour === 'w' ? 'b' : 'w';
  const material = game.board().flat().filter((p) => p && p.color === other && p.type !== 'k').map((p) => p.type);
  const canMate = !(material.length === 0 || (material.length === 1 && 'bn'.includes(material[0])));
  return canMate
    ? { result: colour === 'w' ? '0-1' : '1-0', reason: `${loser}'s time ran out: ${winner} wins`,
      termination: 'time forfeit' }
    : { result: '1/2-1/2', reason: `${loser}'s time ran out, but ${winner} cannot mate: draw`,
      termination: 'time forfeit' };
}

// The user, playing `userColor` ('white' or 'black'), resigns.
export function resignation(userColor) {
  const winner = userColor === 'white' ? 'Black' : 'White';
  return { result: userColor === 'white' ? '0-1' : '1-0', reason: `You resigned: ${winner} wins`,
    termination: 'resignation' };
}

// A draw offered at move `moveNumber`, the engine's last score for its own
// move being `engineScore` ({ cp } | { mate } | null): { ended } when the
// engine takes it, { declined } with its answer otherwise.
export function drawOffer(moveNumber, engineScore) {
  const close = engineScore && 'cp' in engineScore && Math.abs(engineScore.cp) <= DRAW_MARGIN_CP;
  if (moveNumber > 30 && close) return { ended: { result: '1/2-1/2', reason: 'Draw agreed', termination: 'agreement' } };
  return { declined: moveNumber > 30 ? 'TORLO declines the draw: the game is not equal enough.'
    : 'TORLO declines the draw before move 30.' };
}
