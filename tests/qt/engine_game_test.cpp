// Games against an engine in the real window, offscreen: the fake engine (the game's own
// GTP engine behind options that make it slow, die, pass, resign or answer nonsense),
// and GNU Go when it is installed.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "window/canvas_widget.h"
#include "window/engine_port.h"
#include "window/main_window.h"
#include "estimate/estimate.h"
#include "game/position.h"
#include "game/tolvan.h"
#include "qt_support.h"

namespace tolvan {
namespace {

class EngineGame : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>();
        window->dialogs().answerHook = [this](const std::string& prompt, Buttons b,
                                              const std::string& title, Icon) {
            messages.push_back("[" + title + "] " + prompt);
            if (onMessage) onMessage();
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
        window->game().settings_file = dir.filePath("Tolvan.ini").toStdString();
        window->game().kept.folder = dir.filePath("games").toStdString();
        ASSERT_TRUE(window->start());
        messages.clear();
    }

    // Chooses the fake engine with the options through その他のエンジン... and starts a
    // game as black.
    void playAgainstFake(const std::string& options) {
        const std::string command = std::string("\"") + TOLVAN_FAKE_ENGINE + "\" " + options;
        window->dialogs().textHook = [command](const std::string&, const std::string&,
                                               const std::string&) -> std::optional<std::string> {
            return command;
        };
        window->findChild<QAction*>("COM_SONOTA")->trigger();
        ASSERT_TRUE(window->menu().checked("COM_SONOTA")) << (messages.empty() ? "" : messages.back());
        window->findChild<QAction*>("SENTE")->trigger();
        messages.clear();
    }

    void pressPoint(int x, int y) {
        QTest::mouseClick(&window->canvas(), Qt::LeftButton, {}, cellPixel(x, y) + QPoint(10, 10));
    }

    GameState& s() { return window->game().s; }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
    std::function<void()> onMessage;
};

TEST_F(EngineGame, TheEnginesMovesArePlayedAsTheComputersMoves) {
    playAgainstFake("");
    // The stone is on the screen during the pause before its sound: the canvas has been
    // painted again by the time the pause begins.
    PaintCounter counter;
    window->canvas().installEventFilter(&counter);
    std::vector<std::pair<double, int>> waits;
    window->clock().onWait = [&](double d) { waits.emplace_back(d, counter.paints); };
    for (int k = 0; k < 4; ++k) {
        const int before = s().move_no;
        pressPoint(3, 3 + 4 * k);
        ASSERT_EQ(s().move_no, before + 2) << "the engine answered";
        EXPECT_EQ(recordedMove(s(), s().move_no - 1).colour, stone_white);
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_NE(window->engines().enginePid(), 0) << "the engine runs between moves";
    EXPECT_EQ(window->engines().engineName(), "Tolvan 1.0") << "its GTP name and version";
    ASSERT_GE(waits.size(), 2u);
    EXPECT_EQ(waits[0].first, 0.2);
    EXPECT_EQ(waits[1].first, 0.5);
    EXPECT_GT(waits[1].second, waits[0].second);
}

TEST_F(EngineGame, TheWindowRepaintsAndShowsTheSecondsWhileTheEngineThinks) {
    playAgainstFake("--slow 4");
    PaintCounter counter;
    window->canvas().installEventFilter(&counter);
    bool timerFired = false;
    QTimer::singleShot(500, [&] {
        timerFired = true;
        window->canvas().update();
    });
    // A press made while the engine thinks is not the person's next move.
    QTimer::singleShot(1000, [&] { pressPoint(10, 10); });
    // The seconds beside the notice, read off the canvas while the engine still thinks.
    QImage during;
    QTimer::singleShot(3600, [&] { during = window->canvas().image().copy(); });
    // 「思考中」 as it was first written, before the engine was asked.
    QImage notice;
    window->clock().onWait = [&](double d) {
        if (d == 0.2) notice = window->canvas().image().copy();
    };
    QElapsedTimer clock;
    clock.start();
    pressPoint(4, 4);
    EXPECT_GE(clock.elapsed(), 3500);
    EXPECT_TRUE(timerFired);
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(s().move_no, 2);
    EXPECT_EQ(s().board[10][10], stone_empty);
    ASSERT_FALSE(during.isNull());
    // Light text in the notice's row right of "思考中": the seconds.
    int light = 0;
    const QRect seconds(cellPixel(23, 11).x() + 8, cellPixel(23, 11).y(), 35, 21);
    for (int y = seconds.top(); y <= seconds.bottom(); ++y)
        for (int x = seconds.left(); x <= seconds.right(); ++x)
            if (qGray(during.pixel(x, y)) > 200) ++light;
    EXPECT_GT(light, 5);
    // Beside the seconds 「思考中」 is still whole, the right of 「中」 included.
    const QRect word(cellPixel(21, 11), QPoint(cellPixel(23, 11).x() + 6, cellPixel(21, 11).y() + 20));
    ASSERT_FALSE(notice.isNull());
    EXPECT_EQ(during.copy(word), notice.copy(word));
}

TEST_F(EngineGame, PassAndResignationAreTheComputersOwn) {
    playAgainstFake("--pass");
    pressPoint(4, 4);
    EXPECT_EQ(messages, (std::vector<std::string>{"[COMパス] パスします", "[ ] あなたの番です"}));
    EXPECT_EQ(s().com_passed, flag_on);

    window->findChild<QAction*>("SAISYO")->trigger();
    playAgainstFake("--resign");
    pressPoint(4, 4);
    EXPECT_EQ(messages, (std::vector<std::string>{"[投了] COMは投了しました。あなたの勝ちです。",
                                                  "[対局] 続けますか"}));
    EXPECT_EQ(s().turn, no_side);
}

// The end of a game against an engine, counted with the estimate's dead stones: the
// proposal on the board, a press that changes the stone and its cross, back to play with
// 戻, and the count confirmed with Enter.
TEST_F(EngineGame, TheDeadStonesAreProposedChangedAndCounted) {
    playAgainstFake("--pass");
    pressPoint(4, 4);  // black on D16; the engine passes
    auto pass = [this] { window->findChild<QAction*>("PASU")->trigger(); };
    auto cell = [this](int x, int y) {
        return window->canvas().image().copy(QRect(cellPixel(x, y), QSize(21, 21)));
    };
    pass();  // the computer had passed: the game ends
    const Counting& counting = window->game().counting;
    ASSERT_TRUE(counting.active);
    EXPECT_EQ(counting.dead, estimate::estimatePosition(boardOf(s()), 0).dead);
    const bool proposed = !counting.dead.empty();
    const QImage before = cell(4, 4);

    pressPoint(4, 4);
    EXPECT_EQ(counting.dead.empty(), proposed);
    EXPECT_NE(cell(4, 4), before) << "the cross comes or goes";
    pressPoint(4, 4);
    EXPECT_EQ(cell(4, 4), before);

    window->findChild<QAction*>("MODORU")->trigger();
    EXPECT_FALSE(counting.active);
    EXPECT_EQ(s().board[4][4], stone_black);

    pass();
    ASSERT_TRUE(counting.active);
    messages.clear();
    QTest::keyClick(window.get(), Qt::Key_Return);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "[対局] 続けますか");
    EXPECT_FALSE(counting.active);
    EXPECT_EQ(s().turn, no_side);
}

// Every way an engine can fail: a message, the built-in player's move instead, 標準
// ticked again, and no engine process left.
TEST_F(EngineGame, AFailingEngineGivesWayToTheBuiltInPlayer) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--die-at 1", "エンジンが"},
        {"--garbage", "エンジンの答えが読めません"},
        {"--illegal", "は打てない手です"},
        {"--slow 5", "秒たっても答えません"},
    };
    for (const auto& [options, says] : cases) {
        SCOPED_TRACE(options);
        window->findChild<QAction*>("SAISYO")->trigger();
        window->engines().genmoveSeconds = 2;
        playAgainstFake(options);
        pressPoint(3, 3);
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().rfind("[COMの強さ] ", 0), 0u) << messages.back();
        EXPECT_NE(messages.back().find(says), std::string::npos) << messages.back();
        EXPECT_EQ(s().turn, stone_black) << "the built-in player answered";
        EXPECT_EQ(s().move_no % 2, 0);
        EXPECT_TRUE(window->menu().checked("COM_HYOUJUN"));
        EXPECT_FALSE(window->menu().checked("COM_SONOTA"));
        EXPECT_EQ(window->engines().enginePid(), 0);
        messages.clear();
    }
}

TEST_F(EngineGame, EscapeWhileTheEngineThinksEndsTheProgramAndTheEngine) {
    playAgainstFake("--slow 30");
    QTimer::singleShot(800, [&] {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    });
    QElapsedTimer clock;
    clock.start();
    pressPoint(4, 4);
    EXPECT_LT(clock.elapsed(), 20000) << "the wait was given up";
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(window->engines().enginePid(), 0);
    EXPECT_EQ(s().move_no, 1) << "nothing of the computer's was played";
}

// While an engine thinks a menu opens; a press on the board goes nowhere.
TEST_F(EngineGame, MenusOpenWhileTheEngineThinks) {
    playAgainstFake("--slow 2");
    QMenuBar* bar = window->menuBar();
    QWidget* opened = nullptr;
    QTimer::singleShot(800, [&] {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(window->findChild<QAction*>("OPTION")).center());
        opened = QApplication::activePopupWidget();
        if (opened) opened->close();
    });
    pressPoint(4, 4);
    EXPECT_EQ(opened, window->findChild<QMenu*>("OPTION"));
    EXPECT_EQ(s().move_no, 2);
}

// Escape pressed the moment the engine's answer has arrived, while its stone is being
// shown, ends the program once the stone is played.
TEST_F(EngineGame, EscapeAsTheEnginesAnswerArrivesEndsTheProgram) {
    playAgainstFake("");
    window->clock().onWait = [&](double d) {
        if (d == 0.5)
            QCoreApplication::postEvent(&window->canvas(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    pressPoint(4, 4);
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(window->engines().enginePid(), 0);
}

// A real game against GNU Go at level 1: every one of its moves goes through the game's
// own rules (an illegal one would fall back with a message), and the position stays one
// where every chain has a liberty.
TEST_F(EngineGame, AGameAgainstGnuGo) {
    // The engines found installed are offered once they have answered, after the
    // window's first picture.
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->engines().searched(); }, 30000));
    std::string level1;
    for (const EngineOffer& o : window->engines().installed())
        if (o.label == "GNU Go (レベル 1)") level1 = o.command;
    if (level1.empty()) GTEST_SKIP() << "GNU Go is not installed";
    int item = 0;
    const auto offers = window->engines().installed();
    while (offers[static_cast<std::size_t>(item)].command != level1) ++item;
    window->findChild<QAction*>(QString("COM_ENGINE_%1").arg(item + 1))->trigger();
    ASSERT_TRUE(window->menu().checked("COM_ENGINE_" + std::to_string(item + 1)));
    window->findChild<QAction*>("SENTE")->trigger();
    messages.clear();

    std::uint32_t seed = 12345;
    for (int tries = 0; s().move_no < 70 && tries < 2000; ++tries) {
        seed = seed * 1103515245u + 12345u;
        const int p = static_cast<int>((seed >> 16) % 361);
        const int x = p % 19 + 1, y = p / 19 + 1;
        if (s().board[x][y] != stone_empty) continue;
        messages.clear();
        pressPoint(x, y);
        ASSERT_TRUE(std::none_of(messages.begin(), messages.end(), [](const std::string& m) {
            return m.rfind("[COMの強さ]", 0) == 0;
        })) << messages.back();
        if (!messages.empty() && messages.front() == "[COMパス] パスします") break;
        // Every chain on the board keeps a liberty.
        Tolvan& g = window->game();
        for (int cx = 1; cx <= 19; ++cx)
            for (int cy = 1; cy <= 19; ++cy)
                if (s().board[cx][cy] != stone_empty) {
                    ASSERT_EQ(g.調査_当たり2(cx, cy, s().board[cx][cy]), flag_off) << cx << "," << cy;
                }
    }
    EXPECT_GE(s().move_no, 60);
    EXPECT_TRUE(window->menu().checked("COM_ENGINE_" + std::to_string(item + 1)));
}

}  // namespace
}  // namespace tolvan
