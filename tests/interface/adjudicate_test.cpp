// Game-end adjudication: the result lines and their order, the repetition
// count's bookkeeping, insufficient material and resignation.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "interface/adjudicate.h"
#include "interface/settings.h"
#include "support/harness.h"

namespace torlo {
namespace {

// Plays the moves of the text (4 characters each) from the current position.
void play(const char* moves) {
    for (const char* p = moves; *p; p += 4) {
        char text[5] = {p[0], p[1], p[2], p[3], 0};
        Move m;
        ASSERT_TRUE(test::find_move(text, &m)) << text;
        ASSERT_EQ(make_move(m), 1) << text;
        generate_root_moves();
    }
}

class Adjudicate : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine(); }
    void TearDown() override { test::reset_engine(); }
};

// --- repetition_count

TEST_F(Adjudicate, KnightShuffleCountsOneThenTwo) {
    play("g1f3g8f6f3g1");
    EXPECT_EQ(repetition_count(), 0);
    play("f6g8");
    EXPECT_EQ(repetition_count(), 1);  // the initial placement, second time
    play("g1f3g8f6f3g1f6g8");
    EXPECT_EQ(repetition_count(), 2);  // third time
}

// Writes a quiet move record by hand.
void put_record(int index, int from, int to) {
    game_history[index] = UndoRecord{};
    game_history[index].from = static_cast<uint8_t>(from);
    game_history[index].to = static_cast<uint8_t>(to);
    game_history[index].type = QUIET;
}

TEST_F(Adjudicate, ThreeOrFewerReversibleMovesAreNotLookedAt) {
    // Records in which a knight goes g1-f3 and back: they cancel out, so a
    // walk over them finds the placement again, but with f at most 3 the
    // count is 0 without looking.
    const int g1 = square_of(6, 1), f3 = square_of(5, 3), b1 = square_of(1, 1), c3 = square_of(2, 3);
    put_record(0, b1, c3);
    put_record(1, g1, f3);
    put_record(2, f3, g1);
    pos.ply = 3;
    pos.fifty_counter = 3;
    EXPECT_EQ(repetition_count(), 0);
    pos.fifty_counter = 2;
    EXPECT_EQ(repetition_count(), 0);
    // The same bookkeeping over four records does count.
    put_record(0, b1, c3);
    put_record(1, c3, b1);
    put_record(2, g1, f3);
    put_record(3, f3, g1);
    pos.ply = 4;
    pos.fifty_counter = 4;
    EXPECT_EQ(repetition_count(), 2);
}

TEST_F(Adjudicate, NullMoveRecordsAreSkipped) {
    // Leave stale squares in the records that the null moves will reuse.
    play("e2e4e7e5d2d4d7d5");
    for (int i = 0; i < 4; ++i) unmake_move();
    generate_root_moves();
    play("g1f3");
    ASSERT_EQ(make_null_move(), 1);
    generate_root_moves();
    play("f3g1");
    ASSERT_EQ(make_null_move(), 1);
    ASSERT_EQ(pos.fifty_counter, 4);
    // Knight out and back with the null moves ignored: one earlier occurrence.
    EXPECT_EQ(repetition_count(), 1);
    unmake_null_move();
    unmake_move();
    unmake_null_move();
    unmake_move();
    EXPECT_EQ(pos.ply, 0);
}

TEST_F(Adjudicate, MovesBeforeASetupAreNotRepetitions) {
    play("g1f3g8f6f3g1f6g8");
    ASSERT_EQ(repetition_count(), 1);
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 1);
    EXPECT_EQ(pos.fifty_counter, 4);  // kept across the setup
    EXPECT_EQ(repetition_count(), 0);
    play("g1f3g8f6f3g1f6g8");
    EXPECT_EQ(repetition_count(), 1);  // not 2: the first shuffle belongs to the old game
    EXPECT_EQ(test::capture([] { check_game_end(); }), "");
}

// --- insufficient_material

struct MaterialCase {
    const char* name;
    const char* fen;
    int insufficient;
};

class Material : public ::testing::TestWithParam<MaterialCase> {
protected:
    void TearDown() override { test::reset_engine(); }
};

TEST_P(Material, DecidesWhetherMateIsPossible) {
    ASSERT_TRUE(test::setup(GetParam().fen));
    EXPECT_EQ(insufficient_material(), GetParam().insufficient);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, Material,
    ::testing::Values(MaterialCase{"KingsOnly", "4k3/8/8/8/8/8/8/4K3 w - -", 1},
                      MaterialCase{"BishopAgainstKnight", "4k3/8/3n4/8/8/2B5/8/4K3 w - -", 1},
                      MaterialCase{"KnightAgainstKnight", "4k3/8/3n4/8/8/2N5/8/4K3 b - -", 1},
                      MaterialCase{"BishopsOfOppositeColours", "4k3/8/3b4/8/8/3B4/8/4K3 w - -", 1},
                      MaterialCase{"LoneBlackBishop", "4k3/8/3b4/8/8/8/8/4K3 w - -", 1},
                      MaterialCase{"TwoKnightsAgainstKing", "4k3/8/8/8/8/2N5/8/3NK3 w - -", 0},
                      MaterialCase{"TwoBlackBishops", "2b1kb2/8/8/8/8/8/8/4K3 w - -", 0},
                      MaterialCase{"WhitePawn", "4k3/8/8/8/8/8/4P3/4K3 w - -", 0},
                      MaterialCase{"BlackPawnWithMinorPieces", "4k3/p7/3n4/8/8/2B5/8/4K3 w - -", 0},
                      MaterialCase{"Rook", "4k3/8/8/8/8/8/8/R3K3 w - -", 0},
                      MaterialCase{"BlackQueen", "3qk3/8/8/8/8/8/8/4K3 w - -", 0}),
    [](const ::testing::TestParamInfo<MaterialCase>& info) { return std::string(info.param.name); });

// --- check_game_end and its lines

TEST_F(Adjudicate, FoolsMateIsAnnouncedAndStopsTheEngine) {
    play("f2f3e7e5g2g4");
    settings.computer_side = WHITE;
    play("d8h4");
    EXPECT_EQ(test::capture([] { check_game_end(); }), "0-1 {Black mates}\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
}

TEST_F(Adjudicate, BlackCheckmatedIsAWhiteWin) {
    ASSERT_TRUE(test::setup("k7/8/1K6/8/8/8/8/7R w - - 0 1"));
    play("h1h8");
    EXPECT_EQ(test::capture([] { check_game_end(); }), "1-0 {White mates}\n");
}

TEST_F(Adjudicate, StalemateWithAQueenPrintsOnlyTheStalemate) {
    ASSERT_TRUE(test::setup("7k/8/6K1/8/8/8/8/5Q2 w - - 0 1"));
    play("f1f7");
    EXPECT_EQ(test::capture([] { check_game_end(); }), "1/2-1/2 {Stalemate}\n");
}

TEST_F(Adjudicate, SeveralResultsPrintInOrder) {
    // Stalemated with bishop against king, and the counter at 100.
    ASSERT_TRUE(test::setup("k7/8/1K6/4B3/8/8/8/8 b - - 0 1"));
    pos.fifty_counter = 100;
    settings.computer_side = BLACK;
    EXPECT_EQ(test::capture([] { check_game_end(); }),
              "1/2-1/2 {Stalemate}\n"
              "1/2-1/2 {Draw by fifty move rule}\n"
              "1/2-1/2 {Draw by insufficient material}\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
}

TEST_F(Adjudicate, FiftyMoveLineFromTheHundredthHalfMove) {
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/R3K3 w - - 0 1"));
    pos.fifty_counter = 99;
    EXPECT_EQ(test::capture([] { check_game_end(); }), "");
    EXPECT_EQ(settings.computer_side, BLACK);
    pos.fifty_counter = 100;
    EXPECT_EQ(test::capture([] { check_game_end(); }), "1/2-1/2 {Draw by fifty move rule}\n");
    pos.fifty_counter = 101;
    EXPECT_EQ(test::capture([] { check_game_end(); }), "1/2-1/2 {Draw by fifty move rule}\n");
}

TEST_F(Adjudicate, RepetitionLineOnlyAtTheThirdOccurrence) {
    play("g1f3g8f6f3g1f6g8");
    EXPECT_EQ(test::capture([] { check_game_end(); }), "");
    play("g1f3g8f6f3g1f6g8");
    EXPECT_EQ(test::capture([] { check_game_end(); }), "1/2-1/2 {Draw by three fold repetition}\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
    play("g1f3g8f6f3g1f6g8");  // a fourth occurrence counts 3: no line
    EXPECT_EQ(test::capture([] { check_game_end(); }), "");
}

TEST_F(Adjudicate, ResignPrintsTheWordAndStopsTheEngine) {
    EXPECT_EQ(test::capture([] { resign(); }), "resign\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
}

TEST_F(Adjudicate, MateCheckLeavesThePositionUnchanged) {
    play("e2e4e7e5");
    const uint64_t key = pos.hash_key;
    EXPECT_EQ(test::capture([] { check_mate_or_stalemate(pos.side); }), "");
    EXPECT_EQ(pos.hash_key, key);
    EXPECT_EQ(pos.ply, 2);
    EXPECT_TRUE(position_is_ok());
}

}  // namespace
}  // namespace torlo
