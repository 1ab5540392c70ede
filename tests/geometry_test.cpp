// The board's geometry at each size offered, boards written as text: '+' a star point,
// '.' any other.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "rules/geometry.h"

namespace tolvan::rules {
namespace {

std::vector<std::string> starDiagram(int size) {
    std::vector<std::string> rows(size, std::string(size, '.'));
    for (int y = 1; y <= size; ++y)
        for (int x = 1; x <= size; ++x)
            if (isStarPoint(size, {x, y})) rows[y - 1][x - 1] = '+';
    return rows;
}

// The star points of each board, as the window draws them and showboard writes them.
TEST(Geometry, StarPointsOfEachSizeOffered) {
    const std::vector<std::string> nine = {".........", ".........", "..+...+..", ".........", "....+....",
                                           ".........", "..+...+..", ".........", "........."};
    const std::vector<std::string> thirteen = {
        ".............", ".............", ".............", "...+.....+...", ".............",
        ".............", "......+......", ".............", ".............", "...+.....+...",
        ".............", ".............", "............."};
    std::vector<std::string> nineteen(19, std::string(19, '.'));
    for (int y : {3, 9, 15}) nineteen[y] = "...+.....+.....+...";
    for (const auto& [size, diagram] : {std::pair{9, nine}, std::pair{13, thirteen}, std::pair{19, nineteen}}) {
        EXPECT_EQ(starDiagram(size), diagram) << size;
    }
}

// A pass is named and read as (0, 0); a name beyond the board, or of column I, is none.
TEST(Geometry, VertexNamesBothWays) {
    struct Case { int size; const char* name; std::optional<Point> point; };
    for (const Case& c : {Case{9, "pass", Point{}}, Case{19, "PaSs", Point{}}, Case{9, "J1", Point{9, 9}},
                          Case{13, "a13", Point{1, 1}}, Case{9, "K1", std::nullopt}, Case{9, "A10", std::nullopt},
                          Case{19, "I5", std::nullopt}, Case{19, "passe", std::nullopt}}) {
        EXPECT_EQ(parseVertex(c.name, c.size), c.point) << c.name;
        if (c.point) {
            EXPECT_EQ(parseVertex(vertexName(*c.point, c.size), c.size), c.point) << c.name;
        }
    }
}

}  // namespace
}  // namespace tolvan::rules
