#include "search/tt.h"

#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // MinGW's C++ library defines it already
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace torlo {

// Both arrays start on a huge-page boundary where the kernel is offered
// huge pages (below); elsewhere on a page boundary (a Windows object file
// aligns to 8 KB at most).
#if defined(__linux__)
constexpr std::size_t TABLE_ALIGNMENT = 2 * 1024 * 1024;
#else
constexpr std::size_t TABLE_ALIGNMENT = 4096;
#endif
alignas(TABLE_ALIGNMENT) TTSlot tt[TT_ENTRIES];
alignas(TABLE_ALIGNMENT) uint8_t tt_meta[TT_ENTRIES];
uint64_t tt_entries = TT_ENTRIES;
bool tt_all_empty = true;
TTSlot* tt_slots = tt;
uint8_t* tt_summaries = tt_meta;
constinit Reciprocal tt_reciprocal = reciprocal_of(TT_ENTRIES);

namespace {

constexpr std::size_t HUGE_PAGE = 2 * 1024 * 1024;

// Every probe lands on a random entry and summary; with small pages most
// probes would also miss the processor's address cache. The arrays start on
// a 2 MB boundary and the 2 MB pieces they occupy are offered to the kernel
// for huge pages, before they are first touched. Only a hint: without it
// the table works the same, more slowly.
void advise(const void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = begin / HUGE_PAGE * HUGE_PAGE;
    const std::uintptr_t last = (begin + size + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

// Fresh memory starts as untouched zero pages: the first write to each page
// makes the kernel find and clear it, a cost that would otherwise fall on
// the first search, one fault at a time as its probes spread over the
// table. Writing the (already zero) arrays once here takes those faults
// now instead. Zero is the empty slot and summary.
void prepare(void* data, std::size_t size) {
    advise(data, size);
    std::memset(data, 0, size);
}

[[maybe_unused]] const bool table_memory_prepared = [] {
    prepare(tt, sizeof tt);
    prepare(tt_meta, sizeof tt_meta);
    return true;
}();

// Storage for a table of another size, on a 2 MB boundary (for huge
// pages), taken straight from the system so that a refusal is an answer
// (nullptr), not the end of the program.
struct Block {
    void* base = nullptr;  // what the system gave
    std::size_t length = 0;
};
Block slot_block, summary_block;

void* allocate(std::size_t size, Block* block) {
    const std::size_t length = size + HUGE_PAGE;
#if defined(_WIN32)
    void* base = VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!base) return nullptr;
#else
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
#endif
    *block = Block{base, length};
    const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(base) + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
    void* data = reinterpret_cast<void*>(start);
    prepare(data, size);
    return data;
}

void release(Block* block) {
    if (!block->base) return;
#if defined(_WIN32)
    VirtualFree(block->base, 0, MEM_RELEASE);
#else
    munmap(block->base, block->length);
#endif
    *block = Block{};
}

}  // namespace

void tt_clear() {
    if (tt_all_empty) return;
    std::memset(tt_summaries, 0, tt_entries);
    tt_all_empty = true;
}

void tt_age() {
    if (tt_all_empty) return;
    for (uint64_t i = 0; i < tt_entries; ++i)
        if ((tt_summaries[i] & tt_detail::AGE_BITS) == 2) tt_summaries[i] ^= 3;
}

[[gnu::noinline]] void tt_prefetch_allocated(uint64_t key) {
    const uint64_t i = mod_by(key, tt_reciprocal);
    __builtin_prefetch(&tt_slots[i]);
    __builtin_prefetch(&tt_summaries[i]);
}

[[gnu::noinline]] TTEntry tt_probe_allocated(uint64_t key) {
    const uint64_t i = mod_by(key, tt_reciprocal);
    return tt_detail::probe_at(tt_slots[i], tt_summaries[i], key);
}

[[gnu::noinline]] void tt_store_allocated(uint64_t key, int score, uint16_t move, int depth, int bound) {
    const uint64_t i = mod_by(key, tt_reciprocal);
    tt_detail::store_at(tt_slots[i], tt_summaries[i], key, score, move, depth, bound);
}

TTEntry tt_read_slot(uint64_t index) {
    TTSlot* slot = tt_entries == TT_ENTRIES ? &tt[index] : &tt_slots[index];
    const uint8_t meta = tt_entries == TT_ENTRIES ? tt_meta[index] : tt_summaries[index];
    return tt_detail::unpack(slot->check ^ slot->data, slot->data, meta);
}

uint64_t tt_entries_for(uint64_t megabytes) { return megabytes * 1024 * 1024 / TT_BYTES_PER_ENTRY; }

bool tt_resize(uint64_t entries) {
    if (entries < 1) entries = 1;
    if (entries > SIZE_MAX / 32) return false;  // more than the address space
    if (entries == tt_entries) {
        tt_all_empty = false;  // clear it whole
        tt_clear();
        return true;
    }
    TTSlot* slots = tt;
    uint8_t* summaries = tt_meta;
    Block new_slots, new_summaries;
    if (entries != TT_ENTRIES) {
        slots = static_cast<TTSlot*>(allocate(entries * sizeof(TTSlot), &new_slots));
        summaries = static_cast<uint8_t*>(slots ? allocate(entries, &new_summaries) : nullptr);
        if (!summaries) {
            release(&new_slots);
            return false;
        }
    } else {
        std::memset(tt_meta, 0, sizeof tt_meta);
    }
    release(&slot_block);
    release(&summary_block);
    slot_block = new_slots;
    summary_block = new_summaries;
    tt_slots = slots;
    tt_summaries = summaries;
    tt_entries = entries;
    tt_reciprocal = reciprocal_of(entries);
    tt_all_empty = true;
    return true;
}

}  // namespace torlo
