// A helper thread's side of the search (search/threads.h): it takes the
// root the main search gave it and iterates on it, silent, filling the
// shared table. Compiled only into the helper copy (types.h), where the
// position, history, ordering tables and node count are the thread's own.
#include "board/board.h"
#include "search/search.h"
#include "search/threads.h"

#if defined(TORLO_HELPER_COPY)

namespace torlo {
inline namespace TORLO_COPY {

constinit TORLO_THREAD_LOCAL int32_t thread_index = 0;

void helper_think() {
    // The main search's preparation, for this thread's own tables.
    nodes = 0;
    root_ply = pos.ply;
    reset_search_tables();
    iteration_depth = 1;
    int alpha = -INFINITE_SCORE, beta = INFINITE_SCORE;
    try {
        // Past the main search's depth limit too: until the main search
        // ends, a deeper iteration still fills the table for it.
        while (iteration_depth < MAX_PLY) {
            if (helper_skips_depth(thread_index, iteration_depth)) {
                ++iteration_depth;
                alpha = -INFINITE_SCORE;
                beta = INFINITE_SCORE;
                continue;
            }
            follow_pv = 1;
            const int score = search(iteration_depth, alpha, beta);
            if (score <= alpha || score >= beta) {
                alpha = -INFINITE_SCORE;
                beta = INFINITE_SCORE;
                continue;
            }
            ++iteration_depth;
            reset_killer_scores();
            alpha = score - ASPIRATION;
            beta = score + ASPIRATION;
        }
    } catch (const SearchAborted&) {
        // The main search has ended: this one is abandoned where it stands.
    }
}

}  // namespace TORLO_COPY

void helper_main(int k) {
    thread_index = k;
    pos = root_position;
    for (int32_t i = 0; i < root_position.ply; ++i) game_history[i] = root_history[i];
    setup_ply = root_setup_ply;
    helper_think();
    publish_nodes(k, nodes);
}

}  // namespace torlo

#endif  // TORLO_HELPER_COPY
