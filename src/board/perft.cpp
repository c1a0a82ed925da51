// Move path enumeration for checking the move generator against known counts.
#include "board/board.h"

namespace torlo {

uint64_t perft(int depth) {
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 0);
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        if (!make_move(list[i])) continue;
        total += depth <= 1 ? 1 : perft(depth - 1);
        unmake_move();
    }
    return total;
}

}  // namespace torlo
