// The chain scan and the rules of play on positions written as ASCII boards.
#include <gtest/gtest.h>

#include <random>

#include "fake_platform.h"

namespace tolvan::testing {
namespace {

struct Rules : ::testing::Test {
    Fixture f;
    Tolvan& g = *f.game;
    GameState& s = f.s;

    // The marked points as an ASCII board ('#' marked).
    std::string marks() {
        std::string out;
        for (int y = 1; y <= 19; ++y) {
            for (int x = 1; x <= 19; ++x) out += s.scan_mark[x][y] ? '#' : '.';
            out += '\n';
        }
        return out;
    }
    int marked() { return g.調査_取得数(); }
};

TEST_F(Rules, NeighbourTestLooksOnlyAtTheBoard) {
    setBoard(s, {".X", "O"});
    EXPECT_EQ(g.調査_四方状態(1, 1, stone_black), flag_on);
    EXPECT_EQ(g.調査_四方状態(1, 1, stone_white), flag_on);
    EXPECT_EQ(g.調査_四方状態(1, 1, stone_empty), flag_off);
    // Index 0 is never looked at, even when it holds the value asked for.
    setBoard(s, {});
    s.board[0][1] = stone_black;
    s.board[1][0] = stone_black;
    EXPECT_EQ(g.調査_四方状態(1, 1, stone_black), flag_off);
}

TEST_F(Rules, LoneStoneSurrounded) {
    setBoard(s, {"", ".....X", "....XOX", ".....X"});
    EXPECT_EQ(g.調査_当たり2(6, 3, stone_white), flag_on);
    EXPECT_EQ(marked(), 1);
    EXPECT_EQ(s.scan_mark[6][3], 1);
    setBoard(s, {"", ".....X", "....XO.", ".....X"});
    EXPECT_EQ(g.調査_当たり(7, 3, stone_black, stone_white), flag_on);
    EXPECT_EQ(marked(), 1);
    EXPECT_EQ(s.board[7][3], stone_empty);  // the trial stone is taken away again
    EXPECT_EQ(g.調査_当たり2(6, 3, stone_white), flag_off);
}

TEST_F(Rules, TheEdgeIsNoLiberty) {
    setBoard(s, {"OX", "X"});
    EXPECT_EQ(g.調査_当たり2(1, 1, stone_white), flag_on);
    setBoard(s, {"O.", "X"});
    EXPECT_EQ(g.調査_当たり(2, 1, stone_black, stone_white), flag_on);
    EXPECT_EQ(marks().substr(0, 3), "#..");
}

TEST_F(Rules, BendingChainIsMarkedWhole) {
    // A white chain that winds against every sweep direction, with its one liberty at
    // the end of the spiral (column 6, row 6).
    setBoard(s, {
        "XXXXXXXXX",
        "XOOOOOOOX",
        "XOXXXXXOX",
        "XOXOOO.OX",
        "XOXOXXXOX",
        "XOXOOOOOX",
        "XOXXXXXXX",
        "XOX",
        "XXX",
    });
    ASSERT_EQ(g.調査_当たり(7, 4, stone_black, stone_white), flag_on);
    int white = 0;
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y)
            if (s.board[x][y] == stone_white) {
                ++white;
                EXPECT_EQ(s.scan_mark[x][y], 1) << x << "," << y;
            }
    EXPECT_EQ(marked(), white);
    EXPECT_EQ(s.board[7][4], stone_empty);
}

TEST_F(Rules, EmptyPointAnswersAtOnceAndKeepsTheMarks) {
    setBoard(s, {"OX", "X"});
    ASSERT_EQ(g.調査_当たり2(1, 1, stone_white), flag_on);
    auto before = marks();
    EXPECT_EQ(g.調査_当たり2(10, 10, stone_black), flag_off);
    EXPECT_EQ(marks(), before);
}

TEST_F(Rules, OneStoneCapturesTwoChainsOneCallAtATime) {
    // Black at (3, 2) captures the white stone on its left and the two on its right.
    setBoard(s, {
        "XXXXXX",
        "XO.OOX",
        "XXXXXX",
    });
    ASSERT_EQ(g.調査_当たり(3, 2, stone_black, stone_white), flag_on);
    EXPECT_EQ(marked(), 1);
    EXPECT_EQ(s.scan_mark[2][2], 1);
    g.描画_当駒消去();
    ASSERT_EQ(g.調査_当たり(3, 2, stone_black, stone_white), flag_on);
    EXPECT_EQ(marked(), 2);
    EXPECT_EQ(s.scan_mark[4][2], 1);
    g.描画_当駒消去();
    EXPECT_EQ(g.調査_当たり(3, 2, stone_black, stone_white), flag_off);
}

TEST_F(Rules, RecordOperations) {
    fillRecord(s, 7, {1, 1});  // seven stored positions of an empty board
    setBoard(s, {"XO.", ".X"});
    g.碁盤_一時待避();
    g.碁盤_入替();
    EXPECT_EQ(boardText(s).substr(0, 4), "OX..");
    g.碁盤_入替();
    EXPECT_EQ(boardText(s).substr(0, 4), "XO..");
    g.調査_保存(7);
    EXPECT_EQ(s.record.after(7).at(1, 1), stone_black);
    s.board[1][1] = stone_empty;
    g.碁盤_待避復帰();
    EXPECT_EQ(s.board[1][1], stone_black);
    EXPECT_EQ(g.調査_置けるか(3, 1), flag_on);
    EXPECT_EQ(g.調査_置けるか(1, 1), flag_off);
    EXPECT_EQ(g.調査_置けるか(0, 5), flag_off);
    EXPECT_EQ(g.調査_置けるか(20, 5), flag_off);
    EXPECT_EQ(g.調査_置けるか(5, 20), flag_off);
    EXPECT_EQ(g.調査_置けるか(5, -1), flag_off);
}

// A literal reference of the marking scan, written independently: repeated sweeps over
// the whole board in the four directions, exactly as the chain scan is defined.
struct Reference {
    Grid<i16> board{}, mark{};
    int sweep(int dir, int c) {
        int n = 0;
        auto step = [&](int sx, int sy, int tx, int ty) -> int {
            if (mark[sx][sy] > 0 && mark[tx][ty] == 0) {
                if (board[tx][ty] == 0) return -1;
                if (board[tx][ty] == c) {
                    mark[tx][ty] = 1;
                    return 1;
                }
            }
            return 0;
        };
        for (int a = 1; a <= 19; ++a)
            for (int b = 1; b <= 18; ++b) {
                int r = 0;
                if (dir == 0) r = step(b, a, b + 1, a);
                if (dir == 1) r = step(20 - b, a, 19 - b, a);
                if (dir == 2) r = step(a, 20 - b, a, 19 - b);
                if (dir == 3) r = step(a, b, a, b + 1);
                if (r < 0) return -1;
                n += r;
            }
        return n;
    }
    bool empty_neighbour(int x, int y) {
        return (x > 1 && board[x - 1][y] == 0) || (x < 19 && board[x + 1][y] == 0) ||
               (y > 1 && board[x][y - 1] == 0) || (y < 19 && board[x][y + 1] == 0);
    }
    int atari2(int x, int y, int c) {
        if (empty_neighbour(x, y)) return 0;
        mark = {};
        mark[x][y] = 1;
        for (;;) {
            int total = 0;
            for (int d = 0; d < 4; ++d) {
                int n = sweep(d, c);
                if (n < 0) return 0;
                total += n;
            }
            if (total == 0) return 1;
        }
    }
    int atari(int x, int y, int c, int o) {
        int before = board[x][y];
        board[x][y] = c;
        int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
        bool on[4] = {x > 1, x < 19, y > 1, y < 19};
        for (int k = 0; k < 4; ++k)
            if (on[k] && board[nx[k]][ny[k]] == o && atari2(nx[k], ny[k], o)) {
                board[x][y] = before;
                return 1;
            }
        board[x][y] = before;
        return 0;
    }
};

TEST_F(Rules, ScanAgreesWithTheReferenceOnRandomPositions) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        Reference ref;
        int density = 30 + static_cast<int>(rng() % 60);
        for (int x = 1; x <= 19; ++x)
            for (int y = 1; y <= 19; ++y) {
                int r = static_cast<int>(rng() % 100);
                i16 v = r < density / 2 ? stone_black : r < density ? stone_white : stone_empty;
                ref.board[x][y] = v;
                s.board[x][y] = v;
            }
        for (int k = 0; k < 40; ++k) {
            int x = 1 + static_cast<int>(rng() % 19), y = 1 + static_cast<int>(rng() % 19);
            int c = rng() % 2 ? stone_black : stone_white;
            ref.mark = s.scan_mark;
            ASSERT_EQ(g.調査_当たり(x, y, c, -c), ref.atari(x, y, c, -c));
            ASSERT_EQ(s.scan_mark, ref.mark);
            ASSERT_EQ(g.調査_当たり2(x, y, c), ref.atari2(x, y, c));
            ASSERT_EQ(s.scan_mark, ref.mark);
        }
    }
}

}  // namespace
}  // namespace tolvan::testing
