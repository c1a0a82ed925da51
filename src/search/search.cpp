// The alpha-beta search: negamax with a table probe, null move (R = 2), a
// one-ply check extension, principal-variation windows, repetition and
// fifty-move draws and mate scores counted from the root. Fail-soft.
#include "eval/eval.h"
#include "search/search.h"
#include "search/tt.h"

namespace torlo {
inline namespace TORLO_COPY {

template <bool Noisy>
int search_tree(int depth, int alpha, int beta) {
    // Initialise.
    int extension = 0;
    bool legal_move_seen = false;
    bool alpha_raised = false;
    uint16_t hash_move = NO_MOVE_CODE;
    uint16_t best = NO_MOVE_CODE;
    const int entry_alpha = alpha;

    // Horizon.
    if (depth == 0) return quiesce_tree<Noisy>(limits.max_depth, alpha, beta);
    const int n = pos.ply - root_ply;
    if (n >= MAX_PLY - 1) return evaluate();

    // Count the node.
    if ((++nodes & 2047) == 0) check_time();

    // The reply to a null move is usually searched first: ask for its table
    // slot now.
    tt_prefetch(pos.hash_key ^ side_key() ^ (pos.ep ? ep_key(pos.ep) : 0));

    // Empty this node's principal variation.
    pv_length[n] = n;

    // Table probe.
    if (const TTEntry e = tt_probe(pos.hash_key); e.age != 0) {
        if (e.depth >= depth) {
            if (e.bound == TT_UPPER && e.score <= alpha) return e.score;
            if (e.bound == TT_LOWER && e.score >= beta) return e.score;
            if (e.bound == TT_EXACT) return e.score;
        }
        hash_move = e.move;
    }

    // Check extension.
    const int check = in_check(pos.side);
    if (check) {
        if (n <= limits.max_depth) extension = 1;
    } else if (make_null_move()) {
        // Null move with a zero window just below beta.
        const int saved_follow_pv = follow_pv;
        follow_pv = 0;
        const int score = depth < 3 ? -quiesce_tree<Noisy>(limits.max_depth, -beta, -beta + 1)
                                    : -search_tree<Noisy>(depth - 3, -beta, -beta + 1);
        unmake_null_move();
        follow_pv = saved_follow_pv;
        if (score >= beta) {
            tt_store(pos.hash_key, score, NO_MOVE_CODE, depth, TT_LOWER);
            return score;
        }
    }

    // Repetition (never at the root).
    if (n > 0 && repetition_count() != 0) return 0;

    // Generate.
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 0);
    if (follow_pv) sort_pv(list, count);

    // Move loop.
    // The next move is picked before this one is searched (the list does
    // not change meanwhile), so that its table slot can be fetched while
    // this move's subtree is searched.
    uint64_t next_key = count > 0 ? pick_and_prefetch(list, 0, count, hash_move) : 0;
    for (int i = 0; i < count; ++i) {
        const uint64_t key = next_key;
        if (i + 1 < count) next_key = pick_and_prefetch(list, i + 1, count, hash_move);
        if (!make_move_with_key(list[i], key)) continue;
        legal_move_seen = true;
        const int child_depth = depth - 1 + extension;
        int score;
        if (!alpha_raised) {
            score = -search_tree<Noisy>(child_depth, -beta, -alpha);
        } else {
            score = -search_tree<Noisy>(child_depth, -alpha - 1, -alpha);
            if (score > alpha && score < beta) score = -search_tree<Noisy>(child_depth, -beta, -alpha);
        }
        unmake_move();
        if (score > alpha) {
            const Move& m = list[i];
            best = move_code(m);
            uint32_t& h = reinterpret_cast<uint32_t&>(history_score[m.from][m.to]);
            h += 1u << (depth & 31);
            update_killers(score, m);
            alpha = score;
            if (score >= beta) {
                tt_store(pos.hash_key, score, best, depth, TT_LOWER);
                return score;
            }
            alpha_raised = true;
            update_pv(n, m);
            if (depth == iteration_depth) print_thinking(score);
        }
    }

    // Checkmate or stalemate.
    if (!legal_move_seen) alpha = check ? -MATE_SCORE + n : 0;

    // Fifty-move rule.
    if (pos.fifty_counter >= 100) return 0;

    // Store and return.
    const int bound = alpha >= beta ? TT_LOWER : alpha > entry_alpha ? TT_EXACT : TT_UPPER;
    tt_store(pos.hash_key, alpha, best, depth, bound);
    return alpha;
}

template int search_tree<false>(int depth, int alpha, int beta);
#if !defined(TORLO_HELPER_COPY)
template int search_tree<true>(int depth, int alpha, int beta);  // strength levels: the main search only
#endif

}  // namespace TORLO_COPY
}  // namespace torlo
