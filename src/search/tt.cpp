#include "search/tt.h"

#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace torlo {

alignas(2 * 1024 * 1024) TTEntry tt[TT_ENTRIES];
alignas(2 * 1024 * 1024) uint8_t tt_meta[TT_ENTRIES];

namespace {

// Every probe lands on a random entry and summary; with small pages most
// probes would also miss the processor's address cache. Both arrays start
// on a 2 MB boundary and the 2 MB pieces they occupy are offered to the
// kernel for huge pages, before they are first touched. Only a hint:
// without it the table works the same, more slowly.
void advise(const void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t HUGE_PAGE = 2 * 1024 * 1024;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = begin / HUGE_PAGE * HUGE_PAGE;
    const std::uintptr_t last = (begin + size + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

// The arrays start as untouched zero pages: the first write to each page
// makes the kernel find and clear it, a cost that would otherwise fall on
// the first search of the run, one fault at a time as its probes spread
// over the table. Writing the (already zero) arrays once at start-up takes
// those faults here instead. Zero is the empty entry and summary.
bool prepare_table_memory() {
    advise(tt, sizeof tt);
    advise(tt_meta, sizeof tt_meta);
    std::memset(static_cast<void*>(tt), 0, sizeof tt);
    std::memset(tt_meta, 0, sizeof tt_meta);
    return true;
}

[[maybe_unused]] const bool table_memory_prepared = prepare_table_memory();

}  // namespace

namespace {
// True while every entry is empty: nothing was stored since the table was
// last cleared (entries change only through tt_store, and a probe only
// refreshes entries that a store filled). Clearing or ageing such a table
// changes nothing, so the pass over its 11 MB is skipped.
bool all_empty = true;

constexpr uint8_t AGE_BITS = 0x03;
constexpr uint8_t DEEP_BIT = 0x04;
constexpr uint8_t TAG_BITS = 0xF8;
inline uint8_t tag_of(uint64_t key) { return static_cast<uint8_t>(key >> 56) & TAG_BITS; }
inline bool tag_differs(uint8_t meta, uint64_t key) { return ((meta ^ (key >> 56)) & TAG_BITS) != 0; }
}  // namespace

void tt_clear() {
    if (all_empty) return;
    for (TTEntry& e : tt) e.age = 0;
    std::memset(tt_meta, 0, sizeof tt_meta);
    all_empty = true;
}

void tt_age() {
    if (all_empty) return;
    for (TTEntry& e : tt)
        if (e.age == 2) e.age = 1;
    for (uint8_t& m : tt_meta)
        if ((m & AGE_BITS) == 2) m ^= 3;
}

TTEntry* tt_probe(uint64_t key) {
    const uint64_t index = key % TT_ENTRIES;
    uint8_t& meta = tt_meta[index];
    if ((meta & AGE_BITS) == 0 || tag_differs(meta, key)) return nullptr;  // empty, or another key
    TTEntry* e = &tt[index];
    if (e->key != key) return nullptr;
    e->age = 2;
    meta = static_cast<uint8_t>((meta & ~AGE_BITS) | 2);
    return e;
}

void tt_store(uint64_t key, int score, uint16_t move, int depth, int bound) {
    const uint64_t index = key % TT_ENTRIES;
    TTEntry* e = &tt[index];
    const uint8_t meta = tt_meta[index];
    const uint8_t d = static_cast<uint8_t>(depth);
    // A deeper entry of another position written or found in this search
    // stays. The entry is read only when the tags agree or, for a store
    // above depth 0, to learn the depth.
    if ((meta & AGE_BITS) == 2) {
        const bool deeper = d == 0 ? (meta & DEEP_BIT) != 0 : e->depth > d;
        if (deeper && (tag_differs(meta, key) || e->key != key)) return;
    }
    // Written whole: no read of the old entry's bit fields.
    *e = TTEntry{key, score, move, d, static_cast<uint8_t>(bound & 3), 2, 0};
    tt_meta[index] = static_cast<uint8_t>(tag_of(key) | (d > 0 ? DEEP_BIT : 0) | 2);
    all_empty = false;
}

}  // namespace torlo
