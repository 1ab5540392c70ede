// Tolvan: a game of Go against the computer on a board of 19, 13 or 9 lines.
//
//   tolvan [RECORD.sgf]        plays, with the game record open when one is named
//   tolvan --screenshot FILE   starts up, writes the window's picture to FILE (PNG), ends
//          [--scale PERCENT]   ... at that 表示の大きさ instead of the one in the settings
//   tolvan --review IN OUT     reviews the record IN with GNU Go, as 検討 does, and
//                              writes it with the review to OUT; no window

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>

#include <array>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "game/board_size.h"
#include "window/canvas_widget.h"
#include "window/dialogs.h"
#include "window/main_window.h"
#include "window/picture_cache.h"
#include "search/patterns.h"
#include "window/review_command.h"
#include "game/tolvan.h"

namespace {

struct Options {
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QStringLiteral("Write the window's picture after start-up to <file> and end."),
                                  QStringLiteral("file")};
    QCommandLineOption review{QStringLiteral("review"),
                              QStringLiteral("Review the record <in.sgf> with GNU Go, as 検討 does, and write it "
                                             "with the review to <out.sgf>; no window is opened."),
                              QStringLiteral("in.sgf> <out.sgf")};
    QCommandLineOption scale{QStringLiteral("scale"),
                             QStringLiteral("With --screenshot: the window's size in per cent "
                                            "(100, 133, 167, 200 or 300) instead of the one in the settings."),
                             QStringLiteral("percent")};

    explicit Options(QCommandLineParser& parser) {
        parser.addOption(screenshot);
        parser.addOption(scale);
        parser.addOption(review);
        parser.addHelpOption();
        parser.addPositionalArgument(QStringLiteral("record"),
                                     QStringLiteral("A game record (SGF) to open at start-up, as 棋譜を開く does."),
                                     QStringLiteral("[record.sgf]"));
    }
};

// Whether the command line asks for the help, which needs no window system. The help
// with Qt's options (--help-all) lists the window system's options only when there is one.
bool asksForHelp(int argc, char** argv, bool orAll) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0 ||
            (orAll && std::strcmp(argv[i], "--help-all") == 0))
            return true;
    return false;
}

// Qt's file dialog writes sizes ("bytes") and dates ("8 Dec") in the system's locale,
// which Qt reads from the environment once, when it is first asked. The game speaks
// Japanese whatever the desktop's language: the environment says Japanese for messages
// and times while the application is made and the locale read, and is then put back,
// with the C library's locale, so that nothing else changes.
class JapaneseSystemLocale {
public:
    JapaneseSystemLocale() {
        for (std::size_t i = 0; i < names.size(); ++i) kept_[i] = qgetenv(names[i]);
        qunsetenv("LC_ALL");
        qputenv("LC_MESSAGES", "ja_JP.UTF-8");
        qputenv("LC_TIME", "ja_JP.UTF-8");
    }
    // Once the application is made.
    void settle() {
        (void)QLocale::system();
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        for (std::size_t i = 0; i < names.size(); ++i)
            kept_[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], kept_[i]);
        std::setlocale(LC_ALL, "");
    }

private:
    static constexpr std::array<const char*, 3> names{"LC_ALL", "LC_MESSAGES", "LC_TIME"};
    std::array<QByteArray, 3> kept_;
};

}  // namespace

int main(int argc, char** argv) {
    // The search's pattern table, shipped beside the program: without it (a copy that
    // lost the file) the search plays with its built-in shapes.
    if (const auto why = tolvan::search::useShippedPatterns(
            tolvan::placesOfThisProgram().dataFile(tolvan::search::patterns_file)))
        std::fprintf(stderr, "tolvan: the search's pattern table cannot be read (%s); using built-in shapes\n",
                     why->c_str());
    // A review from the command line needs no window, nor a desktop.
    if (argc >= 2 && std::strcmp(argv[1], "--review") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "tolvan: --review IN.sgf OUT.sgf\n");
            return 2;
        }
        return tolvan::reviewFiles(argv[2], argv[3], stderr);
    }
    const bool noDesktop = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    // The help is printed (and the program ends) before anything needs a display.
    if (asksForHelp(argc, argv, noDesktop)) {
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        Options options(parser);
        parser.process(core);
    }
    // Without a desktop Qt would abort with a message about platform plugins; say what
    // is missing instead. A platform chosen explicitly (offscreen, for screenshots and
    // tests) needs no display.
    if (noDesktop) {
        std::fprintf(stderr,
                     "tolvan: no graphical desktop here (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "tolvan: start it from a desktop session; for a picture without one, run\n"
                     "tolvan:   QT_QPA_PLATFORM=offscreen tolvan --screenshot FILE.png\n");
        return 1;
    }
    JapaneseSystemLocale japanese;
    QApplication app(argc, argv);
    japanese.settle();
    QApplication::setApplicationName(QStringLiteral("Tolvan"));
    tolvan::loadJapaneseQtTexts();
    // An installed game has a desktop entry and an icon of this name: the desktop shows
    // the window with them.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tolvan_go.Tolvan"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tolvan")));

    QCommandLineParser parser;
    const Options options(parser);
    const QCommandLineOption& screenshot = options.screenshot;
    const QCommandLineOption& scale = options.scale;
    parser.process(app);

    // Pictures painted for sizes other than the shipped one are kept for later starts.
    tolvan::PictureCache pictures(QString::fromStdString(tolvan::placesOfThisProgram().picturesFolder()),
                                  tolvan::programBuild());
    tolvan::usePictureCache(&pictures);
    tolvan::MainWindow window;
    const QString shotFile = parser.value(screenshot);
    int shotPercent = 0;
    if (parser.isSet(scale)) {
        bool number = false;
        shotPercent = parser.value(scale).toInt(&number);
        if (!number || !tolvan::isBoardSize(shotPercent) || shotFile.isEmpty()) {
            std::fprintf(stderr, "tolvan: --scale takes 100, 133, 167, 200 or 300, with --screenshot\n");
            return 2;
        }
    }
    const QStringList records = parser.positionalArguments();
    if (records.size() > 1) {
        std::fprintf(stderr, "tolvan: one game record at a time\n");
        return 2;
    }
    if (!shotFile.isEmpty()) {
        // The picture is taken whatever the screen's size.
        window.ignoreScreenSize();
        // Nobody is there to click: message boxes take their first button and are logged.
        window.dialogs().answerHook = [](const std::string& prompt, tolvan::Buttons buttons,
                                         const std::string& title, tolvan::Icon) {
            std::fprintf(stderr, "tolvan: [%s] %s\n", title.c_str(), prompt.c_str());
            return buttons == tolvan::Buttons::YesNo ? tolvan::Answer::Yes : tolvan::Answer::OK;
        };
        window.dialogs().versionHook = [] { return tolvan::VersionButton::OK; };
    }

    if (!window.start()) return 0;
    if (!records.isEmpty()) window.openRecord(QFileInfo(records.first()).absoluteFilePath());

    if (!shotFile.isEmpty()) {
        if (shotPercent != 0 && shotPercent != window.sizePercent())
            tolvan::showBoardSize(window.game(), shotPercent);
        QApplication::processEvents();
        bool saved = window.canvas().image().save(shotFile, "PNG");
        if (!saved) std::fprintf(stderr, "tolvan: cannot write %s\n", qPrintable(shotFile));
        window.close();
        pictures.writeKept();
        return saved ? 0 : 1;
    }
    const int status = app.exec();
    // The pictures painted since the window came up (another size was chosen).
    pictures.writeKept();
    return status;
}
