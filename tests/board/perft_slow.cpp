// The long perft depths: labelled "slow", run by CI; one test a position (run side by side).
#include "support/harness.h"

namespace torlo {
namespace {

struct Deep { const char* name; const char* fen; int depth; uint64_t nodes; };
class PerftDeep : public ::testing::TestWithParam<Deep> {};

TEST_P(PerftDeep, MatchesPublishedCount) {
    ASSERT_TRUE(test::setup(GetParam().fen));
    EXPECT_EQ(perft(GetParam().depth), GetParam().nodes) << GetParam().fen;
}

INSTANTIATE_TEST_SUITE_P(Positions, PerftDeep, ::testing::Values(
    Deep{"StartPosition", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, 119060324u},
    Deep{"Kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 5, 193690690u},
    Deep{"RookEndgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 6, 11030083u},
    Deep{"Promotions", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5, 15833292u},
    Deep{"DiscoveredChecks", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 5, 89941194u}),
    [](const ::testing::TestParamInfo<Deep>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torlo
