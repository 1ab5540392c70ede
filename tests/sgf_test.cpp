// Game records in SGF: records through the writer and back, files in the styles other
// programs write (in tests/data/sgf), text encodings and escapes, and broken input.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "records/sgf.h"

namespace tolvan::sgf {
namespace {

using Info = std::vector<std::pair<std::string, std::string>>;
using rules::Point;
using Points = std::vector<Point>;

std::string dataFile(const std::string& name) {
    std::ifstream in(std::string(TOLVAN_TEST_DATA) + "/sgf/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Record readOk(std::string_view text) {
    auto r = read(text);
    if (const Error* e = std::get_if<Error>(&r)) {
        ADD_FAILURE() << "problem " << static_cast<int>(e->problem) << " at move " << e->move
                      << ": " << e->detail;
        return {};
    }
    return std::get<Record>(r);
}

Error readError(std::string_view text) {
    auto r = read(text);
    if (const Error* e = std::get_if<Error>(&r)) return *e;
    ADD_FAILURE() << "read without an error";
    return {};
}

// The moves as one line, "B pd W - ..." with "-" for a pass at (0, 0).
std::string movesOf(const Record& r) {
    std::string out;
    for (const Move& m : r.moves) {
        out += out.empty() ? "" : " ";
        out += m.colour > 0 ? "B " : "W ";
        if (m.pass) {
            out += m.at == Point{} ? "-" : "pass off (0, 0)";
        } else {
            out += {static_cast<char>('a' + m.at.x - 1), static_cast<char>('a' + m.at.y - 1)};
        }
    }
    return out;
}

TEST(SgfRoundTrip, RandomRecordsComeBackUnchanged) {
    std::mt19937 rng(20240309);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::vector<std::string> pieces = {"a", "]", "\\", "\n", "\r\n", "[", ":", "\\]",
                                             "山田", "ソ", "表", " ", ")", "(;", "tt"};
    auto text = [&] {
        std::string s;
        for (int n = pick(8); n > 0; --n) s += pieces[pick(static_cast<int>(pieces.size()))];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        Record r;
        r.size = std::array{19, 13, 9}[round % 3];
        bool used[19][19] = {};
        for (int n = pick(6); n > 0; --n) {
            const Point p{1 + pick(r.size), 1 + pick(r.size)};
            if (!std::exchange(used[p.x - 1][p.y - 1], true))
                (pick(2) ? r.black_setup : r.white_setup).push_back(p);
        }
        for (int n = pick(40); n > 0; --n) {
            const bool pass = pick(8) == 0;
            const Point at = pass ? Point{} : Point{1 + pick(r.size), 1 + pick(r.size)};
            r.moves.push_back({pick(2) ? 1 : -1, pass, at, pick(4) ? "" : text(),
                               pick(5) ? 0 : (pick(2) ? 1 : -1)});
        }
        for (int after = 1; after <= static_cast<int>(r.moves.size()); ++after) {
            if (pick(4)) continue;
            sgf::Setup& t = r.later_setup.emplace_back();
            t.after = after;
            bool set[19][19] = {};
            for (int n = 1 + pick(5); n > 0; --n) {
                const Point p{1 + pick(r.size), 1 + pick(r.size)};
                if (!std::exchange(set[p.x - 1][p.y - 1], true))
                    std::array{&t.black, &t.white, &t.empty}[pick(3)]->push_back(p);
            }
        }
        for (const char* id : {"PB", "PW", "KM", "RE", "DT", "C", "GN", "EV", "HA", "PL", "XYZ"})
            if (pick(2)) r.info.emplace_back(id, pick(3) ? "山田 " + text() : text());
        std::shuffle(r.info.begin(), r.info.end(), rng);
        const std::string written = write(r);
        ASSERT_EQ(readOk(written), r) << written;
    }
}

TEST(SgfRoundTrip, WriterKeepsToWhatItCanReadBack) {
    Record r;
    r.info = {{"PB", "黒]\\"}, {"SZ", "9"}, {"B", "dd"},
              {"bad", "x"}, {"PB", "again"}, {"KM", "6.5"}};
    r.black_setup = {{4, 4}, {20, 1}};
    r.moves = {{1, false, {17, 4}, "a]b"}, {-1, true, {}, ""}, {1, false, {0, 5}, ""}};
    const std::string w = write(r);
    EXPECT_EQ(w.rfind("(;FF[4]GM[1]CA[UTF-8]SZ[19]", 0), 0u) << w;
    EXPECT_EQ(w.substr(w.size() - 2), ")\n");
    EXPECT_NE(w.find("PB[黒\\]\\\\]"), std::string::npos) << w;
    EXPECT_NE(w.find(";B[qd]C[a\\]b]\n;W[]"), std::string::npos) << w;
    // Only the writer's own SZ, no move as information, no repeat, no identifier it could
    // not read; a stone off the board goes as a pass, a setup stone off the board not at all.
    const Record back = readOk(w);
    EXPECT_EQ(back.info, (Info{{"PB", "黒]\\"}, {"KM", "6.5"}}));
    EXPECT_EQ(back.black_setup, (Points{{4, 4}}));
    EXPECT_EQ(movesOf(back), "B qd W - B -");

    Record many;  // long games are broken into lines
    for (int i = 0; i < 100; ++i)
        many.moves.push_back({i % 2 ? -1 : 1, false, {1 + i % 19, 1 + i / 19}, ""});
    const std::string text = write(many);
    EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_EQ(readOk(text), many);
}

// A move's annotations as read from its node, as written (in their order, whatever the
// file's), and read back the same; what cannot be read is left out.
TEST(SgfRoundTrip, AMovesAnnotations) {
    struct Case {
        const char* node;  // after ";B[qd]"
        Annotations read;
        const char* written;  // after ";B[qd]"
    } cases[] = {
        {"LB[pp:A][qq:よい手]C[x]TR[dd][ee]BM[2]V[2.5]",
         {2.5, 2, {{4, 4}, {5, 5}}, {{{16, 16}, "A"}, {{17, 17}, "よい手"}}},
         "BM[2]V[2.5]C[x]TR[dd][ee]LB[pp:A][qq:よい手]\n"},
        {"V[-13]BM[1]", {-13.0, 1, {}, {}}, "BM[1]V[-13]\n"},
        {"V[+0.50]", {0.5, 0, {}, {}}, "V[0.5]\n"},
        {"V[1000000000000000000000]", {1e21, 0, {}, {}}, "V[1000000000000000000000]\n"},
        {"TR[aa:bb]LB[cc:two\nlines\\]]", {{}, 0, {{1, 1}, {2, 1}, {1, 2}, {2, 2}}, {{{3, 3}, "two lines]"}}},
         "TR[aa][ba][ab][bb]LB[cc:two lines\\]]\n"},
        // Malformed values: left out, the rest of the node kept.
        {"V[1e3]BM[3]TR[zz]LB[dd]LB[zz:A]", {}, ";W"},
        {"V[2,5]BM[x]TR[aa:zz]", {}, ";W"},
        {"V[inf]V[1.2.3]BM[]TR[]C[c]", {}, "C[c]\n;W"},
        {"V[-]BM[1.0]TR[dd]", {{}, 0, {{4, 4}}, {}}, "TR[dd]\n"},
    };
    for (const Case& c : cases) {
        const Record r = readOk("(;SZ[19];B[qd]" + std::string(c.node) + ";W[dd])");
        ASSERT_EQ(r.moves.size(), 2u) << c.node;
        EXPECT_EQ(r.moves[0].annotations, c.read) << c.node;
        const std::string written = write(r);
        EXPECT_NE(written.find(";B[qd]" + std::string(c.written)), std::string::npos) << c.node << "\n" << written;
        EXPECT_EQ(readOk(written), r) << written;
    }
}

TEST(SgfFiles, GnuGoStyleWithHandicap) {
    const Record r = readOk(dataFile("gnugo.sgf"));
    EXPECT_EQ(r.black_setup, (Points{{4, 16}, {16, 4}}));
    EXPECT_TRUE(r.white_setup.empty());
    EXPECT_EQ(movesOf(r), "W qp B oq W dd B qn W fc B po W cn B fq W - B -");
    EXPECT_EQ(r.info, (Info{{"GN", "GNU Go 3.8 load and print"}, {"DT", "2024-03-09"},
                            {"KM", "0.5"}, {"HA", "2"}, {"RU", "Japanese"}, {"AP", "GNU Go:3.8"},
                            {"PB", "GNU Go"}, {"PW", "Human"}, {"RE", "W+3.5"}, {"PL", "W"}}));
}

TEST(SgfFiles, ShiftJisWithAndWithoutCharsetAndEucJp) {
    for (const char* name : {"shift-jis.sgf", "shift-jis-no-ca.sgf"}) {
        SCOPED_TRACE(name);
        const Record r = readOk(dataFile(name));
        // ソ, 能 and 表 end in the byte of "\", which must not escape what follows.
        EXPECT_EQ(r.info, (Info{{"PB", "山田 太郎"}, {"PW", "ソン 能子"}, {"KM", "6.5"},
                                {"RE", "B+R"}, {"DT", "2023-04-01"}, {"EV", "第1回 表彰大会"},
                                {"GN", "決勝"}, {"C", "対局の解説：黒番はソ"}}));
        EXPECT_EQ(movesOf(r), "B pd W dd B pq W dp B fq");
        EXPECT_EQ(r.moves[0].comment, "星から始まる。");
        EXPECT_EQ(r.moves[1].comment, "白も星。\r\n二行目です。]記号");
        EXPECT_EQ(r.moves[3].comment, "ソ");
    }
    const Record r = readOk(dataFile("euc-jp.sgf"));
    EXPECT_EQ(r.get("PB"), "佐藤 花子");
    EXPECT_EQ(r.moves.at(0).comment, "小目です。");
    EXPECT_EQ(movesOf(r), "B qd W dc B pp W dq");
}

TEST(SgfFiles, VariationsPassesOldIdentifiersAndCompressedLists) {
    Record r = readOk(dataFile("variations.sgf"));
    EXPECT_EQ(movesOf(r), "B pd W dd B pq W dp B fq");
    EXPECT_EQ(r.moves[0].comment, "main line");
    EXPECT_EQ(r.moves[2].comment, "first branch: the main line");
    for (const Move& m : r.moves) EXPECT_EQ(m.comment.find("side"), std::string::npos);
    EXPECT_EQ(r.info, (Info{{"PB", "Black"}, {"PW", "White"}}));

    r = readOk(dataFile("passes.sgf"));
    EXPECT_EQ(movesOf(r), "B dd W - B pp W - B - W -");
    EXPECT_EQ(r.moves[4].comment, "both pass");

    r = readOk(dataFile("ff3-lowercase.sgf"));
    EXPECT_EQ(r.info, (Info{{"PB", "Old Style"}, {"PW", "Program"}, {"KM", "5.5"}}));
    EXPECT_EQ(r.black_setup, (Points{{4, 4}, {16, 16}}));
    EXPECT_EQ(r.white_setup, (Points{{4, 16}}));
    EXPECT_EQ(movesOf(r), "B pd W qq");
    EXPECT_EQ(r.moves[0].comment, "identifiers with small letters");

    r = readOk(dataFile("compressed.sgf"));
    EXPECT_EQ(r.black_setup, (Points{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}, {1, 3},
                                     {2, 3}, {3, 3}, {19, 19}}));
    EXPECT_EQ(r.white_setup, (Points{{16, 16}, {17, 16}, {16, 17}, {17, 17}, {5, 1}, {5, 2}}));

    // Setup in later nodes: before the first move it joins the root's; between two moves
    // (in nodes of its own and in the next move's node) it is one setup, the last change
    // of a point counting.
    r = readOk("(;AB[aa][bb];AE[aa]AW[cc];B[dd];AB[ee:ef];AE[dd]AW[aa];W[ff]AE[ee];B[gg];AB[hh])");
    EXPECT_EQ(r.black_setup, (Points{{2, 2}}));
    EXPECT_EQ(r.white_setup, (Points{{3, 3}}));
    EXPECT_EQ(movesOf(r), "B dd W ff B gg");
    EXPECT_EQ(r.later_setup, (std::vector<sgf::Setup>{{1, {{5, 6}}, {{1, 1}}, {{4, 4}, {5, 5}}},
                                                 {3, {{8, 8}}, {}, {}}}));
}

// What a file holds beside the record read from it is counted, so that nothing is
// written over it unsaid. Faults caught: a variation or a later game not counted (its
// loss would go unsaid), a bracket or "(;" inside a value counted as a tree, and a file
// with nothing beside its main line (or one the writer wrote) said to lose something.
TEST(SgfFiles, WhatTheRecordLeavesOutIsCounted) {
    struct Case {
        const char* text;
        int variations;
        int games;
        std::vector<std::string> properties;
    } cases[] = {
        {"(;GM[1]FF[4]SZ[9];B[ee](;W[cc];B[gg])(;W[gc]))", 1, 0, {}},
        {"(;SZ[9];B[ee](;W[cc](;B[gg])(;B[gf])(;B[ge]))(;W[gc]))", 3, 0, {}},
        // A value holding brackets and parentheses, in the main line and in a later tree.
        {"(;SZ[9]C[a (; b];B[ee]C[x \\] (;W[aa]) y])(;SZ[9]C[(;B[aa])];B[cc])  (;SZ[9])", 0, 2, {}},
        // Marks, a node name, a comment on a node without a move, times: left out.
        {"(;SZ[9];B[ee]SQ[cc]N[名前]BL[30];C[どの手にも付かない];W[cc]CR[dd][de]MA[ee])", 0, 0,
         {"BL", "C", "CR", "MA", "N", "SQ"}},
        // Everything the record keeps: nothing is left out.
        {"(;GM[1]FF[4]SZ[9]PB[黒]EV[棋戦]C[説明]GN[x]AB[aa];B[ee]C[c]V[1.5]BM[1]TR[cc]LB[dd:A]PL[B];AB[ff]AE[aa];W[cc])",
         0, 0, {}},
        {"(;SZ[9];B[ee];W[cc];B[gg])", 0, 0, {}},
    };
    for (const Case& c : cases) {
        const Record r = readOk(c.text);
        EXPECT_EQ(r.unkept.variations, c.variations) << c.text;
        EXPECT_EQ(r.unkept.games, c.games) << c.text;
        EXPECT_EQ(r.unkept.properties, c.properties) << c.text;
        EXPECT_EQ(r.unkept.any(), c.variations + c.games + c.properties.size() > 0) << c.text;
        // What the writer writes holds nothing beside its record.
        EXPECT_FALSE(readOk(write(r)).unkept.any()) << c.text;
    }
    const Record v = readOk(dataFile("variations.sgf"));
    EXPECT_EQ(v.unkept.variations, 5);
    EXPECT_EQ(v.unkept.games, 1);
    EXPECT_TRUE(v.unkept.properties.empty());
}

TEST(SgfText, EscapesLineBreaksAndWhiteSpace) {
    Record r = readOk(
        "(;GM[1]PB[a\\]b\\\\c\\:d]PW[soft\\\nbreak]GN[soft\\\r\nbreak too]"
        ";B[aa]C[line one\nline two\\\n still two];W[bb]C[first]C[second])");
    EXPECT_EQ(r.info, (Info{{"PB", "a]b\\c:d"}, {"PW", "softbreak"}, {"GN", "softbreak too"}}));
    EXPECT_EQ(r.moves.at(0).comment, "line one\nline two still two");
    EXPECT_EQ(r.moves.at(1).comment, "first");
    // White space between all tokens; the first value of a multi-valued or repeated root
    // property; markup kept as information in the root, a move's mark later; one colour a point.
    r = readOk(" \n ( \n ; GM [1] SZ [19:19] PB [one] [two] PB [three] LB[dd:A]\n"
               "AB [dd] AB [dd] AW[dd]\n ; B [ pd ] TR[aa] BL[30] ; \n ; W[qq] ) ");
    EXPECT_EQ(r.info, (Info{{"PB", "one"}, {"LB", "dd:A"}}));
    EXPECT_TRUE(r.black_setup.empty());
    EXPECT_EQ(r.white_setup, (Points{{4, 4}}));
    EXPECT_EQ(movesOf(r), "B pd W qq");
}

// A NUL or an escape sequence in a file would reach GTP's printsgf response and the
// files written: text keeps only line breaks and tabs of the control characters, on
// reading and on writing.
TEST(SgfText, ControlCharactersOtherThanLineBreaksAndTabsAreDropped) {
    const std::string nasty = std::string("a\0b\x1b[31m\tc\x7f\r\nd\xc2\x85" "e\x01" "f", 19);
    const std::string clean = "ab[31m\tc\r\ndef";
    const Record r = readOk("(;PB[" + nasty + "];B[aa]C[" + nasty + "])");
    EXPECT_EQ(r.get("PB"), clean);
    EXPECT_EQ(r.moves.at(0).comment, clean);
    Record written;
    written.info = {{"PW", nasty}};
    written.moves = {{1, false, {1, 1}, nasty}};
    EXPECT_EQ(write(written), "(;FF[4]GM[1]CA[UTF-8]SZ[19]\nPW[" + clean + "]\n;B[aa]C[" + clean + "]\n)\n");
}

TEST(SgfText, CharsetNamesAndGuesses) {
    const std::string go = "碁", sjis = "\x8c\xe9", euc = "\xb8\xeb";
    auto player = [](const std::string& text) { return readOk(text).get("PB"); };
    for (const char* name : {"SJIS", "cp932", "Windows-31J", "Shift-JIS"})
        EXPECT_EQ(player("(;CA[" + std::string(name) + "]PB[" + sjis + "])"), go) << name;
    EXPECT_EQ(player("(;CA[eucJP]PB[" + euc + "])"), go);
    EXPECT_EQ(player("(;CA[Latin1]PB[\xe9])"), "é");
    // A UTF-8 label on Shift_JIS bytes, no label: guessed. A charset that cannot be
    // decoded, unknown or not keeping ASCII, on UTF-8 text: UTF-8.
    EXPECT_EQ(player("(;CA[UTF-8]PB[" + sjis + "])"), go);
    EXPECT_EQ(player("(;PB[" + go + "])"), go);
    for (const char* name : {"foo", "UTF-16"})
        EXPECT_EQ(player("(;CA[" + std::string(name) + "]PB[" + go + "])"), go) << name;
    // Bytes that are Shift_JIS and EUC-JP both (亜 in EUC-JP) are taken as Shift_JIS.
    EXPECT_EQ(player("(;PB[\xb0\xa1])"), "ｰ｡");
    // A byte order mark or a header line before the tree.
    EXPECT_EQ(player("\xEF\xBB\xBF(;PB[" + go + "])"), go);
    EXPECT_EQ(player("Game (saved)\r\n(;PB[x];B[aa])"), "x");
}

TEST(SgfBadInput, EachProblem) {
    const struct {
        std::string text;
        Problem problem;
        int move;
    } cases[] = {
        {"", Problem::not_sgf, 0},
        {"hello (world) ;", Problem::not_sgf, 0},
        {"(;GM[1]PB[unclosed", Problem::syntax, 0},
        {"(;GM[1];B[aa](", Problem::syntax, 0},
        {"(;GM[1] 12[aa])", Problem::syntax, 0},
        {"(;GM[1]PB)", Problem::syntax, 0},
        {"(;GM[1]pb[x])", Problem::syntax, 0},
        {"(;GM[1](B[aa]))", Problem::syntax, 0},
        {"(;GM[1];B[aa](;W[bb])(;W[cc]PB[x))", Problem::syntax, 0},
        {"(;SZ[7])", Problem::board_size, 0},
        {"(;SZ[19:13])", Problem::board_size, 0},
        {"(;GM[3]SZ[8])", Problem::game, 0},
        {"(;CA[UTF-8]PB[\xff\xff\xff])", Problem::text, 0},
        {"(;CA[foo]PB[\x8c\xe9])", Problem::charset, 0},
        {"(;CA[UTF-16]PB[\x8c\xe9])", Problem::charset, 0},
        {"(;;B[aa];W[zz])", Problem::bad_point, 2},
        {"(;;B[aa];W[a])", Problem::bad_point, 2},
        {"(;;B[aa];W[ab:cd])", Problem::bad_point, 2},
        {"(;AB[aa:ta])", Problem::bad_point, 0},
        {"(;AW[tt])", Problem::bad_point, 0},
        {"(;AB[jj]SZ[9])", Problem::bad_point, 0},
        {"(;SZ[13]AB[aa:an])", Problem::bad_point, 0},
        {"(;SZ[9];B[aa];W[ja])", Problem::bad_point, 2},
        {"(;B[aa];W[bb]B[cc])", Problem::two_moves, 2},
        {"(;;B[aa][bb])", Problem::two_moves, 1},
        {"(;SZ[9];B[aa];AE[aa:ja];W[bb])", Problem::bad_point, 0},
        {"(;" + std::string(max_bytes, ' ') + ")", Problem::too_large, 0},
    };
    for (const auto& c : cases) {
        const Error e = readError(c.text);
        EXPECT_EQ(e.problem, c.problem) << c.text.substr(0, 60) << ": " << e.detail;
        EXPECT_EQ(e.move, c.move) << c.text.substr(0, 60);
        EXPECT_FALSE(e.detail.empty());
    }
    // Problems off the main line are not looked at.
    EXPECT_EQ(movesOf(readOk("(;;B[aa](;W[bb])(;W[zz]AB[cc]B[dd]))")), "B aa W bb");
}

TEST(SgfBadInput, CutFilesDeepNestingAndLongValues) {
    // Every prefix reads as the same text with its trees closed: a file cut after a
    // whole node or variation as far as it goes, one cut anywhere else as an error.
    for (const char* name : {"variations.sgf", "shift-jis.sgf", "compressed.sgf"}) {
        const std::string text = dataFile(name);
        const std::size_t second = text.rfind(")\n(;FF");
        const std::size_t end = (second != std::string::npos ? second : text.rfind(')')) + 1;
        int cut = 0;
        for (std::size_t n = 0; n < end; ++n) {
            const std::string prefix = text.substr(0, n);
            const auto r = read(prefix), closed = read(prefix + "))))))))");
            ASSERT_EQ(r.index(), closed.index()) << name << " cut at " << n;
            if (const Record* record = std::get_if<Record>(&r)) {
                EXPECT_EQ(*record, std::get<Record>(closed)) << name << " cut at " << n;
                ++cut;
            } else {
                EXPECT_EQ(std::get<Error>(r).problem, std::get<Error>(closed).problem) << n;
            }
        }
        EXPECT_GT(cut, 3) << name;
    }
    const int deep = 100000;
    const std::string open(deep, '(');
    EXPECT_EQ(readError(open).problem, Problem::not_sgf);
    EXPECT_EQ(readError("(;" + open).problem, Problem::syntax);
    std::string nested;
    for (int i = 0; i < deep; ++i) nested += i % 2 ? "(;W[bb]" : "(;B[aa]";
    EXPECT_EQ(readOk(nested).moves.size(), static_cast<std::size_t>(deep));
    EXPECT_EQ(readOk(nested + std::string(deep, ')')).moves.size(), static_cast<std::size_t>(deep));

    const std::string value(100000, 'x');
    EXPECT_EQ(readOk("(;PB[" + value + "];B[aa]C[" + value + "])").moves.at(0).comment, value);
    EXPECT_EQ(readError("(;PB[" + value).problem, Problem::syntax);
    EXPECT_EQ(readError("(;PB[" + std::string(100001, '\\') + "])").problem, Problem::syntax);
}

}  // namespace
}  // namespace tolvan::sgf
