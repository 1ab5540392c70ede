#include "review/review.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tolvan::review {

std::optional<double> pointsLost(const MoveReview& move) {
    if (!move.best) return std::nullopt;
    if (move.best->at == move.at) return 0.0;
    const double gain = move.best->lead - move.lead;
    return std::max(0.0, move.colour == rules::black ? gain : -gain);
}

double bigLoss(int size) { return size * size / 30.0; }

std::vector<Mistake> biggestMistakes(const std::vector<MoveReview>& reviews, int colour, int size, int n) {
    std::vector<Mistake> found;
    // Whether the side's last move was a mistake still in `found` with the same better
    // point: a big move left unplayed move after move is one mistake, listed once, at
    // its biggest.
    bool runOn = false;
    for (const MoveReview& move : reviews) {
        if (move.colour != colour) continue;
        const std::optional<double> lost = pointsLost(move);
        const bool mistake = lost && *lost >= mistake_threshold;
        const bool again = mistake && runOn && move.best->at.x != 0 && found.back().move.best->at == move.best->at;
        if (again && *lost > found.back().lost)
            found.back() = {move, *lost, 1};
        else if (mistake && !again)
            found.push_back({move, *lost, 1});
        runOn = mistake;
    }
    std::ranges::sort(found, [](const Mistake& a, const Mistake& b) {
        return a.lost != b.lost ? a.lost > b.lost : a.move.number < b.move.number;
    });
    if (found.size() > static_cast<std::size_t>(std::max(n, 0))) found.resize(std::max(n, 0));
    for (Mistake& m : found) m.badness = m.lost >= bigLoss(size) ? 2 : 1;
    return found;
}

std::string pointsText(double points) {
    const double halves = std::round(points * 2) / 2;
    char buf[32];
    std::snprintf(buf, sizeof buf, halves == std::floor(halves) ? "%.0f" : "%.1f", halves);
    return buf;
}

std::string mistakeComment(const Mistake& mistake) {
    const rules::Point better = mistake.move.best ? mistake.move.best->at : rules::Point{};
    const std::string name = better.x == 0 ? "パス" : rules::pointLabel(better) + " ";
    return "悪手: " + name + "の方が良く、約" + pointsText(mistake.lost) + "目の損です";
}

}  // namespace tolvan::review
