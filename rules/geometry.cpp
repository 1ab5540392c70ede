#include "rules/geometry.h"

namespace tolvan::rules {

namespace {

// The line of the corner star points: the fourth from the edge, the third below 13.
int cornerLine(int size) { return size >= 13 ? 4 : 3; }

}  // namespace

bool isOfferedSize(int size) { return std::ranges::find(offered_sizes, size) != std::end(offered_sizes); }

bool isStarPoint(int size, Point p) {
    const int edge = cornerLine(size), mid = (size + 1) / 2;
    auto line = [&](int v) { return v == edge || v == size + 1 - edge || (size == 19 && v == mid); };
    return (line(p.x) && line(p.y)) || (p.x == mid && p.y == mid);
}

std::vector<Point> levelHandicapPoints(int size) {
    if (size == 9) return {{5, 5}, {3, 3}, {7, 3}, {3, 7}, {7, 7}};
    const std::vector<Point> nineteen = {{10, 10}, {4, 10}, {16, 10}, {4, 4},  {10, 4}, {16, 4}, {4, 16},
                                         {10, 16}, {16, 16}, {7, 7},  {13, 7}, {7, 13}, {13, 13}};
    if (size != 13) return nineteen;
    std::vector<Point> points(nineteen.begin(), nineteen.begin() + 9);
    auto line = [](int v) { return v == 4 ? 4 : v == 10 ? 7 : 10; };
    for (Point& p : points) p = {line(p.x), line(p.y)};
    return points;
}

std::vector<Point> fixedHandicapPoints(int size, int stones) {
    if (stones < 2 || stones > 9) return {};
    const int low = cornerLine(size), high = size + 1 - low, mid = (size + 1) / 2;
    const std::vector<Point> order = {{low, high}, {high, low}, {low, low},  {high, high}, {low, mid},
                                      {high, mid}, {mid, high}, {mid, low}, {mid, mid}};
    std::vector<Point> points;
    const bool centre = stones == 5 || stones == 7;
    for (int k = 0; k < stones - (centre ? 1 : 0); ++k) points.push_back(order[k]);
    if (centre) points.push_back(order[8]);
    return points;
}

std::string vertexName(Point p, int size) {
    if (p.x == 0) return "pass";
    const char column = static_cast<char>(p.x <= 8 ? 'A' + p.x - 1 : 'A' + p.x);  // no I
    return column + std::to_string(size + 1 - p.y);
}

std::optional<Point> parseVertex(std::string_view text, int size) {
    std::string v(text);
    for (char& c : v)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (v == "pass") return Point{};
    if (v.size() < 2 || v.size() > 4) return std::nullopt;
    const char c = v[0];
    if (c < 'a' || c > 'z' || c == 'i') return std::nullopt;
    int row = 0;
    for (std::size_t k = 1; k < v.size(); ++k) {
        if (v[k] < '0' || v[k] > '9') return std::nullopt;
        row = row * 10 + (v[k] - '0');
    }
    const Point p{c < 'i' ? c - 'a' + 1 : c - 'a', size + 1 - row};
    if (p.x < 1 || p.x > size || p.y < 1 || p.y > size) return std::nullopt;
    return p;
}

std::string pointLabel(Point p) {
    return std::string(1, static_cast<char>('A' + p.x - 1)) + std::to_string(p.y);
}

}  // namespace tolvan::rules
