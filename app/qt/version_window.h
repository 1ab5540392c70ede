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
    explicit VersionWindow(QWidget* parent = nullptr);

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
