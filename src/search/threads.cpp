#include "search/threads.h"

#include <atomic>

#include "board/board.h"
#include "search/search.h"

#if !TORLO_SINGLE_THREAD
#include <system_error>
#include <thread>
#endif

namespace torlo {

int32_t search_threads = 1;

namespace {

// Each helper's published node count on a cache line of its own: the
// helpers write theirs every 2048 nodes, the main thread reads them all.
struct alignas(64) NodeCount {
    std::atomic<uint64_t> value{0};
};
NodeCount helper_nodes[MAX_SEARCH_THREADS];
std::atomic<bool> stopping{false};
int running_helpers = 0;

#if !TORLO_SINGLE_THREAD
std::thread helpers[MAX_SEARCH_THREADS];
#endif

}  // namespace

#if !TORLO_SINGLE_THREAD
Position root_position;
const UndoRecord* root_history = nullptr;
int32_t root_setup_ply = 0;
#endif

bool helpers_stopping() { return stopping.load(std::memory_order_relaxed); }

void publish_nodes(int k, uint64_t count) { helper_nodes[k].value.store(count, std::memory_order_relaxed); }

uint64_t total_nodes() {
    uint64_t total = nodes;
    for (int k = 1; k <= running_helpers; ++k) total += helper_nodes[k].value.load(std::memory_order_relaxed);
    return total;
}

void start_helpers() {
    running_helpers = 0;
#if !TORLO_SINGLE_THREAD
    if (search_threads <= 1) return;
    root_position = pos;
    root_history = game_history;
    root_setup_ply = setup_ply;
    stopping.store(false, std::memory_order_relaxed);
    for (int k = 1; k < search_threads; ++k) {
        helper_nodes[k].value.store(0, std::memory_order_relaxed);
        try {
            helpers[k] = std::thread(helper_main, k);
        } catch (const std::system_error&) {
            break;  // the system has no more threads to give: search with those there are
        }
        running_helpers = k;
    }
#endif
}

void stop_helpers() {
#if !TORLO_SINGLE_THREAD
    if (running_helpers == 0) return;
    stopping.store(true, std::memory_order_relaxed);
    for (int k = 1; k <= running_helpers; ++k) helpers[k].join();
    // running_helpers stays: total_nodes() still counts the helpers' final
    // counts until the next search starts.
#endif
}

bool helper_skips_depth(int k, int depth) {
    // Helper k works on blocks of `size` depths, searching every other
    // block, shifted by `phase`: helpers 1 and 2 take the even and the odd
    // depths, 3 to 6 pairs of depths in four phases, and so on.
    static constexpr int size[20] = {1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4};
    static constexpr int phase[20] = {0, 1, 0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 6, 7};
    const int i = (k - 1) % 20;
    return ((depth + phase[i]) / size[i]) % 2 != 0;
}

}  // namespace torlo
