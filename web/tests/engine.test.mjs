// The WebAssembly build on its own, in Node: the console program's engine
// (the same bench signature), its book, UCI through the worker's entry, and
// the stop probe that the page's shared counter answers.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Chess } from 'chess.js';
import { loadEngine } from './wasm-engine.mjs';

const engine = await loadEngine();

test('it starts as the console program does, with its book', () => {
  assert.equal(engine.output[0], 'TORLO v0.41c');
  assert.ok(engine.output.includes('Book size:   122 Kbytes ->   3000 positions'), engine.output.join('\n'));
});

test('bench searches exactly the nodes of the console build', () => {
  const out = engine.line('bench');
  assert.ok(out.includes('Nodes searched: 3515158'), out.join('\n'));
});

test('UCI: identification, a book move from the start, a searched move from a FEN', () => {
  assert.equal(engine.line('uci').at(-1), 'uciok');
  assert.deepEqual(engine.line('isready'), ['readyok']);
  engine.line('ucinewgame');
  engine.line('position startpos');
  const book = engine.line('go movetime 300');
  assert.equal(book.at(-2), 'info string book move');
  const opening = book.at(-1).split(' ')[1];
  assert.ok(new Chess().moves({ verbose: true }).some((m) => m.lan === opening), opening);

  const fen = 'r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8';
  engine.line(`position fen ${fen}`);
  const start = Date.now();
  const out = engine.line('go movetime 400');
  const elapsed = Date.now() - start;
  assert.ok(elapsed >= 350 && elapsed < 1500, `the search took ${elapsed} ms of its 400`);
  assert.ok(out.slice(0, -1).every((l) => /^info depth \d+ score (cp|mate) -?\d+ time \d+ nodes \d+ nps \d+ pv( \S+)+$/.test(l)));
  const best = out.at(-1).split(' ')[1];
  assert.ok(new Chess(fen).moves({ verbose: true }).some((m) => m.lan === best), best);
});

test('the stop probe ends an infinite search with a legal move', () => {
  engine.line('position startpos moves e2e4 c7c5 g1f3 d7d6 d2d4');
  const start = Date.now();
  engine.stop.requested = () => Date.now() - start > 300;
  const out = engine.line('go infinite');
  const elapsed = Date.now() - start;
  engine.stop.requested = () => false;
  assert.ok(elapsed >= 300 && elapsed < 1500, `stopped after ${elapsed} ms`);
  const best = out.at(-1).split(' ')[1];
  const game = new Chess();
  for (const m of ['e4', 'c5', 'Nf3', 'd6', 'd4']) game.move(m);
  assert.ok(game.moves({ verbose: true }).some((m) => m.lan === best), best);
});

test('nothing was written to standard error', () => {
  assert.deepEqual(engine.errors, []);
});
