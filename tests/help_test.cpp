// その他: the manual in the browser and the version window, on the fake port.
#include <gtest/gtest.h>

#include <filesystem>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

struct Help : ::testing::Test {
    fs::path old = fs::current_path();
    fs::path dir = fs::temp_directory_path() / ("tolvan-help-" + std::to_string(::getpid()));
    Fixture f;

    // Starts the program as if from directory `from`; the settings file it writes at
    // start-up lands in a scratch directory.
    void SetUp() override {
        fs::create_directories(dir);
        fs::current_path(dir);
        f.fake.current_dir = "/home/player/games/tolvan";
        f.game->Form_Load();
        f.s.sound_other = 5;
        f.fake.clear();
    }
    void TearDown() override {
        fs::current_path(old);
        fs::remove_all(dir);
    }
};

TEST_F(Help, ManualIsTheStartUpDirectorysPage) {
    // A later change of directory does not move the manual.
    f.fake.current_dir = "/tmp";
    f.game->MenuClick("KAISETU");
    EXPECT_EQ(f.fake.dump(), "browse /home/player/games/tolvan/Tolvan.htm\n");
}

TEST_F(Help, VersionWindowPlaysTheOtherSoundFirst) {
    for (auto button : {VersionButton::OK, VersionButton::Closed}) {
        f.fake.clear();
        f.fake.version_answer = button;
        f.game->MenuClick("VER");
        EXPECT_EQ(f.fake.dump(), "dsPlay 5\nversion window\n");
    }
}

TEST_F(Help, HomePageButtonOpensTheHomePage) {
    f.fake.version_answer = VersionButton::HomePage;
    f.game->MenuClick("VER");
    EXPECT_EQ(f.fake.dump(),
              "dsPlay 5\nversion window\nbrowse " + std::string(Tolvan::home_page) + "\n");
    EXPECT_EQ(f.s.turn, no_side);  // neither command touches the game
}

// When no browser could be started, a message box names what to open by hand.
TEST_F(Help, AManualThatCouldNotBeOpenedIsNamedInAMessage) {
    f.game->MenuClick("KAISETU");
    ASSERT_TRUE(f.fake.browser_failure);
    // The port reports the failure later, from the event loop.
    f.fake.browser_failure();
    EXPECT_EQ(f.fake.dump(),
              "browse /home/player/games/tolvan/Tolvan.htm\n"
              "msg [解説] 解説を開けません\nブラウザで次のファイルを開いて下さい\n\n"
              "/home/player/games/tolvan/Tolvan.htm\n");
}

TEST_F(Help, AHomePageThatCouldNotBeOpenedIsNamedInAMessage) {
    f.fake.version_answer = VersionButton::HomePage;
    f.game->MenuClick("VER");
    ASSERT_TRUE(f.fake.browser_failure);
    f.fake.clear();
    f.fake.browser_failure();
    EXPECT_EQ(f.fake.dump(), "msg [ホームページ] ホームページを開けません\n"
                             "ブラウザで次のアドレスを開いて下さい\n\n" +
                                 std::string(Tolvan::home_page) + "\n");
}

TEST_F(Help, AFailureReportedAfterTheEndShowsNothing) {
    f.game->MenuClick("KAISETU");
    ASSERT_TRUE(f.fake.browser_failure);
    f.game->KeyDown(27);
    f.fake.clear();
    f.fake.browser_failure();
    EXPECT_EQ(f.fake.dump(), "");
}

}  // namespace
}  // namespace tolvan::testing
