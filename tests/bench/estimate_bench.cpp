// How long the estimate of a position takes: the empty board at each size, where the
// random games are longest, and a 19-line board after an opening, in the middle of the
// game and near its end, the moves drawn at random among the legal ones.
#include <benchmark/benchmark.h>

#include <random>

#include "estimate/estimate.h"

namespace tolvan {
namespace {

rules::Board played(int size, int moves) {
    rules::Board b(size);
    std::mt19937 random(size * 1000 + moves);
    int colour = rules::black;
    for (int m = 0, tries = 0; m < moves && tries < 100000; ++tries) {
        const int x = static_cast<int>(random() % size) + 1, y = static_cast<int>(random() % size) + 1;
        if (!b.legal(colour, x, y)) continue;
        b.play(colour, x, y);
        colour = -colour, ++m;
    }
    return b;
}

void BM_Estimate(benchmark::State& state) {
    const rules::Board b = played(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(estimate::estimatePosition(b, 6.5));
}
BENCHMARK(BM_Estimate)
    ->Args({9, 0})->Args({13, 0})->Args({19, 0})
    ->Args({19, 60})->Args({19, 150})->Args({19, 250})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan
