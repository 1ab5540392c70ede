#include "app/qt/dialogs.h"

#include <QMessageBox>

#include "app/qt/version_window.h"

namespace tolvan {

Answer DialogsPort::msgBox(const std::string& prompt, Buttons buttons, const std::string& title,
                           Icon icon) {
    if (answerHook) return answerHook(prompt, buttons, title, icon);

    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QString::fromStdString(title), QString::fromStdString(prompt),
                    QMessageBox::NoButton, parent_);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setWindowModality(Qt::ApplicationModal);
    int pressed = box.exec();
    if (buttons == Buttons::YesNo) return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::OK;
}

VersionButton DialogsPort::showVersion() {
    if (versionHook) return versionHook();
    VersionWindow window(parent_);
    return window.run();
}

}  // namespace tolvan
