// Microbenchmarks of the operations that the search repeats at every node:
// move generation (all moves and captures only), make/unmake of every
// pseudo-legal move, the attack test, and the evaluation, each over a few
// fixed positions. Regressions in one of them show here before they are
// lost in the noise of a whole search.
#include <benchmark/benchmark.h>

#include "board/board.h"
#include "interface/game.h"
#include "eval/eval.h"
#include "interface/settings.h"
#include "search/search.h"

namespace torlo {
namespace {

struct NamedPosition {
    const char* name;
    const char* fen;
};

constexpr NamedPosition positions[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"},
    {"middlegame", "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8"},
    {"tactical", "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19"},
    {"endgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"},
};
constexpr int POSITION_COUNT = static_cast<int>(sizeof positions / sizeof positions[0]);

// A fresh game, then the position; the ordering tables hold what a search
// would leave (here: nothing), the search ply is the root.
void set_up(const benchmark::State& state) {
    new_game();
    setup_fen(positions[state.range(0)].fen);
    root_ply = pos.ply;
}

void label(benchmark::State& state, int64_t items) {
    state.SetLabel(positions[state.range(0)].name);
    state.SetItemsProcessed(state.iterations() * items);
}

// Results reach DoNotOptimize as values only: with some compilers its
// read-write form can lose a variable that is read again afterwards.
int legal_moves(const Move* list, int count) {
    int legal = 0;
    for (int i = 0; i < count; ++i) {
        if (!make_move(list[i])) continue;
        ++legal;
        unmake_move();
    }
    return legal;
}

void BM_GenerateAll(benchmark::State& state) {
    set_up(state);
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(generate_moves(list, 0));
        benchmark::ClobberMemory();
    }
    label(state, 1);
    state.counters["moves"] = count;
}

void BM_GenerateCaptures(benchmark::State& state) {
    set_up(state);
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(generate_moves(list, 1));
        benchmark::ClobberMemory();
    }
    label(state, 1);
    state.counters["moves"] = count;
}

// Every pseudo-legal move made (legality test included) and taken back.
void BM_MakeUnmake(benchmark::State& state) {
    set_up(state);
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 0);
    const int legal = legal_moves(list, count);
    for (auto _ : state) benchmark::DoNotOptimize(legal_moves(list, count));
    label(state, count);
    state.counters["legal"] = legal;
}

// The attack test on all 64 squares for both colours.
void BM_SquareAttacked(benchmark::State& state) {
    set_up(state);
    for (auto _ : state) {
        int attacked = 0;
        for (int i = 0; i < 64; ++i) {
            const int sq = 26 + 12 * (i / 8) + i % 8;
            attacked += square_attacked(sq, WHITE) + square_attacked(sq, BLACK);
        }
        benchmark::DoNotOptimize(static_cast<int>(attacked));
    }
    label(state, 128);
}

void BM_InCheck(benchmark::State& state) {
    set_up(state);
    for (auto _ : state) benchmark::DoNotOptimize(in_check(WHITE) + in_check(BLACK));
    label(state, 2);
}

void BM_Evaluate(benchmark::State& state) {
    set_up(state);
    for (auto _ : state) benchmark::DoNotOptimize(evaluate());
    label(state, 1);
}

// The evaluation after each legal move in turn: a different placement
// every time, as in a search.
int evaluate_children(const Move* list, int count) {
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        if (!make_move(list[i])) continue;
        sum += evaluate();
        unmake_move();
    }
    return sum;
}

void BM_EvaluateChildren(benchmark::State& state) {
    set_up(state);
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 0);
    for (auto _ : state) benchmark::DoNotOptimize(evaluate_children(list, count));
    label(state, legal_moves(list, count));
}

void BM_Perft3(benchmark::State& state) {
    set_up(state);
    const uint64_t nodes = perft(3);
    for (auto _ : state) benchmark::DoNotOptimize(perft(3));
    label(state, static_cast<int64_t>(nodes));
    state.counters["nodes"] = static_cast<double>(nodes);
}

void all_positions(benchmark::internal::Benchmark* b) { b->DenseRange(0, POSITION_COUNT - 1); }

BENCHMARK(BM_GenerateAll)->Apply(all_positions);
BENCHMARK(BM_GenerateCaptures)->Apply(all_positions);
BENCHMARK(BM_MakeUnmake)->Apply(all_positions);
BENCHMARK(BM_SquareAttacked)->Apply(all_positions);
BENCHMARK(BM_InCheck)->Apply(all_positions);
BENCHMARK(BM_Evaluate)->Apply(all_positions);
BENCHMARK(BM_EvaluateChildren)->Apply(all_positions);
BENCHMARK(BM_Perft3)->Apply(all_positions);

}  // namespace
}  // namespace torlo

BENCHMARK_MAIN();
