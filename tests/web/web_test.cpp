// The engine hosted line by line (the browser build's entry): a session fed
// one line at a time prints what the console prints for the same input, and
// the stop probe is what ends a search that has no limit of its own.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "interface/settings.h"
#include "search/search.h"
#include "support/harness.h"
#include "web/web.h"

namespace torlo {
namespace {

using test::lines_of;

std::string web_session(const std::vector<std::string>& lines) {
    return test::capture([&lines] {
        for (const std::string& line : lines) web_line(line.c_str());
    });
}

// The same lines given to the console's main loop and then, from the same
// start, to the host one by one; the time and speed fields of UCI info lines dropped.
void expect_same_as_console(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const std::string console = test::run_session(text);
    test::reset_engine();
    const std::string hosted = web_session(lines);
    auto without_timing = [](const std::string& out) {
        std::string kept;
        for (const std::string& line : lines_of(out)) {
            std::istringstream in(line);
            for (std::string word; in >> word;)
                if (word == "time" || word == "nps") in >> word;
                else kept += word + " ";
            kept += "\n";
        }
        return kept;
    };
    EXPECT_EQ(without_timing(hosted), without_timing(console));
    EXPECT_TRUE(hosted.find("1. ... ") != std::string::npos || hosted.find("bestmove ") != std::string::npos)
        << "the engine answered: " << hosted;
}

class WebHost : public test::EngineTest {
protected:
    void TearDown() override {
        set_web_stop_probe(nullptr);
        test::reset_engine();
    }
};

TEST_F(WebHost, ConsoleAndUciLinesOneByOnePrintWhatTheConsolePrints) {
    // Without the book and thinking lines the console session is the same every time.
    expect_same_as_console({"nopost", "sd 4",
                            "setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", "f1b5",
                            "d2d3", "remove", "e1g1", "bogus", "undo", "go"});
    test::reset_engine();
    expect_same_as_console({"uci", "setoption name OwnBook value false", "ucinewgame",
                            "position startpos moves e2e4 e7e5 g1f3", "go depth 5"});
}

int probe_calls = 0;

TEST_F(WebHost, TheStopProbeEndsAnInfiniteSearchWithALegalBestMove) {
    set_web_stop_probe([] { return ++probe_calls >= 10; });
    web_session({"uci", "setoption name OwnBook value false", "position startpos moves d2d4"});
    probe_calls = 0;
    const std::string out = web_session({"go infinite"});
    EXPECT_EQ(probe_calls, 10);  // asked at each time check until it said stop
    const std::string last = lines_of(out).back();
    ASSERT_EQ(last.rfind("bestmove ", 0), 0u) << out;
    Move move;
    EXPECT_TRUE(test::find_move(last.substr(9).c_str(), &move)) << last;
    EXPECT_LT(nodes, 10u * 2048 + 2048);
    EXPECT_EQ(web_session({"isready"}), "readyok\n");  // the next line is taken as usual
}

TEST_F(WebHost, WithoutAStopABoundedSearchRunsToItsLimit) {
    probe_calls = 0;
    set_web_stop_probe([] { return ++probe_calls < 0; });
    web_session({"uci", "setoption name OwnBook value false", "position startpos"});
    const std::string out = web_session({"go nodes 50000"});
    EXPECT_TRUE(probe_calls > 20 && nodes >= 50000u) << probe_calls << " " << nodes;
    EXPECT_EQ(lines_of(out).back().rfind("bestmove ", 0), 0u) << out;
}

TEST_F(WebHost, QuitIsReportedAndTheHostMayGoOn) {
    bool go_on = true;
    test::capture([&go_on] { go_on = web_line("quit"); });
    EXPECT_FALSE(go_on);
    test::capture([&go_on] { go_on = web_line("uci"); });
    EXPECT_TRUE(go_on && settings.uci_mode == 1);
}

}  // namespace
}  // namespace torlo
