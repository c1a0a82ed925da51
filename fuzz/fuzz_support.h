// Fuzz targets' plumbing: a private folder, the start-up state, invariant checks that trap.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "interface/engine.h"
#include "interface/game.h"
#include "interface/io.h"
#include "interface/settings.h"
#include "search/search.h"

namespace torlo::fuzz {

#define TORLO_FUZZ_CHECK(cond)                                                                                 \
    ((cond) ? void(0)                                                                                          \
            : (std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__), __builtin_trap()))

inline std::FILE* null_output() {
    static std::FILE* sink = std::fopen("/dev/null", "w");
    return sink;
}

// The start-up values of every global the targets change.
struct Startup {
    EngineSettings settings = torlo::settings;
    bool use_deadline = torlo::use_deadline;
    uint64_t node_limit = torlo::node_limit;
    void (*search_poll)() = torlo::search_poll;
    void (*thinking_printer)(int, int64_t) = torlo::thinking_printer;
};
inline const Startup& startup() {
    static const Startup state;  // first asked for by initialize()
    return state;
}

// Into a fresh temporary folder; relative paths in the arguments made absolute, artifacts by default
// into the starting folder.
inline void initialize(int* argc, char*** argv) {
    static std::vector<std::string> args;
    static std::vector<char*> pointers;
    char buf[4096];
    const std::string cwd = std::string(::getcwd(buf, sizeof buf) ? buf : "") + "/";
    bool prefix = false;
    for (int i = 0; i < *argc; ++i) {
        const std::string arg = (*argv)[i];
        prefix |= arg.rfind("-artifact_prefix=", 0) == 0;
        args.push_back(i > 0 && !arg.empty() && arg[0] != '-' && arg[0] != '/' ? cwd + arg : arg);
    }
    if (!prefix) args.push_back("-artifact_prefix=" + cwd);
    for (std::string& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(args.size());
    *argv = pointers.data();
    static char dir[] = "/tmp/torlo-fuzz-XXXXXX";
    if (!::mkdtemp(dir) || ::chdir(dir) != 0) std::abort();
    startup();
    set_output(null_output());
}

inline void reset_engine() {
    const Startup& startup = fuzz::startup();
    settings = startup.settings;
    use_deadline = startup.use_deadline;
    node_limit = startup.node_limit;
    search_poll = startup.search_poll;
    thinking_printer = startup.thinking_printer;
    stop_requested = quit_requested = false;
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

// A consistent position (arrays, king squares, key), history and setup indices in range.
inline void check_position() {
    TORLO_FUZZ_CHECK(position_is_ok());
    TORLO_FUZZ_CHECK(pos.ply >= 0 && pos.ply < HISTORY_SIZE);
    TORLO_FUZZ_CHECK(setup_ply >= 0 && setup_ply <= pos.ply);
    TORLO_FUZZ_CHECK(move_count >= 0 && move_count <= MAX_MOVES);
}

inline bool same_position(const Position& a, const Position& b) {
    return std::memcmp(a.board, b.board, sizeof a.board) == 0 && std::memcmp(a.color, b.color, sizeof a.color) == 0 &&
           a.side == b.side && a.castle == b.castle && a.ep == b.ep && a.hash_key == b.hash_key &&
           a.king_sq[0] == b.king_sq[0] && a.king_sq[1] == b.king_sq[1] && a.fifty_counter == b.fifty_counter &&
           a.piece_material[0] == b.piece_material[0] && a.piece_material[1] == b.piece_material[1] && a.ply == b.ply;
}

inline bool same_move(const Move& a, const Move& b) { return a.from == b.from && a.to == b.to && a.type == b.type; }

}  // namespace torlo::fuzz
