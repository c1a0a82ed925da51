// The search's input and the clock's settings: written by the interface
// thread between searches (and stop_requested during one), read by the
// main search; one instance for every search thread.
#include "search/search.h"

namespace torlo {

SearchLimits limits = {32, 10, 1, 1, BLACK, true};

int64_t start_time = 0;
int64_t stop_time = 0;
bool use_deadline = true;
uint64_t node_limit = 0;
int64_t move_budget_ms = -1;
void (*search_poll)() = nullptr;
void (*thinking_printer)(int score, int64_t centiseconds) = nullptr;
bool stop_requested = false;

}  // namespace torlo
