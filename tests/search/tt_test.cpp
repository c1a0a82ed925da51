// Transposition table: slot selection by key remainder, the age states, the
// replacement rule that protects deeper entries of the current search,
// tables of other sizes, and entries written by several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

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

bool hit(uint64_t key) { return tt_probe(key).age != 0; }

// The summary beside the slot of `key` agrees with the entry: for a filled
// entry, whether it is deeper than 0 and the top bits of its key.
bool summary_agrees(uint64_t key) {
    const uint64_t index = tt_index(key);
    const TTEntry e = tt_read_slot(index);
    const uint8_t meta = *tt_place(key).meta;
    if (e.age == 0) return (meta & 3) == 0;
    return ((meta >> 2) & 1) == (e.depth > 0) && (meta >> 3) == (e.key >> 59);
}

// The table back to its default size and empty after each test.
class TranspositionTable : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tt_resize(TT_ENTRIES)); }
    void TearDown() override { ASSERT_TRUE(tt_resize(TT_ENTRIES)); }
};

TEST_F(TranspositionTable, KeysWithEqualRemaindersShareASlot) {
    EXPECT_TRUE(tt_index(K1) == tt_index(K2) && tt_index(K1) == tt_index(K3));
    EXPECT_EQ(tt_index(K1), K1 % TT_ENTRIES);
    EXPECT_EQ(tt_index(UINT64_MAX), UINT64_MAX % TT_ENTRIES);  // the whole key
    EXPECT_EQ(tt_place(K1).slot, &tt[K1 % TT_ENTRIES]);       // the fixed storage
    tt_clear();
    tt_store(K1, 1, NO_MOVE_CODE, 2, TT_EXACT);
    tt_store(K1 + 1, 2, NO_MOVE_CODE, 2, TT_EXACT);  // the neighbouring slot
    EXPECT_TRUE(hit(K1) && hit(K1 + 1) && !hit(K2));
}

TEST_F(TranspositionTable, StoreProbeSamePositionOverwrittenAndClear) {
    tt_clear();
    tt_store(K1, -123, 0x0A1B, 6, TT_LOWER);
    TTEntry e = tt_probe(K1);
    EXPECT_TRUE(e.key == K1 && e.score == -123 && e.move == 0x0A1B && e.depth == 6 && e.bound == TT_LOWER &&
                e.age == 2);
    tt_store(K1, -40, NO_MOVE_CODE, 0, TT_UPPER);  // the same position is always overwritten
    e = tt_probe(K1);
    EXPECT_TRUE(e.score == -40 && e.depth == 0 && e.move == NO_MOVE_CODE && e.bound == TT_UPPER);
    tt_store(K1, INT32_MIN + 1, 0xFFFE, 255, TT_EXACT);  // every field at its extreme
    e = tt_probe(K1);
    EXPECT_TRUE(e.score == INT32_MIN + 1 && e.move == 0xFFFE && e.depth == 255 && e.bound == TT_EXACT);
    tt_clear();
    EXPECT_EQ(tt_read_slot(tt_index(K1)).key, K1);  // the key is still there, the entry is empty
    EXPECT_FALSE(hit(K1));
    tt_store(K2, 5, NO_MOVE_CODE, 0, TT_LOWER);  // an empty slot takes any depth
    EXPECT_TRUE(hit(K2));
}

TEST_F(TranspositionTable, ShallowerStoreRefusedOnlyByACurrentDeeperEntry) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K2, 20, 0x0304, 4, TT_EXACT);
    EXPECT_FALSE(hit(K2));
    ASSERT_TRUE(hit(K1));

    tt_age();  // an earlier search's entry gives way
    EXPECT_EQ(tt_read_slot(tt_index(K1)).age, 1);
    tt_store(K2, 20, 0x0304, 3, TT_UPPER);
    EXPECT_FALSE(hit(K1));
    ASSERT_TRUE(hit(K2));
    EXPECT_TRUE(tt_probe(K2).depth == 3 && tt_probe(K2).age == 2);

    tt_store(K3, 30, 0x0506, 3, TT_EXACT);  // equal depth replaces
    EXPECT_FALSE(hit(K2));
    ASSERT_TRUE(hit(K3));
    EXPECT_TRUE(summary_agrees(K3));
}

TEST_F(TranspositionTable, KeysWithOtherTopBitsInTheSameSlotFollowTheSameRules) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K4, 20, 0x0304, 4, TT_EXACT);  // refused: a current deeper entry
    EXPECT_FALSE(hit(K4));
    EXPECT_TRUE(hit(K1) && tt_read_slot(tt_index(K1)).key == K1 && summary_agrees(K1));
    tt_store(K4, 20, 0x0304, 6, TT_EXACT);  // deeper replaces
    EXPECT_FALSE(hit(K1));
    ASSERT_TRUE(hit(K4));
    EXPECT_TRUE(tt_probe(K4).score == 20 && summary_agrees(K4));
    tt_store(K4, -7, NO_MOVE_CODE, 0, TT_UPPER);  // the same position, shallower: overwritten
    EXPECT_TRUE(hit(K4) && tt_probe(K4).depth == 0 && summary_agrees(K4));
    tt_store(K1, 3, NO_MOVE_CODE, 0, TT_LOWER);  // depth 0 over depth 0: replaces
    EXPECT_TRUE(!hit(K4) && hit(K1) && summary_agrees(K1));
    tt_store(K4, 8, NO_MOVE_CODE, 1, TT_LOWER);  // depth 1 over depth 0: replaces
    tt_store(K1, 9, NO_MOVE_CODE, 0, TT_LOWER);  // depth 0 under a current depth 1: refused
    EXPECT_TRUE(!hit(K1) && hit(K4) && tt_probe(K4).score == 8);
    tt_store(K4, -7, NO_MOVE_CODE, 0, TT_UPPER);  // the same position: overwritten
    tt_age();
    EXPECT_TRUE(tt_read_slot(tt_index(K4)).age == 1 && summary_agrees(K4));
    tt_clear();
    EXPECT_TRUE(!hit(K4) && summary_agrees(K4));
}

TEST_F(TranspositionTable, ProbeHitMakesAnOldEntryCurrent) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_age();
    tt_age();
    ASSERT_EQ(tt_read_slot(tt_index(K1)).age, 1);  // old stays old
    ASSERT_TRUE(hit(K1));
    EXPECT_EQ(tt_read_slot(tt_index(K1)).age, 2);
    tt_store(K2, 20, 0x0304, 3, TT_EXACT);  // now protected again
    EXPECT_FALSE(hit(K2));
    tt_age();
    EXPECT_FALSE(hit(K3));  // a miss leaves the age alone
    EXPECT_FALSE(hit(K4));
    EXPECT_EQ(tt_read_slot(tt_index(K1)).age, 1);
    EXPECT_TRUE(summary_agrees(K1));
}

TEST_F(TranspositionTable, SlotWhoseWordsComeFromTwoStoresIsAMiss) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K1 + 1, 99, 0x0304, 7, TT_LOWER);
    // A second writer's data word lands over the first one's check word, as
    // when two threads store the same slot at once.
    TTSlot* torn = tt_place(K1).slot;
    torn->data = tt_place(K1 + 1).slot->data;
    EXPECT_FALSE(hit(K1));
    EXPECT_TRUE(hit(K1 + 1));
    // The torn slot reads as a depth-7 entry of another position: a store
    // as deep replaces it.
    tt_store(K1, 12, 0x0102, 6, TT_EXACT);
    EXPECT_FALSE(hit(K1));
    tt_store(K1, 11, 0x0102, 7, TT_EXACT);
    EXPECT_EQ(tt_probe(K1).score, 11);
}

TEST(Reciprocal, RemainderEqualsTheDivisionsForEveryKindOfKeyAndDivisor) {
    std::mt19937_64 random(12345);
    std::vector<uint64_t> divisors = {1, 2, 3, 7, 43690, 699050, 699051, 1ULL << 32, (1ULL << 32) - 1,
                                      (1ULL << 32) + 1, 2863311530ULL, 1ULL << 63, (1ULL << 63) + 1, UINT64_MAX - 1,
                                      UINT64_MAX};
    for (int i = 0; i < 200; ++i) divisors.push_back(random() >> (random() % 64) | 1);
    std::vector<uint64_t> keys = {0, 1, UINT64_MAX, UINT64_MAX - 1, 1ULL << 63, K1, K4};
    for (int i = 0; i < 300; ++i) keys.push_back(random());
    for (uint64_t d : divisors) {
        const Reciprocal r = reciprocal_of(d);
        for (uint64_t k : keys) ASSERT_EQ(mod_by(k, r), k % d) << k << " % " << d;
        for (uint64_t k : {d - 1, d, d + 1, 2 * d - 1, 2 * d}) ASSERT_EQ(mod_by(k, r), k % d) << k << " % " << d;
    }
}

TEST_F(TranspositionTable, OtherSizesIndexByTheirOwnCountAndTheDefaultComesBack) {
    EXPECT_EQ(tt_entries_for(TT_DEFAULT_MB), static_cast<uint64_t>(TT_ENTRIES));
    EXPECT_EQ(tt_entries_for(1), 43690u);
    EXPECT_EQ(tt_entries_for(65536), 2863311530u);

    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    const uint64_t small = tt_entries_for(1);
    ASSERT_TRUE(tt_resize(small));
    EXPECT_EQ(tt_entries, small);
    EXPECT_NE(tt_slots, tt);
    EXPECT_FALSE(hit(K1));  // a new table is empty
    for (uint64_t key : {K1, K2, K3, K4, UINT64_MAX}) EXPECT_EQ(tt_index(key), key % small) << key;
    EXPECT_EQ(tt_place(K1).slot, &tt_slots[K1 % small]);
    // K1 and K1 + small share a slot here, K1 and K2 (the default's pair) do not.
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K1 + small, 20, 0x0304, 4, TT_EXACT);  // refused: deeper entry of another key
    tt_store(K2, 30, 0x0506, 4, TT_EXACT);
    EXPECT_TRUE(hit(K1) && !hit(K1 + small) && hit(K2));
    EXPECT_TRUE(summary_agrees(K1) && summary_agrees(K2));
    tt_age();
    EXPECT_EQ(tt_read_slot(tt_index(K1)).age, 1);
    tt_clear();
    EXPECT_FALSE(hit(K1) || hit(K2));

    ASSERT_TRUE(tt_resize(1));  // one slot for every key
    tt_store(K3, 1, NO_MOVE_CODE, 0, TT_EXACT);
    EXPECT_TRUE(tt_index(K1) == 0 && tt_index(UINT64_MAX) == 0 && hit(K3));

    ASSERT_TRUE(tt_resize(TT_ENTRIES));
    EXPECT_TRUE(tt_entries == TT_ENTRIES && tt_slots == tt && tt_summaries == tt_meta);
    EXPECT_FALSE(hit(K3));
}

TEST_F(TranspositionTable, RefusedMemoryKeepsThePreviousTable) {
    ASSERT_TRUE(tt_resize(tt_entries_for(2)));
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    const TTSlot* before = tt_slots;
    EXPECT_FALSE(tt_resize(UINT64_MAX / 8));  // more than any address space
    EXPECT_FALSE(tt_resize(uint64_t{1} << 50));  // 16 PB: refused by the allocator
    EXPECT_TRUE(tt_slots == before && tt_entries == tt_entries_for(2));
    EXPECT_TRUE(hit(K1));  // the entries are still there
}

// Several threads store and probe the same few slots at once. Every entry's
// score is a function of its key, so a hit that mixed two stores would show
// as a wrong score; the check of the key must turn every such mixture into a
// miss. (Run under ThreadSanitizer in CI: the accesses are atomic words.)
TEST_F(TranspositionTable, EntriesStoredByManyThreadsAtOnceAreNeverMixed) {
    ASSERT_TRUE(tt_resize(64));
    constexpr int THREADS = 4;
    std::atomic<uint64_t> hits{0}, wrong{0};
    auto score_of = [](uint64_t key) { return static_cast<int>(key * 0x9E3779B97F4A7C15ULL >> 40); };
    auto move_of = [](uint64_t key) { return static_cast<uint16_t>(key >> 48); };
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937_64 random(static_cast<uint64_t>(t) + 1);
            for (int i = 0; i < 200000; ++i) {
                const uint64_t key = (random() % 3) * 64 + random() % 64;  // three keys a slot
                if (random() & 1) {
                    tt_store(key, score_of(key), move_of(key), static_cast<int>(random() % 3), TT_EXACT);
                } else if (const TTEntry e = tt_probe(key); e.age != 0) {
                    hits.fetch_add(1, std::memory_order_relaxed);
                    if (e.key != key || e.score != score_of(key) || e.move != move_of(key) || e.bound != TT_EXACT)
                        wrong.fetch_add(1, std::memory_order_relaxed);
                }
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_GT(hits.load(), 1000u);
    EXPECT_EQ(wrong.load(), 0u);
}

}  // namespace
}  // namespace torlo
