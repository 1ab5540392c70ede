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

// Twips to pixels: the one rounding rule of the program.
int twipsToPixels(double twips);

// The colour of a palette index 0..15 (QBColor); black for anything else.
QColor paletteColor(int index);

// The family of the window font: "ＭＳ Ｐ明朝" when installed, else the closest
// installed proportional Mincho.
QString windowFontFamily();

class CanvasWidget : public QWidget, public Canvas {
    Q_OBJECT
public:
    CanvasWidget(QSize imageSize, QWidget* parent = nullptr);

    // A press of a mouse button at a pixel of the canvas.
    std::function<void(QPoint)> onMousePress;

    const QImage& image() const { return image_; }

    // The scale at which the widget shows the image and maps presses back to it: 1 (pixel
    // for pixel) unless the window had to be made smaller than the image to fit the screen.
    void setViewScale(double scale);
    double viewScale() const { return viewScale_; }

    void paintPicture(Pic pic, double x, double y) override;
    void box(double x1, double y1, double x2, double y2, int color) override;
    void circle(double x, double y, double r, int color) override;
    void text(double x, double y, const std::string& s, double size, int color,
              bool bold) override;
    void textCentred(double x, double y, const std::string& s, double size, int color,
                     bool bold) override;
    void refresh() override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const QImage& picture(Pic pic);

    QImage image_;
    std::array<QImage, static_cast<int>(Pic::Count)> pictures_;
    std::array<bool, static_cast<int>(Pic::Count)> tried_{};
    double viewScale_ = 1.0;
};

}  // namespace tolvan
