// Move generation checked by counting move paths against published counts.
#include <gtest/gtest.h>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

struct PerftCase {
    const char* name;
    const char* fen;
    int depth;
    uint64_t nodes;
};

class PerftShallow : public ::testing::TestWithParam<PerftCase> {};

TEST_P(PerftShallow, MatchesPublishedCount) {
    const PerftCase& c = GetParam();
    ASSERT_TRUE(test::setup(c.fen));
    EXPECT_EQ(perft(c.depth), c.nodes);
    EXPECT_TRUE(position_is_ok());
}

INSTANTIATE_TEST_SUITE_P(
    StandardPositions, PerftShallow,
    ::testing::Values(
        PerftCase{"StartPosition", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4, 197281},
        PerftCase{"Kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 3, 97862},
        PerftCase{"RookEndgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624},
        PerftCase{"Promotions", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 4, 422333},
        PerftCase{"DiscoveredChecks", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
        PerftCase{"SymmetricMiddlegame", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 89890}),
    [](const ::testing::TestParamInfo<PerftCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torlo
