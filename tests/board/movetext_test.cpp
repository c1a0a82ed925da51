// Move text: long and short forms, a typed promotion letter, refused moves leaving the root
// list. (Which words are moves: the transcript bad_input_lines.)
#include <algorithm>

#include "support/harness.h"

namespace torlo {
namespace {

TEST(MoveText, LongFormMarksCapturesEnPassantAndCastlingShortFormIsCoordinates) {
    const struct { const char* fen; const char* move; const char* long_form; const char* short_form; } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1g1", "O-O", "O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8c8", "O-O-O", "O-O-O"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3", "e4d3", "e4xd3ep", "e4d3"},
        {"4k3/8/3p4/4p3/8/5N2/8/4K3 w - -", "f3e5", "f3xe5", "f3e5"},
        {"4k3/8/3p4/4p3/8/5N2/8/4K3 w - -", "f3g5", "f3g5", "f3g5"},
        {"2r4k/3P4/8/8/8/8/8/4K3 w - -", "d7c8n", "d7c8n", "d7c8n"},  // a promotion has no capture mark
    };
    for (const auto& c : cases) {
        Move m{};
        ASSERT_TRUE(test::setup(c.fen));
        ASSERT_TRUE(test::find_move(c.move, &m)) << c.move;
        EXPECT_STREQ(move_text(m, 1), c.long_form) << c.fen;
        EXPECT_STREQ(move_text(m, 0), c.short_form) << c.fen;
    }
}

TEST(MoveText, PromotionLetterChoosesThePieceQueenOtherwise) {
    const struct { const char* text; int piece; } cases[] = {
        {"e7e8", QUEEN}, {"e7e8n", KNIGHT}, {"e7e8b", BISHOP}, {"e7e8r", ROOK},
        {"e7e8Q", QUEEN}, {"e7e8N", QUEEN}, {"e7e8k", QUEEN}, {"e7e8x", QUEEN},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup("k7/4P3/8/8/8/8/8/4K3 w - -"));
        ASSERT_EQ(play_user_move(c.text), 1) << c.text;
        EXPECT_TRUE(pos.board[test::sq("e8")] == c.piece && pos.color[test::sq("e8")] == WHITE) << c.text;
    }
}

TEST(MoveText, PinnedPieceAndPinnedPromotionRefusedWithTheRootListUnchanged) {
    for (const auto& [fen, move] : {std::pair{"4k3/4r3/8/8/8/8/4N3/4K3 w - -", "e2c3"},
                                    std::pair{"8/KP5r/8/8/8/8/8/7k w - -", "b7b8n"}}) {  // the letter must not stick
        ASSERT_TRUE(test::setup(fen));
        const Position before = pos;
        Move list[MAX_MOVES];
        std::copy(root_moves, root_moves + move_count, list);
        const int count = move_count;
        EXPECT_EQ(play_user_move(move), 0) << move;
        EXPECT_EQ(test::diff(before, pos), "") << move;
        ASSERT_EQ(move_count, count);
        for (int i = 0; i < count; ++i) EXPECT_EQ(root_moves[i].type, list[i].type) << move << " entry " << i;
    }
}

}  // namespace
}  // namespace torlo
