// Adjudication: null records in the repetition count, several results in order. (Claims in a
// game: transcripts repetition_claims, insufficient_material, stalemate_and_material and others.)
#include "interface/adjudicate.h"
#include "interface/settings.h"
#include "support/harness.h"

namespace torlo {
namespace {

using Adjudicate = test::EngineTest;
using test::play;

std::string game_end() { return test::capture([] { check_game_end(); }); }

TEST_F(Adjudicate, NullRecordsSkippedAndThreeOrFewerPliesNotLookedAt) {
    // Leave stale squares in the records the null moves will reuse.
    play("e2e4e7e5d2d4d7d5c2c4");
    for (int i = 0; i < 4; ++i) unmake_move();
    generate_root_moves();
    // Black's knight out and back around a White null move: the placement
    // after 1. e4 again, but over only three plies.
    play("g8f60000f6g8");
    ASSERT_EQ(pos.fifty_counter, 3);
    EXPECT_EQ(repetition_count(), 0);
    play("0000");
    EXPECT_EQ(repetition_count(), 1);
}

TEST_F(Adjudicate, SeveralResultsPrintInOrder) {
    // Black stalemated by king and bishop, with the counter at 100.
    ASSERT_TRUE(test::setup("k7/8/1K6/4B3/8/8/8/8 b - - 0 1"));
    pos.fifty_counter = 100;
    EXPECT_EQ(game_end(), "1/2-1/2 {Stalemate}\n1/2-1/2 {Draw by fifty move rule}\n"
                          "1/2-1/2 {Draw by insufficient material}\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
}

}  // namespace
}  // namespace torlo
