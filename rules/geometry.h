// A board's geometry: the points, the sizes the game offers, the star points, the
// handicap points, and the names GTP gives the points. Points are (x, y), x the column
// from the left and y the row from the top, both 1..size.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvan::rules {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// The boards the game offers, in the menu's order, and the largest of them.
inline constexpr int offered_sizes[] = {19, 13, 9};
inline constexpr int largest_offered = std::ranges::max(offered_sizes);

// Whether a board of `size` lines is one the game offers.
bool isOfferedSize(int size);

// Whether (x, y) is a star point of a board of `size` lines: on 19 the 4-4 points, the
// sides' fourth-line midpoints and the centre; on 13 the 4-4 points and the centre; on
// 9 the 3-3 points and the centre.
bool isStarPoint(int size, Point p);

// The points of the game's handicap levels on a board of `size` lines (19, 13 or 9), in
// the order the stones are put: level k puts the first k, and there are as many levels
// as points. The 19-line board has thirteen: its star points, then the 7-7 points. The
// 13-line board takes the first nine on its own star points; the 9-line board its centre
// and 3-3 points, in the order the 19-line board takes its centre and corners.
std::vector<Point> levelHandicapPoints(int size);

// The handicap points GTP fixes for `stones` stones (2..9) on a board of `size` lines,
// in the order GTP adds them: on 19 D4 Q16 D16 Q4 D10 Q10 K4 K16 K10, five and seven
// stones being four and six and the centre. Nothing for another count.
std::vector<Point> fixedHandicapPoints(int size, int stones);

// A point as GTP names it on a board of `size` lines: the column's letter from A, I
// skipped, and the row counted from the bottom ("D4"); "pass" for no point (x 0).
std::string vertexName(Point p, int size);

// Reads what vertexName writes, letters in either case: a point of the board, or (0, 0)
// for "pass". Nothing for any other text or for a vertex off the board.
std::optional<Point> parseVertex(std::string_view text, int size);

// A point as the board's labels name it: the column's letter from A (I included) and the
// row's number counted from the top, "D16" for (4, 16).
std::string pointLabel(Point p);

}  // namespace tolvan::rules
