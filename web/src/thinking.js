// Reading the engine's thinking: UCI "info" lines parsed into plain data,
// and the texts the page shows for them (scores from White's side, nodes
// per second, a principal variation in standard notation). No DOM.
import { Chess } from 'chess.js';

// "info depth D [multipv K] score cp S|mate N [lowerbound|upperbound] time T
// nodes N nps N [pv m1 m2 ...]" -> { depth, multipv, score: { cp } | { mate },
// time, nodes, nps, pv: [uci...] }, or null for any other line (book move,
// info string, currmove lines).
export function parseInfo(line) {
  const words = line.split(' ');
  if (words[0] !== 'info' || words[1] !== 'depth') return null;
  const at = (name) => words.indexOf(name);
  const number = (name) => (at(name) > 0 ? Number(words[at(name) + 1]) : undefined);
  const kind = words[at('score') + 1];
  if (at('score') < 0 || (kind !== 'cp' && kind !== 'mate')) return null;
  return {
    depth: number('depth'),
    multipv: number('multipv') || 1,
    score: { [kind]: Number(words[at('score') + 2]) },
    time: number('time'),
    nodes: number('nodes'),
    nps: number('nps'),
    pv: at('pv') > 0 ? words.slice(at('pv') + 1) : [],
  };
}

// A score from the side to move's view, as White's: "+0.35", "-1.20",
// "#3" (White mates in 3), "#-2" (Black mates in 2).
export function scoreText(score, whiteToMove) {
  const sign = whiteToMove ? 1 : -1;
  if ('mate' in score) return `#${sign * score.mate}`;
  const cp = sign * score.cp;
  return `${cp >= 0 ? '+' : ''}${(cp / 100).toFixed(2)}`;
}

export function npsText(nps) {
  return (nps >= 1e6 ? `${(nps / 1e6).toFixed(1)} M` : nps >= 1e3 ? `${Math.round(nps / 1e3)} k` : `${nps} `) + 'nodes/s';
}

export const uciMove = (uci) => ({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });

// The moves of a variation from `fen` in SAN, cut at the first move the
// rules refuse.
export function sanLine(fen, moves) {
  const line = new Chess(fen);
  const sans = [];
  for (const uci of moves) {
    try {
      sans.push(line.move(uciMove(uci)).san);
    } catch {
      break;
    }
  }
  return sans;
}

// Moves in SAN from `fen` numbered as in a game score: "15. Nf3 Nc6 16. d4",
// or "15… Nc6 16. d4" when Black moves first.
export function numbered(fen, sans) {
  const [, turn, , , , full] = fen.split(' ');
  let [number, black] = [Number(full) || 1, turn === 'b'];
  const parts = [];
  for (const san of sans) {
    if (!black) parts.push(`${number}.`);
    else if (parts.length === 0) parts.push(`${number}…`);
    parts.push(san);
    if (black) ++number;
    black = !black;
  }
  return parts.join(' ');
}

// A variation in UCI from `fen`, numbered in SAN.
export const variationText = (fen, moves) => numbered(fen, sanLine(fen, moves));

// The thinking line's summary: "Depth 12 · +0.35 · 1,234,567 nodes · 1.2 M nodes/s".
export const summaryText = (info, whiteToMove) =>
  `Depth ${info.depth} · ${scoreText(info.score, whiteToMove)} · ${info.nodes.toLocaleString('en')} nodes · ${npsText(info.nps)}`;
