// The engine's Web Worker: runs one of TORLO's WebAssembly builds and
// passes lines between it and the page. The threaded build
// (torlo-threads.js, .wasm, and torlo-threads.worker.js for its helper
// threads) needs shared memory, so a cross-origin isolated page; the
// one-thread build (torlo.js, torlo.wasm) runs anywhere, and is also what
// the worker falls back to when the threaded one does not start.
//
// Page to worker: { init: { cancel, threads } } first, where cancel is a
// SharedArrayBuffer of one 32-bit counter or null and threads asks for the
// threaded build; then { id, line } for each input line, id increasing.
// Lines that arrive before the engine has started wait their turn.
// Worker to page: { build: 'threads' | 'single' } once that build has
// loaded; { id, line } for each line the engine prints, id being the
// command it was executing (0 at start-up), with error: true for a line on
// standard error (the engine writes none); { failed } when the engine
// cannot start.
// A search stops at its next time check once the counter is at or above
// the id of the command that started it.
let engine = null;
let counter = null;
let currentId = 0;
const waiting = [];

onmessage = ({ data }) => {
  if (data.init) {
    start(data.init).catch((error) => postMessage({ failed: `The engine did not start: ${error}` }));
    return;
  }
  waiting.push(data);
  if (engine) run();
};

// Loads one build's script and starts its module. The search runs on this
// worker without returning to its event loop, so the threaded build keeps
// a pthread Worker ready for every helper the page can ask for (a thread
// per core); those Workers load the same script, named here since this
// worker's own address is another.
function load(script, settings) {
  importScripts(script);
  return createTorlo({
    print: (line) => postMessage({ id: currentId, line }),
    printErr: (line) => postMessage({ id: currentId, line, error: true }),
    stopRequested: () => counter !== null && Atomics.load(counter, 0) >= currentId,
    ...settings,
  });
}

async function start({ cancel, threads }) {
  counter = cancel ? new Int32Array(cancel) : null;
  // The book is read from the working directory at start-up, as on the
  // console; without it the engine plays without a book.
  const book = await fetch('TORLO.opn').then((r) => (r.ok ? r.arrayBuffer() : null), () => null);
  let module = null;
  if (threads) {
    const settings = { mainScriptUrlOrBlob: 'torlo-threads.js', helperThreads: navigator.hardwareConcurrency - 1 };
    module = await load('torlo-threads.js', settings).catch(() => null);
  }
  const build = module ? 'threads' : 'single';
  module ??= await load('torlo.js', {});
  postMessage({ build });
  if (book) module.FS.writeFile('TORLO.opn', new Uint8Array(book));
  module.ccall('torlo_start', null, [], []);
  engine = module;
  run();
}

// Each line runs to its end (a search until its bestmove) before the next.
function run() {
  while (waiting.length) {
    const { id, line } = waiting.shift();
    currentId = id;
    engine.ccall('torlo_line', 'number', ['string'], [line]);
  }
}
