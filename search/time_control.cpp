#include "search/time_control.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tolvan::search {

namespace {

bool fine(double seconds) { return std::isfinite(seconds) && seconds >= 0 && seconds < 1e9; }

std::optional<double> number(const std::string& word) {
    if (word.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (*end != '\0' || !fine(v)) return std::nullopt;
    return v;
}

std::optional<int> count(const std::string& word) {
    const auto v = number(word);
    if (!v || *v != std::floor(*v) || *v > 1e6) return std::nullopt;
    return static_cast<int>(*v);
}

// The answer's way to the controller, and the clock's own rounding.
constexpr double margin = 0.3;

}  // namespace

std::optional<TimeControl> fromTimeSettings(double main, double byoyomi, int stones) {
    if (!fine(main) || !fine(byoyomi) || stones < 0) return std::nullopt;
    if (byoyomi > 0 && stones == 0) return TimeControl{};
    if (byoyomi == 0) return TimeControl{TimeControl::absolute, main, 0, 0, 0};
    return TimeControl{TimeControl::canadian, main, byoyomi, 0, stones};
}

std::optional<TimeControl> fromKgsTimeSettings(const std::vector<std::string>& w) {
    if (w.empty()) return std::nullopt;
    if (w[0] == "none" && w.size() == 1) return TimeControl{};
    if (w[0] == "absolute" && w.size() == 2) {
        if (const auto main = number(w[1])) return TimeControl{TimeControl::absolute, *main, 0, 0, 0};
        return std::nullopt;
    }
    if ((w[0] == "byoyomi" || w[0] == "canadian") && w.size() == 4) {
        const auto main = number(w[1]), period = number(w[2]);
        const auto n = count(w[3]);
        if (!main || !period || !n) return std::nullopt;
        if (w[0] == "byoyomi") return TimeControl{TimeControl::byoyomi, *main, *period, *n, 0};
        return TimeControl{TimeControl::canadian, *main, *period, 0, *n};
    }
    return std::nullopt;
}

double secondsForMove(const TimeControl& c, const std::optional<TimeLeft>& given, int size, int moves) {
    if (c.kind == TimeControl::none) return 0;
    const TimeLeft left = given.value_or(TimeLeft{c.main, 0});
    // The moves still to come for this side: most of a game's length, never fewer than a
    // board's worth of endgame.
    const double expected = 0.45 * size * size;
    const double toCome = std::max(expected - moves / 2.0, size * size / 16.0);
    const bool overtime = left.stones > 0 || (left.seconds <= 0 && c.kind != TimeControl::absolute);
    double seconds = 0;
    switch (c.kind) {
    case TimeControl::none: return 0;
    case TimeControl::absolute: seconds = left.seconds / toCome; break;
    case TimeControl::byoyomi:
        // In overtime a period serves each move again: most of one is taken, never all.
        if (overtime)
            seconds = (left.seconds > 0 ? std::min(left.seconds, c.period) : c.period) * 0.8;
        else
            seconds = left.seconds / toCome + (c.periods > 0 ? c.period * 0.5 : 0);
        break;
    case TimeControl::canadian: {
        // In overtime the period's seconds are shared over the stones still to play in it.
        const int stones = std::max(1, left.stones > 0 ? left.stones : c.stones);
        if (overtime)
            seconds = (left.seconds > 0 ? left.seconds : c.period) / stones * 0.9;
        else
            seconds = left.seconds / toCome + (c.stones > 0 ? c.period / c.stones * 0.5 : 0);
        break;
    }
    }
    // Never more than the clock holds for this move: what is left of the main time, with
    // the overtime after it that the move may still use.
    if (c.kind == TimeControl::absolute) seconds = std::min(seconds, left.seconds * 0.9);
    if (!overtime && c.kind == TimeControl::byoyomi)
        seconds = std::min(seconds, left.seconds * 0.9 + (c.periods > 0 ? c.period * 0.8 : 0));
    if (!overtime && c.kind == TimeControl::canadian)
        seconds = std::min(seconds, left.seconds * 0.9 + (c.stones > 0 ? c.period / c.stones * 0.9 : 0));
    return std::max(0.05, seconds - margin);
}

}  // namespace tolvan::search
