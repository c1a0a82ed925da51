// Speed of the browser builds against the console build: `bench` in each by
// turns, so that the machine's load falls on all alike. Each round runs the
// console binary and the one-thread WebAssembly build in a fresh Node
// process; with --browser, the page's own engine worker, fresh each time,
// in headless Chromium on the isolated page: the one-thread build, the
// threaded build with 1 thread and with 2 (`cores 2`). With --against
// OTHER_SITE, the same three Chromium runs of another built site follow
// (another set of build flags). Prints each round, the medians and the
// medians of the per-round ratios. A one-thread run must search the
// console build's 3515158 nodes.
//   node bench.mjs NATIVE_BINARY [ROUNDS] [SITE_DIR] [--browser] [--against OTHER_SITE]
// (SITE_DIR holds the built site; default ../build-web.)
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { loadEngine, site as defaultSite } from './tests/wasm-engine.mjs';

const BENCH_NODES = 3515158;
const nodesPerSecond = (text) => Number(/Nodes\/second: (\d+)/.exec(text)[1]);

if (process.argv[2] === '--wasm-once') {
  const engine = await loadEngine(process.argv[3]);
  console.log(nodesPerSecond(engine.line('bench').join('\n')));
  process.exit(0);
}

const args = process.argv.slice(2);
const browser = args.includes('--browser');
const againstAt = args.indexOf('--against');
const against = againstAt >= 0 ? args[againstAt + 1] : null;
const [native, rounds = '5', site = defaultSite] = args.filter((a, i) => !a.startsWith('--') && (againstAt < 0 || i !== againstAt + 1));
if (!native || (against && !browser)) {
  console.error('usage: node bench.mjs NATIVE_BINARY [ROUNDS] [SITE_DIR] [--browser] [--against OTHER_SITE]');
  process.exit(2);
}

// A page of each site; run() starts the page's worker afresh with the
// build asked for and gives it `bench` (after `cores N`).
async function openBrowser(sites) {
  const { launchChromium, serve } = await import('./chromium.mjs');
  const served = await Promise.all(sites.map((s) => serve(s)));
  const instance = await launchChromium();
  const pages = await Promise.all(served.map(async ({ url }) => {
    const page = await instance.newPage();
    await page.goto(url);
    return page;
  }));
  const run = (i, threads, cores) => pages[i].evaluate(([threads, cores]) => new Promise((resolve) => {
    const worker = new Worker('engine-worker.js');
    const result = {};
    worker.onmessage = ({ data }) => {
      if (data.build) result.build = data.build;
      if (data.id !== 2) return;
      const [, name, value] = /^(Nodes searched|Nodes\/second): (\d+)/.exec(data.line) || [];
      if (name) result[name === 'Nodes searched' ? 'nodes' : 'nps'] = Number(value);
      if (result.nps) {
        worker.terminate();
        resolve(result);
      }
    };
    worker.postMessage({ init: { cancel: null, threads } });
    worker.postMessage({ id: 1, line: `cores ${cores}` });
    worker.postMessage({ id: 2, line: 'bench' });
  }), [threads, cores]);
  const close = async () => {
    await instance.close();
    for (const { server } of served) server.kill();
  };
  return { run, close };
}

// The Chromium runs of each round: [name, site index, threaded build, threads].
const kinds = [['single', 0, false, 1], ['threads x1', 0, true, 1], ['threads x2', 0, true, 2]];
const runs = browser ? (against ? [...kinds, ...kinds.map(([n, , t, c]) => [`${n} (other)`, 1, t, c])] : kinds) : [];
const chromium = browser ? await openBrowser(against ? [site, against] : [site]) : null;
const results = { native: [], node: [], ...Object.fromEntries(runs.map(([name]) => [name, []])) };
try {
  for (let i = 0; i < Number(rounds); ++i) {
    results.native.push(nodesPerSecond(execFileSync(native, { input: 'bench\nquit\n', encoding: 'utf8' })));
    const once = [fileURLToPath(import.meta.url), '--wasm-once', site];
    results.node.push(Number(execFileSync(process.execPath, once, { encoding: 'utf8' })));
    for (const [name, index, threads, cores] of runs) {
      const r = await chromium.run(index, threads, cores);
      if (r.build !== (threads ? 'threads' : 'single')) throw new Error(`${name}: the worker started the ${r.build} build`);
      if (cores === 1 && r.nodes !== BENCH_NODES) throw new Error(`${name}: bench searched ${r.nodes} nodes`);
      results[name].push(r.nps);
    }
    console.log(`round ${i + 1}: ${Object.entries(results).map(([name, xs]) => `${name} ${xs.at(-1)}`).join(', ')} nodes/s`);
  }
} finally {
  await chromium?.close();
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
console.log(`median nodes/s: ${Object.entries(results).map(([name, xs]) => `${name} ${median(xs)}`).join(', ')}`);
// Ratios of the same round's runs: [name, numerator, denominator].
const ratios = [['wasm in Node / native', 'node', 'native']];
if (browser) {
  ratios.push(['single / native', 'single', 'native'], ['threads x1 / native', 'threads x1', 'native'],
    ['threads x1 / single', 'threads x1', 'single'], ['threads x2 / single', 'threads x2', 'single']);
  if (against) for (const [name] of kinds) ratios.push([`${name}: other / this`, `${name} (other)`, name]);
}
for (const [name, a, b] of ratios) {
  const each = results[a].map((x, i) => x / results[b][i]);
  console.log(`${name}: median ${median(each).toFixed(2)} (rounds: ${each.map((r) => r.toFixed(2)).join(' ')})`);
}
