// Transposition table: slot selection by key remainder, the age states, and
// the replacement rule that protects deeper entries of the current search.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "search/tt.h"
#include "types.h"

namespace torlo {
namespace {

constexpr uint64_t K1 = 0x0123456789ABCDEFULL;
constexpr uint64_t K2 = K1 + TT_ENTRIES;      // same remainder, another position
constexpr uint64_t K3 = K1 + 7 * TT_ENTRIES;  // and a third
// Same slot again, but the key's top bits differ too: its summary tag differs.
constexpr uint64_t K4 = K1 + ((1ULL << 60) / TT_ENTRIES) * TT_ENTRIES;
static_assert(K4 % TT_ENTRIES == K1 % TT_ENTRIES && (K4 >> 59) != (K1 >> 59));

// The summary beside the slot of `key` agrees with the entry: age and, for
// a filled entry, whether it is deeper than 0 and the top bits of its key.
bool summary_agrees(uint64_t key) {
    const TTEntry& e = *tt_slot(key);
    const uint8_t meta = tt_meta[key % TT_ENTRIES];
    if ((meta & 3) != e.age) return false;
    if (e.age == 0) return true;
    return ((meta >> 2) & 1) == (e.depth > 0) && (meta >> 3) == (e.key >> 59);
}

TEST(TranspositionTable, KeysWithEqualRemaindersShareASlot) {
    EXPECT_TRUE(tt_slot(K1) == tt_slot(K2) && tt_slot(K1) == tt_slot(K3));
    EXPECT_EQ(tt_slot(K1) - tt, static_cast<std::ptrdiff_t>(K1 % TT_ENTRIES));
    EXPECT_EQ(tt_slot(UINT64_MAX) - tt, static_cast<std::ptrdiff_t>(UINT64_MAX % TT_ENTRIES));  // the whole key
    tt_clear();
    tt_store(K1, 1, NO_MOVE_CODE, 2, TT_EXACT);
    tt_store(K1 + 1, 2, NO_MOVE_CODE, 2, TT_EXACT);  // the neighbouring slot
    EXPECT_TRUE(tt_probe(K1) != nullptr && tt_probe(K1 + 1) != nullptr && tt_probe(K2) == nullptr);
}

TEST(TranspositionTable, StoreProbeSamePositionOverwrittenAndClear) {
    tt_clear();
    tt_store(K1, -123, 0x0A1B, 6, TT_LOWER);
    const TTEntry* e = tt_probe(K1);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->key == K1 && e->score == -123 && e->move == 0x0A1B && e->depth == 6 && e->bound == TT_LOWER &&
                e->age == 2);
    tt_store(K1, -40, NO_MOVE_CODE, 0, TT_UPPER);  // the same position is always overwritten
    EXPECT_TRUE(e->score == -40 && e->depth == 0 && e->move == NO_MOVE_CODE && e->bound == TT_UPPER);
    tt_clear();
    EXPECT_EQ(tt_slot(K1)->key, K1);  // the key is still there, the entry is empty
    EXPECT_EQ(tt_probe(K1), nullptr);
    tt_store(K2, 5, NO_MOVE_CODE, 0, TT_LOWER);  // an empty slot takes any depth
    EXPECT_NE(tt_probe(K2), nullptr);
}

TEST(TranspositionTable, ShallowerStoreRefusedOnlyByACurrentDeeperEntry) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K2, 20, 0x0304, 4, TT_EXACT);
    EXPECT_EQ(tt_probe(K2), nullptr);
    ASSERT_NE(tt_probe(K1), nullptr);

    tt_age();  // an earlier search's entry gives way
    EXPECT_EQ(tt_slot(K1)->age, 1);
    tt_store(K2, 20, 0x0304, 3, TT_UPPER);
    EXPECT_EQ(tt_probe(K1), nullptr);
    ASSERT_NE(tt_probe(K2), nullptr);
    EXPECT_TRUE(tt_probe(K2)->depth == 3 && tt_probe(K2)->age == 2);

    tt_store(K3, 30, 0x0506, 3, TT_EXACT);  // equal depth replaces
    EXPECT_EQ(tt_probe(K2), nullptr);
    ASSERT_NE(tt_probe(K3), nullptr);
    EXPECT_TRUE(summary_agrees(K3));
}

TEST(TranspositionTable, KeysWithOtherTopBitsInTheSameSlotFollowTheSameRules) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K4, 20, 0x0304, 4, TT_EXACT);  // refused: a current deeper entry
    EXPECT_EQ(tt_probe(K4), nullptr);
    EXPECT_TRUE(tt_probe(K1) != nullptr && tt_slot(K1)->key == K1 && summary_agrees(K1));
    tt_store(K4, 20, 0x0304, 6, TT_EXACT);  // deeper replaces
    EXPECT_EQ(tt_probe(K1), nullptr);
    ASSERT_NE(tt_probe(K4), nullptr);
    EXPECT_TRUE(tt_probe(K4)->score == 20 && summary_agrees(K4));
    tt_store(K4, -7, NO_MOVE_CODE, 0, TT_UPPER);  // the same position, shallower: overwritten
    EXPECT_TRUE(tt_probe(K4) != nullptr && tt_probe(K4)->depth == 0 && summary_agrees(K4));
    tt_store(K1, 3, NO_MOVE_CODE, 0, TT_LOWER);  // depth 0 over depth 0: replaces
    EXPECT_TRUE(tt_probe(K4) == nullptr && tt_probe(K1) != nullptr && summary_agrees(K1));
    tt_store(K4, 8, NO_MOVE_CODE, 1, TT_LOWER);  // depth 1 over depth 0: replaces
    tt_store(K1, 9, NO_MOVE_CODE, 0, TT_LOWER);  // depth 0 under a current depth 1: refused
    EXPECT_TRUE(tt_probe(K1) == nullptr && tt_probe(K4) != nullptr && tt_probe(K4)->score == 8);
    tt_store(K4, -7, NO_MOVE_CODE, 0, TT_UPPER);  // the same position: overwritten
    tt_age();
    EXPECT_TRUE(tt_slot(K4)->age == 1 && summary_agrees(K4));
    tt_clear();
    EXPECT_TRUE(tt_probe(K4) == nullptr && summary_agrees(K4));
}

TEST(TranspositionTable, ProbeHitMakesAnOldEntryCurrent) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_age();
    tt_age();
    ASSERT_EQ(tt_slot(K1)->age, 1);  // old stays old
    ASSERT_NE(tt_probe(K1), nullptr);
    EXPECT_EQ(tt_slot(K1)->age, 2);
    tt_store(K2, 20, 0x0304, 3, TT_EXACT);  // now protected again
    EXPECT_EQ(tt_probe(K2), nullptr);
    tt_age();
    EXPECT_EQ(tt_probe(K3), nullptr);  // a miss leaves the age alone
    EXPECT_EQ(tt_probe(K4), nullptr);
    EXPECT_EQ(tt_slot(K1)->age, 1);
    EXPECT_TRUE(summary_agrees(K1));
}

}  // namespace
}  // namespace torlo
