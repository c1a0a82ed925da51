// Codes and limits shared by every subsystem of the engine.
#pragma once

#include <cstdint>

// A search thread's own state (the position, its history, the ordering
// tables, the node count...) and the code that works on it (board/, eval/
// and the search's tree walk) come in two copies, each in an inline
// namespace of its own, TORLO_COPY:
//  - main_thread: the interface thread's, whose state is plain globals, so
//    that the one-thread search addresses it as directly as before threads;
//  - helper_threads: the same sources compiled again with
//    TORLO_HELPER_COPY defined, whose state is thread storage, one
//    instance per helper thread (search/threads.h).
// What every thread shares (the table, the limits, the clock's settings)
// is declared outside TORLO_COPY and defined once.
// Builds that search with one thread have no helper copy; which they are
// is decided once, by the build (cmake/sources.cmake), as
// TORLO_SINGLE_THREAD.
#if !defined(TORLO_SINGLE_THREAD)
#error "the build defines TORLO_SINGLE_THREAD (cmake/sources.cmake)"
#endif
#if defined(TORLO_HELPER_COPY)
#if TORLO_SINGLE_THREAD
#error "a one-thread build has no helper copy"
#endif
#define TORLO_COPY helper_threads
#define TORLO_THREAD_LOCAL thread_local
#else
#define TORLO_COPY main_thread
#define TORLO_THREAD_LOCAL
#endif

namespace torlo {

// Piece codes, one byte per square of the board array.
enum : uint8_t { PAWN = 0, KNIGHT = 1, BISHOP = 2, ROOK = 3, QUEEN = 4, KING = 5, EMPTY = 6, OFFBOARD = 255 };

// Colour codes, one byte per square of the colour array. EMPTY (6) and
// OFFBOARD (255) are shared with the piece codes; EMPTY also means "neither
// colour" in computer_side.
enum : uint8_t { WHITE = 0, BLACK = 1 };

// Move type codes. A promotion is 10 + the code of the new piece (11..14).
enum MoveType : int8_t {
    NULL_MOVE = 0,
    PAWN_PUSH = 1,
    PAWN_CAPTURE = 2,
    DOUBLE_PUSH = 3,
    CASTLING = 4,
    CAPTURE = 5,
    EN_PASSANT = 6,
    QUIET = 7,
    PROMOTE_KNIGHT = 11,
    PROMOTE_BISHOP = 12,
    PROMOTE_ROOK = 13,
    PROMOTE_QUEEN = 14,
};

// Castling right bits.
enum : uint8_t { WHITE_KING_SIDE = 1, WHITE_QUEEN_SIDE = 2, BLACK_KING_SIDE = 4, BLACK_QUEEN_SIDE = 8 };

// Transposition table bound kinds.
enum : uint8_t { TT_UPPER = 0, TT_LOWER = 1, TT_EXACT = 2 };

// Mailbox squares used by name.
enum : uint8_t { A8 = 26, C8 = 28, D8 = 29, E8 = 30, F8 = 31, G8 = 32, H8 = 33,
                 A1 = 110, B1 = 111, C1 = 112, D1 = 113, E1 = 114, F1 = 115, G1 = 116, H1 = 117 };

constexpr int BOARD_SIZE = 144;         // 12 x 12 mailbox with a border two squares deep
constexpr int FIRST_SQUARE = 26;        // a8
constexpr int LAST_SQUARE = 117;        // h1
constexpr int MAX_MOVES = 256;          // capacity of every move list
constexpr int HISTORY_SIZE = 4096;      // undo records of the game and the search path
constexpr int MAX_PLY = 128;            // deepest search ply
constexpr int GAME_PLY_LIMIT = HISTORY_SIZE - MAX_PLY;  // longest game the engine accepts
constexpr int LINE_SIZE = 256;          // input line buffer, terminator included
constexpr int INFINITE_SCORE = 2147483647;
constexpr int MATE_SCORE = 10000;
constexpr uint16_t NO_MOVE_CODE = 0xFFFF;

inline constexpr char piece_chars[] = "pnbrqk.";

// 32-bit addition that wraps instead of overflowing (ordering scores).
constexpr int32_t wrapping_add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
// TORLO_VERSION ("0.41c") is defined by the build, from the one place the
// version is written (CMakeLists.txt), which the package's version uses too.
#ifndef TORLO_VERSION
#error "TORLO_VERSION is defined by the build (CMakeLists.txt)"
#endif
inline constexpr const char* ENGINE_NAME = "TORLO v" TORLO_VERSION;

}  // namespace torlo
