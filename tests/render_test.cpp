// Drawing of the board tiles, the background and the side panel, as recorded by the fake.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

struct Render : ::testing::Test {
    Fixture f;
    std::string drawn(std::function<void()> draw) {
        f.fake.clear();
        draw();
        return f.fake.dump();
    }
};

TEST_F(Render, EmptyPointTilesTestTheEdgesBeforeTheStarPoints) {
    EXPECT_EQ(drawn([&] { f.game->描画_桝(1, 4); }), "pic KARAHIDARINAKA 615 1310\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(4, 1); }), "pic KARAUENAKA 1560 365\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(19, 16); }), "pic KARAMIGINAKA 6285 5090\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(16, 19); }), "pic KARASITANAKA 5340 6035\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(1, 1); }), "pic KARAUEHIDARI 615 365\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(1, 19); }), "pic KARASITAHIDARI 615 6035\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(19, 1); }), "pic KARAUEMIGI 6285 365\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(19, 19); }), "pic KARASITAMIGI 6285 6035\n");
    EXPECT_EQ(drawn([&] { f.game->描画_桝(5, 4); }), "pic KARANAKA 1875 1310\n");
    for (int x : {4, 10, 16})
        for (int y : {4, 10, 16})
            EXPECT_EQ(drawn([&] { f.game->描画_桝(x, y); }),
                      "pic KARANAKATEN " + num(300 + 315 * x) + " " + num(50 + 315 * y) + "\n");
}

TEST_F(Render, StoneTilesHaveNoStarVariantAndEmptyDrawsNothing) {
    EXPECT_EQ(drawn([&] { f.game->描画_石(4, 4, stone_black); }), "pic KURONAKA 1560 1310\n");
    EXPECT_EQ(drawn([&] { f.game->描画_石(4, 4, stone_white); }), "pic SIRONAKA 1560 1310\n");
    EXPECT_EQ(drawn([&] { f.game->描画_石(1, 4, stone_black); }), "pic KUROHIDARINAKA 615 1310\n");
    EXPECT_EQ(drawn([&] { f.game->描画_石(19, 19, stone_white); }), "pic SIROSITAMIGI 6285 6035\n");
    EXPECT_EQ(drawn([&] { f.game->描画_石(10, 1, stone_white); }), "pic SIROUENAKA 3450 365\n");
    EXPECT_EQ(drawn([&] { f.game->描画_石(4, 4, stone_empty); }), "");
    EXPECT_EQ(drawn([&] { f.game->描画_石(4, 4, 5); }), "");
}

TEST_F(Render, BackgroundCoversEverythingButTheBoard) {
    drawn([&] { f.game->描画_背景(background_green); });
    auto tiles = f.fake.lines("pic HAIKEI_MIDORI");
    EXPECT_EQ(tiles.size(), 34u * 38u - 19u * 19u);
    EXPECT_EQ(f.fake.log.front(), "pic HAIKEI_MIDORI -645 -580");
    EXPECT_EQ(f.fake.log.back(), "pic HAIKEI_MIDORI 9750 11075");
    EXPECT_FALSE(f.fake.has("pic HAIKEI_MIDORI 615 365"));
    EXPECT_TRUE(f.fake.has("pic HAIKEI_MIDORI 300 365"));
    EXPECT_EQ(drawn([&] { f.game->描画_背景(7); }), "");
    EXPECT_EQ(drawn([&] { f.game->描画_背景絵(background_bamboo, 21, 11); }), "pic HAIKEI_TAKE 6915 3515\n");
}

TEST_F(Render, BoardRedrawShowsStonesPlain) {
    setBoard(f.s, {"XO", ".", "", "...X"});
    drawn([&] { f.game->描画_盤(); });
    EXPECT_EQ(f.fake.log.size(), 361u);
    EXPECT_EQ(f.fake.log[0], "pic KUROUEHIDARI 615 365");
    EXPECT_EQ(f.fake.log[19], "pic SIROUENAKA 930 365");
    EXPECT_TRUE(f.fake.has("pic KURONAKA 1560 1310"));
    EXPECT_EQ(f.fake.lines("pic KARANAKATEN").size(), 8u);
}

TEST_F(Render, FullRedrawLabelsTheRowsComManWhoeverPlays) {
    f.s.man_side = stone_black;
    f.s.handicap_set = flag_on;
    f.s.handicap_level = -4;
    f.s.black_captures = 12;
    f.fake.checks["SINAN"] = true;
    drawn([&] { f.game->画面_再描画(); });
    EXPECT_TRUE(f.fake.has("text 7387.5 1940 10 15 b \"COM:ﾊﾏ\""));
    EXPECT_TRUE(f.fake.has("text 7387.5 2633 10 15 b \"MAN:ﾊﾏ\""));
    EXPECT_TRUE(f.fake.has("text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:９級\""));
    EXPECT_TRUE(f.fake.has("text 7545 2255 12 15 b \" 12\""));
    int hint = f.fake.find("pic SINAN_MODE 7000 1000");
    int title = f.fake.find("pic RABERU 6900 200");
    EXPECT_GE(hint, 0);
    EXPECT_EQ(title, static_cast<int>(f.fake.log.size()) - 1);
    // Row labels: shadow then text, for each of the 19 rows.
    int shadow = f.fake.find("text 331.5 3263 9 0 b \" 10\"");
    int label = f.fake.find("text 300 3231.5 9 15 b \" 10\"");
    EXPECT_GE(shadow, 0);
    EXPECT_EQ(label, shadow + 1);
}

// A full redraw in the middle of a game (a change of background) puts back what the
// game's commands had drawn: who plays which colour, the move count, the move numbers and
// the last-move mark, and a pending hint.
struct RedrawInGame : GameTest {
    // The background commands write the settings file: keep it out of the way.
    std::filesystem::path ini =
        std::filesystem::temp_directory_path() / ("tolvan-redraw-" + std::to_string(getpid()) + ".ini");
    void SetUp() override {
        GameTest::SetUp();
        g.settings_file = ini.string();
    }
    void TearDown() override { std::filesystem::remove(ini); }
    // Text lines drawn at the label positions of the black and the white row.
    std::string rowLabel(const char* y) {
        for (const auto& l : f.fake.lines(std::string("text 7387.5 ") + y + " 10 15 b "))
            return l.substr(l.find('"'));
        return "";
    }
};

TEST_F(RedrawInGame, LabelsTheRowsByWhoPlaysThem) {
    g.SENTE_Click();
    press(4, 4);
    f.fake.clear();
    g.MIDORI_Click();
    EXPECT_EQ(rowLabel("1940"), "\"MAN:ﾊﾏ\"");
    EXPECT_EQ(rowLabel("2633"), "\"COM:ﾊﾏ\"");

    g.SAISYO_Click();
    g.GOTE_Click();
    f.fake.clear();
    g.TAKE_Click();
    EXPECT_EQ(rowLabel("1940"), "\"COM:ﾊﾏ\"");
    EXPECT_EQ(rowLabel("2633"), "\"MAN:ﾊﾏ\"");

    g.TAIMAN_Click();
    f.fake.clear();
    g.MIDORI_Click();
    EXPECT_EQ(rowLabel("1940"), "\"先 手:ﾊﾏ\"");
    EXPECT_EQ(rowLabel("2633"), "\"後 手:ﾊﾏ\"");

    // With no game the rows read as they always did.
    f.fake.clear();
    g.SAISYO_Click();
    EXPECT_EQ(rowLabel("1940"), "\"COM:ﾊﾏ\"");
    EXPECT_EQ(rowLabel("2633"), "\"MAN:ﾊﾏ\"");
}

TEST_F(RedrawInGame, PutsBackTheMoveCountNumbersAndLastMoveMark) {
    g.TAIMAN_Click();
    press(4, 4);    // 1 black
    press(16, 16);  // 2 white
    press(4, 16);   // 3 black
    f.fake.checks["BANGOU"] = true;
    f.fake.clear();
    g.MIDORI_Click();
    const std::string log = f.fake.dump();
    // After the board: numbers of moves 1 and 2, then the mark on move 3, and the count.
    const int board = f.fake.find("pic KARANAKATEN 3450 3200");  // (10, 10) drawn empty
    ASSERT_GE(board, 0);
    const int one = f.fake.find("ctext 1710 1460 12 15 - \"1\"");
    const int two = f.fake.find("ctext 5490 5240 12 0 - \"2\"");
    const int mark = f.fake.find("circle 1710 5240 50 11");
    EXPECT_GT(one, board) << log;
    EXPECT_GT(two, board) << log;
    EXPECT_GT(mark, std::max(one, two)) << log;
    EXPECT_TRUE(f.fake.has("text 6915 3830 11 15 b \" 3\"")) << log;
    EXPECT_TRUE(f.fake.has("text 7230 3830 11 15 b \"手目\"")) << log;
    EXPECT_TRUE(f.fake.lines("ctext 1710 5240").empty()) << "the last move carries its mark, not a number";

    // Stepped back one move: the count and the mark follow the position shown.
    g.MODORU_Click();
    f.fake.checks["BANGOU"] = false;
    f.fake.clear();
    g.TAKE_Click();
    EXPECT_TRUE(f.fake.has("text 6915 3830 11 15 b \" 2\"")) << f.fake.dump();
    EXPECT_TRUE(f.fake.has("circle 5490 5240 50 11")) << f.fake.dump();
    EXPECT_TRUE(f.fake.lines("ctext").empty()) << "numbers only when they are shown";
}

TEST_F(RedrawInGame, NoGameDrawsNoCountAndNoMark) {
    g.TAIMAN_Click();
    press(4, 4);
    g.SAISYO_Click();
    f.fake.clear();
    g.MIDORI_Click();
    EXPECT_TRUE(f.fake.lines("circle").empty());
    EXPECT_TRUE(f.fake.lines("text 6915 3830").empty());
    EXPECT_TRUE(f.fake.lines("ctext").empty());
}

TEST_F(Render, MoveCountMovesLeftAsItGrows) {
    drawn([&] { f.game->描画_手数(1); });
    EXPECT_EQ(f.fake.lines("pic HAIKEI_TAKE").size(), 4u) << "as far as the end of 手目";
    EXPECT_TRUE(f.fake.has("text 6946.5 3861.5 11 0 b \" 1\""));
    EXPECT_TRUE(f.fake.has("text 6915 3830 11 15 b \" 1\""));
    EXPECT_TRUE(f.fake.has("text 7261.5 3861.5 11 0 b \"手目\""));
    EXPECT_TRUE(f.fake.has("text 7230 3830 11 15 b \"手目\""));
    drawn([&] { f.game->描画_手数(57); });
    EXPECT_TRUE(f.fake.has("text 6852 3830 11 15 b \" 57\""));
    drawn([&] { f.game->描画_手数(123); });
    EXPECT_TRUE(f.fake.has("text 6757.5 3830 11 15 b \" 123\""));
}

TEST_F(Render, HandicapLabels) {
    auto label = [&](int level) {
        drawn([&] { f.game->描画_ハンデレベル(level); });
        auto texts = f.fake.lines("text");
        return texts.empty() ? std::string() : texts.back();
    };
    EXPECT_EQ(label(-13), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:初段\"");
    EXPECT_EQ(label(-4), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:９級\"");
    EXPECT_EQ(label(-3), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:10級\"");
    EXPECT_EQ(label(0), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:13級\"");
    EXPECT_EQ(label(13), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:26級\"");
    EXPECT_EQ(label(14), "");
    // The field is erased all the same, and the shadow comes first.
    EXPECT_EQ(f.fake.lines("pic HAIKEI_TAKE").size(), 5u);
    drawn([&] { f.game->描画_ハンデレベル(1); });
    auto texts = f.fake.lines("text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "text 7081.5 1640.5 10 0 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:14級\"");
}

TEST_F(Render, WhiteRowLabelSitsLowerThanTheBlackOne) {
    drawn([&] { f.game->描画_石ハマ("先 手:ﾊﾏ", "後 手:ﾊﾏ"); });
    EXPECT_EQ(f.fake.dump(),
              "pic HAIKEI_TAKE 7230 1940\npic HAIKEI_TAKE 7545 1940\npic HAIKEI_TAKE 7860 1940\n"
              "pic KUROSOTO 6915 1940\ntext 7387.5 1940 10 15 b \"先 手:ﾊﾏ\"\n"
              "pic HAIKEI_TAKE 7230 2570\npic HAIKEI_TAKE 7545 2570\npic HAIKEI_TAKE 7860 2570\n"
              "pic SIROSOTO 6915 2570\ntext 7387.5 2633 10 15 b \"後 手:ﾊﾏ\"\n");
}

TEST_F(Render, PrisonerCountsHaveNoShadow) {
    drawn([&] { f.game->描画_取得駒数(3, 15); });
    EXPECT_EQ(f.fake.lines("text").size(), 2u);
    EXPECT_TRUE(f.fake.has("text 7545 2255 12 15 b \" 3\""));
    EXPECT_TRUE(f.fake.has("text 7545 2885 12 15 b \" 15\""));
    EXPECT_EQ(f.fake.lines("pic HAIKEI_TAKE").size(), 4u);
}

// ---- Marks of empty points --------------------------------------------------------------

using PointMarks = GameTest;

// ヒント marks its point with a blue shape alone: no small stone and no cyan dot there,
// which would make it the last move's mark (the fault this catches). The next press
// draws the point empty again.
TEST_F(PointMarks, TheHintIsABlueMarkOfItsOwn) {
    g.TAIMAN_Click();
    press(4, 4);
    f.fake.clear();
    g.MenuClick("HINTO");
    const rules::Point at = s.hint_shown;
    ASSERT_NE(at.x, 0) << f.fake.dump();
    const std::string centre = num(board_left + at.x * cell_width + 150) + " " + num(board_top + at.y * cell_height + 150);
    const auto marks = f.fake.lines("polygon " + centre + " ");
    ASSERT_EQ(marks.size(), 1u) << f.fake.dump();
    EXPECT_EQ(marks[0].substr(marks[0].rfind(' ')), " 9") << "blue";
    EXPECT_TRUE(f.fake.lines("circle").empty()) << f.fake.dump();
    f.fake.clear();
    press(at.x == 10 ? 11 : 10, 10);
    EXPECT_EQ(s.hint_shown, rules::Point{});
    const std::string corner = " " + num(board_left + at.x * cell_width) + " " + num(board_top + at.y * cell_height);
    bool empty = false;
    for (const auto& l : f.fake.lines("pic KARA")) empty = empty || l.ends_with(corner);
    EXPECT_TRUE(empty) << f.fake.dump();
}

}  // namespace
}  // namespace tolvan::testing
