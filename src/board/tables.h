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

}  // namespace torlo
