// The console views: the board with its status lines, and the move listings.
#include <cctype>

#include "board/board.h"
#include "interface/engine.h"
#include "output/output.h"

namespace torlo {

namespace {
constexpr const char* RULE = "+---+---+---+---+---+---+---+---+\n";
}

void print_board() {
    out("\n");
    for (int rank = 8; rank >= 1; --rank) {
        out("   %s", RULE);
        out("%d  ", rank);
        for (int file = 0; file < 8; ++file) {
            const int sq = square_of(file, rank);
            const char letter = piece_chars[pos.board[sq] <= EMPTY ? pos.board[sq] : int{EMPTY}];
            out("| %c ", pos.color[sq] == BLACK ? letter : std::toupper(static_cast<unsigned char>(letter)));
        }
        out("|\n");
    }
    out("   %s", RULE);
    out("\n     a   b   c   d   e   f   g   h\n\n");
    out("Castling status: %x   En-passant: %d\n", pos.castle, pos.ep);
    out("White King in: %3d   Black King in: %3d\n", pos.king_sq[WHITE], pos.king_sq[BLACK]);
    out("%s on move\n\n", pos.side == WHITE ? "White" : "Black");
}

void list_moves(int legal_only) {
    out("\n%s\n-------------------------------\n", legal_only ? "Legal Moves" : "Pseudo Moves");
    int n = 0;
    for (int i = 0; i < move_count; ++i) {
        if (legal_only) {
            if (!make_move(root_moves[i])) continue;
            unmake_move();
        }
        ++n;
        out("[%2d] %s    ", n, move_text(root_moves[i], 0));
        if (n % 5 == 0 && i != move_count - 1) out("\n");
    }
    out("\n-------------------------------\n\n");
}

}  // namespace torlo
