// Inputs that once left the engine in an inconsistent state, found by the
// session fuzzer, with sessions of the same kind: each is replayed through
// the main loop and the state it leaves is checked against the invariants
// the fuzzer checks after every line (a consistent position, key included,
// and the root move list current).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

using RobustnessFindings = test::EngineTest;

// root_moves must be exactly what generate_moves gives for the position.
::testing::AssertionResult root_moves_current() {
    Move fresh[MAX_MOVES];
    const int n = generate_moves(fresh, 0);
    if (n != move_count) return ::testing::AssertionFailure() << "move_count " << move_count << ", generated " << n;
    for (int i = 0; i < n; ++i)
        if (fresh[i].from != root_moves[i].from || fresh[i].to != root_moves[i].to || fresh[i].type != root_moves[i].type)
            return ::testing::AssertionFailure() << "entry " << i << " is " << move_uci(root_moves[i]) << ", generated "
                                                 << move_uci(fresh[i]);
    return ::testing::AssertionSuccess();
}

TEST_F(RobustnessFindings, SessionsLeaveAConsistentPositionAndCurrentRootMoves) {
    const char* sessions[] = {
        // A partial placement keeps the other squares, but a colour never has
        // two kings: placing a king moves it, and a letter over it removes it.
        "force\nsetboard K w\nsetboard r w\n",
        // A take-back across `white`/`black` never unmakes a move as if the
        // other colour had made it.
        "force\ne2e4\nwhite\nforce\ng1f3\nundo\nundo\n",
        "force\ne2e4\ne7e5\nblack\nforce\nd7d5\nremove\nundo\n",
        // `white`/`black` drop the en-passant square and recompute the key.
        "force\ne2e4\na7a6\ne4e5\nd7d5\nwhite\n",
        "force\ne2e4\na7a6\ne4e5\nd7d5\nblack\n",
        // Take-backs stop at the latest setup, an edited one too.
        "force\ne2e4\ne7e5\nedit\n#\nKe1\nRa1\nc\nKe8\n.\nundo\nremove\na1a2\nremove\nundo\nundo\n",
    };
    for (const char* input : sessions) {
        test::reset_engine();
        EXPECT_EQ(test::run_session(input), "") << input;
        EXPECT_TRUE(position_is_ok()) << input << "side " << int{pos.side} << ", ply " << pos.ply;
        EXPECT_TRUE(root_moves_current()) << input;
    }
}

// A FEN with two kings of one colour keeps only the last one placed, so
// king_sq always follows the one king and the engine never runs out of
// legal moves in the middle of its think step. It must never announce a
// move that is not one, nor write to the board's border.
TEST_F(RobustnessFindings, EngineNeverPlaysTheEmptyMoveWhenItsKingSquareDrifts) {
    const std::string out = test::run_session("sd 2\nnopost\nsetboard r7/R7/6k1/6Q1/8/8/pp6/kb4RK b - -\n");
    int move_lines = 0;
    for (const std::string& line : test::lines_of(out)) {
        const size_t dots = line.find(". ... ");
        if (dots == std::string::npos) continue;
        ++move_lines;
        EXPECT_TRUE(looks_like_move(line.c_str() + dots + 6) && std::atoi(line.c_str()) >= 1) << line;
    }
    EXPECT_EQ(move_lines, 1) << out;  // the engine, Black to move, answers once
    EXPECT_TRUE(position_is_ok());    // border squares included
}

}  // namespace
}  // namespace torlo
