// The computer's turn: analyse the board once, answer from the opening book when it
// knows the position, otherwise score every admissible point and play the best one, or
// pass when there is none. The stone is played exactly as a person's stone is.
#include <algorithm>

#include "game/ai/choice.h"
#include "game/counting.h"
#include "game/estimate_view.h"
#include "game/kifu.h"
#include "game/opponent.h"
#include "game/tolvan.h"
#include "game/position.h"

namespace tolvan {

namespace {

// Whether the game is over as the count sees it: every empty point is settled, and no
// chain that lives stands in atari, so that no stone gains a point, neither by taking
// nor by saving one; a stone in one's own area would lose one.
bool nothingLeftToPlay(const Tolvan& g) {
    const GameState& s = g.s;
    const estimate::Estimate e = estimateOf(g);
    if (!e.settled) return false;
    const rules::Board position = boardOf(s);
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (position.at(x, y) != rules::empty && position.liberties(x, y) == 1 &&
                std::find(e.dead.begin(), e.dead.end(), rules::Point{x, y}) == e.dead.end())
                return false;
    return true;
}

}  // namespace

// Fills the analysis grids of this turn from the board: the neighbour code of every
// point, and for every empty point the capture and no-liberty tests for both sides.
void Tolvan::調査_碁盤() {
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            s.neighbour_count[x][y] = static_cast<i16>(調査_四方数値(x, y));
            if (s.board[x][y] != stone_empty) continue;
            s.atari_map_com[x][y] = 調査_当たり(x, y, s.com_side, s.man_side);
            s.atari_map_man[x][y] = 調査_当たり(x, y, s.man_side, s.com_side);
            s.atari2_map_com[x][y] = 調査_当たり2(x, y, s.com_side);
            s.atari2_map_man[x][y] = 調査_当たり2(x, y, s.man_side);
        }
}

BuiltinChoice builtinChoice(Tolvan& g) {
    GameState& s = g.s;
    BuiltinChoice c;
    g.調査_碁盤();
    // A full record takes no further move.
    if (s.move_no >= max_moves) return c;
    bool fromBook = false;

    // The book answers the last recorded move when it completes a known corner shape.
    // An answer that the rules would refuse is ignored and the point scored as usual.
    if (s.move_no > 0) {
        const rules::Move last = recordedMove(s, s.move_no - 1);
        const int px = last.at.x, py = last.at.y;
        int qx = px, qy = py;
        if (g.調査_定石有無(qx, qy) == flag_on) {
            g.取得_定石MAN座標(px, py, qx, qy);
            if (g.legalMove(qx, qy, s.turn)) {
                c.x = qx;
                c.y = qy;
                c.best = 1000;
                fromBook = true;
            }
        }
    }

    if (!fromBook) {
        const int t = s.turn;
        const rules::Board position = positionOf(s, false);
        for (int x = 1; x <= s.size; ++x)
            for (int y = 1; y <= s.size; ++y) {
                if (s.board[x][y] != stone_empty) continue;
                // An own eye is filled only to save a group the person could capture there.
                if (s.atari_map_man[x][y] == flag_off && s.neighbour_count[x][y] <= 4) continue;
                // A capture of the person's last stone is skipped when the person could
                // take back at once with the captured stones still standing: more than the
                // ko rule refuses, the computer keeps out of every such fight.
                if (g.調査_当たり(x, y, t, -t) == flag_on && s.scan_mark[s.last_x][s.last_y] == flag_on) {
                    s.board[x][y] = static_cast<i16>(t);
                    const i16 retake = g.調査_当たり(s.last_x, s.last_y, -t, t);
                    s.board[x][y] = stone_empty;
                    if (retake != flag_off) continue;
                }
                const double sc = g.調査_得点(x, y);
                // Only points the rules allow: never suicide, never a ko taken back at once.
                // Asked only of a point that would be the best so far, which gives the
                // best of the allowed points at a fraction of the cost.
                if (sc > c.best && position.legal(t, x, y)) {
                    c.best = sc;
                    c.x = x;
                    c.y = y;
                }
            }
    }
    return c;
}

// The computer's turn; turn is the computer's colour on entry and the person's after.
// Either a stone is played and recorded (with the person's hint looked up), or the
// computer passes with two messages. The window hears when the turn begins and ends.
void Tolvan::com_ban() {
    pf.window.computerTurn(true);
    s.hint_active = flag_off;

    描画_文字列(panelColumn(s, 21.1), 11.1, "思考中", color_black, 12);
    描画_文字列(panelColumn(s, 21), 11, "思考中", color_white, 12);
    pf.canvas.refresh();
    待ち時間(0.2);

    // Counted with dead stones, the built-in player answers the person's pass with its
    // own once nothing is left to play, rather than fill territory.
    const bool personPassed = s.man_passed == flag_on;
    s.man_passed = flag_off;

    double best = -9999;
    int bx = 0, by = 0;
    // A full record takes no further move: the computer passes.
    const bool recordFull = s.move_no >= max_moves;

    // An engine chosen in COMの強さ answers instead of the built-in player, which takes
    // over this move when the engine fails.
    EngineTurn engine;
    if (!recordFull && pf.opponent.engineInUse()) engine = askEngine(*this);
    if (engine.kind == EngineTurn::cancelled) {
        pf.window.computerTurn(false);
        return;
    }
    if (engine.kind == EngineTurn::stone) {
        bx = engine.x;
        by = engine.y;
        best = 1000;  // played as it stands, like a book reply
    } else if (engine.kind == EngineTurn::builtin) {
        if (personPassed && countsDeadStones(*this) && nothingLeftToPlay(*this)) {
            調査_碁盤();  // the turn's grids, as every turn fills them; best stays: a pass
        } else {
            const BuiltinChoice choice = builtinChoice(*this);
            best = choice.best;
            bx = choice.x;
            by = choice.y;
        }
    }

    for (int c = 21; c <= 24; ++c) 描画_背景絵(s.background, panelColumn(s, c), 11);

    if (engine.kind == EngineTurn::resign) {
        pf.window.computerTurn(false);
        noteResignation(*this, s.com_side);
        keepFinishedGame(*this);
        MsgBox("COMは投了しました。あなたの勝ちです。", Buttons::OK, "投了");
        finishGame(*this);
        return;
    }

    if (best <= 0) {
        // The box shows the pass, so the turn ends before it: what was pressed meanwhile
        // must not answer it.
        pf.window.computerTurn(false);
        MsgBox("パスします", Buttons::OK, "COMパス");
        s.com_passed = flag_on;
        keepLineBeforeLeaving(*this);
        recordPass(s);
        s.turn = static_cast<i16>(-s.turn);
        MsgBox("あなたの番です", Buttons::OK, " ");
        return;
    }

    const int t = s.turn;

    // The previous stone loses its mark; the new one is shown with it.
    if (s.move_no > 0) {
        const rules::Move m = recordedMove(s, s.move_no - 1);
        描画_石(m.at.x, m.at.y, m.colour);
    }
    描画_石(bx, by, t);
    描画_打駒印(bx, by, mark_color);
    待ち時間(0.5);
    dsPlay(s.sound_stone);

    numberPreviousMove();

    // The stone enters the record; every person's chain it left without a liberty goes,
    // one chain at a time, then the move is counted and the turn passes.
    removeCapturedChains(playMove(bx, by, t), t);
    recordMove(bx, by, t);
    showPlayedMove();

    hintForPerson();
    pf.window.computerTurn(false);
}

}  // namespace tolvan
