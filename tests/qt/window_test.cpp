// The real main window, offscreen: its frame, its menu bar, what start-up draws, and the
// way mouse, keys, menu commands and the close box reach the game.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDragEnterEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyle>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QToolTip>
#include <QDropEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "window/canvas_widget.h"
#include "window/dialogs.h"
#include "window/main_window.h"
#include "window/version_window.h"
#include "game/tolvan.h"
#include "qt_support.h"

namespace tolvan {
namespace {

// The pixel of the canvas at (x, y) twips, through the program's own rounding rule.
QColor pixelAt(MainWindow& w, double x, double y) {
    return w.canvas().image().pixelColor(twipsToPixels(x), twipsToPixels(y));
}

bool isWood(QColor c) { return c.red() > 150 && c.green() > 100 && c.blue() + 40 < c.green(); }
bool isGreenish(QColor c) { return c.green() > c.red() && c.green() > c.blue(); }

class QtWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(settingsDir.isValid());
        window = std::make_unique<MainWindow>();
        // Message boxes are answered here and recorded instead of blocking.
        window->dialogs().answerHook = [this](const std::string& prompt, Buttons b,
                                              const std::string&, Icon) {
            messages.push_back(prompt);
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
        // The run directory's settings stay untouched by the tests.
        window->game().settings_file = settingsDir.filePath("Tolvan.ini").toStdString();
        window->game().kept.folder = settingsDir.filePath("games").toStdString();
        ASSERT_TRUE(window->start());
        // Start-up may warn (no sound device beside the test program); not our concern here.
        messages.clear();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // A press of the left button on the centre of board point (x, y).
    void pressPoint(int x, int y) {
        QPoint p = cellPixel(x, y) + QPoint(10, 10);
        QTest::mouseClick(&window->canvas(), Qt::LeftButton, {}, p);
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
};

TEST_F(QtWindowTest, IsAFixedSizeWindowCaptionedTolvan) {
    EXPECT_EQ(window->windowTitle(), "Tolvan");
    EXPECT_EQ(window->size(), QSize(600, 533));
    EXPECT_EQ(window->minimumSize(), QSize(600, 533));
    EXPECT_EQ(window->maximumSize(), QSize(600, 533));
    // The frame's top-left corner is the available area's.
    QCoreApplication::processEvents();
    EXPECT_EQ(window->frameGeometry().topLeft(), window->screen()->availableGeometry().topLeft());
    EXPECT_EQ(window->pos(), window->screen()->availableGeometry().topLeft());
    // The backing image holds at least the whole client area, and the canvas shows it
    // pixel for pixel.
    EXPECT_GE(window->canvas().image().width(), window->canvas().width());
    EXPECT_GE(window->canvas().image().height(), window->canvas().height());
    const QImage shown = window->canvas().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, window->canvas().image().copy(window->canvas().rect()));
    EXPECT_NE(window->handle(), 0);
}

// ---- The window on the screen ----------------------------------------------------------

// Whatever the screen and its scale, the whole window with its frame lies on the screen's
// available area, and a press on a board point lands on that point. Also run on a
// 1280 x 1024 screen at scales 1.5 and 2, where the window has to be made smaller.
class QtScreenFitTest : public QtWindowTest {};

TEST_F(QtScreenFitTest, WholeFrameLiesOnTheAvailableArea) {
    QCoreApplication::processEvents();  // the check once the window is framed
    const QRect area = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << "frame " << frame.x() << "," << frame.y() << " "
                                      << frame.width() << "x" << frame.height() << " area "
                                      << area.width() << "x" << area.height();
    // A window that fits keeps its size; one that does not is made smaller, no more than
    // the area asks.
    // 600 x 533 on an ordinary screen; on a screen of fractional device pixel ratio the
    // cell is a whole number of the screen's pixels, so the size moves a little.
    const QSize full = window->canvas().logicalSize();
    EXPECT_NEAR(full.width(), 600, 600 * 0.03);
    EXPECT_NEAR(full.height(), 533, 533 * 0.03);
    const QSize frameExtra = frame.size() - window->size();
    if (area.width() >= full.width() + frameExtra.width() &&
        area.height() >= full.height() + frameExtra.height()) {
        EXPECT_EQ(window->size(), full);
        EXPECT_EQ(window->canvas().viewScale(), 1.0);
    } else {
        EXPECT_LT(window->canvas().viewScale(), 1.0);
        EXPECT_TRUE(frame.height() >= area.height() - 2 || frame.width() >= area.width() - 2);
    }
}

TEST_F(QtScreenFitTest, PressesLandOnTheirPointAndTheStonesShow) {
    QCoreApplication::processEvents();
    GameState& s = window->game().s;
    CanvasWidget& canvas = window->canvas();
    // Window pixels at 100 % to what the canvas shows: the cell is a whole number of the
    // screen's pixels, and the window may show the picture smaller to fit.
    const double dpr = canvas.devicePixelRatioShown();
    const double k = canvas.viewScale() * canvas.cell() / 21.0 / dpr;
    auto shownAt = [&](double twipsX, double twipsY, QPointF offset) {
        return QPointF(canvas.toPixels(twipsX, twipsY)) / dpr * canvas.viewScale() + offset * k;
    };
    window->findChild<QAction*>("TAIMAN")->trigger();
    const std::vector<std::pair<int, int>> points = {{10, 10}, {1, 1}, {19, 19}, {4, 16}, {17, 2}};
    for (auto [x, y] : points) {
        // Just inside the point's cell on either side, scaled as the canvas shows it.
        const QPointF at = shownAt(board_left + x * cell_width, board_top + y * cell_height,
                                   QPointF(x % 2 ? 2 : 18.5, y % 2 ? 18.5 : 2));
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, at.toPoint());
        EXPECT_NE(s.board[x][y], stone_empty) << x << "," << y;
    }
    EXPECT_EQ(s.move_no, static_cast<int>(points.size()));
    // The black stone on (10, 10) shows dark where the picture, scaled, puts it.
    const QImage shown = canvas.grab().toImage();
    const double device = shown.devicePixelRatio();
    const QPointF stone = shownAt(board_left + 10 * cell_width, board_top + 10 * cell_height, QPointF(6, 10)) * device;
    EXPECT_TRUE(isDark(shown.pixelColor(stone.toPoint())));
}

TEST_F(QtWindowTest, MenuBarHoldsEveryCommandByNameAndCaption) {
    const std::vector<std::pair<const char*, const char*>> items = {
        {"TAIKYOKU", "対局"},   {"TAIMAN", "対MAN"},       {"TAICOM", "対COM"},
        {"SENTE", "先手"},      {"GOTE", "後手"},          {"KYOKUMEN", "局面"},
        {"KIFU_HOZON", "棋譜を保存..."},                    {"KIFU_HIRAKU", "棋譜を開く..."},
        {"SAISYO", "最初"},     {"GYAKUTEN", "逆転"},      {"MODORU", "戻"},
        {"SUSUMU", "進"},    {"LEBEL_UP", "△"},         {"LEBEL_DOWN", "▽"},
        {"PASU", "パス"},       {"SYUURYO_MENU", "終了"},  {"HANTEI", "勝敗判定"},
        {"SYUURYO", "終了"},    {"OPTION", "ｵﾌﾟｼｮﾝ"},      {"HAIKEI", "背景"},
        {"MIDORI", "緑"},       {"TAKE", "竹"},            {"BANGOU", "手順番号表示"},
        {"SINAN", "置石指南"},  {"BGM", "BGM"},            {"SONOTA", "その他"},
        {"KAISETU", "解説"},    {"VER", "バージョン情報"},
        {"KEISEI", "形勢判断"},
    };
    for (auto [name, caption] : items) {
        QAction* a = window->findChild<QAction*>(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(caption)) << name;
        const bool preference = std::string(name) == "MIDORI" || std::string(name) == "TAKE" ||
                                std::string(name) == "BANGOU" || std::string(name) == "SINAN" ||
                                std::string(name) == "BGM";
        EXPECT_EQ(a->isCheckable(), preference) << name;
    }
    // The commands without a menu of their own sit on the bar itself, in order.
    QStringList onBar;
    for (QAction* a : window->menuBar()->actions()) onBar << a->objectName();
    EXPECT_EQ(onBar, QStringList({"TAIKYOKU", "KYOKUMEN", "MODORU", "SUSUMU", "LEBEL_UP",
                                  "LEBEL_DOWN", "PASU", "SYUURYO_MENU", "OPTION", "SONOTA"}));
}

TEST_F(QtWindowTest, StartUpDrawsBoardOnBackground) {
    const QImage& img = window->canvas().image();
    // Star point (4, 4) carries a dot: black a little off the centre, where the plain
    // intersection (5, 4) beside it shows bare wood.
    QPoint star = cellPixel(4, 4) + QPoint(10, 10);
    QPoint plain = cellPixel(5, 4) + QPoint(10, 10);
    EXPECT_TRUE(isDark(img.pixelColor(star)));
    EXPECT_TRUE(isDark(img.pixelColor(star + QPoint(1, 1))));
    EXPECT_TRUE(isDark(img.pixelColor(plain)));
    EXPECT_TRUE(isWood(img.pixelColor(plain + QPoint(1, 1))));
    EXPECT_TRUE(isWood(img.pixelColor(star + QPoint(6, 6))));

    // Left-edge tile (1, 10): the line runs down the middle and to the right only.
    QPoint edge = cellPixel(1, 10);
    EXPECT_TRUE(isDark(img.pixelColor(edge + QPoint(10, 2))));
    EXPECT_TRUE(isDark(img.pixelColor(edge + QPoint(16, 10))));
    EXPECT_TRUE(isWood(img.pixelColor(edge + QPoint(3, 10))));
    EXPECT_TRUE(isWood(img.pixelColor(edge + QPoint(4, 4))));

    // Beside the board: the background.
    EXPECT_TRUE(isGreenish(pixelAt(*window, 100, 3000)));
}

// Move numbers of one to three digits, on black and on white stones: the ink stays on the
// stone's disc, centred on it, in the colour that stands out from the stone.
TEST_F(QtWindowTest, MoveNumbersSitInTheMiddleOfTheirStones) {
    Tolvan& g = window->game();
    const QImage& img = window->canvas().image();
    const QPoint tile = cellPixel(10, 10);
    const QRect around(tile - QPoint(21, 21), QSize(63, 63));
    for (int stone : {stone_black, stone_white}) {
        for (int n : {1, 7, 10, 57, 99, 100, 123, 888, 999}) {
            SCOPED_TRACE("move " + std::to_string(n) + (stone == stone_black ? " on black" : " on white"));
            g.描画_石(10, 10, stone);
            const QImage before = img.copy(around);
            g.描画_手順番号(10, 10, n, stone == stone_black ? color_white : color_black);
            const QImage after = img.copy(around);
            int inked = 0, contrast = 0;
            QRect box;
            for (int y = 0; y < around.height(); ++y)
                for (int x = 0; x < around.width(); ++x) {
                    if (before.pixel(x, y) == after.pixel(x, y)) continue;
                    ++inked;
                    const QPoint at = around.topLeft() + QPoint(x, y);
                    box |= QRect(at, QSize(1, 1));
                    // Inside the stone's tile, and on its disc around the centre pixel.
                    ASSERT_TRUE(QRect(tile, QSize(21, 21)).contains(at)) << x << "," << y;
                    const QPoint d = at - (tile + QPoint(10, 10));
                    EXPECT_LE(d.x() * d.x() + d.y() * d.y(), 9 * 9) << d.x() << "," << d.y();
                    const int change = qGray(after.pixel(x, y)) - qGray(before.pixel(x, y));
                    if (stone == stone_black ? change > 80 : change < -80) ++contrast;
                }
            EXPECT_GT(inked, 6);
            EXPECT_GT(contrast, 3) << "the digits stand out from the stone";
            // Centred: the inked box's middle is within a pixel of the stone's centre.
            const QPointF mid = QRectF(box).center() - QPointF(tile) - QPointF(10.5, 10.5);
            EXPECT_LE(std::abs(mid.x()), 1.0) << box.x() << " " << box.width();
            EXPECT_LE(std::abs(mid.y()), 1.0) << box.y() << " " << box.height();
        }
    }
}

TEST_F(QtWindowTest, PressOnBoardReachesGameAsTwips) {
    window->findChild<QAction*>("TAIMAN")->trigger();
    ASSERT_EQ(messages, std::vector<std::string>{"先手の番です"});
    pressPoint(10, 10);
    EXPECT_EQ(window->game().s.board[10][10], stone_black);
    EXPECT_TRUE(isDark(window->canvas().image().pixelColor(cellPixel(10, 10) + QPoint(6, 10))));
    pressPoint(11, 10);
    EXPECT_EQ(window->game().s.board[11][10], stone_white);
    const QColor white = window->canvas().image().pixelColor(cellPixel(11, 10) + QPoint(6, 10));
    EXPECT_GT(white.red(), 180);
    EXPECT_GT(white.blue(), 180);
}

TEST_F(QtWindowTest, TheComputerAnswersEveryPressInTheRealWindow) {
    GameState& s = window->game().s;
    window->findChild<QAction*>("SENTE")->trigger();
    ASSERT_EQ(messages, std::vector<std::string>{"MANの番です"});
    messages.clear();
    // The person plays down the left side; the computer answers within each press.
    for (int y = 3; y <= 17; y += 2) {
        const int before = s.move_no;
        pressPoint(3, y);
        if (s.board[3][y] != stone_black) continue;
        EXPECT_EQ(s.move_no, before + 2) << "the computer answers at once";
        EXPECT_EQ(s.turn, stone_black);
        const int k = s.move_no - 1;
        EXPECT_EQ(recordedMove(s, k).colour, stone_white);
        // Its stone is on the screen with the last-move mark in the centre.
        const QColor mark = window->canvas().image().pixelColor(cellPixel(recordedMove(s, k).at.x, recordedMove(s, k).at.y) +
                                                               QPoint(10, 10));
        EXPECT_EQ(mark, QColor(0, 255, 255));
    }
    EXPECT_GE(s.move_no, 12);
    // The person passes; the computer plays on, and the game goes on.
    const int before = s.move_no;
    window->findChild<QAction*>("PASU")->trigger();
    EXPECT_EQ(s.move_no, before + 1);
    EXPECT_EQ(s.turn, stone_black);
    // The judgement on request shows the result and leaves the position as it was.
    const auto board = s.board;
    messages.clear();
    window->findChild<QAction*>("HANTEI")->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("黒[", 0), 0u) << messages[0];
    EXPECT_EQ(s.board, board);
}

// 碁盤 9路 and 13路 in the real window: the board is drawn with larger cells, about as
// large as the 19-line board, in a window no larger than the 19-line one; the panel
// beside it is the 19-line panel pixel for pixel (not enlarged with the board); the star
// points are the board's own, the bottom-right corner is a corner tile, and a press on
// the centre of each corner point and of the centre lands on it at 100 % and 200 %.
TEST_F(QtWindowTest, SmallBoardsAreDrawnLargerBesideTheSamePanel) {
    struct Case {
        int lines;
        QSize window;
        std::vector<std::pair<int, int>> stars;
    };
    const std::vector<Case> cases = {
        {13, {594, 521}, {{4, 4}, {10, 4}, {7, 7}, {4, 10}, {10, 10}}},
        {9, {598, 516}, {{3, 3}, {7, 3}, {5, 5}, {3, 7}, {7, 7}}},
    };
    GameState& s = window->game().s;
    CanvasWidget& canvas = window->canvas();
    auto tile = [&](int i, int j) { return canvas.toPixels(board_left + i * cell_width, board_top + j * cell_height); };
    // The board's width in the picture: from its first wooden pixel to its last, along the
    // middle of the first row's tiles (between the lines), left of the panel.
    auto boardWidth = [&] {
        const QImage& img = canvas.image();
        const int y = tile(1, 1).y() + canvas.boardCell() / 4;
        const int panel = tile(s.size + 1, 1).x();
        int first = -1, last = -1;
        for (int x = 0; x < panel; ++x)
            if (isWood(img.pixelColor(x, y))) {
                if (first < 0) first = x;
                last = x;
            }
        return last - first + 1;
    };
    // The panel: from the column after the board to the window's right edge, down to the
    // eleventh row.
    auto panel = [&] {
        const QPoint from = tile(s.size + 1, 0);
        return canvas.image().copy(QRect(from.x(), 0, canvas.image().width() - from.x(), tile(s.size + 1, 12).y()));
    };
    const int width19 = boardWidth();
    const QImage panel19 = panel();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        window->findChild<QAction*>(QString("GOBAN_%1").arg(c.lines))->trigger();
        ASSERT_EQ(s.size, c.lines);
        EXPECT_TRUE(window->findChild<QAction*>(QString("GOBAN_%1").arg(c.lines))->isChecked());
        if (canvas.devicePixelRatioShown() == 1.0) {
            EXPECT_EQ(canvas.logicalSize(), c.window);
            EXPECT_EQ(window->size(), c.window);
        }
        const int width = boardWidth();
        EXPECT_GE(width, width19 * 0.85) << width << " against " << width19 << " on 19 lines";
        EXPECT_LE(width, width19);
        EXPECT_EQ(panel(), panel19);
        // Every command of the bar stays on it, none behind an overflow button.
        EXPECT_LE(window->menuBar()->sizeHint().width(), window->width());
        const QImage& img = canvas.image();
        const int b = canvas.boardCell();
        const QPoint centre(b / 2 + 1, b / 2 + 1);
        for (auto [x, y] : c.stars) {
            EXPECT_TRUE(isDark(img.pixelColor(tile(x, y) + centre))) << x << "," << y;
            EXPECT_TRUE(isWood(img.pixelColor(tile(x + 1, y) + centre))) << x + 1 << "," << y;
        }
        // The last line's corner: the lines come from the left and from above only.
        const QPoint corner = tile(c.lines, c.lines);
        EXPECT_TRUE(isDark(img.pixelColor(corner + QPoint(4 * b / 21, b / 2))));
        EXPECT_TRUE(isWood(img.pixelColor(corner + QPoint(16 * b / 21, 14 * b / 21))));

        for (int percent : {100, 200}) {
            window->setSize(percent);
            window->game().初期設定();
            window->findChild<QAction*>("TAIMAN")->trigger();
            const double dpr = canvas.devicePixelRatioShown();
            const int n = c.lines, mid = (n + 1) / 2;
            for (auto [x, y] : std::vector<std::pair<int, int>>{{1, 1}, {n, 1}, {1, n}, {n, n}, {mid, mid}}) {
                const QPointF at = QPointF(canvas.toPixels(board_left + x * cell_width + 150,
                                                           board_top + y * cell_height + 150)) /
                                   dpr * canvas.viewScale();
                QTest::mouseClick(&canvas, Qt::LeftButton, {}, at.toPoint());
                EXPECT_NE(s.board[x][y], stone_empty) << n << " at " << percent << "%: " << x << "," << y;
            }
            EXPECT_EQ(s.move_no, 5);
        }
        window->setSize(100);
    }
}

// Ten steps back and forward draw the numbers, the marks and the move count exactly as
// a fresh drawing of the same position does: nothing grows bolder by being drawn again.
TEST_F(QtWindowTest, SteppingBackAndForthLeavesThePictureOfAFreshDraw) {
    window->findChild<QAction*>("TAIMAN")->trigger();
    window->findChild<QAction*>("BANGOU")->trigger();
    for (auto [x, y] : std::vector<std::pair<int, int>>{{4, 4}, {16, 16}, {4, 16}, {16, 4}, {10, 10}, {10, 11}})
        pressPoint(x, y);
    for (int k = 0; k < 5; ++k) window->findChild<QAction*>("MODORU")->trigger();
    for (int k = 0; k < 5; ++k) window->findChild<QAction*>("SUSUMU")->trigger();
    const QImage stepped = window->canvas().image().copy();
    window->game().画面_再描画();
    const QImage fresh = window->canvas().image();
    int differ = 0;
    for (int y = 0; y < fresh.height(); ++y)
        for (int x = 0; x < fresh.width(); ++x)
            if (fresh.pixel(x, y) != stepped.pixel(x, y)) ++differ;
    EXPECT_EQ(differ, 0);
}

// ---- Input made while the computer thinks ------------------------------------------------

// The computer's turn sleeps without handling events; what a person presses, chooses or
// types meanwhile is queued. A press on a board point, a menu command and a key are
// queued here at the turn's first wait.
class QtComputerTurnTest : public QtWindowTest {
protected:
    void queueInputDuringTheTurn(std::vector<std::string>& order) {
        window->clock().onWait = [this, &order, queued = false](double) mutable {
            if (queued) return;
            queued = true;
            const QPoint p = cellPixel(16, 16) + QPoint(10, 10);
            QCoreApplication::postEvent(
                &window->canvas(),
                new QMouseEvent(QEvent::MouseButtonPress, QPointF(p),
                                QPointF(window->canvas().mapToGlobal(p)), Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier));
            QMetaObject::invokeMethod(window->findChild<QAction*>("PASU"), "trigger",
                                      Qt::QueuedConnection);
            QCoreApplication::postEvent(
                &window->canvas(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
            // Marks where in the order of events the queued input was delivered.
            QMetaObject::invokeMethod(
                window.get(), [&order] { order.push_back("queued input delivered"); },
                Qt::QueuedConnection);
        };
        window->dialogs().answerHook = [this, &order](const std::string& prompt, Buttons b,
                                                      const std::string&, Icon) {
            messages.push_back(prompt);
            order.push_back(prompt);
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
    }
};

TEST_F(QtComputerTurnTest, PressesCommandsAndKeysMadeWhileTheComputerThinksAreDiscarded) {
    GameState& s = window->game().s;
    window->findChild<QAction*>("SENTE")->trigger();
    messages.clear();
    std::vector<std::string> order;
    queueInputDuringTheTurn(order);
    pressPoint(3, 3);
    // The event loop goes on: nothing of what was queued is played.
    QCoreApplication::processEvents();
    EXPECT_EQ(order, std::vector<std::string>{"queued input delivered"});
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.board[3][3], stone_black);
    // (The computer itself may open on that point: what matters is that black did not.)
    EXPECT_NE(s.board[16][16], stone_black);
    EXPECT_EQ(messages, std::vector<std::string>{});  // no question of a pass
    EXPECT_FALSE(window->ended());
    // Once the turn is over, presses and commands are played as always.
    window->clock().onWait = nullptr;
    pressPoint(3, 5);
    EXPECT_EQ(s.board[3][5], stone_black);
    EXPECT_EQ(s.move_no, 4);
    window->findChild<QAction*>("PASU")->trigger();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), "パスしますか？");
}

TEST_F(QtComputerTurnTest, QueuedInputIsGoneBeforeTheComputersPassIsShown) {
    GameState& s = window->game().s;
    window->findChild<QAction*>("SENTE")->trigger();
    // A full record: the computer passes at its next turn.
    s.move_no = max_moves;
    for (int k = 0; k < max_moves; ++k)
        s.record.store(k, {k % 2 ? stone_white : stone_black, {1, 1}}, s.record.setup());
    std::vector<std::string> order;
    queueInputDuringTheTurn(order);
    window->findChild<QAction*>("PASU")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"パスしますか？", "queued input delivered",
                                               "パスします", "あなたの番です"}));
    EXPECT_NE(s.board[16][16], stone_black);
    EXPECT_EQ(s.com_passed, flag_on);
    EXPECT_FALSE(window->ended());
}

// The game-record commands: after a separator at the end of 対局, with Ctrl+S and Ctrl+O;
// the file dialog's answer comes from the test.
TEST_F(QtWindowTest, GameRecordsAreSavedAndOpenedThroughTheMenu) {
    QMenu* taikyoku = window->findChild<QMenu*>("TAIKYOKU");
    ASSERT_NE(taikyoku, nullptr);
    const QList<QAction*> items = taikyoku->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_TRUE(items[items.size() - 3]->isSeparator());
    EXPECT_EQ(items[items.size() - 2]->objectName(), "KIFU_HOZON");
    EXPECT_EQ(items[items.size() - 1]->objectName(), "KIFU_HIRAKU");
    EXPECT_EQ(items[items.size() - 2]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(items[items.size() - 1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));

    const std::string file = settingsDir.filePath("game.sgf").toStdString();
    std::vector<std::string> asked;
    window->dialogs().fileHook = [&](FileChoice choice, const std::string& title, const std::string&,
                                     const std::string& filter) -> std::optional<std::string> {
        asked.push_back(title + " " + filter);
        return file;
    };
    GameState& s = window->game().s;
    window->findChild<QAction*>("TAIMAN")->trigger();
    pressPoint(4, 4);
    pressPoint(16, 16);
    pressPoint(4, 16);
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(asked, std::vector<std::string>{"棋譜を保存 棋譜 (*.sgf)"});
    ASSERT_TRUE(QFile::exists(QString::fromStdString(file)));

    window->findChild<QAction*>("SAISYO")->trigger();
    ASSERT_EQ(s.board[4][4], stone_empty);
    messages.clear();
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(asked.back(), "棋譜を開く 棋譜 (*.sgf)");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(s.move_no, 3);
    EXPECT_EQ(s.record_mode, flag_on);
    // The stones are on the screen again, the last with its mark.
    const QImage& img = window->canvas().image();
    EXPECT_TRUE(isDark(img.pixelColor(cellPixel(4, 4) + QPoint(6, 10))));
    EXPECT_EQ(img.pixelColor(cellPixel(4, 16) + QPoint(10, 10)), QColor(0, 255, 255));
}

// A file dropped on the window: one .sgf is opened as 棋譜を開く opens it, after the same
// question when a game is running; anything else is not taken.
TEST_F(QtWindowTest, ADroppedRecordIsOpenedAsTheMenuOpensIt) {
    struct Case {
        const char* name;
        const char* content;
        bool running;
        std::vector<std::string> says;
        int moves;
    };
    const std::string path = settingsDir.filePath("dropped.sgf").toStdString();
    const std::vector<Case> cases = {
        {"dropped.sgf", "(;GM[1]SZ[19];B[dd];W[pp])", false, {}, 2},
        {"dropped.sgf", "(;GM[1]SZ[19];B[dd];W[pp])", true, 
         {"対局中の棋譜は次のフォルダに自動で保存されます。\r" + window->game().kept.folder +
          "\r\r棋譜を開いてよろしいですか？"},
         2},
        {"dropped.sgf", "no record", false, {"「" + path + "」を開けません。\r\rSGF形式の棋譜ではありません。"}, 0},
        {"dropped.txt", "(;GM[1]SZ[19];B[dd];W[pp])", false, {}, 0},
    };
    GameState& s = window->game().s;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.content);
        window->findChild<QAction*>("SAISYO")->trigger();
        if (c.running) window->findChild<QAction*>("TAIMAN")->trigger();
        QFile file(settingsDir.filePath(c.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        messages.clear();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file.fileName())});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), QString(c.name).endsWith(".sgf"));
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QCoreApplication::processEvents();
        EXPECT_EQ(messages, c.says);
        EXPECT_EQ(s.record_mode == flag_on ? s.move_no : 0, c.moves);
    }
}

// COMの強さ: 標準 ticked first, the engines found installed, and after a separator その他の
// エンジン...; exactly one carries the check mark.
TEST_F(QtWindowTest, TheComputersStrengthOffersTheEnginesFound) {
    QMenu* option = window->findChild<QMenu*>("OPTION");
    QMenu* tuyosa = window->findChild<QMenu*>("COM_TUYOSA");
    ASSERT_NE(tuyosa, nullptr);
    EXPECT_EQ(option->actions()[option->actions().size() - 2], tuyosa->menuAction());
    EXPECT_EQ(tuyosa->title(), QString::fromUtf8("COMの強さ"));
    const QList<QAction*> items = tuyosa->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(items.front()->objectName(), "COM_HYOUJUN");
    EXPECT_EQ(items.front()->text(), QString::fromUtf8("標準"));
    EXPECT_TRUE(items[items.size() - 2]->isSeparator());
    EXPECT_EQ(items.back()->objectName(), "COM_SONOTA");
    EXPECT_EQ(items.back()->text(), QString::fromUtf8("その他のエンジン..."));
    int ticked = 0;
    for (QAction* a : items)
        if (!a->isSeparator()) {
            EXPECT_TRUE(a->isCheckable()) << a->objectName().toStdString();
            ticked += a->isChecked() ? 1 : 0;
        }
    EXPECT_EQ(ticked, 1);
    EXPECT_TRUE(items.front()->isChecked());
}

TEST_F(QtWindowTest, BackgroundCommandRedrawsAroundTheBoard) {
    window->findChild<QAction*>("MIDORI")->trigger();
    EXPECT_TRUE(window->menu().checked("MIDORI"));
    EXPECT_FALSE(window->menu().checked("TAKE"));
    const QColor green = pixelAt(*window, 100, 3000);
    EXPECT_TRUE(isGreenish(green));
    window->findChild<QAction*>("TAKE")->trigger();
    EXPECT_FALSE(window->menu().checked("MIDORI"));
    EXPECT_TRUE(window->menu().checked("TAKE"));
    const QColor bamboo = pixelAt(*window, 100, 3000);
    EXPECT_TRUE(isGreenish(bamboo));
    EXPECT_NE(bamboo, green);
}

TEST_F(QtWindowTest, VersionCommandUsesDialogsPort) {
    int shown = 0;
    window->dialogs().versionHook = [&] {
        ++shown;
        return VersionButton::OK;
    };
    window->findChild<QAction*>("VER")->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(window->ended());
}

TEST_F(QtWindowTest, EscapeEndsProgramAndLaterEventsAreIgnored) {
    window->findChild<QAction*>("TAIMAN")->trigger();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->game().ended);
    EXPECT_TRUE(window->ended());
    EXPECT_FALSE(window->isVisible());
    // Nothing reaches the game any more.
    pressPoint(10, 10);
    EXPECT_EQ(window->game().s.board[10][10], stone_empty);
}

// Escape reaches the game whichever part of the window has the keyboard once no menu
// is open, also after a menu was closed with Escape (the menu bar then keeps the
// keyboard), and after a real message box.
TEST_F(QtWindowTest, EscapeEndsProgramOnceNoMenuIsOpen) {
    QMenuBar* bar = window->menuBar();
    const QPoint taikyoku = bar->actionGeometry(window->findChild<QAction*>("TAIKYOKU")).center();
    // A person's Escape goes to the part that has the keyboard; the offscreen platform
    // hands no activation back after a message box, so then to the window's own part.
    auto escape = [&] {
        QWidget* target = QApplication::focusWidget();
        if (!target) target = window->focusWidget();
        QTest::keyClick(target ? target : window.get(), Qt::Key_Escape);
    };
    window->dialogs().answerHook = nullptr;
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    pressPoint(10, 10);  // 「対局」で始めて下さい, answered with its button
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, taikyoku);
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        QTest::keyClick(popup, Qt::Key_Escape);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_FALSE(window->ended());
    }
    escape();
    EXPECT_TRUE(window->ended());
}

// While a menu is open, Escape is the menu's, even when sent to the window itself.
TEST_F(QtWindowTest, EscapeWhileAMenuIsOpenDoesNotEnd) {
    QMenuBar* bar = window->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(window->findChild<QAction*>("TAIKYOKU")).center());
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->ended());
}

TEST_F(QtWindowTest, OtherKeysDoNotEnd) {
    QTest::keyClick(window.get(), Qt::Key_A);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_FALSE(window->ended());
    EXPECT_TRUE(window->isVisible());
}

// ---- Keys -------------------------------------------------------------------------------

// ← and → step through the record as 戻 and 進 do, and P, Ctrl+Z and H reach パス, 待った
// and ヒント, through the real window's keys; with no game each gives its menu item's
// answer and starts or changes nothing. Faults caught: a key bound to no command or to
// the wrong one, two commands on one key (Qt then runs neither), a key the window
// swallows, a key that plays when no game runs.
TEST_F(QtWindowTest, KeysStepThroughTheRecordAndReachTheirCommands) {
    std::map<QString, QString> owners;
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->shortcut().isEmpty()) continue;
        EXPECT_TRUE(owners.emplace(a->shortcut().toString(), a->objectName()).second)
            << a->shortcut().toString().toStdString() << " is " << owners[a->shortcut().toString()].toStdString()
            << "'s and " << a->objectName().toStdString() << "'s";
    }

    // The bar's own items keep their captions; the key is told by the tip over each.
    // Faults caught: a key no one can find, a caption changed to hold it.
    QMenuBar* bar = window->menuBar();
    auto tipOver = [&](const QString& name) {
        QToolTip::hideText();
        for (QAction* a : bar->actions())
            if (a->objectName() == name) {
                const QPoint at = bar->actionGeometry(a).center();
                QHelpEvent help(QEvent::ToolTip, at, bar->mapToGlobal(at));
                QApplication::sendEvent(bar, &help);
            }
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipOver("MODORU"), QString::fromUtf8("一手戻ります（←キー）"));
    EXPECT_EQ(tipOver("SUSUMU"), QString::fromUtf8("一手進みます（→キー）"));
    EXPECT_EQ(tipOver("PASU"), QString::fromUtf8("パスします（Pキー）"));
    QToolTip::hideText();

    GameState& s = window->game().s;
    auto press = [&](QKeySequence key) {
        messages.clear();
        QTest::keySequence(window.get(), key);
        return messages;
    };
    using Said = std::vector<std::string>;
    const std::vector<std::pair<QKeySequence, std::string>> idle = {
        {Qt::Key_Left, "戻れません"},
        {Qt::Key_Right, "進めません"},
        {Qt::Key_P, "「対局」で始めて下さい"},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), "「対局」で始めて下さい"},
        {Qt::Key_H, "「対局」で始めて下さい"},
    };
    for (const auto& [key, says] : idle) {
        EXPECT_EQ(press(key), Said{says}) << key.toString().toStdString();
        EXPECT_EQ(s.turn, no_side);
        EXPECT_EQ(s.move_no, 0);
    }

    window->findChild<QAction*>("TAIMAN")->trigger();
    pressPoint(4, 4);
    pressPoint(16, 16);
    pressPoint(4, 16);
    EXPECT_EQ(press(Qt::Key_Left), Said{});
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.board[4][16], stone_empty);
    press(Qt::Key_Left);
    EXPECT_EQ(s.move_no, 1);
    EXPECT_EQ(s.board[16][16], stone_empty);
    press(Qt::Key_Right);
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.board[16][16], stone_white);
    press(Qt::Key_Right);
    EXPECT_EQ(s.board[4][16], stone_black);
    EXPECT_EQ(press(Qt::Key_Right), Said{"進めません"});
    EXPECT_EQ(s.move_no, 3);

    // White to move: ヒント marks a point, 待った is for games against the computer, and
    // パス asks first, then hands the turn over.
    EXPECT_EQ(press(Qt::Key_H), Said{});
    EXPECT_NE(s.hint_shown.x, 0);
    EXPECT_EQ(press(QKeySequence(Qt::CTRL | Qt::Key_Z)), Said{"待ったはCOMとの対局でだけできます"});
    EXPECT_EQ(s.move_no, 3);
    ASSERT_EQ(s.turn, stone_white);
    const Said passed = press(Qt::Key_P);
    ASSERT_FALSE(passed.empty());
    EXPECT_EQ(passed.front(), "パスしますか？");
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_FALSE(window->ended());
}

// After the real file dialog closes the window takes keys again: Ctrl+S saves without a
// click first. The offscreen platform, like some desktops, hands the activation back to
// no window by itself.
TEST_F(QtWindowTest, KeysReachTheWindowAgainAfterAFileDialog) {
    window->findChild<QAction*>("TAIMAN")->trigger();
    pressPoint(4, 4);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            shown = true;
            box->reject();
        }
    });
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(shown);
    QCoreApplication::processEvents();
    int asked = 0;
    window->dialogs().fileHook = [&](FileChoice, const std::string&, const std::string&,
                                     const std::string&) -> std::optional<std::string> {
        ++asked;
        return std::nullopt;
    };
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(QApplication::activeWindow(), window.get());
}

TEST_F(QtWindowTest, CloseBoxEndsGame) {
    window->close();
    EXPECT_TRUE(window->game().ended);
    EXPECT_FALSE(window->isVisible());
}

// ---- The port pieces on their own ------------------------------------------------------

class QtPortTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
};

TEST_F(QtPortTest, CanvasDrawsInPixelsOfFifteenTwips) {
    CanvasWidget canvas;
    const QRgb ground = canvas.image().pixel(0, 0);
    const QRgb red = qRgb(255, 0, 0);

    // A box includes both corners and leaves its inside alone.
    canvas.box(600, 450, 300, 300, 12);
    EXPECT_EQ(canvas.image().pixel(20, 20), red);
    EXPECT_EQ(canvas.image().pixel(40, 30), red);
    EXPECT_EQ(canvas.image().pixel(40, 20), red);
    EXPECT_EQ(canvas.image().pixel(30, 25), ground);
    EXPECT_EQ(canvas.image().pixel(41, 30), ground);

    // A 50-twip radius makes a round dot seven pixels across.
    canvas.circle(1050, 1050, 50, 0);
    EXPECT_EQ(canvas.image().pixel(70, 70), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.image().pixel(67, 70), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.image().pixel(73, 70), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.image().pixel(70, 66), ground);
    EXPECT_EQ(canvas.image().pixel(74, 70), ground);
    EXPECT_EQ(canvas.image().pixel(73, 73), ground);
}

TEST_F(QtPortTest, CanvasTextHasItsTopLeftAtThePointAndNoBackground) {
    EXPECT_TRUE(QFontDatabase::hasFamily(windowFontFamily()));
    CanvasWidget canvas;
    const QRgb ground = canvas.image().pixel(0, 0);
    canvas.text(300, 300, "碁", 12, 9, true);  // 16 pixels high, blue
    int inked = 0, top = 100, left = 100;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (canvas.image().pixel(x, y) != ground) {
                ++inked;
                top = std::min(top, y);
                left = std::min(left, x);
                EXPECT_LT(x, 20 + 20);
                EXPECT_LT(y, 20 + 22);
            }
    EXPECT_GT(inked, 20);
    EXPECT_LT(inked, 16 * 16);  // glyph only: the box around it keeps the ground
    EXPECT_GE(top, 20);
    EXPECT_GE(left, 20);
    EXPECT_LT(top, 26);
    EXPECT_LT(left, 24);
}

TEST_F(QtPortTest, MenuCommandSeesCheckMarkAsBeforeTheClickAndSetsItItself) {
    QMenuBar bar;
    MenuBarPort menu(&bar);
    std::vector<std::pair<std::string, bool>> seen;
    menu.onCommand = [&](const std::string& item) {
        seen.emplace_back(item, menu.checked(item));
        if (item == "BANGOU") menu.setChecked(item, !menu.checked(item));
    };
    EXPECT_TRUE(menu.checked("BANGOU"));  // ticked in the menu's definition
    menu.action("BANGOU")->trigger();
    EXPECT_FALSE(menu.checked("BANGOU"));
    menu.action("BANGOU")->trigger();
    EXPECT_TRUE(menu.checked("BANGOU"));
    // A command that leaves the mark alone keeps it as it was.
    menu.action("SINAN")->trigger();
    EXPECT_FALSE(menu.checked("SINAN"));
    menu.action("SENTE")->trigger();
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{
                        {"BANGOU", true}, {"BANGOU", false}, {"SINAN", false}, {"SENTE", false}}));
    EXPECT_FALSE(menu.checked("NO_SUCH_ITEM"));
}

TEST_F(QtPortTest, MessageBoxShowsPromptTitleIconAndReturnsButton) {
    QWidget parent;
    DialogsPort dialogs(&parent);
    QString seenText, seenTitle;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        seenTitle = box->windowTitle();
        seenIcon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dialogs.msgBox("終わりますか", Buttons::YesNo, "確認", Icon::Exclamation), Answer::No);
    EXPECT_EQ(seenText, QString::fromUtf8("終わりますか"));
    EXPECT_EQ(seenTitle, QString::fromUtf8("確認"));
    EXPECT_EQ(seenIcon, QMessageBox::Warning);
}

// The buttons read はい / いいえ and OK whatever the system's language; Escape is いいえ.
TEST_F(QtPortTest, MessageBoxButtonsReadInJapanese) {
    QWidget parent;
    DialogsPort dialogs(&parent);
    QStringList seen;
    auto readAndPress = [&seen](Qt::Key key) {
        QTimer::singleShot(0, [&seen, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* b : box->buttons()) seen << b->text();
            QTest::keyClick(box, key);
        });
    };
    readAndPress(Qt::Key_Escape);
    EXPECT_EQ(dialogs.msgBox("続けますか", Buttons::YesNo, "対局"), Answer::No);
    readAndPress(Qt::Key_Return);
    EXPECT_EQ(dialogs.msgBox("戻れません", Buttons::OK, "戻る"), Answer::OK);
    seen.sort();
    EXPECT_EQ(seen.join(' ').toStdString(), "OK いいえ はい");
}

// The real file dialog: it starts in the folder given, shows the filter, and a name
// chosen for saving without ".sgf" gets it; cancelling gives nothing.
TEST_F(QtPortTest, FileDialogStartsInTheFolderAndAddsTheExtension) {
    QTemporaryDir dir;
    QWidget parent;
    DialogsPort dialogs(&parent);
    QString seenFolder, seenFilter;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenFolder = box->directory().absolutePath();
        seenFilter = box->selectedNameFilter();
        box->selectFile(dir.filePath("mine"));
        QMetaObject::invokeMethod(box, "accept");
    });
    const auto chosen = dialogs.chooseFile(FileChoice::Save, "棋譜を保存", dir.path().toStdString(),
                                           "棋譜 (*.sgf)");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath("mine.sgf").toStdString());
    EXPECT_EQ(seenFolder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(seenFilter, QString::fromUtf8("棋譜 (*.sgf)"));

    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) box->reject();
    });
    EXPECT_FALSE(dialogs.chooseFile(FileChoice::Open, "棋譜を開く", dir.path().toStdString(),
                                    "棋譜 (*.sgf)"));
}

// Qt's own file dialog in Japanese shows a file's size, type and date whole: the columns
// after the name are as wide as what they show (Qt measures them on English texts, and
// in a face whose kana are twice as wide as its digits 「38 バイト」 came out as
// 「38…イト」). Run with a Japanese locale (QtJapaneseDesktopTest in CMakeLists.txt).
TEST(QtJapaneseDesktopTest, FileDialogColumnsHoldTheirTexts) {
    ensureApplication();
    if (QLocale::system().language() != QLocale::Japanese) GTEST_SKIP() << "needs LC_ALL=ja_JP.UTF-8";
    QTranslator japanese;
    ASSERT_TRUE(japanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        << "Qt's Japanese translation is missing (bash setup.sh installs it)";
    QCoreApplication::installTranslator(&japanese);
    const QFont desktop = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("IPAMincho"), 10));
    QTemporaryDir dir;
    {
        QFile record(dir.filePath(QString::fromUtf8("対局.sgf")));
        ASSERT_TRUE(record.open(QIODevice::WriteOnly));
        record.write("(;GM[1]FF[4]SZ[9];B[ee];W[cc];B[gg])\r\n");  // 38 bytes
    }
    QWidget parent;
    DialogsPort dialogs(&parent);
    QStringList texts, shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* view = box->findChild<QTreeView*>();
        ASSERT_NE(view, nullptr);
        auto cell = [&](int column) { return view->model()->index(0, column, view->rootIndex()); };
        // A cell's text as the view draws it: within the column less the margins the
        // style keeps on either side, elided where it does not fit.
        const QFontMetrics fm(view->font());
        const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
        auto read = [&] {
            texts.clear();
            shown.clear();
            for (int column = 1; column <= 3; ++column) {
                const QString text = cell(column).data().toString();
                texts << text;
                shown << fm.elidedText(text, view->textElideMode(), view->header()->sectionSize(column) - margins);
            }
            return !texts[0].isEmpty() && shown == texts;
        };
        // The folder's files are read on a thread of Qt's; the columns follow them.
        EXPECT_TRUE(QTest::qWaitFor([&] { return cell(1).isValid() && read(); }, 5000));
        box->reject();
    });
    dialogs.chooseFile(FileChoice::Open, "棋譜を開く", dir.path().toStdString(), "棋譜 (*.sgf)");
    QApplication::setFont(desktop);
    QCoreApplication::removeTranslator(&japanese);
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], QString::fromUtf8("38 バイト"));
    EXPECT_EQ(shown, texts);
}

// Qt's own dialogs (the file dialogs, the question before replacing a file) read Japanese
// whatever the system's language.
TEST_F(QtPortTest, QtsOwnDialogsReadJapanese) {
    ASSERT_TRUE(loadJapaneseQtTexts()) << "Qt's Japanese translation is missing (bash setup.sh installs it)";
    for (const auto& [context, english] : {std::pair{"QFileDialog", "Look in:"}, std::pair{"QFileDialog", "File &name:"},
                                           std::pair{"QFileDialog", "%1 already exists.\nDo you want to replace it?"},
                                           std::pair{"QPlatformTheme", "&Yes"}}) {
        const QString shown = QCoreApplication::translate(context, english);
        EXPECT_NE(shown, QString::fromUtf8(english)) << english;
    }
}

// A few common system errors in a message are named in Japanese, the system's words after.
TEST_F(QtPortTest, CommonSystemErrorsAreNamedInJapanese) {
    const std::string denied = std::strerror(EACCES), missing = std::strerror(ENOENT), other = std::strerror(EXDEV);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"保存できませんでした。\r\r" + denied, "保存できませんでした。\r\rアクセスが許可されていません：" + denied},
        {"読み込めません（" + missing + "）。", "読み込めません（ファイルまたはフォルダがありません：" + missing + "）。"},
        {"保存できませんでした。\r\r" + other, "保存できませんでした。\r\r" + other},
    };
    QWidget parent;
    DialogsPort dialogs(&parent);
    std::string shown;
    dialogs.answerHook = [&](const std::string& prompt, Buttons, const std::string&, Icon) {
        shown = prompt;
        return Answer::OK;
    };
    for (const auto& [message, expected] : cases) {
        dialogs.msgBox(message, Buttons::OK, "棋譜の保存");
        EXPECT_EQ(shown, expected);
    }
}

TEST_F(QtPortTest, VersionWindowReportsTheButtonThatClosedIt) {
    VersionWindow w;
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("バージョン情報"));
    EXPECT_EQ(w.minimumSize(), QSize(333, 102));
    EXPECT_EQ(w.maximumSize(), QSize(333, 102));
    EXPECT_EQ(w.homePageButton()->text(), QString::fromUtf8("ホームページ"));
    EXPECT_EQ(w.homePageButton()->geometry(), QRect(40, 72, 105, 25));
    EXPECT_EQ(w.okButton()->text(), "O K");
    EXPECT_EQ(w.okButton()->geometry(), QRect(192, 72, 105, 25));

    QTimer::singleShot(0, [&] { QTest::mouseClick(w.homePageButton(), Qt::LeftButton); });
    EXPECT_EQ(w.run(), VersionButton::HomePage);
    QTimer::singleShot(0, [&] { QTest::mouseClick(w.okButton(), Qt::LeftButton); });
    EXPECT_EQ(w.run(), VersionButton::OK);
    QTimer::singleShot(0, [&] { w.reject(); });
    EXPECT_EQ(w.run(), VersionButton::Closed);
}

// ---- The browser port ------------------------------------------------------------------

class QtBrowserTest : public QtPortTest {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // An opener that writes its argument to the file `name`, then runs `then`.
    QString script(const QString& name, const QString& then) {
        const QString path = dir.filePath(name + ".sh");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1.part'\nmv '%1.part' '%1'\n%2\n")
                    .arg(dir.filePath(name), then).toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }
    QString written(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // Handles events until `done` holds (at most ten seconds), then `more` milliseconds.
    void handleEvents(std::function<bool()> done, int more = 0) {
        QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired()) QTest::qWait(5);
        QTest::qWait(more);
    }

    QTemporaryDir dir;
    BrowserPort browser;
    int failures = 0;
    std::function<void()> countFailure = [this] { ++failures; };
};

// A missing opener, and one that fails, are reported once, from the event loop.
TEST_F(QtBrowserTest, AnOpenerThatCannotStartOrFailsIsReportedOnce) {
    for (QString program : {dir.filePath("no-such-opener"), QStringLiteral("false")}) {
        failures = 0;
        browser.opener = program;
        browser.open("https://example.org/", countFailure);
        if (program == "false") {
            EXPECT_EQ(failures, 0);  // open did not wait for it
        }
        handleEvents([&] { return failures > 0; }, 100);
        EXPECT_EQ(failures, 1) << program.toStdString();
    }
}

TEST_F(QtBrowserTest, ASucceedingOpenerGetsTheFullPathOrTheAddress) {
    browser.opener = QStringLiteral("true");
    browser.open("https://example.org/", countFailure);
    browser.opener = script("file", "exit 0");
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    browser.open("Tolvan.htm", countFailure);
    QDir::setCurrent(old);
    browser.opener = script("url", "exit 0");
    browser.open("https://example.org/a b", countFailure);
    handleEvents([&] { return !written("file").isEmpty() && !written("url").isEmpty(); }, 200);
    EXPECT_EQ(written("file"), dir.filePath("Tolvan.htm"));
    EXPECT_EQ(written("url"), "https://example.org/a b");
    EXPECT_EQ(failures, 0);
}

// An opener still running after the watch has opened the page: it is neither reported
// nor stopped, whatever it does later; nor is anything reported once the port is gone.
TEST_F(QtBrowserTest, NoReportAfterTheWatchOrThePort) {
    browser.watchMilliseconds = 100;
    browser.opener = script("started", QStringLiteral("sleep 1; echo > '%1'; exit 1").arg(dir.filePath("ended")));
    browser.open("https://example.org/", countFailure);
    auto gone = std::make_unique<BrowserPort>();
    gone->opener = QStringLiteral("false");
    gone->open("https://example.org/", countFailure);
    gone.reset();
    handleEvents([&] { return QFileInfo::exists(dir.filePath("ended")); }, 200);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("ended")));
    EXPECT_EQ(failures, 0);
}

TEST_F(QtPortTest, ClockWaitHandlesNoEventsAndLastsTheTime) {
    ClockPort clock;
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    auto start = std::chrono::steady_clock::now();
    clock.wait(0.05);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_FALSE(fired);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
}

}  // namespace
}  // namespace tolvan
