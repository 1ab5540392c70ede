// A file's game trees read whole: every variation, game and property kept, written and
// read again as the same trees; a line of the tree made into a record; and the edits a
// record's tree takes (a main line chosen, a variation removed).
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "records/sgf.h"
#include "records/tree.h"

namespace tolvan::sgf {
namespace {

Collection collection(const std::string& text) {
    auto c = readCollection(text);
    if (const auto* e = std::get_if<Error>(&c)) ADD_FAILURE() << "not read: " << e->detail;
    return std::get_if<Collection>(&c) ? std::get<Collection>(c) : Collection{};
}

// A tree's shape and moves in a short form: each node's B or W value (or "-" for a node
// without a move), a variation in brackets: "ee[cc gg][gc]" for a move with two
// variations below it.
std::string shape(const GameTree& t, int node) {
    std::string out;
    for (;;) {
        const std::string b = t.value(node, "B"), w = t.value(node, "W");
        if (node != GameTree::root) out += (out.empty() ? "" : " ") + (b.empty() ? w.empty() ? "-" : w : b);
        const std::vector<int> kids = t.children(node);
        if (kids.size() == 1) {
            node = kids.front();
            continue;
        }
        for (int k : kids) out += "[" + shape(t, k) + "]";
        return out;
    }
}

// Each file read, written and read again gives the same trees, with the shape and the
// properties written here by hand. Faults caught: variations dropped or moved to the main
// line, a collection's later games lost, unknown properties or their later values
// dropped, escapes undone or doubled (a "]" in a comment then ends the value early), setup
// in a variation lost, a file in Shift_JIS written back in it under CA[UTF-8].
TEST(SgfTree, EveryNodeAndPropertyIsKept) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> shapes;  // one for each game
        std::string property;             // a property's value to find after the round trip
        int node;                         // in the first game, numbered in the order written
        std::string id;
    };
    const Case cases[] = {
        {"variations deep in the tree", "(;GM[1]FF[4]SZ[9];B[ee](;W[cc];B[gg])(;W[gc]C[variation]))",
         {"ee[cc gg][gc]"}, "variation", 4, "C"},
        {"variations at the root", "(;SZ[9](;B[aa];W[bb])(;B[cc])(;B[dd]))", {"[aa bb][cc][dd]"}, "cc", 3, "B"},
        {"a collection", "(;SZ[9];B[aa])(;SZ[13];B[bb];W[cc])\n(;SZ[19]GN[third])",
         {"aa", "bb cc", ""}, "aa", 1, "B"},
        {"unknown properties with all their values", "(;SZ[9]XY[one][two];B[aa]MA[bb][cc]ZZ[])",
         {"aa"}, "bb", 1, "MA"},
        {"escapes in values", "(;SZ[9];B[aa]C[a \\] and a \\\\ in it])", {"aa"}, "a \\] and a \\\\ in it", 1, "C"},
        {"setup in a variation", "(;SZ[9];B[ee](;AB[aa][bb]AW[cc];W[dd])(;W[ff]))", {"ee[- dd][ff]"}, "bb", 2,
         "AB"},
        {"identifiers of old files", "(;SZ[9];AddBlack[aa]Black[bb])", {"bb"}, "aa", 1, "AB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Collection first = collection(c.file);
        const Collection again = collection(first.text());
        ASSERT_EQ(again.games.size(), c.shapes.size());
        ASSERT_EQ(first.games.size(), c.shapes.size());
        for (std::size_t g = 0; g < c.shapes.size(); ++g) {
            EXPECT_EQ(shape(again.games[g], GameTree::root), c.shapes[g]) << "game " << g + 1;
            EXPECT_TRUE(first.games[g].sameTree(again.games[g])) << "game " << g + 1;
        }
        const GameTree& t = again.games.front();
        const std::vector<int> order = t.nodesInOrder();
        ASSERT_LT(static_cast<std::size_t>(c.node), order.size());
        const int node = order[static_cast<std::size_t>(c.node)];
        bool found = false;
        for (const Property& p : t.properties(node))
            for (const std::string& v : p.values) found = found || (p.id == c.id && v == c.property);
        EXPECT_TRUE(found) << c.id << "[" << c.property << "] not in " << t.nodeText(node);
    }
}

// The other way: trees that differ are told apart, and what is broken is not read.
// Faults caught: a comparison that looks at the main line or the moves alone (and so
// calls a lost variation or comment a round trip), and a reader that takes a broken first
// game for a good one.
TEST(SgfTree, DifferentTreesAndBrokenFilesAreToldApart) {
    const GameTree base = collection("(;SZ[9];B[ee](;W[cc])(;W[gc]C[x]))").games.front();
    for (const char* other : {"(;SZ[9];B[ee](;W[cc]))", "(;SZ[9];B[ee](;W[cc])(;W[gc]C[y]))",
                              "(;SZ[9];B[ee](;W[gc]C[x])(;W[cc]))", "(;SZ[9]KM[6.5];B[ee](;W[cc])(;W[gc]C[x]))"}) {
        EXPECT_FALSE(base.sameTree(collection(other).games.front())) << other;
    }
    for (const char* broken : {"(;SZ[9];B[ee](W[cc]))", "(;SZ[9];B[ee]C[never closed", "(;SZ[9];B[ee];5[x])",
                               "no game here"}) {
        EXPECT_TRUE(std::holds_alternative<Error>(readCollection(broken))) << broken;
    }
}

// A broken game after the first is kept as it was; a file cut off after a whole node
// reads as far as it goes; control characters go, with an escape before one; what is
// written is UTF-8. Faults caught: a collection whose later game is broken refused (or
// that game lost on saving), a cut-off file refused, a NUL written into a file, an escape
// left to swallow the closing bracket, a file's charset kept in CA over UTF-8 text.
TEST(SgfTree, BrokenLaterGamesCutOffFilesControlCharactersAndCharsets) {
    const Collection c = collection("(;SZ[9];B[aa])(;SZ[9];B[bb](W[cc]))");
    ASSERT_EQ(c.games.size(), 1u);
    EXPECT_EQ(c.rest, "(;SZ[9];B[bb](W[cc]))");
    EXPECT_NE(c.text().find("(;SZ[9];B[bb](W[cc]))"), std::string::npos);

    const Collection cut = collection("(;SZ[9];B[aa];W[bb](;B[cc]");
    ASSERT_EQ(cut.games.size(), 1u);
    EXPECT_EQ(shape(cut.games.front(), GameTree::root), "aa bb cc");

    const char raw[] = "(;SZ[9];B[aa]C[a\0b\\\x01])";
    const Collection controls = collection(std::string(raw, sizeof raw - 1));
    ASSERT_EQ(controls.games.size(), 1u);
    const GameTree& t = controls.games.front();
    EXPECT_EQ(t.value(t.mainLine()[1], "C"), "ab");
    EXPECT_TRUE(collection(controls.text()).games.front().sameTree(t));

    // A file in Shift_JIS ("黒番") is written back in UTF-8 and says so, not under the
    // charset it was read in, which another program would then misread.
    const std::string text = collection("(;CA[Shift_JIS]SZ[9]PB[\x8d\x95\x94\xd4];B[aa])").text();
    EXPECT_NE(text.find("CA[UTF-8]"), std::string::npos) << text;
    EXPECT_NE(text.find("PB[黒番]"), std::string::npos) << text;
    EXPECT_EQ(text.find("Shift_JIS"), std::string::npos) << text;
}

// A line of the tree becomes the record of that line; the edits of a record's tree.
// Faults caught: the record of a variation made from the main line, a main line chosen
// that leaves the order of the other variations changed or the line above it as it was, a
// removed variation still written, a new first child not the main line.
TEST(SgfTree, LinesMainLinesAndRemovedVariations) {
    Collection c = collection("(;SZ[9];B[ee](;W[cc];B[gg])(;W[gc];B[cg])(;W[cg]))");
    GameTree& t = c.games.front();
    // The nodes in the order written: root, ee, cc, gg, gc, cg (black), cg (white).
    const std::vector<int> order = t.nodesInOrder();
    const auto record = read(t.lineText(t.pathTo(order[5])));
    ASSERT_TRUE(std::holds_alternative<Record>(record));
    const Record& r = std::get<Record>(record);
    ASSERT_EQ(r.moves.size(), 3u);
    EXPECT_EQ(r.moves[1].at, (rules::Point{7, 3}));  // W[gc]
    EXPECT_EQ(r.moves[2].at, (rules::Point{3, 7}));  // B[cg]

    t.makeMainLine(order[5]);
    EXPECT_EQ(shape(t, GameTree::root), "ee[gc cg][cc gg][cg]");
    t.remove(order[2]);
    EXPECT_EQ(shape(t, GameTree::root), "ee[gc cg][cg]");
    t.remove(GameTree::root);
    EXPECT_EQ(shape(t, GameTree::root), "ee[gc cg][cg]");
    const int added = t.addChild(order[1], {{"W", {"dd"}}, {"C", {escaped("new ] line")}}}, true);
    EXPECT_EQ(shape(t, GameTree::root), "ee[dd][gc cg][cg]");
    EXPECT_EQ(t.value(added, "C"), "new \\] line");
    const Collection again = collection(c.text());
    EXPECT_EQ(shape(again.games.front(), GameTree::root), "ee[dd][gc cg][cg]");
}

// The game's line put into the record's tree becomes its main line, and what the tree
// held beyond where the line leaves it stays as a variation. Faults caught: a later move
// that throws away the moves after it (or the variations), moves taken back lost, a
// variation gone down made a second copy instead of the main line, a node of comments
// between moves taken for a branching (the game then doubled), the game's properties
// wiped (a mark, an unknown property, HA[0], a pass written "tt", a PL) or the record's
// own not taken (a comment added, a result taken away), setup in a node before the first
// move copied into the root and the line then made a second branch.
TEST(SgfTree, TheGamesLineBecomesTheMainLine) {
    const std::string tree = "(;SZ[9]RE[B+R]XY[a][b];B[ee]MA[aa](;W[cc];B[gg])(;W[gc]))";
    struct Case {
        const char* name;
        std::string tree, line, shape, end;  // end: the move of the node returned
    } cases[] = {
        {"the same line, a comment added", tree, "(;SZ[9];B[ee]C[good];W[cc];B[gg])", "ee[cc gg][gc]", "gg"},
        {"leaves the tree at the second move", tree, "(;SZ[9];B[ee];W[dd])", "ee[dd][cc gg][gc]", "dd"},
        {"goes down a variation and on", tree, "(;SZ[9];B[ee];W[gc];B[cg])", "ee[gc cg][cc gg]", "cg"},
        {"longer than the main line", tree, "(;SZ[9];B[ee];W[cc];B[gg];W[hh])", "ee[cc gg hh][gc]", "hh"},
        {"moves taken back", tree, "(;SZ[9];B[ee])", "ee[cc gg][gc]", "ee"},
        {"a comment between moves", "(;SZ[9];B[ee];C[between];W[cc])", "(;SZ[9];B[ee];W[cc];B[gg])", "ee - cc gg",
         "gg"},
        {"a tree of the root alone", "(;SZ[9])", "(;SZ[9];B[ee];W[cc])", "ee cc", "cc"},
        {"setup in a node of its own before the first move", "(;SZ[9];AB[aa][bb];B[ee];W[cc])",
         "(;SZ[9];AB[aa][bb];B[ee];W[cc])", "- ee cc", "cc"},
        {"a pass written as tt", "(;SZ[9];B[ee];W[tt];B[cc])", "(;SZ[9];B[ee];W[];B[cc])", "ee tt cc", "cc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Collection file = collection(c.tree);
        GameTree& t = file.games.front();
        const auto line = read(c.line);
        ASSERT_TRUE(std::holds_alternative<Record>(line));
        const int end = putLine(t, std::get<Record>(line));
        EXPECT_EQ(shape(t, GameTree::root), c.shape);
        EXPECT_EQ(t.value(end, "B") + t.value(end, "W"), c.end);
        // What the tree is written as reads back the same.
        EXPECT_TRUE(collection(file.text()).games.front().sameTree(t));
    }
    Collection file = collection(tree);
    GameTree& t = file.games.front();
    putLine(t, std::get<Record>(read("(;SZ[9]PB[黒];B[ee]C[good];W[cc])")));
    const int ee = t.mainLine()[1];
    EXPECT_EQ(t.value(ee, "C"), "good");
    EXPECT_EQ(t.value(ee, "MA"), "aa");
    for (const Property& p : t.properties(GameTree::root)) {
        if (p.id == "XY") EXPECT_EQ(p.values, (std::vector<std::string>{"a", "b"}));
    }
    EXPECT_EQ(t.value(GameTree::root, "PB"), "黒");
    EXPECT_EQ(t.value(GameTree::root, "RE"), "");
    // Setup in a node before the first move stays there, not copied into the root.
    Collection setup = collection("(;SZ[9];AB[aa][bb];B[ee])");
    putLine(setup.games.front(), std::get<Record>(read("(;SZ[9];AB[aa][bb];B[ee])")));
    EXPECT_EQ(setup.games.front().value(GameTree::root, "AB"), "");
    // A rectangle of setup points stays one.
    Collection rectangle = collection("(;SZ[9]AB[aa:cc][ee];B[gg])");
    putLine(rectangle.games.front(), std::get<Record>(read("(;SZ[9]AB[aa:cc][ee];B[gg])")));
    EXPECT_EQ(rectangle.games.front().value(GameTree::root, "AB"), "aa:cc");
    // HA[0] of a game without handicap stones stays, though the record writes no HA.
    Collection ha = collection("(;SZ[9]HA[0];B[ee])");
    putLine(ha.games.front(), std::get<Record>(read("(;SZ[9];B[ee])")));
    EXPECT_EQ(ha.games.front().value(GameTree::root, "HA"), "0");
    // A file's PL where the record says none stays: a record says it after its last move
    // alone.
    Collection pl = collection("(;SZ[9];B[ee]PL[W];W[cc])");
    putLine(pl.games.front(), std::get<Record>(read("(;SZ[9];B[ee];W[cc])")));
    EXPECT_EQ(pl.games.front().value(pl.games.front().mainLine()[1], "PL"), "W");
}

}  // namespace
}  // namespace tolvan::sgf
