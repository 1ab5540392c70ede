// 形勢判断: the estimate on the board and in a message, taken away by the next event.
#include "game/estimate_view.h"

#include <algorithm>

#include "game/counting.h"
#include "game/komi.h"
#include "game/position.h"
#include "game/tolvan.h"

namespace tolvan {

namespace {

// The owners and the dead stones over the board as it stands: a dot on every empty point
// the estimate gives to a side, a cross on every dead stone; the rest stays as it was.
void drawEstimate(Tolvan& g, const estimate::Estimate& e) {
    const GameState& s = g.s;
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            const int stone = s.board[x][y], owner = e.owner.at(x, y);
            if (stone != stone_empty) {
                if (std::find(e.dead.begin(), e.dead.end(), rules::Point{x, y}) != e.dead.end())
                    drawDeadStone(g, x, y, stone);
            } else if (owner != stone_empty) {
                g.描画_桝(x, y);
                g.描画_打駒印(x, y, owner == stone_black ? color_black : color_white);
            }
        }
}

}  // namespace

estimate::Estimate estimateOf(const Tolvan& g) { return estimate::estimatePosition(boardOf(g.s), komiOf(g)); }

std::string estimateText(const estimate::Estimate& e) {
    std::string text = "黒[" + std::to_string(e.black_territory) + "]+ﾊﾏ(" + std::to_string(e.black_prisoners) +
                       ")   白[" + std::to_string(e.white_territory) + "]+ﾊﾏ(" +
                       std::to_string(e.white_prisoners) + ")";
    if (e.komi != 0) text += "+ｺﾐ(" + komiText(e.komi) + ")";
    const double lead = e.lead();
    text += "\r\r";
    text += lead > 0 ? "黒が" + komiText(lead) + "目優勢" : lead < 0 ? "白が" + komiText(-lead) + "目優勢" : "互角";
    return text;
}

void toggleEstimate(Tolvan& g) {
    if (dismissEstimate(g)) return;
    GameState& s = g.s;
    // While counting, the status area keeps telling what to do.
    const bool notice = !g.counting.active;
    if (notice) {
        g.描画_文字列(panelColumn(s, 21), 11, "計算中", color_white, 12);
        g.pf.canvas.refresh();
    }
    const estimate::Estimate e = estimateOf(g);
    drawEstimate(g, e);
    if (notice)
        for (int i = 21; i <= 24; ++i) g.描画_背景絵(s.background, panelColumn(s, i), 11);
    g.pf.canvas.refresh();
    s.estimate_shown = true;
    g.MsgBox(estimateText(e), Buttons::OK, "形勢判断");
}

bool dismissEstimate(Tolvan& g) {
    if (!g.s.estimate_shown) return false;
    g.s.estimate_shown = false;
    redrawBoard(g);
    return true;
}

}  // namespace tolvan
