// A file of game records as SGF holds it: every game of a collection, every node of each
// game's tree, every property of every node, in the order read. Nothing is interpreted
// here beyond the format itself: what a node's moves mean is for the record of one line
// of the tree (sgf::read of lineText), which the game then replays through its rules.
//
// A tree is held compactly: a node is five numbers, and its properties are kept as the
// node's text ("B[dd]C[...]"), their values exactly as the file wrote them (escapes
// kept), in one buffer for the whole tree. So memory grows with the file alone, and a
// value the program does not know is written back as it was read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "records/sgf.h"

namespace tolvan::sgf {

// One property of a node: its identifier (capital letters only: the lower-case letters
// of old files are dropped, as the reader drops them) and its values as the file wrote
// them, escapes and all.
struct Property {
    std::string id;
    std::vector<std::string> values;
    bool operator==(const Property&) const = default;
};

// A value as a property holds it, for text that is not yet in the format: "]" and "\"
// escaped, and no control characters but line breaks and tabs.
std::string escaped(std::string_view text);

class GameTree {
public:
    // A tree of one node, the root, without properties.
    GameTree();

    // The root is node 0. Nodes are numbered as they were made; a node removed keeps its
    // number but is no longer reached from the root.
    static constexpr int root = 0;
    int parent(int node) const { return nodes_[static_cast<std::size_t>(node)].parent; }
    // The node's children, the main line's first.
    std::vector<int> children(int node) const;
    int firstChild(int node) const { return nodes_[static_cast<std::size_t>(node)].first; }

    std::vector<Property> properties(int node) const;
    // The node's properties as the file writes them: "B[dd]C[a comment]".
    std::string_view nodeText(int node) const;
    // The first value of a property of the node, as written, or empty.
    std::string value(int node, std::string_view id) const;

    // Replaces the node's properties.
    void setProperties(int node, const std::vector<Property>& properties);
    // A new node below `parent` with `properties`: its last child, or its first when
    // `first` (a new main line there). Returns its number.
    int addChild(int parent, const std::vector<Property>& properties, bool first = false);
    // Makes the line from the root to `node` the main line: at each node on the way, the
    // child towards `node` becomes the first, the others keeping their order.
    void makeMainLine(int node);
    // Removes `node` and everything below it from the tree. The root is never removed.
    void remove(int node);

    // The main line: the root, then each node's first child.
    std::vector<int> mainLine() const;
    // The nodes from the root to `node`, both included.
    std::vector<int> pathTo(int node) const;
    // The nodes reached from the root, in the order a file writes them.
    std::vector<int> nodesInOrder() const;

    // The game tree as a file writes it, from "(" to ")".
    std::string text() const;
    // A game tree of the nodes of `path` alone (the root first, each the parent of the
    // next), for sgf::read to make the record of that line.
    std::string lineText(const std::vector<int>& path) const;

    // Every node reached from the root and its properties, equal in order and value.
    bool sameTree(const GameTree& other) const;

private:
    friend class TreeReader;
    struct Node {
        std::int32_t parent = -1;
        std::int32_t first = -1;  // first child
        std::int32_t next = -1;   // next sibling
        std::uint32_t begin = 0;  // the node's text in text_
        std::uint32_t length = 0;
    };
    int newNode(int parent, std::string_view text);

    std::vector<Node> nodes_;
    std::string text_;
};

// Puts the record's line into the tree and makes it the main line; returns the node of
// the line's end. The nodes the line shares with the tree, move for move from the root,
// take the record's properties of the kinds a record keeps (the move, its comment, a
// review's notes, setup, PL) and keep every other property; where the line leaves the
// tree it goes on in new nodes, and what the tree held beyond that point stays as a
// variation. A node of the tree without a move or setup (a comment between moves, a
// node of marks) is passed through, not taken for a branching. The root takes the
// record's game information and keeps the properties a record cannot hold (those of
// several values). -1, the tree unchanged, for a record too large to be read again.
int putLine(GameTree& tree, const Record& record);

// The game trees of a file, and what came after the last one read whole.
struct Collection {
    std::vector<GameTree> games;
    // A later game tree that breaks the format, and all after it, kept as it was so that
    // saving the first game loses nothing of the others; empty when every tree was read.
    std::string rest;
    // The file as written again, in UTF-8: each game tree with CA[UTF-8] in its root.
    std::string text() const;
};

// The most nodes a file may hold in all its game trees: far beyond any real record or
// collection of them, and a bound on the memory a file of empty nodes takes.
constexpr std::size_t max_nodes = std::size_t{1} << 20;

// Reads every game tree of `bytes`, decoded as sgf::read decodes them. The first game
// tree must read whole (the errors are sgf::read's, with too_large for more than
// max_nodes nodes); a later one that breaks the format is kept in `rest`. A file cut
// off after a whole node reads as far as it goes. Never crashes, hangs or allocates more
// than a small multiple of the input.
std::variant<Collection, Error> readCollection(std::string_view bytes);

}  // namespace tolvan::sgf
