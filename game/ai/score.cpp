// The computer's score of an empty point: a base value, bonuses for capturing and for
// saving a group in atari, and small weights read from the neighbourhood codes of the
// point. The weights are fixed; only the opening bonus of the four 4-4 points varies.
#include "game/tolvan.h"

namespace tolvan {

namespace {

inline bool onBoard(int n, int x, int y) { return x >= 1 && x <= n && y >= 1 && y <= n; }

}  // namespace

// The neighbour code of (x, y): 100 per empty, 10 per person's and 1 per computer's stone
// among the orthogonal neighbours on the board. The point itself does not count.
int Tolvan::調査_四方数値(int x, int y) {
    int n = 0;
    auto add = [&](int i, int j) {
        if (!onBoard(s.size, i, j)) return;
        const int v = s.board[i][j];
        if (v == stone_empty)
            n += 100;
        else if (v == s.man_side)
            n += 10;
        else if (v == s.com_side)
            n += 1;
    };
    add(x - 1, y);
    add(x + 1, y);
    add(x, y - 1);
    add(x, y + 1);
    return n;
}

// The diagonal code of (x, y) for content c: 1000 upper left, 100 lower left, 10 upper
// right, 1 lower right; a diagonal off the board never counts, not even for empty.
int Tolvan::調査_四方斜(int x, int y, int c) {
    auto holds = [&](int i, int j) { return onBoard(s.size, i, j) && s.board[i][j] == c; };
    int n = 0;
    if (holds(x - 1, y - 1)) n += 1000;
    if (holds(x - 1, y + 1)) n += 100;
    if (holds(x + 1, y - 1)) n += 10;
    if (holds(x + 1, y + 1)) n += 1;
    return n;
}

// The content of the neighbour of (x, y) in direction d, off_board beyond the edge, and
// stone_empty for a code that is no direction.
int Tolvan::調査_状態(int x, int y, int d) {
    int i = x, j = y;
    switch (d) {
        case dir_up: --j; break;
        case dir_right: ++i; break;
        case dir_down: ++j; break;
        case dir_left: --i; break;
        default: return stone_empty;
    }
    return onBoard(s.size, i, j) ? s.board[i][j] : off_board;
}

// flag_on when a computer stone on (x, y), joined with its computer chain, has no liberty
// now or after one more person's stone on an empty point next to it (or on the point
// itself). Each trial stone is taken away at once; scan_mark keeps the last scan.
i16 Tolvan::調査_MAN当り(int x, int y) {
    const int px[5] = {x - 1, x, x, x, x + 1};
    const int py[5] = {y, y - 1, y, y + 1, y};
    for (int k = 0; k < 5; ++k) {
        const int i = px[k], j = py[k];
        if (!onBoard(s.size, i, j) || s.board[i][j] != stone_empty) continue;
        s.board[i][j] = s.man_side;
        const i16 r = 調査_当たり2(x, y, s.com_side);
        s.board[i][j] = stone_empty;
        if (r == flag_on) return flag_on;
    }
    return flag_off;
}

// The score of the empty point (x, y) for the computer. Needs the analysis grids of this
// turn (調査_碁盤). Adds its terms one after another in a fixed order, so equal positions
// always give bit-equal scores.
double Tolvan::調査_得点(int x, int y) {
    auto& b = s.board;
    auto& ncs = s.neighbour_count;
    const int man = s.man_side, com = s.com_side;
    const int nc = ncs[x][y];
    // The second line from the far edges; the lines are counted from the nearest edge,
    // so every size of board gets the same weights.
    const int far = s.size - 1;

    double sc = 3;

    // A computer stone here captures.
    if (s.atari_map_com[x][y] == flag_on) sc += 10;

    // A computer group has its last liberty here and the extended group would survive
    // one more person's stone.
    if (s.atari_map_man[x][y] == flag_on && nc != 201 && nc != 211 && 調査_MAN当り(x, y) == flag_off)
        sc += 8;

    // The shape of the point itself.
    switch (nc) {
        case 400: {  // open point
            sc += 調査_得点_定石四方空(x, y);
            if (調査_四方斜(x, y, com) > 0) {
                sc += 0.1;
            } else {
                // Two person's stones on the diagonals of one side, with the point between
                // them crowded by person's stones: cutting in there pays.
                const int m = 調査_四方斜(x, y, man);
                if (m == 1010) {
                    if (ncs[x][y - 1] == 130) sc += 1.1;
                } else if (m == 101) {
                    if (ncs[x][y + 1] == 130) sc += 1.1;
                } else if (m == 1100) {
                    if (ncs[x - 1][y] == 130) sc += 1.1;
                } else if (m == 11) {
                    if (ncs[x + 1][y] == 130) sc += 1.1;
                }
            }
            break;
        }
        case 301: {  // one computer neighbour, near the second or third line
            if (b[x - 1][y] == com) {
                if ((y == 2 || y == 3) && b[x - 1][y + 1] == man) sc += 0.8;
                if ((y == far - 1 || y == far) && b[x - 1][y - 1] == man) sc += 0.8;
            } else if (b[x + 1][y] == com) {
                if ((y == 2 || y == 3) && b[x + 1][y + 1] == man) sc += 0.8;
                if ((y == far - 1 || y == far) && b[x + 1][y - 1] == man) sc += 0.8;
            } else if (b[x][y - 1] == com) {
                if ((x == 2 || x == 3) && b[x + 1][y - 1] == man) sc += 0.8;
                if ((x == far - 1 || x == far) && b[x - 1][y - 1] == man) sc += 0.8;
            } else if (b[x][y + 1] == com) {
                // Reads the row and the column left of the point, as the first case does.
                if ((y == 2 || y == 3) && b[x - 1][y + 1] == man) sc += 0.8;
                if ((y == far - 1 || y == far) && b[x - 1][y - 1] == man) sc += 0.8;
            }
            break;
        }
        case 310: {  // one person's neighbour: is that stone pinched between ours?
            int i = 0, j = 0;
            if (b[x - 1][y] == man) {
                i = x - 1, j = y;
            } else if (b[x + 1][y] == man) {
                i = x + 1, j = y;
            } else if (b[x][y + 1] == man) {
                i = x, j = y + 1;
            } else if (b[x][y - 1] == man) {
                i = x, j = y - 1;
            }
            if (i > 0 && ncs[i][j] == 202) sc += 0.1;
            break;
        }
        case 220: {  // two person's neighbours: crawling along the edge is poor
            if (x < 3) {
                if (b[x + 1][y] == man && b[x - 1][y] == stone_empty) sc -= 2;
            } else if (x > far - 1) {
                if (b[x - 1][y] == man && b[x + 1][y] == stone_empty) sc -= 2;
            } else if (y < 3) {
                if (b[x][y + 1] == man && b[x][y - 1] == stone_empty) sc -= 2;
            } else if (y > far - 1) {
                if (b[x][y - 1] == man && b[x][y + 1] == stone_empty) sc -= 2;
            }
            break;
        }
        case 211: sc += 0.2; break;
        case 102:
        case 103: sc -= 0.2; break;
        case 121: sc += 0.1; break;
        case 31: {  // three person's stones and one of ours: reach out past our stone
            sc += 0.1;
            auto empty = [&](int i, int j) { return b[i][j] == stone_empty; };
            if (b[x][y - 1] == com) {
                if (empty(x - 1, y - 1) && empty(x + 1, y - 1)) sc += 0.8;
            } else if (b[x][y + 1] == com) {
                if (empty(x - 1, y + 1) && empty(x + 1, y + 1)) sc += 0.8;
            } else if (b[x - 1][y] == com) {
                if (empty(x - 1, y - 1) && empty(x - 1, y + 1)) sc += 0.8;
            } else if (b[x + 1][y] == com) {
                if (empty(x + 1, y - 1) && empty(x + 1, y + 1)) sc += 0.8;
            }
            break;
        }
        case 13: sc += 0.21; break;
        case 4: sc -= 0.3; break;
        case 120:
        case 130:  // deep inside the person's stones: no further terms
            sc -= 1;
            return sc;
        case 300: {  // open edge point beside a point crowded by two person's stones
            if (x == 1 || x == s.size) {
                if (ncs[x][y - 1] == 120)
                    sc += 0.1;
                else if (ncs[x][y + 1] == 120)
                    sc += 0.1;
            }
            if (y == 1 || y == s.size) {
                if (ncs[x - 1][y] == 120)
                    sc += 0.1;
                else if (ncs[x + 1][y] == 120)
                    sc += 0.1;
            }
            break;
        }
        case 202: {
            const int m = 調査_四方斜(x, y, man);
            if (m == 1100 || m == 1010 || m == 101 || m == 11)
                sc += 0.9;
            else
                sc -= 0.1;
            break;
        }
        case 210:
        case 201:
        case 200:
        case 110:
        case 101:
        case 3: sc -= 0.1; break;
        default: break;
    }

    // The neighbours, in the order up, down, left, right.
    int pinched = 0;
    const int dirs[4] = {dir_up, dir_down, dir_left, dir_right};
    for (int d : dirs) {
        const int n = 調査_状態(x, y, d);
        int i = x, j = y;
        if (d == dir_up) --j;
        if (d == dir_down) ++j;
        if (d == dir_left) --i;
        if (d == dir_right) ++i;
        if (n == man) {
            const int t = ncs[i][j];
            if (t == 201) {
                sc += 0.3;
            } else if (t == 210) {
                sc += 0.2;
            } else if (t == 202) {
                // A person's stone between two of ours: pressing it against the edge
                // from the second line pays.
                ++pinched;
                if (nc >= 200) {
                    if (d == dir_up || d == dir_down) {
                        if (x == 2 && b[x - 1][j] == stone_empty)
                            sc += 2.1;
                        else if (x == far && b[x + 1][j] == stone_empty)
                            sc += 2.1;
                    } else {
                        if (y == 2 && b[i][y - 1] == stone_empty)
                            sc += 2.1;
                        else if (y == far && b[i][y + 1] == stone_empty)
                            sc += 2.1;
                    }
                }
            }
        } else if (n == com) {
            const int t = ncs[i][j];
            if (t == 121) {
                if (nc == 211) sc += 0.1;
            } else if (t == 220) {
                sc += 0.3;
                if (調査_四方斜(i, j, man) > 0) sc += 0.3;
            }
        }
    }

    if (pinched > 1) sc += 2;

    sc += s.opening_bonus[x][y];
    return sc;
}

}  // namespace tolvan
