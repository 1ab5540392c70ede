// The rules of play on positions written as text at every board size, positions under
// random play.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "fuzz/position_check.h"
#include "rules/history.h"
#include "rules/judgement.h"

namespace tolvan::rules {
namespace {

using Rows = std::vector<std::string>;

// A point of a diagram on a board of `size`: in the top-left corner as written, or
// turned half round into the bottom-right corner.
Point on(int size, bool turned, Point p) { return turned ? Point{size + 1 - p.x, size + 1 - p.y} : p; }

Board diagram(const Rows& rows, int size, bool turned = false) {
    Board b(size);
    for (int y = 1; y <= static_cast<int>(rows.size()); ++y)
        for (int x = 1; x <= static_cast<int>(rows[y - 1].size()); ++x) {
            const Point p = on(size, turned, {x, y});
            b.put(p.x, p.y, rows[y - 1][x - 1] == 'X' ? black : rows[y - 1][x - 1] == 'O' ? white : empty);
        }
    return b;
}

// A stone ('X' or 'O') on a point of the diagram, or a pass ('-'), with what the rules say
// of it and, when it is legal, the stones it takes.
struct Step { char who; Point at; Why why = Why::legal; int taken = 0; };
struct PlayCase { const char* name; Rows rows; std::vector<Step> steps; };

// Black takes the white stone on (2,2) by playing (3,2).
const Rows ko = {".XO.", "XO.O", ".XO."};
const PlayCase play_cases[] = {
    {"one chain taken", {"OO.", "XX."}, {{'X', {3, 1}, Why::legal, 2}}},
    {"two chains taken", {".OOX", "OXX.", "X..."}, {{'X', {1, 1}, Why::legal, 3}}},
    {"lone stone suicide", {".X", "X."}, {{'O', {1, 1}, Why::suicide}}},
    {"chain suicide", {"O.X", "XX."}, {{'O', {2, 1}, Why::suicide}}},
    {"last liberty filled to take", {".OX", "OX.", ".O."}, {{'X', {1, 1}, Why::legal, 1}}},
    {"occupied or off the board", {"X"}, {{'O', {1, 1}, Why::occupied}, {'X', {1, 1}, Why::occupied},
                                           {'X', {0, 1}, Why::off_board}, {'O', {1, 0}, Why::off_board}}},
    {"ko retaken at once", ko, {{'X', {3, 2}, Why::legal, 1}, {'O', {2, 2}, Why::ko}}},
    {"ko retaken after a pass", ko,
     {{'X', {3, 2}, Why::legal, 1}, {'-', {}}, {'O', {2, 2}, Why::legal, 1}, {'X', {3, 2}, Why::ko}}},
    {"ko retaken after an exchange", ko,
     {{'X', {3, 2}, Why::legal, 1}, {'O', {7, 7}}, {'X', {6, 6}}, {'O', {2, 2}, Why::legal, 1},
      {'X', {3, 2}, Why::ko}}},
    {"snapback", {".XO.", "OOX.", "XX.."}, {{'O', {1, 1}, Why::legal, 1}, {'X', {2, 1}, Why::legal, 3}}},
    // The chain taken back touches the retaking point only through the stone just played.
    {"snapback through the last stone", {"X.OX", "OXX."},
     {{'O', {2, 1}, Why::legal, 1}, {'X', {1, 1}, Why::legal, 2}}},
};

// The first of the neighbours of p, left, right, up, down, that lies in chain c.
int side(Point p, const Chain& c) {
    const Point next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
    for (int k = 0; k < 4; ++k)
        if (std::find(c.begin(), c.end(), next[k]) != c.end()) return k;
    return 4;
}

struct BoardRulesPlay : ::testing::TestWithParam<int> {};

TEST_P(BoardRulesPlay, DiagramsInOppositeCorners) {
    const int n = GetParam();
    for (const PlayCase& c : play_cases)
        for (const bool turned : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (turned ? ", turned" : ""));
            Board b = diagram(c.rows, n, turned);
            for (const Step& s : c.steps) {
                const int colour = s.who == 'X' ? black : white;
                const Point p = on(n, turned, s.at);
                const Why why = s.who == '-' ? Why::legal : b.why(colour, p.x, p.y);
                EXPECT_EQ(static_cast<int>(why), static_cast<int>(s.why)) << s.who << " at " << s.at.x << "," << s.at.y;
                if (why != s.why) break;
                if (s.who == '-') b.pass();
                if (s.who == '-' || why != Why::legal) continue;
                const int before = b.prisoners(colour);
                int stones = 0, last = -1;
                for (const Chain& t : b.play(colour, p.x, p.y)) {
                    stones += static_cast<int>(t.size());
                    EXPECT_LT(last, side(p, t)) << "chains out of neighbour order";
                    last = side(p, t);
                }
                EXPECT_EQ(stones, s.taken);
                EXPECT_EQ(b.prisoners(colour) - before, s.taken);
            }
        }
}

INSTANTIATE_TEST_SUITE_P(BoardRules, BoardRulesPlay, ::testing::Values(9, 13, 19));

TEST(BoardRulesRandomPlay, PositionsStaySoundAndUndoRetracesThem) {
    for (const int n : {9, 13, 19}) {
        SCOPED_TRACE(n);
        std::mt19937 random(1234 + n);
        History h(n);
        std::vector<Board> after{h.after(0)};
        int colour = black, undone = 0, x = 0, y = 0;
        for (int move = 0; move < 300; ++move, colour = -colour) {
            for (int tries = 0; tries < 10 && h.why(colour, x, y) != Why::legal; ++tries) {
                x = static_cast<int>(random() % n) + 1;
                y = static_cast<int>(random() % n) + 1;
            }
            if (random() % 16 == 0 || h.why(colour, x, y) != Why::legal) {
                h.pass();
                continue;
            }
            ASSERT_TRUE(h.play(colour, x, y));
            after.push_back(h.after(h.stones()));
            const Board b = h.end();
            ASSERT_EQ(fuzz::boardProblem(b), "") << "after stone " << h.stones();
            EXPECT_EQ(h.stones() - b.stones(black) - b.stones(white), b.prisoners(black) + b.prisoners(white));
        }
        // Each stone and each pass is taken back by one undo.
        for (; h.undo(); ++undone) ASSERT_TRUE(h.end().sameStones(after[h.stones()])) << h.stones();
        EXPECT_EQ(undone, 300);
    }
}

// The group a press marks dead when a game is counted (deadGroup). Stones are 'X' and
// 'O', in small letters where they belong to the group expected; owners, as an estimate
// gives them, 'b', 'w' or '.'. White's corner holds three dead black chains; its wall is
// open at (2,4), a neutral point that leads on to black's living stones beyond.
const Rows corner_owners = {"wwww.bbbb", "wwww.bbbb", "wwww.bbbb", "w....bbbb", "bbbbbbbbb", "bbbbbbbbb"};
const Rows group_cases[] = {
    // Catches a walk over the open border into black's area, to the living groups there.
    {".x.O.X...", "x.xO.X...", "..OO.X...", "O....X...", "..X..X...", "XXX..XXXX"},
    // Catches a walk through a living group's own territory and the neutral points.
    {".X.O.x...", "X.XO.x...", "..OO.x...", "O....x...", "..X..x...", "XXX..xxxx"},
};

TEST(BoardRulesDeadGroup, APressTakesTheGroupAndItsCompanionsInTheOtherColoursAreaOnly) {
    for (const int n : {9, 13, 19})
        for (const bool turned : {false, true})
            for (const bool swapped : {false, true})  // the same with the colours the other way
                for (const Rows& c : group_cases) {
                    SCOPED_TRACE(std::to_string(n) + (turned ? " turned" : "") + (swapped ? " swapped" : ""));
                    const std::string from = "XOxobw", to = swapped ? "OXoxwb" : from;
                    Rows plain = c;
                    std::vector<Point> expected;
                    PointMap owners(n);
                    for (int y = 1; y <= 6; ++y)
                        for (int x = 1; x <= 9; ++x) {
                            char& ch = plain[y - 1][x - 1];
                            if (ch != '.') ch = to[from.find(ch)];
                            if (ch == 'x' || ch == 'o') expected.push_back(on(n, turned, {x, y}));
                            ch = static_cast<char>(std::toupper(ch));
                            char owner = corner_owners[y - 1][x - 1];
                            if (owner != '.') owner = to[from.find(owner)];
                            const Point p = on(n, turned, {x, y});
                            owners.set(p.x, p.y, owner == 'b' ? black : owner == 'w' ? white : empty);
                        }
                    std::sort(expected.begin(), expected.end(), [](Point a, Point q) { return a.x != q.x ? a.x < q.x : a.y < q.y; });
                    // A press on any of its stones gives the group: what one press marks,
                    // a press on any of them brings back.
                    const Board b = diagram(plain, n, turned);
                    for (const Point& p : expected) EXPECT_EQ(deadGroup(b, p, owners), expected) << p.x << "," << p.y;
                }
}

}  // namespace
}  // namespace tolvan::rules
