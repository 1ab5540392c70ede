// The judgement: each colour in turn fills every point it can reach, capturing the
// enemy chains that run out of liberties; a side's area is what the other fails to take.
// The rules judge; the game shows their answer.
#include "game/tolvan.h"
#include "game/counting.h"
#include "game/position.h"
#include "rules/judgement.h"

namespace tolvan {

// Fills the board with colour a against b = -a, as the rules' fill does. Changes the
// board; callers save and restore.
void Tolvan::調査_判定(int a, int b) {
    rules::Board board = boardOf(s);
    rules::fill(board, a);
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) s.board[x][y] = static_cast<i16>(board.at(x, y));
}

// The areas of the judgement: black's area A is what white's fill fails to take, white's
// area W what black's fill fails to take. Fills judge_map with the owners, which stay for
// drawing, and keeps the position in board_saved; the board is not changed.
void Tolvan::判定_面積(int& A, int& W) {
    碁盤_一時待避();
    const rules::Judgement j = rules::judge(boardOf(s));
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) s.judge_map[x][y] = static_cast<i16>(j.owner.at(x, y));
    A = j.black_area;
    W = j.white_area;
}

// Judges the position on the board, shows the owners and the result, and puts the
// position back as it was.
void Tolvan::対局_判定() {
    描画_文字列(panelColumn(s, 21), 11, "計算中", color_white, 12);
    pf.canvas.refresh();
    int A = 0, W = 0;
    判定_面積(A, W);

    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            const int owner = s.judge_map[x][y];
            if (owner == stone_empty)
                描画_桝(x, y);
            else if (s.board_saved[x][y] == stone_empty)
                描画_打駒印(x, y, owner == stone_black ? color_black : color_white);
            else
                描画_石(x, y, owner);
        }

    for (int i = 21; i <= 24; ++i) 描画_背景絵(s.background, panelColumn(s, i), 11);

    showResult(*this, A, s.black_captures, W, s.white_captures);

    碁盤_待避復帰();
    描画_盤();
}

}  // namespace tolvan
