// Message boxes and the version window. Either can be answered by a hook instead of a
// window, so that a caller that cannot click (a test, a screenshot run) never blocks.
#pragma once

#include <functional>
#include <string>

#include "platform/port.h"

class QWidget;

namespace tolvan {

class DialogsPort : public Dialogs {
public:
    explicit DialogsPort(QWidget* parent) : parent_(parent) {}

    // The size the window is shown at, in per cent: the version window follows it.
    int sizePercent = 100;

    // When set, called instead of showing a message box; its result is the answer.
    std::function<Answer(const std::string& prompt, Buttons buttons, const std::string& title,
                         Icon icon)>
        answerHook;
    // When set, called instead of showing the version window.
    std::function<VersionButton()> versionHook;
    // When set, called instead of showing a file dialog; its result is the answer.
    std::function<std::optional<std::string>(FileChoice choice, const std::string& title,
                                             const std::string& folder, const std::string& filter)>
        fileHook;

    Answer msgBox(const std::string& prompt, Buttons buttons, const std::string& title,
                  Icon icon = Icon::None) override;
    VersionButton showVersion() override;
    std::optional<std::string> chooseFile(FileChoice choice, const std::string& title,
                                          const std::string& folder,
                                          const std::string& filter) override;
    // When set, called instead of asking for a line of text.
    std::function<std::optional<std::string>(const std::string& prompt, const std::string& title,
                                             const std::string& initial)>
        textHook;
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& initial) override;

private:
    QWidget* parent_;
};

// Qt's own texts (the file dialogs, their questions, the standard buttons) in Japanese,
// whatever the system's language: Qt's Japanese translation from its translations
// folder. False when it is not installed; the texts then stay English.
bool loadJapaneseQtTexts();

// A message with the system's words for a few common errors ("Permission denied")
// preceded by their Japanese.
std::string withJapaneseErrors(const std::string& message);

}  // namespace tolvan
