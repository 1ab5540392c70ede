// The person's move: a press of any mouse button on the window.
#include <cmath>

#include "game/estimate_view.h"
#include "game/hint.h"
#include "game/tolvan.h"
#include "game/position.h"

namespace tolvan {

void Tolvan::MouseDown(double X, double Y) {
    if (ended) return;
    clearHint(*this);
    const int x = static_cast<int>(std::floor((X - board_left) / cell_width));
    const int y = static_cast<int>(std::floor((Y - board_top) / cell_height));

    // A press while the estimate is shown only takes its marks away.
    if (dismissEstimate(*this)) return;

    // While counting at the end of a game, a press marks stones dead or alive.
    if (counting.active) {
        countingPress(*this, x, y);
        return;
    }

    if (s.turn == no_side) {
        dsPlay(s.sound_forbidden);
        MsgBox("「対局」で始めて下さい", Buttons::OK, "開始");
        return;
    }

    // The first press after stepping through the record takes the game up again from the
    // position shown, with its side to move, and places no stone: the computer answers
    // when it is its turn (and hands the turn over itself); otherwise the person is told
    // whose turn it is, so that the press is not taken for one that was lost.
    if (s.record_mode == flag_on) {
        s.record_mode = flag_off;
        if (s.turn == s.com_side && s.play_mode == mode_com) {
            com_ban();
        } else if (s.play_mode == mode_man) {
            MsgBox(s.turn == stone_black ? "先手の番です" : "後手の番です", Buttons::OK, "再開");
        } else if (s.play_mode == mode_com) {
            MsgBox("あなたの番です", Buttons::OK, "再開");
        }
        return;
    }

    // A full record refuses the next move before anything changes.
    if (s.move_no >= max_moves) {
        dsPlay(s.sound_forbidden);
        MsgBox("これ以上は打てません", Buttons::OK, "Tolvan");
        return;
    }

    if (調査_置けるか(x, y) == flag_off) {
        dsPlay(s.sound_forbidden);
        return;
    }

    if (s.play_mode == mode_com) {
        if (checked("SINAN") && s.hint_active == flag_on) {
            if (x != s.hint_x || y != s.hint_y) {
                MsgBox("指南します", Buttons::OK, " ? ? ? ?");
                for (int k = 0; k < 3; ++k) {
                    描画_石(s.hint_x, s.hint_y, s.man_side);
                    待ち時間(0.1);
                    pf.canvas.refresh();
                    描画_桝(s.hint_x, s.hint_y);
                    待ち時間(0.1);
                    pf.canvas.refresh();
                }
                return;
            }
            pf.canvas.paintPicture(Pic::SINAN_MODE, panelTwips(s, 7000), 1000);
        }
    } else if (s.play_mode != mode_man) {
        return;
    }

    const int t = s.turn;
    // The rules answer for the position shown; a pass made after the end of the record
    // lifts the ko, since the retake then repeats no position.
    const rules::Why why = positionOf(s, true).why(t, x, y);
    if (why == rules::Why::suicide) {
        dsPlay(s.sound_forbidden);
        MsgBox("自殺点です 打てません", Buttons::OK, "Tolvan");
        return;
    }
    if (why == rules::Why::ko) {
        dsPlay(s.sound_forbidden);
        MsgBox("ｺｳ材を打たないと打てません", Buttons::OK, "Tolvan");
        return;
    }

    // The previous stone loses its mark.
    if (s.play_mode == mode_com) {
        if (s.move_no > 0) {
            const rules::Move m = recordedMove(s, s.move_no - 1);
            描画_石(m.at.x, m.at.y, m.colour);
        }
    } else if (s.last_x > 0 && s.board[s.last_x][s.last_y] != stone_empty) {
        描画_石(s.last_x, s.last_y, s.last_side);
    }

    描画_石(x, y, t);
    描画_打駒印(x, y, mark_color);
    dsPlay(s.sound_stone);

    numberPreviousMove();
    recordMove(x, y, t);
    removeCapturedChains(playMove(x, y, t), t);
    showPlayedMove();

    if (s.play_mode == mode_com) com_ban();
}

}  // namespace tolvan
