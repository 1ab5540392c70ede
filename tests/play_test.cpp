// The person's move and the game commands, driven as a person would: menu commands and
// presses on the window, against the recording fake.
#include <gtest/gtest.h>

#include <functional>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

struct Play : GameTest {
    // A two-person game on the given position, black to move; slot 0 holds it.
    void twoPersonGameOn(const std::vector<std::string>& rows) {
        g.TAIMAN_Click();
        setBoard(s, rows);
        g.調査_保存(0);
        f.fake.clear();
    }
};

TEST_F(Play, PressesAreRefusedBeforeAnyGame) {
    press(10, 10);
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\nmsg [開始] 「対局」で始めて下さい\n");
    EXPECT_EQ(s.board[10][10], stone_empty);
}

TEST_F(Play, PressPositionMapsToPoints) {
    g.TAIMAN_Click();
    f.fake.clear();
    g.MouseDown(614, 400);  // column 0: off the board, refused silently
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\n");
    f.fake.clear();
    g.MouseDown(615, 365);  // column 1, row 1
    EXPECT_EQ(s.board[1][1], stone_black);
    g.MouseDown(6599, 6349);  // the last twip of (19, 19)
    EXPECT_EQ(s.board[19][19], stone_white);
    f.fake.clear();
    g.MouseDown(6600, 1000);  // column 20
    g.MouseDown(100, -300);   // left of and above the board
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\ndsPlay 12\n");
}

TEST_F(Play, OccupiedPointIsRefusedSilently) {
    g.TAIMAN_Click();
    press(4, 4);
    f.fake.clear();
    press(4, 4);
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\n");
    EXPECT_EQ(s.move_no, 1);
    EXPECT_EQ(s.turn, stone_white);
}

TEST_F(Play, TwoPersonGameAlternatesWithoutMessages) {
    g.TAIMAN_Click();
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [ ] 先手の番です"});
    f.fake.clear();
    const int points[][2] = {{4, 4}, {16, 16}, {4, 16}, {16, 4}, {10, 10}};
    for (auto& p : points) press(p[0], p[1]);
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    EXPECT_EQ(s.board[4][4], stone_black);
    EXPECT_EQ(s.board[16][16], stone_white);
    EXPECT_EQ(s.board[4][16], stone_black);
    EXPECT_EQ(s.board[16][4], stone_white);
    EXPECT_EQ(s.board[10][10], stone_black);
    EXPECT_EQ(s.move_no, 5);
    EXPECT_EQ(s.record.stones(), 5);
    EXPECT_EQ(s.turn, stone_white);
    // The record: entry k holds move k + 1, slot n the board after n moves.
    EXPECT_EQ(recordedMove(s, 1).at.x, 16);
    EXPECT_EQ(recordedMove(s, 1).colour, stone_white);
    EXPECT_EQ(s.record.after(1).at(16, 16), stone_empty);
    EXPECT_EQ(s.record.after(2).at(16, 16), stone_white);
    EXPECT_EQ(s.record.after(5).at(10, 10), stone_black);
    EXPECT_EQ(s.last_x, 10);
    EXPECT_EQ(s.last_side, stone_black);
}

TEST_F(Play, DrawOrderOfAMoveWithNumbersAndACapture) {
    twoPersonGameOn({".O", "OX"});
    f.fake.checks["BANGOU"] = true;
    press(10, 10);  // move 1, black
    f.fake.clear();
    press(3, 2);  // move 2, white: the black stone on (2, 2) keeps one liberty
    f.fake.clear();
    press(15, 15);  // move 3, black
    f.fake.clear();
    press(2, 3);  // move 4, white: captures (2, 2)
    EXPECT_EQ(f.fake.dump(),
              "pic KURONAKA 5025 4775\n"             // the previous stone, plain
              "pic SIRONAKA 930 995\n"               // the new stone
              "circle 1080 1145 50 11\n"             // its mark
              "dsPlay 11\n"                          // the stone sound
              "ctext 5175 4925 12 15 - \"3\"\n"      // the number of the previous move
              "pic HAIKEI_TAKE 6600 3830\npic HAIKEI_TAKE 6915 3830\npic HAIKEI_TAKE 7230 3830\n"
              "pic HAIKEI_TAKE 7545 3830\n"
              "text 6946.5 3861.5 11 0 b \" 4\"\ntext 6915 3830 11 15 b \" 4\"\n"
              "text 7261.5 3861.5 11 0 b \"手目\"\ntext 7230 3830 11 15 b \"手目\"\n"
              "pic KARANAKA 930 680\n"               // the captured stone erased
              "pic HAIKEI_TAKE 7545 2255\npic HAIKEI_TAKE 7545 2885\n"
              "pic HAIKEI_TAKE 7860 2255\npic HAIKEI_TAKE 7860 2885\n"
              "text 7545 2255 12 15 b \" 0\"\ntext 7545 2885 12 15 b \" 1\"\n");
    EXPECT_EQ(s.white_captures, 1);
    EXPECT_EQ(s.board[2][2], stone_empty);
    EXPECT_EQ(s.board[2][3], stone_white);
}

TEST_F(Play, FirstMoveWritesNoNumberSecondWritesOne) {
    g.TAIMAN_Click();
    f.fake.checks["BANGOU"] = true;
    f.fake.clear();
    press(4, 4);
    EXPECT_TRUE(f.fake.lines("text 1").empty());
    EXPECT_EQ(f.fake.lines("text").size(), 4u);  // the move count only
    f.fake.clear();
    press(5, 5);
    EXPECT_TRUE(f.fake.has("ctext 1710 1460 12 15 - \"1\""));
}

TEST_F(Play, SuicideIsRefusedUnlessItCaptures) {
    twoPersonGameOn({".O", "O", "", "", "", "", "", "", "", ".........O", "........O.O", ".........O"});
    press(1, 1);
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\nmsg [Tolvan] 自殺点です 打てません\n");
    f.fake.clear();
    press(10, 11);
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [Tolvan] 自殺点です 打てません"});
    EXPECT_EQ(s.move_no, 0);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_EQ(s.board[10][11], stone_empty);

    // The same empty point, where one surrounding chain has its last liberty: legal.
    twoPersonGameOn({".OX", "OX", "X"});
    press(1, 1);
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    EXPECT_EQ(s.board[1][1], stone_black);
    EXPECT_EQ(s.board[2][1], stone_empty);
    EXPECT_EQ(s.board[1][2], stone_empty);
    EXPECT_EQ(s.black_captures, 2);
}

TEST_F(Play, FillingOnesOwnLastLibertyIsSuicide) {
    twoPersonGameOn({"X.XO", "XXO", "OO"});
    press(2, 1);
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [Tolvan] 自殺点です 打てません"});
    EXPECT_EQ(s.board[2][1], stone_empty);
}

TEST_F(Play, OneStoneCapturesTwoChainsAndCountsBoth) {
    twoPersonGameOn({"XXXXXX", "XO.OOX", "XXXXXX"});
    press(3, 2);
    EXPECT_EQ(s.black_captures, 3);
    EXPECT_EQ(s.board[2][2], stone_empty);
    EXPECT_EQ(s.board[4][2], stone_empty);
    EXPECT_EQ(s.board[5][2], stone_empty);
    // The panel is redrawn after each chain: 1, then 3.
    auto counts = f.fake.lines("text 7545 2255");
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0], "text 7545 2255 12 15 b \" 1\"");
    EXPECT_EQ(counts[1], "text 7545 2255 12 15 b \" 3\"");
    EXPECT_LT(f.fake.find("pic KARANAKA 930 680"), f.fake.find("pic KARANAKA 1560 680"));
}

TEST_F(Play, KoRetakeWaitsForOneExchangeElsewhere) {
    // Black stones around (2, 2), white stones around (3, 2).
    twoPersonGameOn({".XO", "X..O", ".XO"});
    press(10, 10);  // 1 black elsewhere
    press(2, 2);    // 2 white into the ko
    ASSERT_EQ(s.board[2][2], stone_white);
    press(3, 2);  // 3 black takes the ko
    ASSERT_EQ(s.board[2][2], stone_empty);
    ASSERT_EQ(s.black_captures, 1);
    f.fake.clear();
    press(2, 2);  // white retakes at once: refused
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\nmsg [Tolvan] ｺｳ材を打たないと打てません\n");
    EXPECT_EQ(s.board[2][2], stone_empty);
    EXPECT_EQ(s.board[3][2], stone_black);
    EXPECT_EQ(s.turn, stone_white);
    EXPECT_EQ(s.move_no, 3);
    press(15, 15);  // a ko threat
    press(16, 16);  // answered
    f.fake.clear();
    press(2, 2);  // now the retake is fine
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    EXPECT_EQ(s.board[2][2], stone_white);
    EXPECT_EQ(s.board[3][2], stone_empty);
    EXPECT_EQ(s.white_captures, 1);
}

// After a pass the position before the opponent's last move is the one on the board, so
// taking the ko back at once repeats nothing; the next stone brings the rule back.
TEST_F(Play, KoRetakeIsAllowedOnlyRightAfterAPass) {
    twoPersonGameOn({".XO", "X..O", ".XO"});
    press(10, 10);  // 1 black elsewhere
    press(2, 2);    // 2 white into the ko
    press(3, 2);    // 3 black takes the ko
    ASSERT_EQ(s.board[2][2], stone_empty);
    // The other side's pass, as the computer's pass or a pass at the board leaves it.
    s.record.pass();
    f.fake.clear();
    press(2, 2);  // 4 white takes back
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    EXPECT_EQ(s.board[2][2], stone_white);
    EXPECT_EQ(s.board[3][2], stone_empty);
    EXPECT_EQ(s.record.passesAtEnd(), 0);
    press(3, 2);  // black's immediate retake is a ko again
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [Tolvan] ｺｳ材を打たないと打てません"});
    EXPECT_EQ(s.board[3][2], stone_empty);
}

// Passes count at the end of the record: stepping back and forward keeps them for the
// position they followed, a stone and a reset clear them.
TEST_F(Play, PassesAreCountedAtTheEndOfTheRecord) {
    twoPersonGameOn({".XO", "X..O", ".XO"});
    press(10, 10);  // 1 black elsewhere
    press(2, 2);    // 2 white into the ko
    press(3, 2);    // 3 black takes the ko
    g.PASU_Click();  // white passes
    EXPECT_EQ(s.record.passesAtEnd(), 1);
    g.MODORU_Click();
    g.SUSUMU_Click();
    EXPECT_EQ(s.record.passesAtEnd(), 1);
    // Back at the end after the pass: black is to move and may not retake; after black
    // plays elsewhere white still may not (the last move was a stone).
    s.record_mode = flag_off;
    press(15, 15);
    EXPECT_EQ(s.record.passesAtEnd(), 0);
    g.SAISYO_Click();
    EXPECT_EQ(s.record.passesAtEnd(), 0);
}

TEST_F(Play, SnapbackIsNoKo) {
    twoPersonGameOn({"..XO", "XXXO", "OOOO"});
    press(10, 10);  // black elsewhere
    press(2, 1);    // white throws in
    press(1, 1);    // black takes the one stone
    ASSERT_EQ(s.board[2][1], stone_empty);
    ASSERT_EQ(s.black_captures, 1);
    f.fake.clear();
    press(2, 1);  // white takes back five stones at once
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    EXPECT_EQ(s.white_captures, 5);
    EXPECT_EQ(s.board[1][1], stone_empty);
    EXPECT_EQ(s.board[2][1], stone_white);
}

TEST_F(Play, FirstMoveOfAGameIsNeverKo) {
    // A ko shape left on the board, with the last stone of an earlier game standing.
    twoPersonGameOn({".XO", "XO.O", ".XO"});
    s.last_x = 2;
    s.last_y = 2;
    press(3, 2);
    EXPECT_TRUE(messages().empty()) << f.fake.dump();
    EXPECT_EQ(s.board[3][2], stone_black);
    EXPECT_EQ(s.board[2][2], stone_empty);
}

TEST_F(Play, TheRecordStopsAtItsCapacity) {
    static_assert(max_moves >= 1000, "real games reach 500 stones");
    g.TAIMAN_Click();
    s.move_no = max_moves;
    fillRecord(s, max_moves, {1, 1});
    f.fake.clear();
    press(10, 10);
    EXPECT_EQ(f.fake.dump(), "dsPlay 12\nmsg [Tolvan] これ以上は打てません\n");
    EXPECT_EQ(s.board[10][10], stone_empty);
    EXPECT_EQ(s.move_no, max_moves);
    EXPECT_EQ(s.turn, stone_black);
}

TEST_F(Play, AFullRecordOfRealMovesRefusesTheNext) {
    g.TAIMAN_Click();
    // Fill the board move by move; captures open new points, so keep pressing the first
    // legal point until the record is full.
    int guard = 0;
    while (s.move_no < max_moves && ++guard < 5000) {
        bool played = false;
        for (int x = 1; x <= 19 && !played; ++x)
            for (int y = 1; y <= 19 && !played; ++y) {
                if (s.board[x][y] != stone_empty) continue;
                int before = s.move_no;
                f.fake.answers.clear();
                press(x, y);
                played = s.move_no > before;
            }
        if (!played) break;
    }
    ASSERT_EQ(s.move_no, max_moves);
    f.fake.clear();
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y)
            if (s.board[x][y] == stone_empty) {
                press(x, y);
                x = y = 20;
            }
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [Tolvan] これ以上は打てません"});
    EXPECT_EQ(s.move_no, max_moves);
}

TEST_F(Play, TaimanMessagesForNewAndRunningGames) {
    g.TAIMAN_Click();
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [ ] 先手の番です"});
    EXPECT_EQ(s.play_mode, mode_man);
    EXPECT_FALSE(f.fake.checked("SINAN"));
    press(4, 4);
    f.fake.clear();
    g.TAIMAN_Click();
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [ ] 後手の番です"});
    // The handicap row and the black row are wiped, then the labels written.
    EXPECT_EQ(f.fake.lines("pic HAIKEI_TAKE").size(), 12u + 6u);
    EXPECT_TRUE(f.fake.has("text 7387.5 1940 10 15 b \"先 手:ﾊﾏ\""));
    EXPECT_TRUE(f.fake.has("text 7387.5 2633 10 15 b \"後 手:ﾊﾏ\""));
    press(5, 5);
    f.fake.clear();
    g.TAIMAN_Click();
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [ ] 先手の番です"});
}

TEST_F(Play, SaisyoResets) {
    twoPersonGameOn({"XXXXXX", "XO.OOX", "XXXXXX"});
    press(3, 2);
    press(10, 10);
    f.fake.clear();
    g.MenuClick("SAISYO");
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) ASSERT_EQ(s.board[x][y], stone_empty);
    EXPECT_EQ(s.move_no, 0);
    EXPECT_EQ(s.black_captures, 0);
    EXPECT_EQ(s.turn, no_side);
    EXPECT_EQ(f.fake.log.back(), "pic RABERU 6900 200");
    f.fake.clear();
    press(4, 4);
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [開始] 「対局」で始めて下さい"});
}

TEST_F(Play, SenteAndGoteSetTheSides) {
    g.SENTE_Click();
    EXPECT_EQ(messages(), std::vector<std::string>{"msg [ ] MANの番です"});
    EXPECT_EQ(s.play_mode, mode_com);
    EXPECT_EQ(s.man_side, stone_black);
    EXPECT_EQ(s.com_side, stone_white);
    EXPECT_EQ(s.turn, stone_black);
    EXPECT_TRUE(f.fake.has("text 7387.5 1940 10 15 b \"MAN:ﾊﾏ\""));
    g.SAISYO_Click();
    f.fake.clear();
    g.GOTE_Click();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(s.man_side, stone_white);
    EXPECT_EQ(s.com_side, stone_black);
    EXPECT_TRUE(f.fake.has("text 7387.5 1940 10 15 b \"COM:ﾊﾏ\""));
}

// The first press after 戻 or 進 takes the game up from the position shown and places no
// stone; it always either lets the computer play or says whose turn it is. Fault caught:
// the press against the computer on the person's turn doing nothing and saying nothing,
// so that the person takes the press for lost.
TEST_F(Play, TakingUpAGameAfterReviewSaysWhoseTurnItIs) {
    struct Case {
        const char* name;
        std::function<void()> start;
        std::vector<std::string> said;
        bool computerAnswers;
    } cases[] = {
        {"two people, white to move", [&] { g.TAIMAN_Click(); press(4, 4); }, {"msg [再開] 後手の番です"}, false},
        {"two people, black to move", [&] { g.TAIMAN_Click(); press(4, 4); press(16, 16); },
         {"msg [再開] 先手の番です"}, false},
        {"against the computer, the person's turn", [&] { g.SENTE_Click(); press(4, 4); },
         {"msg [再開] あなたの番です"}, false},
        {"against the computer, its turn", [&] { g.SENTE_Click(); press(4, 4); g.MODORU_Click(); }, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g.SAISYO_Click();
        c.start();
        const int moves = s.move_no;
        g.MODORU_Click();
        g.SUSUMU_Click();
        ASSERT_EQ(s.record_mode, flag_on);
        f.fake.clear();
        press(10, 10);  // takes the game up, places nothing of the person's
        EXPECT_EQ(messages(), c.said);
        EXPECT_EQ(s.board[10][10], stone_empty);
        EXPECT_EQ(s.record_mode, flag_off);
        EXPECT_EQ(s.move_no, c.computerAnswers ? moves + 1 : moves);
        const int before = s.move_no;
        press(10, 10);  // the next press plays
        EXPECT_NE(s.board[10][10], stone_empty);
        EXPECT_GT(s.move_no, before);
    }
}

}  // namespace
}  // namespace tolvan::testing
