// Builds the static site: node build.mjs ENGINE_DIR OUT_DIR
// ENGINE_DIR holds the Emscripten build: the one-thread engine (torlo.js,
// torlo.wasm) and the threaded one (torlo-threads.js, its .wasm and the
// script of its pthread Workers, torlo-threads.worker.js). OUT_DIR receives
// the page bundled by esbuild (main.js, main.css), index.html, the worker
// script, both engines and the book, the app manifest and its icons,
// and last the service worker, which lists every other file and is named
// for a hash of their contents. Everything the page loads is in OUT_DIR: it
// can be copied to any static host.
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { basename, dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import * as esbuild from 'esbuild';
import { iconPng } from './icons.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const [engineDir, outDir] = process.argv.slice(2).map((p) => resolve(p));
if (!engineDir || !outDir) {
  console.error('usage: node build.mjs ENGINE_DIR OUT_DIR');
  process.exit(2);
}

mkdirSync(outDir, { recursive: true });
const bundle = await esbuild.build({
  entryPoints: [join(here, 'src/main.js')],
  bundle: true,
  format: 'esm',
  minify: true,
  target: 'es2022',
  outdir: outDir,
  logLevel: 'warning',
  metafile: true,
});
const files = [
  [join(here, 'index.html'), 'index.html'],
  [join(here, 'src/engine-worker.js'), 'engine-worker.js'],
  [join(engineDir, 'torlo.js'), 'torlo.js'],
  [join(engineDir, 'torlo.wasm'), 'torlo.wasm'],
  ...['torlo-threads.js', 'torlo-threads.wasm', 'torlo-threads.worker.js'].map((f) => [join(engineDir, f), f]),
  [join(here, '..', 'TORLO.opn'), 'TORLO.opn'],
  [join(here, 'manifest.webmanifest'), 'manifest.webmanifest'],
];
for (const [from, to] of files) copyFileSync(from, join(outDir, to));
for (const size of [192, 512]) writeFileSync(join(outDir, `icon-${size}.png`), iconPng(size));

// The service worker caches the site as it now stands: the directory itself
// (the page's address) and every file, under a version that changes with
// any file's contents.
const site = [...Object.keys(bundle.metafile.outputs).map((p) => basename(p)), ...files.map(([, to]) => to),
  'icon-192.png', 'icon-512.png'].sort();
const hash = createHash('sha256');
for (const name of site) hash.update(name).update(readFileSync(join(outDir, name)));
const worker = readFileSync(join(here, 'src/service-worker.js'), 'utf8')
  .replace("'__TORLO_BUILD_VERSION__'", JSON.stringify(hash.digest('hex').slice(0, 16)))
  .replace('__TORLO_BUILD_FILES__', JSON.stringify(['./', ...site]));
writeFileSync(join(outDir, 'service-worker.js'), worker);
console.log(`built ${outDir}`);
