// The estimate on positions written as text at 9, 13 and 19 lines, and the playouts'
// own board against the rules under random play.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "estimate/estimate.h"
#include "playout/board.h"

namespace tolvan::estimate {
namespace {

using playout::PlayoutBoard;

// The count as Japanese rules reckon it, komi 6.5.
struct Count {
    int black_prisoners, white_prisoners;
    double lead;
};

// 'X' and 'O' stones that live, 'x' and 'o' stones that are dead. Rows after the last
// one written repeat it; a row shorter than the board is empty beyond its end.
struct Case {
    const char* name;
    int size;
    std::vector<std::string> rows;
    int black_territory, white_territory;  // -1: not looked at
    bool settled;
    rules::Point sure{};  // a stone the estimate is certain of (x 0 for none)
    std::array<int, 2> taken{};  // the prisoners black and white took during the game
    std::optional<Count> count{};
};

const Case cases[] = {
    // Black's area holds 35 empty points and a dead white stone, white's 25 and two dead
    // black stones: each side's prisoners are those it took and the other's dead stones.
    // Black 36 + 3 + 1, white 27 + 4 + 2, less the komi.
    {"dead stones inside territory", 9,
     {"....XO...", "....XO...", "....XO.x.", "....XO.x.", ".o..XO...", "....XO..."}, 36, 27, true, {}, {3, 4},
     Count{4, 6, 0.5}},
    // Two chains share the liberties G13 and G12 in seki; column G below them is neutral.
    {"seki and neutral points", 13,
     {"....XO.XO....", "....XO.XO....", "....XOXXO....", "....XOXXO....", "....XXOOO....",
      ".....X.O....."},
     60, 60, true, {}, {}, Count{0, 0, -6.5}},
    // Seki with an eye each: black's chain at the top left and white's beside it share
    // D9, and each has one eye (A9 and G9). Neither side can fill D9 without being
    // taken, so none of the three points is anyone's. Black has the 30 points at the
    // lower right, white the 8 of its three eyes at the left: 30 - 8 - 6.5.
    {"seki with an eye each", 9,
     {".XX.OO.OX", "XXXOOOOOX", "OOOXXXXXX", "..OX.....", "..OX.....", "OOOX.....", "..OX.....", "OOOX.....",
      "..OX....."},
     30, 8, true, {}, {}, Count{0, 0, 15.5}},
    // Both eyes look false from their corners, but the chains around them live whatever
    // white does; the border below is open.
    {"alive by Benson's test, border open", 19,
     {"X.XXXXX.XO", "XXoooooXXO", "X.......XO", "X.......XO", "XXXXXXXXXO", "OOOOOOOOOO", "", "", "", "",
      "", "XXXXXXXXXXXXXXXXXXX", ""},
     -1, -1, false, {1, 1}},
    // Three points in a row in the corner: two eyes if white plays the middle first, none
    // if black does, so the group is dead.
    {"eyes only by moving first", 9,
     {"..OX.....", "..OX.....", "..OX.....", "..OX.....", "..OX.....", "..OX.....", "..OXXXXXX", "..OXXoooo",
      "..OXXo..."},
     38, 18, true},
    // The first stone touches the whole open board alone: that is nobody's territory yet.
    {"one stone on an open board", 9, {"", "", "", "", "....X....", ""}, 0, 0, false},
};

TEST(EstimateTest, PositionsWrittenAsText) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rules::Board b(c.size);
        std::vector<rules::Point> dead;
        for (int x = 1; x <= c.size; ++x)
            for (int y = 1; y <= c.size; ++y) {
                const std::string& row = c.rows[std::min<std::size_t>(y, c.rows.size()) - 1];
                const char s = x <= static_cast<int>(row.size()) ? row[x - 1] : '.';
                b.put(x, y, s == 'X' || s == 'x' ? rules::black : s == 'O' || s == 'o' ? rules::white : rules::empty);
                if (s == 'x' || s == 'o') dead.push_back({x, y});
            }
        b.setPrisoners(rules::black, c.taken[0]);
        b.setPrisoners(rules::white, c.taken[1]);
        const Estimate e = estimatePosition(b, 6.5);
        EXPECT_EQ(e.dead, dead);
        if (c.black_territory >= 0) {
            EXPECT_EQ(e.black_territory, c.black_territory);
            EXPECT_EQ(e.white_territory, c.white_territory);
        }
        EXPECT_EQ(e.settled, c.settled);
        if (c.count) {
            EXPECT_EQ(e.black_prisoners, c.count->black_prisoners);
            EXPECT_EQ(e.white_prisoners, c.count->white_prisoners);
            EXPECT_EQ(e.lead(), c.count->lead);
        }
        if (c.sure.x) {
            EXPECT_EQ(e.ownershipAt(c.sure), b.at(c.sure.x, c.sure.y));
        }
        // The same position gives the same estimate.
        EXPECT_EQ(estimatePosition(b, 6.5).ownership, e.ownership);
    }
}

// Random legal stones and passes: the playouts' board allows what the rules allow and
// takes what they take.
TEST(EstimateTest, PlayoutBoardFollowsTheRules) {
    for (const int n : {9, 19}) {
        std::mt19937 random(n);
        rules::Board rules(n);
        PlayoutBoard fast(rules);
        int colour = rules::black;
        for (int move = 0; move < 600; ++move, colour = -colour) {
            for (int y = 1; y <= n; ++y)
                for (int x = 1; x <= n; ++x)
                    ASSERT_EQ(fast.legal(colour, fast.point(x, y)), rules.legal(colour, x, y))
                        << "move " << move << " at " << x << "," << y;
            const int x = static_cast<int>(random() % n) + 1, y = static_cast<int>(random() % n) + 1;
            if (random() % 20 == 0 || !rules.legal(colour, x, y)) {
                rules.pass(), fast.pass();
                continue;
            }
            rules.play(colour, x, y), fast.play(colour, fast.point(x, y));
            for (int q = 1; q <= n; ++q)
                for (int r = 1; r <= n; ++r) ASSERT_EQ(fast.at(fast.point(q, r)), rules.at(q, r));
        }
    }
}

}  // namespace
}  // namespace tolvan::estimate
