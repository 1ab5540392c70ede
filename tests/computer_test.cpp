// The computer's turn, driven through the start commands and presses or called as the
// handlers call it, against the recording fake. The person plays black ('X') unless a
// test starts with 後手.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

// What the thinking notice writes, and how it is wiped off again.
const std::vector<std::string> notice = {
    "text 6946.5 3546.5 12 0 b \"思考中\"",
    "text 6915 3515 12 15 b \"思考中\"",
    "refresh",
    "wait 0.2",
};
const std::vector<std::string> noticeCleared = {
    "pic HAIKEI_TAKE 6915 3515",
    "pic HAIKEI_TAKE 7230 3515",
    "pic HAIKEI_TAKE 7545 3515",
    "pic HAIKEI_TAKE 7860 3515",
};

struct Computer : GameTest {
    void SetUp() override {
        // No opening book: every answer here comes from the scoring.
        g.book_file = "no-such-book.定石";
        GameTest::SetUp();
    }
    // A game with the person as black on the given position (slot 0), computer to move.
    void computerToMoveOn(const std::vector<std::string>& rows) {
        g.SENTE_Click();
        setBoard(s, rows);
        g.調査_保存(0);
        s.turn = s.com_side;
        f.fake.clear();
    }
    // A game with the person as black on the given position, person to move.
    void personToMoveOn(const std::vector<std::string>& rows) {
        g.SENTE_Click();
        setBoard(s, rows);
        g.調査_保存(0);
        f.fake.clear();
    }
    // The log from the first line of the thinking notice on.
    std::vector<std::string> fromNotice() {
        const int i = f.fake.find(notice[0]);
        if (i < 0) return {};
        return {f.fake.log.begin() + i, f.fake.log.end()};
    }
};

// The move count n (one digit) as the panel shows it.
std::vector<std::string> moveCount(int n) {
    const std::string v = "\" " + std::to_string(n) + "\"";
    return {"pic HAIKEI_TAKE 6600 3830",          "pic HAIKEI_TAKE 6915 3830",
            "pic HAIKEI_TAKE 7230 3830",          "pic HAIKEI_TAKE 7545 3830",
            "text 6946.5 3861.5 11 0 b " + v,
            "text 6915 3830 11 15 b " + v,        "text 7261.5 3861.5 11 0 b \"手目\"",
            "text 7230 3830 11 15 b \"手目\""};
}

bool emptyBoard(const GameState& s) {
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y)
            if (s.board[x][y] != stone_empty) return false;
    return true;
}

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// ---- Starting a game ---------------------------------------------------------------

TEST_F(Computer, GoteOnAnEmptyRecordOpensOnTheBestFourFourPoint) {
    struct Case {
        int second, x, y;
    } cases[] = {
        {16, 16, 16},  // (16, 16) has the largest bonus
        {10, 4, 16},
        {6, 16, 4},
        {8, 4, 4},
        {0, 4, 4},    // all four equal: the lowest column wins
        {59, 16, 4},  // (16, 4) and (16, 16) equal: the lower row wins
    };
    for (const auto& c : cases) {
        f.fake.clock_second = c.second;
        g.SAISYO_Click();
        f.fake.clear();
        g.GOTE_Click();
        EXPECT_EQ(s.board[c.x][c.y], stone_black) << "second " << c.second << "\n" << boardText(s);
        EXPECT_EQ(s.move_no, 1);
        EXPECT_EQ(s.turn, stone_white);
        EXPECT_TRUE(messages().empty()) << f.fake.dump();
    }
}

TEST_F(Computer, GoteRecordsTheComputersBlackStone) {
    f.fake.clock_second = 16;
    g.SAISYO_Click();
    f.fake.clear();
    g.GOTE_Click();
    EXPECT_EQ(recordedMove(s, 0).at.x, 16);
    EXPECT_EQ(recordedMove(s, 0).at.y, 16);
    EXPECT_EQ(recordedMove(s, 0).colour, stone_black);
    EXPECT_EQ(s.record.stones(), 1);
    EXPECT_EQ(s.last_x, 16);
    EXPECT_EQ(s.last_side, stone_black);
    EXPECT_EQ(s.record.after(1).at(16, 16), stone_black);
    EXPECT_EQ(s.record.after(0).at(16, 16), stone_empty);
    EXPECT_EQ(s.com_passed, flag_off);
    // No previous stone to unmark and no number: notice, stone, mark, sound, count.
    EXPECT_EQ(fromNotice(), join({notice, noticeCleared,
                                  {"pic KURONAKA 5340 5090", "circle 5490 5240 50 11", "wait 0.5",
                                   "dsPlay 11"},
                                  moveCount(1)}))
        << f.fake.dump();
}

TEST_F(Computer, SenteThenAPressIsAnsweredInTheSamePress) {
    f.fake.clock_second = 16;
    g.SAISYO_Click();
    g.SENTE_Click();
    f.fake.clear();
    press(10, 10);
    EXPECT_EQ(s.board[10][10], stone_black);
    EXPECT_EQ(s.board[16][16], stone_white);
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.record.stones(), 2);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(recordedMove(s, 0).colour, stone_black);
    EXPECT_EQ(recordedMove(s, 1).at.x, 16);
    EXPECT_EQ(recordedMove(s, 1).colour, stone_white);
    EXPECT_EQ(s.record.after(1).at(16, 16), stone_empty);
    EXPECT_EQ(s.record.after(2).at(16, 16), stone_white);
    EXPECT_EQ(s.record.after(2).at(10, 10), stone_black);
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    // The person's stone is drawn before the notice, the computer's after it.
    EXPECT_LT(f.fake.find("pic KURONAKA 3450 3200"), f.fake.find(notice[0]));
    EXPECT_LT(f.fake.find(notice[0]), f.fake.find("pic SIRONAKA 5340 5090"));
    // The person plays on and the computer answers again.
    press(4, 4);
    EXPECT_EQ(s.move_no, 4);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(recordedMove(s, 3).colour, stone_white);
}

// ---- The move, as drawn --------------------------------------------------------------

TEST_F(Computer, DrawOrderOfACaptureWithNumbers) {
    personToMoveOn({"", "", "", "", "", "", "", "",
                    ".........O",
                    "........O.O"});
    f.fake.checks["BANGOU"] = true;
    press(10, 10);  // the person's stone in atari
    // The computer takes it from below; that stone keeps three liberties.
    EXPECT_EQ(fromNotice(),
              join({notice, noticeCleared,
                    {
                        "pic KURONAKA 3450 3200",         // the person's stone, plain
                        "pic SIRONAKA 3450 3515",         // the computer's stone
                        "circle 3600 3665 50 11",         // its mark
                        "wait 0.5",
                        "dsPlay 11",
                        "ctext 3600 3350 12 15 - \"1\"",  // number of the person's move
                        "pic KARANAKATEN 3450 3200",      // the captured stone erased
                        "pic HAIKEI_TAKE 7545 2255",
                        "pic HAIKEI_TAKE 7545 2885",
                        "pic HAIKEI_TAKE 7860 2255",
                        "pic HAIKEI_TAKE 7860 2885",
                        "text 7545 2255 12 15 b \" 0\"",
                        "text 7545 2885 12 15 b \" 1\"",
                    },
                    moveCount(2)}))
        << f.fake.dump();
    EXPECT_EQ(s.board[10][10], stone_empty);
    EXPECT_EQ(s.board[10][11], stone_white);
    EXPECT_EQ(s.white_captures, 1);
    EXPECT_EQ(s.black_captures, 0);
    EXPECT_EQ(s.record.after(2).at(10, 10), stone_empty);
    EXPECT_EQ(s.record.after(2).at(10, 11), stone_white);
}

TEST_F(Computer, OneStoneTakesTwoChainsAndCountsBoth) {
    computerToMoveOn({"OOOOOO",
                      "OX.XXO",
                      "OOOOOO"});
    g.com_ban();
    EXPECT_EQ(s.board[3][2], stone_white);
    EXPECT_EQ(s.white_captures, 3);
    EXPECT_EQ(s.board[2][2], stone_empty);
    EXPECT_EQ(s.board[4][2], stone_empty);
    EXPECT_EQ(s.board[5][2], stone_empty);
    const auto counts = f.fake.lines("text 7545 2885");
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0], "text 7545 2885 12 15 b \" 1\"");
    EXPECT_EQ(counts[1], "text 7545 2885 12 15 b \" 3\"");
}

// ---- Which point is played -------------------------------------------------------------

TEST_F(Computer, OwnEyesAreNotFilledSoTheComputerPasses) {
    // White lives with eyes at (3, 3) and (3, 16), black with eyes at (16, 3) and
    // (16, 16); there is no other empty point.
    std::vector<std::string> rows;
    for (int y = 1; y <= 19; ++y) {
        std::string row = std::string(10, 'O') + std::string(9, 'X');
        if (y == 3 || y == 16) row[2] = row[15] = '.';
        rows.push_back(row);
    }
    computerToMoveOn(rows);
    s.hint_active = flag_on;
    const std::string before = boardText(s);
    g.com_ban();
    EXPECT_EQ(fromNotice(), join({notice, noticeCleared,
                                  {"msg [COMパス] パスします", "msg [ ] あなたの番です"}}))
        << f.fake.dump();
    EXPECT_EQ(boardText(s), before);
    EXPECT_EQ(s.com_passed, flag_on);
    EXPECT_EQ(s.man_passed, flag_off);
    EXPECT_EQ(s.hint_active, flag_off);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(s.move_no, 0);
    EXPECT_EQ(s.record.stones(), 0);
}

TEST_F(Computer, AnOwnEyeIsFilledWhenThePersonCouldCaptureThere) {
    // (1, 2) touches only white stones, but the white stone on (1, 1) has its last
    // liberty there.
    computerToMoveOn({"OXX",
                      ".OX",
                      "OO."});
    g.com_ban();
    EXPECT_EQ(s.board[1][2], stone_white) << boardText(s);
    EXPECT_EQ(s.move_no, 1);
}

TEST_F(Computer, SuicidePointsAreNeverPlayed) {
    // Black fills the board but for (1, 1) and (19, 19); the white stone on (2, 1) could
    // be saved only by a white stone without liberty on (1, 1), and white on (19, 19)
    // would have none either.
    std::vector<std::string> rows(19, std::string(19, 'X'));
    rows[0][0] = '.';
    rows[0][1] = 'O';
    rows[18][18] = '.';
    computerToMoveOn(rows);
    g.com_ban();
    EXPECT_EQ(s.com_passed, flag_on);
    EXPECT_EQ(s.board[1][1], stone_empty);
    EXPECT_EQ(s.board[19][19], stone_empty);
}

TEST_F(Computer, AnImmediateKoRetakeIsSkipped) {
    personToMoveOn({".XOO",
                    "XO.O",
                    ".XO"});
    press(3, 2);  // the person takes the ko
    ASSERT_EQ(s.board[2][2], stone_empty);
    ASSERT_EQ(s.black_captures, 1);
    // Retaking on (2, 2) would capture and score highest, but the person could take back.
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.board[2][2], stone_empty) << boardText(s);
    EXPECT_EQ(s.board[3][2], stone_black);
    EXPECT_EQ(s.white_captures, 0);
    // After an exchange elsewhere the retake is fine.
    int px = 10;
    while (s.board[px][10] != stone_empty) ++px;
    press(px, 10);
    EXPECT_EQ(s.move_no, 4);
    EXPECT_EQ(s.board[2][2], stone_white) << boardText(s);
    EXPECT_EQ(s.board[3][2], stone_empty);
    EXPECT_EQ(s.white_captures, 1);
}

TEST_F(Computer, EqualScoresKeepThePointFoundFirst) {
    // Two captures of equal worth on either side of the board: the lower column wins.
    computerToMoveOn({"", "", "", "", "", "", "", "",
                      "..O.............O..",
                      ".OXO...........OXO.",
                      });
    s.opening_bonus = {};
    g.com_ban();
    EXPECT_EQ(s.board[3][11], stone_white) << boardText(s);
    EXPECT_EQ(s.board[17][11], stone_empty);
}

// ---- The end of the record -------------------------------------------------------------

TEST_F(Computer, AFullRecordMakesTheComputerPass) {
    computerToMoveOn({});
    s.move_no = max_moves;
    fillRecord(s, max_moves, {7, 7});
    g.com_ban();
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"msg [COMパス] パスします", "msg [ ] あなたの番です"}));
    EXPECT_EQ(s.move_no, max_moves);
    EXPECT_EQ(s.record.stones(), max_moves);
    EXPECT_EQ(recordedMove(s, max_moves - 1).at.x, 7);
    EXPECT_EQ(recordedMove(s, max_moves - 1).at.y, 7);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(s.com_passed, flag_on);
    EXPECT_TRUE(emptyBoard(s));
}

TEST_F(Computer, MoveFiveHundredIsStillPlayed) {
    computerToMoveOn({});
    s.move_no = max_moves - 1;
    fillRecord(s, max_moves - 1, {10, 10});
    g.com_ban();
    EXPECT_EQ(s.move_no, max_moves);
    EXPECT_EQ(s.record.stones(), max_moves);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(s.com_passed, flag_off);
}

// ---- The window hears when the turn begins and ends ------------------------------------

TEST_F(Computer, TheTurnRunsFromTheNoticeUntilTheStoneIsPlayed) {
    personToMoveOn({});
    f.fake.log_computer_turn = true;
    press(10, 10);
    ASSERT_EQ(s.move_no, 2);
    EXPECT_EQ(f.fake.lines("computer turn"),
              (std::vector<std::string>{"computer turn begins", "computer turn ends"}));
    // The person's stone is played and heard before; the computer's stone within.
    const int begins = f.fake.find("computer turn begins");
    EXPECT_LT(f.fake.find("dsPlay 11"), begins);
    EXPECT_EQ(f.fake.find(notice[0]), begins + 1);
    EXPECT_GT(f.fake.find("dsPlay 11", begins), begins);
    EXPECT_EQ(f.fake.log.back(), "computer turn ends") << f.fake.dump();
}

TEST_F(Computer, APassEndsTheTurnBeforeItsMessage) {
    computerToMoveOn({});
    f.fake.log_computer_turn = true;
    s.move_no = max_moves;
    fillRecord(s, max_moves, {1, 1});
    g.com_ban();
    EXPECT_EQ(f.fake.log, join({{"computer turn begins"}, notice, noticeCleared,
                                {"computer turn ends", "msg [COMパス] パスします",
                                 "msg [ ] あなたの番です"}}))
        << f.fake.dump();
}

// ---- The hint ---------------------------------------------------------------------------

TEST_F(Computer, WithoutABookPositionNoHintIsPending) {
    f.fake.checks["SINAN"] = true;
    computerToMoveOn({});
    s.hint_active = flag_on;
    g.com_ban();
    EXPECT_EQ(s.hint_active, flag_off);
    EXPECT_TRUE(f.fake.lines("pic SINAN").empty());
}

// ---- The opening book ------------------------------------------------------------------

struct ComputerWithBook : Computer {
    std::filesystem::path file;

    ComputerWithBook() {
        static std::atomic<int> n{0};
        file = std::filesystem::temp_directory_path() /
               ("tolvan_com_book_" + std::to_string(getpid()) + "_" + std::to_string(n++));
    }
    ~ComputerWithBook() override { std::filesystem::remove(file); }

    void useBook(const std::vector<std::string>& lines) {
        std::ofstream out(file, std::ios::binary);
        for (const auto& l : lines) out << l << "\r\n";
        out.close();
        g.book_file = file.string();
        g.定石ファイル読込();
    }
    // The book's text of the corner of (x, y) with extra stones put on for the moment;
    // with `hint` the colours are read exchanged, as for the person's hint.
    std::string shape(int x, int y, const std::vector<std::pair<int, int>>& man,
                      const std::vector<std::pair<int, int>>& com, bool hint = false) {
        const auto saved = s.board;
        for (auto [i, j] : man) s.board[i][j] = s.man_side;
        for (auto [i, j] : com) s.board[i][j] = s.com_side;
        if (hint) g.碁盤_入替();
        std::string text = g.取得_文字列(0, x, y);
        s.board = saved;
        return text;
    }
};

TEST_F(ComputerWithBook, BookReplyIsPlayedAndTheHintShown) {
    personToMoveOn({"", "", "", "...O"});
    f.fake.checks["SINAN"] = true;
    // The person approaches at (3, 6); the book answers on (1, 1), which no score would
    // choose, and hints (5, 5) to the person after it.
    useBook({shape(3, 6, {{3, 6}}, {}) + ",1,1",
             shape(1, 1, {{3, 6}}, {{1, 1}}, true) + ",5,5"});
    press(3, 6);
    EXPECT_EQ(s.board[1][1], stone_white) << boardText(s);
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.hint_active, flag_on);
    EXPECT_EQ(s.hint_x, 5);
    EXPECT_EQ(s.hint_y, 5);
    EXPECT_EQ(fromNotice(),
              join({notice, noticeCleared,
                    {"pic KURONAKA 1245 1940", "pic SIROUEHIDARI 615 365",
                     "circle 765 515 50 11", "wait 0.5", "dsPlay 11"},
                    moveCount(2),
                    {"pic SINAN_SURU 7000 1000"}}))
        << f.fake.dump();
}

TEST_F(ComputerWithBook, UnplayableBookRepliesAreIgnored) {
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        const char* reply;
        int x, y;
    } cases[] = {
        {"occupied", {"", "", "", "...O"}, ",4,4", 4, 4},
        {"off the board", {"", "", "", "...O"}, ",0,5", 0, 5},
        {"suicide", {".X", "X", "", "...O"}, ",1,1", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g.SAISYO_Click();
        personToMoveOn(c.rows);
        const i16 before = c.x >= 1 ? s.board[c.x][c.y] : stone_empty;
        useBook({shape(3, 6, {{3, 6}}, {}) + c.reply});
        press(3, 6);
        // The computer scored the board instead and played elsewhere.
        EXPECT_EQ(s.move_no, 2);
        EXPECT_EQ(s.turn, stone_black);
        EXPECT_TRUE(messages().empty()) << f.fake.dump();
        if (c.x >= 1) {
            EXPECT_EQ(s.board[c.x][c.y], before);
        }
        EXPECT_FALSE(recordedMove(s, 1).at.x == c.x && recordedMove(s, 1).at.y == c.y);
    }
}

TEST_F(ComputerWithBook, AHintThePersonCouldNotPlayIsDropped) {
    personToMoveOn({"", "", "", "...O"});
    f.fake.checks["SINAN"] = true;
    useBook({shape(3, 6, {{3, 6}}, {}) + ",1,1",
             shape(1, 1, {{3, 6}}, {{1, 1}}, true) + ",4,4"});
    press(3, 6);
    EXPECT_EQ(s.board[1][1], stone_white);
    EXPECT_EQ(s.hint_active, flag_off);
    EXPECT_TRUE(f.fake.lines("pic SINAN").empty()) << f.fake.dump();
}


// ---- Hint mode -------------------------------------------------------------------------

struct HintMode : ComputerWithBook {
    void SetUp() override {
        ComputerWithBook::SetUp();
        personToMoveOn({"", "", "", "...O"});
        f.fake.checks["SINAN"] = true;
        useBook({shape(3, 6, {{3, 6}}, {}) + ",1,1",
                 shape(1, 1, {{3, 6}}, {{1, 1}}, true) + ",5,5"});
        press(3, 6);
        ASSERT_EQ(s.hint_active, flag_on);
        f.fake.clear();
    }
};

TEST_F(HintMode, AnotherPointIsRefusedAndTheHintBlinks) {
    press(10, 10);
    std::vector<std::string> expected = {"msg [ ? ? ? ?] 指南します"};
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), {"pic KURONAKA 1875 1625", "wait 0.1", "refresh",
                                         "pic KARANAKA 1875 1625", "wait 0.1", "refresh"});
    EXPECT_EQ(f.fake.log, expected);
    EXPECT_EQ(s.board[10][10], stone_empty);
    EXPECT_EQ(s.hint_active, flag_on);
    EXPECT_EQ(s.move_no, 2);
}

TEST_F(HintMode, TheHintPointIsPlayed) {
    press(5, 5);
    EXPECT_EQ(f.fake.log.front(), "pic SINAN_MODE 7000 1000");
    EXPECT_EQ(s.board[5][5], stone_black);
    EXPECT_EQ(s.move_no, 4);  // and the computer answered
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
}

TEST_F(HintMode, WithoutHintModeAnyPointIsPlayed) {
    f.fake.checks["SINAN"] = false;
    press(10, 10);
    EXPECT_EQ(s.board[10][10], stone_black);
}

TEST_F(HintMode, SteppingBackToTheComputersMoveOffersTheHintAgain) {
    press(5, 5);  // the person takes the hint, the computer answers
    f.fake.clear();
    g.MODORU_Click();  // back over the computer's answer
    g.MODORU_Click();  // back over the person's stone: the computer's (1, 1) is on top
    EXPECT_EQ(s.move_no, 2);
    EXPECT_EQ(s.last_x, 1);
    EXPECT_EQ(s.hint_active, flag_on);
    EXPECT_EQ(s.hint_x, 5);
    EXPECT_EQ(s.hint_y, 5);
    EXPECT_EQ(f.fake.lines("pic SINAN_SURU").size(), 1u);
    // The last-move mark stays on the computer's stone.
    EXPECT_TRUE(f.fake.has("circle 765 515 50 11"));
    // The first press takes the game up (the person's turn: nothing happens), the
    // second plays the hint point.
    press(5, 5);
    EXPECT_EQ(s.board[5][5], stone_empty);
    press(5, 5);
    EXPECT_EQ(s.board[5][5], stone_black);
    EXPECT_EQ(s.move_no, 4);
    EXPECT_EQ(s.record.stones(), 4);
}

// ---- Passing against the computer ---------------------------------------------------------

TEST_F(Computer, ThePersonPassesAndTheComputerPlaysOn) {
    personToMoveOn({});
    press(4, 4);
    f.fake.clear();
    g.PASU_Click();
    EXPECT_EQ(s.move_no, 3);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(s.man_passed, flag_off);  // the computer's turn clears it
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [パスの確認] パスしますか？ (yes/no)"});
}

TEST_F(Computer, AfterTheComputerPassedThePersonsPassEndsTheGame) {
    // White fills the board but for one-point eyes on the odd crossings: only own eyes
    // are left for the computer, so it passes.
    std::vector<std::string> rows;
    for (int y = 1; y <= 19; ++y) {
        std::string r;
        for (int x = 1; x <= 19; ++x) r += x % 2 == 1 && y % 2 == 1 ? '.' : 'O';
        rows.push_back(r);
    }
    personToMoveOn(rows);
    s.turn = s.com_side;
    g.com_ban();
    ASSERT_EQ(s.com_passed, flag_on);
    ASSERT_EQ(s.turn, stone_black);
    f.fake.clear();
    f.fake.answers = {Answer::Yes, Answer::OK, Answer::Yes};
    g.PASU_Click();
    auto m = messages();
    ASSERT_EQ(m.size(), 3u) << f.fake.dump();
    EXPECT_EQ(m[1], "msg [COMの勝ち！！] 黒[0]+ﾊﾏ(0)   白[361]+ﾊﾏ(0)");
    EXPECT_EQ(m[2], "msg [対局] 続けますか (yes/no)");
    EXPECT_EQ(s.turn, no_side);
}

// ---- Reversal against the computer -------------------------------------------------------

TEST_F(Computer, ReversalHandsThePersonsPositionToTheComputer) {
    g.SENTE_Click();
    const int points[][2] = {{3, 3}, {3, 5}, {5, 3}, {7, 3}, {3, 7}};
    for (auto& p : points) press(p[0], p[1]);
    ASSERT_EQ(s.move_no, 10);
    ASSERT_EQ(s.turn, stone_black);
    s.black_captures = 2;
    s.white_captures = 1;
    g.調査_保存(s.move_no);  // the record keeps the counts
    const auto before = s.board;
    f.fake.clear();
    g.GYAKUTEN_Click();
    // Every stone swapped on the screen and in the record, the counts exchanged...
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y)
            if (before[x][y] != stone_empty && !(x == recordedMove(s, 10).at.x && y == recordedMove(s, 10).at.y)) {
                EXPECT_EQ(s.board[x][y], -before[x][y]) << x << "," << y;
            }
    EXPECT_EQ(s.black_captures, 1);
    EXPECT_EQ(s.white_captures, 2);
    EXPECT_EQ(recordedMove(s, 0).colour, stone_white);
    EXPECT_EQ(s.record.after(1).at(3, 3), stone_white);
    // ...and the computer, still white, moves at once from black's former position.
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [ ] COMの番です"});
    EXPECT_EQ(s.move_no, 11);
    EXPECT_EQ(recordedMove(s, 10).colour, stone_white);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(s.reversed, flag_on);
    // The handicap commands now refuse.
    g.SAISYO_Click();
    EXPECT_EQ(s.reversed, flag_off);
}

}  // namespace
}  // namespace tolvan::testing
