// Transposition table: one direct-mapped table indexed by the key modulo its
// entry count, with a three-state age that decides what a store may
// overwrite. Every search thread reads and writes it at once, without locks.
//
// Contract:
//  - The default table (TT_ENTRIES entries) is fixed storage for the whole
//    run; tt_resize gives the table another entry count (memory taken once,
//    outside the search) or the default back. A resize empties the table.
//  - tt_probe returns a whole entry that one store wrote, never a mixture of
//    two stores racing on the same slot; a probe or store never waits.
//  - tt_clear, tt_age and tt_resize are called only while no search runs.
#pragma once

#include <cstdint>

namespace torlo {

constexpr int TT_ENTRIES = 699050;  // the default table
constexpr int TT_KBYTES = 16383;    // its size as the start-up line reports it
// The table's size in the start-up line and the Hash option is counted at
// 24 bytes an entry (its 16 bytes, its summary byte and room to spare):
// 16 MB give exactly the default table.
constexpr uint64_t TT_BYTES_PER_ENTRY = 24;
constexpr int TT_DEFAULT_MB = 16;
static_assert(TT_DEFAULT_MB * 1024ULL * 1024 / TT_BYTES_PER_ENTRY == TT_ENTRIES);
static_assert(TT_ENTRIES * TT_BYTES_PER_ENTRY / 1024 == TT_KBYTES);

// An entry as a probe returns it (unpacked: whole bytes, no bit fields, so
// that the inlined probe leaves its fields in registers).
struct TTEntry {
    uint64_t key;    // full Zobrist key of the stored position
    int32_t score;   // side-to-move score as the search returned it
    uint16_t move;   // move code of the best move (sq64 from * 256 + sq64 to), 0xFFFF none
    uint8_t depth;   // searched depth (quiescence results: 0)
    uint8_t bound;   // TT_UPPER, TT_LOWER, TT_EXACT
    uint8_t age;     // 0 empty (a miss), 1 earlier search, 2 current search
};

// A slot as stored: two 64-bit words, each read and written whole.
//   data   bits  0-31  score
//          bits 32-47  move
//          bits 48-55  depth
//          bits 56-57  bound
//   check  key ^ data
// A probe takes the slot only when check ^ data equals its key, so a slot
// whose words come from two different stores (two threads writing it at
// once) is a miss, never a wrong entry. The age is the summary's.
struct TTSlot {
    uint64_t check;
    uint64_t data;
};
static_assert(sizeof(TTSlot) == 16, "table slots are 16 bytes");

// A one-byte summary of each slot, kept beside the table and in step with
// it, so that most probes and stores are decided without reading the slot
// itself (three probes in four miss; the summaries, 700 KB, mostly stay in
// the processor's caches, the 11 MB of slots mostly do not):
//   age   bits 0-1  the entry's age (0: empty)
//   deep  bit  2    its depth is above 0
//   tag   bits 3-7  bits 59-63 of the key it holds
// A probe whose tag differs cannot hit. A quiescence store (depth 0) is
// decided here; a deeper store reads the slot's depth when it is current.

// The default table, fixed storage for the whole run.
extern TTSlot tt[TT_ENTRIES];
extern uint8_t tt_meta[TT_ENTRIES];
// The table in use: the default one, or one that tt_resize allocated.
extern uint64_t tt_entries;
extern TTSlot* tt_slots;
extern uint8_t* tt_summaries;

// key % divisor by a multiplication with a precomputed reciprocal (exact
// for every 64-bit key and divisor above 1).
__extension__ typedef unsigned __int128 uint128_t;
struct Reciprocal {
    uint128_t m;  // 2^128 / divisor, rounded up
    uint64_t divisor;
};
// (Divisor 1: m wraps to 0 and every remainder is 0, as it should be.)
constexpr Reciprocal reciprocal_of(uint64_t divisor) { return {~uint128_t{0} / divisor + 1, divisor}; }
inline uint64_t mod_by(uint64_t key, const Reciprocal& r) {
    const uint128_t fraction = r.m * key;  // the fraction part of key / divisor, 128 bits
    const uint128_t low = static_cast<uint64_t>(fraction), high = fraction >> 64;
    return static_cast<uint64_t>((high * r.divisor + ((low * r.divisor) >> 64)) >> 64);
}
extern Reciprocal tt_reciprocal;

// Where a key's slot and summary are. With the default count the index
// stays a division by a constant, which the compiler turns into a
// multiplication, into the fixed storage.
struct TTPlace {
    TTSlot* slot;
    uint8_t* meta;
};
inline TTPlace tt_place(uint64_t key) {
    if (tt_entries == TT_ENTRIES) [[likely]] {
        const uint64_t index = key % TT_ENTRIES;
        return {&tt[index], &tt_meta[index]};
    }
    const uint64_t index = mod_by(key, tt_reciprocal);
    return {&tt_slots[index], &tt_summaries[index]};
}
inline uint64_t tt_index(uint64_t key) {
    return tt_entries == TT_ENTRIES ? key % TT_ENTRIES : mod_by(key, tt_reciprocal);
}
// Always inlined: as a function of its own it only reads memory and writes
// nothing, and GCC then drops whole calls of it as if they did nothing.
// The operations on an allocated table are kept out of line, so that the
// search's loops carry only the default table's code.
void tt_prefetch_allocated(uint64_t key);
[[gnu::always_inline]] inline void tt_prefetch(uint64_t key) {
    if (tt_entries == TT_ENTRIES) [[likely]] {
        const uint64_t index = key % TT_ENTRIES;
        __builtin_prefetch(&tt[index]);
        __builtin_prefetch(&tt_meta[index]);
        return;
    }
    tt_prefetch_allocated(key);
}

// True while every entry is empty: nothing was stored since the table was
// last cleared (entries change only through tt_store, and a probe only
// refreshes entries that a store filled). Clearing or ageing such a table
// changes nothing, so the pass over it is skipped.
extern bool tt_all_empty;

void tt_clear();   // every entry empty
void tt_age();     // current entries become old
// The entry of this key (made current), or one with age 0: a miss.
inline TTEntry tt_probe(uint64_t key);
inline void tt_store(uint64_t key, int score, uint16_t move, int depth, int bound);
// The slot at an index as it stands (age from its summary), for tests.
TTEntry tt_read_slot(uint64_t index);

// Entries of a table of `megabytes` (24 bytes an entry).
uint64_t tt_entries_for(uint64_t megabytes);
// Gives the table `entries` slots, empty; the default count takes the fixed
// storage back. False, with the table as it was, when the memory is refused.
bool tt_resize(uint64_t entries);

// --- The probe and the store, inline: they sit in the search's inner loops.
namespace tt_detail {

constexpr uint8_t AGE_BITS = 0x03;
constexpr uint8_t DEEP_BIT = 0x04;
constexpr uint8_t TAG_BITS = 0xF8;
inline uint8_t tag_of(uint64_t key) { return static_cast<uint8_t>(key >> 56) & TAG_BITS; }
inline bool tag_differs(uint8_t meta, uint64_t key) { return ((meta ^ (key >> 56)) & TAG_BITS) != 0; }

// The words and summaries are read and written whole, as relaxed atomics:
// the other search threads may write them at any moment, and a plain read
// racing with a write would be undefined. On the usual processors these
// are the plain loads and stores. (The compilers' atomic built-ins, which
// std::atomic_ref is made of, work on plain objects in every library.)
inline uint64_t load(const uint64_t& word) { return __atomic_load_n(&word, __ATOMIC_RELAXED); }
inline void store(uint64_t& word, uint64_t value) { __atomic_store_n(&word, value, __ATOMIC_RELAXED); }
inline uint8_t load(const uint8_t& meta) { return __atomic_load_n(&meta, __ATOMIC_RELAXED); }
inline void store(uint8_t& meta, uint8_t value) { __atomic_store_n(&meta, value, __ATOMIC_RELAXED); }

inline uint64_t pack(int score, uint16_t move, uint8_t depth, int bound) {
    return static_cast<uint32_t>(score) | static_cast<uint64_t>(move) << 32 | static_cast<uint64_t>(depth) << 48 |
           static_cast<uint64_t>(bound & 3) << 56;
}
inline uint8_t depth_of(uint64_t data) { return static_cast<uint8_t>(data >> 48); }

inline TTEntry unpack(uint64_t key, uint64_t data, uint8_t age) {
    TTEntry e{};
    e.key = key;
    e.score = static_cast<int32_t>(static_cast<uint32_t>(data));
    e.move = static_cast<uint16_t>(data >> 32);
    e.depth = depth_of(data);
    e.bound = static_cast<uint8_t>((data >> 56) & 3);
    e.age = static_cast<uint8_t>(age & AGE_BITS);
    return e;
}

// The probe and the store on one slot and its summary. Each is written out
// twice below, once on the fixed default table, whose addresses go straight
// into the instructions, and once on an allocated one.
[[gnu::always_inline]] inline TTEntry probe_at(const TTSlot& slot, uint8_t& summary, uint64_t key) {
    const uint8_t meta = load(summary);
    if ((meta & AGE_BITS) == 0 || tag_differs(meta, key)) return TTEntry{};  // empty, or another key
    const uint64_t data = load(slot.data);
    if ((load(slot.check) ^ data) != key) return TTEntry{};
    if ((meta & AGE_BITS) != 2) store(summary, static_cast<uint8_t>((meta & ~AGE_BITS) | 2));
    return unpack(key, data, 2);
}

[[gnu::always_inline]] inline void store_at(TTSlot& slot, uint8_t& summary, uint64_t key, int score, uint16_t move,
                                            int depth, int bound) {
    const uint8_t meta = load(summary);
    const uint8_t d = static_cast<uint8_t>(depth);
    // A deeper entry of another position written or found in this search
    // stays. The slot is read only when the tags agree or, for a store
    // above depth 0, to learn the depth.
    if ((meta & AGE_BITS) == 2) {
        bool deeper;
        uint64_t old_data = 0;
        if (d == 0) {
            deeper = (meta & DEEP_BIT) != 0;
        } else {
            old_data = load(slot.data);
            deeper = depth_of(old_data) > d;
        }
        if (deeper) {
            if (tag_differs(meta, key)) return;
            if (d == 0) old_data = load(slot.data);
            if ((load(slot.check) ^ old_data) != key) return;
        }
    }
    const uint64_t data = pack(score, move, d, bound);
    store(slot.data, data);
    store(slot.check, key ^ data);
    store(summary, static_cast<uint8_t>(tag_of(key) | (d > 0 ? DEEP_BIT : 0) | 2));
    // Written only when it changes: every thread stores, and a write on
    // each call would keep this cache line, which also holds the table's
    // size and address that every probe reads, moving between the cores.
    if (__atomic_load_n(&tt_all_empty, __ATOMIC_RELAXED)) __atomic_store_n(&tt_all_empty, false, __ATOMIC_RELAXED);
}

}  // namespace tt_detail

TTEntry tt_probe_allocated(uint64_t key);
void tt_store_allocated(uint64_t key, int score, uint16_t move, int depth, int bound);

inline TTEntry tt_probe(uint64_t key) {
    if (tt_entries == TT_ENTRIES) [[likely]] {
        const uint64_t i = key % TT_ENTRIES;
        return tt_detail::probe_at(tt[i], tt_meta[i], key);
    }
    return tt_probe_allocated(key);
}

inline void tt_store(uint64_t key, int score, uint16_t move, int depth, int bound) {
    if (tt_entries == TT_ENTRIES) [[likely]] {
        const uint64_t i = key % TT_ENTRIES;
        tt_detail::store_at(tt[i], tt_meta[i], key, score, move, depth, bound);
        return;
    }
    tt_store_allocated(key, score, move, depth, bound);
}

}  // namespace torlo
