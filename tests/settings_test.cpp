// The settings file Tolvan.ini and the option commands, on the fake port. Every test
// runs in a fresh directory of its own, as the program runs in its start-up directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "fake_platform.h"
#include "hostile_files.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

// The Shift-JIS bytes of the words the file uses, spelt out so that the tests do not
// lean on the converter under test.
const std::string kBackground = "\x94\x77\x8c\x69\x89\xe6";                      // 背景画
const std::string kGreen = "\x97\xce";                                             // 緑
const std::string kBamboo = "\x92\x7c";                                            // 竹
const std::string kBlue = "\x90\xc2";                                              // 青
const std::string kHint = "\x88\xda\x93\xae\x8e\x77\x93\xec";                      // 移動指南
const std::string kNumbers = "\x8e\xe8\x8f\x87\x94\xd4\x8d\x86\x95\x5c\x8e\xa6";  // 手順番号表示

std::string crlf(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

const std::string kDefaults =
    crlf({kBackground + "=" + kBamboo, kHint + "=OFF", kNumbers + "=OFF", "BGM=OFF"});

// A fresh temporary directory as the current directory for the test's lifetime.
class InTempDir {
public:
    InTempDir() : old_(fs::current_path()) {
        std::string pattern = (fs::temp_directory_path() / "tolvan-settings-XXXXXX").string();
        dir_ = mkdtemp(pattern.data());
        fs::current_path(dir_);
    }
    ~InTempDir() {
        fs::current_path(old_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const fs::path& path() const { return dir_; }

private:
    fs::path old_;
    fs::path dir_;
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// The five option check marks as one word: G(reen) B(amboo) H(int) N(umbers) M(usic),
// lower case when clear.
std::string marksOf(FakePlatform& fake) {
    std::string out;
    out += fake.checked("MIDORI") ? 'G' : 'g';
    out += fake.checked("TAKE") ? 'B' : 'b';
    out += fake.checked("SINAN") ? 'H' : 'h';
    out += fake.checked("BANGOU") ? 'N' : 'n';
    out += fake.checked("BGM") ? 'M' : 'm';
    return out;
}

struct Settings : ::testing::Test {
    InTempDir dir;
    Fixture f;

    // Starts the program with the given Tolvan.ini (none when `file` is empty).
    void start(const std::string& file = {}) {
        if (!file.empty()) writeFile("Tolvan.ini", file);
        f.game->Form_Load();
    }
    std::string ini() const { return readFile("Tolvan.ini"); }
    std::string marks() { return marksOf(f.fake); }
    bool musicStarted() const { return !f.fake.lines("dsPlayLooping").empty(); }
};

// ---- Reading at start-up ---------------------------------------------------------

TEST_F(Settings, NoFileWritesAndAppliesTheDefaults) {
    start();
    EXPECT_EQ(ini(), kDefaults);
    EXPECT_EQ(marks(), "gBhnm");
    EXPECT_EQ(f.s.background, background_bamboo);
    EXPECT_FALSE(musicStarted());
}

// Something other than an ordinary settings file is read as an unreadable one: the
// defaults, at once; the start-up neither aborts, nor waits on a pipe, nor reads a device.
// The defaults are then written to the path: without a device in the scratch folder the
// device's row is left out, so that nothing is written to the system's.
TEST_F(Settings, APathThatIsNotASettingsFileGivesTheDefaults) {
    const HostilePaths paths(4u << 20);
    for (int k = 0; k < hostile_kinds; ++k) {
        SCOPED_TRACE(hostile_names[k]);
        if (k == device && !paths.deviceInFolder) continue;
        Fixture started;
        started.game->settings_file = paths[k];
        started.game->Form_Load();
        EXPECT_EQ(marksOf(started.fake), "gBhnm");
        EXPECT_EQ(started.s.background, background_bamboo);
    }
    if (!paths.deviceInFolder) GTEST_SKIP() << "the device's row: no device could be made in " << paths.dir;
}

TEST_F(Settings, FileWithOnlyMusicOnStartsTheMusic) {
    f.fake.device_result = 1;
    start(crlf({"BGM=ON"}));
    EXPECT_EQ(marks(), "gbhnM");
    EXPECT_EQ(f.s.background, background_bamboo);
    EXPECT_EQ(f.fake.lines("dsPlayLooping"),
              std::vector<std::string>{"dsPlayLooping " + std::to_string(f.s.sound_bgm)});
    // Reading does not rewrite a good file.
    EXPECT_EQ(ini(), crlf({"BGM=ON"}));
}

TEST_F(Settings, GreenBackgroundIsTickedAndDrawnBeforeTheFirstRedraw) {
    start(crlf({kBackground + "=" + kGreen, kHint + "=ON", kNumbers + "=ON", "BGM=OFF"}));
    EXPECT_EQ(marks(), "GbHNm");
    EXPECT_EQ(f.s.background, background_green);
    EXPECT_TRUE(f.fake.lines("pic HAIKEI_TAKE").empty());
    EXPECT_FALSE(f.fake.lines("pic HAIKEI_MIDORI").empty());
    // The hint-mode indicator is part of the start-up redraw.
    EXPECT_TRUE(f.fake.has("pic SINAN_MODE 7000 1000"));
}

TEST_F(Settings, KeysAndValuesAreComparedExactly) {
    struct Case {
        std::string file;
        std::string marks;
        const char* why;
    };
    const Case cases[] = {
        {crlf({kHint + "=on"}), "gbhnm", "lower-case on is off"},
        {crlf({kBackground + "=" + kBlue}), "gbhnm", "an unknown background is ignored"},
        {crlf({"BGM=ON=1"}), "gbhnm", "everything after the first = is the value"},
        {crlf({kNumbers + "=ON", kNumbers + "=ON=1"}), "gbhnm",
         "the split is at the first =, so the second line turns numbers off"},
        {crlf({"BGM =ON", "BGM= ON", "bgm=ON"}), "gbhnm", "no trimming, case matters"},
        {crlf({"Colour=red", kNumbers + "=ON"}), "gbhNm", "other keys are ignored"},
        {crlf({kBackground + "=" + kGreen, kBackground + "=" + kBamboo}), "gBhnm",
         "a later line wins"},
        {crlf({kNumbers + "=ON", kNumbers + "=OFF"}), "gbhnm", "a later line wins"},
    };
    for (const auto& c : cases) {
        Fixture g;
        writeFile("Tolvan.ini", c.file);
        g.game->Form_Load();
        EXPECT_EQ(marksOf(g.fake), c.marks) << c.why;
        EXPECT_TRUE(g.fake.lines("dsPlayLooping").empty()) << c.why;
        EXPECT_EQ(g.s.background, background_bamboo) << c.why;
        // None of these files is replaced.
        EXPECT_EQ(readFile("Tolvan.ini"), c.file) << c.why;
    }
}

TEST_F(Settings, LoneLineFeedsAndCarriageReturnsEndLinesToo) {
    for (const std::string eol : {"\n", "\r"}) {
        Fixture g;
        const std::string file = kBackground + "=" + kGreen + eol + kNumbers + "=ON" + eol +
                                 "BGM=OFF";  // the last line without an end
        writeFile("Tolvan.ini", file);
        g.game->Form_Load();
        EXPECT_TRUE(g.fake.checked("MIDORI"));
        EXPECT_TRUE(g.fake.checked("BANGOU"));
        EXPECT_EQ(g.s.background, background_green);
        EXPECT_EQ(readFile("Tolvan.ini"), file);
    }
}

// Lines the game does not know (blank ones, ones without "=", other keys) are ignored
// where they stand, and written again, in their order and byte for byte, after the
// game's own lines.
TEST_F(Settings, UnknownAndBrokenLinesAreIgnoredAndKept) {
    f.fake.device_result = 1;
    const std::vector<std::string> others = {"", "broken", "Colour=red", "\x81\x81\xff\xfe\x80", "[section]"};
    start(crlf({kBackground + "=" + kGreen, others[0], others[1], kHint + "=ON", others[2], "BGM=ON",
                others[3], others[4]}));
    EXPECT_EQ(marks(), "GbHnM");
    EXPECT_TRUE(musicStarted());
    f.game->MenuClick("BGM");
    EXPECT_EQ(ini(), crlf({kBackground + "=" + kGreen, kHint + "=ON", "BGM=OFF", kNumbers + "=OFF", others[0],
                           others[1], others[2], others[3], others[4]}));
}

// The file is replaced whole or not at all: a write that fails part way (here at the
// process's file size limit) leaves the earlier file as it was, and is told.
TEST_F(Settings, AWriteThatFailsPartWayLeavesTheEarlierFile) {
    const std::string file = crlf({kBackground + "=" + kGreen, "BGM=ON", "Note=" + std::string(3000, 'x')});
    start(file);
    f.fake.clear();
    struct rlimit was {};
    getrlimit(RLIMIT_FSIZE, &was);
    const auto xfsz = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = was;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    f.game->MenuClick("TAKE");
    setrlimit(RLIMIT_FSIZE, &was);
    signal(SIGXFSZ, xfsz);
    EXPECT_EQ(ini(), file);
    EXPECT_EQ(f.fake.lines("msg").size(), 1u) << f.fake.dump();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "no other file";
}

// Thousands of lines for the same key do what the last of them does, and draw and tick
// no more than one would: the work is the reading, not a repaint per line.
TEST_F(Settings, ALargeFileOfRepeatedLinesActsAsItsLastLine) {
    std::string big;
    const std::string green = crlf({kBackground + "=" + kGreen});
    while (big.size() < (1u << 20)) big += green;
    big += crlf({"BGM=ON", kHint + "=ON"});
    f.fake.device_result = 1;
    start(big);
    EXPECT_EQ(marks(), "GbHnM");
    EXPECT_EQ(f.s.background, background_green);
    EXPECT_EQ(f.fake.lines("dsPlayLooping").size(), 1u);
    const std::string drawnForBig = f.fake.dump();

    Fixture once;  // the fake's sound calls go to the newest fake from here on
    writeFile("Tolvan.ini", crlf({kBackground + "=" + kGreen, "BGM=ON", kHint + "=ON"}));
    once.fake.device_result = 1;
    once.game->Form_Load();
    EXPECT_TRUE(drawnForBig == once.fake.dump()) << "the same drawing, checks and sounds";
}

TEST_F(Settings, LaterLinesForTheSameKeyWin) {
    start(crlf({kBackground + "=" + kGreen, kHint + "=ON", "BGM=ON", kNumbers + "=ON",
                kBackground + "=" + kBamboo, kHint + "=on", "BGM=OFF", kNumbers + "=ON"}));
    EXPECT_EQ(marks(), "gBhNm");
    EXPECT_EQ(f.s.background, background_bamboo);
    EXPECT_TRUE(f.fake.lines("pic HAIKEI_MIDORI").empty());
}

TEST_F(Settings, EmptyFileChangesNothing) {
    writeFile("Tolvan.ini", "");
    f.game->Form_Load();
    EXPECT_EQ(ini(), "");
    EXPECT_EQ(marks(), "gbhnm");
    EXPECT_EQ(f.s.background, background_bamboo);
}

TEST_F(Settings, BytesThatAreNotShiftJisMatchNoKey) {
    const std::string file = crlf({
        "\xff\xfe=ON",                      // no such characters in code page 932
        "BGM=\x82",                         // a cut-off double-byte character
        kNumbers.substr(0, 11) + "=ON",     // the key's last character cut in half
        "\x82=\x82\xa0",                    // lead byte right before the "="
        kHint + "=\x80\xa0\xfd",            // invalid value bytes
        std::string("BGM\0=ON", 7),         // a NUL inside the key
        kNumbers + "=ON",                   // a good line still counts
    });
    start(file);
    EXPECT_EQ(marks(), "gbhNm");
    EXPECT_FALSE(musicStarted());
    EXPECT_EQ(ini(), file);
}

// ---- Writing, through the option commands ------------------------------------------

TEST_F(Settings, EachWritingCommandRewritesTheWholeFileInItsOrder) {
    start();
    f.game->MenuClick("MIDORI");
    f.game->MenuClick("SINAN");
    f.game->MenuClick("BGM");
    EXPECT_EQ(ini(), crlf({kBackground + "=" + kGreen, kHint + "=ON", "BGM=ON", kNumbers + "=OFF"}));
    f.game->MenuClick("BGM");
    f.game->MenuClick("SINAN");
    EXPECT_EQ(ini(), crlf({kBackground + "=" + kGreen, kHint + "=OFF", "BGM=OFF", kNumbers + "=OFF"}));
}

TEST_F(Settings, MoveNumbersReachTheFileWithTheNextWritingCommand) {
    start();
    f.game->MenuClick("BANGOU");
    EXPECT_EQ(ini(), kDefaults);  // 手順番号表示 writes nothing itself
    f.game->MenuClick("TAKE");
    EXPECT_EQ(ini(), crlf({kBackground + "=" + kBamboo, kHint + "=OFF", "BGM=OFF", kNumbers + "=ON"}));
}

TEST_F(Settings, FileWithoutBackgroundLineWritesNoneUntilOneIsChosen) {
    start(crlf({"BGM=OFF"}));
    f.game->MenuClick("SINAN");
    EXPECT_EQ(ini(), crlf({kHint + "=ON", "BGM=OFF", kNumbers + "=OFF"}));
    f.game->MenuClick("MIDORI");
    EXPECT_EQ(ini(), crlf({kBackground + "=" + kGreen, kHint + "=ON", "BGM=OFF", kNumbers + "=OFF"}));
}

TEST_F(Settings, WrittenFileReadBackGivesTheSameCheckMarks) {
    start();
    f.game->MenuClick("MIDORI");
    f.game->MenuClick("BANGOU");
    f.game->MenuClick("BGM");  // writes green, numbers on, music on, hint off
    const std::string before = marks();
    ASSERT_EQ(before, "GbhNM");

    Fixture again;
    again.game->Form_Load();
    EXPECT_EQ(marksOf(again.fake), before);
    EXPECT_EQ(again.s.background, background_green);
    EXPECT_FALSE(again.fake.lines("dsPlayLooping").empty());
}

TEST_F(Settings, UnwritableFileLeavesTheLivePreferences) {
    // Its folder cannot be made: a file of that name is in the way.
    std::ofstream(dir.path() / "not-a-folder") << "x";
    f.game->settings_file = (dir.path() / "not-a-folder" / "Tolvan.ini").string();
    start();
    // The defaults are in force even though they could not be stored.
    EXPECT_EQ(marks(), "gBhnm");
    EXPECT_FALSE(fs::exists(f.game->settings_file));

    f.s.sound_bgm = 7;
    f.fake.clear();
    f.game->MenuClick("MIDORI");
    f.game->MenuClick("SINAN");
    f.game->MenuClick("BGM");
    f.game->MenuClick("BANGOU");
    EXPECT_EQ(marks(), "GbHNM");
    EXPECT_EQ(f.s.background, background_green);
    EXPECT_TRUE(f.fake.has("pic RABERU 6900 200"));  // the redraw still happened
    EXPECT_TRUE(f.fake.has("dsPlayLooping 7"));
    EXPECT_FALSE(f.fake.program_ended);
    EXPECT_FALSE(fs::exists(f.game->settings_file));
    // The person is told once in the run, with the file's full name, that the changes
    // are not kept.
    const auto told = f.fake.lines("msg");
    ASSERT_EQ(told.size(), 1u) << f.fake.dump();
    EXPECT_EQ(told[0], "msg [ｵﾌﾟｼｮﾝ] 設定ファイルに書き込めません。\r" + f.game->settings_file +
                           "\r\rオプションの変更は、次に起動したときには元に戻ります。");
    // The first change that could not be kept is the one that tells.
    EXPECT_LT(f.fake.find(told[0]), f.fake.find("check SINAN 1"));
}

TEST_F(Settings, AFileThatCannotBeWrittenInAWritableFolderIsToldOfToo) {
    start();
    // A folder where the file should be: opening it for writing fails.
    fs::remove("Tolvan.ini");
    fs::create_directory("Tolvan.ini");
    f.fake.clear();
    f.game->MenuClick("BGM");
    f.game->MenuClick("BGM");
    ASSERT_EQ(f.fake.lines("msg").size(), 1u);
    EXPECT_NE(f.fake.lines("msg")[0].find((dir.path() / "Tolvan.ini").string()), std::string::npos);
    EXPECT_EQ(marks(), "gBhnm");
}

TEST_F(Settings, TheGameRecordFolderIsKeptInAnyCharactersAsPlainText) {
    start();
    const std::string folder = "/home/碁打ち/my 100% games";
    f.game->prefs.kifu_folder = folder;
    f.game->MenuClick("BGM");
    const std::string file = ini();
    const std::string line = "\x8a\xfb\x95\x88\x83\x74\x83\x48\x83\x8b\x83\x5f=";  // 棋譜フォルダ=
    ASSERT_NE(file.find(line + "/home/%E7%A2%81%E6%89%93%E3%81%A1/my%20100%25%20games\r\n"),
              std::string::npos)
        << file;
    Fixture again;
    again.game->Form_Load();
    EXPECT_EQ(again.game->prefs.kifu_folder, folder);
    EXPECT_EQ(marksOf(again.fake), "gBhnM");
}

// ---- What the option commands change on the screen and in the sound -----------------

TEST_F(Settings, BackgroundCommandsRedrawEvenWhenAlreadyChosen) {
    start();
    f.game->MenuClick("MIDORI");
    EXPECT_EQ(f.s.background, background_green);
    EXPECT_EQ(marks(), "Gbhnm");

    fs::remove("Tolvan.ini");
    f.fake.clear();
    f.game->MenuClick("MIDORI");
    EXPECT_TRUE(f.fake.lines("check").empty());
    EXPECT_EQ(ini(), crlf({kBackground + "=" + kGreen, kHint + "=OFF", "BGM=OFF", kNumbers + "=OFF"}));
    // Every cell around the board (and the panel's fields) in green.
    EXPECT_GE(f.fake.lines("pic HAIKEI_MIDORI").size(), 34u * 38u - 19u * 19u);
    EXPECT_TRUE(f.fake.lines("pic HAIKEI_TAKE").empty());
    EXPECT_EQ(f.fake.log.back(), "pic RABERU 6900 200");

    f.fake.clear();
    f.game->MenuClick("TAKE");
    EXPECT_EQ(marks(), "gBhnm");
    EXPECT_EQ(f.s.background, background_bamboo);
    EXPECT_TRUE(f.fake.lines("pic HAIKEI_MIDORI").empty());
    EXPECT_FALSE(f.fake.lines("pic HAIKEI_TAKE").empty());
}

TEST_F(Settings, MoveNumbersAreDrawnAndTakenOffAtOnce) {
    start();
    // Three moves: black (4,4), white (16,4), black (4,16); the last keeps its mark.
    setBoard(f.s, {});
    const int moves[3][3] = {{4, 4, stone_black}, {16, 4, stone_white}, {4, 16, stone_black}};
    for (int i = 0; i < 3; ++i) {
        f.s.board[moves[i][0]][moves[i][1]] = moves[i][2];
        f.s.record.store(i, {moves[i][2], {moves[i][0], moves[i][1]}}, boardOf(f.s));
    }
    f.s.move_no = 3;

    f.fake.clear();
    f.game->MenuClick("BANGOU");
    EXPECT_TRUE(f.fake.checked("BANGOU"));
    EXPECT_EQ(f.fake.dump(),
              "check BANGOU 1\n"
              "pic SIRONAKA 5340 1310\n"         // each on its plain stone
              "ctext 5490 1460 12 0 - \"2\"\n"   // move 2 on white, in black
              "pic KURONAKA 1560 1310\n"
              "ctext 1710 1460 12 15 - \"1\"\n"  // move 1 on black, in white
              "circle 1710 5240 50 11\n");

    f.fake.clear();
    f.game->MenuClick("BANGOU");
    EXPECT_FALSE(f.fake.checked("BANGOU"));
    EXPECT_EQ(f.fake.dump(),
              "check BANGOU 0\n"
              "pic KURONAKA 1560 1310\n"
              "pic KURONAKA 1560 5090\n"
              "pic SIRONAKA 5340 1310\n"
              "circle 1710 5240 50 11\n");

    // Before the first move there is no mark to draw.
    f.game->初期設定();
    f.fake.clear();
    f.game->MenuClick("BANGOU");
    EXPECT_EQ(f.fake.dump(), "check BANGOU 1\n");
}

TEST_F(Settings, HintModeShowsAndErasesItsIndicator) {
    start();
    f.fake.clear();
    f.game->MenuClick("SINAN");
    EXPECT_EQ(f.fake.lines("pic"), std::vector<std::string>{"pic SINAN_MODE 7000 1000"});

    f.fake.clear();
    f.game->MenuClick("SINAN");
    std::vector<std::string> erased;
    for (int i = 21; i <= 26; ++i)
        for (int j : {3, 4})
            erased.push_back("pic HAIKEI_TAKE " + num(300 + 315 * i) + " " + num(50 + 315 * j));
    EXPECT_EQ(f.fake.lines("pic"), erased);
    EXPECT_FALSE(f.fake.checked("SINAN"));

    // With a hint waiting, switching hint mode on shows it at once.
    f.s.hint_active = flag_on;
    f.fake.clear();
    f.game->MenuClick("SINAN");
    EXPECT_EQ(f.fake.lines("pic"),
              (std::vector<std::string>{"pic SINAN_MODE 7000 1000", "pic SINAN_SURU 7000 1000"}));
}

TEST_F(Settings, MusicCommandLoopsAndStopsTheBackgroundMusic) {
    start();
    f.s.sound_bgm = 7;
    f.fake.clear();
    f.game->MenuClick("BGM");
    f.game->MenuClick("BGM");
    EXPECT_EQ(f.fake.lines("ds"), (std::vector<std::string>{"dsPlayLooping 7", "dsStop 7"}));
    EXPECT_FALSE(f.fake.checked("BGM"));
}

}  // namespace
}  // namespace tolvan::testing
