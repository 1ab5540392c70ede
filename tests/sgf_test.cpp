// Game records in SGF: records through the writer and back, files in the styles other
// programs write (in tests/data/sgf), text encodings and escapes, and broken input.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "sgf/sgf.h"

namespace tolvan::sgf {
namespace {

std::string dataFile(const std::string& name) {
    std::ifstream in(std::string(TOLVAN_TEST_DATA) + "/sgf/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Record readOk(std::string_view text) {
    auto r = read(text);
    if (const Error* e = std::get_if<Error>(&r)) {
        ADD_FAILURE() << "error " << static_cast<int>(e->problem) << " at move " << e->move
                      << ": " << e->detail;
        return {};
    }
    return std::get<Record>(r);
}

Error readError(std::string_view text) {
    auto r = read(text);
    if (!std::holds_alternative<Error>(r)) {
        ADD_FAILURE() << "read without an error";
        return {};
    }
    return std::get<Error>(r);
}

// The moves as "B pd", "W pass", ... for comparing whole lines at once.
std::vector<std::string> movesOf(const Record& r) {
    std::vector<std::string> out;
    for (const Move& m : r.moves) {
        std::string s = m.colour > 0 ? "B " : "W ";
        if (m.pass) {
            s += "pass";
        } else {
            s += static_cast<char>('a' + m.at.x - 1);
            s += static_cast<char>('a' + m.at.y - 1);
        }
        out.push_back(s);
    }
    return out;
}

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------------

TEST(SgfRoundTrip, RandomRecordsComeBackUnchanged) {
    std::mt19937 rng(20240309);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::vector<std::string> pieces = {"a", "]", "\\", "\n", "\r\n", "[", ":", "\\]",
                                             "山田", "ソ", "表", "能", " ", ")", "(;", "tt"};
    auto text = [&] {
        std::string s;
        for (int n = pick(8); n > 0; --n) s += pieces[pick(static_cast<int>(pieces.size()))];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        Record r;
        bool used[19][19] = {};
        for (int n = pick(6); n > 0; --n) {
            const Point p{1 + pick(19), 1 + pick(19)};
            if (used[p.x - 1][p.y - 1]) continue;
            used[p.x - 1][p.y - 1] = true;
            (pick(2) ? r.black_setup : r.white_setup).push_back(p);
        }
        for (int n = pick(40); n > 0; --n) {
            Move m;
            m.colour = pick(2) ? 1 : -1;
            m.pass = pick(8) == 0;
            if (!m.pass) m.at = {1 + pick(19), 1 + pick(19)};
            if (pick(4) == 0) m.comment = text();
            r.moves.push_back(m);
        }
        const std::vector<std::string> ids = {"PB", "PW", "KM", "RE", "DT", "C", "GN", "EV", "HA", "PL", "XYZ"};
        for (const auto& id : ids)
            if (pick(2)) r.info.emplace_back(id, pick(3) ? "山田 " + text() : text());
        std::shuffle(r.info.begin(), r.info.end(), rng);

        const std::string written = write(r);
        ASSERT_EQ(readOk(written), r) << written;
    }
}

TEST(SgfRoundTrip, WrittenTextHasTheFixedRootAndEscapes) {
    Record r;
    r.info = {{"PB", "黒]\\"}, {"SZ", "9"}, {"B", "dd"}, {"bad", "x"}, {"PB", "again"}, {"KM", "6.5"}};
    r.black_setup = {{4, 4}, {20, 1}};
    r.white_setup = {{16, 16}};
    r.moves = {{1, false, {17, 4}, "a]b"}, {-1, true, {}, ""}, {1, false, {0, 5}, ""}};
    const std::string w = write(r);
    EXPECT_EQ(w.rfind("(;FF[4]GM[1]CA[UTF-8]SZ[19]", 0), 0u) << w;
    EXPECT_EQ(w.substr(w.size() - 2), ")\n");
    EXPECT_NE(w.find("PB[黒\\]\\\\]"), std::string::npos) << w;
    EXPECT_NE(w.find(";B[qd]C[a\\]b]"), std::string::npos) << w;
    EXPECT_NE(w.find(";W[]"), std::string::npos) << w;
    // Only the writer's own SZ, no move as info, no duplicate, no id it cannot read back;
    // the stone off the board goes as a pass, the setup stone off the board not at all.
    const Record back = readOk(w);
    EXPECT_EQ(back.info, (std::vector<std::pair<std::string, std::string>>{{"PB", "黒]\\"}, {"KM", "6.5"}}));
    EXPECT_EQ(back.black_setup, (std::vector<Point>{{4, 4}}));
    EXPECT_EQ(movesOf(back), (Lines{"B qd", "W pass", "B pass"}));

    // Long games are broken into lines.
    Record many;
    for (int i = 0; i < 100; ++i) many.moves.push_back({i % 2 ? -1 : 1, false, {1 + i % 19, 1 + i / 19}, ""});
    const std::string text = write(many);
    EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_EQ(readOk(text), many);
}

// ---------------------------------------------------------------------------------

TEST(SgfFiles, GnuGoStyleWithHandicap) {
    const Record r = readOk(dataFile("gnugo.sgf"));
    EXPECT_EQ(r.black_setup, (std::vector<Point>{{4, 16}, {16, 4}}));
    EXPECT_TRUE(r.white_setup.empty());
    EXPECT_EQ(movesOf(r), (Lines{"W qp", "B oq", "W dd", "B qn", "W fc", "B po", "W cn", "B fq",
                                 "W pass", "B pass"}));
    EXPECT_EQ(r.get("HA"), "2");
    EXPECT_EQ(r.get("PL"), "W");
    EXPECT_EQ(r.get("AP"), "GNU Go:3.8");
    EXPECT_EQ(r.get("KM"), "0.5");
    EXPECT_EQ(r.get("RE"), "W+3.5");
    std::vector<std::string> ids;
    for (const auto& [id, value] : r.info) ids.push_back(id);
    EXPECT_EQ(ids, (Lines{"GN", "DT", "KM", "HA", "RU", "AP", "PB", "PW", "RE", "PL"}));
}

TEST(SgfFiles, ShiftJisWithAndWithoutCharset) {
    for (const char* name : {"shift-jis.sgf", "shift-jis-no-ca.sgf"}) {
        SCOPED_TRACE(name);
        const Record r = readOk(dataFile(name));
        EXPECT_EQ(r.get("PB"), "山田 太郎");
        // ソ, 能 and 表 end in the byte of "\", which must not escape what follows.
        EXPECT_EQ(r.get("PW"), "ソン 能子");
        EXPECT_EQ(r.get("EV"), "第1回 表彰大会");
        EXPECT_EQ(r.get("C"), "対局の解説：黒番はソ");
        EXPECT_EQ(movesOf(r), (Lines{"B pd", "W dd", "B pq", "W dp", "B fq"}));
        EXPECT_EQ(r.moves[0].comment, "星から始まる。");
        EXPECT_EQ(r.moves[1].comment, "白も星。\r\n二行目です。]記号");
        EXPECT_EQ(r.moves[3].comment, "ソ");
        EXPECT_EQ(r.get("CA"), "");
    }
}

TEST(SgfFiles, EucJp) {
    const Record r = readOk(dataFile("euc-jp.sgf"));
    EXPECT_EQ(r.get("PB"), "佐藤 花子");
    EXPECT_EQ(r.get("PW"), "鈴木 一郎");
    EXPECT_EQ(r.moves.at(0).comment, "小目です。");
    EXPECT_EQ(movesOf(r), (Lines{"B qd", "W dc", "B pp", "W dq"}));
}

TEST(SgfFiles, MainLineIsTheFirstVariation) {
    const Record r = readOk(dataFile("variations.sgf"));
    EXPECT_EQ(movesOf(r), (Lines{"B pd", "W dd", "B pq", "W dp", "B fq"}));
    EXPECT_EQ(r.moves[0].comment, "main line");
    EXPECT_EQ(r.moves[2].comment, "first branch: the main line");
    for (const Move& m : r.moves) EXPECT_EQ(m.comment.find("side"), std::string::npos);
    EXPECT_EQ(r.get("PB"), "Black");
}

TEST(SgfFiles, PassesTtAndEmpty) {
    const Record r = readOk(dataFile("passes.sgf"));
    EXPECT_EQ(movesOf(r), (Lines{"B dd", "W pass", "B pp", "W pass", "B pass", "W pass"}));
    for (const Move& m : r.moves) {
        if (m.pass) {
            EXPECT_EQ(m.at, (Point{0, 0}));
        }
    }
    EXPECT_EQ(r.moves[4].comment, "both pass");
}

TEST(SgfFiles, OldIdentifiersWithSmallLetters) {
    const Record r = readOk(dataFile("ff3-lowercase.sgf"));
    EXPECT_EQ(r.get("PB"), "Old Style");
    EXPECT_EQ(r.get("PW"), "Program");
    EXPECT_EQ(r.get("KM"), "5.5");
    EXPECT_EQ(r.black_setup, (std::vector<Point>{{4, 4}, {16, 16}}));
    EXPECT_EQ(r.white_setup, (std::vector<Point>{{4, 16}}));
    EXPECT_EQ(movesOf(r), (Lines{"B pd", "W qq"}));
    EXPECT_EQ(r.moves[0].comment, "identifiers with small letters");
    EXPECT_EQ(r.info.size(), 3u);  // GaMe, FileFormat, SiZe are read, not kept
}

TEST(SgfFiles, CompressedPointLists) {
    const Record r = readOk(dataFile("compressed.sgf"));
    EXPECT_EQ(r.black_setup, (std::vector<Point>{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2},
                                                 {1, 3}, {2, 3}, {3, 3}, {19, 19}}));
    // Corners in either order.
    EXPECT_EQ(r.white_setup, (std::vector<Point>{{16, 16}, {17, 16}, {16, 17}, {17, 17}, {5, 1}, {5, 2}}));
    EXPECT_EQ(movesOf(r), (Lines{"W jj"}));
}

// ---------------------------------------------------------------------------------

TEST(SgfText, EscapesAndLineBreaks) {
    const Record r = readOk(
        "(;GM[1]PB[a\\]b\\\\c\\:d]PW[soft\\\nbreak]GN[soft\\\r\nbreak too]"
        ";B[aa]C[line one\nline two\\\n still two]"
        ";W[bb]C[first]C[second])");
    EXPECT_EQ(r.get("PB"), "a]b\\c:d");
    EXPECT_EQ(r.get("PW"), "softbreak");
    EXPECT_EQ(r.get("GN"), "softbreak too");
    EXPECT_EQ(r.moves.at(0).comment, "line one\nline two still two");
    EXPECT_EQ(r.moves.at(1).comment, "first");
}

TEST(SgfText, RootValuesAndWhiteSpace) {
    // White space between every token; the root's first value of a multi-valued or
    // repeated property; markup in the root kept as information, ignored later.
    const Record r = readOk(
        " \n ( \n ; GM [1] SZ [19:19] PB [one] [two] PB [three] LB[dd:A]\n"
        "AB [dd] AB [dd] AW[dd]\n ; B [ pd ] TR[aa] BL[30] ; \n ; W[qq] ) ");
    EXPECT_EQ(r.info, (std::vector<std::pair<std::string, std::string>>{{"PB", "one"}, {"LB", "dd:A"}}));
    EXPECT_TRUE(r.black_setup.empty());  // the later AW takes the point
    EXPECT_EQ(r.white_setup, (std::vector<Point>{{4, 4}}));
    EXPECT_EQ(movesOf(r), (Lines{"B pd", "W qq"}));
}

TEST(SgfText, CharsetNamesAndGuesses) {
    // 碁 in each encoding.
    const std::string sjis = "\x8c\xe9", euc = "\xb8\xeb", latin = "\xe9";
    const std::string utf8 = "碁";
    EXPECT_EQ(readOk("(;CA[SJIS]PB[" + sjis + "])").get("PB"), utf8);
    EXPECT_EQ(readOk("(;CA[cp932]PB[" + sjis + "])").get("PB"), utf8);
    EXPECT_EQ(readOk("(;CA[Windows-31J]PB[" + sjis + "])").get("PB"), utf8);
    EXPECT_EQ(readOk("(;CA[eucJP]PB[" + euc + "])").get("PB"), utf8);
    EXPECT_EQ(readOk("(;CA[Latin1]PB[" + latin + "])").get("PB"), "é");
    EXPECT_EQ(readOk("(;CA[ISO-8859-1]PB[" + latin + "])").get("PB"), "é");
    // A UTF-8 label on Shift_JIS bytes, an unknown charset, no label: guessed.
    EXPECT_EQ(readOk("(;CA[UTF-8]PB[" + sjis + "])").get("PB"), utf8);
    EXPECT_EQ(readOk("(;CA[no-such-charset]PB[" + sjis + "])").get("PB"), utf8);
    EXPECT_EQ(readOk("(;PB[" + utf8 + "])").get("PB"), utf8);
    // A byte order mark and a header line before the tree.
    EXPECT_EQ(readOk("\xEF\xBB\xBF(;PB[" + utf8 + "])").get("PB"), utf8);
    EXPECT_EQ(readOk("Game (saved)\r\n(;PB[x];B[aa])").get("PB"), "x");
}

// ---------------------------------------------------------------------------------

TEST(SgfBadInput, EachProblem) {
    struct Case {
        std::string text;
        Problem problem;
        int move;
    };
    const std::vector<Case> cases = {
        {"", Problem::not_sgf, 0},
        {"hello (world) ;", Problem::not_sgf, 0},
        {"(;GM[1]PB[unclosed", Problem::syntax, 0},
        {"(;GM[1];B[aa]", Problem::syntax, 0},
        {"(;GM[1] 12[aa])", Problem::syntax, 0},
        {"(;GM[1]PB)", Problem::syntax, 0},
        {"(;GM[1]pb[x])", Problem::syntax, 0},
        {"(;GM[1](B[aa]))", Problem::syntax, 0},
        {"(;GM[1];B[aa](;W[bb])(;W[cc]PB[x))", Problem::syntax, 0},
        {"(;SZ[13])", Problem::board_size, 0},
        {"(;SZ[19:13])", Problem::board_size, 0},
        {"(;GM[3]SZ[8])", Problem::game, 0},
        {"(;CA[UTF-8]PB[\xff\xff\xff])", Problem::text, 0},
        {"(;;B[aa];W[zz])", Problem::bad_point, 2},
        {"(;;B[aa];W[a])", Problem::bad_point, 2},
        {"(;;B[aa];W[ab:cd])", Problem::bad_point, 2},
        {"(;AB[aa:ta])", Problem::bad_point, 0},
        {"(;AW[tt])", Problem::bad_point, 0},
        {"(;B[aa];W[bb]B[cc])", Problem::two_moves, 2},
        {"(;;B[aa][bb])", Problem::two_moves, 1},
        {"(;;B[aa];AB[cc];W[dd])", Problem::setup_later, 2},
        {"(;;B[aa];W[bb]AE[aa])", Problem::setup_later, 2},
        {"(;" + std::string(max_bytes, ' ') + ")", Problem::too_large, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        const Error e = readError(c.text);
        EXPECT_EQ(e.problem, c.problem) << e.detail;
        EXPECT_EQ(e.move, c.move);
        EXPECT_FALSE(e.detail.empty());
    }
    // Problems off the main line are not looked at.
    EXPECT_EQ(movesOf(readOk("(;;B[aa](;W[bb])(;W[zz]AB[cc]B[dd]))")), (Lines{"B aa", "W bb"}));
}

TEST(SgfBadInput, EveryPrefixOfAGoodFile) {
    for (const char* name : {"variations.sgf", "shift-jis.sgf", "compressed.sgf"}) {
        const std::string text = dataFile(name);
        // Where the first game tree ends: files with one tree end with it.
        const std::size_t second = text.find(")\n(;");
        const std::size_t end = (second != std::string::npos ? second : text.rfind(')')) + 1;
        for (std::size_t n = 0; n < text.size(); ++n) {
            auto r = read(std::string_view(text).substr(0, n));
            // Only the whole tree reads; a cut tree is unclosed or cut inside a character.
            if (const Record* rec = std::get_if<Record>(&r)) {
                EXPECT_GE(n, end) << name << " cut at " << n;
                EXPECT_FALSE(rec->moves.empty());
            }
        }
    }
}

TEST(SgfBadInput, DeepNestingAndLongValues) {
    const int deep = 100000;
    std::string open(deep, '(');
    EXPECT_EQ(readError(open).problem, Problem::not_sgf);
    EXPECT_EQ(readError("(;" + open).problem, Problem::syntax);
    std::string nested;
    for (int i = 0; i < deep; ++i) nested += i % 2 ? "(;W[bb]" : "(;B[aa]";
    EXPECT_EQ(readError(nested).problem, Problem::syntax);
    EXPECT_EQ(readOk(nested + std::string(deep, ')')).moves.size(), static_cast<std::size_t>(deep));

    const std::string value(100000, 'x');
    EXPECT_EQ(readOk("(;PB[" + value + "];B[aa]C[" + value + "])").moves.at(0).comment, value);
    EXPECT_EQ(readError("(;PB[" + value).problem, Problem::syntax);
    const std::string escapes(100001, '\\');
    EXPECT_EQ(readError("(;PB[" + escapes + "])").problem, Problem::syntax);
}

}  // namespace
}  // namespace tolvan::sgf
