// The score beside the board: territory squares, the panel's table and the margin's text.
#include "game/score_view.h"

#include <cmath>

#include "game/komi.h"
#include "game/tolvan.h"

namespace tolvan {

namespace {

// The first and last panel columns the score writes in, and its rows: the table where the
// colour rows, the prisoners and the komi stand in play (6 to 10), the verdict in the
// notice's row.
constexpr int first_column = 20, last_column = 27;
constexpr double label_column = 20.3, black_column = 23.5, white_column = 25.5;
constexpr double head_row = 6, verdict_row = 11;
// Half the side of a territory square, in twips: a square of half a cell.
constexpr double square_half = 75;

// The prisoners a count or an estimate gives hold the position's own and the dead stones
// taken: the position's are the panel's ﾊﾏ, the rest are the dead stones.
Score split(const rules::Board& position, int blackTerritory, int whiteTerritory, int blackTaken,
            int whiteTaken, double komi) {
    Score s;
    s.black_territory = blackTerritory;
    s.white_territory = whiteTerritory;
    s.black_prisoners = position.prisoners(rules::black);
    s.white_prisoners = position.prisoners(rules::white);
    s.black_dead = blackTaken - s.black_prisoners;
    s.white_dead = whiteTaken - s.white_prisoners;
    s.komi = komi;
    return s;
}

// A text of the table, white with the panel's shadow, its top-left at panel cell (x, y).
void write(Tolvan& g, double x, double y, const std::string& text, double size) {
    g.描画_文字列(panelColumn(g.s, x + 0.1), y + 0.1, text, color_black, size);
    g.描画_文字列(panelColumn(g.s, x), y, text, color_white, size);
}

// A number of the table centred in its colour's column, level with a label written at
// row y; nothing for an empty text.
void cell(Tolvan& g, double column, double y, const std::string& text) {
    if (text.empty()) return;
    const double x = board_left + panelColumn(g.s, column) * cell_width;
    const double mid = board_top + y * cell_width + 105;
    const double shadow = cell_width / 10.0;
    g.pf.canvas.textCentred(x + shadow, mid + shadow, text, 10, color_black, g.s.font_bold);
    g.pf.canvas.textCentred(x, mid, text, 10, color_white, g.s.font_bold);
}

void wipe(Tolvan& g, int fromRow, int toRow) {
    for (int j = fromRow; j <= toRow; ++j)
        for (int i = first_column; i <= last_column; ++i) g.描画_背景絵(g.s.background, panelColumn(g.s, i), j);
}

}  // namespace

Score scoreOf(const rules::Board& position, const rules::Count& c, double komi) {
    return split(position, c.black_territory, c.white_territory, c.black_prisoners, c.white_prisoners, komi);
}

Score scoreOf(const rules::Board& position, const estimate::Estimate& e) {
    return split(position, e.black_territory, e.white_territory, e.black_prisoners, e.white_prisoners, e.komi);
}

std::string marginText(double points) {
    const double whole = std::floor(points);
    if (points - whole == 0.5) return whole == 0 ? "半目" : komiText(whole) + "目半";
    return komiText(points) + "目";
}

std::string resultText(const Score& s) {
    const double lead = s.lead();
    if (lead == 0) return "持碁";
    return (lead > 0 ? "黒の" : "白の") + marginText(std::fabs(lead)) + "勝ち";
}

std::string leadText(const Score& s) {
    const double lead = s.lead();
    if (lead == 0) return "互角";
    return (lead > 0 ? "黒が" : "白が") + marginText(std::fabs(lead)) + "優勢";
}

std::string countText(const Score& s) {
    auto side = [](const char* name, int territory, int prisoners, int dead) {
        return std::string(name) + "[" + std::to_string(territory) + "]+ﾊﾏ(" + std::to_string(prisoners) +
               ")+死に石(" + std::to_string(dead) + ")";
    };
    std::string text = side("黒", s.black_territory, s.black_prisoners, s.black_dead) + "   " +
                       side("白", s.white_territory, s.white_prisoners, s.white_dead);
    if (s.komi != 0) text += "+ｺﾐ(" + komiText(s.komi) + ")";
    return text + "\r\r" + resultText(s);
}

void drawTerritory(Tolvan& g, int x, int y, int owner) {
    g.描画_桝(x, y);
    const double cx = board_left + x * cell_width + 150, cy = board_top + y * cell_height + 150;
    const double l = cx - square_half, t = cy - square_half, r = cx + square_half, b = cy + square_half;
    if (owner == stone_black) {
        g.pf.canvas.fillBox(l, t, r, b, color_black);
    } else {
        // White alone vanishes on the board's light wood: the edge keeps it in sight.
        g.pf.canvas.fillBox(l, t, r, b, color_white);
        g.pf.canvas.box(l, t, r, b, color_black);
    }
}

void drawScorePanel(Tolvan& g, const Score& s, const std::string& title, const std::string& verdict) {
    // From row 5, where the tops of the colour rows' labels reach; the handicap written
    // there comes back.
    wipe(g, 5, 11);
    if (g.s.handicap_set == flag_on) g.描画_ハンデレベル(g.s.handicap_level);
    const double left = board_left + panelColumn(g.s, 0) * cell_width;
    write(g, label_column, head_row + 0.1, title, 10);
    g.pf.canvas.paintPicture(Pic::KUROSOTO, left + (black_column - 0.5) * cell_width, board_top + head_row * cell_height);
    g.pf.canvas.paintPicture(Pic::SIROSOTO, left + (white_column - 0.5) * cell_width, board_top + head_row * cell_height);
    struct Row {
        const char* label;
        std::string black, white;
    };
    const Row rows[] = {
        {"地", komiText(s.black_territory), komiText(s.white_territory)},
        {"ﾊﾏ", komiText(s.black_prisoners), komiText(s.white_prisoners)},
        {"死に石", komiText(s.black_dead), komiText(s.white_dead)},
        {"ｺﾐ", "", komiText(s.komi)},
    };
    double y = head_row + 1.1;
    for (const Row& r : rows) {
        write(g, label_column, y, r.label, 10);
        cell(g, black_column, y, r.black);
        cell(g, white_column, y, r.white);
        y += 0.75;
    }
    // The totals under a rule.
    const double rule = board_top + (y - 0.05) * cell_width;
    g.pf.canvas.box(left + label_column * cell_width, rule, left + (white_column + 0.8) * cell_width, rule,
                    color_white);
    y += 0.05;
    write(g, label_column, y, "計", 10);
    cell(g, black_column, y, komiText(s.black()));
    cell(g, white_column, y, komiText(s.white()));
    write(g, label_column, verdict_row, verdict, 11);
}

void restorePanel(Tolvan& g) {
    const GameState& s = g.s;
    wipe(g, 6, 11);
    clearNotes(g);
    // Labelled as the full redraw labels them.
    const bool running = s.turn != no_side;
    if (running && s.play_mode == mode_man)
        g.描画_石ハマ("先 手:ﾊﾏ", "後 手:ﾊﾏ");
    else if (running && s.man_side == stone_black)
        g.描画_石ハマ("MAN:ﾊﾏ", "COM:ﾊﾏ");
    else
        g.描画_石ハマ("COM:ﾊﾏ", "MAN:ﾊﾏ");
    g.描画_取得駒数(s.black_captures, s.white_captures);
    drawKomi(g);
}

void clearNotes(Tolvan& g) {
    wipe(g, 11, 11);
    wipe(g, 13, 15);
}

}  // namespace tolvan
