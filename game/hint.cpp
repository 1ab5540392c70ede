// ヒント: a move suggested by an engine, by Tolvan's own search or by the built-in
// player, shown as a mark.
#include "game/hint.h"

#include <memory>

#include "game/ai/choice.h"
#include "game/opponent.h"
#include "game/position.h"
#include "game/tolvan.h"
#include "platform/headless.h"

namespace tolvan {

namespace {

// The built-in player's move for `colour` in the game as it stands, found on a copy of the
// game that plays nowhere and with the sides exchanged as needed, so that the game itself
// is untouched. No point (0, 0) for a pass.
rules::Point builtinMove(const Tolvan& g, int colour) {
    HeadlessPlatform nowhere(0);
    auto copy = std::make_unique<Tolvan>(nowhere.port());
    copy->s = g.s;
    copy->s.turn = static_cast<i16>(colour);
    copy->s.com_side = static_cast<i16>(colour);
    copy->s.man_side = static_cast<i16>(-colour);
    const BuiltinChoice c = builtinChoice(*copy);
    if (c.best <= 0) return {};
    return {c.x, c.y};
}

}  // namespace

void showHint(Tolvan& g) {
    GameState& s = g.s;
    if (s.turn == no_side) {
        g.MsgBox("「対局」で始めて下さい", Buttons::OK, "ヒント");
        return;
    }
    if (s.play_mode == mode_com && s.turn != s.man_side) {
        g.MsgBox("COMの番です", Buttons::OK, "ヒント");
        return;
    }
    if (s.move_no >= max_moves) {
        g.MsgBox("これ以上は打てません", Buttons::OK, "ヒント");
        return;
    }
    const int colour = s.turn;

    // While an engine or the search thinks, the panel says so, with the seconds after a few.
    bool noticed = false;
    auto thinking = [&g, &noticed](int seconds) {
        if (!noticed) {
            g.描画_文字列(panelColumn(g.s, 21.1), 11.1, "思考中", color_black, 12);
            g.描画_文字列(panelColumn(g.s, 21), 11, "思考中", color_white, 12);
            g.pf.canvas.refresh();
            noticed = true;
        }
        showThinking(g, seconds);
    };
    const EngineMove m = g.pf.opponent.suggest(rules::upTo(s.record, s.move_no), colour, thinking);
    if (g.ended) return;
    if (noticed) {
        for (int c = 21; c <= 24; ++c) g.描画_背景絵(s.background, panelColumn(s, c), 11);
    }
    if (m.kind == EngineMove::cancelled) return;

    rules::Point at;
    if (m.kind == EngineMove::stone && positionOf(s, true).why(colour, m.x, m.y) == rules::Why::legal) {
        at = {m.x, m.y};
    } else if (m.kind == EngineMove::pass || m.kind == EngineMove::resign) {
        g.MsgBox(m.kind == EngineMove::pass ? "パスが良いでしょう" : "良い手がありません", Buttons::OK, "ヒント");
        return;
    } else {
        // Neither the engine nor the search with a move the rules allow: the built-in
        // player's choice.
        at = builtinMove(g, colour);
        if (at.x == 0) {
            g.MsgBox("パスが良いでしょう", Buttons::OK, "ヒント");
            return;
        }
    }
    markPoint(g, at, PointMark::hint);
}

namespace {

rules::Point& shownAt(GameState& s, PointMark mark) {
    switch (mark) {
        case PointMark::hint: return s.hint_shown;
        case PointMark::better: return s.better_shown;
        case PointMark::mistake: break;
    }
    return s.mistake_shown;
}

}  // namespace

void markPoint(Tolvan& g, rules::Point at, PointMark mark) {
    GameState& s = g.s;
    if (at.x < 1 || at.x > s.size || at.y < 1 || at.y > s.size || s.board[at.x][at.y] != stone_empty) return;
    drawPointMark(g, at, mark);
    g.pf.canvas.refresh();
    shownAt(s, mark) = at;
}

void clearHint(Tolvan& g) {
    bool drawn = false;
    for (const PointMark mark : {PointMark::hint, PointMark::better, PointMark::mistake}) {
        rules::Point& shown = shownAt(g.s, mark);
        const rules::Point at = shown;
        if (at.x == 0) continue;
        shown = {};
        if (at.x <= g.s.size && at.y <= g.s.size && g.s.board[at.x][at.y] == stone_empty) {
            g.描画_桝(at.x, at.y);
            drawn = true;
        }
    }
    if (drawn) g.pf.canvas.refresh();
}

}  // namespace tolvan
