// 碁盤: the menu's choice of board.
#include "game/board_lines.h"

#include "game/kept_games.h"
#include "game/tolvan.h"
#include "rules/geometry.h"

namespace tolvan {

namespace {

constexpr const char* lines_prefix = "GOBAN_";

}  // namespace

std::string boardLinesItem(int lines) { return lines_prefix + std::to_string(lines); }

bool isBoardLinesItem(const std::string& item) {
    for (int n : rules::offered_sizes)
        if (item == boardLinesItem(n)) return true;
    return false;
}

void setBoardLines(Tolvan& g, int lines) {
    GameState& s = g.s;
    for (int n : rules::offered_sizes) g.pf.menu.setChecked(boardLinesItem(n), n == lines);
    if (s.size == lines) return;
    // The computer's preferred corner, chosen at the last reset, moves to the same corner
    // of the new board.
    const int from = s.size - 3, to = lines - 3;
    Grid<double> bonus{};
    bonus[4][4] = s.opening_bonus[4][4];
    bonus[4][to] = s.opening_bonus[4][from];
    bonus[to][4] = s.opening_bonus[from][4];
    bonus[to][to] = s.opening_bonus[from][from];
    s.opening_bonus = bonus;
    s.size = static_cast<i16>(lines);
    // Every point beyond a smaller board stays empty, whatever a larger one held.
    for (Grid<i16>* grid : {&s.board, &s.board_saved, &s.scan_mark, &s.judge_map})
        for (auto& column : *grid) column.fill(0);
    s.record.reset(rules::Board(lines));
    s.move_no = 0;
    s.last_x = s.last_y = 0;
    s.hint_active = flag_off;
    g.pf.window.setLines(lines);
}

void chooseBoardLines(Tolvan& g, const std::string& item) {
    for (int n : rules::offered_sizes) {
        if (item != boardLinesItem(n)) continue;
        if (g.s.turn != no_side &&
            g.MsgBox(replacedGameNotice(g) + "碁盤を替えてよろしいですか？", Buttons::YesNo, "碁盤") !=
                Answer::Yes)
            return;
        keepGame(g);
        setBoardLines(g, n);
        g.初期設定();
        g.prefs.board_lines = n;
        g.書込_環境設定ファイル();
        return;
    }
}

void applyBoardLines(Tolvan& g) {
    setBoardLines(g, rules::isOfferedSize(g.prefs.board_lines) ? g.prefs.board_lines : 19);
}

}  // namespace tolvan
