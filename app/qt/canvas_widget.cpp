#include "app/qt/canvas_widget.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

// The pictures are compiled into the static Qt library; naming their initialiser keeps
// the linker from dropping them. Outside any namespace, as the macro requires.
static void initPictures() { Q_INIT_RESOURCE(tolvan); }

namespace tolvan {

void loadPictureResources() {
    static const bool done = (initPictures(), true);
    (void)done;
}

int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / 15.0)); }

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

CanvasWidget::CanvasWidget(QSize imageSize, QWidget* parent)
    : QWidget(parent), image_(imageSize, QImage::Format_RGB32) {
    loadPictureResources();
    image_.fill(QApplication::palette().color(QPalette::Window));
    // The whole widget is covered by the image on every paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage& CanvasWidget::picture(Pic pic) {
    const int i = static_cast<int>(pic);
    if (!tried_[i]) {
        tried_[i] = true;
        QString path = QStringLiteral(":/pics/%1.png").arg(QString::fromLatin1(picName(pic)));
        if (!pictures_[i].load(path))
            std::fprintf(stderr, "tolvan: missing picture %s\n", qPrintable(path));
    }
    return pictures_[i];
}

void CanvasWidget::paintPicture(Pic pic, double x, double y) {
    const QImage& img = picture(pic);
    if (img.isNull()) return;
    QPainter p(&image_);
    p.drawImage(QPoint(twipsToPixels(x), twipsToPixels(y)), img);
    update();
}

void CanvasWidget::box(double x1, double y1, double x2, double y2, int color) {
    int l = twipsToPixels(x1), t = twipsToPixels(y1);
    int r = twipsToPixels(x2), b = twipsToPixels(y2);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    // Both corners belong to the outline; drawn as four one-pixel strips so the
    // result does not depend on the paint engine's stroking rules.
    QPainter p(&image_);
    QColor c = paletteColor(color);
    p.fillRect(QRect(l, t, r - l + 1, 1), c);
    p.fillRect(QRect(l, b, r - l + 1, 1), c);
    p.fillRect(QRect(l, t, 1, b - t + 1), c);
    p.fillRect(QRect(r, t, 1, b - t + 1), c);
    update();
}

void CanvasWidget::circle(double x, double y, double r, int color) {
    int cx = twipsToPixels(x), cy = twipsToPixels(y);
    double rp = r / 15.0;
    int reach = static_cast<int>(std::floor(rp));
    QRgb c = paletteColor(color).rgb();
    // Every pixel whose distance from the centre pixel is within the radius: a round,
    // symmetric dot (a 50-twip radius gives 7 pixels across).
    for (int dy = -reach; dy <= reach; ++dy) {
        int py = cy + dy;
        if (py < 0 || py >= image_.height()) continue;
        for (int dx = -reach; dx <= reach; ++dx) {
            int px = cx + dx;
            if (px < 0 || px >= image_.width()) continue;
            if (dx * dx + dy * dy <= rp * rp) image_.setPixel(px, py, c);
        }
    }
    update();
}

namespace {

// The window font at a size in points, taken at 96 dots per inch whatever the screen says.
QFont windowFont(double size, bool bold) {
    QFont font(windowFontFamily());
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * 96.0 / 72.0))));
    font.setBold(bold);
    // The stand-in Mincho has narrower blanks than the face the texts were laid out for;
    // widening them keeps blank-separated layouts, like the column letters, in place.
    font.setWordSpacing(font.pixelSize() * 0.17);
    return font;
}

}  // namespace

void CanvasWidget::text(double x, double y, const std::string& s, double size, int color,
                        bool bold) {
    const QFont font = windowFont(size, bold);
    QPainter p(&image_);
    p.setFont(font);
    p.setPen(paletteColor(color));
    QFontMetrics fm(font);
    p.drawText(QPoint(twipsToPixels(x), twipsToPixels(y) + fm.ascent()), QString::fromStdString(s));
    update();
}

void CanvasWidget::textCentred(double x, double y, const std::string& s, double size, int color,
                               bool bold) {
    const QFont font = windowFont(size, bold);
    const QString str = QString::fromStdString(s);
    // The glyphs' outlines give the inked box; the metrics' box would add the face's
    // side bearings and line gap, which differ from face to face.
    QPainterPath outline;
    outline.addText(0, 0, font, str);
    const QRectF ink = outline.boundingRect();
    // The centre of the pixel that (x, y) falls on.
    const double cx = twipsToPixels(x) + 0.5, cy = twipsToPixels(y) + 0.5;
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
    if (viewScale_ == 1.0) {
        p.drawImage(QPoint(0, 0), image_);
        return;
    }
    // Scaled smoothly straight to the device's pixels, so that a high-density screen
    // loses no more detail than the smaller window must.
    const double device = devicePixelRatioF();
    QImage shown = image_.scaled((QSizeF(image_.size()) * viewScale_ * device).toSize(),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shown.setDevicePixelRatio(device);
    p.drawImage(QPoint(0, 0), shown);
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    QPointF at = event->position() / viewScale_;
    if (onMousePress)
        onMousePress(QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))));
}

}  // namespace tolvan
