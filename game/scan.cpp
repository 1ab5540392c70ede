// The chain scan: marks spread from a start point over the stones of one colour by four
// directional sweeps, repeated until a sweep finds a liberty or a cycle marks nothing.
#include <type_traits>

#include "game/tolvan.h"

namespace tolvan {

// flag_on when a neighbour of (x, y) on the board holds v (left, right, up, down).
i16 Tolvan::調査_四方状態(int x, int y, int v) {
    if (x > 1 && s.board[x - 1][y] == v) return flag_on;
    if (x < s.size && s.board[x + 1][y] == v) return flag_on;
    if (y > 1 && s.board[x][y - 1] == v) return flag_on;
    if (y < s.size && s.board[x][y + 1] == v) return flag_on;
    return flag_off;
}

namespace {

// One step of a sweep from a marked source to an unmarked target: -1 on a liberty,
// 1 for a new mark, 0 otherwise.
inline int spread(GameState& s, int sx, int sy, int tx, int ty, int c) {
    if (s.scan_mark[sx][sy] > 0 && s.scan_mark[tx][ty] == 0) {
        if (s.board[tx][ty] == stone_empty) return -1;
        if (s.board[tx][ty] == c) {
            s.scan_mark[tx][ty] = 1;
            return 1;
        }
    }
    return 0;
}

// Runs a sweep with the board's size known when the program is built, for the boards
// offered: the sweeps are the computer's inner loop, and fixed bounds keep them as fast
// as on a board of one size only.
template <class Sweep>
int bySize(const GameState& s, Sweep sweep) {
    switch (s.size) {
        case 19: return sweep(std::integral_constant<int, 19>{});
        case 13: return sweep(std::integral_constant<int, 13>{});
        case 9: return sweep(std::integral_constant<int, 9>{});
        default: return sweep(static_cast<int>(s.size));
    }
}

}  // namespace

int Tolvan::調査_向右(int c) {
    return bySize(s, [&](auto n) {
        int marked = 0;
        for (int y = 1; y <= n; ++y)
            for (int x = 2; x <= n; ++x) {
                int r = spread(s, x - 1, y, x, y, c);
                if (r < 0) return -1;
                marked += r;
            }
        return marked;
    });
}

int Tolvan::調査_向左(int c) {
    return bySize(s, [&](auto n) {
        int marked = 0;
        for (int y = 1; y <= n; ++y)
            for (int x = n - 1; x >= 1; --x) {
                int r = spread(s, x + 1, y, x, y, c);
                if (r < 0) return -1;
                marked += r;
            }
        return marked;
    });
}

int Tolvan::調査_向上(int c) {
    return bySize(s, [&](auto n) {
        int marked = 0;
        for (int x = 1; x <= n; ++x)
            for (int y = n - 1; y >= 1; --y) {
                int r = spread(s, x, y + 1, x, y, c);
                if (r < 0) return -1;
                marked += r;
            }
        return marked;
    });
}

int Tolvan::調査_向下(int c) {
    return bySize(s, [&](auto n) {
        int marked = 0;
        for (int x = 1; x <= n; ++x)
            for (int y = 2; y <= n; ++y) {
                int r = spread(s, x, y - 1, x, y, c);
                if (r < 0) return -1;
                marked += r;
            }
        return marked;
    });
}

// flag_on when the chain of colour c through (x, y) has no liberty; scan_mark then
// holds exactly that chain. A point with an empty neighbour answers at once and leaves
// the marks of the previous scan.
i16 Tolvan::調査_当たり2(int x, int y, int c) {
    if (調査_四方状態(x, y, stone_empty) == flag_on) return flag_off;
    for (auto& column : s.scan_mark) column.fill(0);
    s.scan_mark[x][y] = 1;
    for (;;) {
        int total = 0;
        for (int (Tolvan::*sweep)(int) :
             {&Tolvan::調査_向右, &Tolvan::調査_向左, &Tolvan::調査_向上, &Tolvan::調査_向下}) {
            int n = (this->*sweep)(c);
            if (n < 0) return flag_off;
            total += n;
        }
        if (total == 0) return flag_on;
    }
}

// flag_on when a stone of c on (x, y) leaves an adjacent chain of o without a liberty;
// scan_mark then holds the first such chain, looking left, right, up, down. The board
// is as before afterwards.
i16 Tolvan::調査_当たり(int x, int y, int c, int o) {
    const i16 before = s.board[x][y];
    s.board[x][y] = static_cast<i16>(c);
    const int nx[4] = {x - 1, x + 1, x, x};
    const int ny[4] = {y, y, y - 1, y + 1};
    const bool on[4] = {x > 1, x < s.size, y > 1, y < s.size};
    for (int k = 0; k < 4; ++k)
        if (on[k] && s.board[nx[k]][ny[k]] == o && 調査_当たり2(nx[k], ny[k], o) == flag_on) {
            s.board[x][y] = before;
            return flag_on;
        }
    s.board[x][y] = before;
    return flag_off;
}

}  // namespace tolvan
