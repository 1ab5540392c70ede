// The window surface: a persistent backing image that the game draws on in twips, and
// the widget that shows it. The widget paints nothing of its own; it copies the image.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>

#include "platform/port.h"

namespace tolvan {

// Makes the compiled-in pictures (":/pics/...") available; safe to call repeatedly.
void loadPictureResources();

// Twips to pixels at the window's own size: the one rounding rule of the program.
int twipsToPixels(double twips);

// The board cell, in device pixels, of a window shown at `percent` per cent of its size
// on a screen of device pixel ratio `dpr`: 21 at 100 % on an ordinary screen.
int cellPixels(int percent, double dpr);

// The cell a board of `lines` lines is drawn with in a window whose 19-line board has
// cells of `cell` pixels: the same on 19 lines; on 13 and 9 lines as large as lets the
// board with its coordinates take the room the 19-line board takes (29 and 40 pixels at
// 100 %), so that a smaller board is not lost beside the panel.
int boardCellPixels(int cell, int lines);

// The picture called `name` (as the files of the pictures are named) for a board cell
// of `cell` pixels: the shipped picture at 21, otherwise painted at that size (or read
// from the picture cache, when one is in use).
QImage pictureAt(const QString& name, int cell);

// The colour of a palette index 0..15 (QBColor); black for anything else.
QColor paletteColor(int index);

// The family of the window font: "ＭＳ Ｐ明朝" when installed, else the closest
// installed proportional Mincho.
QString windowFontFamily();

class CanvasWidget : public QWidget, public Canvas {
    Q_OBJECT
public:
    explicit CanvasWidget(QWidget* parent = nullptr);

    // A press of a mouse button, at the point of the game's picture it fell on, in twips.
    std::function<void(QPointF)> onMousePress;

    // The picture the game draws on, in device pixels.
    const QImage& image() const { return image_; }

    // Draws from now on with board cells of `cell` device pixels (21: the window's own
    // size) for a screen of device pixel ratio `dpr`. The picture starts again blank, at
    // the size of the whole window.
    void setCell(int cell, double dpr);
    // The cell of the window's size: the panel's, and the board's on 19 lines.
    int cell() const { return cell_; }
    // The cell the board is drawn with (boardCellPixels).
    int boardCell() const { return board_.x.cell; }
    // The board has `lines` lines each way: the picture starts again blank, at the size
    // of the window around that board.
    void setLines(int lines);
    int lines() const { return lines_; }
    double devicePixelRatioShown() const { return dpr_; }
    // The size of the whole picture in the window's pixels (device pixels / ratio); and
    // the size it would have with board cells of `cell` device pixels at ratio `dpr`
    // around a board of `lines` lines.
    QSize logicalSize() const;
    static QSize logicalSizeAt(int cell, double dpr, int lines);
    // Twips to device pixels: the top-left corner of what starts at (x, y).
    QPoint toPixels(double x, double y) const;

    // The scale at which the widget shows the image and maps presses back to it: 1 (pixel
    // for pixel) unless the window had to be made smaller than the image to fit the screen.
    void setViewScale(double scale);
    double viewScale() const { return viewScale_; }

    void paintPicture(Pic pic, double x, double y) override;
    void box(double x1, double y1, double x2, double y2, int color) override;
    void fillBox(double x1, double y1, double x2, double y2, int color) override;
    void circle(double x, double y, double r, int color) override;
    void polygon(double x, double y, const std::vector<std::pair<double, double>>& corners,
                 int color) override;
    void text(double x, double y, const std::string& s, double size, int color,
              bool bold) override;
    void textCentred(double x, double y, const std::string& s, double size, int color,
                     bool bold) override;
    void refresh() override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // How twips become device pixels along one direction of one part of the picture:
    // `fromPixel` + the distance from `from` at `cell` pixels a board cell.
    struct Axis {
        int cell = 21;
        double from = 0;
        int fromPixel = 0;
        double factor() const { return cell / 21.0; }
        // The left or top edge of what starts at t.
        int px(double t) const;
        // How far the rounding of the board's edge (board_left or board_top, in twips)
        // moves the tiles from where the scale alone would put them, in device pixels.
        double edgeShift(double edge) const;
        // The centre of the window pixel (at 100 %) that t falls on, in device pixels,
        // moved with the board's edge so that a point's centre is the centre of its
        // board tile at every size.
        double centre(double t, double edge) const;
        // The twips of device pixel p, the way back of px.
        double twips(double p, double edge) const;
    };
    // The picture has two parts, each at its own scale: the board with its coordinates,
    // at the board's cell, and from the panel's first column rightwards, at the window's
    // cell. On 19 lines they are one.
    struct Part {
        Axis x, y;
        int slot = 0;  // which of the pictures_ this part's pictures are kept in
    };
    const Part& partAt(double x) const { return x < panel_.x.from ? board_ : panel_; }
    bool split() const { return board_.x.cell != panel_.x.cell; }
    // The two parts for a window of `cell` pixels a cell around a board of `lines` lines,
    // and the size of the whole picture in device pixels.
    static void partsFor(int cell, int lines, Part& board, Part& panel);
    static QSize imageSize(const Part& board, const Part& panel, int lines);
    // Across, through whichever part t falls in, so that a box may reach from one part
    // into the other.
    int pxAcross(double t) const { return partAt(t).x.px(t); }
    // The pixels of a box's corners, ordered, and its outline's thickness.
    struct Span {
        int l, t, r, b, w;
    };
    Span spanOf(double x1, double y1, double x2, double y2) const;

    const QImage& picture(Pic pic, const Part& part);
    // The background's tile in the board's part of a split picture: the panel's
    // tiles laid on as one pattern, so the background runs on unbroken at one scale.
    void paintBackground(Pic pic, const QRect& target);

    QImage image_;
    int cell_ = 21;
    int lines_ = 19;
    double dpr_ = 1.0;
    Part board_, panel_;
    std::array<std::array<QImage, static_cast<int>(Pic::Count)>, 2> pictures_;
    std::array<std::array<bool, static_cast<int>(Pic::Count)>, 2> tried_{};
    double viewScale_ = 1.0;
};

}  // namespace tolvan
