// The judgement on ASCII-board positions, and passing to the end of a game.
#include <gtest/gtest.h>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

struct Judge : GameTest {
    char owner(int x, int y) {
        return s.judge_map[x][y] == stone_black ? 'B' : s.judge_map[x][y] == stone_white ? 'W' : '.';
    }
    std::string result() {
        auto m = f.fake.lines("msg");
        return m.empty() ? "" : m.back();
    }
};

TEST_F(Judge, EmptyBoardIsADraw) {
    g.HANTEI_Click();
    EXPECT_EQ(result(), "msg [引き分け！！] 黒[0]+ﾊﾏ(0)   白[0]+ﾊﾏ(0)");
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) EXPECT_EQ(owner(x, y), '.');
}

// A black chain in the corner with two one-point eyes, walled in by white.
const std::vector<std::string> two_eyes = {
    ".X.XO",
    "XXXXO",
    "OOOOO",
};

TEST_F(Judge, TwoEyesLive) {
    setBoard(s, two_eyes);
    const std::string before = boardText(s);
    g.HANTEI_Click();
    // Eyes and stones count for black; everything else is white's.
    EXPECT_EQ(owner(1, 1), 'B');
    EXPECT_EQ(owner(3, 1), 'B');
    EXPECT_EQ(owner(2, 1), 'B');
    EXPECT_EQ(owner(1, 2), 'B');
    // The white wall has no eyes: black's fill takes it, so nothing is white's.
    EXPECT_EQ(owner(5, 1), '.');
    EXPECT_EQ(owner(10, 10), '.');
    EXPECT_EQ(result(), "msg [先手の勝ち！！] 黒[8]+ﾊﾏ(0)   白[0]+ﾊﾏ(0) ");
    // The eyes are shown with black marks.
    EXPECT_TRUE(f.fake.has("circle 765 515 50 0"));
    EXPECT_TRUE(f.fake.has("circle 1395 515 50 0"));
    EXPECT_EQ(boardText(s), before);
}

TEST_F(Judge, OneEyeOrATwoPointEyeSpaceDies) {
    for (const auto& rows : std::vector<std::vector<std::string>>{
             {".XXXO", "XXXXO", "OOOOO"},   // one eye
             {"..XXO", "XXXXO", "OOOOO"}}) {  // one eye space of two points
        setBoard(s, rows);
        const std::string before = boardText(s);
        f.fake.clear();
        g.HANTEI_Click();
        for (int x = 1; x <= 4; ++x) {
            EXPECT_EQ(owner(x, 1), '.') << rows[0];
            EXPECT_EQ(owner(x, 2), '.') << rows[0];
        }
        // Dead stones vanish from the judgement display.
        EXPECT_TRUE(f.fake.has("pic KARAUENAKA 1245 365")) << f.fake.dump();
        EXPECT_EQ(boardText(s), before);
        EXPECT_EQ(result(), "msg [引き分け！！] 黒[0]+ﾊﾏ(0)   白[0]+ﾊﾏ(0)");
    }
}

TEST_F(Judge, DeadWhiteStoneInsideBlackAreaCountsForNobody) {
    // A living black group with eyes on (1, 1) and (3, 1), and a white stone in the
    // larger space on its right.
    setBoard(s, {".X.X.O.XO", "XXXXXXXXO", "OOOOOOOOO"});
    s.black_captures = 2;
    g.HANTEI_Click();
    EXPECT_EQ(owner(6, 1), '.');
    EXPECT_EQ(owner(5, 1), '.');
    EXPECT_EQ(owner(1, 1), 'B');
    EXPECT_EQ(owner(8, 2), 'B');
    EXPECT_TRUE(f.fake.has("pic KARAUENAKA 2190 365"));
    EXPECT_EQ(s.board[6][1], stone_white);
    EXPECT_EQ(result(), "msg [先手の勝ち！！] 黒[13]+ﾊﾏ(2)   白[0]+ﾊﾏ(0) ");
}

TEST_F(Judge, ShowsTheNoticeThenRestoresTheBoard) {
    setBoard(s, two_eyes);
    f.fake.checks["BANGOU"] = true;
    g.HANTEI_Click();
    EXPECT_EQ(f.fake.log[0], "text 6915 3515 12 15 b \"計算中\"");
    EXPECT_EQ(f.fake.log[1], "refresh");
    int msg = f.fake.find(f.fake.lines("msg").back());
    // The notice is wiped before the result box, the board redrawn after it.
    EXPECT_EQ(f.fake.log[msg - 1], "pic HAIKEI_TAKE 7860 3515");
    EXPECT_EQ(f.fake.log[msg + 1], "pic KARAUEHIDARI 615 365");
    EXPECT_EQ(boardText(s).substr(0, 5), ".X.XO");
}

TEST_F(Judge, WorkedExampleComWins) {
    // Black lives on columns 1..4 and (5, 1..4): 80 points with its two eyes. White
    // lives on columns 16..19 but for (16, 19): 75 points. The middle is nobody's.
    std::vector<std::string> rows;
    for (int y = 1; y <= 19; ++y) {
        std::string r = "XXXX";
        if (y == 5 || y == 10) r[1] = '.';
        r += y <= 4 ? "X" : ".";
        r += std::string(10, '.');
        std::string w = "OOOO";
        if (y == 5 || y == 10) w[2] = '.';
        if (y == 19) w[0] = '.';
        rows.push_back(r + w);
    }
    setBoard(s, rows);
    s.black_captures = 3;
    s.white_captures = 10;
    s.play_mode = mode_com;
    s.man_side = stone_black;
    s.com_side = stone_white;
    g.HANTEI_Click();
    EXPECT_EQ(result(), "msg [COMの勝ち！！] 黒[80]+ﾊﾏ(3)   白[75]+ﾊﾏ(10)");
}

struct Pass : Judge {};

TEST_F(Pass, NeedsAGameAndAConfirmation) {
    g.PASU_Click();
    EXPECT_EQ(f.fake.dump(), "msg [パス] 「対局」で始めて下さい\n");
    g.TAIMAN_Click();
    f.fake.clear();
    f.fake.answers = {Answer::No};
    g.PASU_Click();
    EXPECT_EQ(f.fake.dump(), "msg [パスの確認] パスしますか？ (yes/no)\n");
    EXPECT_EQ(s.turn, stone_black);
}

TEST_F(Pass, TwoPersonGameEndsAtTheSecondPass) {
    g.TAIMAN_Click();
    g.MouseDown(pressX(4), pressY(4));
    f.fake.clear();
    g.PASU_Click();  // 後手 passes
    EXPECT_EQ(f.fake.lines("msg"), (std::vector<std::string>{"msg [パスの確認] パスしますか？ (yes/no)",
                                                          "msg [ ] 先手の番です"}));
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(s.move_no, 1);
    g.MouseDown(pressX(5), pressY(5));  // a stone between clears the pass
    g.PASU_Click();                     // 後手 passes again, 先手 passes at once
    f.fake.clear();
    f.fake.answers = {Answer::Yes, Answer::OK, Answer::Yes};
    g.PASU_Click();
    auto msgs = f.fake.lines("msg");
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_EQ(msgs[1], "msg [引き分け！！] 黒[0]+ﾊﾏ(0)   白[0]+ﾊﾏ(0)");
    EXPECT_EQ(msgs[2], "msg [対局] 続けますか (yes/no)");
    // Yes: a new, empty board and no game.
    EXPECT_EQ(s.turn, no_side);
    EXPECT_EQ(s.board[4][4], stone_empty);
}

TEST_F(Pass, FirstPassOfANewTwoPersonGameDoesNotEndIt) {
    g.TAIMAN_Click();
    g.PASU_Click();
    f.fake.answers = {Answer::Yes, Answer::OK, Answer::Yes};
    g.PASU_Click();  // ends the first game, Yes resets
    ASSERT_EQ(s.turn, no_side);
    g.TAIMAN_Click();
    f.fake.clear();
    g.PASU_Click();
    EXPECT_EQ(f.fake.lines("msg"), (std::vector<std::string>{"msg [パスの確認] パスしますか？ (yes/no)",
                                                          "msg [ ] 後手の番です"}));
}

TEST_F(Pass, NoAtTheEndEndsTheProgram) {
    g.TAIMAN_Click();
    g.PASU_Click();
    f.fake.answers = {Answer::Yes, Answer::OK, Answer::No};
    s.sound_stone = 5;
    g.PASU_Click();
    EXPECT_TRUE(f.fake.program_ended);
    EXPECT_TRUE(g.ended);
}

TEST_F(Pass, JudgementKeepsTheGameGoing) {
    g.TAIMAN_Click();
    g.MouseDown(pressX(4), pressY(4));
    g.MouseDown(pressX(5), pressY(5));
    f.fake.checks["BANGOU"] = true;
    f.fake.clear();
    g.HANTEI_Click();
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(s.move_no, 2);
    // Move numbers are written again on all but the last stone.
    EXPECT_TRUE(f.fake.has("ctext 1710 1460 12 15 - \"1\""));
}

}  // namespace
}  // namespace tolvan::testing
