// The engine hosted line by line (the browser build's entry): a session fed
// one line at a time prints what the console prints for the same input, UCI
// lines of any length arrive whole, and the stop probe is what ends a
// search that has no limit of its own.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "book/book.h"
#include "interface/settings.h"
#include "search/search.h"
#include "support/harness.h"
#include "web/web.h"

namespace torlo {
namespace {

using test::lines_of;

// Runs each line through web_line and returns all that was printed.
std::string web_session(const std::vector<std::string>& lines) {
    return test::capture([&lines] {
        for (const std::string& line : lines) web_line(line.c_str());
    });
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// UCI info lines with their time and speed fields dropped (depth, score,
// nodes and the variation stay).
std::string without_timing(const std::string& out) {
    std::string kept;
    for (const std::string& line : lines_of(out)) {
        std::istringstream in(line);
        std::string word, result;
        while (in >> word) {
            if (word == "time" || word == "nps") in >> word;
            else result += word + " ";
        }
        kept += result + "\n";
    }
    return kept;
}

class WebHost : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine(); }
    void TearDown() override {
        set_web_stop_probe(nullptr);
        test::reset_engine();
        book_count = 0;
    }
};

TEST_F(WebHost, StartsAsTheConsoleDoesWithTheBookFromTheWorkingDirectory) {
    const std::string out = test::capture([] { web_start(); });
    EXPECT_EQ(out.rfind(std::string(ENGINE_NAME) + "\n", 0), 0u) << out;
    EXPECT_NE(out.find("Book size:   122 Kbytes ->   3000 positions\n"), std::string::npos) << out;
    EXPECT_GT(book_count, 0);
}

TEST_F(WebHost, ConsoleLinesOneByOnePrintWhatTheConsolePrints) {
    // Without the book and thinking lines the console session is the same
    // every time: the engine answers each move at depth 4.
    const std::vector<std::string> lines = {
        "nopost", "sd 4", "setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
        "f1b5",   "d2d3", "remove", "e1g1", "bogus", "undo", "go"};
    const std::string console = test::run_session(joined(lines));
    test::reset_engine();
    const std::string hosted = web_session(lines);
    EXPECT_EQ(hosted, console);
    EXPECT_NE(hosted.find("Error (unknown command): bogus"), std::string::npos) << hosted;
    EXPECT_NE(hosted.find("1. ... "), std::string::npos) << hosted;  // the engine answered
}

TEST_F(WebHost, UciSearchesGiveTheConsolesMovesAndLongLinesArriveWhole) {
    const std::vector<std::string> lines = {"uci", "setoption name OwnBook value false", "ucinewgame",
                                            "position startpos moves e2e4 e7e5 g1f3", "go depth 5"};
    const std::string console = test::run_session(joined(lines));
    test::reset_engine();
    const std::string hosted = web_session(lines);
    EXPECT_EQ(without_timing(hosted), without_timing(console));
    EXPECT_EQ(lines_of(hosted).back().rfind("bestmove ", 0), 0u) << hosted;

    // 121 plies on one line: far more than a console line holds.
    std::string moves;
    for (int i = 0; i < 30; ++i) moves += " g1f3 g8f6 f3g1 f6g8";
    EXPECT_EQ(web_session({"position startpos moves" + moves + " e2e4"}), "");
    EXPECT_EQ(pos.ply, 121);
    EXPECT_EQ(pos.side, BLACK);
}

int probe_calls = 0;
bool stop_after_ten_calls() { return ++probe_calls >= 10; }

TEST_F(WebHost, TheStopProbeEndsAnInfiniteSearchWithALegalBestMove) {
    set_web_stop_probe(stop_after_ten_calls);
    web_session({"uci", "setoption name OwnBook value false", "position startpos moves d2d4"});
    probe_calls = 0;
    const std::string out = web_session({"go infinite"});
    EXPECT_EQ(probe_calls, 10);  // asked at each time check until it said stop
    const std::string last = lines_of(out).back();
    ASSERT_EQ(last.rfind("bestmove ", 0), 0u) << out;
    Move move;
    EXPECT_TRUE(test::find_move(last.substr(9).c_str(), &move)) << last;
    EXPECT_LT(nodes, 10u * 2048 + 2048);
    // The engine takes the next line as usual.
    EXPECT_EQ(web_session({"isready"}), "readyok\n");
}

TEST_F(WebHost, WithoutAStopABoundedSearchRunsToItsLimit) {
    probe_calls = 0;
    set_web_stop_probe([] {
        ++probe_calls;
        return false;
    });
    web_session({"uci", "setoption name OwnBook value false", "position startpos"});
    const std::string out = web_session({"go nodes 50000"});
    EXPECT_GT(probe_calls, 20);
    EXPECT_GE(nodes, 50000u);
    EXPECT_EQ(lines_of(out).back().rfind("bestmove ", 0), 0u) << out;
}

TEST_F(WebHost, QuitIsReportedAndTheHostMayGoOn) {
    bool go_on = true;
    test::capture([&go_on] { go_on = web_line("quit"); });
    EXPECT_FALSE(go_on);
    test::capture([&go_on] { go_on = web_line("uci"); });
    EXPECT_TRUE(go_on);
    EXPECT_EQ(settings.uci_mode, 1);
}

}  // namespace
}  // namespace torlo
