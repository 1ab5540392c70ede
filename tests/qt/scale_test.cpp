// 表示の大きさ in the real window, offscreen: the picture at 200 % (and at 100 % on a screen
// of device pixel ratio 2) is drawn at its own pixels, not enlarged; grid lines keep one
// thickness; presses land on their points at every size; the version window, the texts
// of the window's widgets and `--screenshot` follow the size.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "game/board_size.h"
#include "window/canvas_widget.h"
#include "window/main_window.h"
#include "window/version_window.h"
#include "game/tolvan.h"
#include "qt_support.h"

namespace tolvan {
namespace {


class QtScaleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(settingsDir.isValid());
        window = std::make_unique<MainWindow>();
        if (!bigScreen()) GTEST_SKIP() << "needs a screen of at least 1900 x 1700 (screen-7680x4320.json)";
        window->dialogs().answerHook = [](const std::string&, Buttons b, const std::string&, Icon) {
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
        window->game().settings_file = settingsDir.filePath("Tolvan.ini").toStdString();
        window->game().kept.folder = settingsDir.filePath("games").toStdString();
        ASSERT_TRUE(window->start());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        // The next window starts at 100 % with the desktop's font.
        if (window && window->sizePercent() != 100) window->setSize(100);
    }

    // Big enough for the window at 300 %.
    bool bigScreen() {
        const QRect area = window->screen()->availableGeometry();
        return area.width() >= 1900 && area.height() >= 1700;
    }
    CanvasWidget& canvas() { return window->canvas(); }
    // The device pixel of the top-left corner of board cell (i, j).
    QPoint tile(int i, int j) {
        return canvas().toPixels(board_left + i * cell_width, board_top + j * cell_height);
    }
    // The centre of board point (i, j) in the canvas widget's own coordinates.
    QPointF centreShown(int i, int j) {
        const double half = canvas().cell() / 2.0;
        return (QPointF(tile(i, j)) + QPointF(half, half)) / canvas().devicePixelRatioShown() *
               canvas().viewScale();
    }
    void choose(const char* item) { window->findChild<QAction*>(item)->trigger(); }
    // A game of a few moves with the move numbers shown.
    void playSomeMoves() {
        choose("TAIMAN");
        for (auto [x, y] : std::vector<std::pair<int, int>>{{4, 4}, {16, 16}, {4, 16}, {10, 10}, {17, 4}})
            QTest::mouseClick(&canvas(), Qt::LeftButton, {}, centreShown(x, y).toPoint());
        if (!window->menu().checked("BANGOU")) choose("BANGOU");
        ASSERT_EQ(window->game().s.move_no, 5);
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<MainWindow> window;
};

// The lengths of the runs of black pixels along row y of the board's empty tiles
// (every line crossing the row), and along column x.
std::map<int, int> blackRuns(const QImage& img, QPoint from, QPoint step, int count) {
    std::map<int, int> runs;  // run length -> how many
    int run = 0;
    QPoint at = from;
    for (int i = 0; i < count; ++i, at += step) {
        if (img.pixelColor(at) == QColor(0, 0, 0)) {
            ++run;
        } else if (run > 0) {
            ++runs[run];
            run = 0;
        }
    }
    return runs;
}

TEST_F(QtScaleTest, EveryGridLineHasOneThicknessAtEverySize) {
    for (int percent : board_sizes) {
        choose(boardSizeItem(percent).c_str());
        ASSERT_EQ(window->sizePercent(), percent);
        const QImage& img = canvas().image();
        const int cell = canvas().cell();
        // Across row 8 and down column 12, a quarter of a cell off their own lines: the
        // nineteen lines that cross them, all equally thick.
        const auto across = blackRuns(img, tile(1, 8) + QPoint(0, cell / 4), QPoint(1, 0), 19 * cell);
        const auto down = blackRuns(img, tile(12, 1) + QPoint(cell / 4, 0), QPoint(0, 1), 19 * cell);
        ASSERT_EQ(across.size(), 1u) << percent << "% has lines of several thicknesses";
        ASSERT_EQ(down.size(), 1u) << percent << "%";
        EXPECT_EQ(across.begin()->second, 19) << percent << "%";
        EXPECT_EQ(across.begin()->first, down.begin()->first) << percent << "%";
        EXPECT_GE(across.begin()->first, 1);
        EXPECT_LE(across.begin()->first, std::max(1, static_cast<int>(std::lround(cell / 21.0))) + 1);
    }
}

TEST_F(QtScaleTest, TwoHundredPerCentIsPaintedAtItsOwnPixelsNotEnlarged) {
    if (window->devicePixelRatioF() != 1.0) GTEST_SKIP() << "for an ordinary screen";
    playSomeMoves();
    const QImage small = canvas().image().copy();
    ASSERT_EQ(small.size(), QSize(600, 533));
    choose("BAN_200");
    const QImage& big = canvas().image();
    ASSERT_EQ(big.size(), QSize(1200, 1067));
    EXPECT_EQ(window->size(), QSize(1200, 1067));
    EXPECT_TRUE(window->menu().checked("BAN_200"));
    EXPECT_FALSE(window->menu().checked("BAN_100"));
    const QImage blown = small.scaled(1200, 1066, Qt::IgnoreAspectRatio, Qt::FastTransformation);

    // How many pixels of a region differ clearly from the enlargement.
    auto differing = [&](QRect r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor a = big.pixelColor(x, y), b = blown.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 60) ++n;
            }
        return n;
    };
    // The stone on (4, 16) and its move number, and the panel's texts: the enlargement
    // would have the 100 % steps along every edge.
    const QRect stone(tile(4, 16), QSize(42, 42));
    EXPECT_GT(differing(stone), 40) << "the stone's edge and number are the 100 % ones enlarged";
    const QRect panel = QRect(QPoint(0, 0), big.size()).intersected(QRect(tile(21, 3), QSize(42 * 8, 42 * 10)));
    EXPECT_GT(differing(panel), 200) << "the panel's texts are the 100 % ones enlarged";
    // The game is the same, and its stones are where the new tiles are.
    EXPECT_EQ(window->game().s.move_no, 5);
    EXPECT_TRUE(isDark(big.pixelColor(tile(4, 4) + QPoint(10, 21))));
    EXPECT_FALSE(isDark(big.pixelColor(tile(16, 16) + QPoint(10, 21))));
    // The picture reaches the screen pixel for pixel.
    const QImage shown = canvas().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, big.copy(canvas().rect()));
}

TEST_F(QtScaleTest, APressOnACornerPointLandsOnItAtEverySize) {
    for (int percent : board_sizes) {
        choose(boardSizeItem(percent).c_str());
        choose("TAIMAN");
        for (auto [x, y] : std::vector<std::pair<int, int>>{{1, 1}, {19, 1}, {1, 19}, {19, 19}}) {
            QTest::mouseClick(&canvas(), Qt::LeftButton, {}, centreShown(x, y).toPoint());
            EXPECT_NE(window->game().s.board[x][y], stone_empty) << percent << "% at " << x << "," << y;
        }
        EXPECT_EQ(window->game().s.move_no, 4) << percent << "%";
    }
}

// On a 1280 x 1024 screen the window fits up to 167 %.
TEST(QtSmallScreenTest, SizesTheScreenCannotHoldAreGreyedAndNotTaken) {
    ensureApplication();
    QTemporaryDir settingsDir;
    auto window = std::make_unique<MainWindow>();
    const QRect area = window->screen()->availableGeometry();
    if (area.size() != QSize(1280, 1024)) GTEST_SKIP() << "needs the screen of screen-1280x1024.json";
    window->dialogs().answerHook = [](const std::string&, Buttons, const std::string&, Icon) { return Answer::OK; };
    window->game().settings_file = settingsDir.filePath("Tolvan.ini").toStdString();
    ASSERT_TRUE(window->start());
    QMenu* sizes = window->findChild<QMenu*>("BAN_OOKISA");
    ASSERT_NE(sizes, nullptr);
    EXPECT_EQ(sizes->title(), QString::fromUtf8("表示の大きさ"));
    emit sizes->aboutToShow();
    std::string shown;
    for (QAction* a : sizes->actions()) shown += a->text().toStdString() + (a->isEnabled() ? " " : "(灰) ");
    EXPECT_EQ(shown, "100% 133% 167% 200%(灰) 300%(灰) ");
    window->game().MenuClick("BAN_300");
    EXPECT_EQ(window->sizePercent(), 100);
    EXPECT_EQ(window->canvas().image().size(), QSize(600, 533));
}

// A screen 1200 pixels high: 200 % (1200 x 1067) fits and is offered, 300 % is not, on
// 19 lines and on 9. The window at 200 % lies wholly on the screen when it is chosen in
// the menu, when a window manager puts it back lower afterwards (at y = 152 its bottom
// went 19 pixels off the screen), and when the settings file asks for it at start-up.
TEST(QtTallScreenTest, TwoHundredPerCentLiesWhollyOnTheScreen) {
    ensureApplication();
    QTemporaryDir settingsDir;
    std::unique_ptr<MainWindow> window;
    auto open = [&] {
        window = std::make_unique<MainWindow>();
        window->dialogs().answerHook = [](const std::string&, Buttons b, const std::string&, Icon) {
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
        window->game().settings_file = settingsDir.filePath("Tolvan.ini").toStdString();
        window->game().kept.folder = settingsDir.filePath("games").toStdString();
        ASSERT_TRUE(window->start());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    };
    open();
    const QRect area = window->screen()->availableGeometry();
    if (area.size() != QSize(1920, 1200)) GTEST_SKIP() << "needs the screen of screen-1920x1200.json";
    auto offered = [&] {
        QMenu* sizes = window->findChild<QMenu*>("BAN_OOKISA");
        emit sizes->aboutToShow();
        std::string shown;
        for (QAction* a : sizes->actions()) shown += a->text().toStdString() + (a->isEnabled() ? " " : "(灰) ");
        return shown;
    };
    auto onScreen = [&] {
        QCoreApplication::processEvents();
        return area.contains(window->frameGeometry());
    };
    EXPECT_EQ(offered(), "100% 133% 167% 200% 300%(灰) ");
    const QPoint placed = area.topLeft() + QPoint(300, 152);
    window->move(placed);
    window->findChild<QAction*>("BAN_200")->trigger();
    EXPECT_EQ(window->sizePercent(), 200);
    EXPECT_EQ(window->size(), QSize(1200, 1067));
    EXPECT_EQ(window->canvas().viewScale(), 1.0);
    EXPECT_TRUE(onScreen());
    window->move(placed);
    EXPECT_TRUE(onScreen()) << "put back at 300,152 by the window manager";

    window->findChild<QAction*>("GOBAN_9")->trigger();
    EXPECT_EQ(window->size(), QSize(1196, 1033));
    EXPECT_TRUE(onScreen());
    EXPECT_EQ(offered(), "100% 133% 167% 200% 300%(灰) ");

    // The settings file now asks for 9 lines at 200 %.
    window.reset();
    open();
    EXPECT_EQ(window->sizePercent(), 200);
    EXPECT_EQ(window->size(), QSize(1196, 1033));
    EXPECT_TRUE(onScreen());
    window->move(placed);
    EXPECT_TRUE(onScreen()) << "put at 300,152 by the window manager";
    // The next window starts at 100 % with the desktop's font.
    window->setSize(100);
}

TEST_F(QtScaleTest, TheVersionWindowAndTheWidgetsTextsFollowTheSize) {
    const QFont desktop = QApplication::font();
    VersionWindow own(window.get(), 100);
    VersionWindow twice(window.get(), 200);
    EXPECT_EQ(own.size(), QSize(333, 102));
    EXPECT_EQ(twice.size(), QSize(666, 204));
    EXPECT_EQ(twice.okButton()->geometry(), QRect(384, 144, 210, 50));
    const double dpr = window->devicePixelRatioF();
    EXPECT_EQ(twice.picture().size(), QSize(674, 212) * dpr);
    // Painted for its size, not the 100 % picture enlarged.
    EXPECT_NE(twice.picture(), own.picture().scaled(twice.picture().size(), Qt::IgnoreAspectRatio,
                                                    Qt::FastTransformation));

    choose("BAN_167");
    EXPECT_NEAR(QApplication::font().pointSizeF(), desktop.pointSizeF() * 1.67, 0.01);
    choose("BAN_100");
    EXPECT_EQ(QApplication::font(), desktop);
}

// At 300 % menus and message boxes hold their texts as at 100 %: the room beside a menu's
// texts grows with them, the message keeps its lines, and OK and the message have an em
// of room to the button's and the box's edges.
TEST_F(QtScaleTest, MenusAndMessageBoxesFitTheirTextsAtEverySize) {
    struct Measures {
        int menuRoom = 0, okRoom = 0, messageLeft = 0, messageHeight = 0, em = 0;
    };
    auto atSize = [&](const char* size) {
        choose(size);
        Measures m;
        QMenu* option = window->findChild<QMenu*>("OPTION");
        int longest = 0;
        for (QAction* a : option->actions()) longest = std::max(longest, option->fontMetrics().horizontalAdvance(a->text()));
        m.menuRoom = option->sizeHint().width() - longest;
        window->dialogs().answerHook = nullptr;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            const QLabel* label = box->findChild<QLabel*>("qt_msgbox_label");
            m.okRoom = ok->width() - ok->fontMetrics().horizontalAdvance(ok->text());
            m.messageLeft = label->geometry().left();
            m.messageHeight = label->height();
            m.em = label->fontMetrics().height();
            ok->click();
        });
        window->dialogs().msgBox("対局中の棋譜は消えます。\n棋譜を開いてよろしいですか？", Buttons::OK, "棋譜を開く");
        return m;
    };
    const Measures small = atSize("BAN_100"), large = atSize("BAN_300");
    EXPECT_GE(large.menuRoom, small.menuRoom * 2.5);
    EXPECT_GE(large.messageHeight, small.messageHeight * 2.5);
    EXPECT_LE(large.messageHeight, small.messageHeight * 3.5) << "the message was broken into more lines";
    EXPECT_GE(large.okRoom, large.em);
    EXPECT_GE(large.messageLeft, large.em);
}

// On a screen of device pixel ratio 2 (run with QT_SCALE_FACTOR=2), 100 % is the window's
// own size in the desktop's units, and its picture is the one painted for 200 %.
TEST_F(QtScaleTest, ADevicePixelRatioOfTwoGetsThePictureOfTwiceTheCell) {
    if (window->devicePixelRatioF() != 2.0) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    playSomeMoves();
    EXPECT_EQ(canvas().cell(), 42);
    EXPECT_EQ(canvas().image().size(), QSize(1200, 1067));
    EXPECT_EQ(window->size(), QSize(600, 534));
    const QImage hidpi = canvas().image().copy();
    const QImage shown = canvas().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.size(), canvas().size() * 2);
    EXPECT_EQ(shown, hidpi.copy(QRect(QPoint(0, 0), shown.size())));
    // The tiles are the ones painted for a cell of 42 pixels, not the 21-pixel ones
    // enlarged.
    const QImage corner = hidpi.copy(QRect(tile(1, 1), QSize(42, 42)));
    const QImage painted = pictureAt("KARAUEHIDARI", 42).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(corner, painted);
    EXPECT_NE(corner, pictureAt("KARAUEHIDARI", 21).scaled(42, 42).convertToFormat(QImage::Format_RGB32));
}

// `tolvan --screenshot` takes the size from the settings file, or from --scale. The
// program is a portable copy (with its book beside it, so its settings are there too),
// started from another folder.
TEST(QtScreenshotTest, TakesTheSizeFromTheSettingsOrTheCommandLine) {
    QTemporaryDir dir, portable;
    ASSERT_TRUE(dir.isValid() && portable.isValid());
    const QString program = portable.filePath("tolvan");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVAN_PROGRAM), program)) << TOLVAN_PROGRAM;
    ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(TOLVAN_PROGRAM)).dir().filePath(QString::fromUtf8("Tolvan.定石")),
                            portable.filePath(QString::fromUtf8("Tolvan.定石"))));
    {
        QFile ini(portable.filePath("Tolvan.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("BGM=OFF\r\n\x94\xd5\x82\xcc\x91\xe5\x82\xab\x82\xb3=167\r\n");
    }
    auto shot = [&](const QStringList& extra) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("QT_SCALE_FACTOR");
        p.setProcessEnvironment(env);
        const QString file = dir.filePath("shot.png");
        QFile::remove(file);
        p.start(program, QStringList{"--screenshot", file} + extra);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::make_pair(p.exitCode(), QImage(file).size());
    };
    EXPECT_EQ(shot({}), std::make_pair(0, QSize(1000, 889)));
    EXPECT_EQ(shot({"--scale", "300"}), std::make_pair(0, QSize(1800, 1600)));
    EXPECT_EQ(shot({"--scale", "100"}), std::make_pair(0, QSize(600, 533)));
    EXPECT_EQ(shot({"--scale", "150"}).first, 2);
}

}  // namespace
}  // namespace tolvan
