// The opening book: the position string of a corner, loading the book file with its key
// index, the lookup in every corner and both mirror images, and the shipped book.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <unistd.h>

#include "fake_platform.h"
#include "hostile_files.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;

struct Point {
    Point(int px, int py) : x(px), y(py) {}
    int x, y;
    bool operator==(const Point&) const = default;
};

std::ostream& operator<<(std::ostream& os, Point p) { return os << "(" << p.x << ", " << p.y << ")"; }

// The board point of (cell, line) in quadrant q (0 upper left, 1 lower left, 2 upper
// right, 3 lower right) and orientation o.
Point corner(int q, int o, int cell, int line) {
    const int a = o == 0 ? cell : line, b = o == 0 ? line : cell;
    switch (q) {
        case 0: return {a, b};
        case 1: return {b, 20 - a};
        case 2: return {20 - b, a};
        default: return {20 - a, 20 - b};
    }
}

struct BookTest : ::testing::Test {
    Fixture f;
    Tolvan& g = *f.game;
    GameState& s = f.s;
    fs::path dir;

    BookTest() {
        static std::atomic<int> n{0};
        dir = fs::temp_directory_path() /
              ("tolvan_book_" + std::to_string(getpid()) + "_" + std::to_string(n++));
        fs::create_directories(dir);
    }
    ~BookTest() override { fs::remove_all(dir); }

    // Writes the text as the book file and loads it.
    void load(const std::string& text) {
        const fs::path file = dir / "Tolvan.定石";
        std::ofstream(file, std::ios::binary) << text;
        g.book_file = file.string();
        g.定石ファイル読込();
    }

    // Stones given as (cell, line) of a corner, placed in quadrant q, orientation o.
    void place(const std::vector<Point>& man, const std::vector<Point>& com, int q = 0, int o = 0) {
        setBoard(s, {});
        for (Point p : man) s.board[corner(q, o, p.x, p.y).x][corner(q, o, p.x, p.y).y] = s.man_side;
        for (Point p : com) s.board[corner(q, o, p.x, p.y).x][corner(q, o, p.x, p.y).y] = s.com_side;
    }

    // The book's answer on the board when the stone at `last` was just played, or
    // nothing; a miss must leave the point as it was.
    std::optional<Point> answer(Point last) {
        int x = last.x, y = last.y;
        if (g.調査_定石有無(x, y) == flag_off) {
            EXPECT_EQ(Point(x, y), last) << "a miss changed the point";
            return std::nullopt;
        }
        g.取得_定石MAN座標(last.x, last.y, x, y);
        return Point(x, y);
    }
};

// A corner shape used by the lookup tests: the person's approach to the computer's 4-4
// stone, and its position string read in the upper-left corner.
const std::vector<Point> approach_man{{3, 6}};
const std::vector<Point> approach_com{{4, 4}};

TEST_F(BookTest, PositionStringOfTheUpperLeftCorner) {
    setBoard(s, {"", "", "...X", "..O"});
    EXPECT_EQ(g.取得_文字列(0, 4, 3), "101,,,1000000,20000000,,,,,,");
    EXPECT_EQ(g.取得_文字列(1, 4, 3), "101,,,2000000,10000000,,,,,,");
    // A stone on the middle column chooses the left half; the right half holds the
    // middle column too.
    setBoard(s, {"", "", ".........X.O"});
    EXPECT_EQ(g.取得_文字列(0, 10, 3), "100,,,1,,,,,,,");
    EXPECT_EQ(g.取得_文字列(0, 12, 3), "101,,,,,,,,20000000,,10000000");
}

TEST_F(BookTest, KeysOfThreeAndFourDigits) {
    int key = 7;
    g.取得_文字列_定石座標("905,,,1", key);
    EXPECT_EQ(key, 905);
    g.取得_文字列_定石座標("1012,,,1", key);
    EXPECT_EQ(key, 1012);
    g.取得_文字列_定石座標("10000,,,1", key);  // no comma in the 4th or 5th place
    EXPECT_EQ(key, 1012);
    g.取得_文字列_定石座標("", key);
    EXPECT_EQ(key, 1012);

    // Nine of the person's stones and five of the computer's, then ten and twelve.
    std::vector<Point> man, com;
    for (int c = 1; c <= 9; ++c) man.push_back({c, 1});
    for (int c = 1; c <= 5; ++c) com.push_back({c, 3});
    place(man, com);
    const std::string p905 = g.取得_文字列(0, 1, 1);
    EXPECT_EQ(p905.substr(0, 4), "905,");
    man.push_back({10, 1});
    for (int c = 6; c <= 10; ++c) com.push_back({c, 3});
    com.push_back({1, 5});
    com.push_back({2, 5});
    place(man, com);
    const std::string p1012 = g.取得_文字列(0, 1, 1);
    EXPECT_EQ(p1012.substr(0, 5), "1012,");

    load(p905 + ",1,2\r\n" + p1012 + ",2,2\r\n");
    EXPECT_EQ(answer({1, 1}), Point(2, 2));
    place(std::vector<Point>(man.begin(), man.begin() + 9), std::vector<Point>(com.begin(), com.begin() + 5));
    EXPECT_EQ(answer({1, 1}), Point(1, 2));
}

TEST_F(BookTest, SameShapeInEveryCornerAndMirrorImage) {
    place(approach_man, approach_com);
    const std::string line = g.取得_文字列(0, 3, 6) + ",3,4";
    load(line + "\r\n");
    for (int q = 0; q < 4; ++q)
        for (int o = 0; o < 2; ++o) {
            SCOPED_TRACE("quadrant " + std::to_string(q) + ", orientation " + std::to_string(o));
            place(approach_man, approach_com, q, o);
            const Point last = corner(q, o, 3, 6);
            EXPECT_EQ(g.取得_文字列(o, last.x, last.y), line.substr(0, line.size() - 4));
            EXPECT_EQ(answer(last), corner(q, o, 3, 4));
            // Stones in the opposite quadrant change nothing.
            const Point c = corner(q, o, 4, 4);
            s.board[20 - c.x][20 - c.y] = s.man_side;
            s.board[20 - last.x][20 - last.y] = s.com_side;
            EXPECT_EQ(answer(last), corner(q, o, 3, 4));
        }
    // Cell 3, line 4 in the lower-right corner read in orientation 0.
    place(approach_man, approach_com, 3, 0);
    EXPECT_EQ(answer({17, 14}), Point(17, 16));
}

TEST_F(BookTest, MirrorImageIsFoundWithTheFieldsSwapped) {
    // The book knows the approach from the left; the board holds it from the top.
    place(approach_man, approach_com);
    load(g.取得_文字列(0, 3, 6) + ",6,3\r\n");
    place({{6, 3}}, approach_com);
    EXPECT_EQ(answer({6, 3}), Point(3, 6));
    // A reply field of two digits.
    place(approach_man, approach_com);
    load(g.取得_文字列(0, 3, 6) + ",10,9\r\n");
    EXPECT_EQ(answer({3, 6}), Point(10, 9));
    place({{6, 3}}, approach_com);
    EXPECT_EQ(answer({6, 3}), Point(9, 10));
}

TEST_F(BookTest, SearchWithinTheRunOfTheKey) {
    place(approach_man, approach_com);
    const std::string pos = g.取得_文字列(0, 3, 6);
    place({{3, 5}}, approach_com);
    const std::string other = g.取得_文字列(0, 3, 5);
    place(approach_man, approach_com);

    // The first of two equal positions answers.
    load(pos + ",6,3\r\n" + pos + ",6,4\r\n");
    EXPECT_EQ(answer({3, 6}), Point(6, 3));

    // An empty line and lines with fewer than two commas belong to the run and never
    // match; the run goes on after them.
    load(other + ",5,5\r\n\r\n101\r\n101,6\r\n" + pos + ",6,4\r\n");
    EXPECT_EQ(answer({3, 6}), Point(6, 4));

    // A key in two separate runs: only the last run is searched.
    place({{3, 6}, {1, 1}}, approach_com);
    const std::string two = g.取得_文字列(0, 3, 6);
    place(approach_man, approach_com);
    load(pos + ",6,3\r\n" + two + ",5,5\r\n" + other + ",5,5\r\n");
    EXPECT_EQ(answer({3, 6}), std::nullopt);
    place({{3, 5}}, approach_com);
    EXPECT_EQ(answer({3, 5}), Point(5, 5));

    // A missing book answers nothing.
    g.book_file = (dir / "missing").string();
    g.定石ファイル読込();
    EXPECT_EQ(s.joseki_count, 0);
    EXPECT_EQ(answer({3, 5}), std::nullopt);
}

TEST_F(BookTest, UnreadableReplyCountsAsNoMatch) {
    place(approach_man, approach_com);
    const std::string pos = g.取得_文字列(0, 3, 6);
    for (const char* bad : {",123,4", ",,4", ",x,4", ",6,", ",6,y"}) {
        SCOPED_TRACE(bad);
        load(pos + bad + "\r\n");
        EXPECT_EQ(answer({3, 6}), std::nullopt);
        // A readable line further down the run answers instead.
        load(pos + bad + "\r\n" + pos + ",6,3\r\n");
        EXPECT_EQ(answer({3, 6}), Point(6, 3));
    }
}

TEST_F(BookTest, TenThousandLinesLoadAndTheNextStopsTheLoading) {
    place(approach_man, approach_com);
    const std::string pos = g.取得_文字列(0, 3, 6);
    place({{3, 5}}, approach_com);
    const std::string other = g.取得_文字列(0, 3, 5);
    std::string text;
    for (int n = 1; n < 10000; ++n) text += "000,,,,,,,,,,,1,1\r\n";
    load(text + pos + ",6,3\r\n" + other + ",5,5\r\n");
    EXPECT_EQ(s.joseki_count, 10000);
    place(approach_man, approach_com);
    EXPECT_EQ(answer({3, 6}), Point(6, 3));
    place({{3, 5}}, approach_com);
    EXPECT_EQ(answer({3, 5}), std::nullopt);
}

TEST_F(BookTest, BadContentLoadsWhatItCan) {
    place(approach_man, approach_com);
    const std::string pos = g.取得_文字列(0, 3, 6);
    place({{3, 5}}, approach_com);
    const std::string other = g.取得_文字列(0, 3, 5);

    // Every kind of line end, garbage bytes, an oversized key and no final line end.
    load(std::string("12345,,,,,,,,,,,1,1\n\x01\xff\x80 garbage \xe5\xae\x9a\r") + pos +
         ",6,3\r" + "99999999999999999999,9\n" + other + ",5,5");
    EXPECT_EQ(answer({3, 5}), Point(5, 5));
    place(approach_man, approach_com);
    EXPECT_EQ(answer({3, 6}), Point(6, 3));

    // A line far longer than any book line ends the loading there.
    load(pos + ",6,3\r\n" + std::string(200000, '1') + "\r\n" + other + ",5,5\r\n");
    EXPECT_EQ(answer({3, 6}), Point(6, 3));
    place({{3, 5}}, approach_com);
    EXPECT_EQ(answer({3, 5}), std::nullopt);
}

// Something other than an ordinary book file of at most 16 MiB is as no book, at once:
// the loading never waits on a pipe nor reads a device.
TEST_F(BookTest, APathThatIsNotABookFileLeavesTheBookEmpty) {
    const HostilePaths paths(16u << 20);
    for (int k = 0; k < hostile_kinds; ++k) {
        SCOPED_TRACE(hostile_names[k]);
        load("000,,,,,,,,,,,1,1\r\n");
        ASSERT_EQ(s.joseki_count, 1);
        g.book_file = paths[k];
        g.定石ファイル読込();
        EXPECT_EQ(s.joseki_count, 0);
    }
}

// ---- The shipped book ---------------------------------------------------------------

fs::path shippedBook() {
#ifdef TOLVAN_SOURCE_DIR
    return fs::path(TOLVAN_SOURCE_DIR) / "data" / "run" / "Tolvan.定石";
#else
    return fs::path(__FILE__).parent_path().parent_path() / "data" / "run" / "Tolvan.定石";
#endif
}

TEST_F(BookTest, ShippedBookAnswersTheCommonApproaches) {
    g.book_file = shippedBook().string();
    g.定石ファイル読込();
    ASSERT_GE(s.joseki_count, 300) << g.book_file;

    struct Case {
        const char* name;
        std::vector<Point> man, com;
        Point last;
        std::vector<Point> replies;  // (cell, line); a symmetric shape lists both images
    } cases[] = {
        {"low approach to the 4-4 point", {{3, 6}}, {{4, 4}}, {3, 6}, {{6, 3}}},
        {"high approach to the 4-4 point", {{4, 6}}, {{4, 4}}, {4, 6}, {{6, 4}}},
        {"3-3 invasion", {{3, 3}}, {{4, 4}}, {3, 3}, {{3, 4}, {4, 3}}},
        {"low approach to the 3-4 point", {{5, 3}}, {{3, 4}}, {5, 3}, {{4, 5}}},
        {"high approach to the 3-4 point", {{5, 4}}, {{3, 4}}, {5, 4}, {{5, 3}}},
        {"slide after the knight's move", {{3, 6}, {2, 4}}, {{4, 4}, {6, 3}}, {2, 4}, {{3, 3}}},
    };
    for (const Case& c : cases)
        for (int q = 0; q < 4; ++q)
            for (int o = 0; o < 2; ++o) {
                SCOPED_TRACE(std::string(c.name) + " in quadrant " + std::to_string(q) +
                             ", orientation " + std::to_string(o));
                place(c.man, c.com, q, o);
                const auto got = answer(corner(q, o, c.last.x, c.last.y));
                ASSERT_TRUE(got.has_value());
                bool expected = false;
                for (Point r : c.replies) expected |= *got == corner(q, o, r.x, r.y);
                EXPECT_TRUE(expected) << "answered " << *got;
            }
}

TEST_F(BookTest, ShippedBookLinesAreGroupedAndLegal) {
    std::ifstream in(shippedBook(), std::ios::binary);
    ASSERT_TRUE(in) << shippedBook();
    std::stringstream all;
    all << in.rdbuf();
    std::vector<std::string> lines;
    for (std::string line; std::getline(all, line);) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r') << "lines end in CR LF";
        line.pop_back();
        lines.push_back(line);
    }
    ASSERT_GE(lines.size(), 300u);
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), lines.size());

    g.book_file = shippedBook().string();
    g.定石ファイル読込();
    ASSERT_EQ(s.joseki_count, static_cast<int>(lines.size()));

    std::set<int> finished;  // keys whose run has ended
    int run = -1;
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        int key = -1;
        g.取得_文字列_定石座標(line, key);
        ASSERT_GE(key, 0);
        if (key != run) {
            ASSERT_EQ(finished.count(key), 0u) << "key " << key << " in two runs";
            if (run >= 0) finished.insert(run);
            run = key;
        }

        // Rebuild the corner: each line text starts at its first stone and runs to cell 10.
        std::vector<std::string> fields;
        std::stringstream ss(line);
        for (std::string field; std::getline(ss, field, ',');) fields.push_back(field);
        ASSERT_EQ(fields.size(), 13u);
        std::vector<Point> man, com;
        for (int l = 1; l <= 10; ++l) {
            const std::string& t = fields[l];
            ASSERT_LE(t.size(), 10u);
            for (std::size_t i = 0; i < t.size(); ++i) {
                const Point p{static_cast<int>(10 - t.size() + i + 1), l};
                if (t[i] == '1') {
                    man.push_back(p);
                } else if (t[i] == '2') {
                    com.push_back(p);
                } else {
                    ASSERT_EQ(t[i], '0');
                }
            }
            if (!t.empty()) {
                ASSERT_NE(t[0], '0');
            }
        }
        ASSERT_EQ(key, static_cast<int>(100 * man.size() + com.size()));
        ASSERT_FALSE(man.empty());
        const Point reply{std::stoi(fields[11]), std::stoi(fields[12])};
        ASSERT_TRUE(reply.x >= 1 && reply.x <= 10 && reply.y >= 1 && reply.y <= 10);

        // The answer is an empty point where the computer's stone would not be suicide,
        // and the lookup finds exactly this line for the position.
        place(man, com);
        EXPECT_EQ(s.board[reply.x][reply.y], stone_empty);
        EXPECT_TRUE(g.調査_当たり2(reply.x, reply.y, s.com_side) == flag_off ||
                    g.調査_当たり(reply.x, reply.y, s.com_side, s.man_side) == flag_on);
        EXPECT_EQ(answer(man.front()), reply);
    }
}

}  // namespace
}  // namespace tolvan::testing
