// Fuzz target: arbitrary bytes as the book file. Loading never writes
// outside the book storage and counts at most 4999 lines; probing it game
// after game only ever yields legal moves of the position.
#include <cstdint>

#include "book/book.h"
#include "fuzz_support.h"

namespace {

using namespace torlo;

constexpr int PLIES = 24;  // past the book's reach of 19 plies

std::time_t fixed_clock() { return 12345; }

// The root move with these squares and type that make_move accepts.
bool is_legal_root_move(const Move& m) {
    for (int i = 0; i < move_count; ++i) {
        if (!fuzz::same_move(root_moves[i], m)) continue;
        if (!make_move(root_moves[i])) return false;
        unmake_move();
        return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initialize(argc, argv);
    book_clock = fixed_clock;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::write_file("book.opn", reinterpret_cast<const char*>(data), size);
    book_count = -1;
    TORLO_FUZZ_CHECK(load_book_file("book.opn") == 1);
    TORLO_FUZZ_CHECK(book_count >= 0 && book_count < BOOK_SLOTS);

    fuzz::reset_engine();
    for (int ply = 0; ply < PLIES; ++ply) {
        Move choice;
        const int found = book_probe(pos.side, &choice);  // the engine is to move, as when it probes
        fuzz::check_position();
        if (found == 0) break;
        TORLO_FUZZ_CHECK(found > 0 && found <= book_count);
        TORLO_FUZZ_CHECK(is_legal_root_move(choice));
        TORLO_FUZZ_CHECK(make_move(choice) == 1);
        generate_root_moves();
        fuzz::check_position();
    }
    return 0;
}
