// Test support: the start-up state, in-process sessions (input injected, output captured),
// positions set up and compared.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.h"
#include "interface/game.h"

namespace torlo::test {

// The engine's start-up state (settings, new game, root moves), silently.
void reset_engine();

class EngineTest : public ::testing::Test {  // start-up state before and after
protected:
    void SetUp() override { reset_engine(); }
    void TearDown() override { reset_engine(); }
};

// Runs the main loop on the input from the current state; returns what it printed.
std::string run_session(const std::string& input);

constexpr int sq(const char* name) { return square_from_text(name); }  // "e4"

std::vector<std::string> lines_of(const std::string& text);

// Sets up a FEN position (reset first); true when it was accepted.
bool setup(const char* fen);

// Finds the root move with this coordinate text (e2e4, e7e8q, e1g1).
bool find_move(const char* text, Move* move);

// Plays 4-character moves typed as a user would ("0000": a null move).
void play(const std::string& moves);

// The first field in which two positions differ, "" when none does.
std::string diff(const Position& a, const Position& b);

void begin_capture();
std::string end_capture();

template <typename Fn>  // what fn prints
std::string capture(Fn fn) {
    begin_capture();
    fn();
    return end_capture();
}

}  // namespace torlo::test
