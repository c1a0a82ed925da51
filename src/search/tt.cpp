#include "search/tt.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace torlo {

TTEntry tt[TT_ENTRIES];

namespace {

// Every probe lands on a random entry; with small pages most probes would
// also miss the processor's address cache. The 2 MB pieces that lie wholly
// inside the table are offered to the kernel for huge pages, before the
// table is first touched. Only a hint: without it the table works the same,
// more slowly.
bool advise_huge_pages() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t HUGE_PAGE = 2 * 1024 * 1024;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(tt);
    const std::uintptr_t end = begin + sizeof tt;
    const std::uintptr_t first = (begin + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
    const std::uintptr_t last = end / HUGE_PAGE * HUGE_PAGE;
    if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
    return true;
}

[[maybe_unused]] const bool huge_pages_advised = advise_huge_pages();

}  // namespace

namespace {
// True while every entry is empty: nothing was stored since the table was
// last cleared (entries change only through tt_store, and a probe only
// refreshes entries that a store filled). Clearing or ageing such a table
// changes nothing, so the pass over its 11 MB is skipped.
bool all_empty = true;
}  // namespace

void tt_clear() {
    if (all_empty) return;
    for (TTEntry& e : tt) e.age = 0;
    all_empty = true;
}

void tt_age() {
    if (all_empty) return;
    for (TTEntry& e : tt)
        if (e.age == 2) e.age = 1;
}

TTEntry* tt_probe(uint64_t key) {
    TTEntry* e = tt_slot(key);
    if (e->age == 0 || e->key != key) return nullptr;
    e->age = 2;
    return e;
}

void tt_store(uint64_t key, int score, uint16_t move, int depth, int bound) {
    TTEntry* e = tt_slot(key);
    const uint8_t d = static_cast<uint8_t>(depth);
    // A deeper entry of another position written or found in this search stays.
    if (e->key != key && e->age == 2 && e->depth > d) return;
    e->key = key;
    e->score = score;
    e->depth = d;
    e->move = move;
    e->bound = static_cast<uint8_t>(bound) & 3;
    e->age = 2;
    all_empty = false;
}

}  // namespace torlo
