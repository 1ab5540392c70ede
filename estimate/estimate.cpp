// The estimate: random games played to the end from the position, the owner of each point
// averaged over them, with the groups that live whatever the other side does (Benson's
// test) and their eyes kept out of play. A chain that the games mostly give to the other
// side is dead. With the dead stones off, a region that only one side's stones surround
// is that side's territory, a point between both sides counts for nobody, and in seki
// (a shared liberty that neither side can fill without leaving its own chain with one
// liberty) nothing is territory.
#include "estimate/estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "playout/board.h"

namespace tolvan::estimate {

using playout::PlayoutBoard;
using playout::Random;

namespace {

// A chain whose stones the games give to the other side, on average, beyond this is dead;
// beyond the second, surely dead.
constexpr double dead_below = 0.0;
constexpr double surely_dead = 0.5;
// A point of an open region that does not touch the other side counts for a side when the
// games give it to that side at least this much.
constexpr double open_owner = 0.35;
// A point of an open region is sure beyond this.
constexpr double sure_owner = 0.9;

// The playouts for a board of n lines: more on a small board, fewer on a large one, so
// that any board takes a fraction of a second.
int playoutsFor(int n) { return std::clamp(540000 / (n * n), 750, 3000); }

constexpr int dx[4] = {-1, 1, 0, 0};
constexpr int dy[4] = {0, 0, -1, 1};

// The points of a board of n lines, (x, y) at (y - 1) * n + (x - 1).
struct Grid {
    int n;
    int at(rules::Point p) const { return (p.y - 1) * n + (p.x - 1); }
    rules::Point point(int i) const { return {i % n + 1, i / n + 1}; }
    bool on(int x, int y) const { return x >= 1 && x <= n && y >= 1 && y <= n; }
};

// Labels every point for which `same(a, b)` holds between neighbours into connected
// parts: returns each point's part (-1 where `in` is false) and the number of parts.
template <class In, class Same>
int label(const Grid& g, std::vector<int>& part, In in, Same same) {
    part.assign(static_cast<std::size_t>(g.n * g.n), -1);
    int parts = 0;
    std::vector<int> stack;
    for (int i = 0; i < g.n * g.n; ++i) {
        if (part[i] >= 0 || !in(i)) continue;
        part[i] = parts;
        stack.assign(1, i);
        while (!stack.empty()) {
            const rules::Point p = g.point(stack.back());
            stack.pop_back();
            for (int k = 0; k < 4; ++k) {
                if (!g.on(p.x + dx[k], p.y + dy[k])) continue;
                const int j = g.at({p.x + dx[k], p.y + dy[k]});
                if (part[j] < 0 && in(j) && same(g.at(p), j)) {
                    part[j] = parts;
                    stack.push_back(j);
                }
            }
        }
        ++parts;
    }
    return parts;
}

// Benson's test for both colours: each point of a chain that lives whatever the other
// side does, and each point of a region that is an eye of such a chain (every empty point
// of it a liberty of the chain), gets the chain's colour; other points 0.
std::vector<int> unconditional(const rules::Board& b) {
    const Grid g{b.size()};
    const int cells = g.n * g.n;
    std::vector<int> fixed(static_cast<std::size_t>(cells), 0);
    for (const int c : {rules::black, rules::white}) {
        auto colourAt = [&](int i) { const rules::Point p = g.point(i); return b.at(p.x, p.y); };
        std::vector<int> chainOf, regionOf;
        const int chains = label(g, chainOf, [&](int i) { return colourAt(i) == c; }, [](int, int) { return true; });
        const int regions = label(g, regionOf, [&](int i) { return colourAt(i) != c; }, [](int, int) { return true; });
        // For each region: its empty points, the chains beside it, and how many of its
        // empty points each of them touches.
        std::vector<int> empties(static_cast<std::size_t>(regions), 0);
        std::vector<std::vector<std::pair<int, int>>> touch(static_cast<std::size_t>(regions));
        for (int i = 0; i < cells; ++i) {
            if (regionOf[i] < 0) continue;
            const int r = regionOf[i];
            const bool isEmpty = colourAt(i) == rules::empty;
            empties[r] += isEmpty;
            int seen[4], count = 0;
            const rules::Point p = g.point(i);
            for (int k = 0; k < 4; ++k) {
                if (!g.on(p.x + dx[k], p.y + dy[k])) continue;
                const int x = chainOf[g.at({p.x + dx[k], p.y + dy[k]})];
                if (x < 0 || std::find(seen, seen + count, x) != seen + count) continue;
                seen[count++] = x;
                auto it = std::find_if(touch[r].begin(), touch[r].end(), [x](auto& t) { return t.first == x; });
                if (it == touch[r].end()) it = touch[r].insert(touch[r].end(), {x, 0});
                it->second += isEmpty;
            }
        }
        std::vector<char> alive(static_cast<std::size_t>(chains), 1), kept(static_cast<std::size_t>(regions), 1);
        for (bool changed = true; changed;) {
            changed = false;
            std::vector<int> vital(static_cast<std::size_t>(chains), 0);
            for (int r = 0; r < regions; ++r)
                if (kept[r])
                    for (const auto& [x, n] : touch[r]) vital[x] += n == empties[r];
            for (int x = 0; x < chains; ++x)
                if (alive[x] && vital[x] < 2) alive[x] = 0, changed = true;
            for (int r = 0; r < regions; ++r)
                if (kept[r])
                    for (const auto& t : touch[r])
                        if (!alive[t.first]) {
                            kept[r] = 0, changed = true;
                            break;
                        }
        }
        std::vector<char> eye(static_cast<std::size_t>(regions), 0);
        for (int r = 0; r < regions; ++r)
            if (kept[r])
                for (const auto& [x, n] : touch[r]) eye[r] |= alive[x] && n == empties[r];
        for (int i = 0; i < cells; ++i)
            if ((chainOf[i] >= 0 && alive[chainOf[i]]) || (regionOf[i] >= 0 && eye[regionOf[i]])) fixed[i] = c;
    }
    return fixed;
}

// A seed from the stones alone, so that the same position gives the same estimate.
std::uint64_t seedOf(const rules::Board& b) {
    std::uint64_t h = 1469598103934665603ULL ^ static_cast<std::uint64_t>(b.size());
    for (int y = 1; y <= b.size(); ++y)
        for (int x = 1; x <= b.size(); ++x) h = (h ^ static_cast<std::uint64_t>(b.at(x, y) + 1)) * 1099511628211ULL;
    return h;
}

// Whether a stone of `colour` on the empty point p would take nothing and leave its chain
// with one liberty at most, or may not go there at all.
bool fillsOwnLiberty(const rules::Board& b, int colour, rules::Point p) {
    if (!b.takenBy(colour, p.x, p.y).empty()) return false;
    if (!b.legal(colour, p.x, p.y)) return true;
    rules::Board after = b;
    after.play(colour, p.x, p.y);
    return after.liberties(p.x, p.y) <= 1;
}

}  // namespace

Estimate estimatePosition(const rules::Board& position, double komi) {
    const Grid g{position.size()};
    const int n = g.n, cells = n * n;
    Estimate e(n);
    e.komi = komi;
    auto colourAt = [&](const rules::Board& b, int i) { const rules::Point p = g.point(i); return b.at(p.x, p.y); };

    // The owners over the random games from a board, the unconditional groups fixed.
    const std::vector<int> fixed = unconditional(position);
    Random random{seedOf(position)};
    // With an attacker and points to attack, every game opens with the attacker's stone
    // on one of those points drawn at random, the other side to answer.
    auto owners = [&](const rules::Board& from, int attacker = rules::empty, const std::vector<int>& targets = {}) {
        const PlayoutBoard start(from);
        PlayoutBoard::Marks kept;
        for (int i = 0; i < cells; ++i)
            if (fixed[i]) kept.set(start.point(g.point(i).x, g.point(i).y));
        // The games against one side's chains are half as many: they look at fewer chains.
        const int playouts = targets.empty() ? playoutsFor(n) : playoutsFor(n) / 2;
        std::vector<int> sum(static_cast<std::size_t>(cells), 0);
        for (int k = 0; k < playouts; ++k) {
            PlayoutBoard b = start;
            int first = k % 2 ? rules::white : rules::black;
            if (!targets.empty()) {
                const rules::Point t = g.point(targets[random.below(static_cast<int>(targets.size()))]);
                if (const int p = start.point(t.x, t.y); !kept.test(p) && b.legal(attacker, p)) b.play(attacker, p);
                first = -attacker;
            }
            b.playOut(first, random, kept);
            for (int i = 0; i < cells; ++i) sum[i] += b.ownerAtEnd(start.point(g.point(i).x, g.point(i).y));
        }
        std::vector<double> o(static_cast<std::size_t>(cells));
        for (int i = 0; i < cells; ++i) o[i] = fixed[i] ? fixed[i] : static_cast<double>(sum[i]) / playouts;
        return o;
    };
    e.ownership = owners(position);

    // How surely each chain is its own colour's, on average over its stones.
    std::vector<int> chainOf;
    const int chains = label(g, chainOf, [&](int i) { return colourAt(position, i) != rules::empty; },
                             [&](int a, int b) { return colourAt(position, a) == colourAt(position, b); });
    auto chainOwners = [&](const std::vector<double>& ownership) {
        std::vector<double> owned(static_cast<std::size_t>(chains), 0.0);
        std::vector<int> stones(static_cast<std::size_t>(chains), 0);
        for (int i = 0; i < cells; ++i) {
            if (chainOf[i] < 0) continue;
            owned[chainOf[i]] += colourAt(position, i) * ownership[i];
            ++stones[chainOf[i]];
        }
        for (int x = 0; x < chains; ++x) owned[x] /= stones[x];
        return owned;
    };
    std::vector<double> owned = chainOwners(e.ownership);
    std::vector<char> sure(static_cast<std::size_t>(chains), 0);
    std::vector<int> chainColour(static_cast<std::size_t>(chains), 0);
    for (int i = 0; i < cells; ++i)
        if (chainOf[i] >= 0) {
            sure[chainOf[i]] |= fixed[i] == colourAt(position, i);
            chainColour[chainOf[i]] = colourAt(position, i);
        }

    // Chains the games leave in doubt are looked at again with the surely dead ones off
    // the board, as they will be when the game is counted.
    rules::Board cleared = position;
    bool doubt = false;
    for (int i = 0; i < cells; ++i) {
        const int x = chainOf[i];
        if (x < 0 || sure[x]) continue;
        doubt |= std::abs(owned[x]) < surely_dead;
        if (owned[x] <= -surely_dead) cleared.put(g.point(i).x, g.point(i).y, rules::empty);
    }
    // Each side's chains in doubt are looked at in games where the other side moves first
    // on one of their liberties: as Japanese rules judge a group at the end, it lives only
    // if it lives whoever moves first against it.
    for (const int attacker : {rules::black, rules::white}) {
        if (!doubt) break;
        std::vector<int> targets;
        std::vector<char> target(static_cast<std::size_t>(cells), 0);
        for (int i = 0; i < cells; ++i) {
            const int x = chainOf[i];
            if (x < 0 || sure[x] || std::abs(owned[x]) >= surely_dead || colourAt(position, i) != -attacker) continue;
            const rules::Point p = g.point(i);
            for (int k = 0; k < 4; ++k) {
                if (!g.on(p.x + dx[k], p.y + dy[k]) || cleared.at(p.x + dx[k], p.y + dy[k]) != rules::empty) continue;
                const int j = g.at({p.x + dx[k], p.y + dy[k]});
                if (!target[j]) target[j] = 1, targets.push_back(j);
            }
        }
        if (targets.empty()) continue;
        const std::vector<double> again = chainOwners(owners(cleared, attacker, targets));
        for (int x = 0; x < chains; ++x)
            if (std::abs(owned[x]) < surely_dead && chainColour[x] == -attacker) owned[x] = again[x];
    }

    // The dead chains, off the board.
    rules::Board after = position;
    std::vector<char> dead(static_cast<std::size_t>(cells), 0);
    for (int i = 0; i < cells; ++i) {
        const int x = chainOf[i];
        if (x < 0 || sure[x] || owned[x] >= dead_below) continue;
        dead[i] = 1;
        const rules::Point p = g.point(i);
        after.put(p.x, p.y, rules::empty);
    }
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (dead[g.at({x, y})]) e.dead.push_back({x, y});

    // Seki: the chains beside a liberty that neither side can fill.
    std::vector<char> seki(static_cast<std::size_t>(cells), 0);
    for (int i = 0; i < cells; ++i) {
        const rules::Point p = g.point(i);
        if (after.at(p.x, p.y) != rules::empty) continue;
        bool byBlack = false, byWhite = false;
        for (int k = 0; k < 4; ++k) {
            byBlack |= after.at(p.x + dx[k], p.y + dy[k]) == rules::black;
            byWhite |= after.at(p.x + dx[k], p.y + dy[k]) == rules::white;
        }
        if (!byBlack || !byWhite || !fillsOwnLiberty(after, rules::black, p) || !fillsOwnLiberty(after, rules::white, p))
            continue;
        for (int k = 0; k < 4; ++k)
            for (const rules::Point& s : after.chain(p.x + dx[k], p.y + dy[k])) seki[g.at(s)] = 1;
    }

    // The regions of empty points left, and what surrounds each.
    std::vector<int> regionOf;
    const int regions = label(g, regionOf, [&](int i) { return colourAt(after, i) == rules::empty; },
                              [](int, int) { return true; });
    std::vector<char> byBlack(static_cast<std::size_t>(regions), 0), byWhite(byBlack), bySeki(byBlack);
    std::vector<int> points(static_cast<std::size_t>(regions), 0);
    for (int i = 0; i < cells; ++i) {
        if (regionOf[i] < 0) continue;
        ++points[regionOf[i]];
        const rules::Point p = g.point(i);
        for (int k = 0; k < 4; ++k) {
            if (!g.on(p.x + dx[k], p.y + dy[k])) continue;
            const int j = g.at({p.x + dx[k], p.y + dy[k]});
            byBlack[regionOf[i]] |= colourAt(after, j) == rules::black;
            byWhite[regionOf[i]] |= colourAt(after, j) == rules::white;
            bySeki[regionOf[i]] |= seki[j];
        }
    }

    e.settled = true;
    for (int i = 0; i < cells; ++i) {
        const rules::Point p = g.point(i);
        const int stone = colourAt(position, i);
        int owner = rules::empty;
        bool settled = true;
        if (stone != rules::empty && !dead[i]) {
            e.owner.set(p.x, p.y, stone);
            continue;
        }
        const int r = regionOf[i];
        if (dead[i]) {
            owner = -stone;
        } else if (bySeki[r]) {
        } else if (byBlack[r] != byWhite[r]) {
            // A region one side alone surrounds: its border is closed. Not so the open
            // board of the first moves or of handicap stones, which one side's stones
            // alone touch: a region of more than half the board is that side's only when
            // the games give it to that side.
            const int side = byBlack[r] ? rules::black : rules::white;
            if (2 * points[r] <= cells || side * e.ownership[i] >= open_owner)
                owner = side;
            else
                settled = false;
        } else if (byBlack[r]) {
            // Between both sides: a point beside both is neutral; one beside one side only
            // is that side's when the games give it to that side.
            bool touches[2] = {false, false};
            for (int k = 0; k < 4; ++k) {
                const int v = after.at(p.x + dx[k], p.y + dy[k]);
                if (v != rules::empty) touches[v == rules::black ? 0 : 1] = true;
            }
            const double o = e.ownership[i];
            if (!touches[1] && o >= open_owner) owner = rules::black;
            if (!touches[0] && -o >= open_owner) owner = rules::white;
            settled = (touches[0] && touches[1]) || std::abs(o) >= sure_owner;
        } else {
            settled = false;
        }
        e.settled = e.settled && settled;
        e.owner.set(p.x, p.y, owner);
        if (owner == rules::black) ++e.black_territory;
        if (owner == rules::white) ++e.white_territory;
    }
    e.black_prisoners = position.prisoners(rules::black);
    e.white_prisoners = position.prisoners(rules::white);
    for (const rules::Point& p : e.dead) ++(position.at(p.x, p.y) == rules::white ? e.black_prisoners : e.white_prisoners);
    return e;
}

}  // namespace tolvan::estimate
