// Search threads: helper depths, the game kept, a legal move, nodes summed, the clock obeyed, a
// table too large refused. (Helpers ending, clamps, stop latency: tests/e2e/threads_test.py.)
#include <unistd.h>

#include <chrono>

#include "interface/engine.h"
#include "interface/options.h"
#include "interface/settings.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/tt.h"
#include "support/harness.h"

namespace torlo {
namespace {

class SearchThreads : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::setup("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8")); }
    void TearDown() override { set_threads(1); }

    int think_with(int threads, int depth, int seconds) {
        set_threads(threads);
        settings.max_depth = depth;
        settings.move_time = seconds;
        settings.post_thinking = 0;
        settings.use_book = 0;
        settings.computer_side = pos.side;
        char text[LINE_SIZE];
        return engine_think(text);
    }
};

TEST(HelperDepths, HelpersOneAndTwoTakeTurnsAndEveryHelperSearchesOften) {
    for (int d = 1; d <= 40; ++d) EXPECT_NE(helper_skips_depth(1, d), helper_skips_depth(2, d)) << "depth " << d;
    // No helper waits long for its next depth: at most four skipped depths in a row.
    for (int k = 1; k <= MAX_SEARCH_THREADS; ++k) {
        int run = 0, searched = 0;
        for (int d = 1; d <= 64; ++d) {
            run = helper_skips_depth(k, d) ? run + 1 : 0;
            searched += !helper_skips_depth(k, d);
            ASSERT_LE(run, 4) << "helper " << k << " depth " << d;
        }
        EXPECT_GE(searched, 28) << "helper " << k;
    }
}

TEST_F(SearchThreads, HelpersLeaveTheGameAsItWasAndTheMoveIsLegal) {
    const uint64_t key = pos.hash_key;
    const int ply = pos.ply;
    for (int threads : {2, 4}) {
        ASSERT_EQ(think_with(threads, 6, 1000), 1);
        EXPECT_TRUE(position_is_ok() && pos.hash_key == key && pos.ply == ply) << threads << " threads";
        EXPECT_GT(total_nodes(), nodes) << "the helpers' nodes are counted";
        Move played = best_move;
        ASSERT_EQ(make_move(played), 1) << "a legal move with " << threads << " threads";
        unmake_move();
    }
}

TEST_F(SearchThreads, TheDeadlineEndsEveryThread) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(think_with(2, 60, 1), 1);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    // Depth 60 never reached; a start rounded down: 1 ms early at most; wide margin for loaded machines.
    EXPECT_GE(ms.count(), 999);
    EXPECT_LT(ms.count(), 1000 + 1500);
}

TEST(EngineOptions, HashTheMachineCannotHoldIsRefusedAndTheDefaultSizeComesBack) {
    // Clamped to 65536 MB (48 GB of table): refused where the machine has less (not tried
    // where it has more), and the table in use (1 MB here) stays.
    OptionResult r = set_hash_mb(1);
    if (static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGE_SIZE)) < 40e9) {
        r = set_hash_mb(1LL << 40);
        EXPECT_TRUE(r.clamped && r.refused && r.used == 1);
        EXPECT_EQ(tt_entries, tt_entries_for(1));
    }
    r = set_hash_mb(16);
    EXPECT_TRUE(!r.clamped && !r.refused && tt_entries == static_cast<uint64_t>(TT_ENTRIES) && tt_slots == tt);
}

}  // namespace
}  // namespace torlo
