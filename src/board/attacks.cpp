// Attack tests. A square is examined by looking outward from it: pawn and
// knight offsets, king steps and the eight rays. This answers exactly what a
// scan of every attacking piece would answer, in a fraction of the work.
#include "board/board.h"

namespace torlo {

namespace {

constexpr int knight_steps[8] = {-25, -23, -14, -10, 10, 14, 23, 25};
constexpr int king_steps[8] = {-13, -12, -11, -1, 1, 11, 12, 13};
constexpr int diagonal_steps[4] = {-13, -11, 11, 13};
constexpr int straight_steps[4] = {-12, -1, 1, 12};

inline bool holds(int sq, int colour, int piece) { return pos.board[sq] == piece && pos.color[sq] == colour; }

}  // namespace

int square_attacked(int target, int colour) {
    const uint8_t* board = pos.board;
    const uint8_t* color = pos.color;

    // Pawns: a White pawn on s attacks s - 13 and s - 11, a Black one s + 11 and s + 13.
    if (colour == WHITE) {
        if (holds(target + 13, WHITE, PAWN) || holds(target + 11, WHITE, PAWN)) return 1;
    } else {
        if (holds(target - 11, BLACK, PAWN) || holds(target - 13, BLACK, PAWN)) return 1;
    }
    for (int d : knight_steps)
        if (holds(target + d, colour, KNIGHT)) return 1;
    for (int d : king_steps)
        if (holds(target + d, colour, KING)) return 1;
    for (int d : diagonal_steps) {
        int t = target + d;
        while (board[t] == EMPTY) t += d;
        if (color[t] == colour && (board[t] == BISHOP || board[t] == QUEEN)) return 1;
    }
    for (int d : straight_steps) {
        int t = target + d;
        while (board[t] == EMPTY) t += d;
        if (color[t] == colour && (board[t] == ROOK || board[t] == QUEEN)) return 1;
    }
    return 0;
}

int in_check(int colour) { return square_attacked(pos.king_sq[colour], colour ^ 1); }

}  // namespace torlo
