// The quiescence search: stand pat on the evaluation, then captures only,
// within a budget of plies; every result is stored with depth 0 (by the
// main search; a helper's quiescence search leaves the table alone).
#include <utility>

#include "eval/eval.h"
#include "search/search.h"
#include "search/tt.h"

namespace torlo {
inline namespace TORLO_COPY {

// Whether this copy's quiescence search probes, prefetches and stores table
// entries. A helper's does not: quiescence nodes are most of a search's
// nodes, and two threads probing and storing them at once keep the table's
// cache lines (the summaries above all) moving between the processor's
// cores, which slowed both threads by a fifth. The helpers still fill the
// table with the deeper entries of their main-search nodes.
#if defined(TORLO_HELPER_COPY)
constexpr bool QUIESCENCE_USES_TABLE = false;
#else
constexpr bool QUIESCENCE_USES_TABLE = true;
#endif

// A leaf's evaluation; a strength level's walk adds its noise.
template <bool Noisy>
inline int leaf_evaluation() {
    if constexpr (Noisy) return evaluate() + position_noise(pos.hash_key);
    return evaluate();
}

template <bool Noisy>
int quiesce_tree(int qdepth, int alpha, int beta) {
    // Initialise.
    uint16_t best_code = NO_MOVE_CODE;
    uint16_t hash_move = NO_MOVE_CODE;
    const int entry_alpha = alpha;
    int best = alpha;

    prefetch_evaluation();

    // Probe first: a hit refreshes the entry even when the budget is spent.
    const TTEntry e = QUIESCENCE_USES_TABLE ? tt_probe(pos.hash_key) : TTEntry{};

    // Budget spent.
    if (qdepth <= 0) return leaf_evaluation<Noisy>();
    const int n = pos.ply - root_ply;
    if (n >= MAX_PLY - 1) return leaf_evaluation<Noisy>();

    // Count the node.
    if ((++nodes & 2047) == 0) check_time();

    // Empty this node's principal variation.
    pv_length[n] = n;

    // Table cutoff at any stored depth.
    if (e.age != 0) {
        if (e.bound == TT_UPPER && e.score <= alpha) return e.score;
        if (e.bound == TT_LOWER && e.score >= beta) return e.score;
        if (e.bound == TT_EXACT) return e.score;
        hash_move = e.move;
    }

    // Stand pat.
    const int stand_pat = leaf_evaluation<Noisy>();
    if (stand_pat > alpha) {
        best = stand_pat;
        if (stand_pat >= beta) {
            if constexpr (QUIESCENCE_USES_TABLE) tt_store(pos.hash_key, stand_pat, NO_MOVE_CODE, 0, TT_LOWER);
            return stand_pat;
        }
    }

    // Captures.
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 1);
    if (follow_pv) sort_pv(list, count);
    // Most captures here lead to a node that only probes, evaluates and
    // stores: ask for all their table slots at once, so that the memory
    // fetches overlap instead of each child waiting for its own.
    uint64_t keys[MAX_MOVES];
    for (int j = 0; j < count; ++j) {
        keys[j] = key_after(list[j]);
        if constexpr (QUIESCENCE_USES_TABLE) tt_prefetch(keys[j]);
    }

    // Move loop; each key moves with its move.
    for (int i = 0; i < count; ++i) {
        const int b = best_index(list, i, count, hash_move);
        std::swap(list[i], list[b]);
        std::swap(keys[i], keys[b]);
        if (!make_move_with_key(list[i], keys[i])) continue;
        const int score = -quiesce_tree<Noisy>(qdepth - 1, -beta, -best);
        unmake_move();
        if (score > best) {
            best_code = move_code(list[i]);
            update_killers(score, list[i]);
            best = score;
            if (score >= beta) {
                if constexpr (QUIESCENCE_USES_TABLE) tt_store(pos.hash_key, score, best_code, 0, TT_LOWER);
                return score;
            }
            update_pv(n, list[i]);
        }
    }

    // Store and return.
    if constexpr (QUIESCENCE_USES_TABLE) tt_store(pos.hash_key, best, best_code, 0, best > entry_alpha ? TT_EXACT : TT_UPPER);
    return best;
}

template int quiesce_tree<false>(int qdepth, int alpha, int beta);
#if !defined(TORLO_HELPER_COPY)
template int quiesce_tree<true>(int qdepth, int alpha, int beta);  // strength levels: the main search only
#endif

}  // namespace TORLO_COPY
}  // namespace torlo
