// The point test, the count of a captured chain, the saved board, and a stone played
// into the game record and taken up by the board.
#include <algorithm>

#include "game/kifu.h"
#include "game/tolvan.h"
#include "game/position.h"

namespace tolvan {

// flag_on when (x, y) is on the board and empty.
i16 Tolvan::調査_置けるか(int x, int y) {
    if (x < 1 || x > s.size || y < 1 || y > s.size) return flag_off;
    return s.board[x][y] == stone_empty ? flag_on : flag_off;
}

// The number of marked points: after a capture test, the size of the captured chain.
int Tolvan::調査_取得数() {
    int n = 0;
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.scan_mark[x][y] > 0) ++n;
    return n;
}

void Tolvan::碁盤_一時待避() {
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) s.board_saved[x][y] = s.board[x][y];
}

void Tolvan::碁盤_待避復帰() {
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) s.board[x][y] = s.board_saved[x][y];
}

// Stores the board as the position after n moves: slot 0 is the position before the
// first move; a later slot already in the record takes the board's stones and keeps
// what the ko rule knows of its move. Slots beyond the record are ignored.
void Tolvan::調査_保存(int n) {
    if (n == 0) {
        s.record.setSetup(boardOf(s));
    } else if (n > 0 && n <= s.record.stones()) {
        rules::Board b = boardOf(s);
        const rules::Move& m = s.record.stone(n - 1);
        b.setLastMove(m.at, s.record.after(n - 1));
        s.record.replace(n, b);
    }
}

// Exchanges the colours of all stones; applied twice it restores the board.
void Tolvan::碁盤_入替() {
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) s.board[x][y] = static_cast<i16>(-s.board[x][y]);
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
    描画_手数(s.move_no + 1);
}

std::vector<rules::Chain> Tolvan::playMove(int x, int y, int t) {
    std::vector<rules::Chain> taken;
    keepLineBeforeLeaving(*this);
    s.record.truncate(s.move_no);
    s.record.play(t, x, y, &taken);
    return taken;
}

// scan_mark holds each chain as it goes, for 描画_当駒消去 and 調査_取得数; the prisoners
// shown count on from the position before the stone.
void Tolvan::removeCapturedChains(const std::vector<rules::Chain>& taken, int t) {
    const rules::Board& before = s.record.after(std::min<int>(s.move_no, s.record.stones()));
    int black = before.prisoners(stone_black), white = before.prisoners(stone_white);
    for (const rules::Chain& chain : taken) {
        for (auto& column : s.scan_mark) column.fill(0);
        for (const rules::Point& p : chain) s.scan_mark[p.x][p.y] = flag_on;
        描画_当駒消去();
        (t == stone_black ? black : white) += 調査_取得数();
        描画_取得駒数(black, white);
    }
}

void Tolvan::showPlayedMove() {
    s.move_no = static_cast<i16>(s.move_no + 1);
    boardFromRecord(s);
    s.turn = static_cast<i16>(-s.turn);
    // A stone ends any run of passes: the game ends only when the two players pass one
    // after the other.
    s.com_passed = flag_off;
    s.man_passed = flag_off;
}

// true when a stone of t may go on (x, y) by every rule of play, on the position as
// stored (a pass after the end does not lift the ko here).
bool Tolvan::legalMove(int x, int y, int t) { return positionOf(s, false).legal(t, x, y); }

}  // namespace tolvan
