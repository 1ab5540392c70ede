// Where the program finds its data and keeps its settings: run from its build's run
// folder or a portable copy, or installed with its data in share/games/tolvan/.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/places.h"
#include "fake_platform.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

struct PlacesTest : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("tolvan-places-" + std::to_string(getpid()));
    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(root / "usr/games");
        fs::create_directories(root / "usr/share/games/tolvan");
        fs::create_directories(root / "elsewhere");
        fs::create_directories(root / "portable");
    }
    void TearDown() override { fs::remove_all(root); }
    void touch(const fs::path& p) { std::ofstream(p) << "x"; }
    std::string at(const char* relative) { return (root / relative).string(); }
};

TEST_F(PlacesTest, DataIsLookedForBesideTheProgramThenInstalledThenInTheCurrentFolder) {
    const Places p = placesOf(at("usr/games"), at("elsewhere"), "", at("home"));
    EXPECT_EQ(p.installed_data, at("usr/share/games/tolvan"));
    EXPECT_EQ(p.dataFile("BGM.wav"), "BGM.wav") << "nowhere: the bare name";
    touch(root / "elsewhere/BGM.wav");
    EXPECT_EQ(p.dataFile("BGM.wav"), at("elsewhere/BGM.wav"));
    touch(root / "usr/share/games/tolvan/BGM.wav");
    EXPECT_EQ(p.dataFile("BGM.wav"), at("usr/share/games/tolvan/BGM.wav"));
    touch(root / "usr/games/BGM.wav");
    EXPECT_EQ(p.dataFile("BGM.wav"), at("usr/games/BGM.wav"));
    // A folder of that name is not the file; an absolute name is taken as it is.
    fs::create_directories(root / "usr/games/Tolvan.htm");
    touch(root / "usr/share/games/tolvan/Tolvan.htm");
    EXPECT_EQ(p.dataFile("Tolvan.htm"), at("usr/share/games/tolvan/Tolvan.htm"));
    EXPECT_EQ(p.dataFile("/tmp/book"), "/tmp/book");
}

TEST_F(PlacesTest, SettingsStayBesideAPortableProgramAndGoToTheConfigurationFolderWhenInstalled) {
    touch(root / "portable/Tolvan.定石");
    const Places portable = placesOf(at("portable"), at("elsewhere"), at("xdg"), at("home"));
    EXPECT_TRUE(portable.portable());
    EXPECT_EQ(portable.settingsFile(), at("portable/Tolvan.ini"));

    touch(root / "usr/share/games/tolvan/Tolvan.定石");
    const Places installed = placesOf(at("usr/games"), at("elsewhere"), at("xdg"), at("home"));
    EXPECT_FALSE(installed.portable());
    EXPECT_EQ(installed.dataFile("Tolvan.定石"), at("usr/share/games/tolvan/Tolvan.定石"));
    EXPECT_EQ(installed.settingsFile(), at("xdg/tolvan/Tolvan.ini"));
    // Without XDG_CONFIG_HOME, or with a relative one, ~/.config; without HOME either,
    // the current folder.
    EXPECT_EQ(placesOf(at("usr/games"), "", "", at("home")).settingsFile(), at("home/.config/tolvan/Tolvan.ini"));
    EXPECT_EQ(placesOf(at("usr/games"), "", "cfg", at("home")).settingsFile(), at("home/.config/tolvan/Tolvan.ini"));
    EXPECT_EQ(placesOf(at("usr/games"), "", "", "").settingsFile(), "Tolvan.ini");
    EXPECT_EQ(placesOf("", "", "", "").dataFile("Tolvan.定石"), "Tolvan.定石");

    // Kept games: beside a portable program, else in the data folder.
    EXPECT_EQ(portable.keptGamesFolder(), at("portable/games"));
    EXPECT_EQ(placesOf(at("usr/games"), "", "", at("home"), at("data")).keptGamesFolder(), at("data/tolvan/games"));
    EXPECT_EQ(installed.keptGamesFolder(), at("home/.local/share/tolvan/games"));
    EXPECT_EQ(placesOf(at("usr/games"), "", "", "").keptGamesFolder(), "");

    // Pictures painted for other sizes: beside a portable program, else in the cache folder.
    EXPECT_EQ(portable.picturesFolder(), at("portable/pictures"));
    EXPECT_EQ(placesOf(at("usr/games"), "", "", at("home"), "", at("cache")).picturesFolder(),
              at("cache/tolvan/pictures"));
    EXPECT_EQ(installed.picturesFolder(), at("home/.cache/tolvan/pictures"));
}

TEST_F(PlacesTest, TheSoundLibraryOfAnInstallationIsInItsLibraryFolder) {
    const fs::path lib = installedLibraryDir(at("usr/games"));
    EXPECT_EQ(lib.filename(), "tolvan");
    EXPECT_EQ(lib.string().rfind(at("usr/lib"), 0), 0u) << lib;
}

// The configuration folder is made when the settings are first written, with the same
// bytes as beside the program.
TEST_F(PlacesTest, TheConfigurationFolderIsMadeOnTheFirstWrite) {
    Fixture f;
    f.game->settings_file = at("home/.config/tolvan/Tolvan.ini");
    f.game->Form_Load();
    std::ifstream in(root / "home/.config/tolvan/Tolvan.ini", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, "\x94\x77\x8c\x69\x89\xe6=\x92\x7c\r\n\x88\xda\x93\xae\x8e\x77\x93\xec=OFF\r\n"
                    "\x8e\xe8\x8f\x87\x94\xd4\x8d\x86\x95\x5c\x8e\xa6=OFF\r\nBGM=OFF\r\n");
    f.game->MenuClick("MIDORI");
    EXPECT_TRUE(fs::exists(root / "home/.config/tolvan/Tolvan.ini"));
    EXPECT_FALSE(fs::exists(root / "home/.config/tolvan/Tolvan.ini.tmp"));
}

// The game asks the port for its data files: the book, the four sounds and the manual.
TEST_F(PlacesTest, TheGameReadsItsDataWhereThePortFindsIt) {
    Fixture f;
    f.game->settings_file = at("elsewhere/Tolvan.ini");
    f.fake.data_folder = at("usr/share/games/tolvan");
    f.game->Form_Load();
    f.game->MenuClick("KAISETU");
    EXPECT_TRUE(f.fake.has("browse " + at("usr/share/games/tolvan") + "/Tolvan.htm"));
}

}  // namespace
}  // namespace tolvan::testing
