// The edit language: words read from input until ".".
//   #        empty the board
//   c        switch the placing colour (White first)
//   x<sq>    empty a square, e.g. xe4
//   P<sq>    put a piece of the placing colour (P N B R Q K), e.g. Ke1
// Castling rights are derived from the placement when editing ends.
#include <cstring>

#include "board/board.h"
#include "interface/engine.h"
#include "interface/io.h"
#include "interface/settings.h"
#include "search/tt.h"

namespace torlo {

namespace {

// The square named by two characters, or 0.
int word_square(const char* w) {
    if (w[0] < 'a' || w[0] > 'h' || w[1] < '1' || w[1] > '8') return 0;
    return square_from_text(w);
}

uint8_t rights_from_placement() {
    uint8_t rights = 0;
    if (holds(E1, WHITE, KING)) {
        if (holds(A1, WHITE, ROOK)) rights |= WHITE_QUEEN_SIDE;
        if (holds(H1, WHITE, ROOK)) rights |= WHITE_KING_SIDE;
    }
    if (holds(E8, BLACK, KING)) {
        if (holds(A8, BLACK, ROOK)) rights |= BLACK_QUEEN_SIDE;
        if (holds(H8, BLACK, ROOK)) rights |= BLACK_KING_SIDE;
    }
    return rights;
}

}  // namespace

void edit_mode() {
    int colour = WHITE;
    char word[LINE_SIZE];
    // End of input finishes editing as "." does.
    while (read_word(word, LINE_SIZE) && word[0] != '.') {
        if (word[0] == '#') {
            clear_squares();
        } else if (word[0] == 'c') {
            colour ^= 1;
        } else if (word[0] == 'x') {
            if (const int sq = word_square(word + 1)) pos.board[sq] = pos.color[sq] = EMPTY;
        } else if (const char* at = word[0] ? std::strchr("PNBRQK", word[0]) : nullptr) {
            const int sq = word_square(word + 1);
            if (!sq) continue;
            const int piece = static_cast<int>(at - "PNBRQK");
            if (piece == KING) remove_king(colour);
            pos.board[sq] = static_cast<uint8_t>(piece);
            pos.color[sq] = static_cast<uint8_t>(colour);
            if (piece == KING) pos.king_sq[colour] = static_cast<uint8_t>(sq);
        }
    }
    settings.use_book = 0;
    pos.ep = 0;
    pos.castle = rights_from_placement();
    repair_king_squares();
    tt_clear();
    set_hash();
    setup_ply = pos.ply;
    generate_root_moves();
}

}  // namespace torlo
