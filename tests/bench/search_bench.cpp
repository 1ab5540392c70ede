// The search's playouts per second on an empty board and in a middle game, at 9, 13 and
// 19 lines, with one thread and with two.
#include <benchmark/benchmark.h>

#include "search/search.h"

namespace tolvan::search {
namespace {

// A position some way into a game: stones of both colours spread over the board, a
// diagonal pattern that leaves every chain liberties.
rules::Board middleGame(int size) {
    rules::Board b(size);
    int colour = rules::black;
    for (int y = 2; y < size; y += 2)
        for (int x = 2 + (y / 2) % 2; x < size; x += 3, colour = -colour) b.put(x, y, colour);
    return b;
}

void playouts(benchmark::State& state, int size, int threads, bool middle) {
    Settings settings;
    settings.threads = threads;
    settings.node_cap = 1u << 20;
    Search search(settings);
    int played = 0;
    for (auto _ : state) {
        search.setPosition(middle ? middleGame(size) : rules::Board(size), rules::black, 7);
        played += search.run(Limits{0, 1.0}).playouts;
    }
    state.counters["playouts/s"] = benchmark::Counter(played, benchmark::Counter::kIsRate);
}

void Empty9(benchmark::State& s) { playouts(s, 9, static_cast<int>(s.range(0)), false); }
void Empty13(benchmark::State& s) { playouts(s, 13, static_cast<int>(s.range(0)), false); }
void Empty19(benchmark::State& s) { playouts(s, 19, static_cast<int>(s.range(0)), false); }
void Middle19(benchmark::State& s) { playouts(s, 19, static_cast<int>(s.range(0)), true); }
BENCHMARK(Empty9)->Arg(1)->Arg(2)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Empty13)->Arg(1)->Arg(2)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Empty19)->Arg(1)->Arg(2)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Middle19)->Arg(1)->Arg(2)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan::search
