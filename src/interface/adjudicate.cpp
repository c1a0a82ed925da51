// Game-end adjudication: mate, stalemate, fifty moves, threefold
// repetition, insufficient material; and resignation.
#include "interface/adjudicate.h"

#include "board/board.h"
#include "output/output.h"
#include "interface/settings.h"

namespace torlo {

void check_mate_or_stalemate(int side) {
    const int check = in_check(side);
    for (int i = 0; i < move_count; ++i) {
        if (make_move(root_moves[i])) {
            unmake_move();
            return;
        }
    }
    if (check) out("%s", side == WHITE ? "0-1 {Black mates}\n" : "1-0 {White mates}\n");
    else out("1/2-1/2 {Stalemate}\n");
    settings.computer_side = EMPTY;
}

int insufficient_material() {
    int minors[2] = {0, 0};
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        switch (pos.board[sq]) {
            case PAWN:
            case ROOK:
            case QUEEN: return 0;
            case KNIGHT:
            case BISHOP: ++minors[pos.color[sq]]; break;
            default: break;
        }
    }
    return minors[WHITE] <= 1 && minors[BLACK] <= 1;
}

void check_game_end() {
    check_mate_or_stalemate(pos.side);
    if (pos.fifty_counter >= 100) {
        out("1/2-1/2 {Draw by fifty move rule}\n");
        settings.computer_side = EMPTY;
    }
    if (game_repetitions() == 2) {
        out("1/2-1/2 {Draw by three fold repetition}\n");
        settings.computer_side = EMPTY;
    }
    if (insufficient_material()) {
        out("1/2-1/2 {Draw by insufficient material}\n");
        settings.computer_side = EMPTY;
    }
}

void resign() {
    out("resign\n");
    settings.computer_side = EMPTY;
}

}  // namespace torlo
