// Start-up, the reset and shutdown, through the window's handlers on the fake port.
#include <gtest/gtest.h>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

TEST(StartUp, LeavesNoGameAndAnEmptyBoard) {
    Fixture f;
    f.game->Form_Load();
    EXPECT_EQ(f.s.turn, no_side);
    EXPECT_EQ(f.s.play_mode, 0);
    EXPECT_EQ(f.s.move_no, 0);
    EXPECT_EQ(f.s.record.stones(), 0);
    EXPECT_EQ(f.s.black_captures, 0);
    EXPECT_EQ(f.s.white_captures, 0);
    EXPECT_EQ(f.s.handicap_level, 0);
    EXPECT_EQ(f.s.handicap_set, flag_off);
    EXPECT_EQ(f.s.background, background_bamboo);
    EXPECT_EQ(f.s.last_x, 0);
    EXPECT_EQ(f.s.last_y, 0);
    EXPECT_EQ(f.s.start_dir, "/home/player/tolvan");
    EXPECT_FALSE(f.fake.checked("BANGOU"));
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) {
            EXPECT_EQ(f.s.board[x][y], stone_empty);
            EXPECT_EQ(f.s.record.after(0).at(x, y), stone_empty);
        }
}

TEST(StartUp, DrawsTheWholeWindowOnce) {
    Fixture f;
    f.game->Form_Load();
    // The frame of the panel first, then the background, every board point, the labels
    // and the panel; the title picture last.
    ASSERT_FALSE(f.fake.lines("box").empty());
    EXPECT_EQ(f.fake.lines("box").front(), "box 6915 1940 8715 4540 2");
    EXPECT_EQ(f.fake.lines("pic KARANAKATEN").size(), 9u);
    EXPECT_EQ(f.fake.lines("pic KARA").size(), 361u);
    EXPECT_EQ(f.fake.log.back(), "pic RABERU 6900 200");
    EXPECT_TRUE(f.fake.has("text 772.5 113 10 0 b \"A  B  C  D  E   F  G  H   I   J   K   L  M  N  O  P  Q  R   S\""));
    EXPECT_TRUE(f.fake.has("text 300 3231.5 9 15 b \" 10\""));
    EXPECT_TRUE(f.fake.has("text 7387.5 1940 10 15 b \"COM:ﾊﾏ\""));
    EXPECT_TRUE(f.fake.has("text 7387.5 2633 10 15 b \"MAN:ﾊﾏ\""));
    EXPECT_TRUE(f.fake.has("text 7545 2255 12 15 b \" 0\""));
    EXPECT_TRUE(f.fake.has("text 7545 2885 12 15 b \" 0\""));
    // No handicap label and no move count after a reset.
    EXPECT_TRUE(f.fake.lines("text 7050").empty());
    for (const auto& l : f.fake.lines("text"))
        EXPECT_EQ(l.find("手目"), std::string::npos) << l;
}

// The four 4-4 bonuses seeded from the clock's second (t = second + 1).
TEST(Reset, OpeningBonusFollowsTheClock) {
    Fixture f;
    f.fake.clock_second = 0;  // t = 1: every K / t is whole
    f.game->Form_Load();
    EXPECT_DOUBLE_EQ(f.s.opening_bonus[4][4], 0.1);
    EXPECT_DOUBLE_EQ(f.s.opening_bonus[4][16], 0.1);
    EXPECT_DOUBLE_EQ(f.s.opening_bonus[16][4], 0.1);
    EXPECT_DOUBLE_EQ(f.s.opening_bonus[16][16], 0.1);

    f.fake.clock_second = 59;  // t = 60
    f.game->初期設定();
    EXPECT_NEAR(f.s.opening_bonus[4][4], 0.1 + (70.0 / 60 - 1) / 10, 1e-12);
    EXPECT_NEAR(f.s.opening_bonus[4][16], 0.1 + (130.0 / 60 - 2) / 10, 1e-12);
    EXPECT_NEAR(f.s.opening_bonus[16][4], 0.15, 1e-12);
    EXPECT_NEAR(f.s.opening_bonus[16][16], 0.15, 1e-12);
    int nonzero = 0;
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y)
            if (f.s.opening_bonus[x][y] != 0) ++nonzero;
    EXPECT_EQ(nonzero, 4);
}

TEST(Reset, ErasesExactlyTheOccupiedPointsThenRedraws) {
    Fixture f;
    f.game->Form_Load();
    setBoard(f.s, {"X.................O", "", "", "...X"});
    f.s.move_no = 3;
    fillRecord(f.s, 3, {1, 1});
    f.s.black_captures = 4;
    f.fake.clear();
    f.game->初期設定();
    // The three stones are erased first, in board order, before anything else is drawn.
    auto tiles = f.fake.lines("pic KARA");
    ASSERT_GE(tiles.size(), 3u);
    EXPECT_EQ(f.fake.log[1], "pic KARAUEHIDARI 615 365");
    EXPECT_EQ(f.fake.log[2], "pic KARANAKATEN 1560 1310");
    EXPECT_EQ(f.fake.log[3], "pic KARAUEMIGI 6285 365");
    EXPECT_EQ(f.fake.log[4].rfind("pic HAIKEI_TAKE", 0), 0u) << f.fake.log[4];
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) EXPECT_EQ(f.s.board[x][y], stone_empty);
    EXPECT_EQ(f.s.move_no, 0);
    EXPECT_EQ(f.s.black_captures, 0);
}

TEST(Reset, NeverTouchesTheBorderIndexes) {
    Fixture f;
    for (int i = 0; i < 20; ++i) {
        f.s.board[0][i] = 7;
        f.s.board[i][0] = 7;
        f.s.opening_bonus[0][i] = 7;
        f.s.opening_bonus[i][0] = 7;
    }
    f.game->Form_Load();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(f.s.board[0][i], 7);
        EXPECT_EQ(f.s.board[i][0], 7);
        EXPECT_EQ(f.s.opening_bonus[0][i], 7);
        EXPECT_EQ(f.s.record.after(0).at(0, i), 0);
    }
    // Nothing is drawn outside the 19 x 19 board cells with a board tile.
    for (const auto& l : f.fake.lines("pic KARA")) {
        double x = 0, y = 0;
        ASSERT_EQ(std::sscanf(l.c_str() + l.find(' ', 4), " %lf %lf", &x, &y), 2) << l;
        EXPECT_GE(x, 615);
        EXPECT_LE(x, 6285);
        EXPECT_GE(y, 365);
        EXPECT_LE(y, 6035);
    }
}

TEST(Shutdown, EscapeCloseAndMenuEndTheProgram) {
    for (int way = 0; way < 3; ++way) {
        Fixture f;
        f.game->Form_Load();
        f.fake.clear();
        if (way == 0) f.game->KeyDown(27);
        if (way == 1) f.game->Form_Unload();
        if (way == 2) f.game->MenuClick("SYUURYO");
        EXPECT_TRUE(f.fake.program_ended) << way;
        EXPECT_TRUE(f.game->ended);
        // After the end no handler runs.
        f.fake.clear();
        f.game->MenuClick("SAISYO");
        f.game->KeyDown(27);
        EXPECT_TRUE(f.fake.log.empty()) << f.fake.dump();
    }
}

TEST(Shutdown, OtherKeysDoNothing) {
    Fixture f;
    f.game->Form_Load();
    f.fake.clear();
    f.game->KeyDown('A');
    f.game->KeyDown(13);
    EXPECT_FALSE(f.fake.program_ended);
    EXPECT_TRUE(f.fake.log.empty());
}

TEST(Numbers, UseTheSignPosition) {
    EXPECT_EQ(Str(10), " 10");
    EXPECT_EQ(Str(0), " 0");
    EXPECT_EQ(Str(-3), "-3");
}

}  // namespace
}  // namespace tolvan::testing
