// The rules of play on positions written as text at every board size, positions under
// random play.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

// The group a press marks dead when a game is counted (deadGroup). Stones are written
// 'X' and 'O', and in small letters where they belong to the group expected; the owners,
// as an estimate gives them, 'b', 'w' or '.' for nobody. White's corner holds three
// dead black stones, each a chain of its own; its wall is open at (2,4), where a neutral
// point leads on to black's living stones beyond the border.
struct GroupCase {
    const char* name;
    Rows stones;
    Rows owners;
};
const Rows corner_owners = {"wwww.bbbb", "wwww.bbbb", "wwww.bbbb", "w....bbbb", "bbbbbbbbb", "bbbbbbbbb"};
const GroupCase group_cases[] = {
    // Catches a walk that crosses the open border into black's own area, as a walk over
    // every point but white's stones does, taking the living groups beyond.
    {"dead stones sharing the other colour's corner",
     {".x.O.X...", "x.xO.X...", "..OO.X...", "O....X...", "..X..X...", "XXX..XXXX"}, corner_owners},
    // Catches a walk through the group's own territory and the neutral points, which
    // takes every stone of its colour on the board (and the dead stones in the corner).
    {"a living group alone",
     {".X.O.x...", "X.XO.x...", "..OO.x...", "O....x...", "..X..x...", "XXX..xxxx"}, corner_owners},
};

TEST(BoardRulesDeadGroup, APressTakesTheGroupAndItsCompanionsInTheOtherColoursAreaOnly) {
    for (const int n : {9, 13, 19})
        for (const bool turned : {false, true})
            for (const bool swapped : {false, true})
                for (const GroupCase& c : group_cases) {
                    SCOPED_TRACE(std::string(c.name) + " on " + std::to_string(n) + (turned ? ", turned" : "") +
                                 (swapped ? ", colours swapped" : ""));
                    // The colours swapped, stones and owners alike.
                    auto letter = [&](char ch) {
                        if (!swapped) return ch;
                        const std::string from = "XOxobw", to = "OXoxwb";
                        const auto at = from.find(ch);
                        return at == std::string::npos ? ch : to[at];
                    };
                    Rows stones = c.stones, owned = c.owners;
                    for (auto& r : stones)
                        for (char& ch : r) ch = letter(ch);
                    for (auto& r : owned)
                        for (char& ch : r) ch = letter(ch);
                    Rows plain = stones;
                    std::vector<Point> expected;
                    for (int y = 1; y <= static_cast<int>(stones.size()); ++y)
                        for (int x = 1; x <= static_cast<int>(stones[y - 1].size()); ++x) {
                            char& ch = plain[y - 1][x - 1];
                            if (ch == 'x' || ch == 'o') expected.push_back(on(n, turned, {x, y}));
                            ch = ch == 'x' ? 'X' : ch == 'o' ? 'O' : ch;
                        }
                    const Board b = diagram(plain, n, turned);
                    PointMap owners(n);
                    for (int y = 1; y <= static_cast<int>(owned.size()); ++y)
                        for (int x = 1; x <= static_cast<int>(owned[y - 1].size()); ++x) {
                            const Point p = on(n, turned, {x, y});
                            const char ch = owned[y - 1][x - 1];
                            owners.set(p.x, p.y, ch == 'b' ? black : ch == 'w' ? white : empty);
                        }
                    auto byColumn = [](Point a, Point q) { return a.x != q.x ? a.x < q.x : a.y < q.y; };
                    std::sort(expected.begin(), expected.end(), byColumn);
                    // A press on any stone of the group gives the same group: what one press
                    // marks, a press on any of its stones brings back.
                    for (const Point& p : expected)
                        EXPECT_EQ(deadGroup(b, p, owners), expected) << "pressed " << p.x << "," << p.y;
                }
}

}  // namespace
}  // namespace tolvan::rules
