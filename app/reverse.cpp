// 逆転: black and white change places over the board and the whole record.
#include "app/tolvan.h"
#include "game/position.h"

namespace tolvan {

void Tolvan::GYAKUTEN_Click() {
    if (s.move_no <= 0) return;
    s.hint_active = flag_off;
    s.reversed = flag_on;

    std::swap(s.black_captures, s.white_captures);
    描画_取得駒数(s.black_captures, s.white_captures);

    // The moves after the position shown leave the record; the rest change colour.
    s.record.truncate(s.move_no);
    s.record.reverse();

    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.board[x][y] != stone_empty) {
                s.board[x][y] = static_cast<i16>(-s.board[x][y]);
                描画_石(x, y, s.board[x][y]);
            }

    const rules::Move last = recordedMove(s, s.move_no - 1);
    描画_打駒印(last.at.x, last.at.y, mark_color);
    dsPlay(s.sound_stone);
    s.last_side = static_cast<i16>(-s.last_side);
    調査_保存(s.move_no);
    s.turn = static_cast<i16>(-s.turn);
    if (checked("BANGOU")) 描画_全手順番号(s.move_no - 1);
    if (s.play_mode == mode_com && s.turn == s.com_side) {
        MsgBox("COMの番です", Buttons::OK, " ");
        com_ban();
    }
}

}  // namespace tolvan
