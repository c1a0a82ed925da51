// Make and unmake. make_move plays a move with incremental key updates and
// refuses it (restoring everything) when it leaves the mover's king attacked
// or castles out of or through check.
#include "board/board.h"

namespace torlo {

namespace {

// Rook move of a castling, by the king's destination.
struct CastleRook {
    int rook_from, rook_to, crossed;  // crossed: the square next to the king first
};

inline CastleRook castle_rook(int king_to) {
    switch (king_to) {
        case G1: return {H1, F1, F1};
        case C1: return {A1, D1, D1};
        case G8: return {H8, F8, F8};
        default: return {A8, D8, D8};  // C8
    }
}

inline int material_weight(int piece) { return piece == ROOK || piece == QUEEN ? 2 : 1; }
inline bool is_officer(int piece) { return piece >= KNIGHT && piece <= QUEEN; }

}  // namespace

int make_move(Move move) {
    const int s = pos.side;
    const int from = move.from, to = move.to, type = move.type;
    uint8_t* board = pos.board;
    uint8_t* color = pos.color;

    // Step 1. The undo record.
    UndoRecord& r = game_history[pos.ply];
    r.from = move.from;
    r.to = move.to;
    r.type = move.type;
    r.captured = board[to];
    r.captured_color = color[to];
    r.castle = pos.castle;
    r.ep = pos.ep;
    r.fifty = pos.fifty_counter;
    r.hash = pos.hash_key;

    uint64_t key = pos.hash_key;

    // Step 2. Castling: not out of check, not through an attacked square; move the rook.
    if (type == CASTLING) {
        if (in_check(s)) return 0;
        const CastleRook cr = castle_rook(to);
        if (square_attacked(cr.crossed, s ^ 1) || square_attacked(to, s ^ 1)) return 0;
        key ^= piece_key(cr.rook_from, s, ROOK);
        color[cr.rook_to] = color[cr.rook_from];
        board[cr.rook_to] = board[cr.rook_from];
        color[cr.rook_from] = board[cr.rook_from] = EMPTY;
        key ^= piece_key(cr.rook_to, s, ROOK);
    }

    // Step 3. Castling rights.
    key ^= castle_key(pos.castle);
    pos.castle = pos.castle & castle_mask[to] & castle_mask[from];
    key ^= castle_key(pos.castle);

    // Step 4. King square.
    if (board[from] == KING) pos.king_sq[s] = static_cast<uint8_t>(to);

    // Steps 5-6. En-passant square.
    if (pos.ep) key ^= ep_key(pos.ep);
    if (type == DOUBLE_PUSH) {
        pos.ep = static_cast<uint8_t>(s == WHITE ? to + 12 : to - 12);
        key ^= ep_key(pos.ep);
    } else {
        pos.ep = 0;
    }

    // Step 7. Fifty-move counter (saturating).
    if (type == QUIET || type == CASTLING) {
        if (pos.fifty_counter < INT16_MAX) ++pos.fifty_counter;
    } else {
        pos.fifty_counter = 0;
    }

    // Steps 8-13. Move the piece, capture, promote.
    key ^= piece_key(from, s, board[from]);
    if (board[to] != EMPTY) key ^= piece_key(to, s ^ 1, board[to]);
    color[to] = color[from];
    board[to] = board[from];
    if (type > 10) {
        board[to] = static_cast<uint8_t>(type - 10);
        pos.piece_material[s] = static_cast<uint8_t>(pos.piece_material[s] + material_weight(type - 10));
    }
    key ^= piece_key(to, s, board[to]);
    color[from] = board[from] = EMPTY;

    // Step 14. En passant removes the pawn behind the target.
    if (type == EN_PASSANT) {
        const int c = s == WHITE ? to + 12 : to - 12;
        key ^= piece_key(c, s ^ 1, PAWN);
        color[c] = board[c] = EMPTY;
    }

    // Step 15. Material of the opponent.
    if (is_officer(r.captured))
        pos.piece_material[s ^ 1] = static_cast<uint8_t>(pos.piece_material[s ^ 1] - material_weight(r.captured));

    // Step 16. Side to move.
    pos.side = static_cast<uint8_t>(s ^ 1);
    ++pos.ply;
    pos.hash_key = key ^ side_key();

    // Step 17. Legality.
    if (in_check(s)) {
        unmake_move();
        return 0;
    }
    return 1;
}

void unmake_move() {
    if (game_history[pos.ply - 1].type == NULL_MOVE) {
        unmake_null_move();
        return;
    }
    --pos.ply;
    const UndoRecord& r = game_history[pos.ply];
    uint8_t* board = pos.board;
    uint8_t* color = pos.color;
    pos.hash_key = r.hash;
    pos.castle = r.castle;
    pos.fifty_counter = r.fifty;
    pos.ep = r.ep;
    color[r.from] = color[r.to];
    board[r.from] = board[r.to];
    color[r.to] = r.captured_color;
    board[r.to] = r.captured;
    pos.side ^= 1;
    const int m = pos.side;
    if (board[r.from] == KING) pos.king_sq[m] = r.from;

    if (r.type == CASTLING) {
        const CastleRook cr = castle_rook(r.to);
        color[cr.rook_from] = color[cr.rook_to];
        board[cr.rook_from] = board[cr.rook_to];
        color[cr.rook_to] = board[cr.rook_to] = EMPTY;
    } else if (r.type > 10) {
        board[r.from] = PAWN;
        pos.piece_material[m] = static_cast<uint8_t>(pos.piece_material[m] - material_weight(r.type - 10));
    } else if (r.type == EN_PASSANT) {
        const int c = m == WHITE ? r.to + 12 : r.to - 12;
        board[c] = PAWN;
        color[c] = static_cast<uint8_t>(m ^ 1);
    }
    if (is_officer(r.captured))
        pos.piece_material[m ^ 1] = static_cast<uint8_t>(pos.piece_material[m ^ 1] + material_weight(r.captured));
}

int make_null_move() {
    if (pos.ply == 0 || game_history[pos.ply - 1].type == NULL_MOVE) return 0;
    if (pos.piece_material[pos.side] < 2) return 0;
    UndoRecord& r = game_history[pos.ply];
    r.hash = pos.hash_key;
    r.type = NULL_MOVE;
    r.ep = pos.ep;
    r.castle = pos.castle;
    r.fifty = pos.fifty_counter;
    if (pos.ep) pos.hash_key ^= ep_key(pos.ep);
    if (pos.fifty_counter < INT16_MAX) ++pos.fifty_counter;
    pos.side ^= 1;
    ++pos.ply;
    pos.hash_key ^= side_key();
    pos.ep = 0;
    return 1;
}

void unmake_null_move() {
    --pos.ply;
    const UndoRecord& r = game_history[pos.ply];
    pos.hash_key = r.hash;
    pos.ep = r.ep;
    pos.castle = r.castle;
    pos.fifty_counter = r.fifty;
    pos.side ^= 1;
}

}  // namespace torlo
