// Games against Tolvan's own levels in the real window, offscreen: the search thinks on
// a thread of its own while the window waits for it as for an engine. One search thread
// and a fixed seed keep the games repeatable.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/board_lines.h"
#include "game/position.h"
#include "game/tolvan.h"
#include "qt_support.h"
#include "search/player.h"
#include "window/canvas_widget.h"
#include "window/engine_port.h"
#include "window/main_window.h"
#include "window/search_opponent.h"

namespace tolvan {
namespace {

// A level that would think far longer than any test waits: only play-now (or the port's
// limit on a move) ends its search.
const search::Level endless{9, "試験", 200'000'000, 0, 0, 0, 1u << 16};

class LevelGame : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>();
        // No engine is found installed: GNU Go is not there for any question.
        window->engines().searchFolders = {dir.path()};
        window->engines().search().settings.threads = 1;
        window->engines().search().settings.seed = 20240607;
        window->dialogs().answerHook = [this](const std::string& prompt, Buttons b, const std::string& title, Icon) {
            messages.push_back("[" + title + "] " + prompt);
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
        window->game().settings_file = dir.filePath("Tolvan.ini").toStdString();
        window->game().kept.folder = dir.filePath("games").toStdString();
        ASSERT_TRUE(window->start());
        trigger(boardLinesItem(9));
        messages.clear();
    }

    void trigger(const std::string& item) { window->findChild<QAction*>(QString::fromStdString(item))->trigger(); }

    // Level `n` of COMの強さ, and a game as black.
    void playAgainstLevel(int n) {
        trigger("COM_TOLVAN_" + std::to_string(n));
        ASSERT_TRUE(window->menu().checked("COM_TOLVAN_" + std::to_string(n)));
        trigger("SENTE");
        messages.clear();
    }

    void pressPoint(int x, int y) {
        QTest::mouseClick(&window->canvas(), Qt::LeftButton, {}, cellPixel(x, y) + QPoint(10, 10));
    }

    // Escape, as the keyboard delivers it to whatever has the focus.
    void escape() {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    // Every chain on the board keeps a liberty.
    void expectEveryChainBreathes() {
        Tolvan& g = window->game();
        for (int x = 1; x <= s().size; ++x)
            for (int y = 1; y <= s().size; ++y)
                if (s().board[x][y] != stone_empty) {
                    EXPECT_EQ(g.調査_当たり2(x, y, s().board[x][y]), flag_off) << x << "," << y;
                }
    }

    bool fellBack() const {
        for (const std::string& m : messages)
            if (m.rfind("[COMの強さ]", 0) == 0) return true;
        return false;
    }

    GameState& s() { return window->game().s; }
    SearchOpponent& search() { return window->engines().search(); }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
};

// COMの強さ offers the levels by their names between 標準 and the engines, each
// ticked alone. Faults caught: a level missing from the window's menu, out of order, or
// ticked beside 標準.
TEST_F(LevelGame, TheMenuOffersTheLevelsBetweenTheBuiltInPlayerAndTheEngines) {
    window->menu().setEngines({{"GNU Go (レベル 1)", "gnugo --mode gtp --level 1"}});
    QStringList shown;
    for (QAction* a : window->findChild<QMenu*>("COM_TUYOSA")->actions())
        shown << (a->isSeparator() ? QStringLiteral("--") : a->text());
    EXPECT_EQ(shown, (QStringList{"標準", "--", "Tolvan（入門）", "Tolvan（初級）", "Tolvan（中級）", "Tolvan（上級）",
                                  "Tolvan（最強）", "--", "GNU Go (レベル 1)", "--", "その他のエンジン..."}));
    trigger("COM_TOLVAN_4");
    for (QAction* a : window->findChild<QMenu*>("COM_TUYOSA")->actions())
        if (!a->isSeparator()) {
            EXPECT_EQ(a->isChecked(), a->objectName() == "COM_TOLVAN_4") << a->text().toStdString();
        }
    EXPECT_EQ(window->engines().engineName(), "Tolvan（上級）");
}

// Level 1 on 9 lines answers every stone with one the rules allow, and the game is kept
// under the level's name. Faults caught: a point of the search read as another (a stone
// refused by the rules, falling back to 標準); the record naming the built-in player.
TEST_F(LevelGame, ALevelAnswersWithLegalStonesAndTheRecordNamesIt) {
    playAgainstLevel(1);
    const std::vector<rules::Point> mine = {{3, 3}, {7, 7}, {3, 7}, {7, 3}, {5, 5}, {5, 3}, {3, 5}, {7, 5}};
    for (const rules::Point& p : mine) {
        if (s().board[p.x][p.y] != stone_empty) continue;
        const int before = s().move_no;
        pressPoint(p.x, p.y);
        ASSERT_FALSE(fellBack()) << messages.back();
        if (!messages.empty()) break;  // the level passed or resigned
        EXPECT_EQ(s().move_no, before + 2) << "the level answered";
        EXPECT_EQ(recordedMove(s(), s().move_no - 1).colour, stone_white);
        expectEveryChainBreathes();
    }
    EXPECT_GE(s().move_no, 6);
    EXPECT_TRUE(window->menu().checked("COM_TOLVAN_1"));
    EXPECT_EQ(window->engines().engineName(), "Tolvan（入門）");

    trigger("SAISYO");  // the game ends, and is kept
    const QStringList kept = QDir(dir.filePath("games")).entryList({"*.sgf"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    QFile file(QDir(dir.filePath("games")).filePath(kept.first()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string text = file.readAll().toStdString();
    EXPECT_NE(text.find("PW[Tolvan（入門）]"), std::string::npos) << text;
    EXPECT_NE(text.find("PB[あなた]"), std::string::npos) << text;
}

// A press on the board, or Escape, while a level thinks has it play its best move so
// far: the stone is played, the press is not the person's move, and Escape does not end
// the program then (it does again afterwards). While the level thinks, the window
// repaints. Faults caught: the input discarded as during an engine's turn (the level
// would think until the port's limit on a move), a press taken as the person's stone,
// Escape ending the program during the level's turn, a window frozen by the search.
TEST_F(LevelGame, APressOrEscapeWhileALevelThinksHasItPlayNow) {
    playAgainstLevel(1);
    // The port's limit on a move; a search that is not asked to play now goes on for
    // most of it (it may end somewhat early once its choice can no longer change).
    window->engines().genmoveSeconds = 120;
    search().use(&endless);
    PaintCounter counter;
    window->canvas().installEventFilter(&counter);
    const struct Case {
        const char* name;
        bool key;
        rules::Point pressed;
    } cases[] = {{"a press", false, {8, 8}}, {"Escape", true, {}}};
    const rules::Point mine[] = {{3, 3}, {7, 3}};
    for (int k = 0; k < 2; ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.name);
        bool sent = false;
        int paintsAsked = -1;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (sent || !window->engines().searching()) return;
            // The canvas is drawn again while the search runs before the input is sent.
            if (paintsAsked < 0 || counter.paints == paintsAsked) {
                if (paintsAsked < 0) paintsAsked = counter.paints;
                window->canvas().update();
                return;
            }
            sent = true;
            if (c.key)
                escape();
            else
                pressPoint(c.pressed.x, c.pressed.y);
        });
        poll.start();
        const int before = s().move_no;
        QElapsedTimer clock;
        clock.start();
        pressPoint(mine[k].x, mine[k].y);
        poll.stop();
        ASSERT_TRUE(sent) << "sent once the window had been drawn again";
        EXPECT_LT(clock.elapsed(), 60000) << "answered well before the limit of a move";
        EXPECT_EQ(s().move_no, before + 2);
        EXPECT_EQ(recordedMove(s(), s().move_no - 1).colour, stone_white);
        EXPECT_FALSE(fellBack());
        EXPECT_FALSE(window->ended());
        if (!c.key) {
            EXPECT_NE(recordedMove(s(), s().move_no - 1).at, c.pressed) << "the press is no stone of the person's";
            EXPECT_NE(s().board[c.pressed.x][c.pressed.y], stone_black);
        }
        EXPECT_GT(search().lastResult().playouts, 0);
    }
    // Outside the level's turn Escape ends the program, as always.
    escape();
    EXPECT_TRUE(window->ended());
}

// ヒント with no engine and no GNU Go: Tolvan's search marks its move, with the built-in
// player as well as with a level in use, whose own tree it leaves alone. Faults caught:
// the hint still leaning on GNU Go (the built-in player's point instead of the search's),
// a hint that disturbs the level's game.
TEST_F(LevelGame, AHintWithoutAnyEngineComesFromTheSearch) {
    search().hintSeconds = 0.3;
    for (const bool level : {false, true}) {
        SCOPED_TRACE(level ? "a level in use" : "標準");
        trigger("SAISYO");
        if (level)
            playAgainstLevel(2);
        else {
            trigger("COM_HYOUJUN");
            trigger("SENTE");
        }
        pressPoint(3, 3);
        ASSERT_EQ(s().move_no, 2);
        messages.clear();
        QTest::keyClick(window.get(), Qt::Key_H);
        EXPECT_TRUE(messages.empty()) << messages.front();
        const rules::Point at = s().hint_shown;
        ASSERT_NE(at.x, 0);
        EXPECT_EQ(positionOf(s(), true).why(stone_black, at.x, at.y), rules::Why::legal);
        // The search's own move (the level's last answer stands on the board by now).
        EXPECT_GT(search().lastResult().playouts, 0) << "the search was asked";
        EXPECT_EQ(search().lastResult().move, at);
        EXPECT_EQ(s().move_no, 2);
        // The game goes on at the hint.
        pressPoint(at.x, at.y);
        EXPECT_EQ(s().move_no, 4);
        EXPECT_FALSE(fellBack());
    }
}

// 待った against a level: the person's stone and the level's answer go, and the level
// answers the new stone in the position as it now stands. Fault caught: the tree kept
// from the move taken back answering for a position that is no more (a stone on an
// occupied point, refused, and 標準 taking over).
TEST_F(LevelGame, TakingBackAgainstALevelGoesOnFromThePositionBefore) {
    playAgainstLevel(1);
    pressPoint(3, 3);
    pressPoint(7, 7);
    ASSERT_EQ(s().move_no, 4);
    const rules::Point answer = recordedMove(s(), 3).at;
    trigger("MATTA");
    EXPECT_EQ(s().move_no, 2);
    EXPECT_EQ(s().board[7][7], stone_empty);
    EXPECT_EQ(s().board[answer.x][answer.y], stone_empty);
    for (const rules::Point p : {rules::Point{5, 5}, rules::Point{3, 7}, rules::Point{7, 3}}) {
        if (s().board[p.x][p.y] != stone_empty) continue;
        const int before = s().move_no;
        pressPoint(p.x, p.y);
        ASSERT_FALSE(fellBack()) << messages.back();
        EXPECT_EQ(s().move_no, before + 2);
        expectEveryChainBreathes();
    }
    EXPECT_TRUE(window->menu().checked("COM_TOLVAN_1"));
}

// The search's wait given up: cancel(), as the end of the program does, and the
// application's quit. Faults caught: a cancelled wait that plays a move anyway, or
// waits for the search to end by itself.
TEST_F(LevelGame, ACancelledWaitPlaysNothing) {
    EnginePort& port = window->engines();
    port.useLevel(1);
    search().use(&endless);
    port.genmoveSeconds = 40;
    rules::History position(9);
    for (const bool quit : {false, true}) {
        SCOPED_TRACE(quit ? "quit" : "cancel");
        QTimer::singleShot(300, [&] {
            if (quit)
                QCoreApplication::exit(0);
            else
                port.cancel();
        });
        QElapsedTimer clock;
        clock.start();
        const EngineMove m = port.genmove(position, 1, {});
        EXPECT_EQ(m.kind, EngineMove::cancelled);
        EXPECT_LT(clock.elapsed(), 30000);
        EXPECT_FALSE(port.waiting());
    }
    // The quit is over once the main loop has run and ended.
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
}

// The dead stones of a level's game are the estimate's, with no other program. Fault
// caught: a level asking for GNU Go, which is not there, and getting no stone.
TEST_F(LevelGame, TheDeadStonesOfALevelsGameNeedNoOtherProgram) {
    EnginePort& port = window->engines();
    port.useLevel(3);
    // Black owns the left of the board, white the right; a white stone lies inside black's.
    rules::History position(9);
    for (int y = 1; y <= 9; ++y) {
        position.play(rules::black, 4, y);
        position.play(rules::white, 6, y);
    }
    position.play(rules::black, 5, 5);
    position.play(rules::white, 2, 5);
    const std::vector<rules::Point> dead = port.deadStones(position, 10);
    EXPECT_EQ(dead, (std::vector<rules::Point>{{2, 5}}));
}

}  // namespace
}  // namespace tolvan
