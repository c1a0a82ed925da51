// Fuzz target: bytes as the book file. Loading stays in the book storage (at most 4999
// lines); probes only ever yield legal moves of the position.
#include <cstdint>

#include "book/book.h"
#include "fuzz_support.h"

using namespace torlo;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initialize(argc, argv);
    book_clock = [] { return std::time_t{12345}; };
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::write_file("book.opn", reinterpret_cast<const char*>(data), size);
    book_count = -1;
    TORLO_FUZZ_CHECK(load_book_file("book.opn") == 1);
    TORLO_FUZZ_CHECK(book_count >= 0 && book_count < BOOK_SLOTS);
    fuzz::reset_engine();
    for (int ply = 0; ply < 24; ++ply) {  // past the book's reach of 19 plies
        Move choice;
        const int found = book_probe(pos.side, &choice);  // the engine is to move, as when it probes
        fuzz::check_position();
        if (found == 0) break;
        TORLO_FUZZ_CHECK(found > 0 && found <= book_count);
        int i = 0;
        while (i < move_count && !fuzz::same_move(root_moves[i], choice)) ++i;
        TORLO_FUZZ_CHECK(i < move_count && make_move(root_moves[i]) == 1);
        generate_root_moves();
        fuzz::check_position();
    }
    return 0;
}
