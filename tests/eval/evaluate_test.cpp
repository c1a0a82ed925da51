// Static evaluation: worked positions whose scores follow by hand from the
// material values, the square tables and the pawn and rook terms. Each
// expected value is worked out in the comment beside it.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "eval/eval.h"
#include "support/harness.h"

namespace torlo {
namespace {

int score_of(const char* fen) {
    EXPECT_TRUE(test::setup(fen)) << fen;
    return evaluate();
}

TEST(Evaluate, InitialPositionIsLevel) {
    // Each side: material 4000, pawns +34, knights -6, bishops +32, king -5.
    test::reset_engine();
    EXPECT_EQ(evaluate(), 0);
    EXPECT_EQ(score_of("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -"), 0);
}

TEST(Evaluate, AfterE4BlackToMove) {
    // The e-pawn goes from 8 (e2) to 25 (e4); no pawn becomes backward.
    test::reset_engine();
    Move e4{};
    ASSERT_TRUE(test::find_move("e2e4", &e4));
    ASSERT_EQ(make_move(e4), 1);
    EXPECT_EQ(evaluate(), -17);
    EXPECT_EQ(score_of("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"), -17);
    // The same placement with White to move scores the negation.
    EXPECT_EQ(score_of("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -"), 17);
}

TEST(Evaluate, SideToMoveNegatesTheScore) {
    const char* placements[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8",
    };
    for (const char* placement : placements) {
        const int white = score_of((std::string(placement) + " w - -").c_str());
        const int black = score_of((std::string(placement) + " b - -").c_str());
        EXPECT_EQ(white, -black) << placement;
    }
}

TEST(Evaluate, BareKingsAreLevel) {
    // Both kings on king_end_table (total 0 < 1300): e1 +2, e8 +2.
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/8/4K3 w - -"), 0);
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/8/4K3 b - -"), 0);
}

TEST(Evaluate, RookOnOpenFile) {
    // Rook 500 + open file 15, king e1 +2 (end table); Black king e8 +2.
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/8/R3K3 w - -"), 515);
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/8/R3K3 b - -"), -515);
}

TEST(Evaluate, BackwardPawnBesideEmptyFile) {
    // c2 (4) is not isolated (pawn on d) but backward (-8): b has no pawn and
    // d4 is further advanced. d4 (25) is neither. 200 + 4 + 25 - 8 + 2 - 2.
    EXPECT_EQ(score_of("4k3/8/8/8/3P4/8/2P5/4K3 w - -"), 221);
    // Colour mirror: Black pawns c7 and d5, Black to move.
    EXPECT_EQ(score_of("4k3/2p5/8/3p4/8/8/8/4K3 b - -"), 221);
}

TEST(Evaluate, KingTableChosenByRunningTotal) {
    // White: 1200 material, bishops c4 and d3 +32 each, knights c3 and f3
    // +22 each = 1308 before g1 is visited: king_middle_table gives g1 +10.
    // Black king g8 on king_end_table: 0.
    EXPECT_EQ(score_of("6k1/8/8/8/2B5/2NB1N2/8/6K1 w - -"), 1318);
    // Mirror: Black's total is still 1200 at g8 (visited first), so
    // king_end_table gives 0; the pieces then add 108. White g1 end table 0.
    EXPECT_EQ(score_of("6k1/8/2nb1n2/2b5/8/8/8/6K1 b - -"), 1308);
}

TEST(Evaluate, KingTableAtExactlyThePhaseLimit) {
    // White total is exactly 1300 (queen + knight, the knight on h1 is
    // visited after the king) when e1 is reached: king_middle_table, -5.
    // Then the knight h1 -7. Black king e8 end table +2.
    // 1300 - 5 - 7 - 2 = 1286.
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/8/3QK2N w - -"), 1286);
    // Knight on a8, visited before the king: 1293 at e1, king_end_table +2.
    // 1300 - 7 + 2 - 2 = 1293.
    EXPECT_EQ(score_of("N3k3/8/8/8/8/8/8/3QK3 w - -"), 1293);
}

TEST(Evaluate, DoubledIsolatedPawnsOnEdgeFile) {
    // a4 and a3: 200, doubled -10, tables 4 + 4, each isolated (the sentinel
    // beside the a-file counts as empty) -40; kings +2 each: 158.
    EXPECT_EQ(score_of("4k3/8/8/8/P7/P7/8/4K3 w - -"), 158);
    // The same on the h-file, and for Black on the a-file.
    EXPECT_EQ(score_of("4k3/8/8/8/7P/7P/8/4K3 w - -"), 158);
    EXPECT_EQ(score_of("4k3/8/p7/p7/8/8/8/4K3 b - -"), 158);
}

TEST(Evaluate, ThreePawnsOnOneFile) {
    // e2, e3, e4: 300, doubled -20, tables 8 + 15 + 25, each isolated -60;
    // kings +2 each: 268.
    EXPECT_EQ(score_of("4k3/8/8/8/4P3/4P3/4P3/4K3 w - -"), 268);
    // c2, c3, c4 beside d5: 400, doubled -20, tables 4 + 12 + 18 + 27; the
    // three c-pawns are behind d5 with nothing on b: backward -24; d5 is not
    // (the rearmost c-pawn is c2). Kings +2 each: 417.
    EXPECT_EQ(score_of("4k3/8/8/3P4/2P5/2P5/2P5/4K3 w - -"), 417);
}

TEST(Evaluate, RookFileBonuses) {
    // Own pawn on the rook's file: no bonus even with no enemy pawn there.
    // 600 + a2 (2) - isolated 20 + king 2 - king 2 = 582.
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/P7/R3K3 w - -"), 582);
    // Rook on the open b-file instead: +15.
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/P7/1R2K3 w - -"), 597);
    // Only an enemy pawn on the file: half-open +10. White 500 + 10 + 2 = 512;
    // Black 100 + king e8 2 (end table) + a7 (2) - isolated 20 = 84: 428.
    EXPECT_EQ(score_of("4k3/p7/8/8/8/8/8/R3K3 w - -"), 428);
    // Pawns of both colours on the file: no bonus. 584 - 84 = 500.
    EXPECT_EQ(score_of("4k3/p7/8/8/8/8/P7/R3K3 w - -"), 500);
}

TEST(Evaluate, RookOnSeventhRank) {
    // a7 rook: +10 seventh, +15 open file; kings +2 each: 525.
    EXPECT_EQ(score_of("4k3/R7/8/8/8/8/8/4K3 w - -"), 525);
    // Black rook on rank 2, Black to move: the same.
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/r7/4K3 b - -"), 525);
    // A White rook on rank 2 earns nothing for the rank: 515.
    EXPECT_EQ(score_of("4k3/8/8/8/8/8/R7/4K3 w - -"), 515);
}

TEST(Evaluate, PawnTablesDifferOnG6AndG3) {
    // White g6: 100 + 15 - isolated 20; kings +2 each: 95.
    EXPECT_EQ(score_of("4k3/8/6P1/8/8/8/8/4K3 w - -"), 95);
    // Black g3: 100 + 12 - 20 + king 2, against White king 2: 92.
    EXPECT_EQ(score_of("4k3/8/8/8/8/6p1/8/4K3 b - -"), 92);
}

}  // namespace
}  // namespace torlo
