// Zobrist keys and the new game. Keys are checked against splitmix64
// outputs computed here, independently of the engine's table.
#include <gtest/gtest.h>

#include <cstdint>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

// splitmix64 from state 0: output n (entry 16 * row + slot) mixes the state (n + 1) * gamma.
uint64_t key_of(int row, int slot) {
    uint64_t z = static_cast<uint64_t>(16 * row + slot + 1) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Row of a square: a8 = 0 .. h1 = 63.
uint64_t piece(const char* square, int colour, int code) {
    return key_of(8 * (8 - (square[1] - '0')) + square[0] - 'a', 8 * colour + code);
}

uint64_t kings() { return piece("e8", BLACK, KING) ^ piece("e1", WHITE, KING); }

TEST(Zobrist, TableIsTheSplitmix64Sequence) {
    EXPECT_EQ(zobrist[0], 0xE220A8397B1DCDAFULL);  // published first outputs
    EXPECT_EQ(zobrist[1], 0x6E789E6AA1B965F4ULL);
    EXPECT_EQ(zobrist[2], 0x06C45D188009454FULL);
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(zobrist[i], key_of(i / 16, i % 16)) << "entry " << i;
}

TEST(NewGame, InitialPositionAndItsKey) {
    test::reset_engine();
    EXPECT_TRUE(pos.side == WHITE && pos.castle == 15 && pos.ep == 0 && pos.fifty_counter == 0 && pos.ply == 0);
    EXPECT_TRUE(pos.king_sq[WHITE] == E1 && pos.king_sq[BLACK] == E8);
    EXPECT_TRUE(pos.piece_material[WHITE] == 10 && pos.piece_material[BLACK] == 10);
    // 32 pieces and the castling entry of rights 15; no side key, no en passant.
    const int back[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    uint64_t expected = key_of(15, 7);
    for (int f = 0; f < 8; ++f) {
        const char file = static_cast<char>('a' + f);
        const char s1[] = {file, '1', 0}, s2[] = {file, '2', 0}, s7[] = {file, '7', 0}, s8[] = {file, '8', 0};
        expected ^= piece(s1, WHITE, back[f]) ^ piece(s2, WHITE, PAWN);
        expected ^= piece(s7, BLACK, PAWN) ^ piece(s8, BLACK, back[f]);
    }
    EXPECT_EQ(pos.hash_key, expected);
    EXPECT_EQ(compute_hash(), expected);
}

TEST(Zobrist, SideCastlingAndEnPassantEntries) {
    // No rights still contribute the castling entry of row 0.
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(pos.hash_key, kings() ^ key_of(0, 7));
    // Black to move adds the side entry, row 0 slot 15.
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/4K3 b - -"));
    EXPECT_EQ(pos.hash_key, kings() ^ key_of(0, 7) ^ key_of(0, 15));
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w Kq -"));
    const uint64_t rooks = piece("a8", BLACK, ROOK) ^ piece("h8", BLACK, ROOK) ^ piece("a1", WHITE, ROOK) ^
                           piece("h1", WHITE, ROOK);
    EXPECT_EQ(pos.hash_key, kings() ^ rooks ^ key_of(9, 7));
    // The en-passant key of e3 is the Black pawn key of e3.
    ASSERT_TRUE(test::setup("4k3/8/8/8/4P3/8/8/4K3 b - e3"));
    ASSERT_EQ(pos.ep, 90);
    EXPECT_EQ(pos.hash_key,
              kings() ^ piece("e4", WHITE, PAWN) ^ key_of(0, 7) ^ key_of(0, 15) ^ piece("e3", BLACK, PAWN));
}

}  // namespace
}  // namespace torlo
