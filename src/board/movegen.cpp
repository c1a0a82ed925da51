// Pseudo-legal move generation in a fixed order (squares a8 .. h1, then en
// passant, then castling), each move scored for ordering as it is written.
#include "board/board.h"
#include "eval/eval.h"

namespace torlo {

int32_t history_score[BOARD_SIZE][BOARD_SIZE];
Move killer1[MAX_PLY], killer2[MAX_PLY], killer3[MAX_PLY];
int32_t root_ply = 0;
Move root_moves[MAX_MOVES];
int move_count = 0;

namespace {

// Ordering context of one generate_moves call: the killers of the search ply.
struct Writer {
    Move* list;
    int count;
    const Move* k1;
    const Move* k2;
    const Move* k3;
};

inline bool same_squares(const Move* k, int from, int to) { return k && k->from == from && k->to == to; }

inline void write_move(Writer& w, int from, int to, int type) {
    if (w.count >= MAX_MOVES) return;  // never past the list's capacity
    int score;
    if (type > 10) {
        score = piece_value[type - 10] + 10000;
    } else {
        score = history_score[from][to];
        if (pos.board[to] != EMPTY) score = piece_value[pos.board[to]] - piece_value[pos.board[from]] + 10000;
        // History scores wrap at 32 bits, so the bonus is added with wrapping too.
        if (same_squares(w.k1, from, to)) score = wrapping_add(score, 1000);
        else if (same_squares(w.k2, from, to)) score = wrapping_add(score, 500);
        else if (same_squares(w.k3, from, to)) score = wrapping_add(score, 250);
    }
    Move& m = w.list[w.count++];
    m.from = static_cast<uint8_t>(from);
    m.to = static_cast<uint8_t>(to);
    m.type = static_cast<int8_t>(type);
    m.score = score;
}

// A pawn move to the last rank becomes queen, rook, knight and bishop promotions.
inline void add_move(Writer& w, int from, int to, int type) {
    if ((type == PAWN_PUSH || type == PAWN_CAPTURE) && (to < 34 || to > 109)) {
        write_move(w, from, to, PROMOTE_QUEEN);
        write_move(w, from, to, PROMOTE_ROOK);
        write_move(w, from, to, PROMOTE_KNIGHT);
        write_move(w, from, to, PROMOTE_BISHOP);
        return;
    }
    write_move(w, from, to, type);
}

void white_pawn_moves(Writer& w, int s, int captures_only) {
    const uint8_t* board = pos.board;
    const uint8_t* color = pos.color;
    if (!captures_only) {
        if (s >= 98 && board[s - 24] == EMPTY && board[s - 12] == EMPTY) add_move(w, s, s - 24, DOUBLE_PUSH);
        if (board[s - 12] == EMPTY) add_move(w, s, s - 12, PAWN_PUSH);
    }
    if (file_of(s) != 7 && color[s - 11] == BLACK) add_move(w, s, s - 11, PAWN_CAPTURE);
    if (file_of(s) != 0 && color[s - 13] == BLACK) add_move(w, s, s - 13, PAWN_CAPTURE);
}

void black_pawn_moves(Writer& w, int s, int captures_only) {
    const uint8_t* board = pos.board;
    const uint8_t* color = pos.color;
    if (!captures_only) {
        if (s < 46 && board[s + 24] == EMPTY && board[s + 12] == EMPTY) add_move(w, s, s + 24, DOUBLE_PUSH);
        if (board[s + 12] == EMPTY) add_move(w, s, s + 12, PAWN_PUSH);
    }
    if (file_of(s) != 0 && color[s + 11] == WHITE) add_move(w, s, s + 11, PAWN_CAPTURE);
    if (file_of(s) != 7 && color[s + 13] == WHITE) add_move(w, s, s + 13, PAWN_CAPTURE);
}

void piece_moves(Writer& w, int s, int piece, int captures_only) {
    const uint8_t* color = pos.color;
    const int us = pos.side;
    const PieceMoves& pm = piece_offsets[piece];
    for (int i = 0; i < pm.count; ++i) {
        const int d = pm.offsets[i];
        for (int t = s + d;; t += d) {
            const int c = color[t];
            if (c == OFFBOARD || c == us) break;
            if (c != EMPTY) {
                add_move(w, s, t, CAPTURE);
                break;
            }
            if (!captures_only) add_move(w, s, t, QUIET);
            if (!pm.slides) break;
        }
    }
}

inline bool holds(int sq, int colour, int piece) { return pos.board[sq] == piece && pos.color[sq] == colour; }

void en_passant_moves(Writer& w) {
    const int ep = pos.ep;
    const int f = file_of(ep);
    if (pos.side == WHITE) {
        if (f != 7 && holds(ep + 13, WHITE, PAWN)) add_move(w, ep + 13, ep, EN_PASSANT);
        if (f != 0 && holds(ep + 11, WHITE, PAWN)) add_move(w, ep + 11, ep, EN_PASSANT);
    } else {
        if (f != 0 && holds(ep - 13, BLACK, PAWN)) add_move(w, ep - 13, ep, EN_PASSANT);
        if (f != 7 && holds(ep - 11, BLACK, PAWN)) add_move(w, ep - 11, ep, EN_PASSANT);
    }
}

void castling_moves(Writer& w) {
    if (pos.side == WHITE) {
        if ((pos.castle & WHITE_KING_SIDE) && path_empty(F1, G1, 1)) add_move(w, E1, G1, CASTLING);
        if ((pos.castle & WHITE_QUEEN_SIDE) && path_empty(B1, D1, 1)) add_move(w, E1, C1, CASTLING);
    } else {
        if ((pos.castle & BLACK_KING_SIDE) && path_empty(F8, G8, 1)) add_move(w, E8, G8, CASTLING);
        if ((pos.castle & BLACK_QUEEN_SIDE) && path_empty(27, D8, 1)) add_move(w, E8, C8, CASTLING);
    }
}

}  // namespace

int path_empty(int a, int b, int step) {
    const int lo = a < b ? a : b, hi = a < b ? b : a;
    for (int sq = lo; sq <= hi; sq += step)
        if (pos.board[sq] != EMPTY) return 0;
    return 1;
}

int generate_moves(Move* list, int captures_only) {
    Writer w{list, 0, nullptr, nullptr, nullptr};
    const int p = pos.ply - root_ply;
    if (p >= 0 && p < MAX_PLY) {
        w.k1 = &killer1[p];
        w.k2 = &killer2[p];
        w.k3 = &killer3[p];
    }
    const int us = pos.side;
    for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s) {
        if (pos.color[s] != us) continue;
        const int piece = pos.board[s];
        if (piece == PAWN) {
            if (us == WHITE) white_pawn_moves(w, s, captures_only);
            else black_pawn_moves(w, s, captures_only);
        } else {
            piece_moves(w, s, piece, captures_only);
        }
    }
    if (pos.ep) en_passant_moves(w);
    if (!captures_only) castling_moves(w);
    move_count = w.count;
    return w.count;
}

void generate_root_moves() { generate_moves(root_moves, 0); }

}  // namespace torlo
