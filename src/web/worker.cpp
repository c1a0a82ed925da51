// The WebAssembly module of the browser build: the engine hosted line by
// line (web/web.h), exported to the worker script that runs it
// (web/src/engine-worker.js). The stop probe is a function of that script,
// Module.stopRequested, which reads the flag the page sets to stop a search.
#include <emscripten.h>

#include "web/web.h"

// clang-format off
EM_JS(int, torlo_stop_requested, (), {
    return Module["stopRequested"] ? Module["stopRequested"]() : 0;
});
// clang-format on

namespace {

bool stop_requested_by_page() { return torlo_stop_requested() != 0; }

}  // namespace

extern "C" {

// Starts the engine (the book must be in the working directory by then).
EMSCRIPTEN_KEEPALIVE void torlo_start() {
    torlo::set_web_stop_probe(stop_requested_by_page);
    torlo::web_start();
}

// One input line; 0 when it was `quit`.
EMSCRIPTEN_KEEPALIVE int torlo_line(const char* line) { return torlo::web_line(line) ? 1 : 0; }

}
