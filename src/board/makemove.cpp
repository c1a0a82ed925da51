// Make and unmake. make_move plays a move with incremental key updates and
// refuses it (restoring everything) when it leaves the mover's king attacked
// or castles out of or through check. The square sets move with the pieces.
#include <cstddef>
#include <cstring>

#include "board/board.h"
#include "eval/tables.h"

namespace torlo {
inline namespace TORLO_COPY {

namespace {

// piece_material's weight by piece code: knights and bishops 1, rooks and
// queens 2, pawns, kings and empty squares 0.
constexpr uint8_t officer_weight[8] = {0, 1, 1, 2, 2, 0, 0, 0};
inline SquareSet bit_of(int sq) { return square_bit(sq64[sq]); }

// The square sets and the sums, pos.occupied to pos.piece_square, lie
// together in the Position; a move saves them as one block.
constexpr std::size_t SETS_BEGIN = offsetof(Position, occupied);
constexpr std::size_t SETS_SIZE = offsetof(Position, piece_square) + sizeof(Position::piece_square) - SETS_BEGIN;
static_assert(SETS_SIZE == sizeof(UndoRecord::sets), "the saved block holds the sets and the sums");

inline void save_sets(UndoRecord& r) {
    std::memcpy(r.sets, reinterpret_cast<const unsigned char*>(&pos) + SETS_BEGIN, SETS_SIZE);
    r.king_sq[WHITE] = pos.king_sq[WHITE];
    r.king_sq[BLACK] = pos.king_sq[BLACK];
    r.piece_material[WHITE] = pos.piece_material[WHITE];
    r.piece_material[BLACK] = pos.piece_material[BLACK];
}

inline void restore_sets(const UndoRecord& r) {
    std::memcpy(reinterpret_cast<unsigned char*>(&pos) + SETS_BEGIN, r.sets, SETS_SIZE);
    pos.king_sq[WHITE] = r.king_sq[WHITE];
    pos.king_sq[BLACK] = r.king_sq[BLACK];
    pos.piece_material[WHITE] = r.piece_material[WHITE];
    pos.piece_material[BLACK] = r.piece_material[BLACK];
}
constexpr auto& values = piece_square_values.value;
// The square a pawn taken en passant stands on.
inline int en_passant_victim(int mover, int to) { return mover == WHITE ? to + 12 : to - 12; }

// unmake_move on the board arrays alone, for a mover m (steps 4 to 8).
void unmake_on_arrays(const UndoRecord& r, int m) {
    uint8_t* board = pos.board;
    uint8_t* color = pos.color;
    color[r.from] = color[r.to];
    board[r.from] = board[r.to];
    color[r.to] = r.captured_color;
    board[r.to] = r.captured;
    if (board[r.from] == KING) pos.king_sq[m] = r.from;
    if (r.type == CASTLING) {
        const CastleRook cr = castle_rook(r.to);
        color[cr.rook_from] = color[cr.rook_to];
        board[cr.rook_from] = board[cr.rook_to];
        color[cr.rook_to] = board[cr.rook_to] = EMPTY;
    } else if (r.type > 10) {
        board[r.from] = PAWN;
        pos.piece_material[m] = static_cast<uint8_t>(pos.piece_material[m] - officer_weight[r.type - 10]);
    } else if (r.type == EN_PASSANT) {
        const int c = en_passant_victim(m, r.to);
        board[c] = PAWN;
        color[c] = static_cast<uint8_t>(m ^ 1);
    }
    pos.piece_material[m ^ 1] = static_cast<uint8_t>(pos.piece_material[m ^ 1] + officer_weight[r.captured]);
}

}  // namespace

int make_move(Move move) { return make_move_with_key(move, key_after(move)); }

int make_move_with_key(Move move, uint64_t key) {
    const int s = pos.side;
    const int from = move.from, to = move.to, type = move.type;
    uint8_t* board = pos.board;
    uint8_t* color = pos.color;
    const int moving = board[from];
    const int captured = board[to];
    const int placed = type > 10 ? type - 10 : moving;
    const int from64 = sq64[from], to64 = sq64[to];
    const SquareSet from_bit = square_bit(from64), to_bit = square_bit(to64);

    // Legality first, except for castling (step 2 and step 17): the attack
    // test on the mover's king square as it will be after the move, with the
    // occupied squares and the opponent's pieces as they will be. A refused
    // move changes nothing, and it is not played and taken back.
    if (type != CASTLING) {
        const SquareSet victim_bit = type == EN_PASSANT ? bit_of(en_passant_victim(s, to)) : 0;
        const SquareSet occupied_after =
            ((pos.occupied[WHITE] | pos.occupied[BLACK]) & ~from_bit & ~victim_bit) | to_bit;
        const SquareSet them_after = pos.occupied[s ^ 1] & ~to_bit & ~victim_bit;
        const int king_after = moving == KING ? to : pos.king_sq[s];
        if (square_attacked_in(king_after, s ^ 1, occupied_after, them_after)) return 0;
    }

    // The undo record.
    UndoRecord& r = game_history[pos.ply];
    r.from = move.from;
    r.to = move.to;
    r.type = move.type;
    r.captured = static_cast<uint8_t>(captured);
    r.captured_color = color[to];
    r.castle = pos.castle;
    r.ep = pos.ep;
    r.fifty = pos.fifty_counter;
    r.hash = pos.hash_key;
    save_sets(r);

    const uint8_t new_castle = pos.castle & castle_mask[to] & castle_mask[from];
    const int new_ep = type == DOUBLE_PUSH ? (s == WHITE ? to + 12 : to - 12) : 0;

    // Castling: not out of check, not through an attacked square; move the rook.
    if (type == CASTLING) {
        if (in_check(s)) return 0;
        const CastleRook cr = castle_rook(to);
        if (square_attacked(cr.crossed, s ^ 1) || square_attacked(to, s ^ 1)) return 0;
        color[cr.rook_to] = color[cr.rook_from];
        board[cr.rook_to] = board[cr.rook_from];
        color[cr.rook_from] = board[cr.rook_from] = EMPTY;
        const SquareSet rook_path = bit_of(cr.rook_from) | bit_of(cr.rook_to);
        pos.occupied[s] ^= rook_path;
        pos.pieces[ROOK] ^= rook_path;
        pos.piece_square[s] += values[s][ROOK][sq64[cr.rook_to]] - values[s][ROOK][sq64[cr.rook_from]];
    }

    // Castling rights.
    pos.castle = new_castle;

    // King square.
    pos.king_sq[s] = static_cast<uint8_t>(moving == KING ? to : pos.king_sq[s]);

    // En-passant square.
    pos.ep = static_cast<uint8_t>(new_ep);

    // Fifty-move counter (saturating).
    const int16_t fifty = pos.fifty_counter;
    pos.fifty_counter = type == QUIET || type == CASTLING ? static_cast<int16_t>(fifty + (fifty < INT16_MAX)) : int16_t{0};

    // Move the piece, capture, promote.
    pos.occupied[s] ^= from_bit | to_bit;
    pos.pieces[moving] ^= from_bit;
    pos.pieces[placed] ^= to_bit;
    pos.piece_square[s] += values[s][placed][to64] - values[s][moving][from64];
    // The victim leaves the opponent's sets and sums. The search mixes
    // captures and quiet moves, so this is done without a branch: for an
    // empty target the bit is masked off and the values of EMPTY are 0.
    const SquareSet taken = captured != EMPTY ? to_bit : 0;
    pos.occupied[s ^ 1] ^= taken;
    pos.pieces[captured] ^= taken;
    pos.piece_square[s ^ 1] -= values[s ^ 1][captured][to64];
    pos.material[s ^ 1] -= piece_square_values.material[captured];
    if (type > 10) pos.material[s] += piece_square_values.material[placed] - piece_square_values.material[PAWN];
    color[to] = color[from];
    board[to] = static_cast<uint8_t>(placed);
    if (type > 10)
        pos.piece_material[s] = static_cast<uint8_t>(pos.piece_material[s] + officer_weight[placed]);
    color[from] = board[from] = EMPTY;

    // En passant removes the pawn behind the target.
    if (type == EN_PASSANT) {
        const int c = en_passant_victim(s, to);
        color[c] = board[c] = EMPTY;
        pos.occupied[s ^ 1] ^= bit_of(c);
        pos.pieces[PAWN] ^= bit_of(c);
        pos.piece_square[s ^ 1] -= values[s ^ 1][PAWN][sq64[c]];
        pos.material[s ^ 1] -= piece_square_values.material[PAWN];
    }

    // Material of the opponent.
    pos.piece_material[s ^ 1] = static_cast<uint8_t>(pos.piece_material[s ^ 1] - officer_weight[captured]);

    // Side to move.
    pos.side = static_cast<uint8_t>(s ^ 1);
    ++pos.ply;
    pos.hash_key = key;

    // Legality of a castling (other moves were tested first).
    if (type == CASTLING && in_check(s)) {
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
    const int from = r.from, to = r.to, type = r.type;
    pos.hash_key = r.hash;
    pos.castle = r.castle;
    pos.fifty_counter = r.fifty;
    pos.ep = r.ep;
    pos.side ^= 1;
    const int m = pos.side;
    if (color[to] != m) {
        // The side to move was changed since the move was made (the side
        // commands do that): undo the arrays as for its mover m, whatever
        // the pieces' colours, and rebuild the sets from them.
        unmake_on_arrays(r, m);
        sync_piece_sets();
        return;
    }
    // Everything derived from the placement was saved whole with the move.
    restore_sets(r);
    color[from] = color[to];
    board[from] = type > 10 ? uint8_t{PAWN} : board[to];
    color[to] = r.captured_color;
    board[to] = r.captured;
    if (type == CASTLING) {
        const CastleRook cr = castle_rook(to);
        color[cr.rook_from] = color[cr.rook_to];
        board[cr.rook_from] = board[cr.rook_to];
        color[cr.rook_to] = board[cr.rook_to] = EMPTY;
    } else if (type == EN_PASSANT) {
        const int c = en_passant_victim(m, to);
        board[c] = PAWN;
        color[c] = static_cast<uint8_t>(m ^ 1);
    }
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
    pos.hash_key ^= side_key();
    if (pos.fifty_counter < INT16_MAX) ++pos.fifty_counter;
    pos.side ^= 1;
    ++pos.ply;
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

}  // namespace TORLO_COPY
}  // namespace torlo
