// The browser build's entry: a session fed line by line prints what the console prints.
// (The stop probe: web/tests/engine.test.mjs.)
#include <sstream>

#include "interface/settings.h"
#include "search/search.h"
#include "support/harness.h"
#include "web/web.h"

namespace torlo {
namespace {

std::string web_session(const std::vector<std::string>& lines) {
    return test::capture([&lines] {
        for (const std::string& line : lines) web_line(line.c_str());
    });
}

// The lines given to the console's main loop, then from the same start to the host one
// by one; the time and speed fields of UCI info lines dropped.
void expect_same_as_console(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const std::string console = test::run_session(text);
    test::reset_engine();
    const std::string hosted = web_session(lines);
    auto without_timing = [](const std::string& out) {
        std::string kept;
        for (const std::string& line : test::lines_of(out)) {
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
    // Without book and thinking lines the console session is the same every time.
    expect_same_as_console({"nopost", "sd 4",
                            "setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", "f1b5",
                            "d2d3", "remove", "e1g1", "bogus", "undo", "go"});
    test::reset_engine();
    expect_same_as_console({"uci", "setoption name OwnBook value false", "ucinewgame",
                            "position startpos moves e2e4 e7e5 g1f3", "go depth 5"});
}

int probe_calls = 0;

TEST_F(WebHost, WithoutAStopABoundedSearchRunsToItsLimitAndQuitIsReported) {
    probe_calls = 0;
    set_web_stop_probe([] { return ++probe_calls < 0; });
    web_session({"uci", "setoption name OwnBook value false", "position startpos"});
    const std::string out = web_session({"go nodes 50000"});
    EXPECT_TRUE(probe_calls > 20 && nodes >= 50000u) << probe_calls << " " << nodes;
    EXPECT_EQ(test::lines_of(out).back().rfind("bestmove ", 0), 0u) << out;
    bool go_on[2];
    test::capture([&go_on] { go_on[0] = web_line("quit"); go_on[1] = web_line("uci"); });
    EXPECT_TRUE(!go_on[0] && go_on[1]) << "the host may go on after quit";
}

}  // namespace
}  // namespace torlo
