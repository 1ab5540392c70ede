#include "app/qt/dialogs.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/qt/version_window.h"

namespace tolvan {

Answer DialogsPort::msgBox(const std::string& prompt, Buttons buttons, const std::string& title,
                           Icon icon) {
    if (answerHook) return answerHook(prompt, buttons, title, icon);

    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QString::fromStdString(title), QString::fromStdString(prompt),
                    QMessageBox::NoButton, parent_);
    // The captions are the game's own, whatever the system's language: the manual tells
    // the player to answer 「はい」.
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(QString::fromUtf8("はい"));
        box.button(QMessageBox::No)->setText(QString::fromUtf8("いいえ"));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
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
