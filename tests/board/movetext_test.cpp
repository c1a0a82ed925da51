// Move text: the short and long printed forms, the move-shape test for input
// words, and playing a typed move from the root list.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

constexpr int sq(const char* name) { return 26 + (name[0] - 'a') + 12 * (8 - (name[1] - '0')); }

Move root_move(const char* text) {
    Move m{};
    EXPECT_TRUE(test::find_move(text, &m)) << text;
    return m;
}

std::string text_of(const Move& m, int long_form) { return move_text(m, long_form); }

TEST(MoveText, CastlingPrintsAsOOAndOOOInBothForms) {
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    const Move white_short = root_move("e1g1");
    ASSERT_EQ(white_short.type, CASTLING);
    EXPECT_EQ(text_of(white_short, 0), "O-O");
    EXPECT_EQ(text_of(white_short, 1), "O-O");
    EXPECT_EQ(text_of(root_move("e1c1"), 0), "O-O-O");

    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -"));
    const Move black_long = root_move("e8c8");
    ASSERT_EQ(black_long.type, CASTLING);
    EXPECT_EQ(text_of(black_long, 0), "O-O-O");
    EXPECT_EQ(text_of(black_long, 1), "O-O-O");
    EXPECT_EQ(text_of(root_move("e8g8"), 1), "O-O");
}

TEST(MoveText, EnPassantLongFormEndsInEp) {
    ASSERT_TRUE(test::setup("4k3/8/8/8/3Pp3/8/8/4K3 b - d3"));
    const Move m = root_move("e4d3");
    ASSERT_EQ(m.type, EN_PASSANT);
    EXPECT_EQ(text_of(m, 1), "e4xd3ep");
    EXPECT_EQ(text_of(m, 0), "e4d3");
}

TEST(MoveText, CapturesMarkedOnlyInLongForm) {
    ASSERT_TRUE(test::setup("4k3/8/3p4/4p3/8/5N2/8/4K3 w - -"));
    const Move knight = root_move("f3e5");
    ASSERT_EQ(knight.type, CAPTURE);
    EXPECT_EQ(text_of(knight, 1), "f3xe5");
    EXPECT_EQ(text_of(knight, 0), "f3e5");
    const Move quiet = root_move("f3g5");
    EXPECT_EQ(text_of(quiet, 1), "f3g5");
    EXPECT_EQ(text_of(quiet, 0), "f3g5");

    ASSERT_TRUE(test::setup("4k3/8/8/3p4/4P3/8/8/4K3 w - -"));
    const Move pawn = root_move("e4d5");
    ASSERT_EQ(pawn.type, PAWN_CAPTURE);
    EXPECT_EQ(text_of(pawn, 1), "e4xd5");
    EXPECT_EQ(text_of(pawn, 0), "e4d5");

    test::reset_engine();
    EXPECT_EQ(text_of(root_move("e2e4"), 1), "e2e4");  // a double push is quiet
    EXPECT_EQ(text_of(root_move("g1f3"), 1), "g1f3");
}

TEST(MoveText, PromotionsCarryTheirLetterAndNoCaptureMark) {
    ASSERT_TRUE(test::setup("2r4k/3P4/8/8/8/8/8/4K3 w - -"));
    const Move m = root_move("d7c8n");
    ASSERT_EQ(m.type, PROMOTE_KNIGHT);
    EXPECT_EQ(text_of(m, 1), "d7c8n");
    EXPECT_EQ(text_of(m, 0), "d7c8n");
    EXPECT_EQ(text_of(root_move("d7d8q"), 1), "d7d8q");
    EXPECT_EQ(text_of(root_move("d7d8r"), 0), "d7d8r");
    EXPECT_EQ(text_of(root_move("d7c8b"), 1), "d7c8b");

    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/p7/4K3 b - -"));
    EXPECT_EQ(text_of(root_move("a2a1q"), 0), "a2a1q");
}

TEST(MoveText, LooksLikeMoveChecksOnlyTheFirstFourCharacters) {
    for (const char* yes : {"e2e4", "e7e8q", "a1h8xyz", "h8a1", "a1a1"}) EXPECT_EQ(looks_like_move(yes), 1) << yes;
    for (const char* no : {"E2E4", "e9e4", "i2i4", "e2e", "O-O", "O-O-O", "", "e0e4", "e2i4", "e2e9", "2e4e", "e2-e4"})
        EXPECT_EQ(looks_like_move(no), 0) << '"' << no << '"';
}

struct Letter {
    const char* text;
    int piece;
};
void PrintTo(const Letter& l, std::ostream* os) { *os << l.text; }

class PromotionLetter : public ::testing::TestWithParam<Letter> {};

TEST_P(PromotionLetter, PlaysThePieceTheLetterNames) {
    const char* text = GetParam().text;
    const int piece = GetParam().piece;
    ASSERT_TRUE(test::setup("k7/4P3/8/8/8/8/8/4K3 w - -"));
    const int material = pos.piece_material[WHITE];
    EXPECT_EQ(play_user_move(text), 1) << text;
    EXPECT_EQ(pos.board[sq("e8")], piece) << text;
    EXPECT_EQ(pos.color[sq("e8")], WHITE) << text;
    EXPECT_EQ(pos.board[sq("e7")], EMPTY);
    EXPECT_EQ(pos.side, BLACK);
    EXPECT_EQ(pos.ply, 1);
    EXPECT_EQ(pos.piece_material[WHITE], material + (piece == ROOK || piece == QUEEN ? 2 : 1));
    EXPECT_EQ(pos.hash_key, compute_hash());
}

// Only the lower-case letters n, b, r, q choose the piece; anything else, or
// nothing, keeps the first promotion generated, the queen.
INSTANTIATE_TEST_SUITE_P(MoveText, PromotionLetter,
                         ::testing::Values(Letter{"e7e8", QUEEN}, Letter{"e7e8q", QUEEN}, Letter{"e7e8n", KNIGHT},
                                           Letter{"e7e8b", BISHOP}, Letter{"e7e8r", ROOK}, Letter{"e7e8Q", QUEEN},
                                           Letter{"e7e8N", QUEEN}, Letter{"e7e8k", QUEEN}, Letter{"e7e8p", QUEEN},
                                           Letter{"e7e8x", QUEEN}),
                         [](const ::testing::TestParamInfo<Letter>& info) { return std::string(info.param.text); });

TEST(MoveText, PlayUserMoveRejectsMovesNotInTheList) {
    test::reset_engine();
    const Position before = pos;
    EXPECT_EQ(play_user_move("e2e5"), 0);
    EXPECT_EQ(play_user_move("e1g1"), 0);  // castling path blocked
    EXPECT_EQ(play_user_move("e7e5"), 0);  // not White's pawn
    EXPECT_EQ(pos.ply, before.ply);
    EXPECT_EQ(pos.side, before.side);
    EXPECT_EQ(pos.hash_key, before.hash_key);
    for (int i = 0; i < BOARD_SIZE; ++i) ASSERT_EQ(pos.board[i], before.board[i]);

    EXPECT_EQ(play_user_move("e2e4"), 1);
    EXPECT_EQ(pos.board[sq("e4")], PAWN);
    EXPECT_EQ(pos.side, BLACK);
}

TEST(MoveText, PlayUserMoveRefusesPinnedPiece) {
    ASSERT_TRUE(test::setup("4k3/4r3/8/8/8/8/4N3/4K3 w - -"));
    const uint64_t key = pos.hash_key;
    EXPECT_EQ(play_user_move("e2c3"), 0);
    EXPECT_EQ(play_user_move("e2g1"), 0);
    EXPECT_EQ(pos.ply, 0);
    EXPECT_EQ(pos.side, WHITE);
    EXPECT_EQ(pos.hash_key, key);
    EXPECT_EQ(pos.board[sq("e2")], KNIGHT);
    EXPECT_EQ(pos.board[sq("c3")], EMPTY);
    EXPECT_EQ(play_user_move("e1d1"), 1);  // the king itself may step aside
}

TEST(MoveText, CastlingTypedAsKingMove) {
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    EXPECT_EQ(play_user_move("e1g1"), 1);
    EXPECT_EQ(pos.board[sq("g1")], KING);
    EXPECT_EQ(pos.board[sq("f1")], ROOK);
    generate_root_moves();
    EXPECT_EQ(play_user_move("e8c8"), 1);
    EXPECT_EQ(pos.board[sq("c8")], KING);
    EXPECT_EQ(pos.board[sq("d8")], ROOK);
}

}  // namespace
}  // namespace torlo
