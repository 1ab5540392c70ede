// A position of Go on a board of any size from 2 to 25: what stands on each point, the
// prisoners each side has taken, and what the simple ko rule needs to know of the last
// stone. Points are (x, y), x the column from the left and y the row from the top, both
// 1..size. Colours are the game's codes: black 1, white -1, empty 0.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "rules/geometry.h"

namespace tolvan::rules {

constexpr int black = 1;
constexpr int white = -1;
constexpr int empty = 0;
constexpr int min_size = 2;
constexpr int max_size = 25;

// Why a stone may or may not go on a point.
enum class Why {
    legal,
    off_board,  // no point of this board
    occupied,   // a stone stands there
    suicide,    // its chain would have no liberty and it takes nothing
    ko,         // it would take back a ko at once
};

// The stones of one chain, in the order a search from its first point finds them.
using Chain = std::vector<Point>;

class Board {
public:
    // An empty board of the given size (clamped to 2..25).
    explicit Board(int size);

    int size() const { return size_; }
    bool onBoard(int x, int y) const { return x >= 1 && x <= size_ && y >= 1 && y <= size_; }
    // The stone on (x, y); empty off the board.
    int at(int x, int y) const { return onBoard(x, y) ? grid_[index(x, y)] : empty; }
    // Stones of one colour on the board: how many, and where, row by row from the top,
    // each row from the left.
    int stones(int colour) const;
    std::vector<Point> stonesOf(int colour) const;
    // Stones of the other colour that `colour` has taken.
    int prisoners(int colour) const { return colour == black ? prisoners_[0] : prisoners_[1]; }

    // Puts a stone (or empty) on a point outside play: setup stones and positions built
    // from elsewhere. The ko rule is not touched; nothing is taken.
    void put(int x, int y, int colour);
    // Sets the prisoners taken by `colour`.
    void setPrisoners(int colour, int n);

    // Whether a stone of `colour` may go on (x, y), and if not, why. The tests are made
    // in this order: the point, the stone on it, suicide, ko.
    Why why(int colour, int x, int y) const;
    bool legal(int colour, int x, int y) const { return why(colour, x, y) == Why::legal; }

    // The chains of the other colour that a stone of `colour` on the empty point (x, y)
    // would leave without a liberty, in the order of its neighbours left, right, up, down.
    std::vector<Chain> takenBy(int colour, int x, int y) const;

    // Plays a stone of `colour` on (x, y): the chains it takes are removed and counted as
    // its prisoners, and the stone becomes the last stone for the ko rule. Returns the
    // chains taken, in the order of takenBy. The caller asks why() first; a stone on a
    // point that is off the board or occupied changes nothing and takes nothing.
    std::vector<Chain> play(int colour, int x, int y);
    // A pass: the next stone may take back a ko at once, since the position it would
    // repeat is no longer the one before the last move.
    void pass() { passed_ = true; }

    // The last stone, when one was played and no pass came after it (x 0 when not).
    Point lastStone() const { return passed_ ? Point{} : last_; }
    // Sets what the ko rule knows of the last move: its stone, and the position before it.
    // A position built with put() from a record uses this to take up the record's ko.
    void setLastMove(Point stone, const Board& before);

    // The chain through (x, y) (empty when no stone stands there), and its liberties.
    Chain chain(int x, int y) const;
    int liberties(int x, int y) const;

    // Black and white exchanged: stones, prisoners and what the ko rule knows.
    void reverse();

    // The same stones on the same points, whatever the prisoners and the ko.
    bool sameStones(const Board& other) const { return size_ == other.size_ && grid_ == other.grid_; }

private:
    int index(int x, int y) const { return (y - 1) * size_ + (x - 1); }
    using Marks = std::bitset<max_size * max_size>;
    // Whether the chain through (x, y) has a liberty other than the point `blocked`
    // (a stone assumed there; x 0 for none). `seen` collects its points; with `chain`
    // the search goes on over the whole chain and lists it there.
    bool hasLiberty(int x, int y, Point blocked, Marks& seen, Chain* chain) const;

    int size_;
    std::array<std::int8_t, max_size * max_size> grid_{};
    std::array<int, 2> prisoners_{};
    // The simple ko rule: a stone that takes the last stone alone, on a point where its
    // own colour stood before the last move, may not be played when the last stone's
    // colour could at once take back on its point; a pass in between lifts it.
    Point last_{};
    Marks beforeLast_{};  // points of the mover's opponent before
    bool passed_ = false;
};

}  // namespace tolvan::rules
