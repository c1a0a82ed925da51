// Static evaluation: positions scored by hand, each with both sides to move (the score negates).
#include "eval/eval.h"
#include "support/harness.h"

namespace torlo {
namespace {

TEST(Evaluate, WorkedExamples) {
    const struct { const char* fen; int score; } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 0},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", -17},  // e-pawn 8 -> 25
        {"4k3/8/8/8/8/8/8/R3K3 w - -", 515},              // rook 500 + open file 15
        // c2 backward (-8): no pawn on b, d4 ahead. 200 + 4 + 25 - 8; kings cancel.
        {"4k3/8/8/8/3P4/8/2P5/4K3 w - -", 221},
        // 1200 material + bishops 32 + 32 + knights 22 + 22 = 1308 before g1: middle table +10.
        {"6k1/8/8/8/2B5/2NB1N2/8/6K1 w - -", 1318},
        // Material 1300, knight a8 first (-7): 1293 at e1 puts the king in the end table (+2).
        {"N3k3/8/8/8/8/8/8/3QK3 w - -", 1293},
        // a4, a3: 200 - doubled 10 + 4 + 4 - isolated 2 * 20 (beside the a-file counts as empty).
        {"4k3/8/8/8/P7/P7/8/4K3 w - -", 158},
        // e2 e3 e4: 300 - 20 + 8 + 15 + 25 - 60.
        {"4k3/8/8/8/4P3/4P3/4P3/4K3 w - -", 268},
        // Rook files: own pawn on the file none, open +15, half-open +10, both colours none.
        {"4k3/8/8/8/8/8/P7/R3K3 w - -", 582},             // 600 + 2 - 20
        {"4k3/p7/8/8/8/8/8/R3K3 w - -", 428},             // 512 - (100 + 2 - 20)
        {"4k3/R7/8/8/8/8/8/4K3 w - -", 525},              // seventh rank +10, open +15
        {"4k3/8/8/8/8/6p1/8/4K3 b - -", 92},              // g3 for Black: 100 + 12 - 20
    };
    for (const auto& c : cases) {
        std::string fen = c.fen;
        ASSERT_TRUE(test::setup(fen.c_str()));
        EXPECT_EQ(evaluate(), c.score) << fen;
        const size_t side = fen.find(' ') + 1;
        fen[side] = fen[side] == 'w' ? 'b' : 'w';
        ASSERT_TRUE(test::setup(fen.c_str()));
        EXPECT_EQ(evaluate(), -c.score) << fen;
    }
}

}  // namespace
}  // namespace torlo
