// How games go on and end on the fake port: passes that end a game only one after the
// other, the computer answering a record opened on its turn, and the position shown
// again after 勝敗判定.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

using GameEnd = GameTest;

// A pass followed by stones and then one pass more is no end, in a game of two people
// and against the computer; the next pass right after it is.
TEST_F(GameEnd, APassLongAgoDoesNotEndTheGameAtTheNextPass) {
    g.MenuClick("TAIMAN");
    press(4, 4);
    g.MenuClick("PASU");  // white passes
    press(16, 16);        // black, then white and black play on
    press(4, 16);
    press(16, 4);
    f.fake.clear();
    g.MenuClick("PASU");  // white passes again
    EXPECT_EQ(messages().back(), "msg [ ] 先手の番です");
    EXPECT_NE(s.turn, no_side);
    f.fake.clear();
    g.MenuClick("PASU");  // black passes at once: the end, and a new game
    EXPECT_EQ(messages().back(), "msg [対局] 続けますか (yes/no)");
    EXPECT_EQ(s.turn, no_side);

    // The computer passed earlier; a pass after stones played since goes on.
    g.MenuClick("SENTE");
    press(4, 4);
    s.com_passed = flag_on;  // as after the computer's pass some moves ago
    press(16, 16);
    f.fake.clear();
    g.MenuClick("PASU");
    EXPECT_NE(s.turn, no_side) << f.fake.dump();
}

// A record opened in a game against the computer with the computer to move: the computer
// answers at once, and the next press is the person's stone.
TEST_F(GameEnd, TheComputerAnswersARecordOpenedOnItsTurn) {
    const fs::path file = fs::temp_directory_path() / ("tolvan-end-" + std::to_string(getpid()) + ".sgf");
    std::ofstream(file) << "(;GM[1]FF[4]SZ[19];B[dd];W[pp];B[dp])";
    g.MenuClick("SENTE");
    f.fake.files_chosen.push_back(file.string());
    g.MenuClick("KIFU_HIRAKU");
    fs::remove(file);
    EXPECT_EQ(s.move_no, 4) << "the computer played white's move";
    EXPECT_EQ(s.turn, stone_black);
    press(10, 10);
    EXPECT_EQ(s.board[10][10], stone_black);
}

// After 勝敗判定 the last stone has its mark again, and the numbers when they are shown.
TEST_F(GameEnd, TheJudgementGivesBackTheLastStonesMark) {
    g.MenuClick("TAIMAN");
    press(4, 4);
    press(16, 16);
    f.fake.clear();
    g.MenuClick("HANTEI");
    const std::vector<std::string>& log = f.fake.log;
    ASSERT_EQ(messages().size(), 1u) << f.fake.dump();
    EXPECT_EQ(log.back().rfind("circle 5490 5240 50 11", 0), 0u) << log.back();
}

}  // namespace
}  // namespace tolvan::testing
