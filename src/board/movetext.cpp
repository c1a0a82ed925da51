// Moves as coordinate text, the move-shape test, and playing a typed move.
#include <cstring>

#include "board/board.h"

namespace torlo {
inline namespace TORLO_COPY {

namespace {

inline char file_letter(int sq) { return static_cast<char>('a' + file_of(sq)); }
inline int rank_digit(int sq) { return rank_of(sq); }

}  // namespace

uint16_t move_code(Move move) { return static_cast<uint16_t>(sq64[move.from] * 256 + sq64[move.to]); }

const char* square_text(int sq) {
    static char text[3];
    text[0] = file_letter(sq);
    text[1] = static_cast<char>('0' + rank_digit(sq));
    text[2] = 0;
    return text;
}

const char* move_text(Move move, int long_form) {
    static char text[8];
    if (move.type == CASTLING) {
        std::strcpy(text, move.to > move.from ? "O-O" : "O-O-O");
        return text;
    }
    const bool capture = move.type == CAPTURE || move.type == PAWN_CAPTURE || move.type == EN_PASSANT;
    char* p = text;
    *p++ = file_letter(move.from);
    *p++ = static_cast<char>('0' + rank_digit(move.from));
    if (long_form && capture) *p++ = 'x';
    *p++ = file_letter(move.to);
    *p++ = static_cast<char>('0' + rank_digit(move.to));
    if (long_form && move.type == EN_PASSANT) {
        *p++ = 'e';
        *p++ = 'p';
    }
    if (move.type > 10) *p++ = piece_chars[move.type - 10];  // a promotion is never a long-form capture
    *p = 0;
    return text;
}

const char* move_uci(Move move) {
    static char text[6];
    text[0] = file_letter(move.from);
    text[1] = static_cast<char>('0' + rank_digit(move.from));
    text[2] = file_letter(move.to);
    text[3] = static_cast<char>('0' + rank_digit(move.to));
    text[4] = move.type > 10 ? piece_chars[move.type - 10] : '\0';
    text[5] = 0;
    return text;
}

int looks_like_move(const char* t) {
    return t[0] >= 'a' && t[0] <= 'h' && t[1] >= '1' && t[1] <= '8' && t[2] >= 'a' && t[2] <= 'h' && t[3] >= '1' &&
           t[3] <= '8';
}

int find_user_move(const char* text, Move* found) {
    const int from = square_from_text(text), to = square_from_text(text + 2);
    int promotion = 0;
    switch (text[4]) {
        case 'n': promotion = PROMOTE_KNIGHT; break;
        case 'b': promotion = PROMOTE_BISHOP; break;
        case 'r': promotion = PROMOTE_ROOK; break;
        case 'q': promotion = PROMOTE_QUEEN; break;
        default: break;
    }
    for (int i = 0; i < move_count; ++i) {
        // A copy: the promotion letter must not change the list.
        Move m = root_moves[i];
        if (m.from != from || m.to != to) continue;
        if (m.type > 10 && promotion) m.type = static_cast<int8_t>(promotion);
        if (make_move(m)) {
            unmake_move();
            *found = m;
            return 1;
        }
    }
    return 0;
}

int play_user_move(const char* text) {
    Move m;
    return find_user_move(text, &m) && make_move(m);
}

}  // namespace TORLO_COPY
}  // namespace torlo
