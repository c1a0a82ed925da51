// Attack tests. A square is examined by looking outward from it: the squares
// from which a pawn, knight or king of the colour would reach it, and the
// eight rays, each ending at its first occupied square. The square sets
// answer each of these with a mask; this is exactly what a scan of every
// attacking piece would answer, in a fraction of the work.
#include "board/board.h"

namespace torlo {

namespace {

// The first occupied square of a ray as a set (empty when the ray is): the
// lowest square for the directions towards h1, the highest for those
// towards a8. Found without branches, so that the four rays of a line can be
// tested together.
template <int Direction>
inline SquareSet ray_first(int square64, SquareSet occupied) {
    const SquareSet blockers = set_tables.ray[Direction][square64] & occupied;
    return Direction < RIGHT ? square_bit(last_square(blockers | 1)) & blockers : blockers & (0 - blockers);
}

}  // namespace

int square_attacked_in(int target, int colour, SquareSet occupied, SquareSet them) {
    const int t = sq64[target];
    if (set_tables.pawn_from[colour][t] & pos.pieces[PAWN] & them) return 1;
    if (set_tables.knight[t] & pos.pieces[KNIGHT] & them) return 1;
    if (set_tables.king[t] & pos.pieces[KING] & them) return 1;
    const SquareSet diagonal = (pos.pieces[BISHOP] | pos.pieces[QUEEN]) & them;
    if (set_tables.diagonal_lines[t] & diagonal) {
        const SquareSet firsts = ray_first<UP_LEFT>(t, occupied) | ray_first<UP_RIGHT>(t, occupied) |
                                 ray_first<DOWN_LEFT>(t, occupied) | ray_first<DOWN_RIGHT>(t, occupied);
        if (firsts & diagonal) return 1;
    }
    const SquareSet straight = (pos.pieces[ROOK] | pos.pieces[QUEEN]) & them;
    if (set_tables.straight_lines[t] & straight) {
        const SquareSet firsts = ray_first<UP>(t, occupied) | ray_first<LEFT>(t, occupied) |
                                 ray_first<RIGHT>(t, occupied) | ray_first<DOWN>(t, occupied);
        if (firsts & straight) return 1;
    }
    return 0;
}

int square_attacked(int target, int colour) {
    return square_attacked_in(target, colour, pos.occupied[WHITE] | pos.occupied[BLACK], pos.occupied[colour]);
}

int in_check(int colour) { return square_attacked(pos.king_sq[colour], colour ^ 1); }

}  // namespace torlo
