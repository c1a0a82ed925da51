// The evaluation: a file pass for material and pawn structure, then a square
// pass for the square tables, the king phase and the rook and pawn terms.
#include "eval/eval.h"

#include "board/board.h"

namespace torlo {

namespace {

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

}  // namespace

int table_value(int table, int colour, int square64) { return tables[table][colour][square64]; }

int evaluate() {
    // pawn_count: pawns per colour and file, entries 1..8 = files a..h, 0 and 9 sentinels.
    // rear_pawn_rank: row of the rearmost pawn per file (White 0, Black 7 when none).
    int pawn_count[2][10] = {};
    int rear_pawn_rank[2][10] = {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {7, 7, 7, 7, 7, 7, 7, 7, 7, 7}};
    int total[2] = {0, 0};
    const uint8_t* board = pos.board;
    const uint8_t* color = pos.color;

    // File pass: material and pawn files, files a to h, rank 8 down to rank 1.
    for (int file = 0; file < 8; ++file) {
        for (int row = 0; row < 8; ++row) {
            const int sq = 26 + 12 * row + file;
            const int piece = board[sq];
            if (piece == EMPTY || piece == KING) continue;
            const int c = color[sq];
            total[c] += piece_value[piece];
            if (piece != PAWN) continue;
            if (++pawn_count[c][file + 1] == 1 || c == WHITE) rear_pawn_rank[c][file + 1] = row;
        }
        for (int c = WHITE; c <= BLACK; ++c)
            if (pawn_count[c][file + 1] > 1) total[c] -= DOUBLED_PAWN * (pawn_count[c][file + 1] - 1);
    }

    // Square pass, a8 .. h1.
    for (int row = 0; row < 8; ++row) {
        for (int file = 0; file < 8; ++file) {
            const int sq = 26 + 12 * row + file;
            const int piece = board[sq];
            if (piece == EMPTY) continue;
            const int c = color[sq];
            const int s64 = 8 * row + file;
            switch (piece) {
                case PAWN: {
                    total[c] += tables[PAWN_TABLE][c][s64];
                    const int* counts = pawn_count[c];
                    if (counts[file] == 0 && counts[file + 2] == 0) {
                        total[c] -= ISOLATED_PAWN;
                    } else {
                        const int* rear = rear_pawn_rank[c];
                        const bool backward = c == WHITE ? row > rear[file] && row > rear[file + 2]
                                                         : row < rear[file] && row < rear[file + 2];
                        if (backward) total[c] -= BACKWARD_PAWN;
                    }
                    break;
                }
                case KNIGHT: total[c] += tables[KNIGHT_TABLE][c][s64]; break;
                case BISHOP: total[c] += tables[BISHOP_TABLE][c][s64]; break;
                case ROOK: {
                    if ((c == WHITE && row == 1) || (c == BLACK && row == 6)) total[c] += ROOK_ON_SEVENTH;
                    if (pawn_count[c][file + 1] == 0)
                        total[c] += pawn_count[c ^ 1][file + 1] == 0 ? ROOK_OPEN_FILE : ROOK_HALF_OPEN_FILE;
                    break;
                }
                case KING:
                    total[c] += tables[total[c] < KING_PHASE_LIMIT ? KING_END_TABLE : KING_MIDDLE_TABLE][c][s64];
                    break;
                default: break;  // queen: material only
            }
        }
    }
    return pos.side == WHITE ? total[WHITE] - total[BLACK] : total[BLACK] - total[WHITE];
}

}  // namespace torlo
