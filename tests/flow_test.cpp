// Handicap stones, stepping through the record and reversal, through the menu commands.
#include <gtest/gtest.h>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

struct Flow : GameTest {
    int stones(int colour) {
        int n = 0;
        for (int x = 1; x <= 19; ++x)
            for (int y = 1; y <= 19; ++y) n += s.board[x][y] == colour;
        return n;
    }
};

TEST_F(Flow, HandicapUpThreeTimesAndBack) {
    for (int i = 0; i < 3; ++i) g.MenuClick("LEBEL_UP");
    EXPECT_EQ(s.handicap_level, 3);
    EXPECT_EQ(s.board[10][10], stone_white);
    EXPECT_EQ(s.board[4][10], stone_white);
    EXPECT_EQ(s.board[16][10], stone_white);
    EXPECT_EQ(stones(stone_white), 3);
    EXPECT_EQ(f.fake.lines("text 7050 1609").back(), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:16級\"");
    EXPECT_EQ(f.fake.lines("dsPlay 11").size(), 3u);
    EXPECT_TRUE(f.fake.has("pic SIRONAKA 3450 3200"));
    for (int i = 0; i < 3; ++i) g.MenuClick("LEBEL_DOWN");
    EXPECT_EQ(s.handicap_level, 0);
    EXPECT_EQ(stones(stone_white) + stones(stone_black), 0);
    EXPECT_EQ(f.fake.lines("text 7050 1609").back(), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:13級\"");
    // No move enters the record.
    EXPECT_EQ(s.move_no, 0);
    EXPECT_EQ(s.record.after(0).at(10, 10), stone_empty);
}

// The handicap stones are the position before the first move: stepping back to the start
// shows them, and the stones of the moves come and go around them.
TEST_F(Flow, SteppingBackToTheStartKeepsTheHandicapStones) {
    g.MenuClick("LEBEL_DOWN");
    g.MenuClick("LEBEL_DOWN");
    g.TAIMAN_Click();
    press(16, 16);
    ASSERT_EQ(s.move_no, 1);
    g.MODORU_Click();
    EXPECT_EQ(s.move_no, 0);
    EXPECT_EQ(s.board[10][10], stone_black);
    EXPECT_EQ(s.board[4][10], stone_black);
    EXPECT_EQ(s.board[16][16], stone_empty);
    g.SUSUMU_Click();
    EXPECT_EQ(s.board[10][10], stone_black);
    EXPECT_NE(s.board[16][16], stone_empty);
}

TEST_F(Flow, HandicapDownToTheEndOfTheRange) {
    for (int i = 0; i < 13; ++i) g.MenuClick("LEBEL_DOWN");
    EXPECT_EQ(s.handicap_level, -13);
    EXPECT_EQ(stones(stone_black), 13);
    const int points[13][2] = {{10, 10}, {4, 10}, {16, 10}, {4, 4},  {10, 4}, {16, 4}, {4, 16},
                               {10, 16}, {16, 16}, {7, 7},  {13, 7}, {7, 13}, {13, 13}};
    for (auto& p : points) EXPECT_EQ(s.board[p[0]][p[1]], stone_black) << p[0] << "," << p[1];
    EXPECT_EQ(f.fake.lines("text 7050 1609").back(), "text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:初段\"");
    s.handicap_set = flag_off;
    f.fake.clear();
    g.MenuClick("LEBEL_DOWN");  // a fourteenth changes nothing but the flag
    EXPECT_TRUE(f.fake.log.empty()) << f.fake.dump();
    EXPECT_EQ(s.handicap_level, -13);
    EXPECT_EQ(s.handicap_set, flag_on);
    // The full redraw now shows the label.
    g.画面_再描画();
    EXPECT_TRUE(f.fake.has("text 7050 1609 10 15 b \"ﾊﾝﾃﾞｨｷｬｯﾌﾟ:初段\""));
}

TEST_F(Flow, HandicapRefusalsInTheirOrder) {
    const std::string tail = "\r\r局面→最初にして下さい";
    g.TAIMAN_Click();
    press(4, 4);
    s.record_mode = flag_on;
    s.reversed = flag_on;
    f.fake.clear();
    g.MenuClick("LEBEL_DOWN");
    g.MenuClick("LEBEL_UP");
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\nmsg [ﾊﾝﾃﾞｨｷｬｯﾌﾟ設定] 棋譜ﾓｰﾄﾞではできません" + tail +
                                 "\ndsPlay 12\nmsg [ﾊﾝﾃﾞｨｷｬｯﾌﾟ設定] 対局途中ではできません" + tail + "\n");
    s.record_mode = flag_off;
    s.move_no = 0;
    f.fake.clear();
    g.MenuClick("LEBEL_DOWN");
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [ﾊﾝﾃﾞｨｷｬｯﾌﾟ設定] 反転後ではできません" + tail});
    EXPECT_EQ(s.handicap_level, 0);
    EXPECT_EQ(s.handicap_set, flag_off);
}

TEST_F(Flow, HandicapAcceptedAfterSenteBeforeTheFirstMove) {
    g.SENTE_Click();
    g.MenuClick("LEBEL_UP");
    g.MenuClick("LEBEL_UP");
    EXPECT_EQ(s.handicap_level, 2);
    EXPECT_EQ(s.board[4][10], stone_white);
    EXPECT_EQ(s.turn, stone_black);
}

// A two-person game where black's third stone, on (4, 1), captures three white stones.
struct Capture3 : Flow {
    void SetUp() override {
        Flow::SetUp();
        g.TAIMAN_Click();
        setBoard(s, {"OOO.", "XXX"});
        g.調査_保存(0);
        press(10, 10);
        press(16, 16);
        press(4, 1);
    }
};

TEST_F(Capture3, BackAndForwardOverACapture) {
    ASSERT_EQ(s.black_captures, 3);
    ASSERT_EQ(s.board[2][1], stone_empty);
    ASSERT_EQ(s.move_no, 3);
    f.fake.clear();
    g.MenuClick("MODORU");
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.board[1][1], stone_white);
    EXPECT_EQ(s.board[2][1], stone_white);
    EXPECT_EQ(s.board[3][1], stone_white);
    EXPECT_EQ(s.board[4][1], stone_empty);
    EXPECT_EQ(s.black_captures, 0);
    EXPECT_EQ(s.record_mode, flag_on);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_TRUE(f.fake.has("pic KARAUENAKA 1560 365"));
    EXPECT_TRUE(f.fake.has("pic SIROUENAKA 930 365"));
    // The stone of move 2 carries the mark again, the count shows 2.
    EXPECT_TRUE(f.fake.has("circle 5490 5240 50 11"));
    EXPECT_EQ(s.last_x, 16);
    EXPECT_TRUE(f.fake.has("text 6915 3830 11 15 b \" 2\""));
    EXPECT_EQ(f.fake.log.back(), "dsPlay 11");
    // Only the differing points were drawn, never the whole board.
    EXPECT_LT(f.fake.lines("pic ").size(), 30u);

    f.fake.clear();
    g.MenuClick("SUSUMU");
    EXPECT_EQ(s.move_no, 3);
    EXPECT_EQ(s.black_captures, 3);
    EXPECT_EQ(s.board[2][1], stone_empty);
    EXPECT_EQ(s.board[4][1], stone_black);
    EXPECT_TRUE(f.fake.has("pic KUROUENAKA 1560 365"));
    EXPECT_TRUE(f.fake.has("circle 1710 515 50 11"));
    EXPECT_TRUE(f.fake.has("pic SIRONAKA 5340 5090"));  // move 2 loses its mark
    EXPECT_EQ(s.last_x, 4);
    EXPECT_EQ(s.last_y, 1);
    EXPECT_EQ(s.turn, stone_white);
    f.fake.clear();
    g.MenuClick("SUSUMU");
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\nmsg [進む] 進めません\n");
    EXPECT_EQ(s.record_mode, flag_on);
}

TEST_F(Flow, BackToMoveZeroAndForward) {
    g.TAIMAN_Click();
    press(4, 4);
    press(5, 5);
    g.MenuClick("MODORU");
    g.MenuClick("MODORU");
    EXPECT_EQ(s.move_no, 0);
    EXPECT_EQ(stones(stone_black) + stones(stone_white), 0);
    EXPECT_TRUE(f.fake.has("text 6915 3830 11 15 b \" 0\""));
    f.fake.clear();
    g.MenuClick("MODORU");
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\nmsg [戻る] 戻れません\n");
    g.MenuClick("SUSUMU");
    EXPECT_EQ(s.move_no, 1);
    EXPECT_EQ(s.board[4][4], stone_black);
    EXPECT_EQ(s.turn, stone_white);
}

TEST_F(Flow, PlayingAfterSteppingBackCutsTheRecord) {
    g.TAIMAN_Click();
    press(4, 4);
    press(5, 5);
    press(6, 6);
    g.MenuClick("MODORU");
    g.MenuClick("MODORU");
    press(10, 10);  // takes the game up
    EXPECT_EQ(s.board[10][10], stone_empty);
    press(10, 10);  // white plays
    EXPECT_EQ(s.board[10][10], stone_white);
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.record.stones(), 2);
    f.fake.clear();
    g.MenuClick("SUSUMU");
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [進む] 進めません"});
}

TEST_F(Flow, ReversalTwiceInATwoPersonGame) {
    g.TAIMAN_Click();
    press(4, 4);
    press(5, 5);
    press(6, 6);
    s.black_captures = 2;
    s.white_captures = 1;
    g.調査_保存(s.move_no);  // the record keeps the counts
    const std::string before = boardText(s);
    f.fake.clear();
    g.MenuClick("GYAKUTEN");
    EXPECT_EQ(s.board[4][4], stone_white);
    EXPECT_EQ(s.board[5][5], stone_black);
    EXPECT_EQ(s.black_captures, 1);
    EXPECT_EQ(s.white_captures, 2);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(recordedMove(s, 0).colour, stone_white);
    EXPECT_EQ(s.record.after(1).at(4, 4), stone_white);
    EXPECT_EQ(s.last_side, stone_white);
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(f.fake.has("pic SIRONAKA 1560 1310"));
    g.MenuClick("GYAKUTEN");
    EXPECT_EQ(boardText(s), before);
    EXPECT_EQ(s.turn, stone_white);
    EXPECT_EQ(s.black_captures, 2);
    EXPECT_EQ(s.reversed, flag_on);
}

TEST_F(Flow, ReversalThenBackShowsTheSwappedPosition) {
    g.TAIMAN_Click();
    press(4, 4);
    press(5, 5);
    g.MenuClick("GYAKUTEN");
    g.MenuClick("MODORU");
    EXPECT_EQ(s.board[4][4], stone_white);
    EXPECT_EQ(s.board[5][5], stone_empty);
}

TEST_F(Flow, ReversalOnAnEmptyRecordDoesNothing) {
    g.TAIMAN_Click();
    f.fake.clear();
    g.MenuClick("GYAKUTEN");
    EXPECT_TRUE(f.fake.log.empty());
    EXPECT_EQ(s.reversed, flag_off);
}

}  // namespace
}  // namespace tolvan::testing
