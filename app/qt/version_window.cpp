#include "app/qt/version_window.h"

#include <QPainter>
#include <QPushButton>

#include "app/qt/canvas_widget.h"

namespace tolvan {

namespace {

QRect twipsRect(int x, int y, int w, int h) {
    return QRect(twipsToPixels(x), twipsToPixels(y), twipsToPixels(w), twipsToPixels(h));
}

}  // namespace

VersionWindow::VersionWindow(QWidget* parent)
    : QDialog(parent) {
    loadPictureResources();
    picture_.load(QStringLiteral(":/pics/VERSION.png"));
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf8("バージョン情報"));
    setModal(true);
    setFixedSize(twipsToPixels(4995), twipsToPixels(1530));

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
