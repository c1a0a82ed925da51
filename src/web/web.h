// The engine hosted line by line: the console program for a host that
// hands it one input line at a time and cannot be read from while the
// engine searches (a Web Worker). The same start-up, commands, protocols,
// book and search as on the console; only the input side differs.
//
// Contract:
//  - web_start() starts the engine as the console program starts (banner,
//    the book TORLO.opn from the working directory, a new game). Input is
//    empty from then on: nothing ever waits for a line.
//  - web_line(line) executes one input line (with or without its newline)
//    as the console's main loop would, the engine's own moves in console
//    mode included, and returns when the line is done: after `go`, the
//    search has ended and its bestmove is printed. Output goes through
//    out() as on the console. Returns false when the line was `quit`.
//  - In UCI mode a search does not read input; at every time check it asks
//    the stop probe instead, and a true answer ends the search as `stop`
//    would (the best move found so far is played). No probe: the search
//    runs to its own limits.
#pragma once

namespace torlo {

void web_start();
bool web_line(const char* line);

// Asked at every time check of a UCI search; true stops the search.
void set_web_stop_probe(bool (*probe)());

}  // namespace torlo
