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
// Searches are started with go(): the lines the engine prints for that
// search go to its owner's handlers, and a search running when its worker
// failed is handed back to its owner (onFailure) to start again or give up.
// options() sends only the UCI options whose value changed since they were
// last sent to this worker.
export const canShareMemory = () => self.crossOriginIsolated && typeof SharedArrayBuffer === 'function';

export class Engine {
  constructor({ onBuild, onNote, setup }) {
    Object.assign(this, { onBuild, onNote, setup });
    this.lastId = 0;
    this.searches = new Map();  // id -> { onInfo(line), onBest(uci), onFailure(message, restarted) }
    this.failures = 0;  // failures since the engine last printed a line
    this.start();
  }

  start() {
    const shared = canShareMemory();
    this.counter = shared ? new Int32Array(new SharedArrayBuffer(4)) : null;
    this.sent = new Map();  // option name -> the value this worker has
    this.worker = new Worker('engine-worker.js');
    this.worker.onmessage = ({ data }) => {
      if (data.failed) this.onNote(data.failed);
      else if (data.build) this.onBuild(data.build);
      else if (data.error) console.error(`engine: ${data.line}`);
      else {
        this.failures = 0;
        const owner = this.searches.get(data.id);
        if (!owner) return;
        if (data.line.startsWith('bestmove ')) {
          this.searches.delete(data.id);
          owner.onBest(data.line.split(' ')[1]);
        } else {
          owner.onInfo(data.line);
        }
      }
    };
    this.worker.onerror = (event) => {
      event.preventDefault();  // reported here, not as an uncaught error
      this.worker.terminate();
      const restart = ++this.failures === 1;
      if (restart) this.start();
      const owners = [...this.searches.values()];
      this.searches.clear();
      for (const owner of owners) owner.onFailure(event.message, restart);
    };
    this.worker.postMessage({ init: { cancel: this.counter ? this.counter.buffer : null, threads: shared } });
    this.send('uci');
    this.options(this.setup());
  }

  send(line) {
    this.worker.postMessage({ id: ++this.lastId, line });
    return this.lastId;
  }

  // Sends `setoption` for each { name: value } whose value changed.
  options(values) {
    for (const [name, value] of Object.entries(values)) {
      if (this.sent.get(name) === String(value)) continue;
      this.sent.set(name, String(value));
      this.send(`setoption name ${name} value ${value}`);
    }
  }

  // Starts a search: the position line, then goLine; returns its id.
  go(positionLine, goLine, owner) {
    this.send(positionLine);
    const id = this.send(goLine);
    this.searches.set(id, owner);
    return id;
  }

  // Stops search `id` if it still runs; its lines, bestmove included, are dropped.
  stop(id) {
    if (this.searches.delete(id)) this.cancel(id);
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
