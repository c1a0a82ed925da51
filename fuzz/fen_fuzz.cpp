// Fuzz target: arbitrary text to the FEN setup. The resulting position must
// be consistent, and every generated move, legal or not, must be taken back
// exactly: make_move refusing a move leaves the position as it was, and
// make_move followed by unmake_move restores it, two plies deep.
#include <cstdint>
#include <string>

#include "fuzz_support.h"

namespace {

using namespace torlo;
using fuzz::consistent_except_king_squares;

// Some colour has two kings or more (see consistent_except_king_squares).
bool many_kings = false;

// After a make: consistent, king squares included unless a colour has
// several kings.
void check_after_make() {
    if (many_kings) TORLO_FUZZ_CHECK(consistent_except_king_squares());
    else fuzz::check_position();
}

// The position is back as it was before a move: exactly, except that with
// several kings of a colour king_sq may name another of them.
void check_restored(const Position& before) {
    if (!many_kings) {
        TORLO_FUZZ_CHECK(fuzz::same_position(before, pos));
        return;
    }
    Position restored = pos;
    restored.king_sq[0] = before.king_sq[0];
    restored.king_sq[1] = before.king_sq[1];
    TORLO_FUZZ_CHECK(fuzz::same_position(before, restored));
    TORLO_FUZZ_CHECK(consistent_except_king_squares());
}

// Plays every move of the list and its replies down to `depth` plies,
// checking the position after each make and after each take-back.
void walk(int depth) {
    Move list[MAX_MOVES];
    const int n = generate_moves(list, 0);
    TORLO_FUZZ_CHECK(n >= 0 && n <= MAX_MOVES);
    for (int i = 0; i < n; ++i) {
        const Position before = pos;
        TORLO_FUZZ_CHECK(list[i].from >= FIRST_SQUARE && list[i].from <= LAST_SQUARE);
        TORLO_FUZZ_CHECK(list[i].to >= FIRST_SQUARE && list[i].to <= LAST_SQUARE);
        if (!make_move(list[i])) {
            check_restored(before);
            continue;
        }
        check_after_make();
        TORLO_FUZZ_CHECK(pos.ply == before.ply + 1);
        TORLO_FUZZ_CHECK(pos.side == (before.side ^ 1));
        if (depth > 1) walk(depth - 1);
        unmake_move();
        check_restored(before);
    }
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
    if (!setup_fen(text.c_str())) {
        // No placement word: nothing changes.
        TORLO_FUZZ_CHECK(fuzz::same_position(before, pos));
        return 0;
    }
    fuzz::check_position();
    many_kings = fuzz::king_count(WHITE) > 1 || fuzz::king_count(BLACK) > 1;
    TORLO_FUZZ_CHECK(pos.ply == before.ply && pos.fifty_counter == before.fifty_counter);
    TORLO_FUZZ_CHECK(settings.use_book == 0);
    // A right is kept only with its king and rook at home.
    if (pos.castle & WHITE_KING_SIDE) TORLO_FUZZ_CHECK(pos.board[E1] == KING && pos.board[H1] == ROOK);
    if (pos.castle & WHITE_QUEEN_SIDE) TORLO_FUZZ_CHECK(pos.board[E1] == KING && pos.board[A1] == ROOK);
    if (pos.castle & BLACK_KING_SIDE) TORLO_FUZZ_CHECK(pos.board[E8] == KING && pos.board[H8] == ROOK);
    if (pos.castle & BLACK_QUEEN_SIDE) TORLO_FUZZ_CHECK(pos.board[E8] == KING && pos.board[A8] == ROOK);
    // An en-passant square is empty, behind an enemy pawn that just moved two squares.
    if (pos.ep) {
        TORLO_FUZZ_CHECK(pos.board[pos.ep] == EMPTY);
        const int pawn = pos.side == WHITE ? pos.ep + 12 : pos.ep - 12;
        TORLO_FUZZ_CHECK(pos.board[pawn] == PAWN && pos.color[pawn] == (pos.side ^ 1));
    }
    walk(2);
    fuzz::check_position();
    return 0;
}
