// Fixed-depth searches of built-in positions: the node count is the
// search's signature, the time its speed.
#include "search/search.h"
#include "search/threads.h"
#include "search/tt.h"

namespace torlo {

namespace {

// Opening, middlegame, tactical and endgame positions.
constexpr const char* bench_positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8",
    "r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 b - - 2 15",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
    "2r3k1/pp3ppp/2n5/3p4/3P4/2N5/PP3PPP/2R3K1 w - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "6k1/5ppp/8/8/8/8/r4PPP/1R4K1 w - - 0 1",
    "8/8/1p1k4/p2p4/P2P1K2/1P6/8/8 w - - 0 1",
};

}  // namespace

BenchResult run_bench(int depth) {
    const SearchLimits saved = limits;
    limits.post_thinking = 0;
    limits.use_book = 0;
    limits.max_depth = depth;
    limits.move_time = 1000000;
    limits.engine_side = EMPTY;
    char text[LINE_SIZE];
    BenchResult result{0, 0};
    set_initial_position();
    const int64_t start = now_ms();
    for (const char* fen : bench_positions) {
        place_fen(fen);
        tt_clear();
        think(text);
        result.nodes += total_nodes();
    }
    result.ms = now_ms() - start;
    limits = saved;
    return result;
}

}  // namespace torlo
