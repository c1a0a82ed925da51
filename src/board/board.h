// Board and moves: the one game position, its Zobrist key, attack tests,
// move generation with ordering scores, make/unmake with legality, move text
// and FEN setup.
//
// Contract:
//  - `pos` is the only position. It is written only by set_initial_position,
//    make_move, unmake_move, the null-move pair, the edit language and FEN
//    setup.
//  - After every change pos.hash_key == compute_hash() of the position.
//  - make_move returns 1 and plays a legal move, or returns 0 and leaves the
//    position exactly as it was. unmake_move takes back the last record.
//  - Nothing here allocates or does I/O.
#pragma once

#include <cctype>

#include <cstdint>

#include "board/tables.h"
#include "types.h"

namespace torlo {

// Square numbering: index = 26 + file + 12 * (8 - rank); a8 = 26, h1 = 117.
constexpr int file_of(int sq) { return (sq - 26) % 12; }
constexpr int row_of(int sq) { return (sq - 26) / 12; }  // 0 = rank 8
constexpr int rank_of(int sq) { return 8 - row_of(sq); }
constexpr int square_of(int file, int rank) { return 26 + file + 12 * (8 - rank); }
// The square two characters name, [a-h][1-8] (the caller has checked them).
constexpr int square_from_text(const char* t) { return square_of(t[0] - 'a', t[1] - '0'); }
// The blanks that separate words in commands, FEN text and files.
inline bool is_blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

struct Position {
    uint8_t board[BOARD_SIZE];   // piece code per mailbox square
    uint8_t color[BOARD_SIZE];   // colour code per mailbox square
    uint8_t side;                // colour to move
    uint8_t castle;              // castling right bits (1 K, 2 Q, 4 k, 8 q)
    uint8_t ep;                  // en-passant target square, 0 = none
    uint64_t hash_key;           // Zobrist key
    uint8_t king_sq[2];          // king square per colour
    int16_t fifty_counter;       // plies since the last capture or pawn move (saturates)
    uint8_t piece_material[2];   // 1 per knight/bishop, 2 per rook/queen
    int32_t ply;                 // undo records in use
    // The same placement as square sets (bit = sq64), kept in step with
    // board and color by make/unmake and rebuilt by set_hash after a setup,
    // so that scans can visit the occupied squares only, in a8 .. h1 order.
    SquareSet occupied[2];       // squares of each colour's pieces
    SquareSet pieces[8];         // squares of each piece code, both colours (6, 7: unused)
    // Per colour, sums that the evaluation reads: the value of the pieces
    // (king excluded), and that value plus each piece's fixed square value
    // (eval/tables.h). Kept by make/unmake, rebuilt with the sets.
    int32_t material[2];
    int32_t piece_square[2];
};

// Move record. type is a MoveType code; score is the ordering score.
struct Move {
    uint8_t from;
    uint8_t to;
    int8_t type;
    int32_t score;
};
// The same move: squares and kind (the ordering score aside).
constexpr bool same_move(const Move& a, const Move& b) { return a.from == b.from && a.to == b.to && a.type == b.type; }

// One record per move made (game and search path alike), indexed by ply.
struct UndoRecord {
    uint8_t from;
    uint8_t to;
    uint8_t captured;
    uint8_t captured_color;
    // castle and ep are not neighbours here as they are in the Position:
    // copied as one 16-bit word, they would be read back from the two
    // separate byte stores that the last make or unmake just made, a load
    // that must wait for those stores to reach the cache.
    uint8_t castle;
    int8_t type;
    uint8_t ep;
    int16_t fifty;
    uint64_t hash;
    // Before the move: pos.occupied .. pos.piece_square as one block, and
    // pos.king_sq and pos.piece_material (restored as they were).
    alignas(16) unsigned char sets[96];
    uint8_t king_sq[2];
    uint8_t piece_material[2];
};

// The state and code below are one copy per kind of search thread
// (types.h: TORLO_COPY).
inline namespace TORLO_COPY {

// Per search thread (search/threads.h): each thread has its own position
// and history, the interface thread's being the game.
extern constinit TORLO_THREAD_LOCAL Position pos;
extern constinit TORLO_THREAD_LOCAL UndoRecord game_history[HISTORY_SIZE];
// ply at the latest setup (new game, setboard, loadpos, edit); moves before
// it belong to another position and are never taken back or compared.
extern constinit TORLO_THREAD_LOCAL int32_t setup_ply;

// Whether the square holds a piece of that kind and colour.
inline bool holds(int sq, int colour, int piece) { return pos.board[sq] == piece && pos.color[sq] == colour; }

// --- position.cpp
uint64_t compute_hash();       // the key of pos from scratch (no side effect)
// pos.hash_key = compute_hash(), and the square sets rebuilt from board and
// color: every writer of the arrays other than make/unmake calls it.
void set_hash();
void sync_piece_sets();        // the square sets only
void set_initial_position();   // the initial position, an empty game history
void clear_squares();          // every playing square empty (edit's '#')
bool position_is_ok();         // invariants: arrays and sets agree, kings, key
// position_is_ok without the square sets and the king squares: the arrays
// well formed, the fields in range and the key right.
bool position_fields_ok();
// Earlier positions within the reversible moves since the last setup whose
// placement equals the current one (by from/to bookkeeping of the history).
int repetition_count();
// Earlier positions within the same moves that are the current one: the
// same side to move and the same key (placement, castling rights and
// en-passant square). The game-end check claims the repetition draw on this
// count, since repetition_count also matches a placement reached with the
// other side to move, and a draw claimed on it is false.
int game_repetitions();
// Points king_sq of each colour at a king of that colour when the recorded
// square no longer holds one (after the edit language moved kings around).
void repair_king_squares();
// Empties the square of the colour's king, if king_sq holds one: a side has
// at most one king, so placing a king moves it (king_sq follows one king).
void remove_king(int colour);

// --- attacks.cpp
int square_attacked(int target, int colour);
// square_attacked with the occupied squares and the colour's squares given,
// its pieces being those of the position's piece sets on them: the attack
// test of a position that differs by pieces moved or removed.
int square_attacked_in(int target, int colour, SquareSet occupied, SquareSet them);
int in_check(int colour);

// --- movegen.cpp
// The ordering tables and the search's root ply, per search thread.
extern constinit TORLO_THREAD_LOCAL int32_t history_score[BOARD_SIZE][BOARD_SIZE];
extern constinit TORLO_THREAD_LOCAL Move killer1[MAX_PLY], killer2[MAX_PLY], killer3[MAX_PLY];
extern constinit TORLO_THREAD_LOCAL int32_t root_ply;
// The interface's list of the game position's moves (never a helper thread's).
extern Move root_moves[MAX_MOVES];
extern int move_count;

int generate_moves(Move* list, int captures_only);
// The moves of generate_moves(list, 0), in the same order, without the
// ordering scores (they are left meaningless): for counting move paths.
int generate_moves_unscored(Move* list);
int path_empty(int a, int b, int step);
void generate_root_moves();    // root_moves for the side to move

// --- makemove.cpp
int make_move(Move move);
// The key of the position that make_move(move) would reach (the move is
// not played; its legality is not tested). Lets the search ask for a table
// slot before it gets there.
inline uint64_t key_after(Move move);
// make_move for a caller that has computed key_after(move) already.
int make_move_with_key(Move move, uint64_t key);
void unmake_move();
int make_null_move();
void unmake_null_move();

// --- movetext.cpp
const char* move_text(Move move, int long_form);
const char* square_text(int sq);  // "e4"; static buffer
// Coordinate text with castling as the king's move and en passant as a
// plain from-to: e2e4, e7e8q, e1g1. Static buffer.
const char* move_uci(Move move);
int looks_like_move(const char* text);
int play_user_move(const char* text);
// The legal root move the text names (as play_user_move reads it), left
// unplayed; 0 when there is none.
int find_user_move(const char* text, Move* found);
uint16_t move_code(Move move);

// --- fen.cpp
// Sets placement, side, castling and en passant from the first four FEN
// fields, recomputes the key, marks the history and regenerates root_moves.
// Returns 0 (changing nothing) when the text holds no placement word.
// (interface/game.h: setup_fen, which also closes the book and clears the table.)
int place_fen(const char* text);
// Whether the text starts with a placement of eight ranks of eight squares,
// one king a side and no pawn on the first or last rank, and a side to move
// w or b: a position, as opposed to what place_fen makes of any text.
bool fen_is_position(const char* text);

// --- perft.cpp
uint64_t perft(int depth);

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

inline uint64_t key_after(Move move) {
    const int s = pos.side;
    const int from = move.from, to = move.to, type = move.type;
    const int moving = pos.board[from], captured = pos.board[to];
    const int placed = type > 10 ? type - 10 : moving;
    const int new_castle = pos.castle & castle_mask[to] & castle_mask[from];
    uint64_t key = pos.hash_key ^ castle_key(pos.castle) ^ castle_key(new_castle) ^ side_key();
    if (pos.ep) key ^= ep_key(pos.ep);
    if (type == DOUBLE_PUSH) key ^= ep_key(s == WHITE ? to + 12 : to - 12);
    key ^= piece_key(from, s, moving) ^ piece_key(to, s, placed);
    if (captured != EMPTY) key ^= piece_key(to, s ^ 1, captured);
    if (type == CASTLING) {
        const CastleRook cr = castle_rook(to);
        key ^= piece_key(cr.rook_from, s, ROOK) ^ piece_key(cr.rook_to, s, ROOK);
    } else if (type == EN_PASSANT) {
        key ^= piece_key(s == WHITE ? to + 12 : to - 12, s ^ 1, PAWN);
    }
    return key;
}

}  // namespace TORLO_COPY
}  // namespace torlo
