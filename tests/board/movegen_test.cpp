// Move generation: the order of the pseudo-legal moves, the ordering score
// written with each move, and the list capacity.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

using test::sq;

Move mv(const char* text) {  // squares only: killers are matched by squares
    return Move{static_cast<uint8_t>(sq(text)), static_cast<uint8_t>(sq(text + 2)), QUIET, 0};
}

// Sets up the FEN with a cleared history, no killers and root_ply 0.
void fresh(const char* fen) {
    ASSERT_TRUE(test::setup(fen)) << fen;
    std::memset(history_score, 0, sizeof history_score);
    for (int i = 0; i < MAX_PLY; ++i) killer1[i] = killer2[i] = killer3[i] = Move{0, 0, 0, 0};
    root_ply = 0;
}

std::vector<Move> gen(int captures_only) {
    Move list[MAX_MOVES];
    return std::vector<Move>(list, list + generate_moves(list, captures_only));
}

// "e2e4 g1f3", or with scores "e2e4:0 g1f3:1000", from entry first on.
std::string names(const std::vector<Move>& moves, bool scores = false, size_t first = 0, size_t count = MAX_MOVES) {
    std::string out;
    for (size_t i = first; i < moves.size() && i < first + count; ++i) {
        out.append(i > first ? " " : "").append(move_uci(moves[i]));
        if (scores) out.append(":").append(std::to_string(moves[i].score));
    }
    return out;
}

int score(const std::vector<Move>& moves, const char* text) {  // -1 when not generated
    for (const Move& m : moves)
        if (move_uci(m) == std::string(text)) return m.score;
    return -1;
}

TEST(MoveGeneration, OpeningMovesInScanOrder) {
    fresh("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    const auto all = gen(0);
    EXPECT_EQ(names(all), "a2a4 a2a3 b2b4 b2b3 c2c4 c2c3 d2d4 d2d3 e2e4 e2e3 f2f4 f2f3 g2g4 g2g3 h2h4 h2h3 "
                          "b1a3 b1c3 g1f3 g1h3");
    for (const Move& m : all) EXPECT_EQ(m.score, 0) << move_uci(m);
    EXPECT_TRUE(all[8].type == DOUBLE_PUSH && all[9].type == PAWN_PUSH);
    EXPECT_TRUE(gen(1).empty());
}

TEST(MoveGeneration, PromotionsQueenRookKnightBishopWithFixedScores) {
    fresh("3r3k/4P3/8/8/8/8/8/K7 w - -");
    history_score[sq("e7")][sq("e8")] = 777;  // neither history nor killers count
    killer1[0] = mv("e7d8");
    EXPECT_EQ(names(gen(0), true, 0, 8), "e7e8q:11000 e7e8r:10500 e7e8n:10300 e7e8b:10300 "  // 10000 + new piece
                                         "e7d8q:11000 e7d8r:10500 e7d8n:10300 e7d8b:10300");
    EXPECT_EQ(names(gen(1), true), "e7d8q:11000 e7d8r:10500 e7d8n:10300 e7d8b:10300");
}

TEST(MoveGeneration, EnPassantInBothModesScoresHistoryOnly) {
    fresh("4k3/8/8/3pP3/8/8/8/4K3 w - d6");
    history_score[sq("e5")][sq("d6")] = 37;
    EXPECT_EQ(score(gen(0), "e5d6"), 37);
    EXPECT_EQ(names(gen(1), true), "e5d6:37");
    EXPECT_EQ(gen(1)[0].type, EN_PASSANT);
    fresh("4k3/8/8/2PpP3/8/8/8/4K3 w - d6");  // both neighbours take, the h side first
    EXPECT_EQ(names(gen(1)), "e5d6 c5d6");
}

TEST(MoveGeneration, CastlingLastKingSideFirstWithoutAttackTests) {
    const struct { const char* fen; const char* castles; } cases[] = {
        {"4k3/8/8/8/4r3/8/8/R3K2R w KQ -", "e1g1 e1c1"},  // in check: still generated
        {"r3k2r/8/8/8/8/8/8/4K3 b kq -", "e8g8 e8c8"},
        {"4k3/8/8/8/8/8/8/RN2K2R w KQ -", "e1g1"},        // b1 must be empty too
        {"4k3/8/8/8/8/8/8/R3K2R w Q -", "e1c1"},
    };
    for (const auto& c : cases) {
        fresh(c.fen);
        const auto all = gen(0);
        size_t n = 0;
        for (const Move& m : all) n += m.type == CASTLING;
        EXPECT_EQ(names(all, false, all.size() - n), c.castles) << c.fen;
        for (const Move& m : gen(1)) EXPECT_NE(m.type, CASTLING) << c.fen;
    }
}

TEST(MoveGeneration, CaptureScoresAreVictimMinusAttackerPlusTenThousand) {
    fresh("4k3/8/8/3r4/2P5/8/4n3/3QK3 w - -");
    history_score[sq("d1")][sq("d5")] = 55;  // replaced by the capture score
    killer3[0] = mv("d1e2");                 // added to it
    // Pawn takes rook 10400, queen takes rook 9500, queen takes knight 9300 + 250, king (-1) takes knight.
    EXPECT_EQ(names(gen(1), true), "c4d5:10400 d1d5:9500 d1e2:9550 e1e2:10301");
    EXPECT_EQ(score(gen(0), "d1d2"), 0);
}

TEST(MoveGeneration, KillerBonusesAndHistoryOfTheSearchPly) {
    fresh("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    killer1[0] = mv("g1f3");
    killer2[0] = mv("e2e4");  // QUIET here, DOUBLE_PUSH generated: squares decide
    killer3[0] = mv("b1c3");
    history_score[sq("b1")][sq("c3")] = 40;
    history_score[sq("g1")][sq("h3")] = 123;
    auto all = gen(0);
    EXPECT_EQ(score(all, "g1f3"), 1000);
    EXPECT_EQ(score(all, "e2e4"), 500);
    EXPECT_EQ(score(all, "b1c3"), 290);
    EXPECT_EQ(score(all, "g1h3"), 123);
    killer2[0] = killer1[0];  // killer 1 and 2 at once: the larger bonus only
    EXPECT_EQ(score(gen(0), "g1f3"), 1000);

    // The search ply is ply - root_ply.
    ASSERT_EQ(play_user_move("e2e4"), 1);
    killer1[1] = mv("b8c6");
    EXPECT_EQ(score(gen(0), "b8c6"), 1000);
    root_ply = 1;
    EXPECT_EQ(score(gen(0), "b8c6"), 0);
    root_ply = 0;
}

TEST(MoveGeneration, ListNeverWrittenPastCapacity) {
    // Queens round the edge and one inside see across the empty middle.
    fresh("kQQQQQQQ/Q6Q/Q6Q/Q6Q/Q3Q2Q/Q6Q/Q6Q/QQQQQQQK w - -");
    int real = 0;  // pseudo-legal moves counted ray by ray
    for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s)
        for (int d : piece_offsets[QUEEN].offsets)
            for (int t = s + d; pos.color[s] == WHITE && pos.color[t] != OFFBOARD && pos.color[t] != WHITE; t += d) {
                ++real;
                if (pos.color[t] != EMPTY || pos.board[s] == KING) break;
            }
    ASSERT_GT(real, MAX_MOVES);

    Move buffer[MAX_MOVES + 32];
    for (Move& m : buffer) m = Move{1, 2, 99, 12345};
    EXPECT_EQ(generate_moves(buffer, 0), MAX_MOVES);
    EXPECT_EQ(move_count, MAX_MOVES);
    for (int i = 0; i < MAX_MOVES; ++i) ASSERT_EQ(pos.color[buffer[i].from], WHITE) << i;
    for (int i = MAX_MOVES; i < MAX_MOVES + 32; ++i)
        ASSERT_TRUE(buffer[i].from == 1 && buffer[i].to == 2 && buffer[i].type == 99 && buffer[i].score == 12345) << i;
    generate_root_moves();
    EXPECT_EQ(move_count, MAX_MOVES);
}

}  // namespace
}  // namespace torlo
