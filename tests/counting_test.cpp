// The end of a game by a count with dead stones, and resignation, driven through the
// menu and presses against the recording fake.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "estimate/estimate.h"
#include "game/kifu.h"
#include "game/score_view.h"
#include "fake_platform.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

struct Counted : GameTest {
    fs::path ini = fs::temp_directory_path() / ("tolvan-count-" + std::to_string(getpid()) + ".ini");
    void TearDown() override { fs::remove(ini); }

    // A two-person game counted with dead stones, ended by two passes on a board where
    // black's wall is column 5 and white's column 6; two white stones stand in black's
    // area, in one region.
    void countedGameEnds() {
        g.settings_file = ini.string();
        g.MenuClick("SYUUKYOKU_KAZOERU");
        g.TAIMAN_Click();
        std::vector<std::string> rows(19, "....XO");
        rows[1] = ".O..XO";
        rows[9] = "..O.XO";
        setBoard(s, rows);
        g.調査_保存(0);
        g.MenuClick("PASU");
        g.MenuClick("PASU");
    }
};

TEST_F(Counted, TheChoiceIsTickedAloneAndKeptOnlyWhenNotTheDefault) {
    g.settings_file = ini.string();
    EXPECT_TRUE(f.fake.checked(ending_fill_item));
    g.MenuClick(ending_count_item);
    EXPECT_TRUE(f.fake.checked(ending_count_item));
    EXPECT_FALSE(f.fake.checked(ending_fill_item));
    std::ifstream in(ini, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\x8f\x49\x8b\xc7\x82\xcc\x94\xbb\x92\xe8="), std::string::npos) << text;  // 終局の判定=
    g.MenuClick(ending_fill_item);
    std::ifstream again(ini, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after.find("\x8f\x49\x8b\xc7"), std::string::npos);
    // An engine always counts, whatever the choice.
    EXPECT_FALSE(countsDeadStones(g));
    f.fake.engine_command = "gnugo --mode gtp";
    EXPECT_TRUE(countsDeadStones(g));
}

TEST_F(Counted, TheEstimateProposesAtOnceAPressChangesTheWholeAreaAndTheCountIsConfirmed) {
    f.fake.engine_command = "gnugo --mode gtp";  // an engine in use is not asked
    f.fake.dead_stones = {{10, 10}};
    countedGameEnds();
    ASSERT_TRUE(g.counting.active);
    EXPECT_TRUE(f.fake.lines("dead stones").empty());
    // The two white stones in black's area are dead, each marked ×. White's side is more
    // than half the board (247 of 361 points) and empty: black could still live in it, so
    // its border counts as open.
    EXPECT_EQ(g.counting.dead, (std::vector<rules::Point>{{2, 2}, {3, 10}}));
    EXPECT_TRUE(f.fake.has("ctext 1080 830 12 0 b \"×\""));
    EXPECT_TRUE(f.fake.has("ctext 1395 3350 12 0 b \"×\""));
    EXPECT_TRUE(f.fake.has("text 6915 4460 9 15 b \"境界が未確定です\"")) << f.fake.dump();
    f.fake.engine_command.clear();

    // From no stone dead: both white stones share black's area, a press on either
    // changes both.
    g.counting.dead.clear();
    press(3, 10);
    EXPECT_EQ(g.counting.dead.size(), 2u);
    press(2, 2);
    EXPECT_TRUE(g.counting.dead.empty());
    press(2, 2);
    EXPECT_EQ(g.counting.dead.size(), 2u);
    EXPECT_EQ(s.board[2][2], stone_white);  // marked, not taken off
    f.fake.answers = {Answer::OK, Answer::No};
    f.fake.clear();
    g.MenuClick("HANTEI");
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "msg [後手の勝ち！！] 黒[76]+ﾊﾏ(0)+死に石(2)   白[247]+ﾊﾏ(0)+死に石(0)\r\r白の169目勝ち",
                              "msg [対局] 続けますか (yes/no)"}));
    EXPECT_EQ(g.kifu.result, "W+169");
    EXPECT_EQ(recordOfGame(g, "", 0, std::nullopt).get("RE"), "W+169");
}

// The komi goes to white in both judgements, in the message and in the result kept for
// the record. Black lives on columns 1..5 with two eyes, white on columns 16..19 with
// two: the fill gives them 80 and 75, the count their two eyes each.
TEST_F(Counted, KomiIsWhitesInTheMessageAndTheResult) {
    g.settings_file = ini.string();
    struct Case {
        const char* ending;
        const char* komi;
        const char* message;
        const char* result;
    } cases[] = {
        {ending_fill_item, "KOMI_NASI", "msg [先手の勝ち！！] 黒[80]+ﾊﾏ(7)   白[75]+ﾊﾏ(3) ", "B+9"},
        {ending_fill_item, "KOMI_6MOKUHAN", "msg [先手の勝ち！！] 黒[80]+ﾊﾏ(7)   白[75]+ﾊﾏ(3)+ｺﾐ(6.5) ", "B+2.5"},
        {ending_count_item, "KOMI_NASI", "msg [先手の勝ち！！] 黒[2]+ﾊﾏ(7)+死に石(0)   白[2]+ﾊﾏ(3)+死に石(0)\r\r黒の4目勝ち",
         "B+4"},
        {ending_count_item, "KOMI_6MOKUHAN",
         "msg [後手の勝ち！！] 黒[2]+ﾊﾏ(7)+死に石(0)   白[2]+ﾊﾏ(3)+死に石(0)+ｺﾐ(6.5)\r\r白の2目半勝ち", "W+2.5"},
    };
    std::vector<std::string> rows;
    for (int y = 1; y <= 19; ++y) {
        std::string r = y == 5 || y == 10 ? "X.XX" : "XXXX";
        r += y <= 4 ? "X" : ".";
        r += std::string(10, '.');
        rows.push_back(r + (y == 5 || y == 10 ? "OO.O" : y == 19 ? ".OOO" : "OOOO"));
    }
    for (const Case& c : cases) {
        g.初期設定();
        g.MenuClick(c.ending);
        g.MenuClick(c.komi);
        g.TAIMAN_Click();
        setBoard(s, rows);
        s.black_captures = 7;
        s.white_captures = 3;
        f.fake.answers = {Answer::OK, Answer::No};
        f.fake.clear();
        g.MenuClick("HANTEI");  // the fill judges, or the count begins and is confirmed
        if (g.counting.active) g.MenuClick("HANTEI");
        const auto shown = messages();
        ASSERT_FALSE(shown.empty()) << c.ending << c.komi;
        EXPECT_EQ(shown[0], c.message) << c.ending << c.komi;
        EXPECT_EQ(g.kifu.result, c.result) << c.ending << c.komi;
        g.ended = false;
    }
}

TEST_F(Counted, BackToPlayPutsTheStonesBack) {
    countedGameEnds();
    ASSERT_TRUE(g.counting.active);
    g.MenuClick("MODORU");
    EXPECT_FALSE(g.counting.active);
    EXPECT_EQ(s.board[2][2], stone_white);
    EXPECT_EQ(s.move_no, 0);
    press(10, 10);  // the game goes on
    EXPECT_EQ(s.board[10][10], stone_black);
    g.MenuClick("HANTEI");  // asked for in the game: the count, not the fill
    EXPECT_TRUE(g.counting.active);
}

// Counted with dead stones, the built-in player answers the person's pass with its own
// once the board is settled, instead of filling its territory; judged by filling, or with
// borders still open, it plays on.
TEST_F(Counted, TheBuiltInPlayerPassesAfterThePersonOnlyWhenCountedAndSettled) {
    struct Case {
        const char* ending;
        const char* row;
        bool passes;
    } cases[] = {
        {ending_count_item, "........XO.........", true},
        {ending_fill_item, "........XO.........", false},
        {ending_count_item, "...................", false},
    };
    g.settings_file = ini.string();
    for (const Case& c : cases) {
        g.初期設定();
        g.MenuClick(c.ending);
        g.SENTE_Click();
        setBoard(s, std::vector<std::string>(19, c.row));
        g.調査_保存(0);
        f.fake.clear();
        g.MenuClick("PASU");
        EXPECT_EQ(f.fake.has("msg [COMパス] パスします"), c.passes) << c.ending << " " << c.row;
        EXPECT_EQ(s.move_no, c.passes ? 0 : 1) << c.ending << " " << c.row;
    }
}

TEST_F(Counted, ResigningEndsTheGameWithTheResultKept) {
    struct Case {
        const char* start;
        const char* message;
        const char* result;
    } cases[] = {
        {"SENTE", "msg [投了] あなたは投了しました。COMの勝ちです。", "W+R"},
        {"TAIMAN", "msg [投了] 先手は投了しました。後手の勝ちです。", "W+R"},
        {"GOTE", "msg [投了] あなたは投了しました。COMの勝ちです。", "B+R"},
    };
    for (const Case& c : cases) {
        g.初期設定();
        g.MenuClick(c.start);
        f.fake.answers = {Answer::Yes, Answer::OK, Answer::No};
        f.fake.clear();
        g.MenuClick("TOURYOU");
        const auto shown = messages();
        ASSERT_EQ(shown.size(), 3u) << c.start << f.fake.dump();
        EXPECT_EQ(shown[1], c.message) << c.start;
        EXPECT_EQ(g.kifu.result, c.result) << c.start;
        g.ended = false;
    }
}

// A finished game on 9 lines (GNU Go against itself, one stone taken away), counted with
// komi 6.5; black has taken two stones in play, white one. Dead: white's (3,3)-(4,3) and
// (5,4), two chains in black's top left, and black's (7,2) in white's top right.
struct NineLines : Counted {
    void SetUp() override {
        Counted::SetUp();
        g.settings_file = ini.string();
        for (const char* item : {ending_count_item, "GOBAN_9", "KOMI_6MOKUHAN", "TAIMAN"}) g.MenuClick(item);
        setBoard(s, {".X.XOOOO.", "X.XXXOX.O", ".XOO.XOOO", "X...OXOXO", "OXXXXXXXX", "OOOOXX.X.", "OO.OOOX..",
                     "O.OOOXX..", ".OXXXX..."});
        s.black_captures = 2;
        s.white_captures = 1;
        g.調査_保存(0);
    }
    // The white numbers of the panel's table drawn since the log was cleared, row by row:
    // territory, ﾊﾏ, dead stones, komi and the totals; then the white texts ending in `end`.
    std::vector<std::string> table() {
        std::vector<std::string> out;
        for (const std::string& l : f.fake.lines("ctext "))
            if (l.find(" 10 15 ") != std::string::npos) out.push_back(l.substr(l.find('"')));
        return out;
    }
    bool shows(const std::string& text) {
        for (const std::string& l : f.fake.lines("text "))
            if (l.ends_with(" 15 b \"" + text + "\"")) return true;
        return false;
    }
    std::vector<rules::Point> dead() {
        std::vector<rules::Point> d = g.counting.dead;
        std::sort(d.begin(), d.end(), [](auto a, auto b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
        return d;
    }
};
const std::vector<std::string> nine_score = {"\"20\"", "\"6\"", "\"2\"", "\"1\"", "\"3\"", "\"1\"", "\"6.5\"", "\"25\"", "\"14.5\""};
const std::vector<rules::Point> nine_dead = {{3, 3}, {4, 3}, {5, 4}, {7, 2}};

// The fault: a press on one stone marked every stone of its colour, the chains joined
// through their own territory. A living stone is marked alone (its chain); a dead group
// comes back with its companions in black's corner and the next press marks exactly
// them again; a dead stone in white's corner comes alone.
TEST_F(NineLines, APressMarksTheGroupPressedAndTheChainsSharingItsEyeSpaceOnly) {
    g.MenuClick("PASU");
    g.MenuClick("PASU");
    ASSERT_EQ(dead(), nine_dead);
    press(2, 1);
    EXPECT_EQ(dead(), (std::vector<rules::Point>{{2, 1}, {3, 3}, {4, 3}, {5, 4}, {7, 2}}));
    press(2, 1);
    press(6, 5);  // black's wall: its chain, not the groups beside it
    EXPECT_EQ(dead(), (std::vector<rules::Point>{{2, 5}, {3, 3}, {3, 5}, {4, 3}, {4, 5}, {5, 4}, {5, 5}, {5, 6}, {6, 3},
                                                 {6, 4}, {6, 5}, {6, 6}, {7, 2}, {7, 5}, {8, 4}, {8, 5}, {8, 6}, {9, 5}}));
    press(9, 5);
    press(5, 4);
    EXPECT_EQ(dead(), (std::vector<rules::Point>{{7, 2}}));
    press(3, 3);
    EXPECT_EQ(dead(), nine_dead);
    press(7, 2);
    EXPECT_EQ(dead(), (std::vector<rules::Point>{{3, 3}, {4, 3}, {5, 4}}));
}

// While marking, the panel gives the score as the count will (black's corner is 20
// points with the dead stones taken, 13 without), its ﾊﾏ the prisoners of play as the
// colour rows show them, the dead stones apart; the count's message says the margin.
// A redraw of the whole window (緑) keeps it all.
TEST_F(NineLines, WhileMarkingThePanelShowsTheScoreAndTheCountSaysTheMargin) {
    g.MenuClick("PASU");
    g.MenuClick("PASU");
    EXPECT_EQ(table(), nine_score);
    EXPECT_TRUE(shows("黒の10目半勝ち"));
    f.fake.clear();
    press(5, 4);
    EXPECT_EQ(table(), (std::vector<std::string>{"\"13\"", "\"6\"", "\"2\"", "\"1\"", "\"0\"", "\"1\"", "\"6.5\"",
                                                 "\"15\"", "\"14.5\""}));
    EXPECT_TRUE(shows("黒の半目勝ち"));
    press(5, 4);
    f.fake.clear();
    g.MenuClick("MIDORI");
    EXPECT_EQ(table(), nine_score);
    f.fake.answers = {Answer::OK, Answer::No};
    f.fake.clear();
    g.MenuClick("HANTEI");
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "msg [先手の勝ち！！] 黒[20]+ﾊﾏ(2)+死に石(3)   白[6]+ﾊﾏ(1)+死に石(1)+ｺﾐ(6.5)\r\r黒の10目半勝ち",
                              "msg [対局] 続けますか (yes/no)"}));
    EXPECT_EQ(g.kifu.result, "B+10.5");
}

// 形勢判断 puts the same table beside the board, not a box over it, and white's
// territory is edged so that it shows on the wood; the next key gives back the panel's
// fields with the same ﾊﾏ, 2 and 1.
TEST_F(NineLines, TheEstimateShowsTheScoreBesideTheBoardUntilTheNextKey) {
    f.fake.clear();
    g.MenuClick("KEISEI");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(table(), nine_score);
    EXPECT_TRUE(shows("黒が10目半優勢"));
    // White's (9,1) centred on (3285, 515) twips, black's (1,1) on (765, 515).
    EXPECT_EQ(f.fake.find("box 3210 440 3360 590 0"), f.fake.find("fbox 3210 440 3360 590 15") + 1);
    EXPECT_TRUE(f.fake.has("fbox 690 440 840 590 0"));
    f.fake.clear();
    g.KeyDown(32);
    EXPECT_TRUE(f.fake.has("text 4395 2255 12 15 b \" 2\""));
    EXPECT_TRUE(f.fake.has("text 4395 2885 12 15 b \" 1\""));
    EXPECT_TRUE(table().empty());
}

// The margin as players say it, either side ahead: points and a half, whole points, a
// half point alone, and even (持碁 in a count, 互角 in an estimate).
TEST(CountMargin, ResultAndLeadSayWhoIsAheadByHowMuch) {
    const struct {
        int black, white;
        double komi;
        const char *result, *lead;
    } cases[] = {
        {40, 6, 6.5, "黒の27目半勝ち", "黒が27目半優勢"}, {10, 13, 0, "白の3目勝ち", "白が3目優勢"},
        {7, 0, 6.5, "黒の半目勝ち", "黒が半目優勢"},      {6, 0, 6.5, "白の半目勝ち", "白が半目優勢"},
        {14, 7, 7, "持碁", "互角"},
    };
    for (const auto& c : cases) {
        const Score score{.black_territory = c.black, .white_territory = c.white, .komi = c.komi};
        EXPECT_EQ(resultText(score), c.result);
        EXPECT_EQ(leadText(score), c.lead);
    }
}

}  // namespace
}  // namespace tolvan::testing
