// The think step: book first, then iterative deepening inside aspiration
// windows until the depth limit, a mate within the limit, or the clock.
#include <cstdio>

#include "book/book.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/tt.h"

namespace torlo {

namespace {

constexpr int RESIGN_SCORE = -9000;
constexpr int RESIGN_DEPTH = 5;
constexpr int BOOK_PLY_LIMIT = 19;


bool is_legal_root_move(const Move& m) {
    if (!make_move(m)) return false;
    unmake_move();
    return true;
}

// The engine always plays a legal move when it has one: a best_move that is
// not a legal move of the root list (the empty move after a search stopped
// before its first result) becomes the first legal move in list order.
void ensure_legal_best_move() {
    generate_root_moves();
    for (int i = 0; i < move_count; ++i)
        if (same_move(root_moves[i], best_move) && is_legal_root_move(root_moves[i])) return;
    for (int i = 0; i < move_count; ++i) {
        if (root_move_allowed(root_moves[i]) && is_legal_root_move(root_moves[i])) {
            best_move = root_moves[i];
            return;
        }
    }
}

// Returns false when the engine resigns.
bool iterate() {
    int alpha = -INFINITE_SCORE, beta = INFINITE_SCORE;
    for (;;) {
        follow_pv = 1;
        const int score = search_at_level(iteration_depth, alpha, beta);
        if (pv_length[0] == 0) pv_from_tt();
        print_thinking(score);
        if (score <= alpha || score >= beta) {
            // The window failed: search the same depth again with the open window.
            alpha = -INFINITE_SCORE;
            beta = INFINITE_SCORE;
        } else {
            if (score < RESIGN_SCORE && iteration_depth >= RESIGN_DEPTH && limits.may_resign) return false;
            if (score >= MATE_SCORE - limits.max_depth) return true;
            ++iteration_depth;
            reset_killer_scores();
            alpha = score - ASPIRATION;
            beta = score + ASPIRATION;
        }
        if (iteration_depth > limits.max_depth) return true;
    }
}

// Ends the helpers however the main search ends (a result, the clock, a
// resignation).
struct HelperRun {
    HelperRun() { start_helpers(); }
    ~HelperRun() { stop_helpers(); }
    HelperRun(const HelperRun&) = delete;
    HelperRun& operator=(const HelperRun&) = delete;
};

}  // namespace

bool has_legal_move() {
    for (int i = 0; i < move_count; ++i)
        if (is_legal_root_move(root_moves[i])) return true;
    return false;
}

void pv_from_tt() {
    const TTEntry e = tt_probe(pos.hash_key);
    generate_root_moves();
    if (e.age == 0) return;
    for (int i = 0; i < move_count; ++i) {
        if (move_code(root_moves[i]) == e.move) {
            best_move = root_moves[i];
            pv_length[0] = 1;
            return;
        }
    }
}

ThinkResult think(char* out_text) {
    generate_root_moves();
    // No legal move: the caller announces the result instead.
    if (!has_legal_move()) return THINK_NO_MOVE;

    // The book closes at the engine's move of ply 19.
    if (pos.ply == BOOK_PLY_LIMIT && pos.side == limits.engine_side) limits.use_book = 0;

    // A book move, while the book is open.
    ThinkResult result = THINK_BOOK;
    Move book_move;
    if (limits.use_book && book_probe(limits.engine_side, &book_move)) {
        best_move = book_move;
    } else {
        limits.use_book = 0;
        result = THINK_SEARCHED;
        // Otherwise a search: counters, root and table age.
        nodes = 0;
        root_ply = pos.ply;
        tt_age();
        abort_search = 0;
        stop_requested = false;
        try {
            // Reset the search tables.
            reset_search_tables();
            // The deadline.
            start_time = now_ms();
            stop_time = start_time + (move_budget_ms >= 0 ? move_budget_ms : static_cast<int64_t>(limits.move_time) * 1000);
            iteration_depth = 1;
            // Iterate, with the helper threads beside.
            if (limits.max_depth >= 1) {
                const HelperRun helpers;
                if (multi_line_search()) iterate_lines();
                else if (!iterate()) return THINK_RESIGN;
            }
        } catch (const SearchAborted&) {
            // The clock stopped the search: back to the root.
            while (pos.ply > root_ply) unmake_move();
        }
        ensure_legal_best_move();
    }

    // The move's text for the caller.
    std::snprintf(out_text, LINE_SIZE, "%s", move_text(best_move, 0));
    return result;
}

}  // namespace torlo
