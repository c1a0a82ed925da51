// The engine's Web Worker, seen from the page. TORLO runs compiled to
// WebAssembly in engine-worker.js and speaks UCI there; this module starts
// it, numbers every command line, and stops searches.
//
// Each command line gets a number, and the worker tags every line the
// engine prints with the number of the command it was executing, so that
// the lines of a cancelled search are recognised and dropped. A search is
// cancelled through a shared counter that the engine reads at its time
// checks: a command numbered at or below it stops at once. A page that is
// not cross-origin isolated has no shared memory; it replaces the worker
// instead (the next search sends the whole game again).
// A worker that fails (an error in the engine or the worker) is replaced the
// same way, and onFailure(message, restarted) told what happened; one that
// fails again before its engine printed a line is not started again.
// The isolated page also has the engine search with helper threads: the
// worker loads the threaded build, and reports the build it started to
// onBuild ('threads' or 'single'). Each new worker is sent setup() after
// `uci` (the options). onNote(text) gets the worker's own messages for the
// user (an engine that does not start).
export const canShareMemory = () => self.crossOriginIsolated && typeof SharedArrayBuffer === 'function';

export class Engine {
  constructor({ onLine, onFailure, onBuild, onNote, setup }) {
    Object.assign(this, { onLine, onFailure, onBuild, onNote, setup });
    this.lastId = 0;
    this.failures = 0;  // failures since the engine last printed a line
    this.start();
  }

  start() {
    const shared = canShareMemory();
    this.counter = shared ? new Int32Array(new SharedArrayBuffer(4)) : null;
    this.worker = new Worker('engine-worker.js');
    this.worker.onmessage = ({ data }) => {
      if (data.failed) this.onNote(data.failed);
      else if (data.build) this.onBuild(data.build);
      else if (data.error) console.error(`engine: ${data.line}`);
      else {
        this.failures = 0;
        this.onLine(data.id, data.line);
      }
    };
    this.worker.onerror = (event) => {
      event.preventDefault();  // reported here, not as an uncaught error
      this.worker.terminate();
      const restart = ++this.failures === 1;
      if (restart) this.start();
      this.onFailure(event.message, restart);
    };
    this.worker.postMessage({ init: { cancel: this.counter ? this.counter.buffer : null, threads: shared } });
    this.send('uci');
    for (const line of this.setup()) this.send(line);
  }

  send(line) {
    this.worker.postMessage({ id: ++this.lastId, line });
    return this.lastId;
  }

  // Stops the search started by command `id` (and anything before it).
  cancel(id) {
    if (this.counter) {
      Atomics.store(this.counter, 0, id);
    } else {
      this.worker.terminate();
      this.start();
    }
  }
}
