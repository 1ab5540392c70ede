#include "window/canvas_widget.h"

#include <QApplication>
#include <QBrush>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "window/picture_cache.h"
#include "window/art/artwork.h"
#include "game/state.h"

// The pictures are compiled into the static Qt library; naming their initialiser keeps
// the linker from dropping them. Outside any namespace, as the macro requires.
static void initPictures() { Q_INIT_RESOURCE(tolvan); }

namespace tolvan {

void loadPictureResources() {
    static const bool done = (initPictures(), true);
    (void)done;
}

int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / 15.0)); }

int cellPixels(int percent, double dpr) {
    return std::max(1, static_cast<int>(std::lround(21.0 * percent / 100.0 * dpr)));
}

QImage pictureAt(const QString& name, int cell) {
    loadPictureResources();
    if (cell == 21) return QImage(QStringLiteral(":/pics/%1.png").arg(name));
    // Painting takes long at large cells (the stones are supersampled, the lettered
    // pictures load their fonts), so what was painted once is kept for later starts.
    PictureCache* cache = pictureCache();
    if (cache) {
        QImage kept = cache->find(name, cell, art::pictureSize(name, cell));
        if (!kept.isNull()) return kept;
    }
    QImage painted = art::paint(name, cell);
    if (cache) cache->keep(name, cell, painted);
    return painted;
}

namespace {

// The window's size, in twips, with a board of `lines` lines: the 19-line board's window
// narrowed by the cells a smaller board lacks, and shortened as far as the side panel
// (which reaches down to the eleventh row) still fits.
double windowWidth(int lines) { return 9000 - (19 - lines) * 315.0; }
double windowHeight(int lines) { return 8000 - (19 - std::max(lines, 11)) * 315.0; }

// Where the side panel starts across, in twips: the column after the board's last.
double panelStart(int lines) { return board_left + (lines + 1) * cell_width; }
// Where the board's last row ends, in twips.
double boardBottom(int lines) { return board_top + (lines + 1) * cell_height; }
// Below a board drawn larger, the room the 19-line window leaves below its board, at the
// window's own scale.
constexpr double room_below = 8000 - (board_top + 20 * cell_height);

}  // namespace

int boardCellPixels(int cell, int lines) {
    if (lines >= 19) return cell;
    const int grown = static_cast<int>(std::floor(cell * panelStart(19) / panelStart(lines) + 1e-9));
    return std::max(cell, std::min(grown, art::kMaxCell));
}

QColor paletteColor(int index) {
    static const QRgb colors[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),     qRgb(0, 128, 0),     qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128),   qRgb(128, 128, 0),   qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),     qRgb(0, 255, 0),     qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255),   qRgb(255, 255, 0),   qRgb(255, 255, 255),
    };
    return index >= 0 && index < 16 ? QColor(colors[index]) : QColor(Qt::black);
}

QString windowFontFamily() {
    static const QString family = [] {
        for (const char* name : {"ＭＳ Ｐ明朝", "MS PMincho", "IPAPMincho", "IPA P明朝",
                                 "IPAMincho"}) {
            QString f = QString::fromUtf8(name);
            if (QFontDatabase::hasFamily(f)) return f;
        }
        // Let the font matcher pick something Japanese for the first choice.
        return QString::fromUtf8("ＭＳ Ｐ明朝");
    }();
    return family;
}

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent) {
    loadPictureResources();
    setCell(21, 1.0);
    // The whole widget is covered by the image on every paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// At the window's own size, exactly twipsToPixels.
int CanvasWidget::Axis::px(double t) const {
    const double d = t - from;
    return fromPixel + static_cast<int>(std::lround(cell == 21 ? d / 15.0 : d * factor() / 15.0));
}

// The board's tiles start at px(board_left + i * cell_width): whole pixels, a cell
// apart, with the board's left edge rounded once. The centre of a point's tile is
// (10.5 + 21 i) pixels of the window's own size from the unrounded edge, scaled; the
// rounding of the edge moves it with the tiles. The panel's part starts on a cell's
// edge, so its grid is the board's carried on.
double CanvasWidget::Axis::edgeShift(double edge) const {
    return px(edge) - fromPixel - std::lround((edge - from) / 15.0) * factor();
}

double CanvasWidget::Axis::centre(double t, double edge) const {
    return fromPixel + (std::lround((t - from) / 15.0) + 0.5) * factor() + edgeShift(edge);
}

double CanvasWidget::Axis::twips(double p, double edge) const {
    return from + (p - fromPixel - edgeShift(edge)) / factor() * 15.0;
}

void CanvasWidget::partsFor(int cell, int lines, Part& board, Part& panel) {
    board = Part{{cell, 0, 0}, {cell, 0, 0}, 0};
    panel = board;
    const int grown = boardCellPixels(cell, lines);
    if (grown == cell) return;
    board.x.cell = board.y.cell = grown;
    const double start = panelStart(lines);
    panel = Part{{cell, start, board.x.px(start)}, {cell, 0, 0}, 1};
}

QSize CanvasWidget::imageSize(const Part& board, const Part& panel, int lines) {
    if (board.x.cell == panel.x.cell) return QSize(board.x.px(windowWidth(lines)), board.y.px(windowHeight(lines)));
    const Axis below{panel.y.cell, 0, board.y.px(boardBottom(lines))};
    return QSize(panel.x.px(windowWidth(lines)),
                 std::max(below.px(room_below), panel.y.px(windowHeight(lines))));
}

void CanvasWidget::setLines(int lines) {
    lines_ = lines;
    setCell(cell_, dpr_);
}

void CanvasWidget::setCell(int cell, double dpr) {
    cell_ = std::max(1, cell);
    dpr_ = dpr > 0 ? dpr : 1.0;
    partsFor(cell_, lines_, board_, panel_);
    const QSize size = imageSize(board_, panel_, lines_);
    image_ = QImage(size.width(), size.height(), QImage::Format_RGB32);
    image_.fill(QApplication::palette().color(QPalette::Window));
    for (auto& slot : pictures_)
        for (QImage& img : slot) img = QImage();
    for (auto& slot : tried_) slot.fill(false);
    update();
}

QSize CanvasWidget::logicalSizeAt(int cell, double dpr, int lines) {
    Part board, panel;
    partsFor(std::max(1, cell), lines, board, panel);
    const QSize pixels = imageSize(board, panel, lines);
    return QSize(static_cast<int>(std::ceil(pixels.width() / dpr - 1e-9)),
                 static_cast<int>(std::ceil(pixels.height() / dpr - 1e-9)));
}

QSize CanvasWidget::logicalSize() const { return logicalSizeAt(cell_, dpr_, lines_); }

QPoint CanvasWidget::toPixels(double x, double y) const {
    const Part& part = partAt(x);
    return QPoint(part.x.px(x), part.y.px(y));
}

const QImage& CanvasWidget::picture(Pic pic, const Part& part) {
    const int i = static_cast<int>(pic);
    const int cell = part.x.cell;
    if (!tried_[part.slot][i]) {
        tried_[part.slot][i] = true;
        const QString name = QString::fromLatin1(picName(pic));
        pictures_[part.slot][i] = pictureAt(name, cell);
        if (pictures_[part.slot][i].isNull())
            std::fprintf(stderr, "tolvan: missing picture %s at cell %d\n", qPrintable(name), cell);
    }
    return pictures_[part.slot][i];
}

void CanvasWidget::paintBackground(Pic pic, const QRect& target) {
    const QImage& tile = picture(pic, panel_);
    if (tile.isNull()) return;
    // The panel lays its tiles a cell apart, each covering the last one's extra column:
    // a cell's square of the tile is what repeats.
    QBrush pattern(tile.copy(0, 0, panel_.x.cell, panel_.y.cell));
    pattern.setTransform(QTransform::fromTranslate(panel_.x.fromPixel, panel_.y.px(board_top)));
    QPainter p(&image_);
    p.fillRect(target, pattern);
    update();
}

void CanvasWidget::paintPicture(Pic pic, double x, double y) {
    const Part& part = partAt(x);
    const QImage& img = picture(pic, part);
    if (img.isNull()) return;
    const QPoint at(part.x.px(x), part.y.px(y));
    if (split() && &part == &board_ && (pic == Pic::HAIKEI_MIDORI || pic == Pic::HAIKEI_TAKE))
        return paintBackground(pic, QRect(at, img.size()));
    QPainter p(&image_);
    p.drawImage(at, img);
    update();
}

CanvasWidget::Span CanvasWidget::spanOf(double x1, double y1, double x2, double y2) const {
    const Part& part = partAt(std::min(x1, x2));
    Span s{pxAcross(x1), part.y.px(y1), pxAcross(x2), part.y.px(y2),
           std::max(1, static_cast<int>(std::lround(part.x.factor())))};
    if (s.l > s.r) std::swap(s.l, s.r);
    if (s.t > s.b) std::swap(s.t, s.b);
    return s;
}

void CanvasWidget::box(double x1, double y1, double x2, double y2, int color) {
    const Span s = spanOf(x1, y1, x2, y2);
    // Both corners belong to the outline; drawn as four strips, one pixel thick at the
    // window's own size, so the result does not depend on the paint engine's stroking.
    QPainter p(&image_);
    QColor c = paletteColor(color);
    p.fillRect(QRect(s.l, s.t, s.r - s.l + s.w, s.w), c);
    p.fillRect(QRect(s.l, s.b, s.r - s.l + s.w, s.w), c);
    p.fillRect(QRect(s.l, s.t, s.w, s.b - s.t + s.w), c);
    p.fillRect(QRect(s.r, s.t, s.w, s.b - s.t + s.w), c);
    update();
}

void CanvasWidget::fillBox(double x1, double y1, double x2, double y2, int color) {
    const Span s = spanOf(x1, y1, x2, y2);
    // The pixels box() outlines, and all those between them.
    QPainter p(&image_);
    p.fillRect(QRect(s.l, s.t, s.r - s.l + s.w, s.b - s.t + s.w), paletteColor(color));
    update();
}

void CanvasWidget::circle(double x, double y, double r, int color) {
    const Part& part = partAt(x);
    const double cx = part.x.centre(x, board_left), cy = part.y.centre(y, board_top);
    const double rp = r / 15.0 * part.x.factor();
    QRgb c = paletteColor(color).rgb();
    // Every pixel whose centre lies within the radius of the point's centre: a round,
    // symmetric dot (a 50-twip radius gives 7 pixels across at the window's own size).
    const int top = static_cast<int>(std::floor(cy - rp)), bottom = static_cast<int>(std::ceil(cy + rp));
    const int left = static_cast<int>(std::floor(cx - rp)), right = static_cast<int>(std::ceil(cx + rp));
    for (int py = std::max(0, top); py <= std::min(bottom, image_.height() - 1); ++py) {
        const double dy = py + 0.5 - cy;
        for (int qx = std::max(0, left); qx <= std::min(right, image_.width() - 1); ++qx) {
            const double dx = qx + 0.5 - cx;
            if (dx * dx + dy * dy <= rp * rp) image_.setPixel(qx, py, c);
        }
    }
    update();
}

void CanvasWidget::polygon(double x, double y, const std::vector<std::pair<double, double>>& corners,
                           int color) {
    const Part& part = partAt(x);
    const double cx = part.x.centre(x, board_left), cy = part.y.centre(y, board_top);
    const double k = part.x.factor() / 15.0;
    QPolygonF shape;
    for (const auto& [dx, dy] : corners) shape << QPointF(cx + dx * k, cy + dy * k);
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(paletteColor(color));
    p.drawPolygon(shape);
    update();
}

namespace {

// The window font at a size in points, taken at 96 dots per inch whatever the screen says,
// times the scale of the picture.
QFont windowFont(double size, bool bold, double scale) {
    QFont font(windowFontFamily());
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * 96.0 / 72.0 * scale))));
    font.setBold(bold);
    // The stand-in Mincho has narrower blanks than the face the texts were laid out for;
    // widening them keeps blank-separated layouts, like the column letters, in place.
    font.setWordSpacing(font.pixelSize() * 0.17);
    return font;
}

}  // namespace

void CanvasWidget::text(double x, double y, const std::string& s, double size, int color,
                        bool bold) {
    const Part& part = partAt(x);
    const QFont font = windowFont(size, bold, part.x.factor());
    QPainter p(&image_);
    p.setFont(font);
    p.setPen(paletteColor(color));
    QFontMetrics fm(font);
    p.drawText(QPoint(part.x.px(x), part.y.px(y) + fm.ascent()), QString::fromStdString(s));
    update();
}

void CanvasWidget::textCentred(double x, double y, const std::string& s, double size, int color,
                               bool bold) {
    const Part& part = partAt(x);
    const QFont font = windowFont(size, bold, part.x.factor());
    const QString str = QString::fromStdString(s);
    // The glyphs' outlines give the inked box; the metrics' box would add the face's
    // side bearings and line gap, which differ from face to face.
    QPainterPath outline;
    outline.addText(0, 0, font, str);
    const QRectF ink = outline.boundingRect();
    // The centre of the pixel that (x, y) falls on.
    const double cx = part.x.centre(x, board_left), cy = part.y.centre(y, board_top);
    const QPoint origin(static_cast<int>(std::lround(cx - ink.center().x())),
                        static_cast<int>(std::lround(cy - ink.center().y())));
    QPainter p(&image_);
    p.setFont(font);
    p.setPen(paletteColor(color));
    p.drawText(origin, str);
    update();
}

// What is drawn reaches the screen when the event loop next runs (the end of the
// command, or a message box); refresh puts it there at once.
void CanvasWidget::refresh() { repaint(); }

void CanvasWidget::setViewScale(double scale) {
    if (scale == viewScale_) return;
    viewScale_ = scale;
    update();
}

void CanvasWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const double device = devicePixelRatioF();
    if (viewScale_ == 1.0 && device == dpr_) {
        // Pixel for pixel: the picture was drawn at the screen's own pixels.
        if (dpr_ == 1.0) {
            p.drawImage(QPoint(0, 0), image_);
        } else {
            QImage shown = image_;
            shown.setDevicePixelRatio(dpr_);
            p.drawImage(QPoint(0, 0), shown);
        }
        return;
    }
    // Scaled smoothly straight to the device's pixels, so that a high-density screen
    // loses no more detail than the smaller window must.
    const QSizeF logical = QSizeF(image_.size()) / dpr_;
    QImage shown = image_.scaled((logical * viewScale_ * device).toSize(), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    shown.setDevicePixelRatio(device);
    p.drawImage(QPoint(0, 0), shown);
}

// The press is mapped back the way the twips were mapped to pixels: to the device pixel
// it fell on, in the part it fell in, then to twips (at the window's own size, 15 twips a
// pixel).
void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    if (!onMousePress) return;
    const QPointF at = event->position() * dpr_ / viewScale_;
    const double x = std::floor(at.x()), y = std::floor(at.y());
    const Part& part = split() && x >= panel_.x.fromPixel ? panel_ : board_;
    onMousePress(QPointF(part.x.twips(x, board_left), part.y.twips(y, board_top)));
}

}  // namespace tolvan
