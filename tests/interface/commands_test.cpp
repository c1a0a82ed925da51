// The command interpreter driven through the main loop: numeric arguments,
// the settings that new game resets, `white`/`black`, take-backs and the
// latest setup, the game-length limit, and `setboard` without a position.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
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

// --- numeric arguments

TEST(ScanInt, ReadsTheNumberAfterTheWord) {
    int n = 0;
    EXPECT_TRUE(scan_int("st 5\n", "st", &n));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(scan_int("time -4500\n", "time", &n));
    EXPECT_EQ(n, -4500);
    EXPECT_TRUE(scan_int("sd   +7 more\n", "sd", &n));
    EXPECT_EQ(n, 7);
    EXPECT_TRUE(scan_int("sd 12abc\n", "sd", &n));
    EXPECT_EQ(n, 12);
}

TEST(ScanInt, MissingOrMalformedNumberLeavesTheValue) {
    int n = 42;
    EXPECT_FALSE(scan_int("st\n", "st", &n));
    EXPECT_FALSE(scan_int("st x\n", "st", &n));
    EXPECT_FALSE(scan_int("st -\n", "st", &n));
    EXPECT_EQ(n, 42);
}

TEST(ScanInt, PatternMustMatchFromTheFirstCharacter) {
    int n = 42;
    EXPECT_FALSE(scan_int(" st 5\n", "st", &n));
    EXPECT_EQ(n, 42);
}

TEST(ScanInt, HugeNumbersAreClampedTo32Bits) {
    int n = 0;
    EXPECT_TRUE(scan_int("st 99999999999999999999999\n", "st", &n));
    EXPECT_EQ(n, INT_MAX);
    EXPECT_TRUE(scan_int("st 2147483648\n", "st", &n));
    EXPECT_EQ(n, INT_MAX);
    EXPECT_TRUE(scan_int("st 2147483647\n", "st", &n));
    EXPECT_EQ(n, INT_MAX);
    EXPECT_TRUE(scan_int("st -2147483648\n", "st", &n));
    EXPECT_EQ(n, INT_MIN);
    EXPECT_TRUE(scan_int("st -99999999999999999999999\n", "st", &n));
    EXPECT_EQ(n, INT_MIN);
}

TEST_F(Commands, StAndSdStoreTheirNumbers) {
    EXPECT_EQ(test::run_session("st 5\nsd 4\n"), "");
    EXPECT_EQ(settings.move_time, 5);
    EXPECT_EQ(settings.max_depth, 4);
}

TEST_F(Commands, StWithALeadingBlankIsRecognisedButChangesNothing) {
    EXPECT_EQ(test::run_session(" st 5\n\tsd 3\n"), "");
    EXPECT_EQ(settings.move_time, 10);
    EXPECT_EQ(settings.max_depth, 32);
}

TEST_F(Commands, StAndSdWithoutNumberChangeNothing) {
    EXPECT_EQ(test::run_session("st 7\nsd 6\nst\nsd\nst x\nsd -\n"), "");
    EXPECT_EQ(settings.move_time, 7);
    EXPECT_EQ(settings.max_depth, 6);
}

TEST_F(Commands, HugeArgumentsAreClamped) {
    test::run_session("st 123456789012345\nsd -123456789012345\n");
    EXPECT_EQ(settings.move_time, INT_MAX);
    EXPECT_EQ(settings.max_depth, INT_MIN);
    test::run_session("time 99999999999999\n");
    EXPECT_EQ(settings.move_time, INT_MAX / 3000);
}

TEST_F(Commands, TimeGivesOneThirtiethOfTheClockInSeconds) {
    test::run_session("time 30000\n");
    EXPECT_EQ(settings.move_time, 10);
    test::run_session("time 2999\n");
    EXPECT_EQ(settings.move_time, 0);
    test::run_session("time -4500\n");
    EXPECT_EQ(settings.move_time, -1);
    test::run_session("time 3000\n");
    EXPECT_EQ(settings.move_time, 1);
}

TEST_F(Commands, NewResetsTimeDepthSideAndBookButNotThinkingOutput) {
    test::run_session("st 5\nsd 4\nnopost\nforce\nnew\n");
    EXPECT_EQ(settings.move_time, 10);
    EXPECT_EQ(settings.max_depth, 32);
    EXPECT_EQ(settings.computer_side, BLACK);
    EXPECT_EQ(settings.use_book, 1);
    EXPECT_EQ(settings.post_thinking, 0);
    test::run_session("post\nnew\n");
    EXPECT_EQ(settings.post_thinking, 1);
}

TEST_F(Commands, SilentProtocolWordsAreAccepted) {
    EXPECT_EQ(test::run_session("accepted setboard\nrejected ping\nrandom\ncomputer\nlevel 40 5 0\n"
                                "otim 1000\nname someone\n"),
              "");
}

TEST_F(Commands, CommandsAreCaseSensitive) {
    EXPECT_EQ(test::run_session("NEW\nQuit\n"), "Error (unknown command): NEW\nError (unknown command): Quit\n");
}

TEST_F(Commands, QuitEndsTheLoop) {
    EXPECT_EQ(test::run_session("quit\nhelp\n"), "");
}

// --- white and black

TEST_F(Commands, WhiteClearsTheEnPassantSquareAndRekeys) {
    test::run_session("force\ne2e4\na7a6\ne4e5\nd7d5\n");
    ASSERT_NE(pos.ep, 0);
    test::run_session("white\n");
    EXPECT_EQ(pos.side, WHITE);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
    EXPECT_EQ(settings.computer_side, BLACK);
    for (int i = 0; i < move_count; ++i) EXPECT_NE(root_moves[i].type, EN_PASSANT);
    EXPECT_EQ(test::run_session("e5d6\n"), "Illegal move: e5d6\n");
}

TEST_F(Commands, BlackSetsBlackToMoveAndTheEngineToWhite) {
    test::run_session("force\ne2e4\nd7d5\ne4e5\nf7f5\n");
    ASSERT_NE(pos.ep, 0);
    const uint64_t before = pos.hash_key;
    test::run_session("black\n");
    EXPECT_EQ(pos.side, BLACK);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_NE(pos.hash_key, before);
    EXPECT_EQ(pos.hash_key, compute_hash());
    EXPECT_EQ(settings.computer_side, WHITE);
    EXPECT_TRUE(position_is_ok());
    // The root list is Black's.
    Move m;
    EXPECT_TRUE(test::find_move("g8f6", &m));
    EXPECT_FALSE(test::find_move("g1f3", &m));
}

TEST_F(Commands, PlayotherAndGoChooseTheEnginesColour) {
    test::run_session("playother\n");
    EXPECT_EQ(settings.computer_side, BLACK);
    test::run_session("force\ne2e4\nplayother\n");
    EXPECT_EQ(settings.computer_side, WHITE);
    // Black to move: `go` makes the engine play Black at once.
    const std::string out = test::run_session("force\nsd 1\nst 1000\nnopost\ngo\n");
    EXPECT_EQ(out.rfind("1. ... ", 0), 0u) << out;
    EXPECT_EQ(settings.computer_side, BLACK);
    EXPECT_EQ(pos.ply, 2);
}

// --- take-backs

TEST_F(Commands, UndoAndRemoveTakeBackOneAndTwoMoves) {
    test::run_session("force\ne2e4\ne7e5\ng1f3\n");
    test::run_session("undo\n");
    EXPECT_EQ(pos.ply, 2);
    EXPECT_EQ(pos.side, WHITE);
    test::run_session("remove\n");
    EXPECT_EQ(pos.ply, 0);
    EXPECT_EQ(root_moves[0].from, square_of(0, 2));  // the root list is regenerated: a2a4 first
    EXPECT_EQ(move_count, 20);
    test::run_session("undo\nremove\n");
    EXPECT_EQ(pos.ply, 0);
    test::run_session("e2e4\nremove\n");
    EXPECT_EQ(pos.ply, 1);  // one move only: remove does nothing
    EXPECT_TRUE(position_is_ok());
}

TEST_F(Commands, TakeBacksStopAtTheLatestSetboard) {
    test::run_session("force\ne2e4\ne7e5\nsetboard 4k3/8/8/8/8/8/8/R3K3 w Q - 0 1\n");
    const uint64_t key = pos.hash_key;
    test::run_session("undo\nremove\n");
    EXPECT_EQ(pos.ply, 2);
    EXPECT_EQ(pos.hash_key, key);
    EXPECT_EQ(pos.board[square_of(0, 1)], ROOK);
    test::run_session("e1c1\ne8e7\nremove\n");
    EXPECT_EQ(pos.ply, 2);
    EXPECT_EQ(pos.castle, WHITE_QUEEN_SIDE);
    test::run_session("a1a2\nremove\n");
    EXPECT_EQ(pos.ply, 3);  // mark plus one: remove does nothing
    test::run_session("undo\nundo\n");
    EXPECT_EQ(pos.ply, 2);
    EXPECT_EQ(pos.hash_key, key);
    EXPECT_TRUE(position_is_ok());
}

TEST_F(Commands, TakeBacksStopAtTheLatestEdit) {
    test::run_session("force\ne2e4\ne7e5\nedit\n#\nKe1\nc\nKe8\n.\n");
    ASSERT_EQ(pos.ply, 2);
    test::run_session("undo\nremove\n");
    EXPECT_EQ(pos.ply, 2);
    EXPECT_EQ(pos.board[square_of(4, 4)], EMPTY);  // the edited board, not the game's
    EXPECT_TRUE(position_is_ok());
}

TEST_F(Commands, TakeBacksStopAtTheLatestLoadpos) {
    char name[] = "/tmp/torlo_positions_XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    std::FILE* f = ::fdopen(fd, "w");
    std::fputs("4k3/8/8/8/8/8/8/4K2R w K - bm e1g1; id \"one\";\n", f);
    std::fclose(f);
    test::run_session(std::string("force\ne2e4\nloadpos ") + name + "\n");
    std::remove(name);
    ASSERT_EQ(pos.castle, WHITE_KING_SIDE);
    test::run_session("undo\nremove\n");
    EXPECT_EQ(pos.ply, 1);
    EXPECT_EQ(pos.board[square_of(7, 1)], ROOK);
    EXPECT_TRUE(position_is_ok());
}

// --- the length of a game

// Knight moves back and forth under force, `half_moves` of them.
std::string knight_shuffle(int half_moves) {
    static const char* const cycle[] = {"g1f3\n", "g8f6\n", "f3g1\n", "f6g8\n"};
    std::string text = "force\n";
    for (int i = 0; i < half_moves; ++i) text += cycle[i % 4];
    return text;
}

TEST_F(Commands, EngineStillMovesJustBelowTheGameLengthLimit) {
    test::run_session(knight_shuffle(GAME_PLY_LIMIT - 1));
    ASSERT_EQ(pos.ply, GAME_PLY_LIMIT - 1);
    const std::string out = test::run_session("sd 2\nst 1000\nnopost\ngo\n");
    EXPECT_EQ(out.rfind("1984. ... ", 0), 0u) << out;  // ply 3968 after the move: move number 1984
    EXPECT_EQ(pos.ply, GAME_PLY_LIMIT);
    EXPECT_TRUE(position_is_ok());
}

TEST_F(Commands, GameTooLongStopsTheEngineAndRefusesTypedMoves) {
    test::run_session(knight_shuffle(GAME_PLY_LIMIT));
    ASSERT_EQ(pos.ply, GAME_PLY_LIMIT);
    EXPECT_EQ(test::run_session("sd 2\nst 1000\nnopost\ngo\n"), "Error (game too long): go\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
    EXPECT_EQ(pos.ply, GAME_PLY_LIMIT);
    EXPECT_EQ(test::run_session("g1f3\n"), "Error (game too long): g1f3\n");
    EXPECT_EQ(pos.ply, GAME_PLY_LIMIT);
    // Taking a move back makes room again.
    EXPECT_EQ(test::run_session("undo\nf6g8\n"), "1/2-1/2 {Draw by fifty move rule}\n");
    EXPECT_EQ(pos.ply, GAME_PLY_LIMIT);
    EXPECT_TRUE(position_is_ok());
}

// --- setboard

TEST_F(Commands, SetboardWithoutPositionChangesNothing) {
    test::run_session("force\ne2e4\n");
    const uint64_t key = pos.hash_key;
    EXPECT_EQ(test::run_session("setboard\nsetboard \nsetboard    \t \n"),
              "Error (missing FEN): setboard\nError (missing FEN): setboard\nError (missing FEN): setboard\n");
    EXPECT_EQ(pos.hash_key, key);
    EXPECT_EQ(pos.ep, square_of(4, 3));
    EXPECT_EQ(settings.use_book, 1);
}

TEST_F(Commands, SetboardIgnoresCountersAndKeepsPlyAndFiftyCounter) {
    test::run_session("force\ng1f3\ng8f6\nsetboard 4k3/8/8/8/8/8/8/R3K3 b Q - 57 90\n");
    EXPECT_EQ(pos.ply, 2);
    EXPECT_EQ(pos.fifty_counter, 2);
    EXPECT_EQ(pos.side, BLACK);
    EXPECT_EQ(settings.use_book, 0);
}

}  // namespace
}  // namespace torlo
