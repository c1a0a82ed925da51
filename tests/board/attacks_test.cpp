// Attack detection: worked edge cases given as the full set of squares a
// colour attacks, and every square of several positions checked against a
// scan that walks outward from each attacking piece.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

// Squares the colour attacks, a8 .. h1, blank-separated.
std::string attacked_by(int colour) {
    std::string out;
    for (int rank = 8; rank >= 1; --rank)
        for (int file = 0; file < 8; ++file)
            if (square_attacked(square_of(file, rank), colour))
                out.append(out.empty() ? "" : " ").append(square_text(square_of(file, rank)));
    return out;
}

TEST(Attacks, EdgeCasesAsAttackedSquareSets) {
    const struct { const char* fen; int colour; const char* squares; } cases[] = {
        // Bishop c1 blocked by a pawn on b2: b2 is attacked, a3 behind it is not.
        {"7k/8/8/8/8/8/1p6/2B4K w - -", WHITE, "h6 g5 f4 e3 b2 d2 g2 h2 g1"},
        // Knight in the corner a8: only b6 and c7 (king h1: g1 g2 h2).
        {"N7/8/8/8/8/8/8/k6K w - -", WHITE, "c7 b6 g2 h2 g1"},
        // Pawn e2 attacks d3 and f3 whether empty, enemy or own; never e3.
        {"k7/8/8/8/8/8/4P3/K7 w - -", WHITE, "d3 f3 a2 b2 b1"},
        {"k7/8/8/8/8/3n1N2/4P3/K7 w - -", WHITE, "e5 g5 d4 h4 d3 f3 a2 b2 d2 h2 b1 e1 g1"},
        // A Black pawn g2 attacks towards rank 1.
        {"k7/8/8/8/8/8/6p1/K7 b - -", BLACK, "b8 a7 b7 f1 h1"},
        // A piece never attacks its own square (knight d4, king h1), a defender's square it does (d4 by c2).
        {"k7/8/8/8/3N4/8/8/7K w - -", WHITE, "c6 e6 b5 f5 b3 f3 c2 e2 g2 h2 g1"},
        {"k7/8/8/8/3N4/8/2N5/7K w - -", WHITE, "c6 e6 b5 f5 b4 d4 a3 b3 e3 f3 c2 e2 g2 h2 a1 e1 g1"},
        // Rook h4 does not wrap to a3 or a5.
        {"k7/8/8/8/7R/8/8/K7 w - -", WHITE, "h8 h7 h6 h5 a4 b4 c4 d4 e4 f4 g4 h3 a2 b2 h2 b1 h1"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup(c.fen));
        EXPECT_EQ(attacked_by(c.colour), c.squares) << c.fen;
    }
}

// Reference: walk every piece of the colour with its own offsets.
int reference_attacked(int target, int colour) {
    static const int knight[8] = {-25, -23, -14, -10, 10, 14, 23, 25};
    static const int lines[8] = {-13, -11, 11, 13, -12, -1, 1, 12};  // diagonals first
    for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s) {
        if (pos.color[s] != colour) continue;
        const int piece = pos.board[s];
        if (piece == PAWN) {
            if (target == s + (colour == WHITE ? -13 : 11) || target == s + (colour == WHITE ? -11 : 13)) return 1;
            continue;
        }
        const int* dirs = piece == KNIGHT ? knight : piece == ROOK ? lines + 4 : lines;
        const int n = piece == KNIGHT || piece == QUEEN || piece == KING ? 8 : 4;
        for (int i = 0; i < n; ++i)
            for (int t = s + dirs[i]; pos.color[t] != OFFBOARD; t += dirs[i]) {
                if (t == target) return 1;
                if (pos.board[t] != EMPTY || piece == KNIGHT || piece == KING) break;
            }
    }
    return 0;
}

TEST(Attacks, AgreesWithPieceByPieceScan) {
    for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                            "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
                            "R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - -"}) {
        ASSERT_TRUE(test::setup(fen));
        for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s)
            for (int colour = WHITE; pos.color[s] != OFFBOARD && colour <= BLACK; ++colour)
                ASSERT_EQ(square_attacked(s, colour), reference_attacked(s, colour))
                    << fen << " " << square_text(s) << " colour " << colour;
        EXPECT_EQ(in_check(WHITE), reference_attacked(pos.king_sq[WHITE], BLACK)) << fen;
        EXPECT_EQ(in_check(BLACK), reference_attacked(pos.king_sq[BLACK], WHITE)) << fen;
    }
}

}  // namespace
}  // namespace torlo
