#include "rules/judgement.h"

#include <algorithm>

namespace tolvan::rules {

namespace {

// Whether a neighbour of (x, y) on the board holds v.
bool nextTo(const Board& b, int x, int y, int v) {
    const int n = b.size();
    return (x > 1 && b.at(x - 1, y) == v) || (x < n && b.at(x + 1, y) == v) ||
           (y > 1 && b.at(x, y - 1) == v) || (y < n && b.at(x, y + 1) == v);
}

// A stone of a on (x, y) after every chain it captures has become a's. False when it
// captures nothing.
bool takeWith(Board& b, int x, int y, int a) {
    const std::vector<Chain> taken = b.takenBy(a, x, y);
    for (const Chain& c : taken)
        for (const Point& p : c) b.put(p.x, p.y, a);
    return !taken.empty();
}

}  // namespace

void fill(Board& b, int a) {
    const int n = b.size();
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y) {
            if (b.at(x, y) != empty) continue;
            if (!nextTo(b, x, y, empty) && !nextTo(b, x, y, a)) continue;
            takeWith(b, x, y, a);
            b.put(x, y, a);
        }
    for (bool changed = true; changed;) {
        changed = false;
        for (int x = 1; x <= n; ++x)
            for (int y = 1; y <= n; ++y)
                if (b.at(x, y) == empty && takeWith(b, x, y, a)) {
                    b.put(x, y, a);
                    changed = true;
                }
    }
}

Judgement judge(const Board& position) {
    const int n = position.size();
    Judgement j{PointMap(n)};
    // The points that colour a's fill leaves to the other side go to `owner`. White's
    // fill is counted second, so black owns a point that both fills leave.
    auto leftBy = [&](int a, int owner, int& area) {
        Board b = position;
        fill(b, a);
        for (int x = 1; x <= n; ++x)
            for (int y = 1; y <= n; ++y)
                if (b.at(x, y) != a) {
                    j.owner.set(x, y, owner);
                    ++area;
                }
    };
    leftBy(black, white, j.white_area);
    leftBy(white, black, j.black_area);
    return j;
}

Count count(const Board& position, const std::vector<Point>& dead) {
    const int n = position.size();
    Count c{PointMap(n)};
    Board b = position;
    c.black_prisoners = position.prisoners(black);
    c.white_prisoners = position.prisoners(white);
    for (const Point& p : dead) {
        const int stone = b.at(p.x, p.y);
        if (stone == empty) continue;
        b.put(p.x, p.y, empty);
        ++(stone == white ? c.black_prisoners : c.white_prisoners);
    }
    // Every empty region belongs to the one colour whose stones alone border it.
    PointMap seen(n);
    std::vector<Point> region, stack;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y) {
            if (b.at(x, y) != empty) {
                c.owner.set(x, y, b.at(x, y));
                continue;
            }
            if (seen.at(x, y)) continue;
            region.clear();
            stack.assign(1, Point{x, y});
            seen.set(x, y, 1);
            bool byBlack = false, byWhite = false;
            while (!stack.empty()) {
                const Point p = stack.back();
                stack.pop_back();
                region.push_back(p);
                const Point next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
                for (const Point& q : next) {
                    if (!b.onBoard(q.x, q.y)) continue;
                    const int v = b.at(q.x, q.y);
                    if (v == black) byBlack = true;
                    if (v == white) byWhite = true;
                    if (v == empty && !seen.at(q.x, q.y)) {
                        seen.set(q.x, q.y, 1);
                        stack.push_back(q);
                    }
                }
            }
            if (byBlack == byWhite) continue;
            const int owner = byBlack ? black : white;
            for (const Point& p : region) c.owner.set(p.x, p.y, owner);
            (owner == black ? c.black_territory : c.white_territory) += static_cast<int>(region.size());
        }
    return c;
}

std::vector<Point> deadGroup(const Board& position, Point p, const PointMap& owners) {
    std::vector<Point> stones;
    const int colour = position.at(p.x, p.y);
    if (colour == empty) return stones;
    PointMap seen(position.size());
    std::vector<Point> stack;
    // A chain is taken whole, wherever the walk reaches it; its stones lead on.
    auto takeChain = [&](Point q) {
        for (const Point& r : position.chain(q.x, q.y)) {
            seen.set(r.x, r.y, 1);
            stones.push_back(r);
            stack.push_back(r);
        }
    };
    takeChain(p);
    while (!stack.empty()) {
        const Point q = stack.back();
        stack.pop_back();
        const Point next[4] = {{q.x - 1, q.y}, {q.x + 1, q.y}, {q.x, q.y - 1}, {q.x, q.y + 1}};
        for (const Point& r : next) {
            if (!position.onBoard(r.x, r.y) || seen.at(r.x, r.y)) continue;
            const int v = position.at(r.x, r.y);
            if (v == -colour || owners.at(r.x, r.y) != -colour) continue;
            if (v == colour) {
                takeChain(r);
            } else {
                seen.set(r.x, r.y, 1);
                stack.push_back(r);
            }
        }
    }
    std::sort(stones.begin(), stones.end(),
              [](Point a, Point b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    return stones;
}

}  // namespace tolvan::rules
