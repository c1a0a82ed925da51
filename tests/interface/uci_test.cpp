// UCI mode: the clock budget and score text, positions, and agreement with
// the xboard search. Identification, replies, book moves and the output of
// searches are pinned by the transcripts uci_session and uci_bad_fen.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "interface/settings.h"
#include "interface/uci.h"
#include "support/harness.h"

namespace torlo {
namespace {

using test::lines_of;

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

// "depth score nodes" of each thinking line: xboard's "  D S T N pv", UCI's
// "info depth D score cp S time T nodes N ...".
std::vector<std::string> signature(const std::string& out) {
    std::vector<std::string> sig;
    for (const std::string& l : lines_of(out)) {
        std::istringstream in(l);
        std::string w[10];
        if (l.rfind("  ", 0) == 0 && in >> w[0] >> w[1] >> w[2] >> w[3]) sig.push_back(w[0] + " " + w[1] + " " + w[3]);
        else if (l.rfind("info depth", 0) == 0 && in >> w[0] >> w[1] >> w[2] >> w[3] >> w[4] >> w[5] >> w[6] >> w[7] >>
                 w[8] >> w[9] && w[4] == "cp")
            sig.push_back(w[2] + " " + w[5] + " " + w[9]);
    }
    return sig;
}

TEST(UciSession, FixedDepthSearchMatchesTheXboardSearch) {
    const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    test::reset_engine();
    const std::string xboard = test::run_session("xboard\nforce\nsetboard " + fen + "\nsd 6\nst 100000\npost\ngo\n");
    const std::string uci = uci_session("position fen " + fen + "\ngo depth 6\n");
    ASSERT_GT(signature(xboard).size(), 5u);
    EXPECT_EQ(signature(xboard), signature(uci));
    const std::string xmove = xboard.substr(xboard.rfind(' ') + 1);  // "2. ... <move>\n"
    EXPECT_EQ("bestmove " + xmove, lines_of(uci).back() + "\n");
}

}  // namespace
}  // namespace torlo
