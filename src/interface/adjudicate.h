// Game-end adjudication after every move played in the game, the
// repetition count the search uses, and resignation.
#pragma once

namespace torlo {

void check_game_end();               // prints each result that applies; force mode
void check_mate_or_stalemate(int side);
int insufficient_material();
// Earlier positions within the reversible moves since the last setup whose
// placement equals the current one (by from/to bookkeeping).
int repetition_count();
void resign();

}  // namespace torlo
