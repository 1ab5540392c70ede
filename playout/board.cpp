#include "playout/board.h"

namespace tolvan::playout {

PlayoutBoard::PlayoutBoard(const rules::Board& position) : size_(position.size()) {
    const int w = size_ + 2;
    for (int p = 0; p < w * w; ++p) cell_[p] = edge;
    for (int y = 1; y <= size_; ++y)
        for (int x = 1; x <= size_; ++x) {
            cell_[point(x, y)] = rules::empty;
            addEmpty(point(x, y));
        }
    // The stones go on one at a time, as plays that take nothing: a position's chains all
    // have a liberty, so none is taken.
    for (int y = 1; y <= size_; ++y)
        for (int x = 1; x <= size_; ++x)
            if (const int c = position.at(x, y); c != rules::empty) play(c, point(x, y));
    ko_ = 0;
}

void PlayoutBoard::addEmpty(int p) {
    emptyAt_[p] = static_cast<std::int16_t>(empties_);
    empty_[empties_++] = static_cast<std::int16_t>(p);
}

void PlayoutBoard::removeEmpty(int p) {
    const int last = empty_[--empties_];
    empty_[emptyAt_[p]] = static_cast<std::int16_t>(last);
    emptyAt_[last] = emptyAt_[p];
}

bool PlayoutBoard::legal(int colour, int p) const {
    if (cell_[p] != rules::empty) return false;
    if (p == ko_ && colour == koColour_) return false;
    for (int k = 0; k < 4; ++k) {
        const int q = neighbour(p, k);
        const int v = cell_[q];
        if (v == rules::empty) return true;
        if (v == edge) continue;
        const bool atari = inAtari(head_[q]);
        if (v == colour ? !atari : atari) return true;
    }
    return false;
}

void PlayoutBoard::merge(int into, int from) {
    int p = from;
    do {
        head_[p] = static_cast<std::int16_t>(into);
        p = next_[p];
    } while (p != from);
    std::swap(next_[into], next_[from]);
    stones_[into] = static_cast<std::int16_t>(stones_[into] + stones_[from]);
    libs_[into] = static_cast<std::int16_t>(libs_[into] + libs_[from]);
    libSum_[into] += libSum_[from];
    libSquares_[into] += libSquares_[from];
}

int PlayoutBoard::take(int chain) {
    const int taken = stones_[chain];
    int p = chain;
    do {
        cell_[p] = rules::empty;
        addEmpty(p);
        p = next_[p];
    } while (p != chain);
    do {
        for (int k = 0; k < 4; ++k) {
            const int q = neighbour(p, k);
            if (cell_[q] == rules::black || cell_[q] == rules::white) addLiberty(head_[q], p);
        }
        p = next_[p];
    } while (p != chain);
    return taken;
}

void PlayoutBoard::play(int colour, int p) {
    cell_[p] = static_cast<std::int8_t>(colour);
    head_[p] = next_[p] = static_cast<std::int16_t>(p);
    stones_[p] = 1;
    libs_[p] = 0, libSum_[p] = 0, libSquares_[p] = 0;
    removeEmpty(p);
    for (int k = 0; k < 4; ++k)
        if (cell_[neighbour(p, k)] == rules::empty) addLiberty(p, neighbour(p, k));
    int taken = 0, takenAt = 0;
    for (int k = 0; k < 4; ++k) {
        const int q = neighbour(p, k);
        const int v = cell_[q];
        if (v == edge || v == rules::empty) continue;
        const int chain = head_[q];
        removeLiberty(chain, p);
        if (v == colour) {
            const int mine = head_[p];
            if (chain != mine) {
                // The larger chain keeps its head.
                if (stones_[chain] >= stones_[mine])
                    merge(chain, mine);
                else
                    merge(mine, chain);
            }
        } else if (libs_[chain] == 0) {
            takenAt = chain;
            taken += take(chain);
        }
    }
    const int mine = head_[p];
    ko_ = 0;
    if (taken == 1 && stones_[mine] == 1 && inAtari(mine)) ko_ = takenAt, koColour_ = -colour;
}

bool PlayoutBoard::ownEye(int colour, int p) const {
    for (int k = 0; k < 4; ++k) {
        const int v = cell_[neighbour(p, k)];
        if (v != colour && v != edge) return false;
    }
    // A corner point of the eye held by the other side makes it false: one on the edge,
    // two in the middle.
    const int w = size_ + 2;
    const int corners[4] = {p - w - 1, p - w + 1, p + w - 1, p + w + 1};
    int bad = 0, atEdge = 0;
    for (int q : corners) {
        if (cell_[q] == edge)
            atEdge = 1;
        else if (cell_[q] == -colour)
            ++bad;
    }
    return bad + atEdge < 2;
}

// How many liberties, `most` at most (up to 3), the chain of a stone of `colour` on p
// would have, counting nothing it takes; `stones` gets the chain's size.
int PlayoutBoard::libertiesAfter(int colour, int p, int most, int& stones) const {
    int found[3] = {0, 0, 0}, count = 0;
    stones = 1;
    auto add = [&](int q) {
        if (q == p || count >= most) return;
        for (int i = 0; i < count; ++i)
            if (found[i] == q) return;
        found[count++] = q;
    };
    for (int k = 0; k < 4; ++k)
        if (cell_[neighbour(p, k)] == rules::empty) add(neighbour(p, k));
    if (count >= most) return count;
    int seen[4], chains = 0;
    for (int k = 0; k < 4; ++k) {
        const int q = neighbour(p, k);
        if (cell_[q] != colour) continue;
        const int chain = head_[q];
        bool again = false;
        for (int i = 0; i < chains; ++i) again |= seen[i] == chain;
        if (again) continue;
        seen[chains++] = chain;
        stones += stones_[chain];
        int s = chain;
        do {
            for (int j = 0; j < 4; ++j)
                if (cell_[neighbour(s, j)] == rules::empty) add(neighbour(s, j));
            if (count >= most) return count;
            s = next_[s];
        } while (s != chain);
    }
    return count;
}

// Whether the stone, taking nothing, leaves its chain of three stones or more with one
// liberty at most.
bool PlayoutBoard::selfAtari(int colour, int p) const {
    for (int k = 0; k < 4; ++k) {
        const int q = neighbour(p, k);
        if (cell_[q] == -colour && inAtari(head_[q])) return false;
    }
    int stones = 0;
    return libertiesAfter(colour, p, 2, stones) < 2 && stones >= 3;
}

// The answer to the stone just played on `last`: the stone taken when it is left with
// one liberty; otherwise a chain of the side to move that it leaves with one liberty
// saved, by taking a chain beside it that has one liberty too or by running out where
// that gives it three liberties or more; 0 for none.
int PlayoutBoard::answer(int colour, int last, const Marks& fixed) const {
    auto playable = [&](int p) { return !fixed.test(p) && legal(colour, p); };
    if (inAtari(head_[last])) {
        const int liberty = libSum_[head_[last]] / libs_[head_[last]];
        return playable(liberty) ? liberty : 0;
    }
    for (int k = 0; k < 4; ++k) {
        const int q = neighbour(last, k);
        if (cell_[q] != colour || !inAtari(head_[q])) continue;
        const int chain = head_[q];
        // A chain of the other side beside it with one liberty, taken.
        int s = chain;
        do {
            for (int j = 0; j < 4; ++j) {
                const int r = neighbour(s, j);
                if (cell_[r] != -colour || !inAtari(head_[r])) continue;
                const int liberty = libSum_[head_[r]] / libs_[head_[r]];
                if (playable(liberty)) return liberty;
            }
            s = next_[s];
        } while (s != chain);
        const int liberty = libSum_[chain] / libs_[chain];
        int stones = 0;
        if (playable(liberty) && libertiesAfter(colour, liberty, 3, stones) >= 3) return liberty;
    }
    return 0;
}

void PlayoutBoard::playOut(int first, Random& random, const Marks& fixed) {
    int colour = first, passes = 0, last = 0;
    for (int moves = 0; passes < 2 && moves < 3 * size_ * size_; ++moves) {
        int chosen = last && cell_[last] == -colour ? answer(colour, last, fixed) : 0;
        // Otherwise points are drawn at random; one that will not do goes to the end of
        // the list for this move.
        int left = chosen ? 0 : empties_;
        while (left > 0) {
            const int i = random.below(left);
            const int p = empty_[i];
            if (!fixed.test(p) && !ownEye(colour, p) && legal(colour, p) && !selfAtari(colour, p)) {
                chosen = p;
                break;
            }
            --left;
            const int last = empty_[left];
            empty_[i] = static_cast<std::int16_t>(last), emptyAt_[last] = static_cast<std::int16_t>(i);
            empty_[left] = static_cast<std::int16_t>(p), emptyAt_[p] = static_cast<std::int16_t>(left);
        }
        if (chosen) {
            play(colour, chosen);
            passes = 0;
        } else {
            pass();
            ++passes;
        }
        last = chosen;
        colour = -colour;
    }
}

bool PlayoutBoard::leavesInAtari(int colour, int p) const {
    if (captures(colour, p) > 0) return false;
    int stones = 0;
    return libertiesAfter(colour, p, 2, stones) < 2;
}

int PlayoutBoard::captures(int colour, int p) const {
    int taken = 0, seen[4], chains = 0;
    for (int k = 0; k < 4; ++k) {
        const int q = neighbour(p, k);
        if (cell_[q] != -colour || !inAtari(head_[q])) continue;
        const int chain = head_[q];
        bool again = false;
        for (int i = 0; i < chains; ++i) again |= seen[i] == chain;
        if (again) continue;
        seen[chains++] = chain;
        taken += stones_[chain];
    }
    return taken;
}

int PlayoutBoard::randomMove(int colour, Random& random) {
    int left = empties_;
    while (left > 0) {
        const int i = random.below(left);
        const int p = empty_[i];
        if (!ownEye(colour, p) && legal(colour, p) && !selfAtari(colour, p)) return p;
        // One that will not do goes to the end of the list for this move.
        --left;
        const int last = empty_[left];
        empty_[i] = static_cast<std::int16_t>(last), emptyAt_[last] = static_cast<std::int16_t>(i);
        empty_[left] = static_cast<std::int16_t>(p), emptyAt_[p] = static_cast<std::int16_t>(left);
    }
    return 0;
}

std::uint32_t PlayoutBoard::neighbourhood(int colour, int p) const {
    // Each neighbour's two bits as black sees it (white 2, empty 0, black 1, edge 3),
    // then own and other exchanged for white: a field of 1 or 2 has one bit set.
    static constexpr std::uint32_t code_of[4] = {2, 0, 1, 3};
    const int w = size_ + 2;
    const int around[8] = {p - w, p + 1, p + w, p - 1, p - w + 1, p + w + 1, p + w - 1, p - w - 1};
    std::uint32_t code = 0;
    for (int k = 0; k < 8; ++k) code |= code_of[cell_[around[k]] + 1] << (2 * k);
    if (colour == rules::white) {
        const std::uint32_t single = (code ^ (code >> 1)) & 0x5555u;
        code ^= single | (single << 1);
    }
    for (int k = 0; k < 4; ++k) {
        const int v = cell_[around[k]];
        if ((v == rules::black || v == rules::white) && inAtari(head_[around[k]])) code |= 1u << (16 + k);
    }
    return code;
}

double PlayoutBoard::areaScore(double komi) const {
    int black = 0, white = 0;
    const int w = size_ + 2;
    for (int y = 1; y <= size_; ++y)
        for (int x = 1; x <= size_; ++x) {
            const int owner = ownerAtEnd(y * w + x);
            black += owner == rules::black;
            white += owner == rules::white;
        }
    return black - white - komi;
}

int PlayoutBoard::ownerAtEnd(int p) const {
    if (cell_[p] != rules::empty) return cell_[p];
    int owner = rules::empty;
    for (int k = 0; k < 4; ++k) {
        const int v = cell_[neighbour(p, k)];
        if (v == edge) continue;
        if (v == rules::empty || (owner != rules::empty && v != owner)) return rules::empty;
        owner = v;
    }
    return owner;
}

}  // namespace tolvan::playout
