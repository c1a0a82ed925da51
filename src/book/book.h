// Opening book: plain-text lines of 4-character moves from the initial
// position, loaded whole at start-up; a probe matches the game's moves as a
// prefix and draws one continuation at random.
//
// Contract:
//  - load_book reads at most 4999 lines of at most 81 characters into
//    static storage; it never writes outside it.
//  - book_probe returns the number of candidates; when non-zero, *choice
//    holds a legal move of root_moves, drawn at random among them. Zero
//    means the book has nothing more for this game (the caller stops asking).
#pragma once

#include <cstdint>
#include <ctime>

#include "board/board.h"

namespace torlo {

constexpr int BOOK_SLOTS = 5000;
constexpr int BOOK_SLOT_SIZE = 81;
constexpr const char* BOOK_FILE = "TORLO.opn";

extern char book_lines[BOOK_SLOTS * BOOK_SLOT_SIZE + 1];  // slot k at k * 81; one byte for the last terminator
extern int32_t book_count;

inline const char* book_line(int k) { return book_lines + k * BOOK_SLOT_SIZE; }

int load_book_file(const char* path);  // 1 when opened, with book_count set
int load_book();                       // load_book_file(BOOK_FILE)
// engine_side: the colour the engine plays; the book gives it no move at ply 19.
int book_probe(int engine_side, Move* choice);

// Seconds of calendar time used to seed the random choice; tests may replace it.
extern std::time_t (*book_clock)();

}  // namespace torlo
