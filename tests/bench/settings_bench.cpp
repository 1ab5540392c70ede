// How long start-up spends reading the settings file: a file of the four lines the
// program writes, and files of 64 KB and 1 MB made of one line repeated. The time
// should grow with the file's size, and a whole megabyte should take a small fraction
// of a second.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "game/tolvan.h"
#include "platform/headless.h"

namespace tolvan {
namespace {

void BM_ReadSettings(benchmark::State& state) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("tolvan-bench-" + std::to_string(getpid()) + ".ini");
    // "背景画=緑" in Shift-JIS with CR LF, repeated to the size asked for.
    const std::string line = "\x94\x77\x8c\x69\x89\xe6=\x97\xce\r\n";
    std::string data;
    while (data.size() < static_cast<std::size_t>(state.range(0))) data += line;
    std::ofstream(file, std::ios::binary) << data;

    HeadlessPlatform platform;
    auto game = std::make_unique<Tolvan>(platform.port());
    game->settings_file = file.string();
    for (auto _ : state) game->読込_環境設定ファイル();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(data.size()));
    std::filesystem::remove(file);
}
BENCHMARK(BM_ReadSettings)->Arg(64)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan
