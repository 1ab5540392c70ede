// The opening-area bonus of an open point: a few points near the corners are worth more
// when the computer already holds the nearby 4-4 point (or a given third-line point) and
// the surroundings have the expected shape.
#include <string>

#include "app/tolvan.h"

namespace tolvan {

// The bonus (0, 0.5 or 0.9) of the open point (x, y); 0 for a point outside the list.
// Needs the neighbour codes of this turn.
double Tolvan::調査_得点_定石四方空(int x, int y) {
    const int man = s.man_side, com = s.com_side;
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
    if (x == 3 && y == 3) {
        if (at(4, 4) == com && empty(2, 2) &&
            ((at(2, 4) == man && empty(4, 2)) || (at(4, 2) == man && empty(2, 4))))
            return 0.9;
        return 0;
    }
    if (x == 17 && y == 3) {
        if (at(16, 4) == com && empty(18, 2) &&
            ((at(16, 2) == man && empty(18, 4)) || (at(18, 4) == man && empty(16, 2))))
            return 0.9;
        return 0;
    }
    if (x == 17 && y == 17) {
        if (at(16, 16) == com && empty(18, 18) &&
            ((at(18, 16) == man && empty(16, 18)) || (at(16, 18) == man && empty(18, 16))))
            return 0.9;
        return 0;
    }

    if ((x == 3 && y == 6) || (x == 6 && y == 3)) return extension(4, 4);
    if (x == 3 && y == 14) return extension(4, 16);
    // This extension looks at the 4-4 point of the upper right corner, not its own.
    if (x == 6 && y == 17) return extension(14, 4);
    if ((x == 14 && y == 3) || (x == 17 && y == 6)) return extension(16, 4);
    if ((x == 14 && y == 17) || (x == 17 && y == 14)) return extension(16, 16);

    // (5, 15) reads its diagonal code as decimal text without leading zeros, so the
    // character positions count from the highest non-zero digit.
    if (x == 5 && y == 15) {
        const std::string d = std::to_string(調査_四方斜(5, 15, stone_empty));
        auto ch = [&](std::size_t k) { return k <= d.size() ? d[k - 1] : '\0'; };
        if (ch(2) == '1' && ch(4) == '1' && at(5, 17) == com) return 0.9;
        if (d.compare(0, 2, "11") == 0 && at(3, 15) == com) return 0.9;
        return 0;
    }

    return 0;
}

}  // namespace tolvan
