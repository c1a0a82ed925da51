// Move generation: perft, captures-only v full list, the list capacity, attacks v a piece scan.
#include "support/harness.h"

namespace torlo {
namespace {

TEST(Perft, MatchesPublishedCounts) {
    const struct { const char* fen; int depth; uint64_t nodes; } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4, 197281},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 3, 97862},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 4, 422333},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 89890},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup(c.fen));
        EXPECT_EQ(perft(c.depth), c.nodes) << c.fen;
        EXPECT_TRUE(position_is_ok()) << c.fen;
    }
}

std::string listed(bool captures_only) {  // "e2e4:0 ..." of the captures a mode generates
    Move list[MAX_MOVES];
    const int n = generate_moves(list, captures_only);
    std::string out;
    for (int i = 0; i < n; ++i)
        if (captures_only || pos.color[list[i].to] == (pos.side ^ 1) || list[i].type == EN_PASSANT)
            out.append(move_uci(list[i])).append(":").append(std::to_string(list[i].score)).append(" ");
    return out;
}

TEST(MoveGeneration, CapturesOnlyListIsTheFullListsCapturesWithTheirScores) {
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                            "3r3k/4P3/8/8/8/8/8/K7 w - -", "4k3/8/8/2PpP3/8/8/8/4K3 w - d6",
                            "4k3/8/8/8/4Pp2/8/8/4K3 b - e3", "4k3/8/8/3r4/2P5/8/4n3/3QK3 w - -"}) {
        ASSERT_TRUE(test::setup(fen));
        EXPECT_EQ(listed(true), listed(false)) << fen;
    }
}

TEST(MoveGeneration, ListNeverWrittenPastCapacity) {
    ASSERT_TRUE(test::setup("kQQQQQQQ/Q6Q/Q6Q/Q6Q/Q3Q2Q/Q6Q/Q6Q/QQQQQQQK w - -"));
    Move buffer[MAX_MOVES + 32];
    for (Move& m : buffer) m = Move{1, 2, 99, 12345};
    EXPECT_EQ(generate_moves(buffer, 0), MAX_MOVES);
    for (int i = 0; i < MAX_MOVES; ++i) ASSERT_EQ(pos.color[buffer[i].from], WHITE) << i;
    for (int i = MAX_MOVES; i < MAX_MOVES + 32; ++i)
        ASSERT_TRUE(buffer[i].from == 1 && buffer[i].to == 2 && buffer[i].type == 99 && buffer[i].score == 12345) << i;
    generate_root_moves();
    EXPECT_EQ(move_count, MAX_MOVES);
}

// Reference: every piece of the colour walked with its own offsets.
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

TEST(Attacks, AgreeWithPieceByPieceScanOnEverySquare) {
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
                            "R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - -",
                            "7k/8/8/8/8/8/1p6/2B4K w - -",     // bishop blocked next to it
                            "N6n/8/8/8/8/8/8/k5nK w - -",      // knights in the corners
                            "k7/8/8/8/3N4/8/2N3p1/K7 w - -",   // defended pieces, a Black pawn near rank 1
                            "k7/8/8/7r/7R/8/8/K7 w - -"}) {    // rooks on the h-file do not wrap
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
