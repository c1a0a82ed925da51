// The evaluation: a file pass for material and pawn structure, then a square
// pass for the square tables, the king phase and the rook and pawn terms.
//
// The usual case (one king per side) is computed from the square sets and
// from the piece-square sums that make/unmake keep up to date; the result is
// the one of the two passes, term for term. Positions with no king or more
// kings of a colour take the passes themselves.
#include "eval/eval.h"

#include <bit>
#include <cstring>

#include "board/board.h"
#include "eval/tables.h"

namespace torlo {
inline namespace TORLO_COPY {

using namespace eval_tables;

// The evaluation read square by square, a8 .. h1 (the definition; used for
// positions without exactly one king per side, where the king phase test can
// happen more than once or not at all). Kept out of line: the usual
// evaluation below does not carry its frame.
[[gnu::noinline, gnu::cold]] int evaluate_by_scan() {
    // pawn_count: pawns per colour and file, entries 1..8 = files a..h, 0 and 9 sentinels.
    // rear_pawn_rank: row of the rearmost pawn per file (White 0, Black 7 when none).
    int pawn_count[2][10] = {};
    int rear_pawn_rank[2][10] = {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {7, 7, 7, 7, 7, 7, 7, 7, 7, 7}};
    int total[2] = {0, 0};
    const uint8_t* board = pos.board;
    const uint8_t* color = pos.color;

    // File pass: material and pawn files, files a to h, rank 8 down to rank 1.
    for (int file = 0; file < 8; ++file) {
        for (int row = 0; row < 8; ++row) {
            const int sq = 26 + 12 * row + file;
            const int piece = board[sq];
            if (piece == EMPTY || piece == KING) continue;
            const int c = color[sq];
            total[c] += piece_value[piece];
            if (piece != PAWN) continue;
            if (++pawn_count[c][file + 1] == 1 || c == WHITE) rear_pawn_rank[c][file + 1] = row;
        }
        for (int c = WHITE; c <= BLACK; ++c)
            if (pawn_count[c][file + 1] > 1) total[c] -= DOUBLED_PAWN * (pawn_count[c][file + 1] - 1);
    }

    // Square pass, a8 .. h1.
    for (int row = 0; row < 8; ++row) {
        for (int file = 0; file < 8; ++file) {
            const int sq = 26 + 12 * row + file;
            const int piece = board[sq];
            if (piece == EMPTY) continue;
            const int c = color[sq];
            const int s64 = 8 * row + file;
            switch (piece) {
                case PAWN: {
                    total[c] += tables[PAWN_TABLE][c][s64];
                    const int* counts = pawn_count[c];
                    if (counts[file] == 0 && counts[file + 2] == 0) {
                        total[c] -= ISOLATED_PAWN;
                    } else {
                        const int* rear = rear_pawn_rank[c];
                        const bool backward = c == WHITE ? row > rear[file] && row > rear[file + 2]
                                                         : row < rear[file] && row < rear[file + 2];
                        if (backward) total[c] -= BACKWARD_PAWN;
                    }
                    break;
                }
                case KNIGHT: total[c] += tables[KNIGHT_TABLE][c][s64]; break;
                case BISHOP: total[c] += tables[BISHOP_TABLE][c][s64]; break;
                case ROOK: {
                    if ((c == WHITE && row == 1) || (c == BLACK && row == 6)) total[c] += ROOK_ON_SEVENTH;
                    if (pawn_count[c][file + 1] == 0)
                        total[c] += pawn_count[c ^ 1][file + 1] == 0 ? ROOK_OPEN_FILE : ROOK_HALF_OPEN_FILE;
                    break;
                }
                case KING:
                    total[c] += tables[total[c] < KING_PHASE_LIMIT ? KING_END_TABLE : KING_MIDDLE_TABLE][c][s64];
                    break;
                default: break;  // queen: material only
            }
        }
    }
    return pos.side == WHITE ? total[WHITE] - total[BLACK] : total[BLACK] - total[WHITE];
}

namespace {

constexpr SquareSet FILE_A = FILE_A_SQUARES;
constexpr SquareSet FILE_H = FILE_H_SQUARES;
constexpr SquareSet ROW_0 = 0xFFULL;          // rank 8
constexpr SquareSet ROW_7 = 0xFFULL << 56;    // rank 1

// The files that hold a square of the set, as 8 bits (bit f = file f).
constexpr unsigned files_of(SquareSet set) {
    set |= set >> 32;
    set |= set >> 16;
    set |= set >> 8;
    return static_cast<unsigned>(set & 0xFF);
}

// Every square of the files given as 8 bits.
constexpr SquareSet file_squares(unsigned files) { return static_cast<SquareSet>(files & 0xFF) * FILE_A; }

// Squares with a square of the set on an adjacent file, same row.
constexpr SquareSet beside(SquareSet set) { return ((set & ~FILE_H) << 1) | ((set & ~FILE_A) >> 1); }

// The pawn-structure sets of one colour.
struct PawnSets {
    SquareSet isolated;   // own pawns with no own pawn on an adjacent file
    SquareSet backward;   // own pawns behind every own pawn of both adjacent files (and not isolated)
    SquareSet doubled;    // own pawns with another own pawn behind them: one per pawn of a file beyond the first
};

template <int C>
PawnSets pawn_sets(SquareSet pawns) {
    PawnSets p{};
    const unsigned own_files = files_of(pawns);
    const unsigned isolated_files = own_files & ~((own_files << 1) | (own_files >> 1));
    p.isolated = pawns & file_squares(isolated_files);
    // Fill each pawn forwards along its file: a square is reached when an
    // own pawn stands on it or behind it. A pawn is level with or ahead of
    // an own pawn of an adjacent file exactly when the fill beside it
    // reaches its square; backward pawns are those it does not reach.
    SquareSet fill = pawns;
    if (C == WHITE) {
        // Rows count from rank 8: behind a White pawn means a larger row.
        fill |= fill >> 8;
        fill |= fill >> 16;
        fill |= fill >> 32;
        p.backward = pawns & ~beside(fill) & ~ROW_0 & ~p.isolated;
        p.doubled = pawns & (fill >> 8);
    } else {
        fill |= fill << 8;
        fill |= fill << 16;
        fill |= fill << 32;
        p.backward = pawns & ~beside(fill) & ~ROW_7 & ~p.isolated;
        p.doubled = pawns & (fill << 8);
    }
    return p;
}

// The pawn terms of both colours for one placement of the pawns. They
// depend on nothing else, and most evaluations in a search meet a pawn
// placement seen shortly before, so they are kept in a small table indexed
// by the two pawn sets; an entry is used only when both sets are equal.
// One entry per cache line.
struct alignas(64) PawnEntry {
    SquareSet pawns[2];
    int32_t structure[2];       // doubled, isolated and backward deductions (negative)
    int32_t doubled[2];         // the doubled-pawn part alone
    int8_t rook_bonus[2][8];    // a rook's file term by colour and file: open, half-open (only
                                // the other colour's pawns) or none
};
constexpr int PAWN_CACHE_SIZE = 1024;

// At start-up every entry holds White pawns on all 64 squares, a placement
// that is never evaluated here (it leaves no room for the kings).
struct PawnCache {
    PawnEntry entries[PAWN_CACHE_SIZE];
};
constexpr PawnCache empty_pawn_cache() {
    PawnCache c{};
    for (PawnEntry& e : c.entries) e.pawns[WHITE] = ~SquareSet{0};
    return c;
}
constinit TORLO_THREAD_LOCAL PawnCache pawn_cache = empty_pawn_cache();  // per search thread

template <int C>
void fill_pawn_terms(PawnEntry& e, SquareSet pawns) {
    const PawnSets p = pawn_sets<C>(pawns);
    e.doubled[C] = DOUBLED_PAWN * square_count(p.doubled);
    e.structure[C] = -e.doubled[C] - ISOLATED_PAWN * square_count(p.isolated) - BACKWARD_PAWN * square_count(p.backward);
}

// The 8 bits of a file set spread to 8 bytes, byte f = 1 when file f is in
// the set: each byte picks its own bit of the repeated set, and adding 0x7F
// carries a non-zero byte into its top bit.
constexpr uint64_t file_bytes(unsigned files) {
    constexpr uint64_t ONES = 0x0101010101010101ULL;
    const uint64_t picked = (static_cast<uint64_t>(files & 0xFF) * ONES) & 0x8040201008040201ULL;
    return ((picked + 0x7F7F7F7F7F7F7F7FULL) >> 7) & ONES;
}

// A rook's file term for every file at once, byte f for file f: open (no
// pawn), half-open (only the other colour's pawns) or 0 (an own pawn). Each
// byte stays within 0..15, so the bytes never carry into each other.
constexpr uint64_t rook_file_bonus(uint64_t own_files, uint64_t other_files) {
    constexpr uint64_t ONES = 0x0101010101010101ULL;
    const uint64_t no_own = own_files ^ ONES;
    return no_own * ROOK_OPEN_FILE - (no_own & other_files) * (ROOK_OPEN_FILE - ROOK_HALF_OPEN_FILE);
}
static_assert(ROOK_OPEN_FILE >= ROOK_HALF_OPEN_FILE && ROOK_HALF_OPEN_FILE >= 0 && ROOK_OPEN_FILE < 128);
static_assert(rook_file_bonus(file_bytes(0x0F), file_bytes(0x3C)) == 0x0F0F0A0A00000000ULL,
              "files a-d own pawns: 0; e-f the other's only: half-open; g-h none: open");

inline PawnEntry& pawn_entry(SquareSet white, SquareSet black) {
    const uint64_t mix = white * 0x9E3779B97F4A7C15ULL ^ black * 0xC2B2AE3D27D4EB4FULL;
    return pawn_cache.entries[mix >> 54];
}

const PawnEntry& pawn_terms(SquareSet white, SquareSet black) {
    PawnEntry& e = pawn_entry(white, black);
    if (e.pawns[WHITE] != white || e.pawns[BLACK] != black) {
        e.pawns[WHITE] = white;
        e.pawns[BLACK] = black;
        fill_pawn_terms<WHITE>(e, white);
        fill_pawn_terms<BLACK>(e, black);
        const uint64_t white_files = file_bytes(files_of(white)), black_files = file_bytes(files_of(black));
        uint64_t bonus[2] = {rook_file_bonus(white_files, black_files), rook_file_bonus(black_files, white_files)};
        // Byte f counted from the low end is file f: first in memory on a
        // little-endian machine, byte-swapped into that order on a big-endian one.
        if constexpr (std::endian::native == std::endian::big)
            for (uint64_t& b : bonus) b = __builtin_bswap64(b);
        std::memcpy(e.rook_bonus, bonus, sizeof bonus);
    }
    return e;
}

// The colour's running total when the scan reaches its king: all its
// material and doubled-pawn deductions (the file pass comes first) plus the
// square terms of its pieces on squares before the king's (the rooks' file
// terms from the pawn entry, as in the rest of the evaluation).
template <int C>
int total_at_king(SquareSet own, const PawnEntry& pawn, int king64) {
    const SquareSet* pieces = pos.pieces;
    const SquareSet pawns = pieces[PAWN] & own;
    const PawnSets p = pawn_sets<C>(pawns);
    const SquareSet before = own & (square_bit(king64) - 1);
    int total = pos.material[C] - pawn.doubled[C];
    for (SquareSet b = before & pawns; b; b &= b - 1) {
        const int sq = first_square(b);
        total += tables[PAWN_TABLE][C][sq];
        if (p.isolated & square_bit(sq)) total -= ISOLATED_PAWN;
        else if (p.backward & square_bit(sq)) total -= BACKWARD_PAWN;
    }
    for (SquareSet b = before & pieces[KNIGHT]; b; b &= b - 1) total += tables[KNIGHT_TABLE][C][first_square(b)];
    for (SquareSet b = before & pieces[BISHOP]; b; b &= b - 1) total += tables[BISHOP_TABLE][C][first_square(b)];
    for (SquareSet b = before & pieces[ROOK]; b; b &= b - 1) {
        const int sq = first_square(b);
        total += piece_square_values.value[C][ROOK][sq] - piece_value[ROOK];
        total += pawn.rook_bonus[C][sq & 7];
    }
    return total;
}

// One colour's total, with the king's table chosen by the running total at
// the king's square. That total is the material less the doubled pawns plus
// the square terms of the pieces before the king, each between -20 and +32
// (queens and the king add none). Each such piece is worth at least 100, so
// those terms lie within -material/5 and +material*8/25, and the choice is
// usually clear without visiting the pieces.
template <int C>
int colour_total(const PawnEntry& pawn, int king64) {
    const SquareSet own = pos.occupied[C];
    const SquareSet* pieces = pos.pieces;
    int extra = pawn.structure[C];
    // One pass per rook: their number seldom changes between evaluations,
    // so the loop's end is well predicted.
    for (SquareSet rooks = pieces[ROOK] & own; rooks; rooks &= rooks - 1)
        extra += pawn.rook_bonus[C][first_square(rooks) & 7];
    const int material = pos.material[C];
    const int base = material - pawn.doubled[C];
    bool middle;
    if (5 * base - material >= 5 * KING_PHASE_LIMIT) middle = true;
    else if (25 * base + 8 * material < 25 * KING_PHASE_LIMIT) middle = false;
    else middle = total_at_king<C>(own, pawn, king64) >= KING_PHASE_LIMIT;
    const int king = middle ? tables[KING_MIDDLE_TABLE][C][king64] : tables[KING_END_TABLE][C][king64];
    return pos.piece_square[C] + extra + king;
}

}  // namespace

void prefetch_evaluation() {
    const SquareSet pawns = pos.pieces[PAWN];
    __builtin_prefetch(&pawn_entry(pawns & pos.occupied[WHITE], pawns & pos.occupied[BLACK]));
}

// make_move has just written the square sets one 8-byte word at a time.
// GCC would read the two colour sets here as one 16-byte vector, a load that
// cannot be served from those two pending stores and so waits until they
// reach the cache; the evaluation is therefore compiled without that pairing.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-slp-vectorize")))
#endif
int evaluate() {
    const SquareSet white_king = pos.pieces[KING] & pos.occupied[WHITE];
    const SquareSet black_king = pos.pieces[KING] & pos.occupied[BLACK];
    if (!white_king || (white_king & (white_king - 1)) || !black_king || (black_king & (black_king - 1)))
        return evaluate_by_scan();
    const PawnEntry& pawn = pawn_terms(pos.pieces[PAWN] & pos.occupied[WHITE], pos.pieces[PAWN] & pos.occupied[BLACK]);
    const int w = colour_total<WHITE>(pawn, first_square(white_king));
    const int b = colour_total<BLACK>(pawn, first_square(black_king));
    return pos.side == WHITE ? w - b : b - w;
}

}  // namespace TORLO_COPY
}  // namespace torlo
