// Speed of the browser build against the console build: `bench` in each,
// alternating, a fresh process every time, so that the machine's load
// falls on both alike. Prints each run and the medians.
//   node bench.mjs NATIVE_BINARY [ROUNDS] [SITE_DIR]
// (SITE_DIR holds torlo.js, torlo.wasm and TORLO.opn; default ../build-web.)
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { loadEngine } from './tests/wasm-engine.mjs';

const nodesPerSecond = (lines) => Number(/Nodes\/second: (\d+)/.exec(lines.join('\n'))[1]);

if (process.argv[2] === '--wasm-once') {
  const engine = await loadEngine(process.argv[3]);
  console.log(nodesPerSecond(engine.line('bench')));
  process.exit(0);
}

const [native, rounds = '5', site] = process.argv.slice(2);
if (!native) {
  console.error('usage: node bench.mjs NATIVE_BINARY [ROUNDS] [SITE_DIR]');
  process.exit(2);
}
const runs = { native: [], wasm: [] };
for (let i = 0; i < Number(rounds); ++i) {
  const out = execFileSync(native, { input: 'bench\nquit\n', encoding: 'utf8' });
  runs.native.push(nodesPerSecond(out.split('\n')));
  const args = [fileURLToPath(import.meta.url), '--wasm-once', ...(site ? [site] : [])];
  runs.wasm.push(Number(execFileSync(process.execPath, args, { encoding: 'utf8' })));
  console.log(`round ${i + 1}: native ${runs.native.at(-1)} nodes/s, wasm ${runs.wasm.at(-1)} nodes/s`);
}
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const [n, w] = [median(runs.native), median(runs.wasm)];
console.log(`median: native ${n} nodes/s, wasm ${w} nodes/s, wasm/native ${(w / n).toFixed(2)}`);
