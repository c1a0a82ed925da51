// Inputs that once left the engine in an inconsistent state, found by the
// session fuzzer: each is replayed through the main loop and the state it
// leaves is checked against the invariants the fuzzer checks after every
// line (a consistent position, the root move list current).
#include <gtest/gtest.h>

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

// An illegal move is answered and changes nothing: here the pawn on b7 is
// pinned to its king on a7 by the rook on h7, so no promotion is legal. The
// promotion letter of the refused move must not be written into the list,
// or the list would offer b7b8n four times and no queen promotion.
TEST_F(RobustnessFindings, IllegalPromotionLeavesTheMoveListIntact) {
    const std::string out = test::run_session("force\nsetboard 8/KP5r/8/8/8/8/8/7k w - -\nb7b8n\n");
    EXPECT_EQ(out, "Illegal move: b7b8n\n");
    EXPECT_TRUE(root_moves_current());
    Move queen;
    EXPECT_TRUE(test::find_move("b7b8q", &queen));
    const std::string listing = test::run_session("list\n");
    EXPECT_NE(listing.find("b7b8q"), std::string::npos) << listing;
    EXPECT_NE(listing.find("b7b8r"), std::string::npos) << listing;
    EXPECT_NE(listing.find("b7b8b"), std::string::npos) << listing;
}

// A placement that covers only part of the board keeps the other squares
// (setup validates nothing, so a colour may end up with two kings). When it
// overwrites the square of the king that king_sq names while another king of
// that colour stands elsewhere, king_sq must move to that king: otherwise
// the legality test looks for the king on a square that holds a rook.
TEST_F(RobustnessFindings, PartialPlacementOverTheKingSquareKeepsKingSquareOnAKing) {
    // "K" puts a second white king on a8 (the one on e1 stays), "r" then
    // replaces it with a black rook.
    EXPECT_EQ(test::run_session("force\nsetboard K w\nsetboard r w\n"), "");
    EXPECT_EQ(pos.board[A8], ROOK);
    EXPECT_EQ(pos.board[E1], KING);
    EXPECT_TRUE(position_is_ok()) << "white king_sq " << int{pos.king_sq[WHITE]};
}

}  // namespace
}  // namespace torlo
