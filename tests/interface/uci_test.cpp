// UCI mode: clock budget, score text, positions. (Replies and search output: transcripts uci_session,
// uci_bad_fen, fixed_depth_uci = fixed_depth_xboard.)
#include "interface/settings.h"
#include "interface/uci.h"
#include "support/harness.h"

namespace torlo {
namespace {

std::string uci_session(const std::string& input) {
    test::reset_engine();
    return test::run_session("uci\n" + input);
}

TEST(UciClock, BudgetIsAThirtiethPlusThreeQuartersOfTheIncrementKeeping50Ms) {
    const struct { int64_t time, increment, moves_to_go, budget; } cases[] = {
        {60000, 0, 0, 2000},   {60000, 1000, 0, 2750}, {60000, 0, 9, 6000},  // movestogo 9: over 10
        {60000, 0, 100, 2000}, {60000, 0, 1, 30000},                          // never over more than 30
        {1000, 5000, 0, 950},  {100, 0, 1, 50},                               // at most time left - 50
        {40, 0, 0, 1},         {0, 0, 0, 1},          {-500, 0, 0, 1},        // never 0 or less
    };
    for (const auto& c : cases)
        EXPECT_EQ(clock_budget(c.time, c.increment, c.moves_to_go), c.budget) << c.time << " " << c.moves_to_go;
}

TEST(UciClock, MoveOverheadIsTheClockTimeABudgetNeverUses) {
    EXPECT_EQ(clock_budget(600, 0, 1), 300);  // the default 50 ms leave the half
    uci_session("setoption name Move Overhead value 500\n");
    EXPECT_EQ(clock_budget(600, 0, 1), 100);
    EXPECT_EQ(clock_budget(60000, 0, 0), 2000);  // far from the flag: unchanged
    test::reset_engine();
    EXPECT_EQ(clock_budget(600, 0, 1), 300);
}

TEST(UciScore, MateScoresCountMovesCentipawnsOtherwise) {
    const struct { int score; const char* text; } cases[] = {
        {25, "cp 25"}, {-9000, "cp -9000"}, {9999, "mate 1"}, {9997, "mate 2"}, {-9998, "mate -1"}, {-9996, "mate -2"},
    };
    for (const auto& c : cases) EXPECT_STREQ(uci_score(c.score), c.text) << c.score;
}

TEST(UciSession, PositionReplaysMovesCastlingAsKingMoveAndStopsAtAnIllegalOne) {
    uci_session("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1\n");
    EXPECT_EQ(pos.ply, 7);
    EXPECT_TRUE(pos.board[G1] == KING && pos.board[F1] == ROOK && pos.board[H1] == EMPTY);
    const std::string out = test::run_session("position startpos moves e2e4 e7e5 g1f3 e7e5 b8c6\n");
    EXPECT_EQ(out, "info string illegal move: e7e5\n");
    EXPECT_TRUE(pos.ply == 3 && pos.side == BLACK && position_is_ok());
    // A whole game's moves on one line, far beyond the console's 255 characters.
    std::string shuffle;
    for (int i = 0; i < 30; ++i) shuffle += " g1f3 g8f6 f3g1 f6g8";
    EXPECT_EQ(test::run_session("position startpos moves" + shuffle + " e2e4\n"), "");
    EXPECT_TRUE(pos.ply == 121 && pos.side == BLACK && position_is_ok());
}

}  // namespace
}  // namespace torlo
