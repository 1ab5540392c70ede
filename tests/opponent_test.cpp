// The computer's strength on the fake port: choosing an engine in the menu, keeping the
// choice, and games in which the engine answers, passes, resigns or fails.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "game/board_lines.h"
#include "game/opponent.h"
#include "fake_platform.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

// Tolvan's levels as the window names them.
const std::vector<std::string> level_names = {"Tolvan（入門）", "Tolvan（初級）", "Tolvan（中級）",
                                              "Tolvan（上級）", "Tolvan（最強）"};

// The Shift-JIS bytes of the settings file's keys, spelt out so that the tests do not
// lean on the converter of the code under test.
const std::string kLevelKey = "COM\x83\x8c\x83\x78\x83\x8b";                   // COMレベル
const std::string kEngineKey = "COM\x83\x47\x83\x93\x83\x57\x83\x93";        // COMエンジン

struct Opponents : OwnSettingsTest {
    void SetUp() override {
        f.fake.engines = {{"GNU Go (レベル 1)", "gnugo --mode gtp --level 1"},
                          {"GNU Go (レベル 10)", "gnugo --mode gtp --level 10"}};
        f.fake.level_names = level_names;
        GameTest::SetUp();
        g.settings_file = ini.string();
    }
    std::string ticked() { return tickedIn(f.fake); }
    static std::string tickedIn(FakePlatform& fake) {
        std::string out;
        for (const char* item : {"COM_HYOUJUN", "COM_TOLVAN_1", "COM_TOLVAN_2", "COM_TOLVAN_3", "COM_TOLVAN_4",
                                 "COM_TOLVAN_5", "COM_ENGINE_1", "COM_ENGINE_2", "COM_SONOTA"})
            if (fake.checked(item)) out += std::string(out.empty() ? "" : " ") + item;
        return out;
    }
};

// ---- The choice ---------------------------------------------------------------------------

TEST_F(Opponents, TheBuiltInPlayerIsTheChoiceUntilAnotherIsMade) {
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
    EXPECT_FALSE(f.fake.engineInUse());
    g.MenuClick("COM_ENGINE_2");
    EXPECT_EQ(ticked(), "COM_ENGINE_2");
    EXPECT_EQ(f.fake.engine_command, "gnugo --mode gtp --level 10");
    EXPECT_NE(iniText().find("=gnugo%20--mode%20gtp%20--level%2010\r\n"), std::string::npos) << iniText();

    // The next start ticks and uses it again.
    Fixture next;
    next.fake.engines = f.fake.engines;
    next.game->settings_file = ini.string();
    next.game->Form_Load();
    EXPECT_TRUE(next.fake.checked("COM_ENGINE_2"));
    EXPECT_FALSE(next.fake.checked("COM_HYOUJUN"));
    EXPECT_EQ(next.fake.engine_command, "gnugo --mode gtp --level 10");

    g.MenuClick("COM_HYOUJUN");
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
    EXPECT_FALSE(f.fake.engineInUse());
    EXPECT_EQ(iniText().find("COM"), std::string::npos) << "no engine line for 標準";
}

TEST_F(Opponents, AnotherEngineIsTakenOnlyWhenItAnswersGtp) {
    // Cancelled: nothing changes.
    g.MenuClick("COM_SONOTA");
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
    ASSERT_EQ(f.fake.lines("ask").size(), 1u);
    EXPECT_EQ(f.fake.lines("ask")[0].rfind("ask [その他のエンジン] GTP で対局できる囲碁エンジン", 0), 0u);

    // An engine that does not answer: said so, nothing changes.
    f.fake.texts_entered.push_back("katago gtp");
    f.fake.engine_check = "エンジン「katago」を起動できません。";
    f.fake.clear();
    g.MenuClick("COM_SONOTA");
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "msg [その他のエンジン] このエンジンは使えません。\r\rエンジン「katago」を起動できません。"});
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
    EXPECT_FALSE(f.fake.engineInUse());

    // One that answers is ticked, used and kept; asked again, it is offered for editing.
    f.fake.texts_entered.push_back("/opt/engine/run --gtp");
    f.fake.engine_check.reset();
    g.MenuClick("COM_SONOTA");
    EXPECT_EQ(ticked(), "COM_SONOTA");
    EXPECT_EQ(f.fake.engine_command, "/opt/engine/run --gtp");
    f.fake.clear();
    g.MenuClick("COM_SONOTA");
    EXPECT_EQ(f.fake.lines("ask")[0].substr(f.fake.lines("ask")[0].rfind('{')), "{/opt/engine/run --gtp}");
    EXPECT_EQ(ticked(), "COM_SONOTA");
    // So is an installed engine's command.
    g.MenuClick("COM_ENGINE_1");
    f.fake.clear();
    g.MenuClick("COM_SONOTA");
    EXPECT_EQ(f.fake.lines("ask")[0].substr(f.fake.lines("ask")[0].rfind('{')), "{gnugo --mode gtp --level 1}");
}

// ---- Tolvan's own levels ------------------------------------------------------------------

// Faults caught: a level not ticked, or ticked beside another choice; the choice not used
// or not kept; an engine's line left in the file beside the level, or the level's line
// left after another choice.
TEST_F(Opponents, ALevelIsChosenUsedAndKeptLikeAnEngine) {
    g.MenuClick("COM_ENGINE_1");
    f.fake.clear();
    g.MenuClick("COM_TOLVAN_3");
    EXPECT_EQ(ticked(), "COM_TOLVAN_3");
    EXPECT_TRUE(f.fake.has("use level 3")) << f.fake.dump();
    EXPECT_TRUE(f.fake.engineInUse());
    EXPECT_NE(iniText().find(kLevelKey + "=3\r\n"), std::string::npos) << iniText();
    EXPECT_EQ(iniText().find(kEngineKey), std::string::npos) << "the engine's line went";

    // The next start ticks and uses it again.
    g.MenuClick("COM_TOLVAN_5");
    Fixture next;
    next.fake.engines = f.fake.engines;
    next.fake.level_names = level_names;
    next.game->settings_file = ini.string();
    next.game->Form_Load();
    EXPECT_EQ(tickedIn(next.fake), "COM_TOLVAN_5");
    EXPECT_EQ(next.fake.level_in_use, 5);

    // An engine, then 標準, take the level's place.
    g.MenuClick("COM_ENGINE_2");
    EXPECT_EQ(ticked(), "COM_ENGINE_2");
    EXPECT_EQ(f.fake.level_in_use, 0);
    EXPECT_EQ(iniText().find(kLevelKey), std::string::npos) << iniText();
    g.MenuClick("COM_TOLVAN_1");
    g.MenuClick("COM_HYOUJUN");
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
    EXPECT_FALSE(f.fake.engineInUse());
    EXPECT_EQ(iniText().find("COM"), std::string::npos) << iniText();
}

// Settings files as earlier, later and hand-edited versions leave them. Faults caught: an
// old file (an engine only) read another way; a number with no level behind it taken as
// one (or crashing the start); a later version's level lost when the file is rewritten;
// the level not going before an engine named beside it.
TEST_F(Opponents, TheLevelInTheSettingsFileIsReadAndAnUnknownOneIsHarmless) {
    const std::string engine = kEngineKey + "=gnugo%20--mode%20gtp%20--level%2010";
    const struct Case {
        std::vector<std::string> lines;
        std::string ticked;
        int level;            // the level used, 0 for none
        std::string command;  // the engine used
        bool lineKept;        // the level's line is written again as it was
    } cases[] = {
        {{engine}, "COM_ENGINE_2", 0, "gnugo --mode gtp --level 10", false},
        {{kLevelKey + "=1"}, "COM_TOLVAN_1", 1, "", true},
        {{kLevelKey + "=5"}, "COM_TOLVAN_5", 5, "", true},
        {{engine, kLevelKey + "=4"}, "COM_TOLVAN_4", 4, "", true},
        {{kLevelKey + "=2", engine}, "COM_TOLVAN_2", 2, "", true},
        {{kLevelKey + "=6"}, "COM_HYOUJUN", 0, "", true},
        {{kLevelKey + "=99", engine}, "COM_ENGINE_2", 0, "gnugo --mode gtp --level 10", true},
        {{kLevelKey + "=0"}, "COM_HYOUJUN", 0, "", false},
        {{kLevelKey + "=three"}, "COM_HYOUJUN", 0, "", false},
        {{kLevelKey + "="}, "COM_HYOUJUN", 0, "", false},
        {{kLevelKey + "=-1"}, "COM_HYOUJUN", 0, "", false},
        {{kLevelKey + "=123"}, "COM_HYOUJUN", 0, "", false},
    };
    for (const Case& c : cases) {
        std::string text, levelLine;
        for (const std::string& l : c.lines) {
            text += l + "\r\n";
            if (l.rfind(kLevelKey, 0) == 0) levelLine = l;
        }
        SCOPED_TRACE(text);
        std::ofstream(ini, std::ios::binary) << text;
        Fixture start;
        start.fake.engines = f.fake.engines;
        start.fake.level_names = level_names;
        start.game->settings_file = ini.string();
        start.game->Form_Load();
        EXPECT_EQ(tickedIn(start.fake), c.ticked);
        EXPECT_EQ(start.fake.level_in_use, c.level);
        EXPECT_EQ(start.fake.engine_command, c.command);
        // Any option rewrites the file.
        start.game->MenuClick("BGM");
        const bool kept = !levelLine.empty() && iniText().find(levelLine + "\r\n") != std::string::npos;
        EXPECT_EQ(kept, c.lineKept) << iniText();
    }
}

// A game against a level: the level's stone is played, the record names the level as
// the computer's player, and a game ended by two passes is counted with dead stones, as
// with an engine. Faults caught: the record naming "Tolvan（コンピュータ）" (the built-in
// player) for a level's game; a level's game judged by filling.
TEST_F(Opponents, AGameAgainstALevelNamesItAndIsCountedWithDeadStones) {
    const fs::path folder = fs::temp_directory_path() / ("tolvan-level-kept-" + std::to_string(getpid()));
    fs::remove_all(folder);
    g.kept.folder = folder.string();
    g.MenuClick("COM_TOLVAN_3");
    f.fake.engine_moves = {{EngineMove::stone, 4, 4, {}}, {EngineMove::pass, 0, 0, {}}};
    f.fake.clear();
    g.MenuClick("GOTE");  // the level is black
    ASSERT_EQ(f.fake.lines("genmove b after (0 setup)").size(), 1u) << f.fake.dump();
    EXPECT_EQ(s.board[4][4], stone_black);
    EXPECT_EQ(playersOfGame(g).black, "Tolvan（中級）");
    EXPECT_EQ(playersOfGame(g).white, "あなた");
    press(16, 16);  // the level passes
    g.MenuClick("PASU");
    EXPECT_TRUE(g.counting.active) << f.fake.dump();

    // Resigned, the game is kept with the level's name in it.
    g.MenuClick("TOURYOU");
    std::string text;
    if (fs::exists(folder))
        for (const auto& e : fs::directory_iterator(folder)) {
            std::ifstream in(e.path());
            text += std::string(std::istreambuf_iterator<char>(in), {});
        }
    EXPECT_NE(text.find("PB[Tolvan（中級）]"), std::string::npos) << text << f.fake.dump();
    EXPECT_NE(text.find("RE[B+R]"), std::string::npos) << text;
    fs::remove_all(folder);
}

// ---- Games against an engine --------------------------------------------------------------

TEST_F(Opponents, TheEnginesStoneIsPlayedAsTheComputersStone) {
    f.fake.engine_name = "GNU Go 3.8";
    g.MenuClick("COM_ENGINE_1");
    g.SENTE_Click();
    f.fake.engine_moves.push_back({EngineMove::stone, 16, 16, {}});
    f.fake.clear();
    press(4, 4);
    // The engine sees the game so far, then its stone is drawn, marked, sounded and
    // recorded as the computer's stone always is.
    const int asked = f.fake.find("genmove w after B4,4 (0 setup)");
    ASSERT_GE(asked, 0) << f.fake.dump();
    EXPECT_LT(f.fake.find("text 6915 3515 12 15 b \"思考中\""), asked);
    const int stone = f.fake.find("pic SIRONAKA 5340 5090", asked);
    EXPECT_GT(stone, asked);
    EXPECT_GT(f.fake.find("circle 5490 5240 50 11", stone), stone);
    EXPECT_GT(f.fake.find("dsPlay 11", stone), stone);
    EXPECT_EQ(s.board[16][16], stone_white);
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_TRUE(messages().empty());
    // The record names the engine that played white, by its own name as it told it
    // when it played, even once it has ended.
    EXPECT_EQ(playersOfGame(g).white, "GNU Go 3.8");
    f.fake.engine_name.clear();
    EXPECT_EQ(playersOfGame(g).white, "GNU Go 3.8");

    // The engine's pass is the computer's pass.
    f.fake.engine_moves.push_back({EngineMove::pass, 0, 0, {}});
    f.fake.clear();
    press(4, 16);
    EXPECT_EQ(messages(), (std::vector<std::string>{"msg [COMパス] パスします", "msg [ ] あなたの番です"}));
    EXPECT_EQ(s.com_passed, flag_on);
    // The engine is told of the pass before the person's next stone.
    f.fake.engine_moves.push_back({EngineMove::stone, 10, 10, {}});
    f.fake.clear();
    press(16, 4);
    EXPECT_EQ(f.fake.lines("genmove w after B4,4 W16,16 B4,16 W- B16,4 (0 setup)").size(), 1u)
        << f.fake.dump();
}

TEST_F(Opponents, TheEngineSeesHandicapStonesAndThePositionShown) {
    g.MenuClick("COM_ENGINE_1");
    g.LEBEL_DOWN_Click();
    g.LEBEL_DOWN_Click();
    f.fake.engine_moves.push_back({EngineMove::stone, 16, 4, {}});
    g.SENTE_Click();
    // The person, black, has two handicap stones and moves first; the engine sees the
    // stones as setup and answers for white.
    press(4, 4);
    EXPECT_EQ(f.fake.lines("genmove w after B4,4 (2 setup)").size(), 1u) << f.fake.dump();
    f.fake.engine_moves.push_back({EngineMove::stone, 16, 10, {}});
    press(4, 16);
    // Stepped back three moves and taken up: the engine sees the position shown.
    g.MODORU_Click();
    g.MODORU_Click();
    g.MODORU_Click();
    f.fake.engine_moves.push_back({EngineMove::stone, 10, 4, {}});
    f.fake.clear();
    press(10, 10);  // takes the game up; white is to move
    EXPECT_EQ(f.fake.lines("genmove w after B4,4 (2 setup)").size(), 1u) << f.fake.dump();
    EXPECT_EQ(s.board[10][4], stone_white);
}

// Stepped back over a pass and taken up, against the built-in player and an engine: the
// side to move is the position's, the computer moves on its turn, and the record holds
// only the stones and passes that were made.
TEST_F(Opponents, PlayTakenUpBehindAPassGoesOnFromThePositionShown) {
    const fs::path file = fs::temp_directory_path() / ("tolvan-behind-pass-" + std::to_string(getpid()) + ".sgf");
    std::ofstream(file) << "(;SZ[9];B[cc];W[gg];B[gc];W[];B[cg];W[ee];B[ec])";
    // asked: what the engine is asked when play is taken up; none for the built-in player.
    const struct Case {
        std::string asked;
        bool opened;  // the 9-line record above, else a pass in a game on 19 lines
    } cases[] = {{"", false}, {"genmove w after B4,4 (0 setup)", false}, {"", true}, {"genmove w after B3,3 (0 setup)", true}};
    for (const Case& c : cases) {
        const bool engine = !c.asked.empty();
        SCOPED_TRACE(std::string(engine ? "engine" : "built-in") + (c.opened ? ", opened" : ", played"));
        g.MenuClick(engine ? "COM_ENGINE_1" : "COM_HYOUJUN");
        g.MenuClick(boardLinesItem(19));
        g.MenuClick("SAISYO");
        g.MenuClick("SENTE");
        f.fake.engine_moves = {{EngineMove::stone, 8, 8, {}}, {EngineMove::stone, 2, 8, {}},
                               {EngineMove::stone, 7, 7, {}}};
        if (c.opened) {
            f.fake.files_chosen.push_back(file.string());
            g.MenuClick("KIFU_HIRAKU");  // white to move: the computer answers
            for (int k = 0; k < 6; ++k) g.MODORU_Click();
        } else {
            press(4, 4);
            g.MenuClick("PASU");  // the computer answers with a stone
            g.MODORU_Click();
            g.MODORU_Click();
        }
        ASSERT_EQ(s.move_no, 1);
        EXPECT_EQ(s.turn, stone_white);
        f.fake.clear();
        press(5, 5);  // takes the game up: the computer, white, moves
        EXPECT_EQ(s.move_no, 2);
        EXPECT_EQ(s.turn, stone_black);
        if (engine) {
            EXPECT_EQ(f.fake.lines(c.asked).size(), 1u) << f.fake.dump();
        }
        press(5, 5);  // black, and the computer answers
        EXPECT_EQ(s.board[5][5], stone_black);
        EXPECT_EQ(recordOfGame(g, "", 0, std::nullopt).moves.size(), 4u) << "four stones, no pass";
    }
    fs::remove(file);
}

TEST_F(Opponents, TheEnginesResignationEndsTheGameWithTheUsualQuestion) {
    g.MenuClick("COM_ENGINE_1");
    g.SENTE_Click();
    f.fake.engine_moves.push_back({EngineMove::resign, 0, 0, {}});
    f.fake.clear();
    press(4, 4);
    EXPECT_EQ(messages(), (std::vector<std::string>{"msg [投了] COMは投了しました。あなたの勝ちです。",
                                                    "msg [対局] 続けますか (yes/no)"}));
    EXPECT_EQ(s.turn, no_side) << "Yes starts afresh";
    EXPECT_EQ(s.board[4][4], stone_empty);

    g.SENTE_Click();
    f.fake.engine_moves.push_back({EngineMove::resign, 0, 0, {}});
    f.fake.answers = {Answer::OK, Answer::No};  // the resignation, then 続けますか
    press(4, 4);
    EXPECT_TRUE(f.fake.program_ended);
    EXPECT_TRUE(f.fake.has("stop engine"));
}

TEST_F(Opponents, AFailingEngineGivesWayToTheBuiltInPlayer) {
    g.MenuClick("COM_ENGINE_1");
    g.SENTE_Click();
    f.fake.engine_moves.push_back({EngineMove::failed, 0, 0, "エンジンが終了しました。"});
    f.fake.clear();
    press(4, 4);
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "msg [COMの強さ] エンジンが終了しました。\r\r標準のCOMが打ちます。COMの強さは「標準」に戻ります。"});
    EXPECT_EQ(s.move_no, 2) << "the built-in player answered this move";
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
    EXPECT_FALSE(f.fake.engineInUse());
    EXPECT_NE(iniText().find("gnugo"), std::string::npos) << "the next start tries the engine again";

    // A program that never answered as a GTP engine is not tried again.
    g.MenuClick("COM_ENGINE_1");
    f.fake.engine_moves.push_back({EngineMove::failed, 0, 0, "エンジンの答えが読めません：Pachi", true});
    f.fake.clear();
    press(16, 16);
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "msg [COMの強さ] エンジンの答えが読めません：Pachi\r\r標準のCOMが打ちます。COMの強さは「標準」に戻ります。"});
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
    EXPECT_EQ(iniText().find("gnugo"), std::string::npos) << iniText();

    // A stone the rules refuse, from a fresh choice.
    g.MenuClick("COM_ENGINE_1");
    f.fake.engine_moves.push_back({EngineMove::stone, 4, 4, {}});
    f.fake.clear();
    press(10, 10);
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "msg [COMの強さ] エンジンの手（D4）は打てない手です。\r\r標準のCOMが打ちます。COMの強さは「標準」に戻ります。"});
    EXPECT_EQ(s.move_no, 6);
    EXPECT_EQ(ticked(), "COM_HYOUJUN");
}

TEST_F(Opponents, ALongThinkShowsTheSecondsAndACancelPlaysNothing) {
    g.MenuClick("COM_ENGINE_1");
    g.SENTE_Click();
    f.fake.thinking_seconds = 4;
    f.fake.engine_moves.push_back({EngineMove::stone, 16, 16, {}});
    f.fake.clear();
    press(4, 4);
    // From the third second on, the seconds stand beside the notice.
    bool three = false, four = false;
    for (const auto& l : f.fake.lines("text")) {
        three = three || l.find("\"3秒\"") != std::string::npos;
        four = four || l.find("\"4秒\"") != std::string::npos;
        EXPECT_EQ(l.find("\"2秒\""), std::string::npos);
    }
    EXPECT_TRUE(three && four) << f.fake.dump();

    f.fake.thinking_seconds = 0;
    f.fake.engine_moves.push_back({EngineMove::cancelled, 0, 0, {}});
    press(4, 16);
    EXPECT_EQ(s.move_no, 3) << "the person's stone only";
    EXPECT_TRUE(messages().empty());
}

// 待った takes back the person's last move, stone or pass, with all that followed it:
// the record, the board and the turn are as before that move, and an engine is asked its
// next move in that position. Where there is nothing to take back, nothing changes.
TEST_F(Opponents, TakingBackDropsThePersonsLastMoveAndTheAnswer) {
    const auto moves = [](const rules::History& h) {
        std::string out;
        for (const auto& m : rules::sequence(h, h.stones(), h.passesAtEnd()))
            out += std::string(m.colour > 0 ? "B" : "W") +
                   (m.pass ? "-" : std::to_string(m.at.x) + "," + std::to_string(m.at.y)) + " ";
        return out;
    };
    const EngineMove pass{EngineMove::pass, 0, 0, {}};
    const auto stone = [](int x, int y) { return EngineMove{EngineMove::stone, x, y, {}}; };
    // before: the game up to the position to come back to; last: the person's last move,
    // answered; refused: the message when there is nothing to take back.
    const struct Case {
        const char* name;
        bool engine;
        std::function<void(Opponents&)> before, last;
        std::string refused = {};
    } cases[] = {
        {"built-in, a stone", false, [](Opponents& t) { t.g.SENTE_Click(); t.press(4, 4); },
         [](Opponents& t) { t.press(10, 10); }},
        {"built-in, a pass", false, [](Opponents& t) { t.g.SENTE_Click(); t.press(4, 4); },
         [](Opponents& t) { t.g.MenuClick("PASU"); }},
        {"engine, answered by a pass", true,
         [&](Opponents& t) { t.f.fake.engine_moves = {stone(16, 16), pass}; t.g.SENTE_Click(); t.press(4, 4); },
         [](Opponents& t) { t.press(4, 16); }},
        {"engine, after its pass", true,
         [&](Opponents& t) { t.f.fake.engine_moves = {pass, stone(16, 16)}; t.g.SENTE_Click(); t.press(4, 4); },
         [](Opponents& t) { t.press(4, 16); }},
        {"engine, the person's pass", true,
         [&](Opponents& t) { t.f.fake.engine_moves = {stone(16, 16), stone(10, 10)}; t.g.SENTE_Click(); t.press(4, 4); },
         [](Opponents& t) { t.g.MenuClick("PASU"); }},
        {"engine, a capture", true,
         [&](Opponents& t) {
             t.f.fake.engine_moves = {stone(2, 1), stone(16, 16), stone(1, 2)};
             t.g.SENTE_Click();
             t.press(1, 1);
             t.press(4, 4);
         },
         [](Opponents& t) { t.press(4, 16); }},
        {"no game", false, [](Opponents&) {}, [](Opponents&) {}, "「対局」で始めて下さい"},
        {"two people", false, [](Opponents& t) { t.g.TAIMAN_Click(); t.press(4, 4); t.press(16, 16); },
         [](Opponents&) {}, "待ったはCOMとの対局でだけできます"},
        {"only the computer's stone", true,
         [&](Opponents& t) { t.f.fake.engine_moves = {stone(16, 16)}; t.g.GOTE_Click(); },
         [](Opponents&) {}, "待ったする手がありません"},
        {"stepped back", false,
         [](Opponents& t) { t.g.SENTE_Click(); t.press(4, 4); t.g.MODORU_Click(); },
         [](Opponents&) {}, "棋譜を見ている間は待ったできません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g.MenuClick(c.engine ? "COM_ENGINE_1" : "COM_HYOUJUN");
        g.初期設定();
        c.before(*this);
        const std::string movesBefore = moves(s.record), boardBefore = boardText(s);
        const int turnBefore = s.turn;
        c.last(*this);
        if (c.refused.empty()) {
            ASSERT_NE(moves(s.record), movesBefore);
        }
        f.fake.clear();
        g.MenuClick("MATTA");
        EXPECT_EQ(messages(), c.refused.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{"msg [待った] " + c.refused});
        EXPECT_EQ(moves(s.record), movesBefore);
        EXPECT_EQ(boardText(s), boardBefore);
        EXPECT_EQ(s.turn, turnBefore);
        if (!c.refused.empty() || s.turn == no_side) continue;
        EXPECT_EQ(s.move_no, s.record.stones());
        // The game goes on from there.
        f.fake.engine_moves = {stone(10, 4)};
        f.fake.clear();
        press(3, 3);
        EXPECT_EQ(s.board[3][3], stone_black);
        EXPECT_EQ(s.turn, stone_black);
        if (c.engine) {
            EXPECT_TRUE(f.fake.has("genmove w after " + movesBefore + "B3,3 (0 setup)")) << f.fake.dump();
        }
    }
}

}  // namespace
}  // namespace tolvan::testing
