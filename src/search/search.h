// Search: move ordering tables, alpha-beta with null move, check extension
// and principal-variation windows, quiescence, the think step with
// iterative deepening and aspiration windows, and the search clock.
//
// Contract:
//  - think() leaves the chosen move in best_move (pv[0][0]) and its text in
//    the caller's buffer and returns 1, or returns 0 with no move (it
//    resigned, or the side to move has no legal move; the result line has
//    then been printed and the engine is in force mode).
//  - The position is back at the root whenever think() returns.
//  - The hot path (search, quiesce, ordering) allocates nothing and does no
//    I/O apart from thinking lines.
#pragma once

#include <cstdint>

#include "board/board.h"

namespace torlo {

// --- ordering.cpp
extern int32_t killer1_score[MAX_PLY];
extern int32_t killer2_score[MAX_PLY];
extern Move pv[MAX_PLY][MAX_PLY];
extern int32_t pv_length[MAX_PLY];
extern int32_t follow_pv;
inline Move& best_move = pv[0][0];

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
// Thrown by check_time once the search must stop; caught by think().
struct SearchAborted {};

extern uint64_t nodes;
extern int32_t iteration_depth;
extern int64_t start_time;     // monotonic milliseconds
extern int64_t stop_time;      // deadline, monotonic milliseconds
extern int32_t abort_search;
extern bool use_deadline;      // false: no deadline (infinite analysis)
extern uint64_t node_limit;    // stop at the first time check past this many nodes; 0 = none
extern int64_t move_budget_ms; // time for this move in milliseconds; < 0: move_time seconds
extern void (*search_poll)();  // called at every time check (input while searching); may stop
extern bool stop_requested;    // set by stop_search(); the next time check ends the search
// Replaces the xboard thinking line when set (another protocol's format).
extern void (*thinking_printer)(int score, int64_t centiseconds);

int64_t now_ms();
void check_time();
void stop_search();            // make the next time check end the search
void print_thinking(int score);

// --- search.cpp / quiesce.cpp
int search(int depth, int alpha, int beta);
int quiesce(int qdepth, int alpha, int beta);

// --- think.cpp
extern bool resign_allowed;    // false in protocols where the engine never resigns
int think(char* out_text);
bool has_legal_move();         // some move of root_moves is legal
void pv_from_tt();

// --- bench.cpp
struct BenchResult {
    uint64_t nodes;
    int64_t ms;
};
constexpr int BENCH_DEPTH = 7;
BenchResult run_bench(int depth);

}  // namespace torlo
