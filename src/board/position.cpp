// The position, the game history, the key computed from scratch, the
// initial position and the repetition count.
#include <cstring>

#include "board/board.h"
#include "eval/tables.h"

namespace torlo {
inline namespace TORLO_COPY {

// One position and history per search thread (search/threads.h).
constinit TORLO_THREAD_LOCAL Position pos{};
constinit TORLO_THREAD_LOCAL UndoRecord game_history[HISTORY_SIZE]{};
constinit TORLO_THREAD_LOCAL int32_t setup_ply = 0;

namespace {

constexpr uint8_t X = OFFBOARD;
constexpr uint8_t E = EMPTY;

// Initial pieces over the 12 x 12 mailbox, rank 8 at the top.
constexpr uint8_t initial_board[BOARD_SIZE] = {
    X, X, X, X, X, X, X, X, X, X, X, X,
    X, X, X, X, X, X, X, X, X, X, X, X,
    X, X, 3, 1, 2, 4, 5, 2, 1, 3, X, X,
    X, X, 0, 0, 0, 0, 0, 0, 0, 0, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, 0, 0, 0, 0, 0, 0, 0, 0, X, X,
    X, X, 3, 1, 2, 4, 5, 2, 1, 3, X, X,
    X, X, X, X, X, X, X, X, X, X, X, X,
    X, X, X, X, X, X, X, X, X, X, X, X,
};

// Initial colours, rank 8 at the top (1 Black, 0 White).
constexpr uint8_t initial_color[BOARD_SIZE] = {
    X, X, X, X, X, X, X, X, X, X, X, X,
    X, X, X, X, X, X, X, X, X, X, X, X,
    X, X, 1, 1, 1, 1, 1, 1, 1, 1, X, X,
    X, X, 1, 1, 1, 1, 1, 1, 1, 1, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, E, E, E, E, E, E, E, E, X, X,
    X, X, 0, 0, 0, 0, 0, 0, 0, 0, X, X,
    X, X, 0, 0, 0, 0, 0, 0, 0, 0, X, X,
    X, X, X, X, X, X, X, X, X, X, X, X,
    X, X, X, X, X, X, X, X, X, X, X, X,
};

}  // namespace

uint64_t compute_hash() {
    uint64_t key = 0;
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq)
        if (pos.board[sq] != EMPTY && pos.board[sq] != OFFBOARD) key ^= piece_key(sq, pos.color[sq], pos.board[sq]);
    if (pos.side == BLACK) key ^= side_key();
    key ^= castle_key(pos.castle);
    if (pos.ep) key ^= ep_key(pos.ep);
    return key;
}

namespace {

// The square sets and sums of a placement, from the arrays.
struct PieceSets {
    SquareSet occupied[2] = {0, 0};
    SquareSet pieces[8] = {};
    int32_t material[2] = {0, 0};
    int32_t piece_square[2] = {0, 0};
};

PieceSets piece_sets_of_board() {
    PieceSets s;
    for (int i = 0; i < 64; ++i) {
        const int sq = mailbox_of(i);
        const int piece = pos.board[sq], c = pos.color[sq];
        if (piece > KING || c > BLACK) continue;
        s.occupied[c] |= square_bit(i);
        s.pieces[piece] |= square_bit(i);
        s.material[c] += piece_square_values.material[piece];
        s.piece_square[c] += piece_square_values.value[c][piece][i];
    }
    return s;
}

}  // namespace

void sync_piece_sets() {
    const PieceSets s = piece_sets_of_board();
    for (int c = WHITE; c <= BLACK; ++c) {
        pos.occupied[c] = s.occupied[c];
        pos.material[c] = s.material[c];
        pos.piece_square[c] = s.piece_square[c];
    }
    for (int p = 0; p < 8; ++p) pos.pieces[p] = s.pieces[p];
}

void set_hash() {
    pos.hash_key = compute_hash();
    sync_piece_sets();
}

void set_initial_position() {
    pos.piece_material[WHITE] = pos.piece_material[BLACK] = 10;
    std::memcpy(pos.color, initial_color, sizeof pos.color);
    std::memcpy(pos.board, initial_board, sizeof pos.board);
    pos.side = WHITE;
    pos.fifty_counter = 0;
    pos.ep = 0;
    pos.castle = 15;
    pos.king_sq[WHITE] = E1;
    pos.king_sq[BLACK] = E8;
    pos.ply = 0;
    setup_ply = 0;
    set_hash();
}

void clear_squares() {
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq)
        if (pos.color[sq] != OFFBOARD) pos.board[sq] = pos.color[sq] = EMPTY;
    sync_piece_sets();
}

void repair_king_squares() {
    for (int c = WHITE; c <= BLACK; ++c) {
        if (pos.board[pos.king_sq[c]] == KING && pos.color[pos.king_sq[c]] == c) continue;
        for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
            if (pos.board[sq] == KING && pos.color[sq] == c) {
                pos.king_sq[c] = static_cast<uint8_t>(sq);
                break;
            }
        }
    }
}

bool position_fields_ok() {
    for (int sq = 0; sq < BOARD_SIZE; ++sq) {
        const int b = pos.board[sq], c = pos.color[sq];
        const bool playing = sq >= FIRST_SQUARE && sq <= LAST_SQUARE && file_of(sq) < 8;
        if (!playing) {
            if (b != OFFBOARD || c != OFFBOARD) return false;
            continue;
        }
        if ((b == EMPTY) != (c == EMPTY)) return false;
        if (b != EMPTY && (b > KING || c > BLACK)) return false;
    }
    if (pos.side > BLACK || pos.castle > 15) return false;
    if (pos.ply < 0 || pos.ply >= HISTORY_SIZE || setup_ply > pos.ply) return false;
    if (pos.fifty_counter < 0) return false;
    return pos.hash_key == compute_hash();
}

bool position_is_ok() {
    if (!position_fields_ok()) return false;
    const PieceSets s = piece_sets_of_board();
    for (int c = WHITE; c <= BLACK; ++c) {
        if (pos.occupied[c] != s.occupied[c] || pos.material[c] != s.material[c] ||
            pos.piece_square[c] != s.piece_square[c])
            return false;
    }
    for (int p = PAWN; p <= KING; ++p)
        if (pos.pieces[p] != s.pieces[p]) return false;
    // The sets now agree with the board: king_sq names a king of a colour that has one.
    for (int c = WHITE; c <= BLACK; ++c) {
        const bool has_king = (pos.pieces[KING] & pos.occupied[c]) != 0;
        if (has_king && (pos.board[pos.king_sq[c]] != KING || pos.color[pos.king_sq[c]] != c)) return false;
    }
    return true;
}

// The moves since the last capture or pawn move that are also moves since
// the last setup: the only records a repetition can be found in.
static int reversible_plies() {
    const int since_setup = pos.ply - setup_ply;
    return pos.fifty_counter < since_setup ? pos.fifty_counter : since_setup;
}

int repetition_count() {
    const int f = reversible_plies();
    if (f <= 3) return 0;
    // Each record moves a piece from `from` to `to`; when every square's
    // changes cancel out, the placement before that record is the current one.
    // The counters are zero between calls: only the squares of the records
    // walked are counted, and only those are set back to zero afterwards.
    static constinit TORLO_THREAD_LOCAL int counters[BOARD_SIZE]{};
    int total = 0, repeats = 0;
    const int last = pos.ply - f;
    for (int i = pos.ply - 1; i >= last; --i) {
        const UndoRecord& r = game_history[i];
        if (r.type == NULL_MOVE) continue;
        if (++counters[r.from] == 0) --total;
        else ++total;
        if (--counters[r.to] == 0) --total;
        else ++total;
        if (total == 0) ++repeats;
    }
    for (int i = pos.ply - 1; i >= last; --i) {
        const UndoRecord& r = game_history[i];
        if (r.type == NULL_MOVE) continue;
        counters[r.from] = counters[r.to] = 0;
    }
    return repeats;
}

int game_repetitions() {
    const int f = reversible_plies();
    // Each record keeps the key of the position it was made in; those with
    // the same side to move are an even number of records back.
    int repeats = 0;
    for (int i = pos.ply - 2; i >= pos.ply - f; i -= 2)
        if (game_history[i].hash == pos.hash_key) ++repeats;
    return repeats;
}

}  // namespace TORLO_COPY
}  // namespace torlo
