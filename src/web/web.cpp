#include "web/web.h"

#include <cstring>
#include <string>

#include "interface/engine.h"
#include "interface/io.h"
#include "interface/settings.h"
#include "search/search.h"

namespace torlo {

namespace {

bool (*stop_probe)() = nullptr;

// The time-check hook of a UCI search in place of reading input.
void poll_stop_probe() {
    if (stop_probe && stop_probe()) stop_search();
}

}  // namespace

void set_web_stop_probe(bool (*probe)()) { stop_probe = probe; }

void web_start() {
    set_input_buffer("", 0);
    start_engine();
}

bool web_line(const char* line) {
    // The line becomes the whole input and the main loop runs until it is
    // used up, so each line is read, cut and executed exactly as on the
    // console (and in console mode the engine then moves if it is its turn).
    const char* end = std::strchr(line, '\n');
    std::string text(line, end ? static_cast<size_t>(end - line) : std::strlen(line));
    text += '\n';
    set_input_buffer(text.data(), text.size());
    run_engine();
    // enter_uci() makes the search read input at its time checks; here no
    // input can arrive during a search, so the probe takes that place.
    if (settings.uci_mode) search_poll = poll_stop_probe;
    const bool go_on = !quit_requested;
    quit_requested = false;
    return go_on;
}

}  // namespace torlo
