// Setup from the first four fields of FEN text. Malformed text never writes
// outside the 64 squares, and rights or an en-passant square that the
// placement cannot support are dropped, so every setup is a position that
// make/unmake can play on safely.
#include <cctype>
#include <cstring>

#include "board/board.h"

namespace torlo {
inline namespace TORLO_COPY {

namespace {

// One blank-separated field of the text: [begin, end).
struct Field {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool present() const { return begin != nullptr; }
    size_t size() const { return static_cast<size_t>(end - begin); }
};

const char* next_field(const char* p, Field& f) {
    while (*p && is_blank(*p)) ++p;
    if (!*p) return p;
    f.begin = p;
    while (*p && !is_blank(*p)) ++p;
    f.end = p;
    return p;
}

int piece_of_letter(char lower) {
    const char* at = std::strchr("pnbrqk", lower);
    return lower && at ? static_cast<int>(at - "pnbrqk") : -1;
}

// Squares filled in order a8 .. h1; anything that is not a piece letter or
// a digit 1-8 is skipped without advancing, and text after h1 is ignored.
void place_pieces(const Field& f) {
    int index = 0;  // 0 = a8 .. 63 = h1
    for (const char* p = f.begin; p < f.end && index < 64; ++p) {
        const char ch = *p;
        if (ch >= '1' && ch <= '8') {
            for (int n = ch - '0'; n > 0 && index < 64; --n, ++index) {
                const int sq = mailbox_of(index);
                pos.board[sq] = pos.color[sq] = EMPTY;
            }
            continue;
        }
        const bool upper = ch >= 'A' && ch <= 'Z';
        const int piece = piece_of_letter(upper ? static_cast<char>(ch - 'A' + 'a') : ch);
        if (piece < 0) continue;
        const int sq = mailbox_of(index);
        const int colour = upper ? WHITE : BLACK;
        if (piece == KING) remove_king(colour);
        pos.board[sq] = static_cast<uint8_t>(piece);
        pos.color[sq] = static_cast<uint8_t>(colour);
        if (piece == KING) pos.king_sq[colour] = static_cast<uint8_t>(sq);
        ++index;
    }
}

// Rights are a set of letters; each is kept only with its king and rook at home.
uint8_t read_castling(const Field& f) {
    uint8_t rights = 0;
    for (const char* p = f.begin; f.present() && p < f.end; ++p) {
        if (*p == '-') break;
        if (*p == 'K') rights |= WHITE_KING_SIDE;
        if (*p == 'Q') rights |= WHITE_QUEEN_SIDE;
        if (*p == 'k') rights |= BLACK_KING_SIDE;
        if (*p == 'q') rights |= BLACK_QUEEN_SIDE;
    }
    const bool white_king = holds(E1, WHITE, KING), black_king = holds(E8, BLACK, KING);
    if (!white_king || !holds(H1, WHITE, ROOK)) rights &= ~WHITE_KING_SIDE;
    if (!white_king || !holds(A1, WHITE, ROOK)) rights &= ~WHITE_QUEEN_SIDE;
    if (!black_king || !holds(H8, BLACK, ROOK)) rights &= ~BLACK_KING_SIDE;
    if (!black_king || !holds(A8, BLACK, ROOK)) rights &= ~BLACK_QUEEN_SIDE;
    return rights;
}

// The square a pawn has just passed over, kept only when such a pawn is there.
uint8_t read_en_passant(const Field& f) {
    if (!f.present() || f.size() < 2) return 0;
    const char file = f.begin[0], rank = f.begin[1];
    if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return 0;
    const int sq = square_from_text(f.begin);
    if (pos.board[sq] != EMPTY) return 0;
    if (pos.side == WHITE && rank == '6' && holds(sq + 12, BLACK, PAWN)) return static_cast<uint8_t>(sq);
    if (pos.side == BLACK && rank == '3' && holds(sq - 12, WHITE, PAWN)) return static_cast<uint8_t>(sq);
    return 0;
}

}  // namespace

void remove_king(int colour) {
    const int sq = pos.king_sq[colour];
    if (pos.board[sq] == KING && pos.color[sq] == colour) pos.board[sq] = pos.color[sq] = EMPTY;
}

int place_fen(const char* text) {
    Field placement, side, castling, en_passant;
    const char* p = next_field(text, placement);
    if (!placement.present()) return 0;
    // The side is the next non-blank character, even if more follows it.
    while (*p && is_blank(*p)) ++p;
    if (*p) {
        side.begin = p++;
        side.end = p;
    }
    p = next_field(p, castling);
    next_field(p, en_passant);

    place_pieces(placement);
    repair_king_squares();  // a later letter may have replaced a king just placed
    pos.side = side.present() && static_cast<signed char>(*side.begin) <= 'd' ? BLACK : WHITE;
    pos.castle = read_castling(castling);
    pos.ep = read_en_passant(en_passant);
    set_hash();
    setup_ply = pos.ply;
    generate_root_moves();
    return 1;
}

bool fen_is_position(const char* text) {
    Field placement, side;
    next_field(next_field(text, placement), side);
    if (!placement.present() || !side.present() || side.size() != 1 || (*side.begin != 'w' && *side.begin != 'b'))
        return false;
    int rank = 0, file = 0, kings[2] = {0, 0};
    for (const char* p = placement.begin; p < placement.end; ++p) {
        if (*p == '/') {
            if (file != 8) return false;
            ++rank;
            file = 0;
        } else if (*p >= '1' && *p <= '8') {
            file += *p - '0';
        } else if (piece_of_letter(static_cast<char>(std::tolower(static_cast<unsigned char>(*p)))) >= 0) {
            if (*p == 'K' || *p == 'k') ++kings[*p == 'k'];
            if ((*p == 'P' || *p == 'p') && (rank == 0 || rank == 7)) return false;
            ++file;
        } else {
            return false;
        }
        if (file > 8) return false;
    }
    return rank == 7 && file == 8 && kings[0] == 1 && kings[1] == 1;
}

}  // namespace TORLO_COPY
}  // namespace torlo
