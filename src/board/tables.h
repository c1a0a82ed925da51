// Constant tables of the board: square numbering, Zobrist keys, castling
// masks and the movement offsets. All built at compile time.
#pragma once

#include <array>
#include <cstdint>

#include "types.h"

namespace torlo {

namespace detail {

// splitmix64 from state 0: fixed keys make searches reproducible.
constexpr std::array<uint64_t, 1024> make_zobrist() {
    std::array<uint64_t, 1024> keys{};
    uint64_t s = 0;
    for (uint64_t& out : keys) {
        s += 0x9E3779B97F4A7C15ULL;
        uint64_t z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        out = z ^ (z >> 31);
    }
    return keys;
}

constexpr std::array<uint8_t, BOARD_SIZE> make_sq64() {
    std::array<uint8_t, BOARD_SIZE> t{};
    for (int row = 0; row < 8; ++row)
        for (int file = 0; file < 8; ++file) t[26 + 12 * row + file] = static_cast<uint8_t>(8 * row + file);
    return t;
}

}  // namespace detail

// Zobrist table: 64 rows of 16 slots, entry = 16 * row + slot.
//   slots 0..5   White pieces (slot = piece code) on square row sq64
//   slots 8..13  Black pieces (slot = 8 + piece code)
//   slot 7       castling key of rights value = row (rows 0..15)
//   slot 8       en-passant key of the square (same entry as a Black pawn)
//   slot 15      side key, row 0 only (Black to move)
inline constexpr std::array<uint64_t, 1024> zobrist = detail::make_zobrist();

// Mailbox index -> 0..63 with a8 = 0, h1 = 63; border entries 0.
inline constexpr std::array<uint8_t, BOARD_SIZE> sq64 = detail::make_sq64();

// 0..63 (a8 = 0) -> mailbox index; the inverse of sq64 on the playing squares.
// Larger numbers land past h1, on no playing square.
constexpr int mailbox_of(int square64) { return 26 + 12 * (square64 >> 3) + (square64 & 7); }

// Rights kept when a move leaves or lands on a square, rank 8 at the top.
inline constexpr uint8_t castle_mask[BOARD_SIZE] = {
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15,  7, 15, 15, 15,  3, 15, 15, 11, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 13, 15, 15, 15, 12, 15, 15, 14, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
};

inline uint64_t piece_key(int sq, int colour, int piece) { return zobrist[16 * sq64[sq] + 8 * colour + piece]; }
inline uint64_t castle_key(int rights) { return zobrist[16 * rights + 7]; }
inline uint64_t ep_key(int sq) { return zobrist[16 * sq64[sq] + 8]; }
inline uint64_t side_key() { return zobrist[15]; }

// Movement of the pieces from KNIGHT to KING: directions, slides, offsets.
struct PieceMoves {
    int count;
    bool slides;
    int offsets[8];
};
inline constexpr PieceMoves piece_offsets[6] = {
    {0, false, {}},                                    // pawn: see pawn_offsets
    {8, false, {-25, -23, -14, -10, 10, 14, 23, 25}},  // knight
    {4, true, {-13, -11, 11, 13}},                     // bishop
    {4, true, {-12, -1, 1, 12}},                       // rook
    {8, true, {-13, -12, -11, -1, 1, 11, 12, 13}},     // queen
    {8, false, {-13, -12, -11, -1, 1, 11, 12, 13}},    // king
};

// Per colour: capture towards file a, capture towards file h, push, double push.
inline constexpr int pawn_offsets[2][4] = {
    {-13, -11, -12, -24},  // White
    {11, 13, 12, 24},      // Black
};

// Square sets: 64-bit masks with bit n for square n of sq64 (a8 = bit 0,
// h1 = bit 63), so increasing bit order is the a8 .. h1 order of the
// mailbox scans.
using SquareSet = uint64_t;

constexpr SquareSet square_bit(int square64) { return SquareSet{1} << square64; }
inline constexpr SquareSet FILE_A_SQUARES = 0x0101010101010101ULL;
inline constexpr SquareSet FILE_H_SQUARES = FILE_A_SQUARES << 7;
// The set bit of a one-square set, or the lowest square of a set (not empty).
inline int first_square(SquareSet set) { return __builtin_ctzll(set); }
// The highest square of a non-empty set.
inline int last_square(SquareSet set) { return 63 ^ __builtin_clzll(set); }
// Number of squares in a set (no popcount instruction is assumed).
constexpr int square_count(SquareSet set) {
    set = set - ((set >> 1) & 0x5555555555555555ULL);
    set = (set & 0x3333333333333333ULL) + ((set >> 2) & 0x3333333333333333ULL);
    set = (set + (set >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((set * 0x0101010101010101ULL) >> 56);
}

// The eight directions of the mailbox, in the order of the queen's and
// king's offsets; the first four point towards a8 (lower squares).
inline constexpr int direction_offsets[8] = {-13, -12, -11, -1, 1, 11, 12, 13};
enum : int { UP_LEFT, UP, UP_RIGHT, LEFT, RIGHT, DOWN_LEFT, DOWN, DOWN_RIGHT };

namespace detail {

constexpr bool on_board(int row, int file) { return row >= 0 && row < 8 && file >= 0 && file < 8; }

// Row and file steps of a mailbox offset (offsets of at most two rows and files).
constexpr int row_step(int offset) { return (offset + 26 + 6) / 12 - 2; }
constexpr int file_step(int offset) { return offset - 12 * row_step(offset); }

struct SetTables {
    SquareSet ray[8][64];        // squares beyond the square in each direction, to the edge
    SquareSet knight[64];        // knight steps
    SquareSet king[64];          // king steps
    SquareSet pawn_from[2][64];  // squares from which a pawn of the colour attacks the square
    SquareSet diagonal_lines[64];
    SquareSet straight_lines[64];
};

constexpr SetTables make_set_tables() {
    SetTables t{};
    constexpr int knight_offsets[8] = {-25, -23, -14, -10, 10, 14, 23, 25};
    for (int sq = 0; sq < 64; ++sq) {
        const int row = sq / 8, file = sq % 8;
        for (int d = 0; d < 8; ++d) {
            const int dr = row_step(direction_offsets[d]), df = file_step(direction_offsets[d]);
            for (int r = row + dr, f = file + df; on_board(r, f); r += dr, f += df) t.ray[d][sq] |= square_bit(8 * r + f);
            if (on_board(row + dr, file + df)) t.king[sq] |= square_bit(8 * (row + dr) + file + df);
        }
        for (int offset : knight_offsets) {
            const int r = row + row_step(offset), f = file + file_step(offset);
            if (on_board(r, f)) t.knight[sq] |= square_bit(8 * r + f);
        }
        // A White pawn attacks one row up (towards rank 8), a Black one one row down.
        for (int df : {-1, 1}) {
            if (on_board(row + 1, file + df)) t.pawn_from[0][sq] |= square_bit(8 * (row + 1) + file + df);
            if (on_board(row - 1, file + df)) t.pawn_from[1][sq] |= square_bit(8 * (row - 1) + file + df);
        }
        t.diagonal_lines[sq] = t.ray[UP_LEFT][sq] | t.ray[UP_RIGHT][sq] | t.ray[DOWN_LEFT][sq] | t.ray[DOWN_RIGHT][sq];
        t.straight_lines[sq] = t.ray[UP][sq] | t.ray[LEFT][sq] | t.ray[RIGHT][sq] | t.ray[DOWN][sq];
    }
    return t;
}

}  // namespace detail

inline constexpr detail::SetTables set_tables = detail::make_set_tables();

// The first occupied square of a ray from a square, as a set (empty when the
// ray is): the highest square for the directions towards a8, the lowest for
// those towards h1. No branch on whether the ray is empty, so that callers
// branch once, on what stands there.
template <int Direction>
inline SquareSet first_blocker(int square64, SquareSet occupied) {
    const SquareSet blockers = set_tables.ray[Direction][square64] & occupied;
    return Direction < RIGHT ? square_bit(last_square(blockers | 1)) & blockers : blockers & (0 - blockers);
}

}  // namespace torlo
