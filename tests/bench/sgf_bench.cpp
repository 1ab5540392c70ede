// How long opening a game record takes: a 300-move game with players, a result and a
// comment on every tenth move, read from UTF-8, and from Shift_JIS without CA, where the
// reader first finds that the bytes are not UTF-8 and then decodes them. And a record of
// 10,000 nodes in 500 variations opened and saved whole, as 棋譜を開く and 棋譜を保存 do
// it: its trees read, the main line read as the game's record, that line put back into
// the trees and the trees written.
#include <benchmark/benchmark.h>

#include <iconv.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "records/sgf.h"
#include "records/tree.h"

namespace tolvan {
namespace {

std::string game300() {
    sgf::Record r;
    r.info = {{"PB", "山田 太郎"}, {"PW", "鈴木 一郎"}, {"KM", "6.5"},
              {"RE", "B+3.5"}, {"DT", "2024-03-09"}, {"AP", "Tolvan:1.0"}};
    for (int i = 0; i < 300; ++i) {
        sgf::Move m;
        m.colour = i % 2 ? -1 : 1;
        m.at = {1 + (i * 7) % 19, 1 + (i * 11 + i / 19) % 19};
        if (i % 10 == 0) m.comment = "第" + std::to_string(i + 1) + "手：ここが急所です。";
        r.moves.push_back(m);
    }
    std::string text = sgf::write(r);
    return text.replace(text.find("CA[UTF-8]"), 9, "");
}

std::string toShiftJis(const std::string& utf8) {
    const iconv_t cd = iconv_open("CP932", "UTF-8");
    std::vector<char> in(utf8.begin(), utf8.end());
    std::string out(utf8.size() * 2, '\0');
    char* inp = in.data();
    char* outp = out.data();
    std::size_t inleft = in.size(), outleft = out.size();
    iconv(cd, &inp, &inleft, &outp, &outleft);
    iconv_close(cd);
    out.resize(out.size() - outleft);
    return out;
}

void BM_ReadSgf300Moves(benchmark::State& state) {
    const std::string utf8 = game300();
    const std::string text = state.range(0) == 0 ? utf8 : toShiftJis(utf8);
    for (auto _ : state) {
        auto r = sgf::read(text);
        if (std::get<sgf::Record>(r).moves.size() != 300) state.SkipWithError("not 300 moves");
        benchmark::DoNotOptimize(r);
    }
    state.SetLabel(state.range(0) == 0 ? "UTF-8" : "Shift_JIS");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadSgf300Moves)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WriteSgf300Moves(benchmark::State& state) {
    const sgf::Record r = std::get<sgf::Record>(sgf::read(game300()));
    for (auto _ : state) benchmark::DoNotOptimize(sgf::write(r));
}
BENCHMARK(BM_WriteSgf300Moves)->Unit(benchmark::kMicrosecond);

// The 300-move game with 500 variations of 20 moves each, branching along its main line:
// 10,000 nodes and more.
std::string tree10000() {
    sgf::Collection c = std::get<sgf::Collection>(sgf::readCollection(game300()));
    sgf::GameTree& t = c.games.front();
    const std::vector<int> line = t.mainLine();
    for (int v = 0; v < 500; ++v) {
        int at = line[static_cast<std::size_t>(1 + v * 299 / 500)];
        const bool black = t.value(at, "W").empty() == false;
        for (int k = 0; k < 20; ++k) {
            const char col = static_cast<char>('a' + (v + k * 3) % 19), row = static_cast<char>('a' + (v * 7 + k) % 19);
            const std::string id = (black == (k % 2 == 0)) ? "B" : "W";
            std::vector<sgf::Property> p{{id, {std::string{col, row}}}};
            if (k == 0) p.push_back({"C", {sgf::escaped("変化" + std::to_string(v + 1))}});
            at = t.addChild(at, p);
        }
    }
    return c.text();
}

void BM_OpenAndSaveTree10000Nodes(benchmark::State& state) {
    const std::string text = tree10000();
    std::size_t nodes = 0;
    for (auto _ : state) {
        auto trees = sgf::readCollection(text);
        sgf::Collection& c = std::get<sgf::Collection>(trees);
        const auto record = sgf::read(text);
        sgf::putLine(c.games.front(), std::get<sgf::Record>(record));
        const std::string saved = c.text();
        nodes = c.games.front().nodesInOrder().size();
        benchmark::DoNotOptimize(saved);
    }
    state.counters["nodes"] = static_cast<double>(nodes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_OpenAndSaveTree10000Nodes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan
