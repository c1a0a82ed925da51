// Game-end adjudication: the repetition count's bookkeeping, insufficient
// material, and several result lines in their order. The claims in a game
// are pinned by the transcripts knight_shuffle_repetition and
// stalemate_and_material.
#include <gtest/gtest.h>

#include "board/board.h"
#include "interface/adjudicate.h"
#include "interface/settings.h"
#include "support/harness.h"

namespace torlo {
namespace {

using Adjudicate = test::EngineTest;
using test::play;

std::string game_end() { return test::capture([] { check_game_end(); }); }

TEST_F(Adjudicate, RepetitionsCountedOnlySinceTheLastSetup) {
    play("g1f3g8f6f3g1");
    EXPECT_EQ(repetition_count(), 0);
    play("f6g8");
    EXPECT_EQ(repetition_count(), 1);
    play("g1f3g8f6f3g1f6g8");
    EXPECT_EQ(repetition_count(), 2);
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 1);
    ASSERT_EQ(pos.fifty_counter, 8);  // kept across the setup
    EXPECT_EQ(repetition_count(), 0);
    play("g1f3g8f6f3g1f6g8");
    EXPECT_EQ(repetition_count(), 1);
}

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

TEST_F(Adjudicate, RepetitionClaimedOnlyWithTheSameSideToMoveAndCastlingRights) {
    // White's rook goes round a triangle while Black's goes back and forth:
    // the start placement returns twice with Black to move before it returns
    // as the same position (White to move) a second time.
    ASSERT_TRUE(test::setup("r3k3/8/8/8/8/8/8/R3K3 w - - 0 1"));
    play("a1a2a8a7a2a3a7a8a3a1a8a7a1a2a7a8a2a1");
    EXPECT_TRUE(repetition_count() == 2 && game_repetitions() == 1);
    EXPECT_EQ(game_end(), "");
    play("a8a7a1a2a7a8a2a1");
    EXPECT_EQ(game_repetitions(), 2);
    EXPECT_EQ(game_end(), "1/2-1/2 {Draw by three fold repetition}\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
    // The rooks step out and back: the start placement, but no short castling any more.
    test::reset_engine();
    play("g1f3g8f6h1g1h8g8g1h1g8h8f3g1f6g8g1f3g8f6f3g1f6g8");
    EXPECT_TRUE(repetition_count() == 2 && game_repetitions() == 1);
    EXPECT_EQ(game_end(), "");
}

TEST_F(Adjudicate, InsufficientMaterial) {
    const struct { const char* fen; int insufficient; } cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - -", 1},      {"4k3/8/3n4/8/8/2B5/8/4K3 w - -", 1},
        {"4k3/8/3n4/8/8/2N5/8/4K3 b - -", 1},  {"4k3/8/3b4/8/8/3B4/8/4K3 w - -", 1},
        {"4k3/8/3b4/8/8/8/8/4K3 w - -", 1},    {"4k3/8/8/8/8/2N5/8/3NK3 w - -", 0},
        {"2b1kb2/8/8/8/8/8/8/4K3 w - -", 0},   {"4k3/8/8/8/8/8/4P3/4K3 w - -", 0},
        {"4k3/p7/3n4/8/8/2B5/8/4K3 w - -", 0}, {"4k3/8/8/8/8/8/8/R3K3 w - -", 0},
        {"3qk3/8/8/8/8/8/8/4K3 w - -", 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup(c.fen));
        EXPECT_EQ(insufficient_material(), c.insufficient) << c.fen;
    }
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
