// The game's setups that reach over several layers: a new game (settings,
// table and position) and a FEN setup (position, book and table).
#pragma once

namespace torlo {

// The new-game settings, the initial position and an empty table.
void new_game();
// place_fen (board/board.h), then the book closed and the table emptied.
// Returns 0, changing nothing, when the text holds no placement word.
int setup_fen(const char* text);

}  // namespace torlo
