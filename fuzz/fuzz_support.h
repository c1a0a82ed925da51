// Shared plumbing of the fuzz targets: a private working directory, the
// engine put back into its start-up state before every input, and the
// invariant checks that turn a silent corruption into a crash libFuzzer
// reports.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "interface/game.h"
#include "interface/engine.h"
#include "interface/io.h"
#include "interface/settings.h"
#include "search/search.h"

namespace torlo::fuzz {

// The start-up values of every global the targets change, taken once before
// the first input so that each input starts from the same state.
struct StartupState {
    EngineSettings settings;
    bool use_deadline;
    uint64_t node_limit;
    void (*search_poll)();
    void (*thinking_printer)(int, int64_t);
};

inline StartupState& startup() {
    static StartupState state;
    return state;
}

inline std::FILE* null_output() {
    static std::FILE* sink = std::fopen("/dev/null", "w");
    return sink;
}

// Relative paths on the command line (corpus directories, inputs to run)
// are made absolute, and artifacts go to the starting directory unless
// -artifact_prefix says otherwise: the process is about to leave it.
inline void absolute_arguments(int* argc, char*** argv) {
    static std::vector<std::string> args;
    static std::vector<char*> pointers;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) std::abort();
    bool has_prefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        if (i > 0 && !arg.empty() && arg[0] != '-' && arg[0] != '/') arg = std::string(cwd) + "/" + arg;
        has_prefix = has_prefix || arg.rfind("-artifact_prefix=", 0) == 0;
        args.push_back(arg);
    }
    if (!has_prefix) args.push_back(std::string("-artifact_prefix=") + cwd + "/");
    for (std::string& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(args.size());
    *argv = pointers.data();
}

// Moves the process into a fresh temporary directory (files written by the
// targets and read by loadpos live there) and records the start-up state.
inline void initialize(int* argc, char*** argv) {
    absolute_arguments(argc, argv);
    static char dir[] = "/tmp/torlo-fuzz-XXXXXX";
    if (!::mkdtemp(dir) || ::chdir(dir) != 0) std::abort();
    StartupState& s = startup();
    s.settings = settings;
    s.use_deadline = use_deadline;
    s.node_limit = node_limit;
    s.search_poll = search_poll;
    s.thinking_printer = thinking_printer;
    set_output(null_output());
}

// The state the program has right after start-up: settings, new game, root moves.
inline void reset_engine() {
    const StartupState& s = startup();
    settings = s.settings;
    use_deadline = s.use_deadline;
    node_limit = s.node_limit;
    search_poll = s.search_poll;
    thinking_printer = s.thinking_printer;
    stop_requested = false;
    quit_requested = false;
    set_output(null_output());
    new_game();
    generate_root_moves();
}

inline void write_file(const char* name, const char* data, size_t size) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// A corrupted engine state is a finding: stop here, with a stack trace.
#define TORLO_FUZZ_CHECK(cond)                                                  \
    do {                                                                        \
        if (!(cond)) {                                                          \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            __builtin_trap();                                                   \
        }                                                                       \
    } while (0)

// The position on standard error, for the report of a failed check.
inline void dump_position() {
    for (int rank = 8; rank >= 1; --rank) {
        std::fprintf(stderr, "%d ", rank);
        for (int file = 0; file < 8; ++file) {
            const int sq = square_of(file, rank);
            const int b = pos.board[sq], c = pos.color[sq];
            const char letter = b <= KING ? piece_chars[b] : b == EMPTY ? '.' : '?';
            std::fprintf(stderr, "%c", c == WHITE ? letter - ('a' - 'A') * (b <= KING) : c == BLACK || c == EMPTY ? letter : '?');
        }
        std::fprintf(stderr, "\n");
    }
    for (int sq = 0; sq < BOARD_SIZE; ++sq) {
        const bool playing = sq >= FIRST_SQUARE && sq <= LAST_SQUARE && file_of(sq) < 8;
        const int b = pos.board[sq], c = pos.color[sq];
        const bool ok = playing ? (b == EMPTY) == (c == EMPTY) && (b == EMPTY || (b <= KING && c <= BLACK))
                                : b == OFFBOARD && c == OFFBOARD;
        if (!ok) std::fprintf(stderr, "square %d: board %d colour %d\n", sq, b, c);
    }
    std::fprintf(stderr, "side %d castle %d ep %d king_sq %d %d ply %d setup_ply %d fifty %d key %s\n", pos.side,
                 pos.castle, pos.ep, pos.king_sq[0], pos.king_sq[1], pos.ply, setup_ply, pos.fifty_counter,
                 pos.hash_key == compute_hash() ? "ok" : "WRONG");
}

// The position is consistent (both arrays agree, king squares, key), the
// history index is inside the history, and the latest setup is not ahead of
// the game.
inline void check_position() {
    if (!position_is_ok()) dump_position();
    TORLO_FUZZ_CHECK(position_is_ok());
    TORLO_FUZZ_CHECK(pos.ply >= 0 && pos.ply < HISTORY_SIZE);
    TORLO_FUZZ_CHECK(setup_ply >= 0 && setup_ply <= pos.ply);
    TORLO_FUZZ_CHECK(move_count >= 0 && move_count <= MAX_MOVES);
}

inline int king_count(int colour) {
    int n = 0;
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq)
        if (pos.board[sq] == KING && pos.color[sq] == colour) ++n;
    return n;
}

// A colour with two kings or more: king_sq names one of them, and a move
// that captures that one leaves king_sq on the capturer until the next king
// move resets it; everything else must still be consistent, and king_sq
// must come back with the take-back.
inline bool consistent_except_king_squares() { return position_fields_ok(); }

// Field-by-field equality (the struct has padding bytes, so no memcmp).
inline bool same_position(const Position& a, const Position& b) {
    return std::memcmp(a.board, b.board, sizeof a.board) == 0 && std::memcmp(a.color, b.color, sizeof a.color) == 0 &&
           a.side == b.side && a.castle == b.castle && a.ep == b.ep && a.hash_key == b.hash_key &&
           a.king_sq[0] == b.king_sq[0] && a.king_sq[1] == b.king_sq[1] && a.fifty_counter == b.fifty_counter &&
           a.piece_material[0] == b.piece_material[0] && a.piece_material[1] == b.piece_material[1] &&
           a.ply == b.ply;
}

inline bool same_move(const Move& a, const Move& b) { return a.from == b.from && a.to == b.to && a.type == b.type; }

}  // namespace torlo::fuzz
