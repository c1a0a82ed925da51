// UCI mode: the clock budget and score text, identification, positions,
// searches and their output, and agreement with the xboard search.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "book/book.h"
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

TEST(UciSession, IdentifiesItselfAndReportsUnknownCommands) {
    const std::string id =
        std::string("id name ") + ENGINE_NAME + "\nid author the TORLO authors\n"
        "option name OwnBook type check default true\noption name Clear Hash type button\n"
        "option name Hash type spin default 16 min 1 max 65536\n"
        "option name Threads type spin default 1 min 1 max 256\n"
        "option name Ponder type check default false\n"
        "option name MultiPV type spin default 1 min 1 max 256\n"
        "option name Move Overhead type spin default 50 min 0 max 5000\n"
        "option name UCI_LimitStrength type check default false\n"
        "option name UCI_Elo type spin default 1500 min 800 max 1800\n"
        "option name UCI_AnalyseMode type check default false\nuciok\n";
    EXPECT_EQ(uci_session("isready\ndebug on\nfoo bar\nboard\ne2e4\n"),
              id + "readyok\ninfo string unknown command: foo\ninfo string unknown command: board\n"
                   "info string unknown command: e2e4\n");
    EXPECT_EQ(settings.uci_mode, 1);
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

TEST(UciSession, BestMoveForPromotionMateAndStalemate) {
    const std::string promotion = uci_session("position fen 8/P7/8/8/8/8/k7/7K w - - 0 1\ngo depth 3\n");
    EXPECT_EQ(lines_of(promotion).back(), "bestmove a7a8q");
    // Checkmated, then stalemated: the null move and no result line.
    EXPECT_EQ(test::run_session("position startpos moves f2f3 e7e5 g2g4 d8h4\ngo depth 3\n"
                                "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo depth 3\n"),
              "bestmove 0000\nbestmove 0000\n");
}

// A coordinate move: e2e4, e7e8q.
bool is_uci_move(const std::string& m) {
    return (m.size() == 4 || (m.size() == 5 && std::string("nbrq").find(m[4]) != std::string::npos)) &&
           looks_like_move(m.c_str());
}

// "info depth D score cp|mate S time T nodes N nps N pv m1 m2 ..."
bool is_info_line(const std::string& line) {
    std::istringstream in(line);
    std::string word, kind;
    long long number;
    auto key = [&in, &word](const char* k) { return in >> word && word == k; };
    if (!key("info") || !key("depth") || !(in >> number) || !key("score") || !(in >> kind) ||
        (kind != "cp" && kind != "mate") || !(in >> number))
        return false;
    for (const char* k : {"time", "nodes", "nps"})
        if (!key(k) || !(in >> number) || number < 0) return false;
    if (!key("pv")) return false;
    while (in >> word)
        if (!is_uci_move(word)) return false;
    return true;
}

TEST(UciSession, InfoLinesAndNeverResigns) {
    // A queen and a rook down with mate threatened: the console engine would resign.
    for (const char* position : {"startpos", "fen 6k1/8/8/8/8/8/qq6/6K1 w - - 0 1"}) {
        const std::string out =
            uci_session(std::string("setoption name OwnBook value false\nposition ") + position + "\ngo depth 6\n");
        const auto lines = lines_of(out);
        size_t first = 0;
        while (first < lines.size() && lines[first] != "uciok") ++first;
        ASSERT_LT(first + 2, lines.size()) << out;
        for (size_t i = first + 1; i + 1 < lines.size(); ++i) EXPECT_TRUE(is_info_line(lines[i])) << lines[i];
        EXPECT_TRUE(lines.back().rfind("bestmove ", 0) == 0 && is_uci_move(lines.back().substr(9))) << out;
    }
}

TEST(UciSession, BookMoveAnnouncedUnlessOwnBookIsOff) {
    test::reset_engine();
    ASSERT_EQ(load_book_file("TORLO.opn"), 1);
    const std::string out = test::run_session("uci\nposition startpos\ngo\n");
    EXPECT_NE(out.find("info string book move\nbestmove "), std::string::npos) << out;
    EXPECT_EQ(test::run_session("setoption name OwnBook value false\nucinewgame\nposition startpos\ngo depth 2\n")
                  .find("book move"),
              std::string::npos);
    EXPECT_EQ(settings.use_book, 0);
    book_count = 0;
}

// Depth, score and nodes of each thinking line of the two protocols.
std::vector<std::string> xboard_signature(const std::string& out) {
    std::vector<std::string> sig;
    for (const std::string& l : lines_of(out)) {
        std::istringstream in(l);
        long long depth, score, centiseconds, nodes;
        if (l.rfind("  ", 0) == 0 && in >> depth >> score >> centiseconds >> nodes)
            sig.push_back(std::to_string(depth) + " " + std::to_string(score) + " " + std::to_string(nodes));
    }
    return sig;
}

std::vector<std::string> uci_signature(const std::string& out) {
    std::vector<std::string> sig;
    for (const std::string& l : lines_of(out)) {
        std::istringstream in(l);
        std::string info, d, depth, s, cp, score, t, time, n, nodes;
        if (in >> info >> d >> depth >> s >> cp >> score >> t >> time >> n >> nodes && info == "info" && cp == "cp")
            sig.push_back(depth + " " + score + " " + nodes);
    }
    return sig;
}

TEST(UciSession, FixedDepthSearchMatchesTheXboardSearch) {
    const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    test::reset_engine();
    const std::string xboard = test::run_session("xboard\nforce\nsetboard " + fen + "\nsd 6\nst 100000\npost\ngo\n");
    const std::string uci = uci_session("position fen " + fen + "\ngo depth 6\n");
    const auto xs = xboard_signature(xboard);
    ASSERT_GT(xs.size(), 5u);
    EXPECT_EQ(xs, uci_signature(uci));
    const std::string xmove = xboard.substr(xboard.rfind(' ') + 1);  // "2. ... <move>\n"
    EXPECT_EQ("bestmove " + xmove, lines_of(uci).back() + "\n");
}

}  // namespace
}  // namespace torlo
