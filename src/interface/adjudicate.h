// Game-end adjudication after every move played in the game, and
// resignation. (The repetition count is the board's: board/board.h.)
#pragma once

namespace torlo {

void check_game_end();               // prints each result that applies; force mode
void check_mate_or_stalemate(int side);
int insufficient_material();
void resign();

}  // namespace torlo
