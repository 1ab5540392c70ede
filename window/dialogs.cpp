#include "window/dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

#include "window/version_window.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tolvan {

bool loadJapaneseQtTexts() {
    static QTranslator translator;
    if (!translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}

std::string withJapaneseErrors(const std::string& message) {
    static const std::pair<int, const char*> known[] = {
        {EACCES, "アクセスが許可されていません"},
        {EPERM, "操作が許可されていません"},
        {ENOENT, "ファイルまたはフォルダがありません"},
        {ENOSPC, "ディスクに空きがありません"},
        {EDQUOT, "ディスクの使用量の上限を超えました"},
        {EROFS, "書き込みのできない場所です"},
        {EISDIR, "フォルダです"},
        {ENOTDIR, "フォルダではありません"},
        {ENAMETOOLONG, "名前が長すぎます"},
        {EIO, "読み書きに失敗しました"},
        {EEXIST, "同じ名前のものがすでにあります"},
    };
    std::string text = message;
    for (const auto& [code, japanese] : known) {
        const std::string system = std::strerror(code);
        const std::string shown = std::string(japanese) + "：" + system;
        for (std::size_t at = text.find(system); at != std::string::npos; at = text.find(system, at)) {
            text.replace(at, system.size(), shown);
            at += shown.size();
        }
    }
    return text;
}

Answer DialogsPort::msgBox(const std::string& message, Buttons buttons, const std::string& title,
                           Icon icon) {
    const std::string prompt = withJapaneseErrors(message);
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
    // A message box lays its text out no narrower than 500 pixels before it wraps lines;
    // the limit grows with the size, so that the text keeps its lines at every size.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")); label && sizePercent != 100) {
        int longest = 0;
        for (const QString& line : label->text().split(QRegularExpression(QStringLiteral("[\r\n]"))))
            longest = std::max(longest, label->fontMetrics().horizontalAdvance(line));
        label->setMinimumWidth(std::min(longest, 500 * sizePercent / 100));
    }
    box.setWindowModality(Qt::ApplicationModal);
    int pressed = box.exec();
    if (buttons == Buttons::YesNo) return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::OK;
}

namespace {

// Qt's own file dialog gives its columns after the name widths measured on English texts
// ("128.88 GB"); the Japanese ones ("38 バイト", "sgf ファイル", the dates) are wider and
// would be cut. Those columns are made as wide as what they show each time a folder's
// files have been read. The desktop's own dialog has no such view and is left alone.
void fitFileColumns(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>();
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!view || !model) return;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view](const QString&) {
        // After the view has taken in the rows the model has just sorted.
        QTimer::singleShot(0, view, [view] {
            for (int column = 1; column < view->header()->count(); ++column) view->resizeColumnToContents(column);
        });
    });
}

// The desktop may leave no window active once its file dialog has closed; the game's
// keys (Ctrl+S, the arrows) reach only the active window, so it is made active again.
void activateAgain(QWidget* parent) {
    if (parent) parent->window()->activateWindow();
}

}  // namespace

// The desktop's standard file dialogs. A name chosen for saving without the filter's
// extension gets it, as the filter shows only such files.
std::optional<std::string> DialogsPort::chooseFile(FileChoice choice, const std::string& title,
                                                   const std::string& folder,
                                                   const std::string& filter) {
    if (fileHook) return fileHook(choice, title, folder, filter);
    const QString filters = QString::fromStdString(filter);
    QFileDialog dialog(parent_, QString::fromStdString(title), QString::fromStdString(folder), filters);
    if (choice == FileChoice::Open) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // A name typed without the filter's extension ("棋譜 (*.sgf)" -> "sgf") gets it.
        // The game asks before it replaces a file, and says what a file it came from
        // would lose: the dialog's own question would come first and say less.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const int star = filters.indexOf(QStringLiteral("*."));
        if (star >= 0) dialog.setDefaultSuffix(filters.mid(star + 2).section(QLatin1Char(')'), 0, 0));
    }
    fitFileColumns(dialog);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    activateAgain(parent_);
    if (!chosen) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> DialogsPort::askText(const std::string& prompt, const std::string& title,
                                               const std::string& initial) {
    if (textHook) return textHook(prompt, title, initial);
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, QString::fromStdString(title),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

VersionButton DialogsPort::showVersion() {
    if (versionHook) return versionHook();
    VersionWindow window(parent_, sizePercent);
    return window.run();
}

}  // namespace tolvan
