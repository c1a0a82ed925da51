// Transposition table: slot selection by key remainder, the age states, and
// the replacement rule that protects deeper entries of the current search.
#include <gtest/gtest.h>

#include <cstdint>

#include "search/tt.h"
#include "types.h"

namespace torlo {
namespace {

constexpr uint64_t SLOTS = 699050;
constexpr uint64_t K1 = 0x0123456789ABCDEFULL;
constexpr uint64_t K2 = K1 + SLOTS;      // same remainder, another position
constexpr uint64_t K3 = K1 + 7 * SLOTS;  // and a third

TEST(TranspositionTable, HasTheFixedSize) {
    EXPECT_EQ(TT_ENTRIES, 699050);
    EXPECT_EQ(sizeof(tt) / sizeof(tt[0]), SLOTS);
}

TEST(TranspositionTable, StoreThenProbeReturnsTheEntry) {
    tt_clear();
    tt_store(K1, -123, 0x0A1B, 6, TT_LOWER);
    const TTEntry* e = tt_probe(K1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->key, K1);
    EXPECT_EQ(e->score, -123);
    EXPECT_EQ(e->move, 0x0A1B);
    EXPECT_EQ(e->depth, 6);
    EXPECT_EQ(e->bound, TT_LOWER);
    EXPECT_EQ(e->age, 2);
    EXPECT_EQ(tt_probe(K1 + 1), nullptr);  // another slot, never written
    EXPECT_EQ(tt_probe(K2), nullptr);      // same slot, other key
}

TEST(TranspositionTable, ProbeAfterClearMissesEvenWithEqualKey) {
    tt_clear();
    tt_store(K1, 50, NO_MOVE_CODE, 3, TT_EXACT);
    ASSERT_NE(tt_probe(K1), nullptr);
    tt_clear();
    EXPECT_EQ(tt_slot(K1)->key, K1);  // the key is still in the slot
    EXPECT_EQ(tt_probe(K1), nullptr);
}

TEST(TranspositionTable, ShallowerStoreIntoCurrentDeeperSlotRefused) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K2, 20, 0x0304, 3, TT_EXACT);
    EXPECT_EQ(tt_probe(K2), nullptr);
    const TTEntry* e = tt_probe(K1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->score, 10);
    EXPECT_EQ(e->depth, 5);
}

TEST(TranspositionTable, ShallowerStoreIntoOldSlotAccepted) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_age();
    EXPECT_EQ(tt_slot(K1)->age, 1);
    tt_store(K2, 20, 0x0304, 3, TT_UPPER);
    EXPECT_EQ(tt_probe(K1), nullptr);
    const TTEntry* e = tt_probe(K2);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->score, 20);
    EXPECT_EQ(e->depth, 3);
    EXPECT_EQ(e->bound, TT_UPPER);
    EXPECT_EQ(e->age, 2);
}

TEST(TranspositionTable, EqualDepthReplacesAnotherPosition) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 4, TT_EXACT);
    tt_store(K2, 20, 0x0304, 4, TT_LOWER);
    EXPECT_EQ(tt_probe(K1), nullptr);
    ASSERT_NE(tt_probe(K2), nullptr);
    // A deeper result replaces too.
    tt_store(K3, 30, 0x0506, 9, TT_EXACT);
    EXPECT_EQ(tt_probe(K2), nullptr);
    ASSERT_NE(tt_probe(K3), nullptr);
}

TEST(TranspositionTable, SamePositionAlwaysOverwritten) {
    tt_clear();
    tt_store(K1, 300, 0x0102, 12, TT_EXACT);
    tt_store(K1, -40, NO_MOVE_CODE, 0, TT_UPPER);  // a quiescence result
    const TTEntry* e = tt_probe(K1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->score, -40);
    EXPECT_EQ(e->depth, 0);
    EXPECT_EQ(e->move, NO_MOVE_CODE);
    EXPECT_EQ(e->bound, TT_UPPER);
}

TEST(TranspositionTable, EmptySlotAcceptsAnyDepth) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 30, TT_EXACT);
    tt_clear();  // the deep entry is gone: a depth-0 store of another key succeeds
    tt_store(K2, 5, NO_MOVE_CODE, 0, TT_LOWER);
    ASSERT_NE(tt_probe(K2), nullptr);
}

TEST(TranspositionTable, ProbeHitMakesOldEntryCurrent) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_age();
    ASSERT_EQ(tt_slot(K1)->age, 1);
    ASSERT_NE(tt_probe(K1), nullptr);
    EXPECT_EQ(tt_slot(K1)->age, 2);
    // Now protected like an entry written in this search.
    tt_store(K2, 20, 0x0304, 3, TT_EXACT);
    EXPECT_EQ(tt_probe(K2), nullptr);
    EXPECT_NE(tt_probe(K1), nullptr);
    // A missed probe of another key leaves the old entry's age alone.
    tt_age();
    EXPECT_EQ(tt_probe(K3), nullptr);
    EXPECT_EQ(tt_slot(K1)->age, 1);
}

TEST(TranspositionTable, AgeOnlyDemotesCurrentEntries) {
    tt_clear();
    tt_store(K1, 1, NO_MOVE_CODE, 1, TT_EXACT);
    tt_age();
    tt_age();
    EXPECT_EQ(tt_slot(K1)->age, 1);  // old stays old, never becomes empty
    EXPECT_NE(tt_probe(K1), nullptr);
}

TEST(TranspositionTable, KeysWithEqualRemaindersShareSlot) {
    EXPECT_EQ(tt_slot(K1), tt_slot(K2));
    EXPECT_EQ(tt_slot(K1), tt_slot(K3));
    EXPECT_NE(tt_slot(K1), tt_slot(K1 + 1));
    EXPECT_EQ(tt_slot(K1) - tt, static_cast<std::ptrdiff_t>(K1 % SLOTS));
    // The whole 64-bit key is divided, not a truncated part of it.
    const uint64_t top = UINT64_MAX;
    EXPECT_EQ(tt_slot(top) - tt, static_cast<std::ptrdiff_t>(top % SLOTS));
    EXPECT_EQ(tt_slot(top), tt_slot(top - SLOTS));
    EXPECT_EQ(tt_slot(0) - tt, 0);
    EXPECT_EQ(tt_slot(SLOTS - 1) - tt, static_cast<std::ptrdiff_t>(SLOTS - 1));

    tt_clear();
    tt_store(top, 1, NO_MOVE_CODE, 2, TT_EXACT);
    tt_store(top - SLOTS, 2, NO_MOVE_CODE, 2, TT_EXACT);
    EXPECT_EQ(tt_probe(top), nullptr);
    ASSERT_NE(tt_probe(top - SLOTS), nullptr);
    // Keys in neighbouring slots do not disturb each other.
    tt_store(K1, 1, NO_MOVE_CODE, 2, TT_EXACT);
    tt_store(K1 + 1, 2, NO_MOVE_CODE, 2, TT_EXACT);
    EXPECT_NE(tt_probe(K1), nullptr);
    EXPECT_NE(tt_probe(K1 + 1), nullptr);
}

TEST(TranspositionTable, DepthComparedOnItsLowEightBits) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 260, TT_EXACT);  // stored depth 260 & 255 = 4
    EXPECT_EQ(tt_slot(K1)->depth, 4);
    tt_store(K2, 20, 0x0304, 5, TT_EXACT);  // 5 > 4: replaces
    ASSERT_NE(tt_probe(K2), nullptr);
    tt_store(K3, 30, 0x0506, 4, TT_EXACT);  // 4 < 5: refused
    EXPECT_EQ(tt_probe(K3), nullptr);
}

}  // namespace
}  // namespace torlo
