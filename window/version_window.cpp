#include "window/version_window.h"

#include <QPainter>
#include <QPushButton>

#include <cmath>

#include "window/canvas_widget.h"

namespace tolvan {

namespace {

// Twips to the window's pixels at `percent` per cent.
int scaled(int twips, int percent) {
    return percent == 100 ? twipsToPixels(twips)
                          : static_cast<int>(std::lround(twips / 15.0 * percent / 100.0));
}

}  // namespace

VersionWindow::VersionWindow(QWidget* parent, int percent)
    : QDialog(parent) {
    auto twipsRect = [percent](int x, int y, int w, int h) {
        return QRect(scaled(x, percent), scaled(y, percent), scaled(w, percent), scaled(h, percent));
    };
    // The picture is painted for the screen's own pixels.
    const double dpr = parent ? parent->devicePixelRatioF() : devicePixelRatioF();
    picture_ = pictureAt(QStringLiteral("VERSION"), cellPixels(percent, dpr));
    picture_.setDevicePixelRatio(dpr);
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf8("バージョン情報"));
    setModal(true);
    setFixedSize(scaled(4995, percent), scaled(1530, percent));

    command1_ = new QPushButton(QString::fromUtf8("ホームページ"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twipsRect(600, 1080, 1575, 375));
    command1_->setAutoDefault(false);

    command2_ = new QPushButton(QString::fromUtf8("O K"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setGeometry(twipsRect(2880, 1080, 1575, 375));
    command2_->setDefault(true);

    connect(command1_, &QPushButton::clicked, this, [this] {
        pressed_ = VersionButton::HomePage;
        accept();
    });
    connect(command2_, &QPushButton::clicked, this, [this] {
        pressed_ = VersionButton::OK;
        accept();
    });
}

VersionButton VersionWindow::run() {
    pressed_ = VersionButton::Closed;
    exec();
    return pressed_;
}

void VersionWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(QPoint(0, 0), picture_);
}

}  // namespace tolvan
