#include "window/review_command.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <variant>

#include "game/kifu.h"
#include "records/replay.h"
#include "records/write.h"
#include "review/annotate.h"
#include "review/run.h"

namespace tolvan {

namespace {

// Set by an interrupt (Ctrl+C); a watching thread cancels the review, so that GNU Go is
// ended with it.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) { interrupted = 1; }

}  // namespace

int reviewFiles(const std::string& in, const std::string& out, std::FILE* errors) {
    auto fail = [&](int status, const std::string& message) {
        std::fprintf(errors, "tolvan: %s\n", message.c_str());
        return status;
    };
    auto read = readRecordFile(in);
    if (const auto* why = std::get_if<std::string>(&read)) return fail(2, in + "：" + *why);
    sgf::Record record = std::move(std::get<UsableRecord>(read).record);
    if (record.moves.empty()) return fail(2, in + "：棋譜に着手がないため、検討できません。");
    // The review is of the main line, and OUT is written with it alone: what else the file
    // held is said before the review starts, not found missing afterwards.
    if (record.unkept.variations > 0 || record.unkept.games > 0)
        std::fprintf(errors, "tolvan: %s：本譜のほかに%s%sがありますが、検討するのは本譜だけです。%s には本譜だけを書きます。\n",
                     in.c_str(), record.unkept.variations > 0 ? "分岐" : "",
                     record.unkept.games > 0 ? (record.unkept.variations > 0 ? "やほかの対局" : "ほかの対局") : "",
                     out.c_str());
    const auto engine = review::gnuGoCommand(record.size);
    if (engine.empty())
        return fail(3, "悪手の指摘には GNU Go が必要ですが、見つかりません。GNU Go（gnugo）をインストールしてください。");

    const bool terminal = ::isatty(::fileno(errors));
    int shown = -1;
    review::Reviewer reviewer(engine, [&](int done, int total) {
        const int percent = total > 0 ? done * 100 / total : 100;
        // On a terminal one line counts up; elsewhere a line every tenth.
        if (terminal)
            std::fprintf(errors, "\r検討中… %d%%", percent);
        else if (percent / 10 != shown / 10)
            std::fprintf(errors, "検討中… %d%%\n", percent);
        shown = percent;
    });
    struct sigaction action {}, before{};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &before);
    std::atomic<bool> finished{false};
    std::thread watching([&] {
        while (!finished && !interrupted) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (interrupted) reviewer.cancel();
    });
    const double komi = komiOfRecord(record.get("KM")).value_or(0);
    const review::Result result = reviewer.run(record, komi);
    finished = true;
    watching.join();
    ::sigaction(SIGINT, &before, nullptr);
    if (terminal) std::fprintf(errors, "\n");
    if (interrupted) return fail(130, "検討を中止しました。");
    if (!result.mistakes) return fail(4, "GNU Go で検討できませんでした：" + result.why);

    review::annotate(record, result.moves);
    if (const auto failure = files::writeWhole(out, sgf::write(record), sgf::max_bytes))
        return fail(5, out + "：" + files::japanese(*failure));
    int marked = 0;
    for (int colour : {rules::black, rules::white})
        marked += static_cast<int>(review::biggestMistakes(result.moves, colour, record.size).size());
    // Moves counted as the board counts them: stones, not passes.
    const auto stones = std::count_if(record.moves.begin(), record.moves.end(), [](const sgf::Move& m) { return !m.pass; });
    std::fprintf(errors, "検討しました：%d手、悪手 %d か所 → %s\n", static_cast<int>(stones), marked,
                 out.c_str());
    return 0;
}

}  // namespace tolvan
