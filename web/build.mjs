// Builds the static site: node build.mjs ENGINE_DIR OUT_DIR
// ENGINE_DIR holds the Emscripten build (torlo.js, torlo.wasm); OUT_DIR
// receives the page bundled by esbuild (main.js, main.css), index.html, the
// worker script, the engine and its book. Everything the page loads is in
// OUT_DIR: it can be copied to any static host.
import { copyFileSync, mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import * as esbuild from 'esbuild';

const here = dirname(fileURLToPath(import.meta.url));
const [engineDir, outDir] = process.argv.slice(2).map((p) => resolve(p));
if (!engineDir || !outDir) {
  console.error('usage: node build.mjs ENGINE_DIR OUT_DIR');
  process.exit(2);
}

mkdirSync(outDir, { recursive: true });
await esbuild.build({
  entryPoints: [join(here, 'src/main.js')],
  bundle: true,
  format: 'esm',
  minify: true,
  target: 'es2022',
  outdir: outDir,
  logLevel: 'warning',
});
const files = [
  [join(here, 'index.html'), 'index.html'],
  [join(here, 'src/engine-worker.js'), 'engine-worker.js'],
  [join(engineDir, 'torlo.js'), 'torlo.js'],
  [join(engineDir, 'torlo.wasm'), 'torlo.wasm'],
  [join(here, '..', 'TORLO.opn'), 'TORLO.opn'],
];
for (const [from, to] of files) copyFileSync(from, join(outDir, to));
console.log(`built ${outDir}`);
