// The version window (Form2): the version picture with two buttons, shown modally.
#pragma once

#include <QDialog>
#include <QImage>

#include "platform/port.h"

class QPushButton;

namespace tolvan {

class VersionWindow : public QDialog {
    Q_OBJECT
public:
    // At `percent` per cent of its own size, like the main window.
    explicit VersionWindow(QWidget* parent = nullptr, int percent = 100);

    const QImage& picture() const { return picture_; }

    // Shows the window modally; returns the button that closed it.
    VersionButton run();

    QPushButton* homePageButton() const { return command1_; }
    QPushButton* okButton() const { return command2_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
    QPushButton* command1_;
    QPushButton* command2_;
    VersionButton pressed_ = VersionButton::Closed;
};

}  // namespace tolvan
