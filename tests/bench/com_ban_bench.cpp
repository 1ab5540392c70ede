// How long the computer takes to decide a move: the whole turn (com_ban) and the board
// analysis alone, on an opening, a middle game and a crowded board. The platform does
// nothing, so only the game's own work is measured.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "game/tolvan.h"
#include "platform/headless.h"

namespace tolvan {
namespace {

// A position of about `stones` stones, black and white alternating, each placed on a
// pseudo-random point where it neither captures nor lacks a liberty, so every stone
// stays. The record lists them as moves; the computer (white) is to move.
struct Position {
    HeadlessPlatform platform{16};
    std::unique_ptr<Tolvan> game = std::make_unique<Tolvan>(platform.port());
    Grid<i16> board{};
    int moves = 0;
    i16 lastX = 0, lastY = 0;

    explicit Position(int stones) {
        Tolvan& g = *game;
        GameState& s = g.s;
        g.book_file = "no-such-book.定石";
        g.Form_Load();
        g.SENTE_Click();
        std::uint32_t seed = 12345;
        auto next = [&] {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % 361;
        };
        int colour = stone_black;
        for (int tries = 0; moves < stones && tries < 200000; ++tries) {
            const int p = static_cast<int>(next());
            const int x = p % 19 + 1, y = p / 19 + 1;
            if (s.board[x][y] != stone_empty) continue;
            if (g.調査_当たり(x, y, colour, -colour) == flag_on) continue;
            s.board[x][y] = static_cast<i16>(colour);
            // No chain next to the new stone, nor its own, may be left without a liberty.
            bool dead = g.調査_当たり2(x, y, colour) == flag_on;
            const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
            for (int k = 0; k < 4 && !dead; ++k)
                if (nx[k] >= 1 && nx[k] <= 19 && ny[k] >= 1 && ny[k] <= 19 &&
                    s.board[nx[k]][ny[k]] != stone_empty)
                    dead = g.調査_当たり2(nx[k], ny[k], s.board[nx[k]][ny[k]]) == flag_on;
            if (dead) {
                s.board[x][y] = stone_empty;
                continue;
            }
            s.record.store(moves, {colour, {x, y}}, boardOf(s));
            ++moves;
            lastX = static_cast<i16>(x);
            lastY = static_cast<i16>(y);
            colour = -colour;
        }
        board = s.board;
    }

    // Back to the position with the computer to move.
    void reset() {
        GameState& s = game->s;
        s.board = board;
        s.move_no = static_cast<i16>(moves);
        s.last_x = lastX;
        s.last_y = lastY;
        s.last_side = s.man_side;
        s.turn = s.com_side;
    }
};

void run(benchmark::State& state, bool wholeTurn) {
    Position pos(static_cast<int>(state.range(0)));
    Tolvan& g = *pos.game;
    pos.reset();
    for (auto _ : state) {
        state.PauseTiming();
        pos.reset();
        state.ResumeTiming();
        if (wholeTurn)
            g.com_ban();
        else
            g.調査_碁盤();
        benchmark::DoNotOptimize(g.s.board);
    }
    state.counters["stones"] = pos.moves;
}

void BM_ComBan(benchmark::State& state) { run(state, true); }
void BM_BoardAnalysis(benchmark::State& state) { run(state, false); }

BENCHMARK(BM_ComBan)->Arg(6)->Arg(80)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardAnalysis)->Arg(6)->Arg(80)->Arg(250)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan
