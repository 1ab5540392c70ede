// The commands that start, switch and reset games.
#include "game/tolvan.h"

namespace tolvan {

namespace {
bool newGame(const GameState& s) { return s.turn == no_side || s.record.stones() == 0; }

// What 先手 and 後手 share: review ends, both passes are forgotten, the colour rows are
// labelled and the game is one against the computer.
void beginComputerGame(Tolvan& g, const char* blackLabel, const char* whiteLabel) {
    g.s.record_mode = flag_off;
    g.s.com_passed = flag_off;
    g.s.man_passed = flag_off;
    g.描画_石ハマ(blackLabel, whiteLabel);
    g.s.play_mode = mode_com;
}

// In a game in progress the person takes the colour chosen and the position keeps its
// side to move: the computer answers at once when it is its turn.
void takeSide(Tolvan& g, int person) {
    GameState& s = g.s;
    s.man_side = static_cast<i16>(person);
    s.com_side = static_cast<i16>(-person);
    if (s.turn == s.com_side)
        g.com_ban();
    else if (s.turn == s.man_side)
        g.MsgBox("MANの番です", Buttons::OK, "対局");
}
}  // namespace

// 先手: the person plays black against the computer.
void Tolvan::SENTE_Click() {
    beginComputerGame(*this, "MAN:ﾊﾏ", "COM:ﾊﾏ");
    if (newGame(s)) {
        s.man_side = stone_black;
        s.com_side = stone_white;
        s.turn = s.man_side;
        MsgBox("MANの番です", Buttons::OK, " ");
    } else {
        takeSide(*this, stone_black);
    }
}

// 後手: the person plays white; on an empty record the computer opens at once.
void Tolvan::GOTE_Click() {
    beginComputerGame(*this, "COM:ﾊﾏ", "MAN:ﾊﾏ");
    if (newGame(s)) {
        s.man_side = stone_white;
        s.com_side = stone_black;
        s.turn = stone_black;
        com_ban();
    } else {
        takeSide(*this, stone_white);
    }
}

// 対MAN: two people at one screen; hint mode goes off.
void Tolvan::TAIMAN_Click() {
    s.record_mode = flag_off;
    pf.menu.setChecked("SINAN", false);
    for (int i = 21; i <= 26; ++i) {
        描画_背景絵(s.background, panelColumn(s, i), 5);
        描画_背景絵(s.background, panelColumn(s, i), 6);
    }
    描画_石ハマ("先 手:ﾊﾏ", "後 手:ﾊﾏ");
    s.play_mode = mode_man;
    if (newGame(s)) {
        // A pass left over from an earlier game must not end this one at its first pass.
        s.man_passed = flag_off;
        s.man_side = stone_black;
        s.com_side = stone_white;
        s.turn = s.man_side;
        MsgBox("先手の番です", Buttons::OK, " ");
    } else if (s.turn == stone_black) {
        MsgBox("先手の番です", Buttons::OK, " ");
    } else if (s.turn == stone_white) {
        MsgBox("後手の番です", Buttons::OK, " ");
    }
}

// 最初: back to an empty board and no game.
void Tolvan::SAISYO_Click() { 初期設定(); }

}  // namespace tolvan
