// How games go on and end on the fake port: passes that end a game only one after the
// other, the computer answering a record opened on its turn, and the position shown
// again after 勝敗判定.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <fstream>
#include <iterator>

#include "fake_platform.h"
#include "game/kifu.h"
#include "game/review_view.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

// The folders a test opens stay out of the run folder's settings.
struct GameEnd : OwnSettingsTest {
    void SetUp() override {
        g.settings_file = ini.string();
        GameTest::SetUp();
    }
};

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

// Every game with a move that ends is kept, whatever ends it: the judgement and a new
// game, opening another record, quitting. The file is the game's record with its result;
// a second game in the same minute gets a suffix; a game without a move leaves nothing.
TEST_F(GameEnd, FinishedGamesAreKeptInTheirFolder) {
    const fs::path folder = fs::temp_directory_path() / ("tolvan-kept-" + std::to_string(getpid())) / "games";
    fs::remove_all(folder.parent_path());
    g.kept.folder = folder.string();
    auto kept = [&] {
        std::vector<std::string> names;
        if (fs::exists(folder))
            for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    g.MenuClick("TAIMAN");
    g.MenuClick("SAISYO");
    EXPECT_TRUE(kept().empty()) << "no move, nothing kept";
    fs::create_directories(folder.parent_path());
    const fs::path file = folder.parent_path() / "opened.sgf";
    std::ofstream(file) << "(;SZ[19];B[dd];W[pp];B[];W[dp])";
    f.fake.files_chosen.push_back(file.string());
    g.MenuClick("KIFU_HIRAKU");
    g.MenuClick("SAISYO");
    EXPECT_TRUE(kept().empty()) << "a record opened and left as it was";
    // Opened again and reviewed: the review is kept with it.
    f.fake.files_chosen.push_back(file.string());
    g.MenuClick("KIFU_HIRAKU");
    sgf::Record reviewed = recordOfGame(g, "", 0, std::nullopt);
    reviewed.moves[0].annotations.value = 2;
    keepReview(g, reviewed);
    g.MenuClick("SAISYO");
    ASSERT_EQ(kept(), std::vector<std::string>{"2026-12-07_1532.sgf"});
    {
        std::ifstream in(folder / "2026-12-07_1532.sgf");
        EXPECT_NE(std::string(std::istreambuf_iterator<char>(in), {}).find(";B[dd]V[2]"), std::string::npos);
    }
    fs::remove(folder / "2026-12-07_1532.sgf");

    g.MenuClick("TAIMAN");
    press(4, 4);
    g.MenuClick("PASU");
    f.fake.answers = {Answer::Yes, Answer::OK, Answer::Yes};
    g.MenuClick("PASU");  // judged, and a new game
    ASSERT_EQ(kept(), std::vector<std::string>{"2026-12-07_1532.sgf"});
    std::ifstream in(folder / "2026-12-07_1532.sgf");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find(";B[dd]"), std::string::npos) << text;
    EXPECT_NE(text.find("RE[0]"), std::string::npos) << "the judgement, a draw, is its result: " << text;

    g.MenuClick("TAIMAN");
    press(16, 16);
    g.終了();
    EXPECT_EQ(kept(), (std::vector<std::string>{"2026-12-07_1532-2.sgf", "2026-12-07_1532.sgf"}));
    fs::remove_all(folder.parent_path());
}

// A game that ends is kept before anything is shown or asked, so that a program killed
// at the result or at 「続けますか」 has lost nothing, and answering keeps no second copy.
// Faults caught, for each way a game ends (the fill judgement, the count with dead
// stones, the person's resignation, an engine's): keeping only after the question (no
// file at the first message), a file without the result, keeping again when the board is
// cleared or the program ends (two files).
TEST_F(GameEnd, AFinishedGameIsKeptBeforeAnythingIsShownOrAsked) {
    const fs::path folder = fs::temp_directory_path() / ("tolvan-ended-" + std::to_string(getpid()));
    fs::remove_all(folder);
    g.kept.folder = folder.string();
    auto files = [&] {
        std::vector<std::string> texts;
        if (fs::exists(folder))
            for (const auto& entry : fs::directory_iterator(folder)) {
                std::ifstream in(entry.path());
                texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
        return texts;
    };
    struct Ending {
        const char* name;
        std::function<void()> play;
        const char* result;
    };
    const Ending endings[] = {
        {"two passes, judged by filling",
         [&] {
             g.MenuClick(ending_fill_item);
             g.MenuClick("TAIMAN");
             press(4, 4);
             g.MenuClick("PASU");
             g.MenuClick("PASU");
         },
         "RE[0]"},
        {"two passes, counted with dead stones",
         [&] {
             g.MenuClick(ending_count_item);
             g.MenuClick("TAIMAN");
             press(4, 4);
             g.MenuClick("PASU");
             g.MenuClick("PASU");
             g.MenuClick("HANTEI");  // the count confirmed
         },
         "RE[B+360]"},
        {"the side to move resigns",
         [&] {
             g.MenuClick("TAIMAN");
             press(4, 4);
             g.MenuClick("TOURYOU");
         },
         "RE[B+R]"},
        {"the engine resigns",
         [&] {
             g.MenuClick("COM_ENGINE_1");
             g.SENTE_Click();
             f.fake.engine_moves.push_back({EngineMove::resign, 0, 0, {}});
             press(4, 4);
             g.MenuClick("COM_HYOUJUN");
         },
         "RE[B+R]"},
    };
    f.fake.engines = {{"GNU Go (レベル 1)", "gnugo --mode gtp --level 1"}};
    for (const bool goOn : {true, false}) {
        for (const Ending& e : endings) {
            // Ending the program ends every test after it: the last ending alone says いいえ.
            if (!goOn && &e != &endings[2]) continue;
            SCOPED_TRACE(std::string(e.name) + (goOn ? ", then a new game" : ", then the end"));
            fs::remove_all(folder);
            g.kifu.result.clear();  // the last game's, noted for its own record only
            std::vector<std::string> atFirstMessage, atQuestion;
            bool ended = false;
            f.fake.on_message = [&](const std::string& prompt) {
                // The messages of the end: after the result is known.
                if (g.kifu.result.empty() || ended) return;
                if (atFirstMessage.empty()) atFirstMessage = files();
                if (prompt == "続けますか") {
                    atQuestion = files();
                    ended = true;
                    f.fake.answers.push_front(goOn ? Answer::Yes : Answer::No);
                }
            };
            e.play();
            f.fake.on_message = nullptr;
            ASSERT_EQ(atFirstMessage.size(), 1u) << f.fake.dump();
            EXPECT_NE(atFirstMessage[0].find(e.result), std::string::npos) << atFirstMessage[0];
            EXPECT_NE(atFirstMessage[0].find(";B[dd]"), std::string::npos) << atFirstMessage[0];
            EXPECT_EQ(atQuestion, atFirstMessage);
            EXPECT_EQ(files(), atFirstMessage) << "kept once, whatever the answer";
            EXPECT_EQ(f.fake.program_ended, !goOn);
            if (goOn) {
                // Clearing the board again, or quitting, keeps nothing more.
                g.MenuClick("SAISYO");
                EXPECT_EQ(files().size(), 1u);
            }
        }
    }
    fs::remove_all(folder);
}

// 検討 on the board cleared after a game offers that game: はい takes it up as a record
// opened from its kept file and reviews its moves; いいえ leaves the board empty; a board
// that was never played on says there is nothing to review. Faults caught: the game lost
// once the board is cleared (「検討する手がありません。」), or offered while a game runs.
TEST_F(GameEnd, ReviewOnAClearedBoardOffersTheLastFinishedGame) {
    const fs::path folder = fs::temp_directory_path() / ("tolvan-review-last-" + std::to_string(getpid()));
    fs::remove_all(folder);
    g.kept.folder = folder.string();
    f.fake.clear();
    EXPECT_FALSE(recordToReview(g));
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [検討] 検討する手がありません。"});

    g.MenuClick("TAIMAN");
    press(4, 4);
    press(16, 16);
    press(4, 16);
    g.MenuClick("TOURYOU");  // white resigns, and はい: a new board
    ASSERT_EQ(s.turn, no_side);
    ASSERT_EQ(s.record.stones(), 0);

    f.fake.clear();
    f.fake.answers = {Answer::No};
    EXPECT_FALSE(recordToReview(g));
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "msg [検討] 盤に対局がありません。\r最後に終わった対局（3手）を盤に戻して検討しますか？ (yes/no)"});
    EXPECT_EQ(s.record.stones(), 0) << "いいえ leaves the board as it was";

    f.fake.answers = {Answer::Yes};
    const auto record = recordToReview(g);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->moves.size(), 3u);
    EXPECT_EQ(record->get("RE"), "B+R");
    EXPECT_EQ(s.record.stones(), 3) << "the game is on the board again";
    EXPECT_EQ(s.record_mode, flag_on);
    ASSERT_EQ(g.kifu.files.size(), 1u);
    EXPECT_EQ(fs::path(g.kifu.files[0].path).parent_path(), folder) << "as if opened from its kept file";

    // Not while a game runs, even one without a move.
    g.MenuClick("SAISYO");
    g.MenuClick("TAIMAN");
    f.fake.clear();
    EXPECT_FALSE(recordToReview(g));
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [検討] 検討する手がありません。"});
    fs::remove_all(folder);
}

// A folder that cannot be written is told once in the run, and play goes on.
TEST_F(GameEnd, AGameThatCannotBeKeptIsToldOnce) {
    const fs::path blocker = fs::temp_directory_path() / ("tolvan-kept-file-" + std::to_string(getpid()));
    std::ofstream(blocker) << "a file where the folder would go";
    g.kept.folder = (blocker / "games").string();
    for (int game = 0; game < 2; ++game) {
        g.MenuClick("TAIMAN");
        press(4, 4);
        f.fake.clear();
        g.MenuClick("SAISYO");
        EXPECT_EQ(messages().size(), game == 0 ? 1u : 0u) << f.fake.dump();
    }
    fs::remove(blocker);
}

}  // namespace
}  // namespace tolvan::testing
