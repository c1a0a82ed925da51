// The WebAssembly build on its own, in Node: the console program's engine
// (the same bench signature), its book, the clock that times its searches,
// and the stop probe that the page's shared counter answers.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Chess } from 'chess.js';
import { LEVELS } from '../src/newgame.js';
import { loadEngine } from './wasm-engine.mjs';

const engine = await loadEngine();
const legal = (game, lan) => game.moves({ verbose: true }).some((m) => m.lan === lan);

test('it starts as the console program does, with its book, and bench searches the console build\'s nodes', () => {
  assert.equal(engine.output[0], 'TORLO v0.41c');
  assert.ok(engine.output.includes('Book size:   122 Kbytes ->   3000 positions'), engine.output.join('\n'));
  const out = engine.line('bench');
  assert.ok(out.includes('Nodes searched: 3515158'), out.join('\n'));
});

test('UCI: the strengths the page offers are the engine\'s; a book move from the start, a move searched for its movetime', () => {
  const uci = engine.line('uci');
  assert.equal(uci.at(-1), 'uciok');
  const [, min, max] = uci.find((l) => l.startsWith('option name UCI_Elo ')).match(/min (\d+) max (\d+)/).map(Number);
  assert.deepEqual([LEVELS[0], LEVELS.at(-1)], [min, max - 100], 'the levels run from the lowest to below full strength');
  engine.line('position startpos');
  const book = engine.line('go movetime 300');
  assert.equal(book.at(-2), 'info string book move');
  assert.ok(legal(new Chess(), book.at(-1).split(' ')[1]), book.at(-1));

  const fen = 'r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8';
  engine.line(`position fen ${fen}`);
  const start = Date.now();
  const out = engine.line('go movetime 400');
  const elapsed = Date.now() - start;
  assert.ok(elapsed >= 350 && elapsed < 1500, `the search took ${elapsed} ms of its 400`);
  assert.ok(out.slice(0, -1).every((l) => /^info depth \d+ score (cp|mate) -?\d+ time \d+ nodes \d+ nps \d+ pv( \S+)+$/.test(l)));
  assert.ok(legal(new Chess(fen), out.at(-1).split(' ')[1]), out.at(-1));
});

test('the stop probe ends an infinite search with a legal move; nothing was written to standard error', () => {
  const fen = 'rnbqkbnr/pp2pppp/3p4/2p5/3PP3/5N2/PPP2PPP/RNBQKB1R b KQkq - 0 3';  // 1. e4 c5 2. Nf3 d6 3. d4
  engine.line(`position fen ${fen}`);
  const start = Date.now();
  engine.stop.requested = () => Date.now() - start > 300;
  const out = engine.line('go infinite');
  const elapsed = Date.now() - start;
  engine.stop.requested = () => false;
  assert.ok(elapsed >= 300 && elapsed < 1500, `stopped after ${elapsed} ms`);
  assert.ok(legal(new Chess(fen), out.at(-1).split(' ')[1]), out.at(-1));
  assert.deepEqual(engine.errors, [], 'nothing on standard error');
});
