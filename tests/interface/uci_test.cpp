// UCI mode: identification, positions, searches, output forms and the clock.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "interface/settings.h"
#include "interface/uci.h"
#include "support/harness.h"

namespace torlo {
namespace {

constexpr const char* IDENTIFICATION =
    "id name TORLO v0.41c\n"
    "id author the TORLO authors\n"
    "option name OwnBook type check default true\n"
    "option name Clear Hash type button\n"
    "uciok\n";

std::string uci_session(const std::string& input) {
    test::reset_engine();
    return test::run_session("uci\n" + input);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string last_line(const std::string& text) {
    const auto lines = lines_of(text);
    return lines.empty() ? "" : lines.back();
}

TEST(UciClock, BudgetIsAThirtiethPlusThreeQuartersOfTheIncrement) {
    EXPECT_EQ(clock_budget(60000, 0, 0), 2000);
    EXPECT_EQ(clock_budget(60000, 1000, 0), 2750);
    EXPECT_EQ(clock_budget(60000, 0, 9), 6000);    // movestogo 9: divided by 10
    EXPECT_EQ(clock_budget(60000, 0, 100), 2000);  // the divisor never exceeds 30
    EXPECT_EQ(clock_budget(60000, 0, 1), 30000);
}

TEST(UciClock, BudgetKeepsFiftyMillisecondsAndNeverForfeits) {
    EXPECT_EQ(clock_budget(1000, 5000, 0), 950);  // increment large: capped at time left - 50
    EXPECT_EQ(clock_budget(100, 0, 1), 50);
    EXPECT_EQ(clock_budget(40, 0, 0), 1);  // less than the margin: the shortest search, never negative
    EXPECT_EQ(clock_budget(0, 0, 0), 1);
    EXPECT_EQ(clock_budget(-500, 0, 0), 1);
}

TEST(UciScore, MateScoresCountMovesAndCentipawnsOtherwise) {
    EXPECT_STREQ(uci_score(25), "cp 25");
    EXPECT_STREQ(uci_score(-9000), "cp -9000");
    EXPECT_STREQ(uci_score(9999), "mate 1");   // mate at ply 1
    EXPECT_STREQ(uci_score(9997), "mate 2");   // mate at ply 3
    EXPECT_STREQ(uci_score(-9998), "mate -1"); // mated at ply 2
    EXPECT_STREQ(uci_score(-9996), "mate -2");
}

TEST(UciSession, IdentifiesItselfAndAnswersIsReady) {
    const std::string out = uci_session("isready\nuci\ndebug on\n");
    EXPECT_EQ(out, std::string(IDENTIFICATION) + "readyok\n" + IDENTIFICATION);
    EXPECT_EQ(settings.uci_mode, 1);
}

TEST(UciSession, UnknownWordsAndConsoleCommandsAreReported) {
    EXPECT_EQ(uci_session("foo bar\nboard\ne2e4\n"),
              std::string(IDENTIFICATION) +
                  "info string unknown command: foo\n"
                  "info string unknown command: board\n"
                  "info string unknown command: e2e4\n");
}

TEST(UciSession, PositionReplaysMovesAndStopsAtAnIllegalOne) {
    const std::string out = uci_session("position startpos moves e2e4 e7e5 g1f3 e7e5 b8c6\n");
    EXPECT_EQ(last_line(out), "info string illegal move: e7e5");
    EXPECT_EQ(pos.ply, 3);
    EXPECT_EQ(pos.side, BLACK);
    EXPECT_TRUE(position_is_ok());
}

TEST(UciSession, CastlingIsTypedAsTheKingsMove) {
    uci_session("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1\n");
    EXPECT_EQ(pos.ply, 7);
    EXPECT_EQ(pos.board[G1], KING);
    EXPECT_EQ(pos.board[F1], ROOK);
}

TEST(UciSession, PositionKeepsTheGameHistoryForRepetition) {
    // The knight shuffle twice: the start position occurs for the third time.
    uci_session("position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8\n");
    EXPECT_EQ(pos.ply, 8);
    EXPECT_EQ(pos.fifty_counter, 8);
}

TEST(UciSession, FenPositionSwitchesTheBookOff) {
    uci_session("position fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1\n");
    EXPECT_EQ(settings.use_book, 0);
    EXPECT_EQ(pos.side, BLACK);
}

TEST(UciSession, PromotionIsPrintedWithItsLetter) {
    const std::string out = uci_session("position fen 8/P7/8/8/8/8/k7/7K w - - 0 1\ngo depth 3\n");
    EXPECT_EQ(last_line(out), "bestmove a7a8q");
}

TEST(UciSession, NoLegalMoveGivesNullBestMove) {
    // Black is checkmated (fool's mate).
    const std::string out =
        uci_session("position startpos moves f2f3 e7e5 g2g4 d8h4\ngo depth 3\n"
                    "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo depth 3\n");
    const auto lines = lines_of(out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "bestmove 0000");
    EXPECT_EQ(lines.back(), "bestmove 0000");  // stalemate
    EXPECT_EQ(out.find("1-0"), std::string::npos);
    EXPECT_EQ(out.find("Stalemate"), std::string::npos);
}

// A coordinate move: e2e4, e7e8q.
bool is_uci_move(const std::string& m) {
    return (m.size() == 4 || (m.size() == 5 && std::string("nbrq").find(m[4]) != std::string::npos)) &&
           looks_like_move(m.c_str());
}

bool is_bestmove_line(const std::string& line) {
    return line.rfind("bestmove ", 0) == 0 && is_uci_move(line.substr(9));
}

// "info depth D score cp S|mate N time T nodes N nps N pv m1 m2 ..."
bool is_info_line(const std::string& line) {
    std::istringstream in(line);
    std::string word, kind, value;
    long long number;
    if (!(in >> word) || word != "info") return false;
    for (const char* key : {"depth", "score"}) {
        if (!(in >> word) || word != key) return false;
        if (word == "score" && (!(in >> kind) || (kind != "cp" && kind != "mate"))) return false;
        if (!(in >> number)) return false;
    }
    for (const char* key : {"time", "nodes", "nps"})
        if (!(in >> word) || word != key || !(in >> number) || number < 0) return false;
    if (!(in >> word) || word != "pv") return false;
    while (in >> value)
        if (!is_uci_move(value)) return false;
    return true;
}

TEST(UciSession, InfoLinesCarryDepthScoreTimeNodesNpsAndPv) {
    const std::string out = uci_session("setoption name OwnBook value false\nposition startpos\ngo depth 3\n");
    int infos = 0;
    for (const std::string& line : lines_of(out)) {
        if (line.rfind("info", 0) != 0) continue;
        ++infos;
        EXPECT_TRUE(is_info_line(line)) << line;
    }
    EXPECT_GT(infos, 2);
    EXPECT_TRUE(is_bestmove_line(last_line(out))) << last_line(out);
}

TEST(UciSession, BookMoveIsAnnouncedAndCanBeSwitchedOff) {
    test::reset_engine();
    ASSERT_EQ(load_book_file("TORLO.opn"), 1);
    std::string out = test::run_session("uci\nposition startpos\ngo\n");
    EXPECT_NE(out.find("info string book move\nbestmove "), std::string::npos);
    out = test::run_session("setoption name OwnBook value false\nucinewgame\nposition startpos\ngo depth 2\n");
    EXPECT_EQ(out.find("book move"), std::string::npos);
    EXPECT_EQ(settings.use_book, 0);
}

TEST(UciSession, NeverResignsAndPrintsNoResultLines) {
    // A queen and rook down with a mate threat: the console engine would resign.
    const std::string out = uci_session("position fen 6k1/8/8/8/8/8/qq6/6K1 w - - 0 1\ngo depth 6\n");
    EXPECT_EQ(out.find("resign"), std::string::npos);
    EXPECT_TRUE(is_bestmove_line(last_line(out))) << last_line(out);
}

// Depth, score and nodes of each thinking line of the two protocols.
std::vector<std::string> xboard_signature(const std::string& out) {
    std::vector<std::string> sig;
    for (const std::string& l : lines_of(out)) {
        std::istringstream in(l);
        long long depth, score, centis, nodes;
        if (l.rfind("  ", 0) == 0 && in >> depth >> score >> centis >> nodes)
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
    const char* fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    test::reset_engine();
    const std::string xboard = test::run_session(std::string("xboard\nforce\nsetboard ") + fen +
                                                 "\nsd 6\nst 100000\npost\ngo\n");
    const std::string uci = uci_session(std::string("position fen ") + fen + "\ngo depth 6\n");
    const auto xs = xboard_signature(xboard), us = uci_signature(uci);
    ASSERT_GT(xs.size(), 5u);
    EXPECT_EQ(xs, us);
    // The same move: the xboard move line "2. ... <move>" and bestmove.
    const std::string xmove = last_line(xboard).substr(last_line(xboard).rfind(' ') + 1);
    EXPECT_EQ("bestmove " + xmove, last_line(uci));
}

}  // namespace
}  // namespace torlo
