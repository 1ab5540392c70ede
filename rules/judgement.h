// Judging a position. The game's own judgement lets each colour in turn fill every point
// it can reach, capturing the chains of the other that run out of liberties; a side's
// area is what the other fails to take. The count with dead stones is the usual one of
// Japanese rules: the dead stones are taken off as prisoners, and each side counts the
// empty points that only its own stones surround, plus its prisoners.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rules/board.h"

namespace tolvan::rules {

// A colour code for every point of a board.
class PointMap {
public:
    explicit PointMap(int size) : size_(size) {}
    int size() const { return size_; }
    int at(int x, int y) const { return cells_[(y - 1) * size_ + (x - 1)]; }
    void set(int x, int y, int v) { cells_[(y - 1) * size_ + (x - 1)] = static_cast<std::int8_t>(v); }

private:
    int size_;
    std::array<std::int8_t, max_size * max_size> cells_{};
};

// Fills `board` with colour a against b = -a, as the judgement does: first every empty
// point next to an empty point or a stone of a, then, sweep after sweep until nothing
// changes, every empty point where a stone of a captures. Captured chains become a's.
// Points are swept column by column, each column from the top.
void fill(Board& board, int a);

// The game's judgement of a position: the owner of every point (black, white, or empty
// for nobody) and the two areas. A point is black's when white's fill leaves it not
// white, and white's when black's fill leaves it not black; black's answer wins a point
// that both fills leave to the other.
struct Judgement {
    PointMap owner;
    int black_area = 0;
    int white_area = 0;
};
Judgement judge(const Board& position);

// A count of the position with the given stones dead (points without a stone are
// ignored, and a dead stone counts once however often it is named).
struct Count {
    PointMap owner;           // each living stone's colour; each other point's owner or empty
    int black_territory = 0;  // empty points and dead white stones inside black's area
    int white_territory = 0;
    int black_prisoners = 0;  // the position's prisoners plus the dead stones taken
    int white_prisoners = 0;
    int black() const { return black_territory + black_prisoners; }
    int white() const { return white_territory + white_prisoners; }
};
Count count(const Board& position, const std::vector<Point>& dead);

// The stones that are marked dead together with the stone on p, or brought back with it,
// when a game is counted: its chain, and every chain of its colour reached from it over
// points that `owners` gives to the other colour (an estimate's owners: the other
// colour's area, its dead stones and the empty points around them), never over a stone
// of the other colour. So a dead group brings the chains that share its eye space in
// the other colour's area, and neither a neutral point nor its own colour's area leads
// on to a living group beyond a border; a group `owners` takes for alive comes alone.
// Chains come whole, column by column, each column from the top. Empty when p holds no
// stone.
std::vector<Point> deadGroup(const Board& position, Point p, const PointMap& owners);

}  // namespace tolvan::rules
