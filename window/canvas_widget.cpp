#include "window/canvas_widget.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

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

}  // namespace

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

void CanvasWidget::setLines(int lines) {
    lines_ = lines;
    setCell(cell_, dpr_);
}

void CanvasWidget::setCell(int cell, double dpr) {
    cell_ = std::max(1, cell);
    dpr_ = dpr > 0 ? dpr : 1.0;
    image_ = QImage(px(windowWidth(lines_)), px(windowHeight(lines_)), QImage::Format_RGB32);
    image_.fill(QApplication::palette().color(QPalette::Window));
    for (QImage& img : pictures_) img = QImage();
    tried_.fill(false);
    update();
}

QSize CanvasWidget::logicalSizeAt(int cell, double dpr, int lines) {
    auto pixels = [cell](double twips) { return std::lround(twips * cell / 315.0); };
    return QSize(static_cast<int>(std::ceil(pixels(windowWidth(lines)) / dpr - 1e-9)),
                 static_cast<int>(std::ceil(pixels(windowHeight(lines)) / dpr - 1e-9)));
}

QSize CanvasWidget::logicalSize() const { return logicalSizeAt(cell_, dpr_, lines_); }

// At the window's own size, exactly twipsToPixels.
int CanvasWidget::px(double t) const {
    return static_cast<int>(std::lround(cell_ == 21 ? t / 15.0 : t * factor() / 15.0));
}

// The board's tiles start at px(board_left + i * cell_width): whole pixels, a cell
// apart, with the board's left edge rounded once. The centre of a point's tile is
// (10.5 + 21 i) pixels of the window's own size from the unrounded edge, scaled; the
// rounding of the edge moves it with the tiles.
double CanvasWidget::edgeShift(double edge) const {
    return px(edge) - std::lround(edge / 15.0) * factor();
}

double CanvasWidget::centre(double t, double edge) const {
    return (std::lround(t / 15.0) + 0.5) * factor() + edgeShift(edge);
}

const QImage& CanvasWidget::picture(Pic pic) {
    const int i = static_cast<int>(pic);
    if (!tried_[i]) {
        tried_[i] = true;
        const QString name = QString::fromLatin1(picName(pic));
        pictures_[i] = pictureAt(name, cell_);
        if (pictures_[i].isNull())
            std::fprintf(stderr, "tolvan: missing picture %s at cell %d\n", qPrintable(name), cell_);
    }
    return pictures_[i];
}

void CanvasWidget::paintPicture(Pic pic, double x, double y) {
    const QImage& img = picture(pic);
    if (img.isNull()) return;
    QPainter p(&image_);
    p.drawImage(QPoint(px(x), px(y)), img);
    update();
}

void CanvasWidget::box(double x1, double y1, double x2, double y2, int color) {
    int l = px(x1), t = px(y1);
    int r = px(x2), b = px(y2);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    // Both corners belong to the outline; drawn as four strips, one pixel thick at the
    // window's own size, so the result does not depend on the paint engine's stroking.
    const int w = std::max(1, static_cast<int>(std::lround(factor())));
    QPainter p(&image_);
    QColor c = paletteColor(color);
    p.fillRect(QRect(l, t, r - l + w, w), c);
    p.fillRect(QRect(l, b, r - l + w, w), c);
    p.fillRect(QRect(l, t, w, b - t + w), c);
    p.fillRect(QRect(r, t, w, b - t + w), c);
    update();
}

void CanvasWidget::fillBox(double x1, double y1, double x2, double y2, int color) {
    int l = px(x1), t = px(y1);
    int r = px(x2), b = px(y2);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    // The pixels box() outlines, and all those between them.
    const int w = std::max(1, static_cast<int>(std::lround(factor())));
    QPainter p(&image_);
    p.fillRect(QRect(l, t, r - l + w, b - t + w), paletteColor(color));
    update();
}

void CanvasWidget::circle(double x, double y, double r, int color) {
    const double cx = centre(x, board_left), cy = centre(y, board_top);
    const double rp = r / 15.0 * factor();
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
    const QFont font = windowFont(size, bold, factor());
    QPainter p(&image_);
    p.setFont(font);
    p.setPen(paletteColor(color));
    QFontMetrics fm(font);
    p.drawText(QPoint(px(x), px(y) + fm.ascent()), QString::fromStdString(s));
    update();
}

void CanvasWidget::textCentred(double x, double y, const std::string& s, double size, int color,
                               bool bold) {
    const QFont font = windowFont(size, bold, factor());
    const QString str = QString::fromStdString(s);
    // The glyphs' outlines give the inked box; the metrics' box would add the face's
    // side bearings and line gap, which differ from face to face.
    QPainterPath outline;
    outline.addText(0, 0, font, str);
    const QRectF ink = outline.boundingRect();
    // The centre of the pixel that (x, y) falls on.
    const double cx = centre(x, board_left), cy = centre(y, board_top);
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
// it fell on, then to twips (at the window's own size, 15 twips a pixel).
void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    if (!onMousePress) return;
    const QPointF at = event->position() * dpr_ / viewScale_;
    const double f = factor();
    const double x = std::floor(at.x()), y = std::floor(at.y());
    if (cell_ == 21) return onMousePress(QPointF(x * 15.0, y * 15.0));
    onMousePress(QPointF((x - edgeShift(board_left)) / f * 15.0, (y - edgeShift(board_top)) / f * 15.0));
}

}  // namespace tolvan
