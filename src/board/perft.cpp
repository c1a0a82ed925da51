// Move path enumeration for checking the move generator against known counts.
//
// The last ply is counted without playing the moves: a pseudo-legal move
// is legal exactly when it does not leave the mover's king attacked, and
// when the king is not in check that can only happen to a king move onto an
// attacked square or to a piece pinned against the king that leaves its
// pin line. The rest (positions in check, en passant, castling, and
// positions without exactly one king of the side to move) play each move
// with make_move, so every count is the one that playing the moves gives.
#include "board/board.h"

namespace torlo {
inline namespace TORLO_COPY {

namespace {

// Direction indices of set_tables.ray that run along diagonals.
constexpr bool diagonal_direction(int d) { return d == UP_LEFT || d == UP_RIGHT || d == DOWN_LEFT || d == DOWN_RIGHT; }

// First occupied square of a ray from a square, or -1.
inline int first_on_ray(int d, int square64, SquareSet occupied) {
    const SquareSet blockers = set_tables.ray[d][square64] & occupied;
    if (!blockers) return -1;
    return d < RIGHT ? last_square(blockers) : first_square(blockers);
}

uint64_t count_by_playing(const Move* list, int count) {
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        if (!make_move(list[i])) continue;
        ++total;
        unmake_move();
    }
    return total;
}

uint64_t count_legal_moves() {
    Move list[MAX_MOVES];
    const int count = generate_moves_unscored(list);
    const int us = pos.side, them = us ^ 1;
    const SquareSet ours = pos.occupied[us];
    const SquareSet own_kings = pos.pieces[KING] & ours;
    const int king = pos.king_sq[us];
    const int king64 = sq64[king];
    if (own_kings != square_bit(king64) || pos.board[king] != KING || in_check(us)) return count_by_playing(list, count);

    // Pinned pieces: an own piece that is the first piece on a ray from the
    // king, followed on that ray by an opponent's slider moving along it.
    const SquareSet occupied = ours | pos.occupied[them];
    const SquareSet diagonal_sliders = (pos.pieces[BISHOP] | pos.pieces[QUEEN]) & pos.occupied[them];
    const SquareSet straight_sliders = (pos.pieces[ROOK] | pos.pieces[QUEEN]) & pos.occupied[them];
    SquareSet pinned = 0;
    SquareSet pin_line[8] = {};  // per direction, the ray from the king (the pinned piece stays on it)
    for (int d = 0; d < 8; ++d) {
        const SquareSet sliders = diagonal_direction(d) ? diagonal_sliders : straight_sliders;
        if (!(set_tables.ray[d][king64] & sliders)) continue;
        const int first = first_on_ray(d, king64, occupied);
        if (first < 0 || !((ours >> first) & 1)) continue;
        const int second = first_on_ray(d, king64, occupied & ~square_bit(first));
        if (second >= 0 && ((sliders >> second) & 1)) {
            pinned |= square_bit(first);
            pin_line[d] = set_tables.ray[d][king64];
        }
    }

    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        const Move& m = list[i];
        const int from64 = sq64[m.from], to64 = sq64[m.to];
        if (m.type == CASTLING || m.type == EN_PASSANT) {
            if (make_move(m)) {
                ++total;
                unmake_move();
            }
        } else if (m.from == king) {
            total += !square_attacked(m.to, them);
        } else if (!((pinned >> from64) & 1)) {
            ++total;
        } else {
            // A pinned piece stays legal only on the line of its pin.
            for (const SquareSet line : pin_line)
                if ((line >> from64) & 1) total += (line >> to64) & 1;
        }
    }
    return total;
}

}  // namespace

uint64_t perft(int depth) {
    if (depth <= 1) return count_legal_moves();
    Move list[MAX_MOVES];
    const int count = generate_moves_unscored(list);
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        if (!make_move(list[i])) continue;
        total += perft(depth - 1);
        unmake_move();
    }
    return total;
}

}  // namespace TORLO_COPY
}  // namespace torlo
