// Search: move ordering tables, alpha-beta with null move, check extension
// and principal-variation windows, quiescence, the think step with
// iterative deepening and aspiration windows, and the search clock.
//
// Contract:
//  - The search reads its limits from `limits`, which its caller fills
//    before think(); it knows nothing of the engine's settings.
//  - think() leaves the chosen move in best_move (pv[0][0]) and its text in
//    the caller's buffer and returns THINK_SEARCHED or THINK_BOOK, or it
//    returns THINK_NO_MOVE (the side to move has no legal move) or
//    THINK_RESIGN (the position is lost and limits.may_resign is set) with
//    no move. Announcing a result, a resignation or a book move is the
//    caller's.
//  - The position is back at the root whenever think() returns.
//  - The hot path (search, quiesce, ordering) allocates nothing and does no
//    I/O apart from thinking lines.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "search/strength.h"

namespace torlo {

// The search's input, filled by its caller before think().
struct SearchLimits {
    int32_t max_depth;      // iteration limit, quiescence budget, extension bound
    int32_t move_time;      // whole seconds per move, when move_budget_ms < 0
    int32_t post_thinking;  // print thinking lines
    int32_t use_book;       // ask the book first; think() clears it once the book has no move
    uint8_t engine_side;    // the colour the engine plays: the book stops at its move of ply 19
    bool may_resign;        // a lost position is answered with THINK_RESIGN
};
extern SearchLimits limits;

// The think step's aspiration window around the last iteration's score.
constexpr int ASPIRATION = 50;

// Thrown by check_time once the search must stop; caught by think().
struct SearchAborted {};

// --- limits.cpp: the clock's settings, shared by every search thread.
extern int64_t start_time;     // monotonic milliseconds
extern int64_t stop_time;      // deadline, monotonic milliseconds
extern bool use_deadline;      // false: no deadline (infinite analysis)
extern uint64_t node_limit;    // stop at the first time check past this many nodes; 0 = none
extern int64_t move_budget_ms; // time for this move in milliseconds; < 0: move_time seconds
extern void (*search_poll)();  // called at every time check (input while searching); may stop
extern bool stop_requested;    // set by stop_search(); the next time check ends the search
// Replaces the xboard thinking line when set (another protocol's format).
extern void (*thinking_printer)(int score, int64_t centiseconds);

// The tree walk and its state: one copy per kind of search thread
// (types.h: TORLO_COPY).
inline namespace TORLO_COPY {

// --- ordering.cpp
// Per search thread.
extern constinit TORLO_THREAD_LOCAL int32_t killer1_score[MAX_PLY];
extern constinit TORLO_THREAD_LOCAL int32_t killer2_score[MAX_PLY];
extern constinit TORLO_THREAD_LOCAL Move pv[MAX_PLY][MAX_PLY];
extern constinit TORLO_THREAD_LOCAL int32_t pv_length[MAX_PLY];
extern constinit TORLO_THREAD_LOCAL int32_t follow_pv;
#if !defined(TORLO_HELPER_COPY)
// The interface thread's pv[0][0]: the move the engine plays.
inline Move& best_move = pv[0][0];
#endif

void sort_pv(Move* list, int count);
// The move to search next among list[i..count-1]: the hash move when it is
// there, otherwise the first of the highest scores.
int best_index(const Move* list, int i, int count, uint16_t hash_code);
void pick_move(Move* list, int i, int count, uint16_t hash_code);  // swaps it into list[i]
// pick_move, then the key after the picked move, whose table slot is
// fetched while the move before it is searched.
uint64_t pick_and_prefetch(Move* list, int i, int count, uint16_t hash_code);
void update_killers(int score, Move move);
void update_pv(int n, Move move);
void reset_search_tables();    // history, pv, killers and killer scores
void reset_killer_scores();    // killer scores only, before a deeper iteration

// --- clock.cpp
extern constinit TORLO_THREAD_LOCAL uint64_t nodes;         // this thread's nodes in this search
extern constinit TORLO_THREAD_LOCAL int32_t iteration_depth;
extern constinit TORLO_THREAD_LOCAL int32_t abort_search;

int64_t now_ms();
void check_time();
void stop_search();            // make the next time check end the search
void print_thinking(int score);

// --- search.cpp / quiesce.cpp
// The tree walk is one template: Noisy adds a strength level's evaluation
// noise at the leaves (search/strength.h). The full engine's walk,
// search_tree<false>, is the same code as if the noise did not exist.
template <bool Noisy> int search_tree(int depth, int alpha, int beta);
template <bool Noisy> int quiesce_tree(int qdepth, int alpha, int beta);
inline int search(int depth, int alpha, int beta) { return search_tree<false>(depth, alpha, beta); }
inline int quiesce(int qdepth, int alpha, int beta) { return quiesce_tree<false>(qdepth, alpha, beta); }
#if !defined(TORLO_HELPER_COPY)
// The walk for the strength in force: chosen once per iteration, never per node.
inline int search_at_level(int depth, int alpha, int beta) {
    return noise_amplitude != 0 ? search_tree<true>(depth, alpha, beta) : search_tree<false>(depth, alpha, beta);
}
#endif

#if defined(TORLO_HELPER_COPY)
// --- helper.cpp: a helper thread's search of the root it was given
// (search/threads.h): iterations like the main search's, silent, until the
// helpers are stopped or the depth limit is passed.
void helper_think();
#endif

}  // namespace TORLO_COPY

// --- multipv.cpp: several lines and restricted roots (the main search's)
extern int32_t multi_pv;               // lines to report (UCI MultiPV); 1: the ordinary search
extern Move search_moves[MAX_MOVES];   // the root moves to search (go searchmoves)
extern int32_t search_move_count;      // 0: every root move
extern int32_t reported_line;          // the line a thinking line reports, 1..multi_pv; 0: one line
bool multi_line_search();              // more than one line, or a restricted root
bool root_move_allowed(const Move& m); // in search_moves, or no restriction
void iterate_lines();                  // the iterations then; may throw SearchAborted

// --- think.cpp (the interface thread's)
enum ThinkResult : int { THINK_NO_MOVE = 0, THINK_RESIGN = 1, THINK_SEARCHED = 2, THINK_BOOK = 3 };
ThinkResult think(char* out_text);
bool has_legal_move();         // some move of root_moves is legal
void pv_from_tt();

// --- bench.cpp
struct BenchResult {
    uint64_t nodes;
    int64_t ms;
};
constexpr int BENCH_DEPTH = 7;
// Searches each built-in position to the depth with an empty table, the
// other limits as they are; leaves the last position on the board.
BenchResult run_bench(int depth);

}  // namespace torlo
