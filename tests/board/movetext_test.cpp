// Move text: the short and long printed forms, the move-shape test for input
// words, and playing a typed move from the root list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

using test::sq;

TEST(MoveText, LongAndShortForms) {
    const struct { const char* fen; const char* move; const char* long_form; const char* short_form; } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1g1", "O-O", "O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1c1", "O-O-O", "O-O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8c8", "O-O-O", "O-O-O"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3", "e4d3", "e4xd3ep", "e4d3"},
        {"4k3/8/3p4/4p3/8/5N2/8/4K3 w - -", "f3e5", "f3xe5", "f3e5"},
        {"4k3/8/3p4/4p3/8/5N2/8/4K3 w - -", "f3g5", "f3g5", "f3g5"},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - -", "e4d5", "e4xd5", "e4d5"},
        {"2r4k/3P4/8/8/8/8/8/4K3 w - -", "d7c8n", "d7c8n", "d7c8n"},  // a promotion has no capture mark
        {"2r4k/3P4/8/8/8/8/8/4K3 w - -", "d7d8q", "d7d8q", "d7d8q"},
    };
    for (const auto& c : cases) {
        Move m{};
        ASSERT_TRUE(test::setup(c.fen));
        ASSERT_TRUE(test::find_move(c.move, &m)) << c.move;
        EXPECT_STREQ(move_text(m, 1), c.long_form) << c.fen;
        EXPECT_STREQ(move_text(m, 0), c.short_form) << c.fen;
    }
}

TEST(MoveText, LooksLikeMoveChecksOnlyTheFirstFourCharacters) {
    for (const char* yes : {"e2e4", "e7e8q", "a1h8xyz", "h8a1", "a1a1"}) EXPECT_EQ(looks_like_move(yes), 1) << yes;
    for (const char* no : {"E2E4", "e9e4", "i2i4", "e2e", "O-O", "", "e0e4", "e2i4", "e2e9", "2e4e", "e2-e4"})
        EXPECT_EQ(looks_like_move(no), 0) << '"' << no << '"';
}

TEST(MoveText, PromotionLetterChoosesThePieceQueenOtherwise) {
    const struct { const char* text; int piece; } cases[] = {
        {"e7e8", QUEEN}, {"e7e8q", QUEEN}, {"e7e8n", KNIGHT}, {"e7e8b", BISHOP}, {"e7e8r", ROOK},
        {"e7e8Q", QUEEN}, {"e7e8N", QUEEN}, {"e7e8k", QUEEN}, {"e7e8x", QUEEN},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup("k7/4P3/8/8/8/8/8/4K3 w - -"));
        const int material = pos.piece_material[WHITE];
        ASSERT_EQ(play_user_move(c.text), 1) << c.text;
        EXPECT_TRUE(pos.board[sq("e8")] == c.piece && pos.color[sq("e8")] == WHITE) << c.text;
        EXPECT_EQ(pos.piece_material[WHITE], material + (c.piece >= ROOK ? 2 : 1)) << c.text;
        EXPECT_EQ(pos.hash_key, compute_hash()) << c.text;
    }
}

TEST(MoveText, IllegalAndPinnedMovesReturnZeroAndChangeNothing) {
    const struct { const char* fen; const char* move; } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "e2e5"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "e1g1"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "e7e5"},
        {"4k3/4r3/8/8/8/8/4N3/4K3 w - -", "e2c3"},
        {"8/KP5r/8/8/8/8/8/7k w - -", "b7b8n"},  // pinned: the refused letter must not stick
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup(c.fen));
        const Position before = pos;
        Move list[MAX_MOVES];
        std::copy(root_moves, root_moves + move_count, list);
        const int count = move_count;
        EXPECT_EQ(play_user_move(c.move), 0) << c.move;
        EXPECT_TRUE(pos.ply == before.ply && pos.side == before.side && pos.hash_key == before.hash_key) << c.move;
        EXPECT_EQ(std::memcmp(pos.board, before.board, sizeof pos.board), 0) << c.move;
        ASSERT_EQ(move_count, count);
        for (int i = 0; i < count; ++i) EXPECT_EQ(root_moves[i].type, list[i].type) << c.move << " entry " << i;
    }
}

}  // namespace
}  // namespace torlo
