// Test support: runs engine sessions in-process with injected input and
// captured output, and sets up positions.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"
#include "interface/game.h"

namespace torlo::test {

// Puts the engine in its start-up state (settings, new game, root moves)
// without printing the start-up lines.
void reset_engine();

// Runs the main loop on the given input from the current state and returns
// everything it printed.
std::string run_session(const std::string& input);

// The square named by coordinate text ("e4").
constexpr int sq(const char* name) { return square_from_text(name); }

// The lines of a text, without their line ends.
std::vector<std::string> lines_of(const std::string& text);

// Captures what fn prints.
template <typename Fn>
std::string capture(Fn fn);

// Sets up a FEN position (reset first) and returns true when it was accepted.
bool setup(const char* fen);

// Finds the root move with this coordinate text (e2e4, e7e8q, e1g1).
bool find_move(const char* text, Move* move);

// Output capture plumbing used by capture().
void begin_capture();
std::string end_capture();

template <typename Fn>
std::string capture(Fn fn) {
    begin_capture();
    fn();
    return end_capture();
}

}  // namespace torlo::test
