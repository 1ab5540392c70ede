// A game record replayed through the rules, and the komi a record names.
#include "records/replay.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tolvan {

namespace {

// A komi larger than this is no komi a game is played with.
constexpr double max_komi = 1000;

}  // namespace

std::variant<ReplayedRecord, ReplayProblem> replayRecord(const sgf::Record& record, int nodes) {
    // The board of the record's size, one the game plays on (the reader reads no other).
    if (!rules::isOfferedSize(record.size)) return ReplayProblem{ReplayProblem::setup, 0};
    // The setup: no point twice, and no chain without a liberty.
    rules::Board setup(record.size);
    for (const auto* stones : {&record.black_setup, &record.white_setup})
        for (const auto& p : *stones) {
            if (!setup.onBoard(p.x, p.y) || setup.at(p.x, p.y) != rules::empty)
                return ReplayProblem{ReplayProblem::setup, 0};
            setup.put(p.x, p.y, stones == &record.black_setup ? rules::black : rules::white);
        }
    for (int x = 1; x <= setup.size(); ++x)
        for (int y = 1; y <= setup.size(); ++y)
            if (setup.at(x, y) != rules::empty && setup.liberties(x, y) == 0)
                return ReplayProblem{ReplayProblem::setup, 0};

    ReplayedRecord result{rules::History(record.size)};
    result.history.reset(setup);
    // Who moves first: the first move says so; without moves, PL, or white after a
    // black handicap, or else black.
    const std::string pl = record.get("PL");
    result.toMove = rules::black;
    if (!record.moves.empty())
        result.toMove = record.moves.front().colour;
    else if (pl == "W" || pl == "w")
        result.toMove = rules::white;
    else if (pl.empty() && !record.black_setup.empty() && record.white_setup.empty())
        result.toMove = rules::white;

    const int count = nodes < 0 ? static_cast<int>(record.moves.size())
                                : std::min(nodes, static_cast<int>(record.moves.size()));
    rules::History& h = result.history;
    // The later setup that stands before move i + 1 (after i moves), in the order of
    // the record: it changes the position after the stone before it.
    std::size_t next_setup = 0;
    auto setupBefore = [&](int i) -> bool {
        for (; next_setup < record.later_setup.size() && record.later_setup[next_setup].after <= i; ++next_setup) {
            const sgf::Setup& t = record.later_setup[next_setup];
            std::vector<rules::Placed> points;
            for (const auto& [list, colour] : {std::pair{&t.black, rules::black}, std::pair{&t.white, rules::white},
                                               std::pair{&t.empty, rules::empty}})
                for (const rules::Point& p : *list) points.push_back({p, colour});
            if (!h.place(points)) return false;
        }
        return true;
    };
    for (int i = 0; i < count; ++i) {
        if (!setupBefore(i)) return ReplayProblem{ReplayProblem::setup, i};
        const sgf::Move& m = record.moves[i];
        const int number = i + 1;
        // The other colour, unless PL after the move says who.
        result.toMove = m.next != 0 ? m.next : -m.colour;
        if (m.pass) {
            h.pass();
            continue;
        }
        if (h.full()) return ReplayProblem{ReplayProblem::too_many, number};
        switch (h.why(m.colour, m.at.x, m.at.y)) {
        case rules::Why::legal: break;
        case rules::Why::suicide: return ReplayProblem{ReplayProblem::suicide, number};
        case rules::Why::ko: return ReplayProblem{ReplayProblem::ko, number};
        case rules::Why::off_board:
        case rules::Why::occupied: return ReplayProblem{ReplayProblem::occupied, number};
        }
        h.play(m.colour, m.at.x, m.at.y);
    }
    if (!setupBefore(count)) return ReplayProblem{ReplayProblem::setup, count};
    return result;
}

std::optional<double> komiOfRecord(const std::string& km) {
    const std::size_t first = km.find_first_not_of(' '), last = km.find_last_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const char* end = km.data() + last + 1;
    double komi = 0;
    const auto [at, error] = std::from_chars(km.data() + first, end, komi);
    if (error != std::errc() || at != end || !std::isfinite(komi) || std::fabs(komi) > max_komi)
        return std::nullopt;
    return komi;
}

}  // namespace tolvan
