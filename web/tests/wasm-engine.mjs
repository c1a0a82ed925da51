// Loads the engine's WebAssembly build (torlo.js, torlo.wasm and the book
// from the built site, TORLO_WEB_DIR, default ../build-web) in Node as the
// page's worker loads it: the book written into its file system, then torlo_start.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const site = resolve(process.env.TORLO_WEB_DIR || fileURLToPath(new URL('../../build-web', import.meta.url)));

// Returns { line(text), output, errors, stop }: line() runs one input line
// and returns what it printed; set stop.requested to a function to answer
// the engine's stop probe.
export async function loadEngine(directory = site) {
  const dir = resolve(directory);
  const [output, errors, stop] = [[], [], { requested: () => false }];
  const module = await createRequire(import.meta.url)(join(dir, 'torlo.js'))({
    print: (text) => output.push(text),
    printErr: (text) => errors.push(text),
    // Handing over the binary keeps Emscripten from fetching it, which
    // Node's fetch cannot do for a file.
    wasmBinary: readFileSync(join(dir, 'torlo.wasm')),
    stopRequested: () => stop.requested(),
  });
  module.FS.writeFile('TORLO.opn', readFileSync(join(dir, 'TORLO.opn')));
  module.ccall('torlo_start', null, [], []);
  const line = (text) => {
    const first = output.length;
    module.ccall('torlo_line', 'number', ['string'], [text]);
    return output.slice(first);
  };
  return { line, output, errors, stop };
}
