// Game records through the window's commands, on the fake port: saving a game and
// opening it again gives the same game, position by position; a file that cannot be
// used changes nothing; what a file says is kept where it still holds.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>

#include "fake_platform.h"
#include "game/komi.h"
#include "game/review_view.h"
#include "hostile_files.h"
#include "records/sgf.h"
#include "records/tree.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

// A folder of the test's own, removed afterwards.
class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "tolvan-kifu-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct Kifu : GameTest {
    Folder folder;
    void SetUp() override {
        GameTest::SetUp();
        g.settings_file = folder.file("Tolvan.ini");
    }
    void save(const std::string& file) {
        f.fake.files_chosen.push_back(file);
        g.MenuClick("KIFU_HOZON");
    }
    void open(Tolvan& game, FakePlatform& fake, const std::string& file) {
        fake.files_chosen.push_back(file);
        game.MenuClick("KIFU_HIRAKU");
    }
};

// ---- Round trips ------------------------------------------------------------------------

struct Random {
    std::uint32_t state;
    int below(int n) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
    }
};

// A two-person game of random legal stones with captures, a handicap for either colour,
// a pass now and then, perhaps a reversal, and a judgement.
void playRandomGame(Tolvan& g, FakePlatform& fake, std::uint32_t seed) {
    Random rnd{seed};
    GameState& s = g.s;
    g.TAIMAN_Click();
    const int handicap = rnd.below(9) - 4;
    for (int k = 0; k < (handicap < 0 ? -handicap : handicap); ++k)
        handicap < 0 ? g.LEBEL_DOWN_Click() : g.LEBEL_UP_Click();
    bool passed = false;
    for (int tries = 0; s.move_no < 150 && tries < 3000; ++tries) {
        // One pass in the game (a second would end it).
        if (!passed && s.move_no > 20 && rnd.below(40) == 0) {
            g.PASU_Click();
            passed = true;
            continue;
        }
        // Mostly near the last stone, so that chains meet; a capture whenever one is
        // there, half of the time.
        int x = 1 + rnd.below(19), y = 1 + rnd.below(19);
        if (s.move_no > 0 && rnd.below(3) > 0) {
            x = std::clamp(s.last_x + rnd.below(5) - 2, 1, 19);
            y = std::clamp(s.last_y + rnd.below(5) - 2, 1, 19);
        }
        if (rnd.below(2) == 0)
            for (int cx = 1; cx <= 19; ++cx)
                for (int cy = 1; cy <= 19; ++cy)
                    if (s.board[cx][cy] == stone_empty && g.調査_当たり(cx, cy, s.turn, -s.turn) == flag_on) {
                        x = cx;
                        y = cy;
                    }
        fake.answers.clear();
        g.MouseDown(pressX(x), pressY(y));
        if (s.move_no == 60 && seed % 3 == 0) g.GYAKUTEN_Click();
    }
    g.HANTEI_Click();
}

// Every position of the record, the prisoners at the end and each step back, and the
// judgement's words.
struct Story {
    std::vector<std::string> positions;
    std::vector<std::pair<int, int>> prisoners;
    std::vector<std::string> judgement;
};

Story storyOf(Tolvan& g, FakePlatform& fake) {
    Story st;
    GameState& s = g.s;
    while (s.move_no < s.record.stones()) g.SUSUMU_Click();
    fake.clear();
    g.HANTEI_Click();
    st.judgement = fake.lines("msg");
    for (;;) {
        st.positions.push_back(boardText(s));
        st.prisoners.emplace_back(s.black_captures, s.white_captures);
        if (s.move_no == 0) break;
        g.MODORU_Click();
    }
    return st;
}

TEST_F(Kifu, ASavedGameOpensAsTheSameGamePositionByPosition) {
    int captures = 0;
    for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Fixture played;
        played.game->Form_Load();
        played.game->settings_file = folder.file("Tolvan.ini");
        playRandomGame(*played.game, played.fake, seed);
        ASSERT_GT(played.s.record.stones(), 60);
        captures += played.s.black_captures + played.s.white_captures;

        const std::string file = folder.file("game" + std::to_string(seed) + ".sgf");
        played.fake.files_chosen.push_back(file);
        played.game->MenuClick("KIFU_HOZON");
        ASSERT_TRUE(fs::exists(file)) << played.fake.dump();
        EXPECT_TRUE(played.fake.lines("msg [棋譜の保存]").empty());

        Fixture opened;
        opened.game->Form_Load();
        opened.game->settings_file = folder.file("Tolvan.ini");
        opened.fake.files_chosen.push_back(file);
        opened.game->MenuClick("KIFU_HIRAKU");
        ASSERT_EQ(opened.s.record.stones(), played.s.record.stones()) << opened.fake.dump();
        EXPECT_EQ(opened.s.record_mode, flag_on);
        EXPECT_EQ(opened.s.move_no, opened.s.record.stones());

        const Story a = storyOf(*played.game, played.fake), b = storyOf(*opened.game, opened.fake);
        // Every position after a move. Before the first move the opened game shows its
        // handicap stones, where a game of the window shows the empty board it was reset to.
        ASSERT_EQ(a.positions.size(), b.positions.size());
        for (std::size_t i = 0; i + 1 < a.positions.size(); ++i)
            ASSERT_EQ(a.positions[i], b.positions[i]) << "step back " << i;
        EXPECT_EQ(a.prisoners, b.prisoners);
        EXPECT_EQ(a.judgement, b.judgement);

        // Saved again, the file is the same (the judgement's result included).
        const std::string again = folder.file("again" + std::to_string(seed) + ".sgf");
        opened.fake.files_chosen.push_back(again);
        opened.game->MenuClick("KIFU_HOZON");
        EXPECT_EQ(readText(again), readText(file));
        EXPECT_NE(readText(file).find("RE["), std::string::npos);
    }
    EXPECT_GT(captures, 20) << "the games took stones";
}

// The saved file read back with the reader.
sgf::Record savedRecord(const std::string& file) {
    auto r = sgf::read(readText(file));
    EXPECT_TRUE(std::holds_alternative<sgf::Record>(r)) << readText(file);
    return std::holds_alternative<sgf::Record>(r) ? std::get<sgf::Record>(r) : sgf::Record{};
}

std::string movesOf(const sgf::Record& r) {
    std::string out;
    for (const auto& m : r.moves) {
        out += m.colour == stone_black ? ";B[" : ";W[";
        if (!m.pass) {
            out += static_cast<char>('a' + m.at.x - 1);
            out += static_cast<char>('a' + m.at.y - 1);
        }
        out += "]";
    }
    return out;
}

TEST_F(Kifu, WhatIsWrittenNamesThePlayersHandicapAndPasses) {
    g.LEBEL_DOWN_Click();
    g.LEBEL_DOWN_Click();  // two black handicap stones: (10, 10) and (4, 10)
    g.GOTE_Click();        // the person plays white; the computer, black, moves first
    const std::string file = folder.file("a.sgf");
    press(17, 17);
    save(file);
    const std::string text = readText(file);
    EXPECT_EQ(text.rfind("(;FF[4]GM[1]CA[UTF-8]SZ[19]", 0), 0u) << text;
    const sgf::Record r = savedRecord(file);
    EXPECT_EQ(r.get("AP"), "Tolvan:1.0");
    EXPECT_EQ(r.get("KM"), "0");
    EXPECT_EQ(r.get("DT"), "2026-12-07");
    EXPECT_EQ(r.get("PB"), "Tolvan（コンピュータ）");
    EXPECT_EQ(r.get("PW"), "あなた");
    EXPECT_EQ(r.get("HA"), "2");
    EXPECT_EQ(r.get("RE"), "") << "not judged";
    EXPECT_EQ(r.black_setup, (std::vector<rules::Point>{{4, 10}, {10, 10}}));
    EXPECT_TRUE(r.white_setup.empty());
    ASSERT_GE(r.moves.size(), 3u);
    EXPECT_EQ(r.moves[1].at, (rules::Point{17, 17}));
    EXPECT_EQ(r.moves[1].colour, stone_white);

    // Two moves of one colour have the other colour's pass between them; a pass after
    // the last move ends the record.
    g.SAISYO_Click();
    g.TAIMAN_Click();
    press(4, 4);
    g.PASU_Click();
    save(file);
    EXPECT_EQ(movesOf(savedRecord(file)), ";B[dd];W[]");
    press(16, 4);
    save(file);
    const sgf::Record passes = savedRecord(file);
    EXPECT_EQ(movesOf(passes), ";B[dd];W[];B[pd]");
    EXPECT_EQ(passes.get("PB"), "先手");
    EXPECT_EQ(passes.get("PW"), "後手");

    // Passes between two stones of alternating colours (play taken up after both passed)
    // stay where they were made.
    g.SAISYO_Click();
    writeText(file, "(;SZ[9];B[cc];W[];B[];W[gg];B[];W[];B[];B[ee])");
    open(g, f.fake, file);
    save(file);
    EXPECT_EQ(movesOf(savedRecord(file)), ";B[cc];W[];B[];W[gg];B[];W[];B[];W[];B[ee]");
}

TEST_F(Kifu, SavingWhileSteppingBackSavesTheWholeRecord) {
    g.TAIMAN_Click();
    press(4, 4);
    press(16, 16);
    press(4, 16);
    g.MODORU_Click();
    g.MODORU_Click();
    const std::string file = folder.file("b.sgf");
    save(file);
    EXPECT_EQ(movesOf(savedRecord(file)), ";B[dd];W[pp];B[dp]");
    EXPECT_EQ(s.move_no, 1) << "saving changes nothing";
}

// A review kept with the game is saved with it, for the moves the game still shares; a
// reviewed move the game changed stays, with its review, as a variation.
TEST_F(Kifu, AReviewIsSavedWithTheMovesItStillShares) {
    g.TAIMAN_Click();
    press(4, 4);
    press(16, 16);
    sgf::Record reviewed = recordOfGame(g, "", 0, std::nullopt);
    reviewed.moves[0].annotations.value = 1.5;
    reviewed.moves[1].annotations.value = -2;
    reviewed.moves[1].annotations.bad_move = 2;
    keepReview(g, reviewed);
    const std::string file = folder.file("r.sgf");
    save(file);
    EXPECT_NE(readText(file).find(";B[dd]V[1.5]\n;W[pp]BM[2]V[-2]"), std::string::npos) << readText(file);
    g.MODORU_Click();
    press(16, 4);  // takes the game up
    press(16, 4);  // white's move changed
    // Nothing is lost: the changed move and its review stay as a variation, so the only
    // question is whether to replace the file.
    f.fake.clear();
    f.fake.answers = {Answer::Yes};
    save(file);
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [棋譜の保存] 「" + file +
                                                   "」は既にあります。\r置き換えてよろしいですか？ (yes/no)"});
    EXPECT_NE(readText(file).find(";B[dd]V[1.5](;W[pd])(;W[pp]BM[2]V[-2]))"), std::string::npos) << readText(file);
}

// A review counts the passes among the moves, the stored positions only the stones: each
// move's position is the one 戻 and 進 step to, and a mistake's better move is marked on it.
TEST_F(Kifu, AReviewedMoveShowsThePositionAfterIt) {
    g.TAIMAN_Click();
    press(4, 4);
    g.PASU_Click();
    press(16, 4);
    press(4, 16);
    const sgf::Record reviewed = recordOfGame(g, "", 0, std::nullopt);  // B, W pass, B, W
    ASSERT_EQ(reviewed.moves.size(), 4u);
    // Move shown, stones on the board, the move the review marks on its graph.
    const int rows[][3] = {{0, 0, 0}, {1, 1, 1}, {2, 1, 1}, {3, 2, 3}, {4, 3, 4}};
    for (const auto& [moves, stones, marked] : rows) {
        SCOPED_TRACE(moves);
        showReviewedPosition(g, reviewed, moves);
        EXPECT_EQ(s.move_no, stones);
        EXPECT_EQ(moveShown(g, reviewed), marked);
    }
    showReviewedPosition(g, reviewed, 2, {10, 10});
    EXPECT_EQ(s.better_shown, (rules::Point{10, 10}));
    g.MenuClick("MODORU");
    EXPECT_EQ(s.better_shown, rules::Point{}) << "cleared as a hint is";
}

// ---- Refusals ---------------------------------------------------------------------------

TEST_F(Kifu, NothingToSaveIsSaidAndNoFileWritten) {
    const std::string file = folder.file("empty.sgf");
    f.fake.files_chosen.push_back(file);
    g.MenuClick("KIFU_HOZON");
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [棋譜の保存] 保存する棋譜がありません（盤に石がありません）。"});
    EXPECT_TRUE(f.fake.lines("save dialog").empty());
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(Kifu, AFileThatCannotBeWrittenIsNamedAndTheEarlierOneKept) {
    g.TAIMAN_Click();
    press(4, 4);
    f.fake.clear();
    // The name is taken by a folder holding an earlier game: it stays as it was.
    const std::string taken = folder.file("taken.sgf");
    fs::create_directory(taken);
    writeText(taken + "/earlier.sgf", "(;B[aa])");
    save(taken);
    ASSERT_EQ(messages().size(), 1u) << f.fake.dump();
    EXPECT_EQ(messages()[0].rfind("msg [棋譜の保存] 「" + taken + "」に棋譜を保存できませんでした。", 0), 0u)
        << messages()[0];
    EXPECT_EQ(readText(taken + "/earlier.sgf"), "(;B[aa])");
    // And a folder that does not exist.
    f.fake.clear();
    save(folder.file("no-such-folder/c.sgf"));
    EXPECT_EQ(messages().size(), 1u);
    // No half-written file is left anywhere.
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder.path()))
        if (e.is_regular_file() && e.path().filename() != "Tolvan.ini") ++files;
    EXPECT_EQ(files, 1) << "only the earlier game";
}

TEST_F(Kifu, AFileThatCannotBeUsedChangesNothingAndSaysWhy) {
    g.TAIMAN_Click();
    press(4, 4);
    press(16, 16);
    const Grid<i16> board = s.board;
    const int moves = s.move_no, turn = s.turn;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"This is a letter, not a game.", "SGF形式の棋譜ではありません。"},
        {"(;GM[1]SZ[25];B[cc])", "9路盤、13路盤、19路盤の棋譜だけを開けます。"},
        {"(;SZ[9];B[ba];W[ca];AW[bb][aa];B[ee])", "2手目の後の置石の並べ方に誤りがあります。"},
        {"(;SZ[19];B[dd];W[pp];B[dd])", "3手目は石のある所に打たれています。"},
        {"(;AB[ba][ab];W[aa])", "1手目は自殺点に打たれています。"},
        {"(;SZ[19];B[dd];W[pp];B[zz])", "3手目の位置が盤の外です。"},
        {"(;SZ[19];B[dd", "棋譜の書き方に誤りがあります。"},
        {"(;CA[foo]PB[\x8c\xe9];B[dd])", "棋譜の文字コードには対応していません。"},
        {"(;AB[ab][ba]AW[aa])", "置石の並べ方に誤りがあります。"},
    };
    int k = 0;
    for (const auto& [text, why] : files) {
        const std::string file = folder.file("bad" + std::to_string(++k) + ".sgf");
        writeText(file, text);
        f.fake.clear();
        open(g, f.fake, file);
        EXPECT_EQ(messages(), std::vector<std::string>{"msg [棋譜を開く] 「" + file + "」を開けません。\r\r" + why})
            << text;
        EXPECT_EQ(s.board, board) << text;
        EXPECT_EQ(s.move_no, moves);
        EXPECT_EQ(s.turn, turn);
        EXPECT_EQ(s.record_mode, flag_off);
    }
    // More moves than the record holds: a ko taken back and forth, each time after two
    // passes.
    std::string kos = "(;AB[ba][ab][bc]AW[ca][db][cc];W[bb];B[cb]";
    for (int i = 0; i < max_moves / 2; ++i) kos += ";W[];B[];W[bb];B[];W[];B[cb]";
    kos += ")";
    const std::string many = folder.file("many.sgf");
    writeText(many, kos);
    f.fake.clear();
    open(g, f.fake, many);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("手数が多すぎます（1000手までです）。"), std::string::npos) << messages()[0];
    EXPECT_EQ(s.board, board);
}

// What is not an ordinary file of a record's size is refused at once with its cause: the
// window neither waits on a pipe nor reads a device without end.
TEST_F(Kifu, APathThatIsNotARecordFileIsRefusedWithItsCause) {
    const HostilePaths paths(sgf::max_bytes);
    const std::string why[] = {"ファイルではなくフォルダです。",
                               "通常のファイルではありません（デバイスやパイプは読めません）。",
                               "通常のファイルではありません（デバイスやパイプは読めません）。",
                               "ファイルが大きすぎます。",
                               "ファイルを読み込めません（" + std::string(std::strerror(ENOENT)) + "）。"};
    for (int k = 0; k < hostile_kinds; ++k) {
        SCOPED_TRACE(hostile_names[k]);
        f.fake.clear();
        open(g, f.fake, paths[k]);
        EXPECT_EQ(messages(), std::vector<std::string>{"msg [棋譜を開く] 「" + paths[k] + "」を開けません。\r\r" + why[k]});
    }
}

// What the game saves, it opens again. A Shift_JIS record of half-width kana grows to
// three times its size as UTF-8: its copy is saved up to the size a record may have,
// and refused beyond it before anything is written.
TEST_F(Kifu, WhatIsSavedOpensAgainUpToTheReadingLimit) {
    const auto record = [](std::size_t kana, std::size_t ascii) {
        return "(;GM[1]CA[Shift_JIS]SZ[19]C[" + std::string(ascii, 'a') + std::string(kana, '\xb1') + "];B[dd])";
    };
    const auto saved = [&](std::size_t kana, std::size_t ascii, const std::string& file) {
        const std::string source = folder.file("source.sgf");
        writeText(source, record(kana, ascii));
        Fixture opened;
        opened.game->settings_file = folder.file("Tolvan.ini");
        open(*opened.game, opened.fake, source);
        opened.fake.files_chosen.push_back(file);
        opened.game->MenuClick("KIFU_HOZON");
        return opened.fake.lines("msg");
    };
    ASSERT_TRUE(saved(1, 0, folder.file("small.sgf")).empty());
    const std::size_t room = sgf::max_bytes - readText(folder.file("small.sgf")).size();
    const std::size_t kana = 1 + room / 3, ascii = room % 3;

    const std::string full = folder.file("full.sgf");
    EXPECT_TRUE(saved(kana, ascii, full).empty());
    EXPECT_EQ(fs::file_size(full), sgf::max_bytes);
    f.fake.clear();
    open(g, f.fake, full);
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    EXPECT_EQ(s.record.stones(), 1);

    const std::string over = folder.file("over.sgf");
    EXPECT_EQ(saved(kana, ascii + 1, over),
              std::vector<std::string>{"msg [棋譜の保存] 「" + over +
                                       "」に棋譜を保存できませんでした。\r\r大きすぎて書き込めません（8388608バイトまでです）。"});
    EXPECT_FALSE(fs::exists(over));
}

TEST_F(Kifu, ARunningGameIsReplacedOnlyWhenThePersonSaysSo) {
    const std::string file = folder.file("d.sgf");
    writeText(file, "(;PB[本因坊]PW[井山];B[dd];W[pp];B[dp])");
    g.kept.folder = folder.file("games");
    g.TAIMAN_Click();
    press(10, 10);
    f.fake.answers.push_back(Answer::No);
    open(g, f.fake, file);
    EXPECT_EQ(messages().back(), "msg [棋譜を開く] 対局中の棋譜は次のフォルダに自動で保存されます。\r" +
                                     g.kept.folder + "\r\r棋譜を開いてよろしいですか？ (yes/no)");
    EXPECT_EQ(s.board[10][10], stone_black);
    EXPECT_EQ(s.move_no, 1);

    open(g, f.fake, file);  // answered Yes
    EXPECT_EQ(s.board[10][10], stone_empty);
    EXPECT_EQ(s.move_no, 3);
    EXPECT_EQ(s.turn, stone_white);
    // No game was running before this one: nothing is asked.
    Fixture fresh;
    fresh.game->Form_Load();
    fresh.game->settings_file = folder.file("Tolvan.ini");
    fresh.fake.clear();
    open(*fresh.game, fresh.fake, file);
    EXPECT_TRUE(fresh.fake.lines("msg").empty()) << fresh.fake.dump();
    EXPECT_EQ(fresh.s.play_mode, mode_man);
}

// ---- After opening ------------------------------------------------------------------------

TEST_F(Kifu, AnOpenedGameIsSteppedThroughAndTakenUpAsAfterStepping) {
    const std::string file = folder.file("e.sgf");
    // White takes a black stone with move 8.
    writeText(file, "(;SZ[19];B[bb];W[ba];B[pp];W[ab];B[pd];W[cb];B[dd];W[bc])");
    g.SENTE_Click();  // a game against the computer, person black, is running
    f.fake.clear();
    open(g, f.fake, file);
    EXPECT_EQ(s.move_no, 8);
    EXPECT_EQ(s.white_captures, 1);
    EXPECT_EQ(s.play_mode, mode_com) << "the mode of the running game";
    EXPECT_EQ(s.record_mode, flag_on);
    // The panel shows the position's prisoners and count; the last stone has its mark.
    EXPECT_TRUE(f.fake.has("text 7545 2885 12 15 b \" 1\"")) << f.fake.dump();
    EXPECT_TRUE(f.fake.has("text 6915 3830 11 15 b \" 8\""));
    EXPECT_TRUE(f.fake.has("circle 1080 1145 50 11"));
    g.MODORU_Click();
    g.MODORU_Click();
    g.MODORU_Click();
    EXPECT_EQ(s.white_captures, 0);
    EXPECT_EQ(s.board[2][2], stone_black);
    // The first press takes the game up: white (the computer) is to move and answers.
    press(10, 10);
    EXPECT_EQ(s.record_mode, flag_off);
    EXPECT_EQ(s.move_no, 6);
    EXPECT_EQ(s.turn, stone_black);
}

// The stones of the board shown, "Baa Wba ..." row by row, and the prisoners.
std::string shown(const GameState& s) {
    std::string out;
    for (int y = 1; y <= s.size; ++y)
        for (int x = 1; x <= s.size; ++x)
            if (s.board[x][y] != stone_empty)
                out += std::string(s.board[x][y] == stone_black ? "B" : "W") + char('a' + x - 1) +
                       char('a' + y - 1) + " ";
    return out + std::to_string(s.black_captures) + ":" + std::to_string(s.white_captures);
}

// Records that put and clear stones after the first move: 戻 from the end and 進 back
// show the position after each stone with the setup that follows it (a stone cleared is
// no prisoner), and the record saved and opened again shows the same positions.
TEST_F(Kifu, SetupAfterTheFirstMoveIsSteppedThroughAndSavedAgain) {
    const struct {
        const char* record;
        std::vector<std::string> positions;  // before the first stone, then after each
    } cases[] = {
        // AE after a stone clears it; AB in a later node puts a stone on a white one.
        {"(;SZ[9];B[aa];W[ba];AE[aa];B[cc];W[ee];AB[ee])",
         {"0:0", "Baa 0:0", "Wba 0:0", "Wba Bcc 0:0", "Wba Bcc Bee 0:0"}},
        // Setup in a move's node stands before that move; a set stone can be captured.
        {"(;SZ[9]AB[ii];B[ee];AW[aa]AE[ii]W[ii];B[ab];W[hh];B[ba])",
         {"Bii 0:0", "Waa Bee 0:0", "Waa Bee Wii 0:0", "Waa Bab Bee Wii 0:0", "Waa Bab Bee Whh Wii 0:0",
          "Bba Bab Bee Whh Wii 1:0"}},
        // Setup after a pass, at the end of the record.
        {"(;SZ[13];B[cc];W[];B[gg];AE[cc]AB[aa:ba];W[])", {"0:0", "Bcc 0:0", "Baa Bba Bgg 0:0"}},
    };
    int k = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        const std::string file = folder.file("setup" + std::to_string(++k) + ".sgf");
        writeText(file, c.record);
        for (const std::string& opened : {file, file + ".again.sgf"}) {
            f.fake.clear();
            open(g, f.fake, opened);
            ASSERT_TRUE(messages().empty() || messages().back().find("開けません") == std::string::npos)
                << messages().back();
            std::vector<std::string> back{shown(s)};
            while (s.move_no > 0) {
                g.MODORU_Click();
                back.insert(back.begin(), shown(s));
            }
            EXPECT_EQ(back, c.positions) << opened;
            std::vector<std::string> forward{shown(s)};
            while (s.move_no < s.record.stones()) {
                g.SUSUMU_Click();
                forward.push_back(shown(s));
            }
            EXPECT_EQ(forward, c.positions) << opened;
            if (opened == file) save(file + ".again.sgf");
        }
    }
}

TEST_F(Kifu, WhatTheFileSaysIsKeptWhereItStillHolds) {
    const std::string file = folder.file("f.sgf");
    writeText(file,
              "(;FF[4]GM[1]SZ[19]PB[本因坊秀策]PW[井上因碩]BR[四段]WR[八段]KM[6.5]RE[B+2]"
              "DT[1846-09-11]C[耳赤の一局];B[qd]C[一手目]V[-0.5]TR[pp];W[dc];B[pq]BM[2]LB[dd:A])");
    open(g, f.fake, file);
    const std::string again = folder.file("g.sgf");
    save(again);
    const std::string kept = readText(again);
    for (const char* part : {"PB[本因坊秀策]", "PW[井上因碩]", "BR[四段]", "WR[八段]", "KM[6.5]", "RE[B+2]",
                             "DT[1846-09-11]", "C[耳赤の一局]", ";B[qd]V[-0.5]C[一手目]TR[pp]",
                             ";B[pq]BM[2]LB[dd:A]", "AP[Tolvan:1.0]"})
        EXPECT_NE(kept.find(part), std::string::npos) << part << "\n" << kept;

    // Continued from its end, it is still that game, without the result.
    press(16, 16);  // takes the game up
    press(16, 16);  // white's second move
    f.fake.answers = {Answer::No};  // replaced, though its result goes
    save(again);
    const std::string continued = readText(again);
    EXPECT_NE(continued.find("KM[6.5]DT[1846-09-11]PB[本因坊秀策]PW[井上因碩]\nBR[四段]WR[八段]"), std::string::npos) << continued;
    EXPECT_EQ(continued.find("RE["), std::string::npos) << continued;

    // A move of our own: the game is no longer that game, nor are the players those of
    // the file (no rank of theirs under the new names), but its moves' comments and
    // annotations stay up to the changed move, and so does its komi, which the game was
    // played with. The file's moves from the changed one on stay as a variation, with
    // their annotations, beside the game's line, which is the main line.
    // Two people at the screen who play on from an earlier position are still the file's
    // players.
    g.MODORU_Click();
    g.MODORU_Click();
    press(10, 10);  // takes the game up
    press(10, 10);  // black's third move elsewhere
    f.fake.answers = {Answer::No};  // replaced, though the result and the date go
    save(again);
    const std::string changed = readText(again);
    for (const char* part : {"RE[", "DT[1846"})
        EXPECT_EQ(changed.find(part), std::string::npos) << part << "\n" << changed;
    EXPECT_NE(changed.find(";W[dc](;B[jj])(;B[pq]BM[2]LB[dd:A];W[pp]))"), std::string::npos) << changed;
    for (const char* part : {"C[耳赤の一局]", ";B[qd]V[-0.5]C[一手目]TR[pp]", "KM[6.5]", "DT[2026-12-07]",
                             "PB[本因坊秀策]", "PW[井上因碩]", "BR[四段]", "WR[八段]"})
        EXPECT_NE(changed.find(part), std::string::npos) << part << "\n" << changed;

    // Against the computer, the players are the person and the computer.
    g.SENTE_Click();
    save(folder.file("h.sgf"));
    const std::string computer = readText(folder.file("h.sgf"));
    for (const char* part : {"PB[本因坊", "BR[", "WR["})
        EXPECT_EQ(computer.find(part), std::string::npos) << part << "\n" << computer;
    EXPECT_NE(computer.find("PB[あなた]"), std::string::npos) << computer;
}

// Saving over the file a game was opened from, after stepping back and playing another
// move, says what the file loses and offers another name first: はい saves beside it and
// leaves it whole, いいえ replaces it, keeping what does not depend on the moves, and the
// file's moves from the changed one on as a variation. Faults caught: the file replaced
// without a word, the question not naming the lost information (or naming moves that
// are kept), a new name that overwrites another file, the file's event and komi lost,
// the file's later moves thrown away.
TEST_F(Kifu, SavingOverTheFileItCameFromSaysWhatItLoses) {
    const std::string file = folder.file("研究.sgf");
    const std::string original =
        "(;GM[1]FF[4]SZ[9]PB[山田]PW[佐藤]EV[研究会]KM[6.5]RE[W+3.5]DT[2026-11-30]"
        ";B[ee]C[一手目];W[cc];B[gg];W[gc]C[ここが問題];B[cg])";
    writeText(file, original);
    writeText(folder.file("研究-2.sgf"), "(;SZ[9])");  // a name that is taken
    open(g, f.fake, file);
    g.MODORU_Click();
    g.MODORU_Click();
    f.fake.clear();
    press(4, 4);  // takes the game up
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [再開] 後手の番です"});
    press(4, 4);  // white's fourth move, another than the file's
    ASSERT_EQ(s.move_no, 4);

    // はい: another name, offered beside the file; the file stays as it was.
    f.fake.clear();
    f.fake.files_chosen = {file, folder.file("研究-3.sgf")};
    f.fake.answers = {Answer::Yes};
    g.MenuClick("KIFU_HOZON");
    const std::string question = "msg [棋譜の保存] 「" + file +
                                 "」に上書きすると、元の棋譜の結果・日付の情報が失われます。"
                                 "\r\r別の名前で保存しますか？ (yes/no)";
    EXPECT_EQ(messages(), std::vector<std::string>{question});
    EXPECT_EQ(f.fake.lines("save dialog"),
              (std::vector<std::string>{"save dialog [棋譜を保存] " + folder.file("研究-3.sgf") + " 棋譜 (*.sgf)",
                                        "save dialog [棋譜を保存] " + folder.file("研究-3.sgf") + " 棋譜 (*.sgf)"}));
    EXPECT_EQ(readText(file), original);
    const std::string beside = readText(folder.file("研究-3.sgf"));
    EXPECT_NE(beside.find(";B[ee]C[一手目];W[cc];B[gg](;W[dd])(;W[gc]C[ここが問題];B[cg]))"), std::string::npos)
        << beside;

    // いいえ: replaced, with what does not depend on the moves.
    f.fake.clear();
    f.fake.files_chosen = {file};
    f.fake.answers = {Answer::No};
    g.MenuClick("KIFU_HOZON");
    EXPECT_EQ(messages(), std::vector<std::string>{question});
    const std::string replaced = readText(file);
    for (const char* part : {"EV[研究会]", "KM[6.5]", "PB[山田]", "PW[佐藤]", "DT[2026-12-07]", ";B[ee]C[一手目]"})
        EXPECT_NE(replaced.find(part), std::string::npos) << part << "\n" << replaced;
    EXPECT_EQ(replaced.find("RE["), std::string::npos) << replaced;
    EXPECT_NE(replaced.find("(;W[gc]C[ここが問題];B[cg])"), std::string::npos) << replaced;

    // The file now holds the game: saved over again, it loses nothing, and the dialog
    // offers it by its name.
    f.fake.clear();
    f.fake.files_chosen = {file};
    g.MenuClick("KIFU_HOZON");
    EXPECT_EQ(f.fake.lines("save dialog"),
              std::vector<std::string>{"save dialog [棋譜を保存] " + file + " 棋譜 (*.sgf)"});
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [棋譜の保存] 「" + file +
                                                   "」は既にあります。\r置き換えてよろしいですか？ (yes/no)"});
}

// A record with a variation, other games or marks the game does not show, saved over its
// file unchanged, keeps them all: the only question is whether to replace the file.
// A collection says as it opens that its first game is shown. Faults caught: a variation,
// a later game or a mark dropped on saving, a question that says they are lost when
// nothing is, the other games of a file opened without a word.
TEST_F(Kifu, AFilesVariationsOtherGamesAndMarksAreSavedAgain) {
    struct Case {
        const char* text;
        std::vector<std::string> kept;
    } cases[] = {
        {"(;GM[1]FF[4]SZ[9];B[ee](;W[cc];B[gg])(;W[gc]))", {";B[ee](;W[cc];B[gg])(;W[gc]))"}},
        {"(;GM[1]FF[4]SZ[9];B[ee];W[cc])(;GM[1]FF[4]SZ[9];B[aa])", {";B[ee];W[cc])", "(;GM[1]FF[4]SZ[9];B[aa])"}},
        {"(;GM[1]FF[4]SZ[9];B[ee]SQ[aa];W[cc])", {";B[ee]SQ[aa];W[cc])"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string file = folder.file("v.sgf");
        writeText(file, c.text);
        open(g, f.fake, file);
        f.fake.clear();
        f.fake.files_chosen = {file};
        f.fake.answers = {Answer::Yes};
        g.MenuClick("KIFU_HOZON");
        EXPECT_EQ(messages(), std::vector<std::string>{"msg [棋譜の保存] 「" + file +
                                                       "」は既にあります。\r置き換えてよろしいですか？ (yes/no)"});
        const std::string saved = readText(file);
        EXPECT_NE(saved, c.text) << "not replaced";
        // A collection says, as it opens, that its first game is the one shown.
        g.MenuClick("SAISYO");
        f.fake.clear();
        open(g, f.fake, file);
        if (c.kept.size() > 1)
            EXPECT_EQ(messages(), std::vector<std::string>{
                                      "msg [棋譜を開く] このファイルには2局の棋譜があります。\r最初の対局を開きます。"});
        else
            EXPECT_TRUE(messages().empty()) << f.fake.dump();
        for (const std::string& part : c.kept) EXPECT_NE(saved.find(part), std::string::npos) << part << "\n" << saved;
        g.MenuClick("SAISYO");
    }
    // Nothing beside the main line: saving over it asks only whether to replace it.
    const std::string plain = folder.file("plain.sgf");
    writeText(plain, "(;GM[1]FF[4]SZ[9]PB[a];B[ee];W[cc])");
    open(g, f.fake, plain);
    f.fake.clear();
    f.fake.files_chosen = {plain};
    g.MenuClick("KIFU_HOZON");
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [棋譜の保存] 「" + plain +
                                                   "」は既にあります。\r置き換えてよろしいですか？ (yes/no)"});
    EXPECT_NE(readText(plain).find("PB[a]"), std::string::npos);
}

// A stone at an earlier position keeps the moves after it as a variation, and 待った
// the moves it took back; the line the game goes on with is the main line saved. Faults
// caught: the later moves thrown away when play goes on from an earlier position (or
// when a move is taken back), the old line saved as the main line, a game with no
// earlier-position move written other than before.
TEST_F(Kifu, MovesLeftBehindAreSavedAsAVariation) {
    g.TAIMAN_Click();
    press(4, 4);
    press(16, 16);
    press(4, 16);
    press(16, 4);
    const std::string straight = folder.file("straight.sgf");
    save(straight);
    EXPECT_EQ(readText(straight).find('('), readText(straight).rfind('(')) << "one line, no variation";
    g.MODORU_Click();
    g.MODORU_Click();
    press(10, 10);  // takes the game up
    press(10, 10);  // black's second move, another than before
    const std::string file = folder.file("two-people.sgf");
    save(file);
    EXPECT_NE(readText(file).find(";B[dd];W[pp](;B[jj])(;B[dp];W[pd]))"), std::string::npos) << readText(file);

    // Against the computer: the person's stone and the answer, taken back, stay beside
    // the stone played instead.
    g.初期設定();
    g.SENTE_Click();
    press(4, 4);
    ASSERT_EQ(s.move_no, 2) << "answered";
    g.MenuClick("MATTA");
    ASSERT_EQ(s.move_no, 0);
    press(10, 10);
    const std::string computer = folder.file("computer.sgf");
    save(computer);
    const auto read = sgf::readCollection(readText(computer));
    ASSERT_TRUE(std::holds_alternative<sgf::Collection>(read));
    const sgf::GameTree& t = std::get<sgf::Collection>(read).games.front();
    const std::vector<int> first = t.children(sgf::GameTree::root);
    ASSERT_EQ(first.size(), 2u) << readText(computer);
    EXPECT_EQ(t.value(first[0], "B"), "jj");
    EXPECT_EQ(t.value(first[1], "B"), "dd");
    EXPECT_EQ(t.children(first[1]).size(), 1u) << "the answer kept with it";
}

// The komi the game counts with is written as KM: the menu's in a game of the window,
// a record's own in the game opened from it, even once a move of it is changed, until a
// new game; a record without a KM that reads as komi leaves the menu's, and the menu's
// choice stays as it was.
TEST_F(Kifu, TheKomiIsWrittenAsKMAndARecordsOwnHoldsForItsGame) {
    struct Case {
        const char* menu;
        double chosen;
        const char* km;  // the opened record's KM; nullptr: a game of the window's own
        const char* written;
    } cases[] = {
        {"KOMI_7MOKUHAN", 7.5, nullptr, "7.5"},
        {"KOMI_6MOKUHAN", 6.5, "KM[0.50]", "0.5"},
        {"KOMI_6MOKUHAN", 6.5, "", "6.5"},
        {"KOMI_NASI", 0, "KM[six]", "0"},
    };
    const std::string file = folder.file("k.sgf"), again = folder.file("k2.sgf");
    for (const Case& c : cases) {
        const std::string name = std::string(c.menu) + " " + (c.km ? c.km : "-");
        g.初期設定();
        g.MenuClick(c.menu);
        if (c.km) {
            writeText(file, "(;FF[4]GM[1]SZ[19]" + std::string(c.km) + ";B[dd];W[pp])");
            open(g, f.fake, file);
            g.MODORU_Click();
            press(10, 10);  // takes the game up
            press(10, 10);  // white's move changed
        } else {
            g.TAIMAN_Click();
            press(4, 4);
        }
        save(again);
        EXPECT_EQ(savedRecord(again).get("KM"), c.written) << name;
        EXPECT_TRUE(f.fake.checked(c.menu)) << name;
        g.初期設定();
        EXPECT_EQ(komiOf(g), c.chosen) << name;
    }
}

TEST_F(Kifu, TheDialogsStartInTheFolderLastUsedInThisRunAndTheNext) {
    g.TAIMAN_Click();
    press(4, 4);
    fs::create_directory(folder.file("records"));
    save(folder.file("records/h.sgf"));
    EXPECT_TRUE(f.fake.has("save dialog [棋譜を保存] /home/player/tolvan 棋譜 (*.sgf)")) << f.fake.dump();
    f.fake.clear();
    g.MenuClick("KIFU_HIRAKU");  // cancelled
    EXPECT_TRUE(f.fake.has("open dialog [棋譜を開く] " + folder.file("records") + " 棋譜 (*.sgf)"))
        << f.fake.dump();

    // The next run reads the folder from the settings file.
    Fixture next;
    next.game->settings_file = folder.file("Tolvan.ini");
    next.game->Form_Load();
    EXPECT_EQ(next.game->prefs.kifu_folder, folder.file("records"));
    EXPECT_NE(readText(folder.file("Tolvan.ini")).find("\r\n"), std::string::npos);
}


// Whatever the person does to a game opened from a file, a save that still holds the
// file's setup keeps what does not depend on the moves: the event and the komi. Random
// sequences of every command of the game, answered at random, looking for a path that
// forgets the file while the game still holds its stones. Fault caught: the record saved
// as a new game's (KM[0], the players 先手 and 後手, no EV) after some command cleared
// what the file said but left its stones.
TEST_F(Kifu, AGameOpenedFromAFileKeepsItsEventAndKomiWhateverIsDone) {
    const std::string file = folder.file("event.sgf");
    writeText(file,
              "(;GM[1]FF[4]SZ[9]PB[山田]PW[佐藤]EV[研究会]KM[6.5]RE[W+3.5]DT[2026-11-30]AB[ai][ia]"
              ";W[ee]C[一手目];B[cc];W[gg];B[gc];W[cg])");
    const std::vector<std::string> commands = {
        "MODORU", "MODORU", "SUSUMU", "PASU", "HANTEI", "GYAKUTEN", "TAIMAN", "SENTE", "GOTE", "LEBEL_UP",
        "LEBEL_DOWN", "MATTA", "HINTO", "KEISEI", "KIFU_HIRAKU", "KIFU_HOZON", "SAISYO", "TOURYOU",
        "SYUUKYOKU_KAZOERU", "SYUUKYOKU_UMERU", "KOMI_NASI", "KOMI_7MOKUHAN", "GOBAN_9", "GOBAN_13", "BANGOU",
        "SINAN", "press", "press", "press", "press"};
    const rules::Point a{1, 9}, b{9, 1};
    // A game that ends goes on to the next one: the program is never ended.
    f.fake.on_message = [&](const std::string& prompt) {
        if (prompt == "続けますか") f.fake.answers.push_front(Answer::Yes);
    };
    int checked = 0;
    for (std::uint32_t seed = 1; seed <= 25; ++seed) {
        Random rnd{seed};
        g.MenuClick("SAISYO");
        open(g, f.fake, file);
        for (int step = 0; step < 60; ++step) {
            const std::string& c = commands[static_cast<std::size_t>(rnd.below(static_cast<int>(commands.size())))];
            f.fake.answers.clear();
            for (int k = 0; k < 4; ++k) f.fake.answers.push_back(rnd.below(2) ? Answer::Yes : Answer::No);
            f.fake.files_chosen.clear();
            if (c == "KIFU_HIRAKU") f.fake.files_chosen.push_back(file);
            if (c == "KIFU_HOZON") f.fake.files_chosen.push_back(folder.file("saved.sgf"));
            if (c == "press") {
                press(1 + rnd.below(s.size), 1 + rnd.below(s.size));
            } else {
                g.MenuClick(c);
            }
            ASSERT_FALSE(g.ended);
            const sgf::Record r = savedRecordOf(g);
            const bool fromFile = s.size == 9 && r.black_setup.size() == 2 &&
                                  std::find(r.black_setup.begin(), r.black_setup.end(), a) != r.black_setup.end() &&
                                  std::find(r.black_setup.begin(), r.black_setup.end(), b) != r.black_setup.end();
            if (!fromFile) continue;
            ++checked;
            EXPECT_EQ(r.get("EV"), "研究会") << "seed " << seed << " step " << step << " after " << c;
            EXPECT_EQ(r.get("KM"), "6.5") << "seed " << seed << " step " << step << " after " << c;
        }
    }
    EXPECT_GT(checked, 150) << "the game held the file's stones after most steps";
}

}  // namespace
}  // namespace tolvan::testing
