// Inputs that once left the engine in an inconsistent state, found by the
// session fuzzer: each is replayed through the main loop and the state it
// leaves is checked against the invariants the fuzzer checks after every
// line (a consistent position, the root move list current).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "board/board.h"
#include "interface/settings.h"
#include "support/harness.h"

namespace torlo {
namespace {

class RobustnessFindings : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine(); }
    void TearDown() override { test::reset_engine(); }
};

// root_moves must be exactly what generate_moves gives for the position.
::testing::AssertionResult root_moves_current() {
    Move fresh[MAX_MOVES];
    const int n = generate_moves(fresh, 0);
    if (n != move_count) return ::testing::AssertionFailure() << "move_count " << move_count << ", generated " << n;
    for (int i = 0; i < n; ++i) {
        if (fresh[i].from != root_moves[i].from || fresh[i].to != root_moves[i].to ||
            fresh[i].type != root_moves[i].type) {
            return ::testing::AssertionFailure() << "entry " << i << " is " << move_uci(root_moves[i])
                                                 << ", generated " << move_uci(fresh[i]);
        }
    }
    return ::testing::AssertionSuccess();
}

// A placement that covers only part of the board keeps the other squares,
// but a colour never has two kings: placing a king moves it. A later letter
// over the new king's square leaves that colour without a king, and king_sq
// then names no other king.
TEST_F(RobustnessFindings, PartialPlacementMovesTheKingAndNeverDoublesIt) {
    EXPECT_EQ(test::run_session("force\nsetboard K w\n"), "");
    EXPECT_EQ(pos.board[A8], KING);
    EXPECT_EQ(pos.board[E1], EMPTY);
    EXPECT_EQ(test::run_session("setboard r w\n"), "");
    EXPECT_EQ(pos.board[A8], ROOK);
    EXPECT_TRUE(position_is_ok()) << "white king_sq " << int{pos.king_sq[WHITE]};
}

// `white` and `black` hand the move to a colour without a move being made.
// A take-back must never unmake a move as if the other colour had made it:
// here e2e4 was White's, then `white` gave White the move again, so taking
// back g1f3 and then e2e4 would restore e2e4 for Black, leaving a position
// whose side to move and key disagree.
TEST_F(RobustnessFindings, TakeBackAcrossASideChangeKeepsThePositionConsistent) {
    EXPECT_EQ(test::run_session("force\ne2e4\nwhite\nforce\ng1f3\nundo\nundo\n"), "");
    EXPECT_TRUE(position_is_ok()) << "side " << int{pos.side} << ", ply " << pos.ply;
    EXPECT_TRUE(root_moves_current());
    test::reset_engine();
    EXPECT_EQ(test::run_session("force\ne2e4\ne7e5\nblack\nforce\nd7d5\nremove\nundo\n"), "");
    EXPECT_TRUE(position_is_ok()) << "side " << int{pos.side} << ", ply " << pos.ply;
}

// A FEN with two kings of one colour keeps only the last one placed, so
// king_sq always follows the one king and the engine never runs out of
// legal moves in the middle of its think step. It must never announce a
// move that is not one, nor write to the board's border.
TEST_F(RobustnessFindings, EngineNeverPlaysTheEmptyMoveWhenItsKingSquareDrifts) {
    const std::string out = test::run_session("sd 2\nnopost\nsetboard r7/R7/6k1/6Q1/8/8/pp6/kb4RK b - -\n");
    size_t start = 0;
    int move_lines = 0;
    while (start < out.size()) {
        const size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        start = end == std::string::npos ? out.size() : end + 1;
        const size_t dots = line.find(". ... ");
        if (dots == std::string::npos) continue;
        ++move_lines;
        EXPECT_TRUE(looks_like_move(line.c_str() + dots + 6)) << "move line " << line;
        EXPECT_GE(std::atoi(line.c_str()), 1) << "move line " << line;
    }
    EXPECT_EQ(move_lines, 1) << out;  // the engine, Black to move, answers once
    for (int sq = 0; sq < BOARD_SIZE; ++sq) {
        if (sq >= FIRST_SQUARE && sq <= LAST_SQUARE && file_of(sq) < 8) continue;
        EXPECT_EQ(pos.board[sq], OFFBOARD) << "border square " << sq;
        EXPECT_EQ(pos.color[sq], OFFBOARD) << "border square " << sq;
    }
    EXPECT_TRUE(position_is_ok());
}

}  // namespace
}  // namespace torlo
