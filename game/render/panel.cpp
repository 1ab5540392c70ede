// The side panel right of the board and the text primitive every drawing uses.
#include "game/tolvan.h"

namespace tolvan {

// Writes text with its top-left at cell (x, y). Both coordinates use the cell width.
void Tolvan::描画_文字列(double x, double y, const std::string& text, int colour, double size) {
    pf.canvas.text(board_left + x * cell_width, board_top + y * cell_width, text, size, colour,
                   s.font_bold);
}

// Writes a number in the standard number-to-text form (" 10").
void Tolvan::描画_文字列(double x, double y, long number, int colour, double size) {
    描画_文字列(x, y, Str(number), colour, size);
}

// Shows both prisoner counts, without shadow.
void Tolvan::描画_取得駒数(int a, int b) {
    for (int i = 23; i <= 24; ++i) {
        描画_背景絵(s.background, panelColumn(s, i), 7);
        描画_背景絵(s.background, panelColumn(s, i), 9);
    }
    描画_文字列(panelColumn(s, 23), 7, a, color_white, 12);
    描画_文字列(panelColumn(s, 23), 9, b, color_white, 12);
}

// Draws both colour rows: stone icon and the label of who plays that colour.
void Tolvan::描画_石ハマ(const std::string& s1, const std::string& s2) {
    for (int i = 22; i <= 24; ++i) 描画_背景絵(s.background, panelColumn(s, i), 6);
    pf.canvas.paintPicture(Pic::KUROSOTO, panelTwips(s, board_left + 21 * cell_width), board_top + 6 * cell_height);
    描画_文字列(panelColumn(s, 22.5), 6, s1, color_white, 10);
    for (int i = 22; i <= 24; ++i) 描画_背景絵(s.background, panelColumn(s, i), 8);
    pf.canvas.paintPicture(Pic::SIROSOTO, panelTwips(s, board_left + 21 * cell_width), board_top + 8 * cell_height);
    描画_文字列(panelColumn(s, 22.5), 8.2, s2, color_white, 10);
}

// Shows the move count n and "手目", both with a shadow.
void Tolvan::描画_手数(int n) {
    // Wide enough for "手目" and its shadow: text drawn again looks as it did at first.
    for (int i = 20; i <= 23; ++i) 描画_背景絵(s.background, panelColumn(s, i), 12);
    const double c = n < 10 ? 21 : n < 100 ? 20.8 : 20.5;
    描画_文字列(panelColumn(s, c + 0.1), 12.1, n, color_black, 11);
    描画_文字列(panelColumn(s, c), 12, n, color_white, 11);
    描画_文字列(panelColumn(s, 22.1), 12.1, "手目", color_black, 11);
    描画_文字列(panelColumn(s, 22), 12, "手目", color_white, 11);
}

// Shows the rank label of a handicap level, with a shadow.
void Tolvan::描画_ハンデレベル(int level) {
    for (int i = 22; i <= 26; ++i) 描画_背景絵(s.background, panelColumn(s, i), 5);
    描画_ハンデ文字列(panelColumn(s, 22.1), 4.7, level, color_black, 10);
    描画_ハンデ文字列(panelColumn(s, 22), 4.6, level, color_white, 10);
}

// Writes the rank label of a level at (x * cell_width + 120, y * cell_height + 160)
// twips from the window origin; nothing for a level outside -13..13.
void Tolvan::描画_ハンデ文字列(double x, double y, int level, int colour, double size) {
    static const char* const fullWidth[] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
    if (level < -13 || level > 13) return;
    const int rank = level + 13;
    std::string label = "ﾊﾝﾃﾞｨｷｬｯﾌﾟ:";
    if (rank == 0)
        label += "初段";
    else if (rank < 10)
        label += std::string(fullWidth[rank - 1]) + "級";
    else
        label += std::to_string(rank) + "級";
    pf.canvas.text(x * cell_width + 120, y * cell_height + 160, label, size, colour, s.font_bold);
}

}  // namespace tolvan
