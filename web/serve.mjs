// Serves the built site on 127.0.0.1: node serve.mjs [DIR] [--port N] [--no-isolation]
// With the cross-origin isolation headers (the default) the page can share
// memory with the engine's worker and stop a search in place; with
// --no-isolation it is served as a plain static host would serve it.
// --port 0 picks a free port. The address is printed on the first line.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';

const args = process.argv.slice(2);
const option = (name) => args.includes(name);
const portIndex = args.indexOf('--port');
const port = portIndex >= 0 ? Number(args[portIndex + 1]) : 8000;
const dir = resolve(args.find((a, i) => !a.startsWith('--') && args[i - 1] !== '--port') || 'build-web');
const isolated = !option('--no-isolation');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.opn': 'text/plain; charset=utf-8',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

const server = createServer(async (request, response) => {
  const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  const file = normalize(join(dir, path.endsWith('/') ? `${path}index.html` : path));
  const headers = { 'Cache-Control': 'no-cache' };
  if (isolated) {
    headers['Cross-Origin-Opener-Policy'] = 'same-origin';
    headers['Cross-Origin-Embedder-Policy'] = 'require-corp';
  }
  if (!file.startsWith(dir + sep) || (request.method !== 'GET' && request.method !== 'HEAD')) {
    response.writeHead(404, headers).end();
    return;
  }
  try {
    const body = await readFile(file);
    headers['Content-Type'] = types[extname(file)] || 'application/octet-stream';
    response.writeHead(200, headers).end(request.method === 'HEAD' ? undefined : body);
  } catch {
    response.writeHead(404, headers).end('not found\n');
  }
});

server.listen(port, '127.0.0.1', () => {
  console.log(`TORLO is served at http://127.0.0.1:${server.address().port}/${isolated ? '' : ' (no cross-origin isolation)'}`);
});
