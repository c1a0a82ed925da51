// Search threads: the think step's main search runs on the caller's thread
// (the interface thread); for as long as it runs, helper threads search the
// same root and share the transposition table with it, each with its own
// position, history, ordering tables and node count (the helper copy of
// board/, eval/ and the tree walk, whose state is thread-local: types.h).
//
// Contract:
//  - With search_threads == 1 no helper is started: the search is exactly
//    the single-threaded one.
//  - Helpers start with the main search (start_helpers, after the root is
//    set up) and are stopped and joined before think() returns
//    (stop_helpers); nothing else ever runs on them.
//  - A helper iterates like the main search but skips some depths (helper k
//    skips half of them, in a pattern of its own), so that the threads work
//    ahead of each other and fill the table for the main search; it goes on
//    past the depth limit until the main search ends. Its quiescence
//    search neither probes nor stores the table (search/quiesce.cpp), so
//    that the threads share the table's cache lines only at the deeper
//    nodes. Helpers print nothing and their result is not used.
//  - total_nodes() is the main thread's count plus each helper's count as
//    it last published it (at every time check, and exactly when it ends).
#pragma once

#include <cstdint>

#include "types.h"

namespace torlo {

#if TORLO_SINGLE_THREAD
constexpr int MAX_SEARCH_THREADS = 1;
#else
constexpr int MAX_SEARCH_THREADS = 256;
#endif

extern int32_t search_threads;  // threads per search, 1 .. MAX_SEARCH_THREADS

inline namespace TORLO_COPY {
#if defined(TORLO_HELPER_COPY)
// k on helper k, set when the helper starts (thread-local).
extern constinit TORLO_THREAD_LOCAL int32_t thread_index;
#else
// The interface thread's copy runs only the main search.
constexpr int32_t thread_index = 0;
#endif
}  // namespace TORLO_COPY

void start_helpers();   // helpers for the position and limits of the main search
void stop_helpers();    // ends them (within a time check) and waits for them
bool helpers_stopping();  // true once stop_helpers has begun: a helper's search must end
void publish_nodes(int k, uint64_t count);  // helper k's node count, for total_nodes()
uint64_t total_nodes();

// Whether helper k skips iteration depth d (k >= 1).
bool helper_skips_depth(int k, int depth);

#if !TORLO_SINGLE_THREAD
// The root as the main search has it when the helpers start: its position
// (copied, since the main search moves on at once) and its history (the
// main thread's records below the root, which no search changes).
struct Position;
struct UndoRecord;
extern Position root_position;
extern const UndoRecord* root_history;
extern int32_t root_setup_ply;
// Helper k's thread (search/helper.cpp, in the helper copy): takes the
// root, searches it and publishes its final count.
void helper_main(int k);
#endif

}  // namespace torlo
