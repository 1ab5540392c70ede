// 表示の大きさ: the menu's choice of window size.
#include "game/board_size.h"

#include "game/tolvan.h"

namespace tolvan {

namespace {

constexpr const char* size_prefix = "BAN_";

void tick(Tolvan& g, int percent) {
    for (int p : board_sizes) g.pf.menu.setChecked(boardSizeItem(p), p == percent);
}

// The window takes the size; what it showed is drawn again at the new size.
void show(Tolvan& g, int percent) {
    tick(g, percent);
    g.pf.window.setSize(percent);
    g.画面_再描画();
}

}  // namespace

bool isBoardSize(int percent) {
    for (int p : board_sizes)
        if (p == percent) return true;
    return false;
}

std::string boardSizeItem(int percent) { return size_prefix + std::to_string(percent); }

bool isBoardSizeItem(const std::string& item) {
    for (int p : board_sizes)
        if (item == boardSizeItem(p)) return true;
    return false;
}

void chooseBoardSize(Tolvan& g, const std::string& item) {
    for (int p : board_sizes) {
        if (item != boardSizeItem(p)) continue;
        if (!g.pf.window.sizeFits(p)) return;
        show(g, p);
        g.prefs.board_size = p;
        g.書込_環境設定ファイル();
        return;
    }
}

void applyBoardSize(Tolvan& g) {
    const int wanted = isBoardSize(g.prefs.board_size) ? g.prefs.board_size : 100;
    const int percent = wanted != 100 && g.pf.window.sizeFits(wanted) ? wanted : 100;
    tick(g, percent);
    // The window starts at 100 %; only another size needs telling.
    if (percent != 100) g.pf.window.setSize(percent);
}

bool showBoardSize(Tolvan& g, int percent) {
    if (!isBoardSize(percent)) return false;
    show(g, percent);
    return true;
}

}  // namespace tolvan
