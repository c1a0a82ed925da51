// Speed of the browser build against the console build: `bench` in each by
// turns, so that the machine's load falls on all alike. Each round runs the
// console binary, the WebAssembly build in a fresh Node process, and, with
// --browser, the page's own engine worker, fresh, in headless Chromium.
// Prints each round and the medians.
//   node bench.mjs NATIVE_BINARY [ROUNDS] [SITE_DIR] [--browser]
// (SITE_DIR holds the built site; default ../build-web.)
import { execFileSync, spawn } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { loadEngine, site as defaultSite } from './tests/wasm-engine.mjs';

const nodesPerSecond = (text) => Number(/Nodes\/second: (\d+)/.exec(text)[1]);

if (process.argv[2] === '--wasm-once') {
  const engine = await loadEngine(process.argv[3]);
  console.log(nodesPerSecond(engine.line('bench').join('\n')));
  process.exit(0);
}

const args = process.argv.slice(2);
const browser = args.includes('--browser');
const [native, rounds = '5', site = defaultSite] = args.filter((a) => a !== '--browser');
if (!native) {
  console.error('usage: node bench.mjs NATIVE_BINARY [ROUNDS] [SITE_DIR] [--browser]');
  process.exit(2);
}

// The page's worker, started afresh for each run, given `bench`.
async function openBrowser() {
  const { chromium } = await import('playwright-core');
  const server = spawn(process.execPath, [fileURLToPath(new URL('serve.mjs', import.meta.url)), site, '--port', '0']);
  const url = await new Promise((resolve) => server.stdout.once('data', (d) => resolve(String(d).match(/http:\/\/\S+/)[0])));
  const instance = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  const page = await instance.newPage();
  await page.goto(url);
  const run = () => page.evaluate(() => new Promise((resolve) => {
    const worker = new Worker('engine-worker.js');
    const lines = [];
    worker.onmessage = ({ data }) => {
      if (data.id !== 1) return;
      lines.push(data.line);
      if (data.line.startsWith('Nodes/second')) {
        worker.terminate();
        resolve(lines.join('\n'));
      }
    };
    worker.postMessage({ init: { cancel: null } });
    worker.postMessage({ id: 1, line: 'bench' });
  }));
  const close = async () => {
    await instance.close();
    server.kill();
  };
  return { run, close };
}

const chromium = browser ? await openBrowser() : null;
const runs = { native: [], node: [], chromium: [] };
try {
  for (let i = 0; i < Number(rounds); ++i) {
    runs.native.push(nodesPerSecond(execFileSync(native, { input: 'bench\nquit\n', encoding: 'utf8' })));
    const once = [fileURLToPath(import.meta.url), '--wasm-once', site];
    runs.node.push(Number(execFileSync(process.execPath, once, { encoding: 'utf8' })));
    if (chromium) runs.chromium.push(nodesPerSecond(await chromium.run()));
    console.log(`round ${i + 1}: native ${runs.native.at(-1)}, wasm in Node ${runs.node.at(-1)}` +
      (chromium ? `, wasm in Chromium ${runs.chromium.at(-1)}` : '') + ' nodes/s');
  }
} finally {
  await chromium?.close();
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const base = median(runs.native);
const ratio = (xs) => `${median(xs)} (${(median(xs) / base).toFixed(2)} of native)`;
console.log(`median nodes/s: native ${base}, wasm in Node ${ratio(runs.node)}` +
  (chromium ? `, wasm in Chromium ${ratio(runs.chromium)}` : ''));
