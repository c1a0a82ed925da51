// The long perft depths: labelled "slow", run by CI.
#include <gtest/gtest.h>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

TEST(PerftDeep, StartPositionDepth6) {
    ASSERT_TRUE(test::setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_EQ(perft(6), 119060324u);
}

TEST(PerftDeep, KiwipeteDepth5) {
    ASSERT_TRUE(test::setup("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"));
    EXPECT_EQ(perft(5), 193690690u);
}

TEST(PerftDeep, RookEndgameDepth6) {
    ASSERT_TRUE(test::setup("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -"));
    EXPECT_EQ(perft(6), 11030083u);
}

TEST(PerftDeep, PromotionsDepth5) {
    ASSERT_TRUE(test::setup("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"));
    EXPECT_EQ(perft(5), 15833292u);
}

TEST(PerftDeep, DiscoveredChecksDepth5) {
    ASSERT_TRUE(test::setup("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"));
    EXPECT_EQ(perft(5), 89941194u);
}

}  // namespace
}  // namespace torlo
