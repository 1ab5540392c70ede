// What a record written over a file would lose of it, and how the question says so.
// Each case is a file as read and a record about to be saved; the expected sentence is
// written out, never built by the code under test.
#include <gtest/gtest.h>

#include <string>

#include "records/losses.h"
#include "records/sgf.h"

namespace tolvan::sgf {
namespace {

Record readOk(const std::string& text) {
    auto r = read(text);
    if (const Error* e = std::get_if<Error>(&r)) {
        ADD_FAILURE() << e->detail << " in " << text;
        return {};
    }
    return std::get<Record>(r);
}

constexpr const char* issue_file =
    "(;GM[1]FF[4]SZ[9]PB[山田]PW[佐藤]EV[研究会]KM[6.5]RE[W+3.5]DT[2026-11-30]"
    ";B[ee]C[一手目];W[cc];B[gg];W[gc]C[ここが問題];B[cg])";

// Faults caught: a cut record, changed information or a file's variations saved over it
// unsaid (each row that loses something), and the opposite, a question where nothing is
// lost: the same record, one continued from the file's end, a komi written another way,
// the game's own AP.
TEST(RecordLosses, WhatEachSaveWouldLoseIsSaid) {
    struct Case {
        const char* name;
        std::string file;
        std::string saved;
        std::string said;
    } cases[] = {
        {"the same record", issue_file, issue_file, ""},
        {"moves added after the end, the result dropped as a new game has none yet",
         "(;SZ[9]PB[山田];B[ee];W[cc])", "(;SZ[9]PB[山田];B[ee];W[cc];B[gg];W[gc])", ""},
        {"komi written another way, the program's name", "(;SZ[9]KM[6.50]AP[Other:2];B[ee])",
         "(;SZ[9]KM[6.5]AP[Tolvan:1.0];B[ee])", ""},
        {"cut after the third move, a comment on a lost move", issue_file,
         "(;GM[1]FF[4]SZ[9]PB[山田]PW[佐藤]EV[研究会]KM[6.5]RE[W+3.5]DT[2026-11-30];B[ee]C[一手目];W[cc];B[gg])",
         "元の棋譜の4手目以降（コメントを含む）が失われます。"},
        {"a move changed, the players, date and result gone", issue_file,
         "(;SZ[9]PB[先手]PW[後手]EV[研究会]KM[6.5]DT[2026-12-08];B[ee]C[一手目];W[cc];B[gg];W[dd])",
         "元の棋譜の4手目以降（コメントを含む）と対局者・結果・日付の情報が失われます。"},
        {"moves without comments cut", "(;SZ[9];B[ee];W[cc];B[gg])", "(;SZ[9];B[ee])",
         "元の棋譜の2手目以降が失われます。"},
        {"information only", "(;SZ[9]GN[名局]KM[6.5]XX[謎];B[ee])", "(;SZ[9]KM[0];B[ee])",
         "元の棋譜の対局名・コミ・XXの情報が失われます。"},
        {"a comment of a move both hold", "(;SZ[9];B[ee]C[好手];W[cc])", "(;SZ[9];B[ee];W[cc])",
         "元の棋譜のコメントが失われます。"},
        {"a variation", "(;GM[1]FF[4]SZ[9];B[ee](;W[cc];B[gg])(;W[gc]))", "(;SZ[9];B[ee];W[cc];B[gg])",
         "元の棋譜の分岐が失われます。"},
        {"marks the record has no place for", "(;SZ[9];B[ee]SQ[aa];W[cc]N[x])", "(;SZ[9];B[ee];W[cc])",
         "元の棋譜の記号などの書き込み（N・SQ）が失われます。"},
        {"other games of a collection", "(;SZ[9];B[ee])(;SZ[9];B[aa])(;SZ[19])", "(;SZ[9];B[ee])",
         "このファイルにあるほかの2局の棋譜が失われます。"},
        {"a variation and another game", "(;SZ[9];B[ee](;W[aa])(;W[bb]))(;SZ[9])", "(;SZ[9];B[ee];W[aa])",
         "元の棋譜の分岐が失われます。このファイルにあるほかの1局の棋譜も失われます。"},
        {"stones set before the first move changed", "(;SZ[9]AB[cc][gg];W[ee])", "(;SZ[9]AW[cc][gg];B[ee])",
         "元の棋譜の置石とすべての手が失われます。"},
        {"stones set between moves changed", "(;SZ[9];B[ee];AB[aa];W[cc];B[gg])", "(;SZ[9];B[ee];W[cc];B[gg])",
         "元の棋譜の2手目以降が失われます。"},
    };
    for (const Case& c : cases) {
        const Losses l = lossesOf(readOk(c.file), readOk(c.saved));
        EXPECT_EQ(japanese(l), c.said) << c.name;
        EXPECT_EQ(l.any(), !c.said.empty()) << c.name;
    }
}

// The first move lost is counted as the record numbers its moves, passes included; the
// information lost is named in the file's order, each identifier once.
TEST(RecordLosses, TheFirstLostMoveCountsPassesAndInformationKeepsTheFilesOrder) {
    const Losses l = lossesOf(readOk("(;SZ[9]RE[B+R]PW[b]PB[a];B[ee];W[];B[cc];W[dd])"),
                              readOk("(;SZ[9];B[ee];W[];B[cc])"));
    EXPECT_EQ(l.from_move, 4);
    EXPECT_FALSE(l.lost_moves_noted);
    EXPECT_EQ(l.info, (std::vector<std::string>{"RE", "PW", "PB"}));
    EXPECT_EQ(japanese(l), "元の棋譜の4手目以降と結果・対局者の情報が失われます。");
}

}  // namespace
}  // namespace tolvan::sgf
