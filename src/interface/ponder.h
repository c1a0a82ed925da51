// Pondering in the console/xboard protocol (after `hard`): once the engine
// has moved, it predicts the reply and searches the position after it while
// it waits for input.
//
// Contract:
//  - ponder_after_move() does nothing (returns false) unless pondering is on,
//    the engine has just moved and the game goes on, the book is done with,
//    and a reply can be predicted: the second move of the principal
//    variation, else the table's move for the position.
//  - While it searches, `time` and `otim` are handled as usual and the
//    search goes on (an interface sends them before each move). The
//    predicted move is a hit: it is played, and the search goes on as the
//    engine's own, ending when its whole time (pondering included) reaches
//    the time per move, or at once when that has passed; then the engine's
//    move is played and printed as after any search. The search's result
//    is announced only then (a resignation included).
//  - Any other line ends the search at once and throws it away: the
//    position is as before the prediction, the line is left in input_line,
//    and ponder_after_move() returns true for the caller to handle it.
//    The end of input also ends it (false: nothing to handle).
#pragma once

namespace torlo {

bool ponder_after_move();

}  // namespace torlo
