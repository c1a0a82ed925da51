// Fuzz target: arbitrary bytes as a whole session of input lines, run
// through the engine's own line handling and engine turns as the main loop
// runs them, with the searches kept short. After every line and engine move
// the position must be consistent and the root move list current.
// `loadpos` finds pos.epd (fixed lines: CR LF, blank, over-long), head.epd
// and tail.epd (the input's first and last 1024 bytes) and dir.epd (a
// directory: opens, every read fails); the book TORLO.opn (real and
// malformed lines) is loaded once, as at start-up.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "book/book.h"
#include "fuzz_support.h"

namespace {

using namespace torlo;

constexpr int SHORT_DEPTH = 3;        // deepest search the target allows
constexpr uint64_t NODE_CAP = 20000;  // a search past this many nodes is stopped
constexpr int PERFT_CAP = 2;
constexpr int ENGINE_TURNS_PER_LINE = 8;
// Bounds on one input's work: lines handled, and searches (engine turns,
// and lines that may search: hint, go, perft).
constexpr int MAX_LINES = 500, MAX_SEARCHES = 40;

constexpr const char* POSITION_FILE =
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n"
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\r\n"
    "\n"
    "   \t \n"
    "7k/5Q2/6K1/8/8/8/8/8 b - -\n"
    "k7/2Q5/1K6/8/8/8/8/8 b - -\n"
    "8/P6k/8/8/8/8/6Kp/8 w - - 0 70\n"
    "rnbqkbnr/pppp1ppp/8/4pP2/8/8/PPPPP1PP/RNBQKBNR w KQkq e6\n"
    "junk that is not a position at all\n"
    "8/8/8/8/8/8/8/8 w KQkq e3\n"
    "QQQQQQQQQ/99999999/KKKKkkkk/pppppppp/PPPPPPPP w KQkq h6\n"
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - "
    "%s\n"  // 303 x: an over-long line
    "4k3/8/8/8/8/8/8/4K3 w - -";  // last line without a line end

constexpr const char* BOOK =
    "e2e4e7e5g1f3b8c6f1b5a7a6\n"
    "e2e4c7c5g1f3d7d6d2d4c5d4\n"
    "d2d4d7d5c2c4e7e6b1c3g8f6\r\n"
    "c2c4e7e5\n"
    "e2e4e7e5e1e2\n"         // a king walk: legal, odd
    "e2e5\n"                 // illegal
    "z9z9e7e5\n"             // not squares
    "e2e4e7e5g1f3b8c6f1c4f8c5b2b4c5b4c2c3b4a5d2d4e5d4e1g1d4c3d1b3d8f6e4e5f6g6b1c3g8e7c1a3e8g8\n"
    "\n"
    "g1f3";                  // no line end: not counted

void (*inner_poll)() = nullptr;

// TORLO_FUZZ_TRACE=1: every line and engine turn on standard error.
bool trace = false;

// Searches end after NODE_CAP nodes whatever their own limits say (a
// protocol's "search forever" included); the protocol's own poll still runs.
void bounded_poll() {
    if (inner_poll) inner_poll();
    if (nodes >= NODE_CAP) stop_search();
}

// Keeps the next search short: depth at most SHORT_DEPTH, no thinking time.
void keep_search_short() {
    if (settings.max_depth > SHORT_DEPTH) settings.max_depth = SHORT_DEPTH;
    settings.move_time = 0;
    if (search_poll != bounded_poll) {
        inner_poll = search_poll;
        search_poll = bounded_poll;
    }
}

// perft is kept small and bench (built-in positions) left out: false for a
// line to leave out. Counts the lines that may search.
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
    std::string positions = POSITION_FILE;
    positions.replace(positions.find("%s"), 2, std::string(303, 'x'));
    fuzz::write_file("pos.epd", positions.data(), positions.size());
    fuzz::write_file(BOOK_FILE, BOOK, std::strlen(BOOK));
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
        // The engine's turns, as many as it keeps the move.
        for (int turns = 0; pos.side == settings.computer_side && !quit_requested; ++turns, ++searches) {
            // Every engine turn plays a move or hands the move back (else the loop spins).
            TORLO_FUZZ_CHECK(turns < ENGINE_TURNS_PER_LINE);
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
