// 形勢判断 and the count at the end of a game in the real window at its own size, on
// every board: the territory squares as pixels, and nothing over the board.
#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "game/counting.h"
#include "game/tolvan.h"
#include "window/main_window.h"
#include "qt_support.h"

namespace tolvan {
namespace {

bool isLight(QColor c) { return c.red() > 230 && c.green() > 230 && c.blue() > 230; }

class QtScoreViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(settingsDir.isValid());
        window = std::make_unique<MainWindow>();
        window->dialogs().answerHook = [this](const std::string& prompt, Buttons b, const std::string&, Icon) {
            messages.push_back(prompt);
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
        window->game().settings_file = settingsDir.filePath("Tolvan.ini").toStdString();
        window->game().kept.folder = settingsDir.filePath("games").toStdString();
        ASSERT_TRUE(window->start());
        messages.clear();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void trigger(const char* item) { window->findChild<QAction*>(item)->trigger(); }

    // The pixel at (dx, dy) from the top-left of point (x, y)'s tile at 100 %.
    QColor at(int x, int y, int dx, int dy) { return window->canvas().image().pixelColor(cellPixel(x, y) + QPoint(dx, dy)); }

    QTemporaryDir settingsDir;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
};

// A finished game between two people on n lines, w = n / 3: white's area above its
// wall on row w, with a black stone dead in it on (n / 2, 1); black's between its walls
// on rows w + 1 and w + 5, with a white stone dead in it on (3, w + 3); white's wall on
// row w + 6 below, where the board has room.
void finishedGame(GameState& s, int n) {
    const int w = n / 3;
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) s.board[x][y] = stone_empty;
    for (int x = 1; x <= n; ++x) {
        s.board[x][w] = stone_white;
        s.board[x][w + 1] = s.board[x][w + 5] = stone_black;
        if (w + 6 <= n) s.board[x][w + 6] = stone_white;
    }
    s.board[n / 2][1] = stone_black;
    s.board[n / 2 - 1][1] = s.board[n / 2 + 1][1] = stone_white;
    s.board[3][w + 3] = stone_white;
    s.board[2][w + 3] = s.board[4][w + 3] = s.board[3][w + 2] = stone_black;
}

// The faults caught: territory marks too small or white on the board's wood with no edge
// (unreadable at 100 %), and a box over the board for the score.
TEST_F(QtScoreViewTest, TerritoryIsASquareOfHalfACellAndTheScoreStaysOffTheBoard) {
    const QByteArray shots = qgetenv("TOLVAN_LOOK_DIR");  // where to keep the pictures, if anywhere
    GameState& s = window->game().s;
    trigger("SYUUKYOKU_KAZOERU");
    for (int n : {9, 13, 19}) {
        trigger(QString("GOBAN_%1").arg(n).toLatin1().constData());
        trigger("TAIMAN");
        finishedGame(s, n);
        window->game().画面_再描画();
        for (const char* phase : {"KEISEI", "HANTEI"}) {
            messages.clear();
            trigger(phase);
            EXPECT_TRUE(messages.empty()) << n << " " << phase;
            if (!shots.isEmpty())
                window->canvas().image().save(QString("%1/%2-%3.png").arg(QString(shots)).arg(phase).arg(n));
            // White's territory on (2, 1): white inside, black on the square's edge five
            // pixels from the centre, the wood beyond it.
            EXPECT_TRUE(isLight(at(2, 1, 10, 10))) << n << " " << phase;
            EXPECT_TRUE(isLight(at(2, 1, 14, 10))) << n << " " << phase;
            EXPECT_TRUE(isDark(at(2, 1, 15, 10))) << n << " " << phase;
            EXPECT_TRUE(isDark(at(2, 1, 10, 5))) << n << " " << phase;
            EXPECT_FALSE(isDark(at(2, 1, 17, 7))) << n << " " << phase;
            // Black's territory on (n - 1, w + 3): black through the square.
            const int w = n / 3;
            EXPECT_TRUE(isDark(at(n - 1, w + 3, 7, 7))) << n << " " << phase;
            EXPECT_TRUE(isDark(at(n - 1, w + 3, 13, 13))) << n << " " << phase;
            EXPECT_FALSE(isDark(at(n - 1, w + 3, 17, 17))) << n << " " << phase;
            // The estimate goes with a key, and the count back to play with 戻.
            if (std::string(phase) == "KEISEI") QTest::keyClick(window.get(), Qt::Key_Space);
        }
        EXPECT_TRUE(window->game().counting.active) << n;
        trigger("MODORU");
        EXPECT_FALSE(window->game().counting.active) << n;
        EXPECT_FALSE(isDark(at(n - 1, n / 3 + 3, 13, 13))) << n << ": the marks go with the count";
    }
}

}  // namespace
}  // namespace tolvan
