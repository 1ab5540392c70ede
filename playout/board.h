// Random games played to the end from a position, on a board of its own made for speed:
// each chain keeps its stones in a ring, its size and its pseudo-liberties (a liberty
// counted once for every stone beside it), with their sum and sum of squares, which
// tell at once whether the chain has a single liberty left. The estimate plays its
// random games on it, and the search its guided ones, through the primitives below.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "rules/board.h"

namespace tolvan::playout {

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
    // Black's points less white's less `komi`, counting stones and the empty points all
    // of whose neighbours are one colour: the score of a game played out to the end.
    double areaScore(double komi) const;

    // ---- What a guided game and the search ask of the board ---------------------------
    // The side that may not take a ko back at once, and where (0 for no ko).
    int ko() const { return ko_; }
    int koColour() const { return koColour_; }
    // The ko the side `colour` may not take back at once on p: as the rules' board knows it.
    void setKo(int p, int colour) { ko_ = p, koColour_ = colour; }
    // The empty points, in no particular order.
    int empties() const { return empties_; }
    int emptyPoint(int i) const { return empty_[i]; }
    // The chain of the stone on p (its head), its stones, and whether it has one liberty,
    // which atariLiberty then names.
    int chainOf(int p) const { return head_[p]; }
    int stonesOf(int chain) const { return stones_[chain]; }
    bool inAtari(int chain) const {
        return libs_[chain] > 0 &&
               static_cast<std::int64_t>(libSum_[chain]) * libSum_[chain] ==
                   static_cast<std::int64_t>(libs_[chain]) * libSquares_[chain];
    }
    int atariLiberty(int chain) const { return libSum_[chain] / libs_[chain]; }
    int neighbour(int p, int k) const {
        const int step[4] = {-1, 1, -(size_ + 2), size_ + 2};
        return p + step[k];
    }
    // Whether p is an eye of `colour`'s own that a stone there would only fill.
    bool ownEye(int colour, int p) const;
    // Whether a stone of `colour` on p, taking nothing, leaves its chain of three stones or
    // more with a single liberty.
    bool selfAtari(int colour, int p) const;
    // Whether a stone of `colour` on p, taking nothing, leaves its own chain (any size)
    // with a single liberty.
    bool leavesInAtari(int colour, int p) const;
    // The stones a stone of `colour` on p would take.
    int captures(int colour, int p) const;
    // How many liberties (up to `most`, at most 3) the chain of a stone of `colour` on p
    // would have, counting nothing it takes; `stones` gets the chain's size.
    int libertiesAfter(int colour, int p, int most, int& stones) const;
    // The answer to the stone just played on `last`, as playOut answers it; 0 for none.
    int answer(int colour, int last) const { return answer(colour, last, Marks{}); }
    // A point drawn at random where `colour` may play in a random game: legal, not its own
    // eye, no self-atari of a chain of three or more; 0 when there is none.
    int randomMove(int colour, Random& random);
    // The 3×3 neighbourhood of p as `colour` sees it: the four sides (up, right, down,
    // left) then the four corners (upper right, lower right, lower left, upper left), two
    // bits each (0 empty, 1 own stone, 2 the other side's, 3 off the board), from the
    // lowest bits up; then four bits, one for each side, set where a stone there belongs
    // to a chain with a single liberty.
    std::uint32_t neighbourhood(int colour, int p) const;

private:
    void addLiberty(int chain, int p) { ++libs_[chain], libSum_[chain] += p, libSquares_[chain] += p * p; }
    void removeLiberty(int chain, int p) { --libs_[chain], libSum_[chain] -= p, libSquares_[chain] -= p * p; }
    void merge(int into, int from);
    int take(int chain);
    void addEmpty(int p);
    void removeEmpty(int p);
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

}  // namespace tolvan::playout
