// 形勢判断: the estimate on the board and in the side panel, taken away by the next event.
#include "game/estimate_view.h"

#include <algorithm>

#include "game/counting.h"
#include "game/komi.h"
#include "game/position.h"
#include "game/score_view.h"
#include "game/tolvan.h"

namespace tolvan {

namespace {

// The owners and the dead stones over the board as it stands: a square on every empty
// point the estimate gives to a side, a cross on every dead stone; the rest stays as it was.
void drawEstimate(Tolvan& g, const estimate::Estimate& e) {
    const GameState& s = g.s;
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            const int stone = s.board[x][y], owner = e.owner.at(x, y);
            if (stone != stone_empty) {
                if (std::find(e.dead.begin(), e.dead.end(), rules::Point{x, y}) != e.dead.end())
                    drawDeadStone(g, x, y, stone);
            } else if (owner != stone_empty) {
                drawTerritory(g, x, y, owner);
            }
        }
}

}  // namespace

estimate::Estimate estimateOf(const Tolvan& g) { return estimate::estimatePosition(boardOf(g.s), komiOf(g)); }

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
    // The score goes beside the board, where nothing of the board is hidden; the table
    // wipes the notice.
    const Score score = scoreOf(boardOf(s), e);
    drawScorePanel(g, score, "形勢判断", leadText(score));
    if (notice) {
        g.描画_文字列(panelColumn(s, 21.1), 13.1, "クリックで消えます", color_black, 9);
        g.描画_文字列(panelColumn(s, 21), 13, "クリックで消えます", color_white, 9);
    }
    g.pf.canvas.refresh();
    s.estimate_shown = true;
}

bool dismissEstimate(Tolvan& g) {
    if (!g.s.estimate_shown) return false;
    g.s.estimate_shown = false;
    redrawBoard(g);
    return true;
}

}  // namespace tolvan
