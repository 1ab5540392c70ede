// Stepping back and forward through the stored positions of the game.
#include <algorithm>

#include "game/navigate.h"
#include "game/tolvan.h"
#include "game/position.h"

namespace tolvan {

// The book read with the colours exchanged answers the computer's stone as if the person
// had to reply to it. A hint the person could not play is dropped, since a pending hint
// refuses every other point.
void Tolvan::hintForPerson() {
    const int px = s.last_x, py = s.last_y;
    int hx = px, hy = py;
    bool found = false;
    碁盤_入替();
    if (調査_定石有無(hx, hy) == flag_on) {
        取得_定石MAN座標(px, py, hx, hy);
        found = true;
    }
    碁盤_入替();
    if (found && legalMove(hx, hy, s.man_side)) {
        s.hint_active = flag_on;
        s.hint_x = static_cast<i16>(hx);
        s.hint_y = static_cast<i16>(hy);
        if (checked("SINAN")) pf.canvas.paintPicture(Pic::SINAN_SURU, panelTwips(s, 7000), 1000);
    } else {
        s.hint_active = flag_off;
    }
}

namespace {
// The board and the prisoners take the stored position shown; the prisoners are drawn
// on the panel when they change (stones a record sets or clears outside play are no
// prisoners).
void takeStoredPosition(Tolvan& g) {
    const int black = g.s.black_captures, white = g.s.white_captures;
    boardFromRecord(g.s);
    if (black != g.s.black_captures || white != g.s.white_captures)
        g.描画_取得駒数(g.s.black_captures, g.s.white_captures);
}
}  // namespace

// 戻: one move back. Only the points that differ from the stored position are redrawn;
// the turn and the passes are the position's, whatever passes were stepped back over.
void Tolvan::MODORU_Click() {
    // While counting, 戻 goes back to play at the position that was being counted.
    if (counting.active) {
        leaveCounting(*this);
        return;
    }
    s.record_mode = flag_on;
    dropBookHint(*this);
    if (s.move_no == 0) {
        dsPlay(s.sound_forbidden);
        MsgBox("戻れません", Buttons::OK, "戻る");
        return;
    }
    s.move_no = static_cast<i16>(s.move_no - 1);
    followPosition(s);
    showSteppedBack(*this);
}

void dropBookHint(Tolvan& g) {
    if (!g.checked("SINAN")) return;
    g.s.hint_active = flag_off;
    g.pf.canvas.paintPicture(Pic::SINAN_MODE, panelTwips(g.s, 7000), 1000);
}

void showSteppedBack(Tolvan& g) {
    GameState& s = g.s;
    const rules::Board& stored = s.record.after(std::min<int>(s.move_no, s.record.stones()));
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            const i16 h = static_cast<i16>(stored.at(x, y));
            if (s.board[x][y] == h) continue;
            if (h == stone_empty) {
                g.描画_桝(x, y);
            } else {
                // A stone the undone move had captured comes back.
                g.描画_石(x, y, h);
            }
        }
    takeStoredPosition(g);

    if (s.move_no > 0) {
        const rules::Move m = recordedMove(s, s.move_no - 1);
        g.描画_石(m.at.x, m.at.y, m.colour);
        g.描画_打駒印(m.at.x, m.at.y, mark_color);
        s.last_x = static_cast<i16>(m.at.x);
        s.last_y = static_cast<i16>(m.at.y);
        s.last_side = static_cast<i16>(m.colour);
    }
    if (s.last_x >= 1 && s.last_x <= s.size && s.last_y >= 1 && s.last_y <= s.size &&
        s.board[s.last_x][s.last_y] == s.com_side)
        g.hintForPerson();
    g.描画_手数(s.move_no);
    if (g.checked("BANGOU")) g.描画_全手順番号(s.move_no - 1);
    g.dsPlay(s.sound_stone);
}

// 進: one move forward along the record, to the position's turn and passes.
void Tolvan::SUSUMU_Click() {
    s.record_mode = flag_on;
    if (s.move_no >= s.record.stones()) {
        dsPlay(s.sound_forbidden);
        MsgBox("進めません", Buttons::OK, "進む");
        return;
    }
    dropBookHint(*this);
    if (s.move_no > 0) {
        const rules::Move m = recordedMove(s, s.move_no - 1);
        描画_石(m.at.x, m.at.y, m.colour);
    }
    const rules::Move next = s.record.stone(s.move_no);
    s.last_x = static_cast<i16>(next.at.x);
    s.last_y = static_cast<i16>(next.at.y);
    s.last_side = static_cast<i16>(next.colour);
    s.move_no = static_cast<i16>(s.move_no + 1);
    followPosition(s);
    描画_手数(s.move_no);

    const rules::Board& stored = s.record.after(s.move_no);
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            const i16 h = static_cast<i16>(stored.at(x, y));
            if (s.board[x][y] == h) continue;
            if (h == stone_empty) {
                // A stone the replayed move captures.
                描画_桝(x, y);
            } else {
                描画_石(x, y, h);
                // The move's stone has the mark; a stone the record sets does not.
                if (x == s.last_x && y == s.last_y) 描画_打駒印(x, y, mark_color);
            }
        }
    takeStoredPosition(*this);

    if (s.last_side == s.com_side) hintForPerson();
    if (checked("BANGOU")) 描画_全手順番号(s.move_no - 1);
    dsPlay(s.sound_stone);
}

}  // namespace tolvan
