#include "search/tt.h"

namespace torlo {

TTEntry tt[TT_ENTRIES];

void tt_clear() {
    for (TTEntry& e : tt) e.age = 0;
}

void tt_age() {
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
}

}  // namespace torlo
