// Transposition table: slots, ages, replacement, torn slots, other sizes, concurrent stores.
#include <atomic>
#include <random>
#include <thread>

#include "search/tt.h"
#include "support/harness.h"

namespace torlo {
namespace {

// Four positions of one slot; K4's top bits (its summary tag) differ from K1's.
constexpr uint64_t K1 = 0x0123456789ABCDEFULL, K2 = K1 + TT_ENTRIES, K3 = K1 + 7 * TT_ENTRIES;
constexpr uint64_t K4 = K1 + ((1ULL << 60) / TT_ENTRIES) * TT_ENTRIES;
static_assert(K4 % TT_ENTRIES == K1 % TT_ENTRIES && (K4 >> 59) != (K1 >> 59));

bool hit(uint64_t key) { return tt_probe(key).age != 0; }

// The summary beside the slot of `key` agrees with the entry: empty, depth above 0, key's top bits.
bool summary_agrees(uint64_t key) {
    const TTEntry e = tt_read_slot(tt_index(key));
    const uint8_t meta = *tt_place(key).meta;
    if (e.age == 0) return (meta & 3) == 0;
    return ((meta >> 2) & 1) == (e.depth > 0) && (meta >> 3) == (e.key >> 59);
}

class TranspositionTable : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tt_resize(TT_ENTRIES)); }
    void TearDown() override { ASSERT_TRUE(tt_resize(TT_ENTRIES)); }
};

// One slot through stores, probes, ageing and clearing: after each step the key it holds, its age
// (0: empty), score and summary. A store replaces the same position, an empty or old entry, and a
// current one no deeper.
TEST_F(TranspositionTable, ReplacementProtectsOnlyCurrentDeeperEntriesOfOtherPositions) {
    const struct { char op; uint64_t key; int depth; uint64_t holder; int age; const char* why; } steps[] = {
        {'s', K2, 0, K2, 2, "an empty slot takes any depth"},
        {'s', K1, 5, K1, 2, "deeper replaces"},
        {'s', K2, 4, K1, 2, "shallower refused by a current entry"},
        {'s', K4, 4, K1, 2, "refused whatever the key's top bits"},
        {'a', 0, 0, K1, 1, "aged"},
        {'s', K2, 3, K2, 2, "an old entry gives way"},
        {'s', K3, 3, K3, 2, "equal depth replaces"},
        {'s', K4, 6, K4, 2, "deeper replaces"},
        {'s', K4, 0, K4, 2, "the same position is always overwritten"},
        {'s', K1, 0, K1, 2, "depth 0 over depth 0"},
        {'s', K4, 1, K4, 2, "depth 1 over depth 0"},
        {'s', K1, 0, K4, 2, "depth 0 under a current depth 1"},
        {'a', 0, 0, K4, 1, "aged"},
        {'a', 0, 0, K4, 1, "old stays old"},
        {'p', K3, 0, K4, 1, "a miss leaves the age alone"},
        {'p', K4, 0, K4, 2, "a hit makes the entry current"},
        {'s', K2, 0, K4, 2, "and protected again"},
        {'c', 0, 0, K4, 0, "cleared: the key stays, the entry is empty"},
    };
    tt_clear();
    tt_store(K1 + 1, INT32_MIN + 1, 0xFFFE, 255, TT_LOWER);  // the next slot: every field at its extreme
    const TTEntry e = tt_probe(K1 + 1);
    EXPECT_TRUE(e.key == K1 + 1 && e.score == INT32_MIN + 1 && e.move == 0xFFFE && e.depth == 255 &&
                e.bound == TT_LOWER && e.age == 2);
    int depth_of[5] = {};  // by key number, of the last accepted store
    auto number = [](uint64_t k) { return k == K1 ? 1 : k == K2 ? 2 : k == K3 ? 3 : 4; };
    for (const auto& step : steps) {
        if (step.op == 'c') tt_clear();
        if (step.op == 'a') tt_age();
        if (step.op == 's') {
            tt_store(step.key, 100 * number(step.key) + step.depth, 0x0102, step.depth, TT_EXACT);
            if (step.holder == step.key) depth_of[number(step.key)] = step.depth;
        }
        EXPECT_TRUE(step.op != 'p' || hit(step.key) == (step.holder == step.key)) << step.why;
        const TTEntry e = tt_read_slot(tt_index(K1));
        EXPECT_TRUE(e.key == step.holder && e.age == step.age) << step.why;
        EXPECT_TRUE(!e.age || e.score == 100 * number(step.holder) + depth_of[number(step.holder)]) << step.why;
        EXPECT_TRUE(summary_agrees(K1)) << step.why;
    }
}

TEST_F(TranspositionTable, SlotWhoseWordsComeFromTwoStoresIsAMiss) {
    tt_clear();
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K1 + 1, 99, 0x0304, 7, TT_LOWER);
    tt_place(K1).slot->data = tt_place(K1 + 1).slot->data;  // as two threads storing the slot at once
    EXPECT_FALSE(hit(K1));
    EXPECT_TRUE(hit(K1 + 1));
    // It reads as a depth-7 entry of another position: a store as deep replaces it.
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

TEST_F(TranspositionTable, OtherSizesIndexByTheirOwnCountAndRefusedMemoryKeepsTheTable) {
    EXPECT_EQ(tt_entries_for(TT_DEFAULT_MB), static_cast<uint64_t>(TT_ENTRIES));
    EXPECT_EQ(tt_entries_for(65536), 2863311530u);  // past 32 bits
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    const uint64_t small = tt_entries_for(1);
    ASSERT_TRUE(tt_resize(small));
    EXPECT_TRUE(tt_entries == small && tt_slots != tt && !hit(K1)) << "a new table is empty";
    for (uint64_t key : {K1, K2, K4, UINT64_MAX}) EXPECT_EQ(tt_index(key), key % small) << key;
    // K1 and K1 + small share a slot here, K1 and K2 (the default's pair) do not.
    tt_store(K1, 10, 0x0102, 5, TT_EXACT);
    tt_store(K1 + small, 20, 0x0304, 4, TT_EXACT);  // refused: deeper entry of another key
    tt_store(K2, 30, 0x0506, 4, TT_EXACT);
    EXPECT_TRUE(hit(K1) && !hit(K1 + small) && hit(K2) && summary_agrees(K1) && summary_agrees(K2));
    const TTSlot* before = tt_slots;
    EXPECT_FALSE(tt_resize(UINT64_MAX / 8));     // more than any address space
    EXPECT_FALSE(tt_resize(uint64_t{1} << 50));  // 16 PB: refused by the allocator
    EXPECT_TRUE(tt_slots == before && tt_entries == small && hit(K1)) << "the table and its entries stay";
    ASSERT_TRUE(tt_resize(1));  // one slot for every key
    tt_store(K3, 1, NO_MOVE_CODE, 0, TT_EXACT);
    EXPECT_TRUE(tt_index(K1) == 0 && tt_index(UINT64_MAX) == 0 && hit(K3));
    ASSERT_TRUE(tt_resize(TT_ENTRIES));
    EXPECT_TRUE(tt_entries == TT_ENTRIES && tt_slots == tt && tt_summaries == tt_meta && !hit(K3));
}

// Threads store and probe the same few slots at once; each entry's fields are functions of its key,
// so a hit mixing two stores shows. (Run under ThreadSanitizer in CI.)
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
