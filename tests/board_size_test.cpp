// 表示の大きさ on the fake port: the choice in the menu, its redraw of the game as it stands,
// the settings line, and the start-up with a size the screen does or does not hold.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/board_size.h"
#include "fake_platform.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

struct BoardSizes : OwnSettingsTest {
    void SetUp() override {
        GameTest::SetUp();
        g.settings_file = ini.string();
    }
    std::string ticked(FakePlatform& fake) {
        std::string out;
        for (int p : board_sizes)
            if (fake.checked(boardSizeItem(p))) out += std::string(out.empty() ? "" : " ") + std::to_string(p);
        return out;
    }
    void writeIni(const std::string& text) { std::ofstream(ini, std::ios::binary) << text; }
    // A new start of the program on the same settings file, on a screen that holds sizes
    // up to `largest`.
    std::unique_ptr<Fixture> restart(int largest) {
        auto next = std::make_unique<Fixture>();
        next->fake.largest_size = largest;
        next->game->settings_file = ini.string();
        next->game->Form_Load();
        return next;
    }
};

TEST_F(BoardSizes, TheWindowsOwnSizeIsTheDefaultAndLeavesTheFileAsItWas) {
    EXPECT_EQ(ticked(f.fake), "100");
    // The window starts at its own size: nothing to tell it, and no new settings line.
    auto next = restart(300);
    EXPECT_TRUE(next->fake.lines("size").empty());
    EXPECT_EQ(iniText(), "\x94\x77\x8c\x69\x89\xe6=\x92\x7c\r\n\x88\xda\x93\xae\x8e\x77\x93\xec=OFF\r\n"
                         "\x8e\xe8\x8f\x87\x94\xd4\x8d\x86\x95\x5c\x8e\xa6=OFF\r\nBGM=OFF\r\n");
}

TEST_F(BoardSizes, AChosenSizeRedrawsTheGameAsItStandsAndIsKept) {
    g.MenuClick("TAIMAN");
    press(4, 4);
    press(16, 16);
    g.MenuClick("BANGOU");
    const std::string before = boardText(s);
    const int moves = s.move_no;
    f.fake.clear();

    g.MenuClick("BAN_200");
    EXPECT_EQ(ticked(f.fake), "200");
    // The window takes the size first, then everything is drawn again on it: the
    // background, both stones, their numbers, the last-move mark and the panel.
    const auto& log = f.fake.log;
    const auto sized = std::find(log.begin(), log.end(), "size 200");
    ASSERT_NE(sized, log.end());
    auto after = [&](const std::string& prefix) {
        return std::any_of(sized, log.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(after("pic HAIKEI_TAKE"));
    EXPECT_TRUE(after("pic KURONAKA"));
    EXPECT_TRUE(after("pic SIRONAKA"));
    EXPECT_TRUE(after("ctext"));
    EXPECT_TRUE(after("circle"));
    EXPECT_TRUE(after("pic RABERU"));
    EXPECT_EQ(boardText(s), before);
    EXPECT_EQ(s.move_no, moves);
    EXPECT_NE(iniText().find("\x94\xd5\x82\xcc\x91\xe5\x82\xab\x82\xb3=200\r\n"), std::string::npos);

    // The next start comes up at that size.
    auto next = restart(300);
    EXPECT_EQ(next->fake.lines("size"), std::vector<std::string>{"size 200"});
    EXPECT_EQ(ticked(next->fake), "200");

    // Back to 100 %: the line goes again.
    g.MenuClick("BAN_100");
    EXPECT_EQ(ticked(f.fake), "100");
    EXPECT_EQ(iniText().find("=200"), std::string::npos);
}

TEST_F(BoardSizes, ASizeTheScreenCannotHoldIsNotTaken) {
    f.fake.largest_size = 167;
    f.fake.clear();
    g.MenuClick("BAN_300");
    EXPECT_EQ(ticked(f.fake), "100");
    EXPECT_TRUE(f.fake.lines("size").empty());
    EXPECT_TRUE(f.fake.lines("pic").empty());
    g.MenuClick("BAN_167");
    EXPECT_EQ(ticked(f.fake), "167");

    // On a smaller screen the game starts at 100 %, and the file keeps the choice for
    // a screen that holds it.
    auto small = restart(133);
    EXPECT_TRUE(small->fake.lines("size").empty());
    EXPECT_EQ(ticked(small->fake), "100");
    small->game->MenuClick("MIDORI");
    EXPECT_NE(iniText().find("=167\r\n"), std::string::npos);
}

TEST_F(BoardSizes, SizesThatAreNotOfferedAreIgnoredInTheFile) {
    for (const char* value : {"150", "abc", "", "2000", "-1", "１００"}) {
        writeIni(std::string("BGM=OFF\r\n\x94\xd5\x82\xcc\x91\xe5\x82\xab\x82\xb3=") + value + "\r\n");
        auto next = restart(300);
        EXPECT_TRUE(next->fake.lines("size").empty()) << value;
        EXPECT_EQ(ticked(next->fake), "100") << value;
    }
    EXPECT_FALSE(showBoardSize(g, 150));
    EXPECT_TRUE(showBoardSize(g, 133));
    EXPECT_EQ(ticked(f.fake), "133");
}

}  // namespace
}  // namespace tolvan::testing
