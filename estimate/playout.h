// Random games played to the end from a position, on a board of its own made for speed:
// each chain keeps its stones in a ring, its size and its pseudo-liberties (a liberty
// counted once for every stone beside it), with their sum and sum of squares, which
// tell at once whether the chain has a single liberty left.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "rules/board.h"

namespace tolvan::estimate {

// A small, fast generator of random numbers for the playouts.
struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number from 0 to n - 1.
    int below(int n) { return static_cast<int>(((next() >> 32) * static_cast<std::uint64_t>(n)) >> 32); }
};

class PlayoutBoard {
public:
    // Points are indices on the board with one line of edge around it: (x, y) at
    // y * (size + 2) + x.
    static constexpr int cells = (rules::max_size + 2) * (rules::max_size + 2);
    static constexpr int edge = 2;
    using Marks = std::bitset<cells>;

    // The stones of `position`; no ko is known.
    explicit PlayoutBoard(const rules::Board& position);

    int size() const { return size_; }
    int point(int x, int y) const { return y * (size_ + 2) + x; }
    // rules::black, rules::white, rules::empty, or edge.
    int at(int p) const { return cell_[p]; }

    // Whether a stone of `colour` may go on the empty point p: not suicide, not a ko
    // taken back at once.
    bool legal(int colour, int p) const;
    // Plays a legal stone, taking what it leaves without a liberty.
    void play(int colour, int p);
    void pass() { ko_ = 0; }

    // Plays random moves to the end, `first` moving first, on no point of `fixed`: each
    // side plays anywhere legal except into its own eye and except a move that leaves a
    // chain of three stones or more with a single liberty and takes nothing. The stone just
    // played is answered first: taken when it is left with one liberty, else a chain of
    // the side to move that it leaves with one liberty saved where that can be done. It
    // ends when both pass in turn, or after enough moves for any game.
    void playOut(int first, Random& random, const Marks& fixed);
    // After playOut: a stone's colour, or for an empty point the colour of all its
    // neighbours (empty when they differ).
    int ownerAtEnd(int p) const;

private:
    int neighbour(int p, int k) const {
        const int step[4] = {-1, 1, -(size_ + 2), size_ + 2};
        return p + step[k];
    }
    bool inAtari(int chain) const {
        return libs_[chain] > 0 &&
               static_cast<std::int64_t>(libSum_[chain]) * libSum_[chain] ==
                   static_cast<std::int64_t>(libs_[chain]) * libSquares_[chain];
    }
    void addLiberty(int chain, int p) { ++libs_[chain], libSum_[chain] += p, libSquares_[chain] += p * p; }
    void removeLiberty(int chain, int p) { --libs_[chain], libSum_[chain] -= p, libSquares_[chain] -= p * p; }
    void merge(int into, int from);
    int take(int chain);
    void addEmpty(int p);
    void removeEmpty(int p);
    bool ownEye(int colour, int p) const;
    bool selfAtari(int colour, int p) const;
    int libertiesAfter(int colour, int p, int most, int& stones) const;
    int answer(int colour, int last, const Marks& fixed) const;

    int size_;
    std::array<std::int8_t, cells> cell_{};
    std::array<std::int16_t, cells> head_{};  // the chain's first stone
    std::array<std::int16_t, cells> next_{};  // the next stone of the chain's ring
    // By a chain's head: its stones and its pseudo-liberties.
    std::array<std::int16_t, cells> stones_{};
    std::array<std::int16_t, cells> libs_{};
    std::array<std::int32_t, cells> libSum_{};
    std::array<std::int32_t, cells> libSquares_{};
    // The empty points, and where each stands in that list.
    std::array<std::int16_t, cells> empty_{};
    std::array<std::int16_t, cells> emptyAt_{};
    int empties_ = 0;
    int ko_ = 0;  // the point the side to move may not take back at once (0 for none)
    int koColour_ = 0;
};

}  // namespace tolvan::estimate
