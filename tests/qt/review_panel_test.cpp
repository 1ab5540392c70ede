// The marks on the board as the real canvas paints them, and 検討's window over a game
// reviewed by an engine written as a shell script.
#include <gtest/gtest.h>

#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

#include "game/hint.h"
#include "game/tolvan.h"
#include "qt_support.h"
#include "window/main_window.h"
#include "window/review_panel.h"

namespace tolvan {
namespace {

class QtMarksTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        window = std::make_unique<MainWindow>();
        window->dialogs().answerHook = [](const std::string&, Buttons b, const std::string&, Icon) {
            return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
        };
        window->game().settings_file = folder.filePath("Tolvan.ini").toStdString();
        window->game().kept.folder = folder.filePath("games").toStdString();
        ASSERT_TRUE(window->start());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The pixel `dx`, `dy` away from the centre of board point (x, y), at 100 %.
    QColor pixel(const QImage& image, int x, int y, int dx = 0, int dy = 0) {
        return image.pixelColor(cellPixel(x, y) + QPoint(10 + dx, 10 + dy));
    }

    QTemporaryDir folder;
    std::unique_ptr<MainWindow> window;
};

// Each mark reads as its own at 100 %: a colour of its own on its whole body, and a shape
// of its own (a fault that draws two alike, or one like the last move's cyan dot, fails a
// row). Per mark, at the centre and three pixels 5 away, the mark's colour or the board
// as it was ("-").
TEST_F(QtMarksTest, EachMarkHasAShapeAndColourOfItsOwn) {
    Tolvan& g = window->game();
    g.描画_石(16, 4, stone_black);  // the last move: a stone with the cyan dot
    const QImage before = window->canvas().image().copy();
    drawPointMark(g, {4, 4}, PointMark::hint);
    drawPointMark(g, {8, 4}, PointMark::better);
    drawPointMark(g, {12, 4}, PointMark::mistake);
    g.描画_打駒印(16, 4, mark_color);
    const QImage after = window->canvas().image();

    const QPoint offsets[] = {{0, 0}, {-5, -5}, {0, -5}, {-5, 5}};
    struct Row {
        const char* name;
        int x;
        QColor colour;
        const char* inked;  // per offset: 'x' the mark's colour, '-' as before
        int least;          // pixels changed at least
    };
    const Row rows[] = {
        {"hint: a blue square", 4, QColor(0, 0, 255), "xxxx", 100},
        {"better move: a green triangle", 8, QColor(0, 128, 0), "x-xx", 80},
        {"mistake: a red cross", 12, QColor(255, 0, 0), "xx-x", 60},
        {"last move: a cyan dot", 16, QColor(0, 255, 255), "x---", 30},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        for (int i = 0; i < 4; ++i) {
            const QPoint o = offsets[i];
            const QColor now = pixel(after, r.x, 4, o.x(), o.y());
            if (r.inked[i] == 'x')
                EXPECT_EQ(now, r.colour) << o.x() << "," << o.y();
            else
                EXPECT_EQ(now, pixel(before, r.x, 4, o.x(), o.y())) << o.x() << "," << o.y();
        }
        int changed = 0;
        for (int dy = -10; dy <= 10; ++dy)
            for (int dx = -10; dx <= 10; ++dx)
                changed += pixel(after, r.x, 4, dx, dy) != pixel(before, r.x, 4, dx, dy);
        EXPECT_GE(changed, r.least);
    }
}

// An engine that lists, before each move of the game below, the move played as the best,
// except before white's Q4 (C16 was 22 points better) and black's D16 (R4 was 4.5
// better); before a pass it lists nothing. GTP's names; the board's labels (letters with
// I, rows from the top) name Q4 P16, C16 C4, D16 D4 and R4 Q16.
const char* const review_engine = R"(n=0
while read -r id cmd a b; do
  ans=
  case $cmd in
    protocol_version) ans=2;;
    name) ans=script;;
    clear_board) n=0;;
    play) n=$((n+1));;
    undo) n=$((n-1));;
    top_moves_black) case $n in 0) ans="Q16 10";; 4) ans="R4 10 D16 5.5";; 6) ans="K10 3";; esac;;
    top_moves_white) case $n in 1) ans="D4 10";; 3) ans="C16 30 Q4 8";; esac;;
    quit) printf '=%s\n\n' "$id"; exit 0;;
  esac
  printf '=%s %s\n\n' "$id" "$ans"
done
)";

// 検討 of a record with passes: the progress counts the stones as the board does (a fault
// counting passes ends at 7); the graph and the list number the moves the same way; a
// selected mistake shows the sentence its record gets, and marks its better move and the
// move played on the position before it until the next step. BM[2] goes to white's 22
// points, not to black's biggest mistake of 4.5.
TEST_F(QtMarksTest, ReviewListsMarksAndExplainsAMistake) {
    const QString script = folder.filePath("engine.sh"), record = folder.filePath("game.sgf");
    {
        QFile out(script);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(review_engine);
        QFile game(record);
        ASSERT_TRUE(game.open(QIODevice::WriteOnly));
        game.write("(;GM[1]FF[4]SZ[19]KM[6.5];B[pd];W[dp];B[];W[pp];B[dd];W[];B[jj])");
    }
    window->openRecord(record);
    Tolvan& g = window->game();
    ASSERT_EQ(g.s.record.stones(), 5);

    ReviewPanel panel(window.get(), g, [] { return true; },
                      [script](int) { return std::vector<std::string>{"/bin/sh", script.toStdString()}; });
    panel.start();
    auto* status = panel.findChild<QLabel*>(QStringLiteral("reviewStatus"));
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == QString::fromUtf8("検討が終わりました。"); }, 120000))
        << status->text().toStdString();

    auto* bar = panel.findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 5);
    EXPECT_EQ(bar->value(), 5);

    // The graph too: a point after each move, a pass at the stone before it.
    auto* graph = panel.findChild<QChartView*>();
    ASSERT_NE(graph, nullptr);
    auto* leads = qobject_cast<QLineSeries*>(graph->chart()->series().value(0));
    ASSERT_NE(leads, nullptr);
    std::vector<double> across;
    for (const QPointF& p : leads->points()) across.push_back(p.x());
    EXPECT_EQ(across, (std::vector<double>{1, 2, 2, 3, 4, 4, 5}));

    auto* list = panel.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    auto row = [](QTreeWidgetItem* item) {
        return (item->text(0) + " " + item->text(1) + " " + item->text(2) + " " + item->text(3)).toStdString();
    };
    ASSERT_EQ(list->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(row(list->topLevelItem(0)->child(0)), "4 D4 4.5目 Q16");
    ASSERT_EQ(list->topLevelItem(1)->childCount(), 1);
    QTreeWidgetItem* p16 = list->topLevelItem(1)->child(0);
    EXPECT_EQ(row(p16), "3 P16 22目 C4");

    // What the record got.
    ASSERT_TRUE(g.kifu.reviewed.has_value());
    const std::vector<sgf::Move>& moves = g.kifu.reviewed->moves;
    ASSERT_EQ(moves.size(), 7u);
    EXPECT_EQ(moves[3].comment, "悪手: C4 の方が良く、約22目の損です");
    EXPECT_EQ(moves[3].annotations.bad_move, 2);
    EXPECT_EQ(moves[4].comment, "悪手: Q16 の方が良く、約4.5目の損です");
    EXPECT_EQ(moves[4].annotations.bad_move, 1);

    // C4 is point (3, 4), P16 (16, 16).
    const QImage unmarked = window->canvas().image().copy();
    list->scrollToItem(p16);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(p16).center());
    auto* comment = panel.findChild<QLabel*>(QStringLiteral("reviewComment"));
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->text().toStdString(), "悪手: C4 の方が良く、約22目の損です");
    EXPECT_EQ(g.s.move_no, 2) << "the position before P16";
    EXPECT_EQ(pixel(window->canvas().image(), 3, 4), QColor(0, 128, 0));
    EXPECT_EQ(pixel(window->canvas().image(), 16, 16), QColor(255, 0, 0));

    // The next step plays P16 and takes both marks away.
    g.MenuClick("SUSUMU");
    EXPECT_EQ(g.s.move_no, 3);
    EXPECT_EQ(pixel(window->canvas().image(), 3, 4), pixel(unmarked, 3, 4));
    EXPECT_NE(pixel(window->canvas().image(), 16, 16), QColor(255, 0, 0));
    EXPECT_EQ(g.s.board[16][16], stone_white);
}

}  // namespace
}  // namespace tolvan
