// The opening-area bonus of an open point: a few points near the corners are worth more
// when the computer already holds the nearby 4-4 point (or a given third-line point) and
// the surroundings have the expected shape.
#include <string>

#include "game/tolvan.h"

namespace tolvan {

// The bonus (0, 0.5 or 0.9) of the open point (x, y); 0 for a point outside the list.
// Needs the neighbour codes of this turn.
double Tolvan::調査_得点_定石四方空(int x, int y) {
    const int man = s.man_side, com = s.com_side;
    // A line of the 19-line board counted from its nearest edge, on this board: the
    // points near the far edges move in with the board's size.
    const int shift = 19 - s.size;
    auto e = [shift](int v) { return v <= 10 ? v : v - shift; };
    auto at = [&](int i, int j) { return s.board[i][j]; };
    auto empty = [&](int i, int j) { return s.board[i][j] == stone_empty; };
    // A computer stone on (i, j) with nothing on its neighbours or its diagonals.
    auto lone = [&](int i, int j) {
        return at(i, j) == com && s.neighbour_count[i][j] == 400 &&
               調査_四方斜(i, j, stone_empty) == 1111;
    };
    // The 3-6 and 6-3 extensions from a lone 4-4 stone, with open diagonals.
    auto extension = [&](int i, int j) {
        return lone(i, j) && 調査_四方斜(x, y, stone_empty) == 1111 ? 0.5 : 0.0;
    };

    // The 3-3 invasion under a 4-4 stone that the person approaches from one side only.
    if (x == e(3) && y == e(3)) {
        if (at(e(4), e(4)) == com && empty(e(2), e(2)) &&
            ((at(e(2), e(4)) == man && empty(e(4), e(2))) || (at(e(4), e(2)) == man && empty(e(2), e(4)))))
            return 0.9;
        return 0;
    }
    if (x == e(17) && y == e(3)) {
        if (at(e(16), e(4)) == com && empty(e(18), e(2)) &&
            ((at(e(16), e(2)) == man && empty(e(18), e(4))) || (at(e(18), e(4)) == man && empty(e(16), e(2)))))
            return 0.9;
        return 0;
    }
    if (x == e(17) && y == e(17)) {
        if (at(e(16), e(16)) == com && empty(e(18), e(18)) &&
            ((at(e(18), e(16)) == man && empty(e(16), e(18))) || (at(e(16), e(18)) == man && empty(e(18), e(16)))))
            return 0.9;
        return 0;
    }

    if ((x == e(3) && y == e(6)) || (x == e(6) && y == e(3))) return extension(e(4), e(4));
    if (x == e(3) && y == e(14)) return extension(e(4), e(16));
    // This extension looks at the 4-4 point of the upper right corner, not its own.
    if (x == e(6) && y == e(17)) return extension(e(14), e(4));
    if ((x == e(14) && y == e(3)) || (x == e(17) && y == e(6))) return extension(e(16), e(4));
    if ((x == e(14) && y == e(17)) || (x == e(17) && y == e(14))) return extension(e(16), e(16));

    // (5, 15) reads its diagonal code as decimal text without leading zeros, so the
    // character positions count from the highest non-zero digit.
    if (x == e(5) && y == e(15)) {
        const std::string d = std::to_string(調査_四方斜(e(5), e(15), stone_empty));
        auto ch = [&](std::size_t k) { return k <= d.size() ? d[k - 1] : '\0'; };
        if (ch(2) == '1' && ch(4) == '1' && at(e(5), e(17)) == com) return 0.9;
        if (d.compare(0, 2, "11") == 0 && at(e(3), e(15)) == com) return 0.9;
        return 0;
    }

    return 0;
}

}  // namespace tolvan
