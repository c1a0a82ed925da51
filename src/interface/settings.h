// Engine settings: who the engine plays, how long and how deep it thinks,
// whether it prints its thinking and uses the book, and the output mode.
// Written by commands, new game and the game-end checks; read by the loop,
// the search and the book.
#pragma once

#include <cstdint>

#include "types.h"

namespace torlo {

struct EngineSettings {
    uint8_t computer_side;   // colour the engine plays; EMPTY (6) = neither
    uint8_t post_thinking;   // print thinking lines and the book-move line
    int32_t max_depth;       // iteration limit, quiescence budget, extension bound
    int32_t move_time;       // whole seconds per move
    int32_t xboard_mode;     // move lines in xboard form, no board after moves
    int32_t show_board;      // console: show the board after moves
    int32_t use_book;        // consult the opening book
    int32_t uci_mode;        // the process speaks UCI (for the rest of its life)
};

// The settings at start-up; a new game restores the per-game ones.
//                                        side   post depth time xboard board book uci
constexpr EngineSettings DEFAULT_SETTINGS = {BLACK, 1,   32,   10,  0,     0,    1,   0};

extern EngineSettings settings;

// The per-game values that new game sets.
void reset_game_settings();

}  // namespace torlo
