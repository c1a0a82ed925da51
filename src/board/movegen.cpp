// Pseudo-legal move generation in a fixed order (squares a8 .. h1, then en
// passant, then castling), each move scored for ordering as it is written.
// The side's square set lists its pieces in that same square order, so only
// occupied squares are visited.
#include "board/board.h"
#include "eval/tables.h"

namespace torlo {
inline namespace TORLO_COPY {

constinit TORLO_THREAD_LOCAL int32_t history_score[BOARD_SIZE][BOARD_SIZE]{};
constinit TORLO_THREAD_LOCAL Move killer1[MAX_PLY]{}, killer2[MAX_PLY]{}, killer3[MAX_PLY]{};
constinit TORLO_THREAD_LOCAL int32_t root_ply = 0;
Move root_moves[MAX_MOVES];
int move_count = 0;

namespace {

// A move's two squares as one number, for the killer comparisons.
constexpr unsigned squares_key(int from, int to) { return static_cast<unsigned>(from) | static_cast<unsigned>(to) << 8; }
constexpr unsigned NO_KILLER = 0xFFFFFFFFu;  // matches no move

// Ordering context of one generate_moves call: the killers of the search ply.
struct Writer {
    Move* list;
    int count;
    unsigned k1, k2, k3;
    bool scored;  // false: every score 0 (move path counting needs no order)
};

inline int killer_bonus(const Writer& w, int from, int to) {
    const unsigned key = squares_key(from, to);
    if (key == w.k1) return 1000;
    if (key == w.k2) return 500;
    if (key == w.k3) return 250;
    return 0;
}

inline void put(Writer& w, int from, int to, int type, int score) {
    if (w.count >= MAX_MOVES) return;  // never past the list's capacity
    Move& m = w.list[w.count++];
    m.from = static_cast<uint8_t>(from);
    m.to = static_cast<uint8_t>(to);
    m.type = static_cast<int8_t>(type);
    m.score = score;
}

// A move to an empty square (pushes, quiet moves, en passant, castling):
// its history score and killer bonus. History scores wrap at 32 bits, so
// the bonus is added with wrapping too.
inline void add_quiet(Writer& w, int from, int to, int type) {
    if (!w.scored) return put(w, from, to, type, 0);
    put(w, from, to, type, wrapping_add(history_score[from][to], killer_bonus(w, from, to)));
}

// A capture on the target square: victim's value - mover's value + 10000,
// plus the killer bonus.
inline void add_capture(Writer& w, int from, int to, int type, int mover_value) {
    if (!w.scored) return put(w, from, to, type, 0);
    const int score = piece_value[pos.board[to]] - mover_value + 10000;
    put(w, from, to, type, wrapping_add(score, killer_bonus(w, from, to)));
}

// A pawn move to the last rank becomes queen, rook, knight and bishop
// promotions, scored by the new piece alone.
inline void add_promotions(Writer& w, int from, int to) {
    put(w, from, to, PROMOTE_QUEEN, piece_value[QUEEN] + 10000);
    put(w, from, to, PROMOTE_ROOK, piece_value[ROOK] + 10000);
    put(w, from, to, PROMOTE_KNIGHT, piece_value[KNIGHT] + 10000);
    put(w, from, to, PROMOTE_BISHOP, piece_value[BISHOP] + 10000);
}

inline bool last_rank(int to) { return to < 34 || to > 109; }

inline void pawn_push(Writer& w, int from, int to) {
    if (last_rank(to)) add_promotions(w, from, to);
    else add_quiet(w, from, to, PAWN_PUSH);
}

inline void pawn_capture(Writer& w, int from, int to) {
    if (last_rank(to)) add_promotions(w, from, to);
    else add_capture(w, from, to, PAWN_CAPTURE, piece_value[PAWN]);
}

template <bool CapturesOnly>
inline void white_pawn_moves(Writer& w, int s) {
    const uint8_t* board = pos.board;
    const uint8_t* color = pos.color;
    if (!CapturesOnly) {
        if (s >= 98 && board[s - 24] == EMPTY && board[s - 12] == EMPTY) add_quiet(w, s, s - 24, DOUBLE_PUSH);
        if (board[s - 12] == EMPTY) pawn_push(w, s, s - 12);
    }
    if (file_of(s) != 7 && color[s - 11] == BLACK) pawn_capture(w, s, s - 11);
    if (file_of(s) != 0 && color[s - 13] == BLACK) pawn_capture(w, s, s - 13);
}

template <bool CapturesOnly>
inline void black_pawn_moves(Writer& w, int s) {
    const uint8_t* board = pos.board;
    const uint8_t* color = pos.color;
    if (!CapturesOnly) {
        if (s < 46 && board[s + 24] == EMPTY && board[s + 12] == EMPTY) add_quiet(w, s, s + 24, DOUBLE_PUSH);
        if (board[s + 12] == EMPTY) pawn_push(w, s, s + 12);
    }
    if (file_of(s) != 0 && color[s + 11] == WHITE) pawn_capture(w, s, s + 11);
    if (file_of(s) != 7 && color[s + 13] == WHITE) pawn_capture(w, s, s + 13);
}

// Knight and king: one step per direction, in table order. The offsets of
// both tables increase, and so do the squares they reach: the step set
// visited in square order is the table order.
template <bool CapturesOnly>
inline void step_moves(Writer& w, int s, SquareSet steps, SquareSet theirs, int mover_value) {
    for (; steps; steps &= steps - 1) {
        const int t64 = first_square(steps);
        const int t = mailbox_of(t64);
        if (CapturesOnly || ((theirs >> t64) & 1)) add_capture(w, s, t, CAPTURE, mover_value);
        else add_quiet(w, s, t, QUIET);
    }
}

// Bishop, rook and queen: every empty square along each direction, then a
// capture of the first piece met if it is the opponent's.
inline void slide_moves(Writer& w, int s, const PieceMoves& pm, int them, int mover_value) {
    const uint8_t* color = pos.color;
    for (int i = 0; i < pm.count; ++i) {
        const int d = pm.offsets[i];
        int t = s + d;
        for (; color[t] == EMPTY; t += d) add_quiet(w, s, t, QUIET);
        if (color[t] == them) add_capture(w, s, t, CAPTURE, mover_value);
    }
}

// Captures only: the first occupied square of each ray, found from the sets
// (none when the ray is empty), and a capture when it holds an opponent's
// piece. One branch per ray, on the capture itself.
template <int Direction>
inline void slide_capture(Writer& w, int s, int s64, SquareSet occupied, SquareSet theirs, int mover_value) {
    const SquareSet first = first_blocker<Direction>(s64, occupied);
    if (first & theirs) add_capture(w, s, mailbox_of(first_square(first)), CAPTURE, mover_value);
}

// The directions in the order of piece_offsets: bishop -13 -11 11 13,
// rook -12 -1 1 12, queen all eight from -13 to 13.
inline void bishop_captures(Writer& w, int s, int s64, SquareSet occupied, SquareSet theirs, int mover_value) {
    slide_capture<UP_LEFT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<UP_RIGHT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<DOWN_LEFT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<DOWN_RIGHT>(w, s, s64, occupied, theirs, mover_value);
}

inline void rook_captures(Writer& w, int s, int s64, SquareSet occupied, SquareSet theirs) {
    const int mover_value = piece_value[ROOK];
    slide_capture<UP>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<LEFT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<RIGHT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<DOWN>(w, s, s64, occupied, theirs, mover_value);
}

inline void queen_captures(Writer& w, int s, int s64, SquareSet occupied, SquareSet theirs) {
    const int mover_value = piece_value[QUEEN];
    slide_capture<UP_LEFT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<UP>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<UP_RIGHT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<LEFT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<RIGHT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<DOWN_LEFT>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<DOWN>(w, s, s64, occupied, theirs, mover_value);
    slide_capture<DOWN_RIGHT>(w, s, s64, occupied, theirs, mover_value);
}

// The pieces that may capture: pawns with an opponent's piece on a square
// they attack, knights and kings with one a step away, and sliders with one
// anywhere on their lines (the rays are examined later). Every capture
// comes from one of these, so the captures-only scan visits them alone.
SquareSet capture_candidates(int us, SquareSet ours, SquareSet theirs) {
    const SquareSet* pieces = pos.pieces;
    SquareSet pawns = pieces[PAWN] & ours;
    SquareSet candidates =
        us == WHITE ? pawns & (((theirs & ~FILE_A_SQUARES) << 7) | ((theirs & ~FILE_H_SQUARES) << 9))
                    : pawns & (((theirs & ~FILE_H_SQUARES) >> 7) | ((theirs & ~FILE_A_SQUARES) >> 9));
    for (SquareSet b = pieces[KNIGHT] & ours; b; b &= b - 1)
        if (set_tables.knight[first_square(b)] & theirs) candidates |= b & -b;
    for (SquareSet b = pieces[BISHOP] & ours; b; b &= b - 1)
        if (set_tables.diagonal_lines[first_square(b)] & theirs) candidates |= b & -b;
    for (SquareSet b = pieces[ROOK] & ours; b; b &= b - 1)
        if (set_tables.straight_lines[first_square(b)] & theirs) candidates |= b & -b;
    for (SquareSet b = pieces[QUEEN] & ours; b; b &= b - 1) {
        const int sq = first_square(b);
        if ((set_tables.diagonal_lines[sq] | set_tables.straight_lines[sq]) & theirs) candidates |= b & -b;
    }
    for (SquareSet b = pieces[KING] & ours; b; b &= b - 1)
        if (set_tables.king[first_square(b)] & theirs) candidates |= b & -b;
    return candidates;
}

void en_passant_moves(Writer& w) {
    const int ep = pos.ep;
    const int f = file_of(ep);
    if (pos.side == WHITE) {
        if (f != 7 && holds(ep + 13, WHITE, PAWN)) add_quiet(w, ep + 13, ep, EN_PASSANT);
        if (f != 0 && holds(ep + 11, WHITE, PAWN)) add_quiet(w, ep + 11, ep, EN_PASSANT);
    } else {
        if (f != 0 && holds(ep - 13, BLACK, PAWN)) add_quiet(w, ep - 13, ep, EN_PASSANT);
        if (f != 7 && holds(ep - 11, BLACK, PAWN)) add_quiet(w, ep - 11, ep, EN_PASSANT);
    }
}

void castling_moves(Writer& w) {
    if (pos.side == WHITE) {
        if ((pos.castle & WHITE_KING_SIDE) && path_empty(F1, G1, 1)) add_quiet(w, E1, G1, CASTLING);
        if ((pos.castle & WHITE_QUEEN_SIDE) && path_empty(B1, D1, 1)) add_quiet(w, E1, C1, CASTLING);
    } else {
        if ((pos.castle & BLACK_KING_SIDE) && path_empty(F8, G8, 1)) add_quiet(w, E8, G8, CASTLING);
        if ((pos.castle & BLACK_QUEEN_SIDE) && path_empty(27, D8, 1)) add_quiet(w, E8, C8, CASTLING);
    }
}

template <bool CapturesOnly>
int generate(Move* list, bool scored = true) {
    Writer w{list, 0, NO_KILLER, NO_KILLER, NO_KILLER, scored};
    const int p = pos.ply - root_ply;
    if (scored && p >= 0 && p < MAX_PLY) {
        w.k1 = squares_key(killer1[p].from, killer1[p].to);
        w.k2 = squares_key(killer2[p].from, killer2[p].to);
        w.k3 = squares_key(killer3[p].from, killer3[p].to);
    }
    const int us = pos.side, them = us ^ 1;
    const SquareSet occupied = pos.occupied[WHITE] | pos.occupied[BLACK];
    const SquareSet theirs = pos.occupied[them];
    const SquareSet ours = pos.occupied[us];
    const SquareSet movers = CapturesOnly ? capture_candidates(us, ours, theirs) : ours;
    for (SquareSet own = movers; own; own &= own - 1) {
        const int s64 = first_square(own);
        const int s = mailbox_of(s64);
        switch (pos.board[s]) {
            case PAWN:
                if (us == WHITE) white_pawn_moves<CapturesOnly>(w, s);
                else black_pawn_moves<CapturesOnly>(w, s);
                break;
            case KNIGHT:
                step_moves<CapturesOnly>(w, s, set_tables.knight[s64] & (CapturesOnly ? theirs : ~ours), theirs,
                                         piece_value[KNIGHT]);
                break;
            case KING:
                step_moves<CapturesOnly>(w, s, set_tables.king[s64] & (CapturesOnly ? theirs : ~ours), theirs,
                                         piece_value[KING]);
                break;
            case BISHOP:
                if (CapturesOnly) bishop_captures(w, s, s64, occupied, theirs, piece_value[BISHOP]);
                else slide_moves(w, s, piece_offsets[BISHOP], them, piece_value[BISHOP]);
                break;
            case ROOK:
                if (CapturesOnly) rook_captures(w, s, s64, occupied, theirs);
                else slide_moves(w, s, piece_offsets[ROOK], them, piece_value[ROOK]);
                break;
            case QUEEN:
                if (CapturesOnly) queen_captures(w, s, s64, occupied, theirs);
                else slide_moves(w, s, piece_offsets[QUEEN], them, piece_value[QUEEN]);
                break;
            default: break;
        }
    }
    if (pos.ep) en_passant_moves(w);
    if (!CapturesOnly) castling_moves(w);
    return w.count;
}

}  // namespace

int path_empty(int a, int b, int step) {
    const int lo = a < b ? a : b, hi = a < b ? b : a;
    for (int sq = lo; sq <= hi; sq += step)
        if (pos.board[sq] != EMPTY) return 0;
    return 1;
}

int generate_moves(Move* list, int captures_only) {
    return captures_only ? generate<true>(list) : generate<false>(list);
}

int generate_moves_unscored(Move* list) { return generate<false>(list, false); }

void generate_root_moves() { move_count = generate_moves(root_moves, 0); }

}  // namespace TORLO_COPY
}  // namespace torlo
