// The engine's Web Worker: runs TORLO's WebAssembly build (torlo.js,
// torlo.wasm) and passes lines between it and the page.
//
// Page to worker: { init: { cancel } } first, where cancel is a
// SharedArrayBuffer of one 32-bit counter or null; then { id, line } for
// each input line, id increasing. Lines that arrive before the engine has
// started wait their turn.
// Worker to page: { id, line } for each line the engine prints, id being
// the command it was executing (0 at start-up), with error: true for a line
// on standard error (the engine writes none); { failed } when the engine
// cannot start.
// A search stops at its next time check once the counter is at or above
// the id of the command that started it.
importScripts('torlo.js');

let engine = null;
let counter = null;
let currentId = 0;
const waiting = [];

onmessage = ({ data }) => {
  if (data.init) {
    start(data.init.cancel).catch((error) => postMessage({ failed: `The engine did not start: ${error}` }));
    return;
  }
  waiting.push(data);
  if (engine) run();
};

async function start(cancel) {
  counter = cancel ? new Int32Array(cancel) : null;
  // The book is read from the working directory at start-up, as on the
  // console; without it the engine plays without a book.
  const book = await fetch('TORLO.opn').then((r) => (r.ok ? r.arrayBuffer() : null), () => null);
  const module = await createTorlo({
    print: (line) => postMessage({ id: currentId, line }),
    printErr: (line) => postMessage({ id: currentId, line, error: true }),
    stopRequested: () => counter !== null && Atomics.load(counter, 0) >= currentId,
  });
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
