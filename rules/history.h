// The history of one game: the position before the first move (its setup stones, such
// as a handicap), then the stones played in order, each with the position after it, and
// the passes between and after them. A record may also put and clear stones outside
// play after a stone (a teaching record's setup): that change is part of the position
// stored after the stone, and is kept with the stone so that the record can be written
// again. Stepping back and forward, taking a game up again
// from an earlier position, game records and the GTP engine all read and write it.
#pragma once

#include <vector>

#include "rules/board.h"

namespace tolvan::rules {

// One stone of the record.
struct Move {
    int colour = empty;
    Point at;
};

// A point set outside play: a stone of `colour` put on it, or, for empty, cleared.
struct Placed {
    Point at;
    int colour = empty;
    friend bool operator==(const Placed&, const Placed&) = default;
};

class History {
public:
    // The number of stones a record holds: real games reach 500.
    static constexpr int capacity = 1000;

    // An empty record on an empty board of the given size. Room for every position is
    // taken at once, so playing never allocates.
    explicit History(int size);

    int size() const { return positions_.front().size(); }

    // Starts again from `setup`: no stone, no pass.
    void reset(const Board& setup);
    // The position before the first move.
    const Board& setup() const { return positions_.front(); }
    // Changes the position before the first move; the positions after later stones are
    // kept as they were stored.
    void setSetup(const Board& setup) { positions_.front() = setup; }

    // The stones recorded.
    int stones() const { return static_cast<int>(moves_.size()); }
    bool full() const { return stones() >= capacity; }
    // Stone k, 0-based: stone k + 1 of the game.
    const Move& stone(int k) const { return moves_[k]; }
    // The position after n stones, 0 <= n <= stones(), as it was stored.
    const Board& after(int n) const { return positions_[n]; }
    // The passes made just before stone k, and after the last stone.
    int passesBefore(int k) const { return passesBefore_[k]; }
    int passesAtEnd() const { return passesAtEnd_; }
    // The position at the end of the record, passes included.
    Board end() const;

    // Whether `colour` may play (x, y) at the end of the record.
    Why why(int colour, int x, int y) const;
    // Plays a stone at the end of the record when the rules allow it (why()) and the
    // record has room (full()); returns whether it was played. `taken` receives the
    // chains it removed.
    bool play(int colour, int x, int y, std::vector<Chain>* taken = nullptr);
    // Enters stone n + 1 as `move` with the position `after` it, the stones after n
    // dropped; for callers that have played the stone themselves. Refused (false) when
    // the record is full.
    bool store(int n, const Move& move, const Board& after);
    // Puts `position` in place of the stored position after n stones, 0 < n <= stones().
    void replace(int n, const Board& position) { positions_[n] = position; }
    // A pass at the end of the record.
    void pass() { ++passesAtEnd_; }
    // Sets points outside play at the end of the record: what stood on each is replaced,
    // nothing is taken, the prisoners stay. Before the first stone this changes the
    // setup; after it, the position stored after the last stone, and the change is kept
    // with that stone (placedAfter). Refused (false, nothing changed) when a point is off
    // the board or a chain is left without a liberty.
    bool place(const std::vector<Placed>& points);
    // The points set after stone k, 0-based, and before the next stone: each point once,
    // in the order of its last change.
    const std::vector<Placed>& placedAfter(int k) const { return placed_[k]; }
    // Takes back the last thing done: a pass at the end, or else the last stone.
    // False when there is nothing to take back.
    bool undo();
    // Drops the stones after n, and the passes after the last stone kept.
    void truncate(int n);
    // Black and white exchanged over the whole record.
    void reverse();

private:
    std::vector<Move> moves_;
    std::vector<Board> positions_;  // positions_[n]: after n stones
    std::vector<int> passesBefore_;
    std::vector<std::vector<Placed>> placed_;  // placed_[k]: set after stone k
    int passesAtEnd_ = 0;
};

// One move of a game as it is told to others: a stone, or a pass.
struct Node {
    int colour = empty;
    bool pass = false;
    Point at;
};

// The first n stones of the record as moves told in order, with the passes made between
// them: a pass of the other colour stands between two stones of one colour, and `passes` passes follow the last stone,
// alternating from the colour after it (black when there is none).
std::vector<Node> sequence(const History& record, int n, int passes);

// The record up to the position after n stones, as an engine is to see it: the stones
// after n are dropped, and so are the passes after the end unless n is the end. When
// points were set after a stone up to n, the position after the last such stone is the
// setup, and only the stones after it follow: moves alone cannot reach that position.
History upTo(const History& record, int n);

}  // namespace tolvan::rules
