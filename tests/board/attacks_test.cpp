// Attack detection: rays, knight and king steps, pawn diagonals, and the
// rule that a piece never attacks the square it stands on.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

// Mailbox index of a square name, worked out from the board layout
// (a8 = 26, one row of 12 per rank, rank 8 first).
constexpr int sq(const char* name) { return 26 + (name[0] - 'a') + 12 * (8 - (name[1] - '0')); }

std::string name_of(int s) {
    return std::string(1, static_cast<char>('a' + (s - 26) % 12)) + static_cast<char>('0' + 8 - (s - 26) / 12);
}

// Every playing square that the colour attacks, by name.
std::set<std::string> attacked_by(int colour) {
    std::set<std::string> out;
    for (int rank = 8; rank >= 1; --rank)
        for (int file = 0; file < 8; ++file) {
            const int s = 26 + file + 12 * (8 - rank);
            if (square_attacked(s, colour)) out.insert(name_of(s));
        }
    return out;
}

TEST(Attacks, BishopRayReachesOpenSquaresAndStopsAtFirstPiece) {
    ASSERT_TRUE(test::setup("7k/8/8/8/8/8/8/2B4K w - -"));
    EXPECT_EQ(square_attacked(sq("b2"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("a3"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("h6"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("c2"), WHITE), 0);  // not a bishop line

    // A Black piece on b2 is attacked itself and shields a3.
    ASSERT_TRUE(test::setup("7k/8/8/8/8/8/1p6/2B4K w - -"));
    EXPECT_EQ(square_attacked(sq("b2"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("a3"), WHITE), 0);

    // A White piece on b2 shields a3 just the same (a knight on b2 does not reach a3).
    ASSERT_TRUE(test::setup("7k/8/8/8/8/8/1N6/2B4K w - -"));
    EXPECT_EQ(square_attacked(sq("b2"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("a3"), WHITE), 0);
}

TEST(Attacks, KnightInCornerReachesOnlyTwoSquares) {
    // White knight a8, White king h1: the knight's six other steps leave the board.
    ASSERT_TRUE(test::setup("N7/8/8/8/8/8/8/k6K w - -"));
    const std::set<std::string> expected = {"b6", "c7", "g1", "g2", "h2"};
    EXPECT_EQ(attacked_by(WHITE), expected);
}

TEST(Attacks, RookAttackReachesKingSquare) {
    ASSERT_TRUE(test::setup("k3r3/8/8/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(square_attacked(sq("e1"), BLACK), 1);
    EXPECT_EQ(in_check(WHITE), 1);
    EXPECT_EQ(in_check(BLACK), 0);

    // Any piece on e2..e7 blocks the file.
    ASSERT_TRUE(test::setup("k3r3/8/8/4P3/8/8/8/4K3 w - -"));
    EXPECT_EQ(in_check(WHITE), 0);
    EXPECT_EQ(square_attacked(sq("e5"), BLACK), 1);
    EXPECT_EQ(square_attacked(sq("e4"), BLACK), 0);
}

TEST(Attacks, PawnAttacksDiagonalsWhateverStandsThere) {
    // e2 pawn with d3 and f3 empty.
    ASSERT_TRUE(test::setup("k7/8/8/8/8/8/4P3/K7 w - -"));
    EXPECT_EQ(square_attacked(sq("d3"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("f3"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("e3"), WHITE), 0);
    EXPECT_EQ(square_attacked(sq("e4"), WHITE), 0);

    // Black pieces on d3 and f3.
    ASSERT_TRUE(test::setup("k7/8/8/8/8/3n1n2/4P3/K7 w - -"));
    EXPECT_EQ(square_attacked(sq("d3"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("f3"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("e3"), WHITE), 0);

    // White pieces on d3 and f3 (the knights reach neither d3, f3 nor e3).
    ASSERT_TRUE(test::setup("k7/8/8/8/8/3N1N2/4P3/K7 w - -"));
    EXPECT_EQ(square_attacked(sq("d3"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("f3"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("e3"), WHITE), 0);

    // A Black pawn attacks towards rank 1: g2 covers f1 and h1, not g1 or f3.
    ASSERT_TRUE(test::setup("k7/8/8/8/8/8/6p1/K7 b - -"));
    EXPECT_EQ(square_attacked(sq("f1"), BLACK), 1);
    EXPECT_EQ(square_attacked(sq("h1"), BLACK), 1);
    EXPECT_EQ(square_attacked(sq("g1"), BLACK), 0);
    EXPECT_EQ(square_attacked(sq("f3"), BLACK), 0);
    EXPECT_EQ(square_attacked(sq("h3"), BLACK), 0);
}

TEST(Attacks, PieceOnTargetDoesNotAttackItsOwnSquare) {
    // A lone White queen on d4: its square is not attacked by White.
    ASSERT_TRUE(test::setup("k7/8/8/8/3Q4/8/8/7K w - -"));
    EXPECT_EQ(square_attacked(sq("d4"), WHITE), 0);
    EXPECT_EQ(square_attacked(sq("d8"), WHITE), 1);

    // A knight on c2 reaches d4, so now it is.
    ASSERT_TRUE(test::setup("k7/8/8/8/3Q4/8/2N5/7K w - -"));
    EXPECT_EQ(square_attacked(sq("d4"), WHITE), 1);

    // The same for a king, a knight and a pawn on the target.
    ASSERT_TRUE(test::setup("k7/8/8/8/8/8/8/7K w - -"));
    EXPECT_EQ(square_attacked(sq("h1"), WHITE), 0);
    ASSERT_TRUE(test::setup("k7/8/8/8/3N4/8/8/7K w - -"));
    EXPECT_EQ(square_attacked(sq("d4"), WHITE), 0);
    ASSERT_TRUE(test::setup("k7/8/8/8/3P4/8/8/7K w - -"));
    EXPECT_EQ(square_attacked(sq("d4"), WHITE), 0);
}

TEST(Attacks, RaysDoNotWrapAroundTheBoardEdge) {
    // Rook h4: a5 and a3 are the next mailbox indices across the edge.
    ASSERT_TRUE(test::setup("k7/8/8/8/7R/8/8/K7 w - -"));
    EXPECT_EQ(square_attacked(sq("a3"), WHITE), 0);
    EXPECT_EQ(square_attacked(sq("a5"), WHITE), 0);
    EXPECT_EQ(square_attacked(sq("a4"), WHITE), 1);
    // Bishop a2 must not reach h2 or h4 through the side.
    ASSERT_TRUE(test::setup("7k/8/8/8/8/8/B7/7K w - -"));
    EXPECT_EQ(attacked_by(WHITE), (std::set<std::string>{"b1", "b3", "c4", "d5", "e6", "f7", "g8", "g1", "g2", "h2"}));
}

// The attack test must answer exactly what scanning every piece of the
// attacking colour and walking its moves answers. The reference below uses
// its own offsets and walks outward from each attacker.
int reference_attacked(int target, int colour) {
    static const int knight[8] = {-25, -23, -14, -10, 10, 14, 23, 25};
    static const int diag[4] = {-13, -11, 11, 13};
    static const int straight[4] = {-12, -1, 1, 12};
    for (int s = 26; s <= 117; ++s) {
        if (pos.color[s] != colour) continue;
        const int piece = pos.board[s];
        if (piece == PAWN) {
            const int a = colour == WHITE ? s - 13 : s + 11, h = colour == WHITE ? s - 11 : s + 13;
            if (a == target || h == target) return 1;
            continue;
        }
        auto walk = [&](const int* dirs, int n, bool slides) {
            for (int i = 0; i < n; ++i)
                for (int t = s + dirs[i]; pos.color[t] != OFFBOARD; t += dirs[i]) {
                    if (t == target) return true;
                    if (pos.board[t] != EMPTY || !slides) break;
                }
            return false;
        };
        if (piece == KNIGHT && walk(knight, 8, false)) return 1;
        if ((piece == BISHOP || piece == QUEEN) && walk(diag, 4, true)) return 1;
        if ((piece == ROOK || piece == QUEEN) && walk(straight, 4, true)) return 1;
        if (piece == KING && (walk(diag, 4, false) || walk(straight, 4, false))) return 1;
    }
    return 0;
}

TEST(Attacks, AgreesWithPieceByPieceScan) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
        "R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - -",
    };
    for (const char* fen : fens) {
        ASSERT_TRUE(test::setup(fen));
        for (int s = 26; s <= 117; ++s) {
            if (pos.color[s] == OFFBOARD) continue;
            for (int colour = WHITE; colour <= BLACK; ++colour)
                ASSERT_EQ(square_attacked(s, colour), reference_attacked(s, colour))
                    << fen << " square " << name_of(s) << " colour " << colour;
        }
        EXPECT_EQ(in_check(WHITE), reference_attacked(pos.king_sq[WHITE], BLACK)) << fen;
        EXPECT_EQ(in_check(BLACK), reference_attacked(pos.king_sq[BLACK], WHITE)) << fen;
    }
}

}  // namespace
}  // namespace torlo
