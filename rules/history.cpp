#include "rules/history.h"

#include <algorithm>
#include <vector>

namespace tolvan::rules {

History::History(int size) {
    moves_.reserve(capacity);
    positions_.reserve(capacity + 1);
    passesBefore_.reserve(capacity);
    placed_.reserve(capacity);
    positions_.push_back(Board(size));
}

void History::reset(const Board& setup) {
    moves_.clear();
    passesBefore_.clear();
    placed_.clear();
    positions_.clear();
    positions_.push_back(setup);
    passesAtEnd_ = 0;
}

Board History::end() const {
    Board b = positions_.back();
    if (passesAtEnd_ > 0) b.pass();
    return b;
}

Why History::why(int colour, int x, int y) const { return end().why(colour, x, y); }

bool History::play(int colour, int x, int y, std::vector<Chain>* taken) {
    Board b = end();
    if (full() || b.why(colour, x, y) != Why::legal) return false;
    std::vector<Chain> t = b.play(colour, x, y);
    store(stones(), Move{colour, {x, y}}, b);
    if (taken) *taken = std::move(t);
    return true;
}

bool History::store(int n, const Move& move, const Board& after) {
    truncate(n);
    if (full()) return false;
    passesBefore_.push_back(passesAtEnd_);
    placed_.emplace_back();
    moves_.push_back(move);
    positions_.push_back(after);
    passesAtEnd_ = 0;
    return true;
}

bool History::undo() {
    if (passesAtEnd_ > 0) {
        --passesAtEnd_;
        return true;
    }
    if (moves_.empty()) return false;
    passesAtEnd_ = passesBefore_.back();
    moves_.pop_back();
    positions_.pop_back();
    passesBefore_.pop_back();
    placed_.pop_back();
    return true;
}

bool History::place(const std::vector<Placed>& points) {
    Board b = positions_.back();
    for (const Placed& p : points) {
        if (!b.onBoard(p.at.x, p.at.y)) return false;
        b.put(p.at.x, p.at.y, p.colour);
    }
    for (int x = 1; x <= b.size(); ++x)
        for (int y = 1; y <= b.size(); ++y)
            if (b.at(x, y) != empty && b.liberties(x, y) == 0) return false;
    positions_.back() = b;
    if (moves_.empty()) return true;
    std::vector<Placed>& kept = placed_.back();
    for (const Placed& p : points) {
        std::erase_if(kept, [&](const Placed& q) { return q.at == p.at; });
        kept.push_back(p);
    }
    return true;
}

void History::truncate(int n) {
    if (n < 0 || n >= stones()) return;
    passesAtEnd_ = 0;
    moves_.resize(n);
    placed_.resize(n);
    positions_.erase(positions_.begin() + n + 1, positions_.end());
    passesBefore_.resize(n);
}

void History::reverse() {
    for (Move& m : moves_) m.colour = -m.colour;
    for (auto& points : placed_)
        for (Placed& p : points) p.colour = -p.colour;
    for (Board& b : positions_) b.reverse();
}

std::vector<Node> sequence(const History& record, int n, int passes) {
    std::vector<Node> out;
    for (int k = 0; k < n && k < record.stones(); ++k) {
        const Move& m = record.stone(k);
        // The passes made before the stone, and one more when they leave the colour that
        // just played to move again: the record of a game set up by other means may
        // hold two stones of one colour with no pass between.
        int p = record.passesBefore(k);
        if (k > 0 && (p % 2 == 0) == (record.stone(k - 1).colour == m.colour)) ++p;
        // The last pass is the other colour's.
        for (int i = 0; i < p; ++i) out.push_back({(p - i) % 2 == 1 ? -m.colour : m.colour, true, {}});
        out.push_back({m.colour, false, m.at});
    }
    int colour = n > 0 && n <= record.stones() ? -record.stone(n - 1).colour : black;
    for (int k = 0; k < passes; ++k, colour = -colour) out.push_back({colour, true, {}});
    return out;
}

History upTo(const History& record, int n) {
    History h = record;
    h.truncate(n);
    int from = 0;  // the last stone with points set after it
    for (int k = 0; k < h.stones(); ++k)
        if (!h.placedAfter(k).empty()) from = k + 1;
    if (from == 0) return h;
    History rebased(h.size());
    rebased.reset(h.after(from));
    for (int k = from; k < h.stones(); ++k) {
        for (int p = 0; p < h.passesBefore(k); ++p) rebased.pass();
        rebased.store(rebased.stones(), h.stone(k), h.after(k + 1));
    }
    for (int p = 0; p < h.passesAtEnd(); ++p) rebased.pass();
    return rebased;
}

}  // namespace tolvan::rules
