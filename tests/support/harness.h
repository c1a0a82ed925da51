// Test support: the start-up state, in-process sessions, positions set up and compared.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.h"
#include "interface/game.h"

namespace torlo::test {

void reset_engine();  // settings, new game and root moves as at start-up, silently

class EngineTest : public ::testing::Test {  // start-up state before and after
protected:
    void SetUp() override { reset_engine(); }
    void TearDown() override { reset_engine(); }
};

std::string run_session(const std::string& input);  // the main loop on this input; what it printed
constexpr int sq(const char* name) { return square_from_text(name); }  // "e4"
std::vector<std::string> lines_of(const std::string& text);
bool setup(const char* fen);  // reset, then the FEN: true when accepted
bool find_move(const char* text, Move* move);  // the root move with this text (e2e4, e7e8q, e1g1)
void play(const std::string& moves);  // 4-character moves typed as a user would ("0000": a null move)
std::string diff(const Position& a, const Position& b);  // the first differing field, "" when none

void begin_capture();
std::string end_capture();
template <typename Fn>  // what fn prints
std::string capture(Fn fn) {
    begin_capture();
    fn();
    return end_capture();
}

}  // namespace torlo::test
