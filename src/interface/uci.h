// UCI mode: entered by the word `uci` and kept for the rest of the process.
// The same think step, evaluation, table and book serve it; only the
// commands and the output differ.
#pragma once

#include <cstdint>

namespace torlo {

void enter_uci();                     // switches to UCI mode and identifies the engine
void uci_command(const char* line);   // one input line in UCI mode
// Lines that arrived while a search was running and wait their turn.
bool pending_line(char* buf, int size);

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
