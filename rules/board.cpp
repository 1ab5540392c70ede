#include "rules/board.h"

#include <algorithm>

namespace tolvan::rules {

namespace {
// The neighbours of a point in the order the game looks at them: left, right, up, down.
constexpr int dx[4] = {-1, 1, 0, 0};
constexpr int dy[4] = {0, 0, -1, 1};
}  // namespace

Board::Board(int size) : size_(std::clamp(size, min_size, max_size)) {}

int Board::stones(int colour) const {
    int n = 0;
    for (int i = 0; i < size_ * size_; ++i) n += grid_[i] == colour;
    return n;
}

std::vector<Point> Board::stonesOf(int colour) const {
    std::vector<Point> out;
    for (int y = 1; y <= size_; ++y)
        for (int x = 1; x <= size_; ++x)
            if (grid_[index(x, y)] == colour) out.push_back({x, y});
    return out;
}

void Board::put(int x, int y, int colour) {
    if (onBoard(x, y)) grid_[index(x, y)] = static_cast<std::int8_t>(colour);
}

void Board::setPrisoners(int colour, int n) { prisoners_[colour == black ? 0 : 1] = n; }

bool Board::hasLiberty(int x, int y, Point blocked, Marks& seen, Chain* chain) const {
    const int colour = at(x, y);
    bool liberty = false;
    // Points still to look from; each point enters once, so the board's size bounds it.
    // Left uninitialised: only what has been pushed is read.
    struct Step {
        std::int8_t x, y;
    } stack[max_size * max_size];
    int top = 0;
    stack[top++] = {static_cast<std::int8_t>(x), static_cast<std::int8_t>(y)};
    seen.set(index(x, y));
    while (top > 0) {
        const Point p{stack[top - 1].x, stack[top - 1].y};
        --top;
        if (chain) chain->push_back(p);
        for (int k = 0; k < 4; ++k) {
            const int nx = p.x + dx[k], ny = p.y + dy[k];
            if (!onBoard(nx, ny) || (nx == blocked.x && ny == blocked.y)) continue;
            const int i = index(nx, ny);
            const int v = grid_[i];
            if (v == empty) {
                liberty = true;
                if (!chain) return true;
            } else if (v == colour && !seen.test(i)) {
                seen.set(i);
                stack[top++] = {static_cast<std::int8_t>(nx), static_cast<std::int8_t>(ny)};
            }
        }
    }
    return liberty;
}

Chain Board::chain(int x, int y) const {
    Chain c;
    if (at(x, y) == empty) return c;
    Marks seen;
    hasLiberty(x, y, Point{}, seen, &c);
    return c;
}

int Board::liberties(int x, int y) const {
    const Chain c = chain(x, y);
    Marks libs;
    for (const Point& p : c)
        for (int k = 0; k < 4; ++k) {
            const int nx = p.x + dx[k], ny = p.y + dy[k];
            if (onBoard(nx, ny) && grid_[index(nx, ny)] == empty) libs.set(index(nx, ny));
        }
    return static_cast<int>(libs.count());
}

std::vector<Chain> Board::takenBy(int colour, int x, int y) const {
    std::vector<Chain> taken;
    if (!onBoard(x, y) || at(x, y) != empty || colour == empty) return taken;
    // The stone stands on (x, y) for the test: that point is no liberty of a neighbour.
    Marks seen;
    for (int k = 0; k < 4; ++k) {
        const int nx = x + dx[k], ny = y + dy[k];
        if (!onBoard(nx, ny) || at(nx, ny) != -colour || seen.test(index(nx, ny))) continue;
        Chain c;
        if (!hasLiberty(nx, ny, {x, y}, seen, &c)) taken.push_back(std::move(c));
    }
    return taken;
}

Why Board::why(int colour, int x, int y) const {
    if (!onBoard(x, y)) return Why::off_board;
    if (at(x, y) != empty) return Why::occupied;
    // Most points answer at once: with an empty neighbour the stone has a liberty, and
    // a ko needs the last stone next to it.
    const Point last = lastStone();
    bool nextToEmpty = false, nextToLast = false;
    for (int k = 0; k < 4; ++k) {
        const int nx = x + dx[k], ny = y + dy[k];
        if (!onBoard(nx, ny)) continue;
        nextToEmpty = nextToEmpty || at(nx, ny) == empty;
        nextToLast = nextToLast || (nx == last.x && ny == last.y);
    }
    if (nextToEmpty && !nextToLast) return Why::legal;
    // What the stone takes: the chains of the other colour whose only liberty it fills.
    // A search that finds a liberty stops there, so only a chain searched whole (one
    // taken) is remembered as seen.
    Marks seen;
    int takenChains = 0;
    Point takenAt{};
    bool liberty = false;
    for (int k = 0; k < 4; ++k) {
        const int nx = x + dx[k], ny = y + dy[k];
        if (!onBoard(nx, ny)) continue;
        const int v = at(nx, ny);
        if (v == empty) {
            liberty = true;
        } else if (v == -colour && !seen.test(index(nx, ny))) {
            Marks chainSeen;
            if (!hasLiberty(nx, ny, {x, y}, chainSeen, nullptr)) {
                seen |= chainSeen;
                if (++takenChains == 1) takenAt = {nx, ny};
            }
        }
    }
    if (takenChains == 0) {
        // Without a capture the stone needs a liberty of its own chain: an empty
        // neighbour, or one of a friendly neighbour's chain other than this point.
        for (int k = 0; k < 4 && !liberty; ++k) {
            const int nx = x + dx[k], ny = y + dy[k];
            // A search without a liberty covers its chain whole, so a later neighbour
            // of the same chain is skipped.
            if (onBoard(nx, ny) && at(nx, ny) == colour && !seen.test(index(nx, ny)))
                liberty = hasLiberty(nx, ny, {x, y}, seen, nullptr);
        }
        return liberty ? Why::legal : Why::suicide;
    }
    // Ko: the stone takes the last stone alone, and this point held a stone of the mover
    // before the last move, so the last move took it here. A stone that takes more cannot
    // bring back the position before the last move.
    if (takenChains != 1 || last.x == 0 || !(takenAt == last) || at(last.x, last.y) != -colour ||
        !beforeLast_.test(index(x, y)))
        return Why::legal;
    for (int k = 0; k < 4; ++k)
        if (at(last.x + dx[k], last.y + dy[k]) == -colour &&
            onBoard(last.x + dx[k], last.y + dy[k]))
            return Why::legal;
    // Played on trial, could the other colour take back at once on its last point?
    Board trial = *this;
    trial.grid_[index(last.x, last.y)] = static_cast<std::int8_t>(-colour);
    trial.grid_[index(x, y)] = static_cast<std::int8_t>(colour);
    for (int k = 0; k < 4; ++k) {
        const int nx = last.x + dx[k], ny = last.y + dy[k];
        if (!trial.onBoard(nx, ny) || trial.at(nx, ny) != colour) continue;
        Marks chainSeen;
        if (!trial.hasLiberty(nx, ny, Point{}, chainSeen, nullptr)) return Why::ko;
    }
    return Why::legal;
}

std::vector<Chain> Board::play(int colour, int x, int y) {
    if (!onBoard(x, y) || at(x, y) != empty || colour == empty) return {};
    std::vector<Chain> taken = takenBy(colour, x, y);
    beforeLast_.reset();
    for (int i = 0; i < size_ * size_; ++i)
        if (grid_[i] == -colour) beforeLast_.set(i);
    int n = 0;
    for (const Chain& c : taken)
        for (const Point& p : c) {
            grid_[index(p.x, p.y)] = empty;
            ++n;
        }
    grid_[index(x, y)] = static_cast<std::int8_t>(colour);
    prisoners_[colour == black ? 0 : 1] += n;
    last_ = {x, y};
    passed_ = false;
    return taken;
}

void Board::setLastMove(Point stone, const Board& before) {
    beforeLast_.reset();
    last_ = {};
    passed_ = false;
    if (!onBoard(stone.x, stone.y) || at(stone.x, stone.y) == empty || before.size_ != size_) return;
    last_ = stone;
    const int mover = at(stone.x, stone.y);
    for (int i = 0; i < size_ * size_; ++i)
        if (before.grid_[i] == -mover) beforeLast_.set(i);
}

void Board::reverse() {
    for (int i = 0; i < size_ * size_; ++i) grid_[i] = static_cast<std::int8_t>(-grid_[i]);
    std::swap(prisoners_[0], prisoners_[1]);
    // The points of the last mover's opponent before the last move keep their meaning:
    // the colours of both have changed together.
}

}  // namespace tolvan::rules
