// Move generation: the order of the pseudo-legal moves, their type codes,
// the ordering score written with each move, and the list capacity.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

constexpr int sq(const char* name) { return 26 + (name[0] - 'a') + 12 * (8 - (name[1] - '0')); }

// The ordering tables as they are after a cleared history and no killers.
void clear_ordering() {
    std::memset(history_score, 0, sizeof history_score);
    for (int i = 0; i < MAX_PLY; ++i) killer1[i] = killer2[i] = killer3[i] = Move{0, 0, 0, 0};
    root_ply = 0;
}

struct Expected {
    const char* from;
    const char* to;
    int type;
};

std::vector<Move> generate(int captures_only) {
    std::array<Move, MAX_MOVES> list{};
    const int n = generate_moves(list.data(), captures_only);
    EXPECT_EQ(n, move_count);
    return std::vector<Move>(list.begin(), list.begin() + n);
}

void expect_moves(const std::vector<Move>& got, const std::vector<Expected>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].from, sq(want[i].from)) << "entry " << i;
        EXPECT_EQ(got[i].to, sq(want[i].to)) << "entry " << i;
        EXPECT_EQ(got[i].type, want[i].type) << "entry " << i;
    }
}

const Move* find(const std::vector<Move>& list, const char* from, const char* to, int type) {
    for (const Move& m : list)
        if (m.from == sq(from) && m.to == sq(to) && m.type == type) return &m;
    return nullptr;
}

TEST(MoveGeneration, OpeningMovesInScanOrder) {
    test::reset_engine();
    clear_ordering();
    const std::vector<Move> moves = generate(0);
    expect_moves(moves, {
                            {"a2", "a4", DOUBLE_PUSH}, {"a2", "a3", PAWN_PUSH}, {"b2", "b4", DOUBLE_PUSH},
                            {"b2", "b3", PAWN_PUSH},   {"c2", "c4", DOUBLE_PUSH}, {"c2", "c3", PAWN_PUSH},
                            {"d2", "d4", DOUBLE_PUSH}, {"d2", "d3", PAWN_PUSH},   {"e2", "e4", DOUBLE_PUSH},
                            {"e2", "e3", PAWN_PUSH},   {"f2", "f4", DOUBLE_PUSH}, {"f2", "f3", PAWN_PUSH},
                            {"g2", "g4", DOUBLE_PUSH}, {"g2", "g3", PAWN_PUSH},   {"h2", "h4", DOUBLE_PUSH},
                            {"h2", "h3", PAWN_PUSH},   {"b1", "a3", QUIET},       {"b1", "c3", QUIET},
                            {"g1", "f3", QUIET},       {"g1", "h3", QUIET},
                        });
    for (const Move& m : moves) EXPECT_EQ(m.score, 0);  // quiet, history cleared
    EXPECT_EQ(generate(1).size(), 0u);                   // no captures at all
}

TEST(MoveGeneration, PawnCapturesTowardsFileHFirst) {
    clear_ordering();
    ASSERT_TRUE(test::setup("k7/8/8/2n1n3/3P4/8/8/K7 w - -"));
    std::vector<Move> moves = generate(0);
    ASSERT_GE(moves.size(), 3u);
    expect_moves({moves[0], moves[1], moves[2]},
                 {{"d4", "d5", PAWN_PUSH}, {"d4", "e5", PAWN_CAPTURE}, {"d4", "c5", PAWN_CAPTURE}});

    // Black captures towards file a (s + 11) first.
    ASSERT_TRUE(test::setup("k7/8/8/3p4/2N1N3/8/8/K7 b - -"));
    moves = generate(1);
    expect_moves(moves, {{"d5", "c4", PAWN_CAPTURE}, {"d5", "e4", PAWN_CAPTURE}});
}

TEST(MoveGeneration, PromotionsQueenRookKnightBishop) {
    clear_ordering();
    // White pawn e7, e8 and f8 empty, Black rook d8.
    ASSERT_TRUE(test::setup("3r3k/4P3/8/8/8/8/8/K7 w - -"));
    const std::vector<Move> all = generate(0);
    ASSERT_GE(all.size(), 8u);
    expect_moves(std::vector<Move>(all.begin(), all.begin() + 8),
                 {{"e7", "e8", PROMOTE_QUEEN}, {"e7", "e8", PROMOTE_ROOK}, {"e7", "e8", PROMOTE_KNIGHT},
                  {"e7", "e8", PROMOTE_BISHOP}, {"e7", "d8", PROMOTE_QUEEN}, {"e7", "d8", PROMOTE_ROOK},
                  {"e7", "d8", PROMOTE_KNIGHT}, {"e7", "d8", PROMOTE_BISHOP}});
    for (const Move& m : all) {
        EXPECT_NE(m.type, PAWN_PUSH);
        EXPECT_NE(m.type, PAWN_CAPTURE);
    }
    // Captures only: exactly the four capture-promotions, the push is not produced.
    expect_moves(generate(1), {{"e7", "d8", PROMOTE_QUEEN},
                               {"e7", "d8", PROMOTE_ROOK},
                               {"e7", "d8", PROMOTE_KNIGHT},
                               {"e7", "d8", PROMOTE_BISHOP}});

    // Black promotes towards rank 1 in the same order.
    ASSERT_TRUE(test::setup("8/8/8/8/8/8/3p4/k6K b - -"));
    const std::vector<Move> black = generate(0);
    ASSERT_GE(black.size(), 4u);
    expect_moves(std::vector<Move>(black.begin(), black.begin() + 4),
                 {{"d2", "d1", PROMOTE_QUEEN}, {"d2", "d1", PROMOTE_ROOK}, {"d2", "d1", PROMOTE_KNIGHT},
                  {"d2", "d1", PROMOTE_BISHOP}});
}

TEST(MoveGeneration, PromotionScoresIgnoreCaptureKillersAndHistory) {
    clear_ordering();
    ASSERT_TRUE(test::setup("3r3k/4P3/8/8/8/8/8/K7 w - -"));
    history_score[sq("e7")][sq("e8")] = 777;
    killer1[0] = Move{static_cast<uint8_t>(sq("e7")), static_cast<uint8_t>(sq("d8")), PAWN_CAPTURE, 0};
    const std::vector<Move> all = generate(0);
    const int expected[4] = {11000, 10500, 10300, 10300};  // queen, rook, knight, bishop
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(all[i].score, expected[i]) << "push promotion " << i;
        EXPECT_EQ(all[4 + i].score, expected[i]) << "capture promotion " << i;
    }
}

TEST(MoveGeneration, EnPassantInBothModesWithoutCaptureScore) {
    clear_ordering();
    // Black has just played d7-d5 beside the White pawn on e5.
    ASSERT_TRUE(test::setup("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
    history_score[sq("e5")][sq("d6")] = 37;
    const std::vector<Move> all = generate(0);
    const Move* ep = find(all, "e5", "d6", EN_PASSANT);
    ASSERT_NE(ep, nullptr);
    EXPECT_EQ(ep->score, 37);  // d6 is empty: history only, no capture part

    const std::vector<Move> captures = generate(1);
    expect_moves(captures, {{"e5", "d6", EN_PASSANT}});
    EXPECT_EQ(captures[0].score, 37);
}

TEST(MoveGeneration, EnPassantFromBothSidesInOrder) {
    clear_ordering();
    // White pawns c5 and e5, target d6: the pawn on the h side comes first.
    ASSERT_TRUE(test::setup("4k3/8/8/2PpP3/8/8/8/4K3 w - d6"));
    expect_moves(generate(1), {{"e5", "d6", EN_PASSANT}, {"c5", "d6", EN_PASSANT}});
    // Black pawns d4 and f4, target e3: the pawn on the a side comes first.
    ASSERT_TRUE(test::setup("4k3/8/8/8/3pPp2/8/8/4K3 b - e3"));
    expect_moves(generate(1), {{"d4", "e3", EN_PASSANT}, {"f4", "e3", EN_PASSANT}});
    // Only a pawn beside the passed-over pawn captures; an a-file pawn takes towards h.
    ASSERT_TRUE(test::setup("4k3/8/8/Pp5P/8/8/8/4K3 w - b6"));
    expect_moves(generate(1), {{"a5", "b6", EN_PASSANT}});
}

TEST(MoveGeneration, CastlingKingSideBeforeQueenSideEvenInCheck) {
    clear_ordering();
    // Black rook e4 checks the White king; the generator does not test attacks.
    ASSERT_TRUE(test::setup("4k3/8/8/8/4r3/8/8/R3K2R w KQ -"));
    ASSERT_EQ(in_check(WHITE), 1);
    std::vector<Move> all = generate(0);
    ASSERT_GE(all.size(), 2u);
    expect_moves({all[all.size() - 2], all.back()}, {{"e1", "g1", CASTLING}, {"e1", "c1", CASTLING}});
    for (const Move& m : generate(1)) EXPECT_NE(m.type, CASTLING);

    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/4K3 b kq -"));
    all = generate(0);
    ASSERT_GE(all.size(), 2u);
    expect_moves({all[all.size() - 2], all.back()}, {{"e8", "g8", CASTLING}, {"e8", "c8", CASTLING}});

    // b1 must be empty for the queen side even though the king never crosses it.
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/RN2K2R w KQ -"));
    all = generate(0);
    EXPECT_NE(find(all, "e1", "g1", CASTLING), nullptr);
    EXPECT_EQ(find(all, "e1", "c1", CASTLING), nullptr);
    // Without the right there is no castling move.
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/R3K2R w Q -"));
    all = generate(0);
    EXPECT_EQ(find(all, "e1", "g1", CASTLING), nullptr);
    EXPECT_NE(find(all, "e1", "c1", CASTLING), nullptr);
}

TEST(MoveGeneration, CaptureScoresVictimMinusAttackerPlusTenThousand) {
    clear_ordering();
    // Queen d1 and pawn c4 can take the rook d5; king e1 and queen d1 can take the knight e2.
    ASSERT_TRUE(test::setup("4k3/8/8/3r4/2P5/8/4n3/3QK3 w - -"));
    history_score[sq("d1")][sq("d5")] = 55;  // replaced by the capture score
    const std::vector<Move> all = generate(0);
    const Move* m = find(all, "d1", "d5", CAPTURE);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->score, 500 - 1000 + 10000);
    m = find(all, "c4", "d5", PAWN_CAPTURE);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->score, 10400);
    m = find(all, "e1", "e2", CAPTURE);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->score, 300 + 10001);  // a king counts as -1
    m = find(all, "d1", "e2", CAPTURE);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->score, 300 - 1000 + 10000);
    m = find(all, "d1", "d2", QUIET);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->score, 0);

    // Captures only: the four captures in scan order (the queen's directions
    // run -13, -12, -11, ... so d5 comes before e2).
    expect_moves(generate(1), {{"c4", "d5", PAWN_CAPTURE},
                               {"d1", "d5", CAPTURE},
                               {"d1", "e2", CAPTURE},
                               {"e1", "e2", CAPTURE}});
}

TEST(MoveGeneration, KillerBonusesOfTheSearchPly) {
    clear_ordering();
    test::reset_engine();
    auto mv = [](const char* f, const char* t, int type) {
        return Move{static_cast<uint8_t>(sq(f)), static_cast<uint8_t>(sq(t)), static_cast<int8_t>(type), 0};
    };
    killer1[0] = mv("g1", "f3", QUIET);
    killer2[0] = mv("e2", "e4", QUIET);  // type differs from the generated DOUBLE_PUSH: squares decide
    killer3[0] = mv("b1", "c3", QUIET);
    history_score[sq("b1")][sq("c3")] = 40;
    std::vector<Move> all = generate(0);
    EXPECT_EQ(find(all, "g1", "f3", QUIET)->score, 1000);
    EXPECT_EQ(find(all, "e2", "e4", DOUBLE_PUSH)->score, 500);
    EXPECT_EQ(find(all, "b1", "c3", QUIET)->score, 290);
    EXPECT_EQ(find(all, "g1", "h3", QUIET)->score, 0);

    // A move that is both killer 1 and killer 2 gets only the larger bonus.
    killer2[0] = killer1[0];
    all = generate(0);
    EXPECT_EQ(find(all, "g1", "f3", QUIET)->score, 1000);

    // The search ply is ply - root_ply: killers of another ply do not count.
    clear_ordering();
    killer1[1] = mv("g1", "f3", QUIET);
    all = generate(0);
    EXPECT_EQ(find(all, "g1", "f3", QUIET)->score, 0);
    Move e4;
    ASSERT_TRUE(test::find_move("e2e4", &e4));
    ASSERT_EQ(make_move(e4), 1);  // ply 1, so the search ply is 1 with root_ply 0
    killer1[1] = mv("b8", "c6", QUIET);
    all = generate(0);
    EXPECT_EQ(find(all, "b8", "c6", QUIET)->score, 1000);
    root_ply = 1;  // the search started here: search ply 0, whose killers are empty
    all = generate(0);
    EXPECT_EQ(find(all, "b8", "c6", QUIET)->score, 0);
    root_ply = 5;  // negative search ply: no killer is read
    all = generate(0);
    EXPECT_EQ(find(all, "b8", "c6", QUIET)->score, 0);
    root_ply = 0;
}

TEST(MoveGeneration, KillerBonusAddsToCaptureScore) {
    clear_ordering();
    ASSERT_TRUE(test::setup("4k3/8/8/3r4/8/8/8/3QK3 w - -"));
    killer3[0] = Move{static_cast<uint8_t>(sq("d1")), static_cast<uint8_t>(sq("d5")), CAPTURE, 0};
    EXPECT_EQ(find(generate(0), "d1", "d5", CAPTURE)->score, 9500 + 250);
}

TEST(MoveGeneration, QuietMovesScoreTheirHistory) {
    clear_ordering();
    test::reset_engine();
    history_score[sq("g1")][sq("f3")] = 123;
    history_score[sq("e2")][sq("e4")] = 9;
    history_score[sq("f3")][sq("g1")] = 5000;  // the reverse direction is another entry
    const std::vector<Move> all = generate(0);
    EXPECT_EQ(find(all, "g1", "f3", QUIET)->score, 123);
    EXPECT_EQ(find(all, "e2", "e4", DOUBLE_PUSH)->score, 9);
    EXPECT_EQ(find(all, "g1", "h3", QUIET)->score, 0);
    clear_ordering();
}

TEST(MoveGeneration, PseudoLegalMovesIncludeThoseLeavingKingInCheck) {
    clear_ordering();
    // The knight e2 is pinned by the rook e7; its moves are still generated.
    ASSERT_TRUE(test::setup("4k3/4r3/8/8/8/8/4N3/4K3 w - -"));
    const std::vector<Move> all = generate(0);
    EXPECT_NE(find(all, "e2", "c3", QUIET), nullptr);
    EXPECT_NE(find(all, "e2", "g3", QUIET), nullptr);
}

TEST(MoveGeneration, MoveCountBelongsToTheLatestList) {
    test::reset_engine();
    std::array<Move, MAX_MOVES> a{}, b{};
    EXPECT_EQ(generate_moves(a.data(), 0), 20);
    EXPECT_EQ(move_count, 20);
    EXPECT_EQ(generate_moves(b.data(), 1), 0);
    EXPECT_EQ(move_count, 0);
}

// Pseudo-legal move count of a position made of queens and kings, counted
// by walking the rays directly.
int count_queen_and_king_moves() {
    static const int dirs[8] = {-13, -12, -11, -1, 1, 11, 12, 13};
    int n = 0;
    for (int s = 26; s <= 117; ++s) {
        if (pos.color[s] != pos.side) continue;
        const bool slides = pos.board[s] == QUEEN;
        for (int d : dirs)
            for (int t = s + d; pos.color[t] != OFFBOARD && pos.color[t] != pos.side; t += d) {
                ++n;
                if (pos.color[t] != EMPTY || !slides) break;
            }
    }
    return n;
}

TEST(MoveGeneration, ListNeverWrittenPastCapacity) {
    clear_ordering();
    // White queens all round the edge and one inside look across the empty
    // middle from every side: more than 256 moves (and a Black king to take).
    ASSERT_TRUE(test::setup("kQQQQQQQ/Q6Q/Q6Q/Q6Q/Q3Q2Q/Q6Q/Q6Q/QQQQQQQK w - -"));
    const int real = count_queen_and_king_moves();
    ASSERT_GT(real, MAX_MOVES);

    constexpr int guard = 32;
    std::array<Move, MAX_MOVES + guard> buffer;
    for (Move& m : buffer) m = Move{1, 2, 99, 12345};
    const int n = generate_moves(buffer.data(), 0);
    EXPECT_EQ(n, MAX_MOVES);
    EXPECT_EQ(move_count, MAX_MOVES);
    for (int i = MAX_MOVES; i < MAX_MOVES + guard; ++i) {
        EXPECT_EQ(buffer[i].from, 1) << i;
        EXPECT_EQ(buffer[i].to, 2) << i;
        EXPECT_EQ(buffer[i].type, 99) << i;
        EXPECT_EQ(buffer[i].score, 12345) << i;
    }
    // The entries written are real moves of the side to move.
    for (int i = 0; i < n; ++i) ASSERT_EQ(pos.color[buffer[i].from], WHITE) << i;

    // The root list is bounded the same way.
    generate_root_moves();
    EXPECT_EQ(move_count, MAX_MOVES);
}

}  // namespace
}  // namespace torlo
