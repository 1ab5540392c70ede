// The computer's score of a point and the neighbourhood codes it is read from, on small
// ASCII patterns. The person plays black ('X'), the computer white ('O'); '+' marks the
// empty point being scored.
#include <gtest/gtest.h>

#include <utility>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

struct Score : ::testing::Test {
    Fixture f;
    Tolvan& g = *f.game;
    GameState& s = f.s;

    void SetUp() override {
        s.man_side = stone_black;
        s.com_side = stone_white;
    }

    // Empties the board, lays the pattern with its first character on (left, top),
    // analyses the position as the computer's turn does, and returns the '+' point.
    std::pair<int, int> lay(int left, int top, const std::vector<std::string>& rows) {
        setBoard(s, {});
        std::pair<int, int> plus{0, 0};
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < rows[r].size(); ++c) {
                const int x = left + static_cast<int>(c), y = top + static_cast<int>(r);
                const char ch = rows[r][c];
                if (ch == 'X') s.board[x][y] = stone_black;
                if (ch == 'O') s.board[x][y] = stone_white;
                if (ch == '+') plus = {x, y};
            }
        g.調査_碁盤();
        return plus;
    }
    // The score of the '+' point of the pattern.
    double score(int left, int top, const std::vector<std::string>& rows) {
        auto [x, y] = lay(left, top, rows);
        EXPECT_GT(x, 0) << "pattern without '+'";
        return g.調査_得点(x, y);
    }
    // The opening-area bonus of the '+' point of the pattern.
    double opening(int left, int top, const std::vector<std::string>& rows) {
        auto [x, y] = lay(left, top, rows);
        return g.調査_得点_定石四方空(x, y);
    }
};

// ---- Neighbourhood codes ---------------------------------------------------------

TEST_F(Score, NeighbourCodeCountsEmptyPersonAndComputer) {
    lay(1, 1, {});
    EXPECT_EQ(g.調査_四方数値(1, 1), 200);
    EXPECT_EQ(g.調査_四方数値(10, 1), 300);
    EXPECT_EQ(g.調査_四方数値(19, 10), 300);
    EXPECT_EQ(g.調査_四方数値(10, 10), 400);
    lay(9, 9, {".O.", "X+.", ".X."});
    EXPECT_EQ(g.調査_四方数値(10, 10), 121);
    s.board[10][10] = stone_black;  // the point's own content does not count
    EXPECT_EQ(g.調査_四方数値(10, 10), 121);
    lay(1, 1, {"+X", "O"});
    EXPECT_EQ(g.調査_四方数値(1, 1), 11);
    // The grid of the turn holds the code of occupied points too.
    EXPECT_EQ(s.neighbour_count[2][1], 300);
    EXPECT_EQ(s.neighbour_count[1][2], 300);
}

TEST_F(Score, DiagonalCodeNeverCountsOffBoardPoints) {
    lay(1, 1, {});
    EXPECT_EQ(g.調査_四方斜(10, 10, stone_empty), 1111);
    EXPECT_EQ(g.調査_四方斜(1, 1, stone_empty), 1);
    EXPECT_EQ(g.調査_四方斜(19, 19, stone_empty), 1000);
    EXPECT_EQ(g.調査_四方斜(1, 19, stone_empty), 10);
    EXPECT_EQ(g.調査_四方斜(19, 1, stone_empty), 100);
    lay(9, 9, {"X.O", ".+.", "O.X"});
    EXPECT_EQ(g.調査_四方斜(10, 10, stone_black), 1001);
    EXPECT_EQ(g.調査_四方斜(10, 10, stone_white), 110);
    EXPECT_EQ(g.調査_四方斜(10, 10, stone_empty), 0);
}

TEST_F(Score, NeighbourInADirection) {
    lay(1, 1, {".X", "O"});
    EXPECT_EQ(g.調査_状態(1, 1, dir_up), off_board);
    EXPECT_EQ(g.調査_状態(1, 1, dir_left), off_board);
    EXPECT_EQ(g.調査_状態(1, 1, dir_right), stone_black);
    EXPECT_EQ(g.調査_状態(1, 1, dir_down), stone_white);
    EXPECT_EQ(g.調査_状態(2, 2, dir_right), stone_empty);
    EXPECT_EQ(g.調査_状態(2, 2, dir_left), stone_white);
    EXPECT_EQ(g.調査_状態(2, 2, dir_up), stone_black);
    EXPECT_EQ(g.調査_状態(19, 19, dir_down), off_board);
    EXPECT_EQ(g.調査_状態(19, 19, dir_right), off_board);
    s.board[10][10] = stone_black;
    EXPECT_EQ(g.調査_状態(10, 10, 0), stone_empty);
    EXPECT_EQ(g.調査_状態(10, 11, 5), stone_empty);
}

// ---- The empty board ---------------------------------------------------------------

TEST_F(Score, EmptyBoardIsFlatExceptCornersAndFourFourPoints) {
    f.fake.clock_second = 16;
    g.Form_Load();
    g.SENTE_Click();
    g.調査_碁盤();
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) {
            const bool corner = (x == 1 || x == 19) && (y == 1 || y == 19);
            const bool fourFour = (x == 4 || x == 16) && (y == 4 || y == 16);
            double want = corner ? 3 - 0.1 : fourFour ? 3 + s.opening_bonus[x][y] : 3;
            EXPECT_DOUBLE_EQ(g.調査_得点(x, y), want) << x << "," << y;
        }
    EXPECT_GT(s.opening_bonus[16][16], 0.1);
}

// ---- Capture and rescue -----------------------------------------------------------

TEST_F(Score, CaptureAndRescue) {
    // A computer stone on '+' captures the person's stone.
    EXPECT_DOUBLE_EQ(score(9, 9, {".O.", "OXO", ".+."}), 13);
    // A computer stone in atari is saved, and the extended stones keep two liberties.
    EXPECT_DOUBLE_EQ(score(9, 9, {".X.", "XOX", ".+."}), 11);
    // Extended, the stones would fall to one more person's stone: no rescue bonus
    // (only the 121 shape counts).
    EXPECT_DOUBLE_EQ(score(9, 9, {".X.", "XOX", "X+X"}), 3.1);
    // A rescue point with code 211 or 201 is not rewarded either.
    EXPECT_DOUBLE_EQ(score(9, 9, {".X.", "XOX", "X+."}), 3.2);
    EXPECT_DOUBLE_EQ(score(1, 1, {"OX", "+."}), 2.9);
}

// ---- The shape of the point (by its neighbour code) -----------------------------

TEST_F(Score, OpenPointWithDiagonals) {
    EXPECT_DOUBLE_EQ(score(9, 9, {"O..", ".+."}), 3.1);
    // Two person's diagonals on one side, and the point between them crowded.
    EXPECT_DOUBLE_EQ(score(9, 8, {".X.", "X.X", ".+."}), 4.1);
    EXPECT_DOUBLE_EQ(score(9, 10, {".+.", "X.X", ".X."}), 4.1);
    EXPECT_DOUBLE_EQ(score(8, 9, {".X..", "X.+.", ".X.."}), 4.1);
    EXPECT_DOUBLE_EQ(score(10, 9, {".X.", "+.X", ".X."}), 4.1);
    // Not crowded: nothing.
    EXPECT_DOUBLE_EQ(score(9, 9, {"X.X", ".+."}), 3);
    // A computer diagonal takes precedence over the person's pair.
    EXPECT_DOUBLE_EQ(score(9, 8, {".X.", "X.X", ".+.", "..O"}), 3.1);
}

TEST_F(Score, OneComputerNeighbourNearTheEdge) {
    // Stone to the left, person's stone below it, on the third line.
    EXPECT_DOUBLE_EQ(score(9, 1, {"...", "...", "O+.", "X.."}), 3.8);
    EXPECT_DOUBLE_EQ(score(9, 16, {"X..", "O+."}), 3.8);
    EXPECT_DOUBLE_EQ(score(9, 4, {"O+.", "X.."}), 3);  // fourth line: nothing
    // Stone to the right.
    EXPECT_DOUBLE_EQ(score(10, 1, {"...", "+O.", ".X."}), 3.8);
    // Stone above, near the left and the right edge.
    EXPECT_DOUBLE_EQ(score(3, 9, {"OX", "+."}), 3.8);
    EXPECT_DOUBLE_EQ(score(16, 9, {"XO", ".+"}), 3.8);
    // Stone below: read by the row and the column to the left, like the first case.
    EXPECT_DOUBLE_EQ(score(9, 2, {".+.", "XO."}), 3.8);
    EXPECT_DOUBLE_EQ(score(9, 16, {"X..", ".+.", ".O."}), 3.8);
    EXPECT_DOUBLE_EQ(score(2, 10, {"+.", "OX"}), 3);
}

TEST_F(Score, OnePersonsNeighbour) {
    // That stone sits between two computer stones.
    EXPECT_DOUBLE_EQ(score(8, 9, {".O..", ".X+.", ".O.."}), 3.1);
    EXPECT_DOUBLE_EQ(score(8, 9, {".O..", ".X+."}), 3);
}

TEST_F(Score, TwoPersonsNeighboursAlongTheEdge) {
    EXPECT_DOUBLE_EQ(score(1, 9, {".X.", ".+X"}), 1);
    EXPECT_DOUBLE_EQ(score(9, 1, {"...", ".+X", ".X."}), 1);
    EXPECT_DOUBLE_EQ(score(17, 9, {".X.", "X+."}), 1);
    EXPECT_DOUBLE_EQ(score(9, 17, {".X.", ".+X"}), 1);
    // Near the left edge only the column rule is asked, though the row rule would hold.
    EXPECT_DOUBLE_EQ(score(1, 1, {"...", "X+.", ".X."}), 3);
    // Away from the edges nothing.
    EXPECT_DOUBLE_EQ(score(9, 9, {".X.", ".+X"}), 3);
}

TEST_F(Score, ThreePersonsStonesAndOneComputerStone) {
    EXPECT_DOUBLE_EQ(score(9, 9, {".O.", "X+X", ".X."}), 3.9);
    EXPECT_DOUBLE_EQ(score(9, 9, {".X.", "O+X", ".X."}), 3.9);
    // A stone beside the computer stone: only the first part.
    EXPECT_DOUBLE_EQ(score(9, 9, {"XO.", "X+X", ".X."}), 3.1);
}

TEST_F(Score, OpenEdgePointBesideACrowdedPoint) {
    EXPECT_DOUBLE_EQ(score(1, 8, {"X.", ".X", "+."}), 3.1);
    EXPECT_DOUBLE_EQ(score(1, 10, {"+.", ".X", "X."}), 3.1);
    EXPECT_DOUBLE_EQ(score(8, 1, {"X.+.", ".X.."}), 3.1);
    // Crowded points on both sides still add once.
    EXPECT_DOUBLE_EQ(score(8, 1, {"X.+.X", ".X.X."}), 3.1);
}

TEST_F(Score, FixedWeightsOfTheOtherCodes) {
    EXPECT_DOUBLE_EQ(score(9, 10, {"X+O"}), 3.2);                     // 211
    EXPECT_DOUBLE_EQ(score(1, 9, {"O", "+", "O"}), 2.8);              // 102
    EXPECT_DOUBLE_EQ(score(9, 9, {".O.", "O+O"}), 2.8);               // 103
    EXPECT_DOUBLE_EQ(score(9, 9, {".O.", "X+X"}), 3.1);               // 121
    EXPECT_DOUBLE_EQ(score(9, 9, {".O.", "X+O", ".O."}), 3.21);       // 13
    EXPECT_DOUBLE_EQ(score(9, 9, {".O.", "O+O", ".O."}), 2.7);        // 4
    EXPECT_DOUBLE_EQ(score(9, 9, {".O.", "X+X", ".O."}), 3);          // 22: not listed
    EXPECT_DOUBLE_EQ(score(1, 9, {"X", "+"}), 2.9);                   // 210
    EXPECT_DOUBLE_EQ(score(1, 9, {"O", "+"}), 2.9);                   // 201
    EXPECT_DOUBLE_EQ(score(1, 1, {"+X"}), 2.9);                       // 110
    EXPECT_DOUBLE_EQ(score(1, 1, {"+O"}), 2.9);                       // 101
    EXPECT_DOUBLE_EQ(score(1, 9, {"O", "+O", "O"}), 2.9);             // 3
    // 202 with a person's diagonal pair on one side, or without.
    EXPECT_DOUBLE_EQ(score(9, 9, {"X.X", "O+O"}), 3.9);
    EXPECT_DOUBLE_EQ(score(9, 9, {"X..", "O+O"}), 2.9);
}

TEST_F(Score, DeepInsideThePersonsStonesEndsTheScore) {
    // 120: the neighbour with code 201 would otherwise add 0.3.
    EXPECT_DOUBLE_EQ(score(1, 9, {"XO", "+.", "X."}), 2);
    // 130 on a 4-4 point: not even the opening bonus.
    s.opening_bonus[4][4] = 0.15;
    EXPECT_DOUBLE_EQ(score(3, 3, {".X.", "X+X"}), 2);
    EXPECT_DOUBLE_EQ(score(3, 3, {".X.", "X+."}), 3.15);
}

// ---- Neighbour terms ------------------------------------------------------------------

TEST_F(Score, PersonsNeighbours) {
    EXPECT_DOUBLE_EQ(score(9, 1, {"OX.", ".+."}), 3.3);  // its code 201
    EXPECT_DOUBLE_EQ(score(9, 1, {"XX.", ".+."}), 3.2);  // its code 210
}

TEST_F(Score, PinchingAgainstTheEdge) {
    // The pinched stone (code 202) lies above, below, left or right of a second-line point,
    // with the edge side of its row or column empty: +2.1 (and 0.1 for the 310 shape).
    EXPECT_DOUBLE_EQ(score(1, 8, {".O.", ".XO", ".+."}), 5.2);
    EXPECT_DOUBLE_EQ(score(17, 10, {".+.", "OX.", ".O."}), 5.2);
    EXPECT_DOUBLE_EQ(score(8, 1, {"...", "OX+", ".O."}), 5.2);
    EXPECT_DOUBLE_EQ(score(10, 17, {".O.", "+XO"}), 5.2);
    // The edge side taken: no pinch bonus.
    EXPECT_DOUBLE_EQ(score(1, 8, {"...", "OXO", ".+."}), 3.1);
    // A point with fewer than two empty neighbours: no pinch bonus.
    EXPECT_DOUBLE_EQ(score(1, 8, {".O.", ".XO", "O+O"}), 3);
}

TEST_F(Score, TwoPinchedStones) {
    EXPECT_DOUBLE_EQ(score(9, 9, {"OXO", ".+.", "OXO"}), 5);
    EXPECT_DOUBLE_EQ(score(9, 9, {"OXO", ".+."}), 3.1);
}

TEST_F(Score, ComputersNeighbours) {
    // Code 121 beside a 211 point.
    EXPECT_DOUBLE_EQ(score(9, 9, {"..X.", "X+OX", "..O."}), 3.3);
    EXPECT_DOUBLE_EQ(score(9, 9, {"..X.", ".+OX", "..O."}), 3);
    // Code 220, and again with a person's stone on its diagonals.
    EXPECT_DOUBLE_EQ(score(9, 9, {"XOX", ".+."}), 3.3);
    EXPECT_DOUBLE_EQ(score(9, 8, {"X..", "XOX", ".+."}), 3.6);
}

TEST_F(Score, TermsAddUpInStepOrder) {
    // Scores are doubles summed term by term in a fixed order; another order can change
    // the last bit, and with it which of two equal-looking points wins.
    ASSERT_NE(3.0 + 0.1 + 2.1, 3.0 + 2.1 + 0.1);
    ASSERT_NE(3.0 + 0.3 + 2.1, 3.0 + 2.1 + 0.3);
    // The shape term (0.1) comes before the pinch (2.1).
    EXPECT_EQ(score(1, 8, {".O.", ".XO", ".+."}), 3.0 + 0.1 + 2.1);
    // Neighbours go up, down, left, right: the stone below (code 201, 0.3) before the
    // pinched stone to the right (2.1).
    EXPECT_EQ(score(9, 17, {"..O.", ".+XO", "OX.."}), 3.0 + 0.3 + 2.1);
}

// ---- Opening area ----------------------------------------------------------------------

TEST_F(Score, ThreeThreeUnderAFourFourStone) {
    EXPECT_DOUBLE_EQ(opening(1, 1, {"....", "....", "..+.", ".X.O"}), 0.9);
    EXPECT_DOUBLE_EQ(opening(1, 1, {"....", "...X", "..+.", "...O"}), 0.9);
    // Approached from both sides, or not at all, or with (2, 2) taken.
    EXPECT_DOUBLE_EQ(opening(1, 1, {"....", "...X", "..+.", ".X.O"}), 0);
    EXPECT_DOUBLE_EQ(opening(1, 1, {"....", "....", "..+.", "...O"}), 0);
    EXPECT_DOUBLE_EQ(opening(1, 1, {"....", ".X..", "..+.", ".X.O"}), 0);
    // The upper right and lower right corners.
    EXPECT_DOUBLE_EQ(opening(15, 1, {".....", ".X...", "..+..", ".O..."}), 0.9);
    EXPECT_DOUBLE_EQ(opening(15, 1, {".....", ".....", "..+..", ".O.X."}), 0.9);
    EXPECT_DOUBLE_EQ(opening(15, 15, {".....", ".O.X.", "..+.."}), 0.9);
    // The lower left corner has no such point.
    EXPECT_DOUBLE_EQ(opening(1, 15, {"....", ".X.O", "..+."}), 0);
    // Through the whole score: 3 + 0.9 + 0.1 for the computer's diagonal.
    EXPECT_DOUBLE_EQ(score(1, 1, {"....", "....", "..+.", ".X.O"}), 4);
}

TEST_F(Score, ExtensionsFromALoneFourFourStone) {
    const std::vector<std::string> upperLeft = {"......", "......", "......", "...O.."};
    auto withCandidate = [](std::vector<std::string> rows, int x, int y) {
        while (static_cast<int>(rows.size()) < y) rows.push_back("");
        auto& row = rows[y - 1];
        if (static_cast<int>(row.size()) < x) row.resize(x, '.');
        row[x - 1] = '+';
        return rows;
    };
    EXPECT_DOUBLE_EQ(opening(1, 1, withCandidate(upperLeft, 3, 6)), 0.5);
    EXPECT_DOUBLE_EQ(opening(1, 1, withCandidate(upperLeft, 6, 3)), 0.5);
    // A stone on a diagonal of the 4-4 stone, next to it, or on a diagonal of the point.
    auto diag = upperLeft;
    diag.push_back("....X.");
    EXPECT_DOUBLE_EQ(opening(1, 1, withCandidate(diag, 3, 6)), 0);
    auto side = upperLeft;
    side[3] = "...OX.";
    EXPECT_DOUBLE_EQ(opening(1, 1, withCandidate(side, 3, 6)), 0);
    auto own = upperLeft;
    own.resize(7);
    own[6] = ".X";
    EXPECT_DOUBLE_EQ(opening(1, 1, withCandidate(own, 3, 6)), 0);

    // The other corners: each point reads its reference 4-4 point.
    setBoard(s, {});
    s.board[4][16] = stone_white;
    s.board[16][4] = stone_white;
    s.board[16][16] = stone_white;
    g.調査_碁盤();
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(3, 14), 0.5);
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(14, 3), 0.5);
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(17, 6), 0.5);
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(14, 17), 0.5);
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(17, 14), 0.5);
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(3, 17), 0);
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(10, 10), 0);
}

TEST_F(Score, SixSeventeenLooksAtTheUpperRightCorner) {
    setBoard(s, {});
    s.board[4][16] = stone_white;
    g.調査_碁盤();
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(6, 17), 0);
    setBoard(s, {});
    s.board[14][4] = stone_white;
    s.board[4][16] = stone_black;
    g.調査_碁盤();
    EXPECT_DOUBLE_EQ(g.調査_得点_定石四方空(6, 17), 0.5);
}

TEST_F(Score, FiveFifteenReadsItsDiagonalsAsText) {
    // Diagonals (4, 14), (4, 16), (6, 14), (6, 16) give 1000, 100, 10, 1 when empty.
    // 1101: the second and fourth characters are "1", with a computer stone on (5, 17).
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", "...X.", "..+..", ".....", "..O.."}), 0.9);
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", "...X.", "..+.."}), 0);
    // 1101 also starts with "11": a computer stone on (3, 15) serves as well.
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", "...X.", "O.+.."}), 0.9);
    // 11: only the right diagonals empty; the text is "11", not "0011".
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", ".X...", "O.+..", ".X..."}), 0.9);
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", ".X...", "..+..", ".X...", "..O.."}), 0);
    // 101: "101" fails both tests, though "0101" would pass the first.
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", ".X.X.", "..+..", ".....", "..O.."}), 0);
    // 1111 passes; 1011 passes neither test.
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", ".....", "..+..", ".....", "..O.."}), 0.9);
    EXPECT_DOUBLE_EQ(opening(3, 13, {".....", ".....", "O.+..", ".X...", "..O.."}), 0);
}

// ---- Look-ahead -----------------------------------------------------------------------

TEST_F(Score, LookAheadLeavesTheBoardAsItWas) {
    lay(9, 9, {".X.", "XOX", "X+X"});
    const std::string before = boardText(s);
    EXPECT_EQ(g.調査_MAN当り(10, 11), flag_on);
    EXPECT_EQ(boardText(s), before);
    lay(9, 9, {".X.", "XOX", ".+."});
    EXPECT_EQ(g.調査_MAN当り(10, 11), flag_off);
    // Already without a liberty: on at once.
    lay(9, 9, {".X.", "XOX", "X+X", ".X."});
    const std::string closed = boardText(s);
    EXPECT_EQ(g.調査_MAN当り(10, 11), flag_on);
    EXPECT_EQ(boardText(s), closed);
}

}  // namespace
}  // namespace tolvan::testing
