// Transposition table: one direct-mapped table of TT_ENTRIES entries indexed
// by hash_key % TT_ENTRIES, with a three-state age that decides what a store
// may overwrite. Lives for the whole run; no allocation.
#pragma once

#include <cstdint>

namespace torlo {

constexpr int TT_ENTRIES = 699050;
constexpr int TT_KBYTES = 16383;  // the size the start-up line reports

// Entry layout, 16 bytes:
//   key   64 bits  full Zobrist key of the stored position
//   score 32 bits  side-to-move score as the search returned it
//   move  16 bits  move code of the best move (sq64 from * 256 + sq64 to), 0xFFFF none
//   depth  8 bits  searched depth (quiescence results: 0)
//   bound  2 bits  TT_UPPER, TT_LOWER, TT_EXACT
//   age    2 bits  0 empty, 1 earlier search, 2 current search
//   spare  4 bits  0
struct TTEntry {
    uint64_t key;
    int32_t score;
    uint16_t move;
    uint8_t depth;
    uint8_t bound : 2;
    uint8_t age : 2;
    uint8_t spare : 4;  // always 0; named so that an entry is written without reading it
};
static_assert(sizeof(TTEntry) == 16, "table entries are 16 bytes");

// The table, fixed storage for the whole run. Entries change only through
// tt_clear, tt_age, tt_probe and tt_store.
extern TTEntry tt[TT_ENTRIES];

// A one-byte summary of each entry, kept beside the table and in step with
// it, so that most probes and stores are decided without reading the entry
// itself (three probes in four miss; the summaries, 700 KB, mostly stay in
// the processor's caches, the 11 MB of entries mostly do not):
//   age   bits 0-1  the entry's age (0: empty)
//   deep  bit  2    its depth is above 0
//   tag   bits 3-7  bits 59-63 of the key it holds
// A probe whose tag differs cannot hit. A quiescence store (depth 0) is
// decided here; a deeper store reads the entry's depth when it is current.
extern uint8_t tt_meta[TT_ENTRIES];

inline TTEntry* tt_slot(uint64_t key) { return &tt[key % TT_ENTRIES]; }
inline void tt_prefetch(uint64_t key) {
    __builtin_prefetch(tt_slot(key));
    __builtin_prefetch(&tt_meta[key % TT_ENTRIES]);
}

void tt_clear();   // every entry empty
void tt_age();     // current entries become old
// The entry of this key (made current), or nullptr.
TTEntry* tt_probe(uint64_t key);
void tt_store(uint64_t key, int score, uint16_t move, int depth, int bound);

}  // namespace torlo
