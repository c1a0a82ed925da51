// Session fuzzer findings (inputs that once left an inconsistent state) and sessions of their kind,
// replayed through the main loop: output, then the fuzzer's invariants.
#include "support/harness.h"

namespace torlo {
namespace {

using RobustnessFindings = test::EngineTest;

TEST_F(RobustnessFindings, SessionsLeaveAConsistentPositionAndCurrentRootMoves) {
    const struct { const char* input; const char* output; } sessions[] = {
        // A partial placement keeps the other squares, but a colour never has
        // two kings: placing a king moves it, and a letter over it removes it.
        {"force\nsetboard K w\nsetboard r w\n", ""},
        // With two kings of one colour in a FEN only the last placed is kept: the
        // engine (Black) never runs out of moves mid-search nor plays the empty move.
        {"sd 2\nnopost\nsetboard r7/R7/6k1/6Q1/8/8/pp6/kb4RK b - -\n", "1. ... a8a7\n"},
        // A take-back across `white`/`black` never unmakes a move as if the
        // other colour had made it.
        {"force\ne2e4\nwhite\nforce\ng1f3\nundo\nundo\n", ""},
        {"force\ne2e4\ne7e5\nblack\nforce\nd7d5\nremove\nundo\n", ""},
        // `white`/`black` drop the en-passant square and recompute the key.
        {"force\ne2e4\na7a6\ne4e5\nd7d5\nwhite\n", ""},
        {"force\ne2e4\na7a6\ne4e5\nd7d5\nblack\n", ""},
        // Take-backs stop at the latest setup, an edited one too.
        {"force\ne2e4\ne7e5\nedit\n#\nKe1\nRa1\nc\nKe8\n.\nundo\nremove\na1a2\nremove\nundo\nundo\n", ""},
    };
    for (const auto& [input, output] : sessions) {
        test::reset_engine();
        EXPECT_EQ(test::run_session(input), output) << input;
        EXPECT_TRUE(position_is_ok()) << input << "side " << int{pos.side} << ", ply " << pos.ply;  // border too
        Move fresh[MAX_MOVES];  // the root moves are the list generated now
        const int n = generate_moves(fresh, 0);
        ASSERT_EQ(n, move_count) << input;
        for (int i = 0; i < n; ++i)
            EXPECT_TRUE(fresh[i].from == root_moves[i].from && fresh[i].to == root_moves[i].to &&
                        fresh[i].type == root_moves[i].type) << input << " entry " << i;
    }
}

}  // namespace
}  // namespace torlo
