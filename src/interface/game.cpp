#include "interface/game.h"

#include "board/board.h"
#include "interface/settings.h"
#include "search/tt.h"

namespace torlo {

void new_game() {
    reset_game_settings();
    set_initial_position();
    tt_clear();
}

int setup_fen(const char* text) {
    if (!place_fen(text)) return 0;
    settings.use_book = 0;
    tt_clear();
    return 1;
}

}  // namespace torlo
