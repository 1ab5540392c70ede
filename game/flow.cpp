// Passing, the end of a game, and the judgement on request.
#include "game/kifu.h"
#include "game/tolvan.h"

namespace tolvan {

void Tolvan::PASU_Click() {
    if (s.turn == no_side) {
        MsgBox("「対局」で始めて下さい", Buttons::OK, "パス");
        return;
    }
    if (MsgBox("パスしますか？", Buttons::YesNo, "パスの確認") != Answer::Yes) return;
    s.hint_active = flag_off;
    // A pass takes a stepped-back game up from the position shown.
    s.record_mode = flag_off;
    keepLineBeforeLeaving(*this);
    recordPass(s);
    s.turn = static_cast<i16>(-s.turn);

    bool gameOver = false;
    if (s.play_mode == mode_com) {
        if (s.com_passed == flag_on) {
            gameOver = true;
        } else {
            s.man_passed = flag_on;
            if (s.turn == s.com_side) com_ban();
        }
    } else if (s.play_mode == mode_man) {
        if (s.man_passed == flag_on) {
            gameOver = true;
        } else {
            s.man_passed = flag_on;
            MsgBox(s.turn == stone_black ? "先手の番です" : "後手の番です", Buttons::OK, " ");
        }
    }
    if (!gameOver) return;

    // Counted with dead stones: the counting phase decides when the game ends.
    if (countsDeadStones(*this)) {
        startCounting(*this);
        return;
    }
    kept.ending = true;
    対局_判定();
    finishGame(*this);
}

void Tolvan::HANTEI_Click() {
    if (counting.active) {
        confirmCounting(*this);
        return;
    }
    // Counted with dead stones, the judgement asked for in a game is the count at the end
    // of a game: its phase opens as after two passes.
    if (s.turn != no_side && countsDeadStones(*this)) {
        startCounting(*this);
        return;
    }
    対局_判定();
    // The position comes back as it was shown: the numbers and the last stone's mark.
    if (checked("BANGOU")) 描画_全手順番号(s.move_no - 1);
    if (s.move_no > 0) {
        const rules::Move m = recordedMove(s, s.move_no - 1);
        if (s.board[m.at.x][m.at.y] != stone_empty) 描画_打駒印(m.at.x, m.at.y, mark_color);
    }
}

}  // namespace tolvan
