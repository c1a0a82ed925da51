// The command interpreter driven through the main loop: numeric arguments,
// `white`/`black`, take-backs and the latest setup, the game-length limit,
// and `setboard` without a position. Plain command replies are pinned by
// the whole-program transcripts.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "board/board.h"
#include "interface/engine.h"
#include "interface/settings.h"
#include "support/harness.h"

namespace torlo {
namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine(); }
    void TearDown() override { test::reset_engine(); }
};

TEST(ScanInt, ReadsTheNumberAfterTheWordClampedTo32Bits) {
    const struct { const char* line; bool ok; int value; } cases[] = {
        {"st 5\n", true, 5},       {"st -4500\n", true, -4500}, {"st   +7 more\n", true, 7}, {"st 12abc\n", true, 12},
        {"st 2147483647\n", true, INT_MAX},    {"st 2147483648\n", true, INT_MAX},
        {"st 99999999999999999999999\n", true, INT_MAX},  {"st -2147483648\n", true, INT_MIN},
        {"st -99999999999999999999999\n", true, INT_MIN}, {"st\n", false, 42}, {"st x\n", false, 42},
        {"st -\n", false, 42},     {" st 5\n", false, 42},  // the word must start the line
    };
    for (const auto& c : cases) {
        int n = 42;
        EXPECT_EQ(scan_int(c.line, "st", &n), c.ok) << c.line;
        EXPECT_EQ(n, c.value) << c.line;
    }
}

TEST_F(Commands, NumericArgumentsClampedAndLeadingBlankIgnored) {
    EXPECT_EQ(test::run_session(" st 5\n\tsd 3\n"), "");
    EXPECT_TRUE(settings.move_time == 10 && settings.max_depth == 32);
    test::run_session("st 123456789012345\nsd -123456789012345\n");
    EXPECT_TRUE(settings.move_time == INT_MAX && settings.max_depth == INT_MIN);
    test::run_session("time 99999999999999\n");
    EXPECT_EQ(settings.move_time, INT_MAX / 3000);
}

TEST_F(Commands, WhiteAndBlackClearEnPassantAndRecomputeTheKey) {
    for (const int side : {WHITE, BLACK}) {
        test::reset_engine();
        test::run_session("force\ne2e4\na7a6\ne4e5\nd7d5\n");
        ASSERT_EQ(pos.ep, square_of(3, 6));
        test::run_session(side == WHITE ? "white\n" : "black\n");
        EXPECT_EQ(pos.side, side);
        EXPECT_EQ(pos.ep, 0);
        EXPECT_EQ(pos.hash_key, compute_hash());
        EXPECT_EQ(settings.computer_side, side ^ 1);
        ASSERT_GT(move_count, 0);
        for (int i = 0; i < move_count; ++i) {
            EXPECT_EQ(pos.color[root_moves[i].from], side);
            EXPECT_NE(root_moves[i].type, EN_PASSANT);
        }
    }
}

TEST_F(Commands, UndoAndRemoveNeverGoBelowTheLastSetup) {
    for (const char* setup : {"setboard 4k3/8/8/8/8/8/8/R3K3 w Q - 0 1\n", "edit\n#\nKe1\nRa1\nc\nKe8\n.\n"}) {
        test::reset_engine();
        test::run_session(std::string("force\ne2e4\ne7e5\n") + setup);
        ASSERT_TRUE(pos.ply == 2 && pos.board[A1] == ROOK) << setup;
        const uint64_t key = pos.hash_key;
        test::run_session("undo\nremove\n");
        EXPECT_TRUE(pos.ply == 2 && pos.hash_key == key) << setup;
        test::run_session("a1a2\nremove\n");  // one move since the setup: remove does nothing
        EXPECT_EQ(pos.ply, 3) << setup;
        test::run_session("undo\nundo\n");
        EXPECT_TRUE(pos.ply == 2 && pos.hash_key == key && pos.board[A1] == ROOK) << setup;
        EXPECT_TRUE(position_is_ok()) << setup;
    }
}

TEST_F(Commands, GameTooLongFromPly3968ForTypedMovesAndGo) {
    static const char* const cycle[] = {"g1f3\n", "g8f6\n", "f3g1\n", "f6g8\n"};
    std::string shuffle = "force\n";
    for (int i = 0; i < GAME_PLY_LIMIT - 1; ++i) shuffle += cycle[i % 4];
    test::run_session(shuffle);
    ASSERT_EQ(pos.ply, GAME_PLY_LIMIT - 1);
    EXPECT_EQ(test::run_session("sd 2\nst 1000\nnopost\ngo\n").rfind("1984. ... ", 0), 0u);  // ply 3968 reached
    ASSERT_EQ(pos.ply, GAME_PLY_LIMIT);
    EXPECT_EQ(test::run_session("a2a3\ngo\n"), "Error (game too long): a2a3\nError (game too long): go\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
    EXPECT_EQ(pos.ply, GAME_PLY_LIMIT);
    EXPECT_EQ(test::run_session("undo\nf6g8\n"), "1/2-1/2 {Draw by fifty move rule}\n");  // room again
    EXPECT_EQ(pos.ply, GAME_PLY_LIMIT);
}

TEST_F(Commands, SetboardWithoutPositionChangesNothing) {
    test::run_session("force\ne2e4\n");
    const uint64_t key = pos.hash_key;
    EXPECT_EQ(test::run_session("setboard\nsetboard \nsetboard    \t \n"),
              "Error (missing FEN): setboard\nError (missing FEN): setboard\nError (missing FEN): setboard\n");
    EXPECT_EQ(pos.hash_key, key);
    EXPECT_EQ(pos.ep, square_of(4, 3));
    EXPECT_EQ(settings.use_book, 1);
}

}  // namespace
}  // namespace torlo
