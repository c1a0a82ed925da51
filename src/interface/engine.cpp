// Start-up and the main loop: the engine moves when the side to move is its
// colour; otherwise one input line is read and its first word is played as
// a move or handed to the command interpreter.
#include "interface/engine.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board/board.h"
#include "book/book.h"
#include "interface/adjudicate.h"
#include "interface/game.h"
#include "interface/io.h"
#include "interface/options.h"
#include "interface/ponder.h"
#include "interface/paths.h"
#include "interface/settings.h"
#include "interface/uci.h"
#include "search/search.h"
#include "search/strength.h"
#include "search/threads.h"
#include "search/tt.h"

namespace torlo {

char input_line[LINE_SIZE];
char command_word[LINE_SIZE];
bool quit_requested = false;
bool strength_suspended = false;

void print_startup() {
    out("%s\n", ENGINE_NAME);
    out("===============================================\n\n");
    out("Hash size: %5llu Kbytes -> %6llu entries\n",
        static_cast<unsigned long long>(tt_entries * TT_BYTES_PER_ENTRY / 1024), static_cast<unsigned long long>(tt_entries));
    const std::string book = load_first_book();
    if (!book.empty()) {
        struct stat st;
        const long long size = ::stat(book.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
        out("Book size: %5d Kbytes -> %6d positions\n", static_cast<int>(size / 1024), book_count);
    }
    out("\n");
}

void start_engine() {
    print_startup();
    new_game();
    generate_root_moves();
}

void set_search_limits() {
    limits.max_depth = settings.max_depth;
    limits.move_time = settings.move_time;
    limits.post_thinking = settings.post_thinking;
    limits.use_book = settings.use_book;
    limits.engine_side = settings.computer_side;
    limits.may_resign = !settings.uci_mode;  // a UCI engine never resigns
}

// Whether the side not to move has nothing but its king: a strength level
// then plays at full strength, so that it finishes a won game instead of
// wandering until the fifty-move rule.
bool opponent_has_bare_king() {
    const uint8_t them = pos.side ^ 1;
    for (int sq = 0; sq < 144; ++sq)
        if (pos.color[sq] == them && pos.board[sq] != KING) return false;
    return true;
}

// A strength level (options.elo) bounds the depth, adds its evaluation
// noise and searches with one thread; returns the thread count to restore.
int32_t apply_strength_level() {
    const StrengthLevel level =
        options.elo > 0 && !strength_suspended && !opponent_has_bare_king() ? level_for_elo(options.elo) : StrengthLevel{0, 0};
    noise_amplitude = level.noise;
    // A level searches from an empty table: the table's mate scores are not
    // counted from the root, and a mate found by the last search, read back
    // after the reply at a shallow depth, ended the search before it had a
    // move that makes progress (a won game drawn by repetition).
    if (options.elo > 0 && !strength_suspended) tt_clear();
    const int32_t threads = search_threads;
    if (level.depth > 0) {
        if (level.depth < limits.max_depth) limits.max_depth = level.depth;
        search_threads = 1;
    }
    return threads;
}

int engine_think(char* text) {
    set_search_limits();
    const int32_t threads = apply_strength_level();
    const ThinkResult result = think(text);
    search_threads = threads;
    noise_amplitude = 0;
    settings.use_book = limits.use_book;
    switch (result) {
        case THINK_NO_MOVE: check_mate_or_stalemate(pos.side); return 0;
        case THINK_RESIGN: resign(); return 0;
        case THINK_BOOK:
            if (settings.uci_mode) out("info string book move\n");
            else if (settings.post_thinking) out(" 0 0 0 0 %s (book move)\n", move_text(best_move, 0));
            return 1;
        case THINK_SEARCHED: return 1;
    }
    return 0;
}

void engine_move() {
    if (pos.ply >= GAME_PLY_LIMIT) {
        out("Error (game too long): go\n");
        settings.computer_side = EMPTY;
        return;
    }
    if (!engine_think(input_line)) return;  // resigned, or no legal move (result printed)
    play_engine_move(input_line);
}

void play_engine_move(const char* text) {
    if (!make_move(best_move)) {       // never expected: think yields legal moves only
        settings.computer_side = EMPTY;
        return;
    }
    const int number = (pos.ply + 1) / 2;
    if (settings.xboard_mode) out("%d. ... %s\n", number, text);
    else if (settings.show_board) print_board();
    else out("%d.%s %s\n", number, settings.computer_side == BLACK ? " ..." : "", text);
    generate_root_moves();
    check_game_end();
}

void after_user_move() {
    if (settings.show_board && !settings.xboard_mode) print_board();
    generate_root_moves();
    check_game_end();
}

void handle_line() {
    if (settings.uci_mode) {
        uci_command(input_line);
        return;
    }
    if (input_line[0] == '\n') return;
    if (std::sscanf(input_line, "%255s", command_word) != 1) return;  // only white space
    if (looks_like_move(command_word)) {
        if (pos.ply >= GAME_PLY_LIMIT) {
            out("Error (game too long): %s\n", command_word);
            return;
        }
        if (!play_user_move(command_word)) {
            out("Illegal move: %s\n", command_word);
            return;
        }
        after_user_move();
        return;
    }
    if (!execute_command(command_word)) out("Error (unknown command): %s\n", command_word);
}

int run_engine() {
    quit_requested = false;
    while (!quit_requested) {
        if (!settings.uci_mode && pos.side == settings.computer_side) {
            engine_move();
            // Pondering: the reply is thought about while it is awaited; a
            // line that ends it without a hit is handled below as usual.
            if (ponder_after_move()) handle_line();
            continue;
        }
        if (settings.uci_mode) {
            if (!uci_next_command()) break;
            continue;
        }
        if (!read_line(input_line, LINE_SIZE)) break;
        handle_line();
    }
    return 0;
}

}  // namespace torlo
