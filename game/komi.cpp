// コミ: the menu's choice, a record's own, the panel and the engine.
#include "game/komi.h"

#include <charconv>
#include <cmath>

#include "game/tolvan.h"

namespace tolvan {

namespace {

// The items in the menu's order with their komi.
constexpr struct {
    const char* item;
    double komi;
} items[] = {{komi_none_item, 0}, {komi_six_item, 6.5}, {komi_seven_item, 7.5}};

}  // namespace

bool isKomiItem(const std::string& item) {
    for (const auto& i : items)
        if (item == i.item) return true;
    return false;
}

void chooseKomi(Tolvan& g, const std::string& item) {
    for (const auto& i : items)
        if (item == i.item) g.prefs.komi = i.komi;
    applyKomi(g);
    g.書込_環境設定ファイル();
    // The panel's field is wiped and written again.
    for (int i = 22; i <= 25; ++i) g.描画_背景絵(g.s.background, panelColumn(g.s, i), 10);
    drawKomi(g);
}

void applyKomi(Tolvan& g) {
    for (const auto& i : items) g.pf.menu.setChecked(i.item, g.prefs.komi == i.komi);
    tellKomi(g);
}

void tellKomi(Tolvan& g) { g.pf.opponent.setKomi(komiOf(g)); }

double komiOf(const Tolvan& g) { return g.s.record_komi.value_or(g.prefs.komi); }

std::string komiText(double points) {
    // As printf's %g writes it, whatever the locale.
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, points, std::chars_format::general, 6);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

void drawKomi(Tolvan& g) {
    const double komi = komiOf(g);
    if (komi == 0) return;
    const std::string text = "ｺﾐ " + komiText(komi);
    g.描画_文字列(panelColumn(g.s, 22.6), 10.1, text, color_black, 10);
    g.描画_文字列(panelColumn(g.s, 22.5), 10, text, color_white, 10);
}

}  // namespace tolvan
