// 待った: the person's last move and the computer's answer taken back.
#include "game/take_back.h"

#include <optional>
#include <string>

#include "game/kifu.h"
#include "game/navigate.h"
#include "game/position.h"
#include "game/tolvan.h"

namespace tolvan {

namespace {

// The record without the person's last move and what followed it, or nothing when the
// person has made no move in it. `toMove` is the side to move at its end.
std::optional<rules::History> withoutLastMove(const rules::History& record, int toMove, int person) {
    rules::History h = record;
    // The colour of what was done after the end of `h` as it shrinks: passes alternate
    // back from it, a stone tells its own.
    int next = toMove;
    for (;;) {
        int colour;
        if (h.passesAtEnd() > 0) {
            colour = -next;
        } else if (h.stones() > 0) {
            colour = h.stone(h.stones() - 1).colour;
        } else {
            return std::nullopt;
        }
        h.undo();
        if (colour == person) return h;
        next = colour;
    }
}

}  // namespace

void takeBack(Tolvan& g) {
    GameState& s = g.s;
    const auto refuse = [&g](const std::string& why) {
        g.dsPlay(g.s.sound_forbidden);
        g.MsgBox(why, Buttons::OK, "待った");
    };
    if (s.turn == no_side) return refuse("「対局」で始めて下さい");
    if (g.counting.active) return refuse("対局は終わっています");
    if (s.play_mode != mode_com) return refuse("待ったはCOMとの対局でだけできます");
    if (s.record_mode == flag_on) return refuse("棋譜を見ている間は待ったできません");

    // After play was taken up from a stepped-back position, the stones beyond it are no
    // longer the game's.
    rules::History shown = s.record;
    shown.truncate(s.move_no);
    const auto kept = withoutLastMove(shown, s.turn, s.man_side);
    if (!kept) return refuse("待ったする手がありません");

    keepLineBeforeLeaving(g, true);
    s.record = *kept;
    s.move_no = static_cast<i16>(s.record.stones());
    s.turn = s.man_side;
    followPosition(s);
    if (s.move_no == 0) {
        s.last_x = 0;
        s.last_y = 0;
        s.last_side = stone_empty;
    }
    s.hint_active = flag_off;
    dropBookHint(g);
    showSteppedBack(g);
}

}  // namespace tolvan
