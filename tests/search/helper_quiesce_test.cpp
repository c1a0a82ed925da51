// A helper's quiescence search neither stores nor takes table entries. Compiled into the helper
// copy: position, nodes and search below are the helper's.
#include <gtest/gtest.h>

#include "board/board.h"
#include "search/search.h"
#include "search/tt.h"

#if !defined(TORLO_HELPER_COPY)
#error "this test is compiled into the helper copy"
#endif

namespace torlo {
namespace {

TEST(HelperQuiescence, NeitherStoresNorTakesTableEntries) {
    // A few hundred nodes, below one time check (2048): the helper's clock is not involved.
    ASSERT_EQ(place_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"), 1);
    tt_clear();
    reset_search_tables();
    follow_pv = 0;
    root_ply = pos.ply;
    nodes = 0;
    const int score = quiesce(6, -INFINITE_SCORE, INFINITE_SCORE);
    ASSERT_TRUE(nodes > 10u && nodes < 2048u) << nodes;
    EXPECT_TRUE(tt_all_empty) << "a helper's quiescence search stored an entry";
    EXPECT_EQ(pos.ply, root_ply) << "the position is back at the root";
    // An exact root entry would end a main search's quiescence at once; the helper searches on.
    tt_store(pos.hash_key, score + 333, NO_MOVE_CODE, 0, TT_EXACT);
    ASSERT_EQ(tt_probe(pos.hash_key).score, score + 333);
    nodes = 0;
    EXPECT_EQ(quiesce(6, -INFINITE_SCORE, INFINITE_SCORE), score);
    EXPECT_GT(nodes, 10u);
    tt_clear();
}

}  // namespace
}  // namespace torlo
