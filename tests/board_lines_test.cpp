// 碁盤 on the fake port: the choice of board and its settings line, handicap on the
// small boards' star points, and whole games of the built-in player on 9 and 13 lines.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "game/board_lines.h"
#include "fake_platform.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

struct BoardLines : OwnSettingsTest {
    void SetUp() override {
        g.settings_file = ini.string();
        g.book_file = "no-such-book.定石";
        GameTest::SetUp();
    }
    // A new start of the program on the same settings file.
    std::unique_ptr<Fixture> restart() {
        auto next = std::make_unique<Fixture>();
        next->game->settings_file = ini.string();
        next->game->book_file = g.book_file;
        next->game->Form_Load();
        return next;
    }
};

TEST_F(BoardLines, AChosenBoardAsksInAGameStartsEmptyAndIsKept) {
    g.MenuClick("TAIMAN");
    press(10, 10);
    f.fake.clear();
    // "No" keeps the game as it is.
    f.fake.answers.push_back(Answer::No);
    g.MenuClick("GOBAN_9");
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "msg [碁盤] 対局中の棋譜は消えます。\r碁盤を替えてよろしいですか？ (yes/no)"});
    EXPECT_EQ(s.size, 19);
    EXPECT_EQ(s.move_no, 1);

    f.fake.clear();
    g.MenuClick("GOBAN_9");
    EXPECT_EQ(s.size, 9);
    EXPECT_EQ(s.turn, no_side);
    EXPECT_EQ(s.record.size(), 9);
    EXPECT_EQ(s.board[10][10], stone_empty) << "nothing of the larger board is left beyond the smaller";
    EXPECT_TRUE(f.fake.checked("GOBAN_9"));
    EXPECT_FALSE(f.fake.checked("GOBAN_19"));
    // The window takes the board before anything is drawn on it.
    const int sized = f.fake.find("lines 9");
    ASSERT_GE(sized, 0);
    for (int i = 0; i < sized; ++i)
        EXPECT_TRUE(f.fake.log[i].rfind("check ", 0) == 0 || f.fake.log[i].rfind("msg ", 0) == 0) << f.fake.log[i];
    EXPECT_NE(iniText().find("\x8c\xe9\x94\xd5=9\x98\x48\r\n"), std::string::npos) << "碁盤=9路";
    EXPECT_EQ(restart()->s.size, 9);

    // Back to 19: no line for the default board, and no question without a game.
    f.fake.clear();
    g.MenuClick("GOBAN_19");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(s.size, 19);
    EXPECT_EQ(iniText().find("\x8c\xe9\x94\xd5="), std::string::npos);

    // A value that names no board offered is the 19-line board.
    std::ofstream(ini, std::ios::binary) << "\x8c\xe9\x94\xd5=7\x98\x48\r\n";
    EXPECT_EQ(restart()->s.size, 19);
}

// A record saved on 13 lines opens on 13 lines whatever board was chosen: the board, the
// menu's tick and the window follow the record.
TEST_F(BoardLines, ARecordOpensOnItsOwnBoard) {
    const std::string file = (fs::temp_directory_path() / ("tolvan-lines-" + std::to_string(getpid()) + ".sgf")).string();
    g.MenuClick("GOBAN_13");
    g.MenuClick("TAIMAN");
    press(13, 13);
    press(1, 13);
    const std::string played = boardText(s);
    f.fake.files_chosen.push_back(file);
    g.MenuClick("KIFU_HOZON");
    g.MenuClick("GOBAN_19");

    f.fake.clear();
    f.fake.files_chosen.push_back(file);
    g.MenuClick("KIFU_HIRAKU");
    fs::remove(file);
    EXPECT_EQ(s.size, 13);
    EXPECT_TRUE(f.fake.checked("GOBAN_13"));
    EXPECT_TRUE(f.fake.has("lines 13"));
    EXPECT_EQ(boardText(s), played);
    EXPECT_EQ(s.move_no, 2);
}

// △ and ▽ on the small boards: the stones go on the star points, as many as there are.
TEST_F(BoardLines, HandicapStonesStandOnTheSmallBoardsStarPoints) {
    struct Case {
        int lines;
        std::vector<rules::Point> points;  // in the order the stones are put
    };
    const std::vector<Case> cases = {
        {9, {{5, 5}, {3, 3}, {7, 3}, {3, 7}, {7, 7}}},
        {13, {{7, 7}, {4, 7}, {10, 7}, {4, 4}, {7, 4}, {10, 4}, {4, 10}, {7, 10}, {10, 10}}},
    };
    for (const Case& c : cases) {
        g.MenuClick("GOBAN_" + std::to_string(c.lines));
        for (std::size_t k = 0; k <= c.points.size(); ++k) g.MenuClick("LEBEL_DOWN");
        EXPECT_EQ(s.handicap_level, -static_cast<int>(c.points.size())) << c.lines;
        rules::Board expected(c.lines);
        for (const rules::Point& p : c.points) expected.put(p.x, p.y, stone_black);
        EXPECT_TRUE(s.record.setup().sameStones(expected)) << c.lines;
        // Back to none: every stone is taken off again.
        for (std::size_t k = 0; k < c.points.size(); ++k) g.MenuClick("LEBEL_UP");
        EXPECT_TRUE(s.record.setup().stonesOf(stone_black).empty()) << c.lines;
    }
}

// The built-in player against itself on the small boards ends the game by two passes,
// and both ways of ending judge that board and nothing beyond it: the fills, and the
// count with dead stones confirmed by Enter. (tolvan-gtp's games on the small boards
// have GNU Go check every move.)
TEST_F(BoardLines, SmallBoardGamesOfTheBuiltInPlayerEndAndAreJudged) {
    for (int lines : {9, 13}) {
        g.MenuClick("GOBAN_" + std::to_string(lines));
        g.MenuClick("TAIMAN");
        int passes = 0, turns = 0;
        for (; passes < 2 && turns < 3 * lines * lines; ++turns) {
            // The computer plays whichever colour is to move.
            s.com_side = s.turn;
            s.man_side = static_cast<i16>(-s.turn);
            const int before = s.move_no;
            g.com_ban();
            passes = s.move_no == before ? passes + 1 : 0;
        }
        EXPECT_EQ(passes, 2) << lines << " lines: no end after " << turns << " turns";
        EXPECT_GT(s.move_no, lines * lines / 3) << lines;

        for (bool count : {false, true}) {
            f.fake.clear();
            g.prefs.count_dead_stones = count;
            if (count) {
                g.MenuClick("PASU");
                g.MenuClick("PASU");
                g.KeyDown(13);
            } else {
                g.MenuClick("HANTEI");
            }
            std::smatch m;
            const std::string all = f.fake.dump();
            ASSERT_TRUE(std::regex_search(all, m, std::regex("黒\\[(\\d+)\\].*白\\[(\\d+)\\]"))) << all;
            const int areas = std::stoi(m[1]) + std::stoi(m[2]);
            EXPECT_TRUE(areas > 0 && areas <= lines * lines) << lines << (count ? " counted: " : " filled: ") << areas;
        }
        g.prefs.count_dead_stones = false;
    }
}

}  // namespace
}  // namespace tolvan::testing
