// The board, its tiles and the window background, laid on the cell grid: cell (i, j)
// has its top-left corner at (board_left + i * cell_width, board_top + j * cell_height).
#include "game/tolvan.h"
#include "game/counting.h"
#include "game/komi.h"
#include "game/position.h"
#include "rules/geometry.h"

namespace tolvan {

namespace {

double cellX(double i) { return board_left + i * cell_width; }
double cellY(double j) { return board_top + j * cell_height; }

// The tile of a board point of a board of n lines: prefix 0 = empty, 1 = black,
// 2 = white. The edge tests come before the star-point test.
Pic tileFor(int n, int x, int y, int prefix) {
    static const Pic tiles[3][9] = {
        {Pic::KARAUEHIDARI, Pic::KARASITAHIDARI, Pic::KARAHIDARINAKA, Pic::KARAUEMIGI,
         Pic::KARASITAMIGI, Pic::KARAMIGINAKA, Pic::KARAUENAKA, Pic::KARASITANAKA, Pic::KARANAKA},
        {Pic::KUROUEHIDARI, Pic::KUROSITAHIDARI, Pic::KUROHIDARINAKA, Pic::KUROUEMIGI,
         Pic::KUROSITAMIGI, Pic::KUROMIGINAKA, Pic::KUROUENAKA, Pic::KUROSITANAKA, Pic::KURONAKA},
        {Pic::SIROUEHIDARI, Pic::SIROSITAHIDARI, Pic::SIROHIDARINAKA, Pic::SIROUEMIGI,
         Pic::SIROSITAMIGI, Pic::SIROMIGINAKA, Pic::SIROUENAKA, Pic::SIROSITANAKA, Pic::SIRONAKA},
    };
    const Pic* t = tiles[prefix];
    auto byRow = [&](int first) { return t[first + (y == 1 ? 0 : y == n ? 1 : 2)]; };
    if (x == 1) return byRow(0);
    if (x == n) return byRow(3);
    if (prefix == 0 && rules::isStarPoint(n, {x, y})) return Pic::KARANAKATEN;
    return byRow(6);
}

}  // namespace

// Draws the empty-point tile of (x, y).
void Tolvan::描画_桝(int x, int y) {
    pf.canvas.paintPicture(tileFor(s.size, x, y, 0), cellX(x), cellY(y));
}

// Draws the plain stone tile of (x, y); nothing for a code that is not a stone.
void Tolvan::描画_石(int x, int y, int stone) {
    if (stone == stone_black)
        pf.canvas.paintPicture(tileFor(s.size, x, y, 1), cellX(x), cellY(y));
    else if (stone == stone_white)
        pf.canvas.paintPicture(tileFor(s.size, x, y, 2), cellX(x), cellY(y));
}

// Redraws every point from the board; stones come out without marks or numbers.
void Tolvan::描画_盤() {
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            if (s.board[x][y] == stone_black || s.board[x][y] == stone_white)
                描画_石(x, y, s.board[x][y]);
            else
                描画_桝(x, y);
        }
}

// Fills every cell around the board, columns -3..30 and rows -2..35, with the background.
void Tolvan::描画_背景(int kind) {
    for (int i = -3; i <= 30; ++i)
        for (int j = -2; j <= 35; ++j)
            if (i < 1 || i > s.size || j < 1 || j > s.size) 描画_背景絵(kind, i, j);
}

// Draws one background tile at cell (i, j); nothing for an unknown code.
void Tolvan::描画_背景絵(int kind, double i, double j) {
    if (kind == background_green)
        pf.canvas.paintPicture(Pic::HAIKEI_MIDORI, cellX(i), cellY(j));
    else if (kind == background_bamboo)
        pf.canvas.paintPicture(Pic::HAIKEI_TAKE, cellX(i), cellY(j));
}

// A box from the top-left of cell (x, y), w by h twips.
void Tolvan::描画_四角形(double x, double y, double w, double h, int colour) {
    pf.canvas.box(cellX(x), cellY(y), cellX(x) + w, cellY(y) + h, colour);
}

// Redraws the whole window: background, board, labels and the side panel. In a running
// game the panel labels the colour rows by who plays them and shows the move count, and
// the board gets back the last-move mark, the move numbers and a pending hint, so that a
// redraw never shows less than the commands had drawn.
void Tolvan::画面_再描画() {
    描画_背景(s.background);
    描画_盤();
    // The column letters, spaced for the 19-line board, as far as this board's last line.
    std::string letters = "A  B  C  D  E   F  G  H   I   J   K   L  M  N  O  P  Q  R   S";
    letters.erase(letters.find(static_cast<char>('A' + s.size - 1)) + 1);
    描画_文字列(1.5, 0.2, letters, color_black, 10);
    描画_文字列(1.4, 0.1, letters, color_white, 10);
    for (int i = 1; i <= s.size; ++i) {
        描画_文字列(0.1, i + 0.2, i, color_black, 9);
        描画_文字列(0, i + 0.1, i, color_white, 9);
    }
    if (s.handicap_set == flag_on) 描画_ハンデレベル(s.handicap_level);
    const bool running = s.turn != no_side;
    if (running && s.play_mode == mode_man)
        描画_石ハマ("先 手:ﾊﾏ", "後 手:ﾊﾏ");
    else if (running && s.man_side == stone_black)
        描画_石ハマ("MAN:ﾊﾏ", "COM:ﾊﾏ");
    else
        描画_石ハマ("COM:ﾊﾏ", "MAN:ﾊﾏ");
    描画_取得駒数(s.black_captures, s.white_captures);
    drawKomi(*this);
    if (checked("SINAN")) {
        pf.canvas.paintPicture(Pic::SINAN_MODE, panelTwips(s, 7000), 1000);
        if (running && s.hint_active == flag_on) pf.canvas.paintPicture(Pic::SINAN_SURU, panelTwips(s, 7000), 1000);
    }
    pf.canvas.paintPicture(Pic::RABERU, panelTwips(s, 6900), 200);
    if (!running) return;

    // The move count shows once the game has a record to count.
    if (s.record.stones() > 0) 描画_手数(s.move_no);
    if (checked("BANGOU")) 描画_全手順番号(s.move_no - 1);
    if (s.move_no > 0) {
        const rules::Move m = recordedMove(s, s.move_no - 1);
        if (s.board[m.at.x][m.at.y] != stone_empty) 描画_打駒印(m.at.x, m.at.y, mark_color);
    }
    // While counting, the board keeps the count's marks and the panel its score.
    if (counting.active) redrawBoard(*this);
}

}  // namespace tolvan
