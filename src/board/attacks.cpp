// Attack tests. A square is examined by looking outward from it: the squares
// from which a pawn, knight or king of the colour would reach it, and the
// eight rays, each ending at its first occupied square. The square sets
// answer each of these with a mask; this is exactly what a scan of every
// attacking piece would answer, in a fraction of the work.
#include "board/board.h"

namespace torlo {
inline namespace TORLO_COPY {

int square_attacked_in(int target, int colour, SquareSet occupied, SquareSet them) {
    const int t = sq64[target];
    if (set_tables.pawn_from[colour][t] & pos.pieces[PAWN] & them) return 1;
    if (set_tables.knight[t] & pos.pieces[KNIGHT] & them) return 1;
    if (set_tables.king[t] & pos.pieces[KING] & them) return 1;
    const SquareSet diagonal = (pos.pieces[BISHOP] | pos.pieces[QUEEN]) & them;
    if (set_tables.diagonal_lines[t] & diagonal) {
        const SquareSet firsts = first_blocker<UP_LEFT>(t, occupied) | first_blocker<UP_RIGHT>(t, occupied) |
                                 first_blocker<DOWN_LEFT>(t, occupied) | first_blocker<DOWN_RIGHT>(t, occupied);
        if (firsts & diagonal) return 1;
    }
    const SquareSet straight = (pos.pieces[ROOK] | pos.pieces[QUEEN]) & them;
    if (set_tables.straight_lines[t] & straight) {
        const SquareSet firsts = first_blocker<UP>(t, occupied) | first_blocker<LEFT>(t, occupied) |
                                 first_blocker<RIGHT>(t, occupied) | first_blocker<DOWN>(t, occupied);
        if (firsts & straight) return 1;
    }
    return 0;
}

int square_attacked(int target, int colour) {
    return square_attacked_in(target, colour, pos.occupied[WHITE] | pos.occupied[BLACK], pos.occupied[colour]);
}

int in_check(int colour) { return square_attacked(pos.king_sq[colour], colour ^ 1); }

}  // namespace TORLO_COPY
}  // namespace torlo
