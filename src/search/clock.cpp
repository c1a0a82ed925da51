// The search clock: node counting, the deadline check every 2048 nodes and
// the thinking line.
#include <chrono>
#include <cstdio>

#include "output/output.h"
#include "search/search.h"
#include "search/threads.h"

namespace torlo {
inline namespace TORLO_COPY {

constinit TORLO_THREAD_LOCAL uint64_t nodes = 0;
constinit TORLO_THREAD_LOCAL int32_t iteration_depth = 0;
constinit TORLO_THREAD_LOCAL int32_t abort_search = 0;

int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void stop_search() { stop_requested = true; }

[[gnu::noinline, gnu::cold]] void check_time() {
    if (thread_index != 0) {
        // A helper: it publishes its count and ends when the main search has.
        publish_nodes(thread_index, nodes);
        if (helpers_stopping()) throw SearchAborted{};
        return;
    }
    if (search_poll) search_poll();
    const bool out_of_time = use_deadline && now_ms() >= stop_time;
    const bool out_of_nodes = node_limit != 0 && total_nodes() >= node_limit;
    if (!stop_requested && !out_of_time && !out_of_nodes) return;
    stop_requested = false;
    abort_search = 1;
    throw SearchAborted{};
}

void print_thinking(int score) {
    if (!limits.post_thinking || thread_index != 0) return;
    const int64_t elapsed = (now_ms() - start_time) / 10;
    if (thinking_printer) {
        thinking_printer(score, elapsed);
        return;
    }
    char line[LINE_SIZE * 8];
    int len = std::snprintf(line, sizeof line, "  %2d %6d %6.0f %7llu  ", iteration_depth, score,
                            static_cast<double>(elapsed), static_cast<unsigned long long>(total_nodes()));
    for (int i = 0; i < pv_length[0] && len < static_cast<int>(sizeof line) - 16; ++i)
        len += std::snprintf(line + len, sizeof line - len, "%s ", move_text(pv[0][i], 1));
    out("%s\n", line);
}

}  // namespace TORLO_COPY
}  // namespace torlo
