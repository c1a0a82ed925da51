// Fuzz target: bytes as a session of input lines, handled as the main loop does, searches kept
// short; after every line and engine move a consistent position and current root moves. Files
// for loadpos: session_files/pos.epd, head.epd and tail.epd (the input's ends), dir.epd (a folder).
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "book/book.h"
#include "fuzz_support.h"

namespace {

using namespace torlo;

constexpr int SHORT_DEPTH = 3, PERFT_CAP = 2, ENGINE_TURNS_PER_LINE = 8;
constexpr uint64_t NODE_CAP = 20000;  // a search past this many nodes is stopped
constexpr int MAX_LINES = 500, MAX_SEARCHES = 40;  // an input's lines; engine turns, hint, go, perft

void (*inner_poll)() = nullptr;

bool trace = false;  // TORLO_FUZZ_TRACE=1: every line and engine turn on standard error

void bounded_poll() {
    if (inner_poll) inner_poll();
    if (nodes >= NODE_CAP) stop_search();
}

void keep_search_short() {
    if (settings.max_depth > SHORT_DEPTH) settings.max_depth = SHORT_DEPTH;
    settings.move_time = 0;
    if (search_poll != bounded_poll) {
        inner_poll = search_poll;
        search_poll = bounded_poll;
    }
}

// perft kept small, bench left out (false); counts the lines that may search.
bool tame_slow_commands(int* searches) {
    char word[LINE_SIZE];
    if (std::sscanf(input_line, "%255s", word) != 1) return true;
    if (std::strcmp(word, "bench") == 0) return false;
    int depth;
    if (std::strcmp(word, "perft") == 0 && scan_int(input_line, "perft", &depth) && depth > PERFT_CAP)
        std::snprintf(input_line, LINE_SIZE, "perft %d\n", PERFT_CAP);
    if (std::strcmp(word, "hint") == 0 || std::strcmp(word, "go") == 0 || std::strcmp(word, "perft") == 0)
        ++*searches;
    return true;
}

// A consistent position, and root_moves the list generate_moves gives for it now.
void check_all() {
    fuzz::check_position();
    static Move fresh[MAX_MOVES];
    const int n = generate_moves(fresh, 0);
    TORLO_FUZZ_CHECK(n == move_count);
    for (int i = 0; i < n; ++i) TORLO_FUZZ_CHECK(fuzz::same_move(fresh[i], root_moves[i]));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initialize(argc, argv);
    for (const char* name : {"pos.epd", BOOK_FILE})
        std::filesystem::copy_file(std::string(TORLO_FUZZ_FILES "/") + name, name);
    ::mkdir("dir.epd", 0700);
    trace = std::getenv("TORLO_FUZZ_TRACE") != nullptr;
    load_book();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const size_t part = std::min<size_t>(size, 1024);
    fuzz::write_file("head.epd", text, part);
    fuzz::write_file("tail.epd", text + size - part, part);

    fuzz::reset_engine();
    inner_poll = nullptr;
    set_input_buffer(text, size);
    check_all();

    int lines = 0, searches = 0;
    while (!quit_requested && lines < MAX_LINES && searches < MAX_SEARCHES) {
        for (int turns = 0; pos.side == settings.computer_side && !quit_requested; ++turns, ++searches) {
            TORLO_FUZZ_CHECK(turns < ENGINE_TURNS_PER_LINE);  // each turn moves or hands the move back
            keep_search_short();
            const int32_t ply_before = pos.ply;
            if (trace) std::fprintf(stderr, "[engine to move, ply %d]\n", pos.ply);
            engine_move();
            check_all();
            TORLO_FUZZ_CHECK(pos.ply != ply_before || pos.side != settings.computer_side);
        }
        if (quit_requested || !read_line(input_line, LINE_SIZE)) break;
        ++lines;
        if (!tame_slow_commands(&searches)) continue;
        keep_search_short();
        if (trace) std::fprintf(stderr, "> %s%s", input_line, std::strchr(input_line, '\n') ? "" : "\n");
        handle_line();
        check_all();
    }
    return 0;
}
