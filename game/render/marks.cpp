// What lies on top of the stones: the last-move mark, move numbers, and the removal of
// captured stones from the screen and the board; and the marks of empty points.
#include <cmath>
#include <utility>
#include <vector>

#include "game/hint.h"
#include "game/position.h"
#include "game/tolvan.h"

namespace tolvan {

// Each mark reads at a glance beside the last move's 7-pixel cyan dot: about 11 to 15
// pixels across at 100 %, filled, in a colour of its own that stands out on the wood.
// Offsets of half pixels put the straight edges on whole pixels, since a point's centre
// is the centre of a pixel.
void drawPointMark(Tolvan& g, rules::Point at, PointMark mark) {
    using Corners = std::vector<std::pair<double, double>>;
    const double cx = board_left + at.x * cell_width + 150, cy = board_top + at.y * cell_height + 150;
    switch (mark) {
        case PointMark::hint:  // a square, 11 pixels a side
            g.pf.canvas.polygon(cx, cy, Corners{{-82.5, -82.5}, {82.5, -82.5}, {82.5, 82.5}, {-82.5, 82.5}},
                                hint_mark_color);
            break;
        case PointMark::better:  // a triangle, point up, 15 pixels wide and 13 high
            g.pf.canvas.polygon(cx, cy, Corners{{0, -97.5}, {112.5, 97.5}, {-112.5, 97.5}}, better_mark_color);
            break;
        case PointMark::mistake: {  // a cross of two bars 3 pixels thick, 13 pixels across
            const double along = 120 / std::sqrt(2.0), across = 22.5 / std::sqrt(2.0);
            for (const double turn : {1.0, -1.0})
                g.pf.canvas.polygon(cx, cy,
                                    Corners{{-along - across, turn * (-along + across)},
                                            {-along + across, turn * (-along - across)},
                                            {along + across, turn * (along - across)},
                                            {along - across, turn * (along + across)}},
                                    mistake_mark_color);
            break;
        }
    }
}

// A solid dot of radius 50 twips on the centre of point (x, y).
void Tolvan::描画_打駒印(int x, int y, int colour) {
    pf.canvas.circle(board_left + x * cell_width + 150, board_top + y * cell_height + 150, 50,
                     colour);
}

// Writes move number n on point (x, y), not bold, sized by its digit count and centred on
// the stone, so that every digit stays on the stone's disc whatever the font's metrics.
void Tolvan::描画_手順番号(int x, int y, int n, int colour) {
    s.font_bold = false;
    const double size = n >= 100 ? 7 : n >= 10 ? 10 : 12;
    pf.canvas.textCentred(board_left + x * cell_width + 150, board_top + y * cell_height + 150,
                          std::to_string(n), size, colour, s.font_bold);
    s.font_bold = true;
}

// Numbers the stones of the moves at record indexes 0..m-1, newest first, each point
// once; the point of the move at index m keeps its mark instead.
void Tolvan::描画_全手順番号(int m) {
    s.font_bold = false;
    Grid<bool> numbered{};
    for (int i = m - 1; i >= 0; --i) {
        const rules::Move move = recordedMove(s, i);
        const int x = move.at.x, y = move.at.y;
        if (x < 1 || x > s.size || y < 1 || y > s.size) continue;
        if (s.board[x][y] == stone_empty || numbered[x][y]) continue;
        numbered[x][y] = true;
        const int colour = move.colour == stone_white ? color_black : color_white;
        if (rules::Point{x, y} == recordedMove(s, m).at) continue;
        // On a plain stone, so that a number drawn again looks as it did the first time.
        描画_石(x, y, s.board[x][y]);
        描画_手順番号(x, y, i + 1, colour);
        s.font_bold = false;
    }
    s.font_bold = true;
}

// Erases every marked point on the screen and empties it on the board.
void Tolvan::描画_当駒消去() {
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.scan_mark[x][y] == flag_on) {
                描画_桝(x, y);
                s.board[x][y] = stone_empty;
            }
}

}  // namespace tolvan
