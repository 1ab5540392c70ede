#include "search/player.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "estimate/estimate.h"

namespace tolvan::search {

namespace {

// From the weakest to the strongest: the lower levels think a fixed number of playouts,
// whatever the machine; the strongest thinks for seconds that grow with the board.
const std::array<Level, 5> all = {{
    {1, "入門", 300, 0, 0, 0, 1u << 17},
    {2, "初級", 1000, 0, 0, 0, 1u << 18},
    {3, "中級", 3000, 0, 0, 0, 1u << 19},
    {4, "上級", 10000, 0, 0, 0, 1u << 20},
    {5, "最強", 0, 1.9, 4.8, 9.6, 1u << 21},
}};

// The playouts a win rate must rest on before the player believes it enough to resign.
constexpr int resign_playouts = 250;

}  // namespace

const std::array<Level, 5>& levels() { return all; }

const Level& level(int n) { return n >= 1 && n <= 5 ? all[static_cast<std::size_t>(n - 1)] : all.back(); }

Limits limitsOf(const Level& l, int size) {
    Limits limits;
    limits.playouts = l.playouts;
    limits.seconds = size <= 9 ? l.seconds9 : size <= 13 ? l.seconds13 : l.seconds19;
    return limits;
}

Player::Player(const Level& level, Settings settings)
    : level_(&level), search_([&] {
          settings.node_cap = level.nodes;
          return settings;
      }()) {}

Player::Decision Player::genmove(const rules::History& history, int colour, double komi, double seconds,
                                 const std::function<bool(const Result&)>& progress) {
    const auto start = std::chrono::steady_clock::now();
    const rules::Board board = history.end();
    const int size = board.size();
    const bool passed = history.passesAtEnd() > 0;
    Decision d;

    // How the game stands by Japanese counting, with the dead stones the estimate names:
    // asked only near the end, where it decides whether a pass loses.
    int empties = 0;
    for (int y = 1; y <= size; ++y)
        for (int x = 1; x <= size; ++x) empties += board.at(x, y) == rules::empty;
    std::optional<estimate::Estimate> count;
    auto counted = [&]() -> const estimate::Estimate& {
        if (!count) count = estimate::estimatePosition(board, komi);
        return *count;
    };
    auto aheadByCount = [&] { return colour * counted().lead() > 0; };

    // The other side passed and this side wins as the game would be counted: the game ends.
    if (passed && aheadByCount()) {
        d.kind = Decision::pass;
        return d;
    }

    search_.setPosition(board, colour, komi, passed);
    Limits limits = limitsOf(*level_, size);
    if (seconds > 0) limits.seconds = limits.seconds > 0 ? std::min(limits.seconds, seconds) : seconds;
    // The seconds are the whole move's: what was spent before the search and what the
    // count after it may take are left out of the search's own.
    if (limits.seconds > 0) {
        const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double after = count ? 0.0 : size <= 9 ? 0.1 : size <= 13 ? 0.3 : 0.6;
        limits.seconds = std::max(0.05, limits.seconds - spent - after);
    }
    d.result = search_.run(limits, progress);
    const Result& r = d.result;

    // Resigning: a lost position, twice in a row, each time on enough playouts, and not in
    // the opening.
    const bool believed = r.visits >= std::min(resign_playouts, std::max(1, limits.playouts));
    int moves = history.stones() + history.passesAtEnd();
    for (int k = 0; k < history.stones(); ++k) moves += history.passesBefore(k);
    if (moves == judgedAt_) lowMoves_ = lowBefore_;
    else if (moves < judgedAt_) lowMoves_ = 0;
    lowBefore_ = lowMoves_;
    judgedAt_ = moves;
    lowMoves_ = r.winrate < resign_below && believed && !r.candidates.empty() ? lowMoves_ + 1 : 0;
    const int played = std::max(history.stones(), size * size - empties);
    // The count must agree: a game the count gives to this side is never resigned.
    if (lowMoves_ >= 2 && played >= size * size / 4 && !aheadByCount()) {
        d.kind = Decision::resign;
        return d;
    }
    if (r.move.x == 0) {
        d.kind = Decision::pass;
        return d;
    }

    // Near the end a move inside an area already settled, its own or the other side's,
    // gains nothing by Japanese counting and may cost a point: another move about as
    // good is played, or else a pass; the player never fills its own territory to end a
    // game.
    // A move beside a stone of the other side inside this side's area answers an invader
    // and fills nothing: an invader left alone move after move may live.
    auto settledArea = [&](rules::Point p) {
        const estimate::Estimate& e = counted();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = p.x + dx, y = p.y + dy;
                if (x >= 1 && y >= 1 && x <= size && y <= size && board.at(x, y) == -colour &&
                    e.owner.at(x, y) == colour)
                    return false;
            }
        return std::abs(e.ownershipAt(p)) >= 0.85 && e.owner.at(p.x, p.y) != rules::empty;
    };
    // The estimate is asked only where the end may be near: a board half full or the other
    // side's pass. (A game the search calls decided is not near its end for that: on a
    // large board with few playouts it may call it so at move 50.)
    const bool endNear = empties < size * size / 2 || passed;
    if (endNear && settledArea(r.move)) {
        for (const Candidate& c : r.candidates) {
            if (c.move.x == 0 || settledArea(c.move)) continue;
            if (c.winrate >= r.winrate - 0.05 && c.visits * 4 >= r.candidates.front().visits) {
                d.kind = Decision::stone;
                d.at = c.move;
                return d;
            }
        }
        d.kind = Decision::pass;
        return d;
    }
    d.kind = Decision::stone;
    d.at = r.move;
    return d;
}

}  // namespace tolvan::search
