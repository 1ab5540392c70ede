// 逆転: black and white change places over the board and the whole record.
#include "game/tolvan.h"
#include "game/position.h"

namespace tolvan {

void Tolvan::GYAKUTEN_Click() {
    if (s.move_no <= 0) return;
    s.hint_active = flag_off;
    s.reversed = flag_on;

    // The moves after the position shown leave the record; the rest change colour, and
    // the board and the prisoners with them.
    s.record.truncate(s.move_no);
    s.record.reverse();
    boardFromRecord(s);
    描画_取得駒数(s.black_captures, s.white_captures);

    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.board[x][y] != stone_empty) 描画_石(x, y, s.board[x][y]);

    const rules::Move last = recordedMove(s, s.move_no - 1);
    描画_打駒印(last.at.x, last.at.y, mark_color);
    dsPlay(s.sound_stone);
    s.last_side = static_cast<i16>(-s.last_side);
    s.turn = static_cast<i16>(-s.turn);
    if (checked("BANGOU")) 描画_全手順番号(s.move_no - 1);
    if (s.play_mode == mode_com && s.turn == s.com_side) {
        MsgBox("COMの番です", Buttons::OK, " ");
        com_ban();
    }
}

}  // namespace tolvan
