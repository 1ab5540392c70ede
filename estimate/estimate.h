// An estimate of a position at any moment: which side each point belongs to and how
// surely, which stones are dead, and the score as Japanese counting reckons it. It looks
// at nothing but the stones and the prisoners, and the same position always gives the
// same answer.
#pragma once

#include <vector>

#include "rules/board.h"
#include "rules/judgement.h"

namespace tolvan::estimate {

struct Estimate {
    explicit Estimate(int size) : owner(size), ownership(static_cast<std::size_t>(size * size), 0.0) {}

    // Each point's owner once the dead stones are taken off: black or white for a living
    // stone, a dead stone's taker, or territory; rules::empty for a neutral point, a
    // point in seki and a point whose owner is unsure.
    rules::PointMap owner;
    // How surely each point is black's (1) or white's (-1), 0 for even; the point (x, y)
    // at (y - 1) * size + (x - 1).
    std::vector<double> ownership;
    // The stones taken off as dead, column by column, each column from the top.
    std::vector<rules::Point> dead;
    // As Japanese rules count: territory is the empty points and dead stones inside a
    // side's area (none inside seki); prisoners are the position's own plus the dead
    // stones taken.
    int black_territory = 0;
    int white_territory = 0;
    int black_prisoners = 0;
    int white_prisoners = 0;
    double komi = 0;
    // Whether every empty point is surely one side's or neutral: no border is still open.
    bool settled = false;

    double ownershipAt(rules::Point p) const { return ownership[(p.y - 1) * owner.size() + (p.x - 1)]; }
    int black() const { return black_territory + black_prisoners; }
    int white() const { return white_territory + white_prisoners; }
    // Black's lead with komi: positive when black is ahead.
    double lead() const { return black() - white() - komi; }
};

// The estimate of `position`, komi given to white.
Estimate estimatePosition(const rules::Board& position, double komi);

}  // namespace tolvan::estimate
