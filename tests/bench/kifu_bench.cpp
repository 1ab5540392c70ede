// How long opening a game record takes in the game: a legal 300-move game with captures,
// read from its file, parsed, replayed through the rules and taken up as the game (the
// window's drawing aside, which the headless platform skips).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <variant>

#include "game/kifu.h"
#include "game/tolvan.h"
#include "platform/headless.h"

namespace tolvan {
namespace {

// A two-person game of 300 legal stones, as pseudo-random presses play it.
std::string legalGame300() {
    HeadlessPlatform platform{0};
    auto game = std::make_unique<Tolvan>(platform.port());
    Tolvan& g = *game;
    g.初期設定();
    g.TAIMAN_Click();
    std::uint32_t seed = 7;
    while (g.s.move_no < 300) {
        seed = seed * 1103515245u + 12345u;
        const int p = static_cast<int>((seed >> 16) % 361);
        g.MouseDown(board_left + (p % 19 + 1) * cell_width + 150, board_top + (p / 19 + 1) * cell_height + 150);
    }
    return sgf::write(recordOfGame(g, "2026-12-07", 0, playersOfGame(g)));
}

void BM_OpenRecord(benchmark::State& state) {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("tolvan-bench-" + std::to_string(getpid()) + ".sgf")).string();
    std::ofstream(file, std::ios::binary) << legalGame300();
    HeadlessPlatform platform{0};
    auto game = std::make_unique<Tolvan>(platform.port());
    game->初期設定();
    for (auto _ : state) {
        std::string why;
        const auto bytes = readFileWhole(file, why);
        auto read = sgf::read(*bytes);
        const sgf::Record& record = std::get<sgf::Record>(read);
        auto replayed = replayRecord(record);
        takeUpReplayed(*game, std::get<ReplayedRecord>(replayed), record);
        benchmark::DoNotOptimize(game->s.move_no);
    }
    if (game->s.move_no != 300) state.SkipWithError("the game did not open whole");
    std::filesystem::remove(file);
}
BENCHMARK(BM_OpenRecord)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan
