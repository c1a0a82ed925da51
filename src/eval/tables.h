// Constant tables of the evaluation: the piece values (which move ordering
// reads too), the square tables of White and Black, the fixed terms, and the
// piece-square values that make/unmake keep summed per colour. All built at
// compile time.
#pragma once

#include <array>
#include <cstdint>

#include "types.h"

namespace torlo {

// Indexed by piece code; the king's -1 serves capture ordering only.
inline constexpr int piece_value[6] = {100, 300, 300, 500, 1000, -1};

// The square tables, by the piece they score.
enum : int { PAWN_TABLE, KNIGHT_TABLE, BISHOP_TABLE, KING_MIDDLE_TABLE, KING_END_TABLE };

namespace eval_tables {

using Grid = std::array<int, 64>;

// White's values, rank 8 on the top line, files a to h from left to right.
constexpr Grid pawn_grid = {
     0,  0,  0,  0,  0,  0,  0,  0,
    10, 15, 24, 32, 32, 24, 15, 10,
    10, 15, 24, 32, 32, 24, 15, 10,
     6, 11, 18, 27, 27, 16, 11,  6,
     4,  7, 18, 25, 25, 16,  7,  4,
     4,  6, 12, 15, 15,  4,  6,  4,
     2,  3,  4,  8,  8,  4,  3,  2,
     0,  0,  0,  0,  0,  0,  0,  0,
};

constexpr Grid knight_grid = {
    -7, -3,  1,  3,  3,  1, -3, -7,
     2,  6, 14, 20, 20, 14,  6,  2,
     6, 14, 28, 32, 32, 28, 14,  6,
     8, 18, 30, 32, 32, 30, 18,  8,
     8, 18, 26, 30, 30, 26, 18,  8,
     6, 14, 22, 26, 26, 22, 14,  6,
     2,  6, 14, 20, 20, 14,  6,  2,
    -7, -3,  1,  3,  3,  1, -3, -7,
};

constexpr Grid bishop_grid = {
    16, 16, 16, 16, 16, 16, 16, 16,
    16, 29, 31, 31, 31, 31, 29, 16,
    16, 28, 32, 32, 32, 32, 28, 16,
    16, 26, 32, 32, 32, 32, 26, 16,
    16, 26, 32, 32, 32, 32, 26, 16,
    26, 28, 32, 32, 32, 32, 28, 26,
    26, 29, 31, 31, 31, 31, 29, 26,
    16, 16, 16, 16, 16, 16, 16, 16,
};

// King while its side's running total is 1300 or more.
constexpr Grid king_middle_grid = {
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
     -7,  -7,  -7,  -9,  -9,  -7,  -7,  -7,
     -5,  -5,  -5,  -5,  -5,  -5,  -5,  -5,
      1,   3,  10,  -8,  -5,  -8,  10,   2,
};

// King while its side's running total is below 1300.
constexpr Grid king_end_grid = {
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 2,  4,  5,  5,  4, 2, 0,
    0, 7, 10, 12, 12, 10, 7, 0,
    1, 4, 12, 15, 15, 12, 4, 1,
    1, 4, 10, 10, 10, 10, 4, 1,
    1, 4,  6,  7,  7,  6, 4, 1,
    0, 2,  4,  5,  5,  4, 2, 0,
    0, 0,  1,  2,  2,  1, 0, 0,
};

// Black's value on a square is White's on the same file of the mirrored rank.
constexpr Grid mirror(const Grid& white) {
    Grid black{};
    for (int sq = 0; sq < 64; ++sq) black[sq] = white[(7 - sq / 8) * 8 + sq % 8];
    return black;
}

constexpr Grid black_pawn_grid() {
    Grid g = mirror(pawn_grid);
    g[5 * 8 + 6] = 12;  // g3: Black's one value that is not the mirror of White's g6 (15)
    return g;
}

// [table][colour][square64]
constexpr Grid tables[5][2] = {
    {pawn_grid, black_pawn_grid()},
    {knight_grid, mirror(knight_grid)},
    {bishop_grid, mirror(bishop_grid)},
    {king_middle_grid, mirror(king_middle_grid)},
    {king_end_grid, mirror(king_end_grid)},
};

constexpr int DOUBLED_PAWN = 10;
constexpr int ISOLATED_PAWN = 20;
constexpr int BACKWARD_PAWN = 8;
constexpr int ROOK_ON_SEVENTH = 10;
constexpr int ROOK_OPEN_FILE = 15;
constexpr int ROOK_HALF_OPEN_FILE = 10;
constexpr int KING_PHASE_LIMIT = 1300;

// The value of a piece on a square that depends on nothing else: its
// material plus its square-table value (pawn, knight, bishop) or the bonus
// of a rook on its seventh rank; the queen has its material only and the
// king nothing (it is never counted as material). Indexed [colour][piece
// code][sq64]; codes 6 and 7 (no piece) are 0.
struct PieceSquareValues {
    int32_t value[2][8][64];
    int32_t material[8];  // piece_value without the king
};

constexpr PieceSquareValues make_piece_square_values() {
    PieceSquareValues t{};
    for (int p = PAWN; p <= QUEEN; ++p) t.material[p] = piece_value[p];
    for (int c = 0; c < 2; ++c) {
        for (int sq = 0; sq < 64; ++sq) {
            const int row = sq / 8;
            t.value[c][PAWN][sq] = piece_value[PAWN] + tables[PAWN_TABLE][c][sq];
            t.value[c][KNIGHT][sq] = piece_value[KNIGHT] + tables[KNIGHT_TABLE][c][sq];
            t.value[c][BISHOP][sq] = piece_value[BISHOP] + tables[BISHOP_TABLE][c][sq];
            const bool seventh = (c == 0 && row == 1) || (c == 1 && row == 6);
            t.value[c][ROOK][sq] = piece_value[ROOK] + (seventh ? ROOK_ON_SEVENTH : 0);
            t.value[c][QUEEN][sq] = piece_value[QUEEN];
        }
    }
    return t;
}

}  // namespace eval_tables

inline constexpr eval_tables::PieceSquareValues piece_square_values = eval_tables::make_piece_square_values();

}  // namespace torlo
