// UCI mode: entered by the word `uci` and kept for the rest of the process.
// The same think step, evaluation, table and book serve it; only the
// commands and the output differ.
#pragma once

#include <cstdint>

namespace torlo {

void enter_uci();                     // switches to UCI mode and identifies the engine
void uci_command(const char* line);   // one input line in UCI mode
// A UCI line holds a whole game's moves, so it is read into a buffer of its own.
constexpr int UCI_LINE_SIZE = 32768;

// Executes the next line: one that arrived during the last search, or the
// next input line. False at end of input.
bool uci_next_command();

// Back to the start-up state of the UCI module (console mode, no hooks);
// for tests that run many sessions in one process.
void reset_uci();

// The search budget for `go` with clock times, in milliseconds: the side's
// time over movestogo + 1 (at most 30) or 30, plus three quarters of the
// increment, never more than the time left minus 50 ms, never below 1 ms.
int64_t clock_budget(int64_t time_left, int64_t increment, int64_t moves_to_go);
// UCI score text: "cp <s>" or "mate <n>" (n in moves, negative when mated).
const char* uci_score(int score);

}  // namespace torlo
