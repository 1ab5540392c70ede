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

void Tolvan::numberPreviousMove() {
    if (checked("BANGOU") && s.move_no > 0)
        描画_手順番号(s.last_x, s.last_y, s.move_no,
                     s.last_side == stone_black ? color_white : color_black);
}

void Tolvan::recordMove(int x, int y, int t) {
    s.last_x = static_cast<i16>(x);
    s.last_y = static_cast<i16>(y);
    s.last_side = static_cast<i16>(t);
    s.move_x[s.move_no] = static_cast<i16>(x);
    s.move_y[s.move_no] = static_cast<i16>(y);
    s.move_side[s.move_no] = static_cast<i16>(t);
    描画_手数(s.move_no + 1);
}

void Tolvan::storeMove(int x, int y, int t) {
    s.board[x][y] = static_cast<i16>(t);
    s.passes_at_end = 0;
    s.move_no = static_cast<i16>(s.move_no + 1);
    調査_保存(s.move_no);
    s.last_move_no = s.move_no;
    s.turn = static_cast<i16>(-s.turn);
}

// Removes every chain of -t that a stone of t on (x, y) leaves without a liberty, one
// chain at a time, adding each to t's prisoners and showing the counts after each.
void Tolvan::removeCapturedChains(int x, int y, int t) {
    while (調査_当たり(x, y, t, -t) == flag_on) {
        描画_当駒消去();
        if (t == stone_black)
            s.black_captures = static_cast<i16>(s.black_captures + 調査_取得数());
        else if (t == stone_white)
            s.white_captures = static_cast<i16>(s.white_captures + 調査_取得数());
        描画_取得駒数(s.black_captures, s.white_captures);
    }
}

// true when a stone of t on the empty point (x, y) would retake a single-stone ko at
// once: it captures the opponent's last stone, which had just captured on (x, y), and the
// opponent could capture it again by replaying there. The trial changes nothing outside
// board_saved and scan_mark.
bool Tolvan::koRetake(int x, int y, int t) {
    if (s.move_no < 1 || s.last_x <= 0 || s.board[s.last_x][s.last_y] == stone_empty) return false;
    if (調査_当たり(x, y, t, -t) != flag_on || s.board_history[s.move_no - 1][x][y] != t ||
        s.scan_mark[s.last_x][s.last_y] != flag_on)
        return false;
    碁盤_一時待避();
    while (調査_当たり(x, y, t, -t) == flag_on)
        for (int i = 1; i <= 19; ++i)
            for (int j = 1; j <= 19; ++j)
                if (s.scan_mark[i][j] == flag_on) s.board[i][j] = stone_empty;
    s.board[x][y] = static_cast<i16>(t);
    const bool retake = 調査_当たり(s.last_x, s.last_y, -t, t) == flag_on;
    碁盤_待避復帰();
    return retake;
}

// true when a stone of t may go on (x, y): on the board, empty, not suicide, not an
// immediate ko retake.
bool Tolvan::legalMove(int x, int y, int t) {
    if (調査_置けるか(x, y) == flag_off) return false;
    if (調査_当たり2(x, y, t) == flag_on && 調査_当たり(x, y, t, -t) == flag_off) return false;
    return !koRetake(x, y, t);
}

}  // namespace tolvan
