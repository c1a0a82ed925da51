// The engine interface: start-up, the main loop, the command interpreter
// with both command sets (xboard and console), and the console views.
//
// Contract:
//  - run_engine() reads lines from the current input (interface/io.h) until
//    end of input or `quit` and returns the exit code (0).
//  - An illegal move or an unknown word is answered with one line and
//    changes nothing (the manual page lists what other input does).
#pragma once

#include <cstdio>

#include "types.h"

namespace torlo {

extern char input_line[LINE_SIZE];    // the last line read, newline kept
extern char command_word[LINE_SIZE];  // its first word
extern bool quit_requested;           // set by `quit`: the loop ends
extern bool strength_suspended;       // analysis (UCI_AnalyseMode): no strength level applies

void print_startup();   // banner, hash line, book line
void start_engine();    // print_startup, new game, root moves
int run_engine();       // the main loop; returns the exit code
// One pass of the main loop's input half for a line already in input_line.
void handle_line();
void engine_move();     // the engine's turn: think, play, print, adjudicate
// Plays best_move as the engine's move: the move line (its text given),
// the new root moves, the game-end checks.
void play_engine_move(const char* text);
// After a user move was played: the board when shown, root moves, game end.
void after_user_move();
// The search limits from the settings (search/search.h).
void set_search_limits();
// The think step under the settings: it announces what the search decided
// (the book-move line, the result when there is no legal move, the
// resignation, the engine's settings updated as the game goes on) and
// returns 1 with a move in best_move and its text in text, 0 without.
int engine_think(char* text);

int execute_command(const char* word);
void print_features();
void print_board();
void list_moves(int legal_only);
void edit_mode();
// Reads one line of a file into buf (at most size - 1 characters; the rest
// of a longer line is skipped; a CR before the LF is dropped). False at end.
bool read_file_line(std::FILE* f, char* buf, int size);

// Parses "<word> %d" from the start of line as scanf would, clamping the
// number to the 32-bit range. False when the word or the number is missing.
bool scan_int(const char* line, const char* word, int* value);

}  // namespace torlo
