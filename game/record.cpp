// The point test, the count of a captured chain, the saved board and the stored
// positions of the game record.
#include "app/tolvan.h"

namespace tolvan {

// flag_on when (x, y) is on the board and empty.
i16 Tolvan::調査_置けるか(int x, int y) {
    if (x < 1 || x > 19 || y < 1 || y > 19) return flag_off;
    return s.board[x][y] == stone_empty ? flag_on : flag_off;
}

// The number of marked points: after a capture test, the size of the captured chain.
int Tolvan::調査_取得数() {
    int n = 0;
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y)
            if (s.scan_mark[x][y] > 0) ++n;
    return n;
}

void Tolvan::碁盤_一時待避() {
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) s.board_saved[x][y] = s.board[x][y];
}

void Tolvan::碁盤_待避復帰() {
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) s.board[x][y] = s.board_saved[x][y];
}

// Stores the board as the position after n moves; slots beyond the record are ignored.
void Tolvan::調査_保存(int n) {
    if (n < 0 || n > max_moves) return;
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) s.board_history[n][x][y] = s.board[x][y];
}

// Exchanges the colours of all stones; applied twice it restores the board.
void Tolvan::碁盤_入替() {
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) s.board[x][y] = static_cast<i16>(-s.board[x][y]);
}

}  // namespace tolvan
