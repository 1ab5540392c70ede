// tolvan-patterngen: learns the weights of the search's 3×3 patterns from game records
// and writes them as a pattern table (data/run/Tolvan.patterns).
//
//   tolvan-patterngen [--min-seen N] [--skip N] [--rounds N] [--show N]
//                     -o <table file> <SGF files or folders>...
//
// Every record's main line is replayed through the rules. For every stone from stone
// --skip on (4 by default: the openings selfplay.py plays at random), the points its
// side could have played (empty, legal, not its own eye) are counted by shape, and the
// point played as the winner of that position (search::PatternLearner). The weights are
// the strengths of a Bradley–Terry model of those choices; shapes seen fewer than
// --min-seen times (20) keep the neutral weight 1 and are not written. The table written
// is read back and checked against the one learned before the file is replaced. --show N
// prints the N heaviest and the N lightest shapes with their counts.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "records/read.h"
#include "records/replay.h"
#include "records/sgf.h"
#include "records/write.h"
#include "search/patterns.h"

namespace fs = std::filesystem;
using namespace tolvan;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: tolvan-patterngen [--min-seen N] [--skip N] [--rounds N] [--show N] -o FILE "
                 "<SGF files or folders>...\n");
    return 2;
}

bool number(const char* text, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0;
}

void show(const search::PatternLearner& learner, const search::PatternTable& table,
          const std::vector<std::uint32_t>& shapes) {
    for (std::uint32_t code : shapes) {
        const auto counts = learner.counts(code);
        const std::string picture = search::pictureOf(code);
        std::printf("  %s  %s  %s   %-8.4g seen %ld, played %ld\n", picture.substr(0, 3).c_str(),
                    picture.substr(4, 3).c_str(), picture.substr(8, 3).c_str(), table.weight(code), counts.seen,
                    counts.played);
    }
}

}  // namespace

int main(int argc, char** argv) {
    long minimumSeen = 20, skip = 4, rounds = 100, shown = 0;
    std::string out;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](long& into) { return i + 1 < argc && number(argv[++i], into); };
        if (arg == "-o" && i + 1 < argc)
            out = argv[++i];
        else if (arg == "--min-seen") {
            if (!value(minimumSeen)) return usage();
        } else if (arg == "--skip") {
            if (!value(skip)) return usage();
        } else if (arg == "--rounds") {
            if (!value(rounds)) return usage();
        } else if (arg == "--show") {
            if (!value(shown)) return usage();
        } else if (!arg.empty() && arg[0] == '-')
            return usage();
        else
            inputs.push_back(arg);
    }
    if (out.empty() || inputs.empty()) return usage();

    // The records, in a fixed order: the same games give the same table.
    std::vector<std::string> files;
    for (const std::string& input : inputs) {
        std::error_code error;
        if (fs::is_directory(input, error)) {
            for (const auto& entry : fs::recursive_directory_iterator(input, error))
                if (entry.is_regular_file() && entry.path().extension() == ".sgf") files.push_back(entry.path().string());
        } else {
            files.push_back(input);
        }
    }
    std::sort(files.begin(), files.end());

    search::PatternLearner learner;
    long games = 0, refused = 0;
    long bySize[3] = {0, 0, 0};  // 9, 13, 19 lines
    for (const std::string& file : files) {
        auto bytes = files::readWhole(file, sgf::max_bytes);
        if (auto* failure = std::get_if<files::Failure>(&bytes)) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), files::english(*failure).c_str());
            ++refused;
            continue;
        }
        auto record = sgf::read(std::get<std::string>(bytes));
        if (!std::holds_alternative<sgf::Record>(record)) {
            std::fprintf(stderr, "%s: no game record that can be read\n", file.c_str());
            ++refused;
            continue;
        }
        auto replayed = replayRecord(std::get<sgf::Record>(record));
        if (!std::holds_alternative<ReplayedRecord>(replayed)) {
            std::fprintf(stderr, "%s: a move the rules do not allow, move %d\n", file.c_str(),
                         std::get<ReplayProblem>(replayed).move);
            ++refused;
            continue;
        }
        const rules::History& history = std::get<ReplayedRecord>(replayed).history;
        learner.addGame(history, static_cast<int>(skip));
        ++games;
        const int size = history.size();
        ++bySize[size == 9 ? 0 : size == 13 ? 1 : 2];
    }
    if (games == 0) {
        std::fprintf(stderr, "tolvan-patterngen: no game to learn from\n");
        return 1;
    }

    const search::PatternTable table = learner.learn(minimumSeen, static_cast<int>(rounds));
    const std::vector<std::uint32_t> written = table.shapes();
    const std::vector<std::string> comment = {
        "Learned by tolvan-patterngen from " + std::to_string(games) + " games of GNU Go against itself (" +
            std::to_string(bySize[0]) + " on 9 lines, " + std::to_string(bySize[1]) + " on 13, " +
            std::to_string(bySize[2]) + " on 19): " + std::to_string(learner.positions()) + " positions, " +
            std::to_string(learner.pointsSeen()) + " points.",
        "Shapes seen at least " + std::to_string(minimumSeen) + " times: " + std::to_string(written.size()) +
            " of " + std::to_string(learner.shapes().size()) + "; the others weigh 1.",
    };
    const std::string text = table.write(comment);

    // The file must give back what was learned.
    std::string why;
    const auto back = search::PatternTable::read(text, &why);
    if (!back) {
        std::fprintf(stderr, "tolvan-patterngen: the table written does not read back: %s\n", why.c_str());
        return 1;
    }
    for (std::uint32_t code = 0; code < search::pattern_codes; ++code)
        if (back->weight(code) != table.weight(code)) {
            std::fprintf(stderr, "tolvan-patterngen: the table written gives %05x another weight\n", code);
            return 1;
        }
    if (auto failure = files::writeWhole(out, text, search::PatternTable::max_bytes)) {
        std::fprintf(stderr, "%s: %s\n", out.c_str(), files::english(*failure).c_str());
        return 1;
    }

    std::printf("%ld games (%ld refused), %ld positions (%ld stones left out), %ld points, %zu shapes seen, %zu written\n",
                games, refused, learner.positions(), learner.leftOut(), learner.pointsSeen(), learner.shapes().size(),
                written.size());
    if (shown > 0) {
        std::vector<std::uint32_t> byWeight = written;
        std::stable_sort(byWeight.begin(), byWeight.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return table.weight(a) > table.weight(b); });
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(shown), byWeight.size());
        std::printf("The heaviest:\n");
        show(learner, table, std::vector<std::uint32_t>(byWeight.begin(), byWeight.begin() + n));
        std::printf("The lightest:\n");
        show(learner, table, std::vector<std::uint32_t>(byWeight.end() - n, byWeight.end()));
    }
    return 0;
}
