// Fuzz target: text to the FEN setup; a consistent position, every move taken back exactly, 2 plies.
#include <cstdint>
#include <string>

#include "fuzz_support.h"

namespace {

using namespace torlo;

// Two kings of a colour: king_sq may name a captured one; all else consistent, restored on take-back.
bool many_kings = false;

void check_after_make() {
    if (many_kings) TORLO_FUZZ_CHECK(position_fields_ok());
    else fuzz::check_position();
}

void check_restored(const Position& before) {
    Position restored = pos;
    if (many_kings) {
        restored.king_sq[0] = before.king_sq[0];
        restored.king_sq[1] = before.king_sq[1];
        TORLO_FUZZ_CHECK(position_fields_ok());
    }
    TORLO_FUZZ_CHECK(fuzz::same_position(before, restored));
}

void walk(int depth) {
    Move list[MAX_MOVES];
    const int n = generate_moves(list, 0);
    TORLO_FUZZ_CHECK(n >= 0 && n <= MAX_MOVES);
    for (int i = 0; i < n; ++i) {
        const Position before = pos;
        TORLO_FUZZ_CHECK(list[i].from >= FIRST_SQUARE && list[i].from <= LAST_SQUARE);
        TORLO_FUZZ_CHECK(list[i].to >= FIRST_SQUARE && list[i].to <= LAST_SQUARE);
        if (make_move(list[i])) {
            check_after_make();
            TORLO_FUZZ_CHECK(pos.ply == before.ply + 1 && pos.side == (before.side ^ 1));
            if (depth > 1) walk(depth - 1);
            unmake_move();
        }
        check_restored(before);
    }
}

int king_count(int colour) {
    int n = 0;
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) n += pos.board[sq] == KING && pos.color[sq] == colour;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated copy
    fuzz::reset_engine();
    const Position before = pos;
    if (!setup_fen(text.c_str())) {  // no placement word: nothing changes
        TORLO_FUZZ_CHECK(fuzz::same_position(before, pos));
        return 0;
    }
    fuzz::check_position();
    many_kings = king_count(WHITE) > 1 || king_count(BLACK) > 1;
    TORLO_FUZZ_CHECK(pos.ply == before.ply && pos.fifty_counter == before.fifty_counter && settings.use_book == 0);
    // A right kept only with its king and rook at home; an en-passant square empty, behind an
    // enemy pawn that just moved two squares.
    const struct { int right, king, rook; } homes[] = {{WHITE_KING_SIDE, E1, H1}, {WHITE_QUEEN_SIDE, E1, A1},
                                                       {BLACK_KING_SIDE, E8, H8}, {BLACK_QUEEN_SIDE, E8, A8}};
    for (const auto& h : homes)
        if (pos.castle & h.right) TORLO_FUZZ_CHECK(pos.board[h.king] == KING && pos.board[h.rook] == ROOK);
    if (pos.ep) {
        const int pawn = pos.side == WHITE ? pos.ep + 12 : pos.ep - 12;
        TORLO_FUZZ_CHECK(pos.board[pos.ep] == EMPTY && pos.board[pawn] == PAWN && pos.color[pawn] == (pos.side ^ 1));
    }
    walk(2);
    fuzz::check_position();
    return 0;
}
