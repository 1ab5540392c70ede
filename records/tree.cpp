// The game trees of a file. The reader follows the text once with a stack of the nodes
// that variations branch from, never by recursion, so that a deep file costs no stack;
// each node's properties are written into the tree's buffer in the form the writer
// writes them, ids in capitals and values as the file had them.
#include "records/tree.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace tolvan::sgf {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLetter(char c) { return isUpper(c) || (c >= 'a' && c <= 'z'); }

// A node's text split into properties: identifier, then values between brackets, each
// ending at the first "]" no "\" escapes.
std::vector<Property> split(std::string_view text) {
    std::vector<Property> out;
    std::size_t i = 0;
    while (i < text.size()) {
        Property p;
        while (i < text.size() && text[i] != '[') p.id += text[i++];
        while (i < text.size() && text[i] == '[') {
            const std::size_t start = ++i;
            while (i < text.size() && text[i] != ']') i += text[i] == '\\' ? 2 : 1;
            p.values.emplace_back(text.substr(start, std::min(i, text.size()) - start));
            ++i;
        }
        out.push_back(std::move(p));
    }
    return out;
}

// The properties as one node's text; a property without values gets an empty one, so
// that what is written can be read.
std::string join(const std::vector<Property>& properties) {
    std::string out;
    for (const Property& p : properties) {
        std::string id;
        for (char c : p.id)
            if (isUpper(c)) id += c;
        if (id.empty()) continue;
        out += id;
        if (p.values.empty()) out += "[]";
        for (const std::string& v : p.values) {
            out += '[';
            // A value made elsewhere may hold a "]" or a lone "\" at its end: both would
            // end the value early or swallow its bracket.
            for (std::size_t i = 0; i < v.size(); ++i) {
                if (v[i] == '\\' && i + 1 < v.size()) {
                    out += v[i];
                    out += v[++i];
                } else {
                    if (v[i] == ']' || v[i] == '\\') out += '\\';
                    out += v[i];
                }
            }
            out += ']';
        }
    }
    return out;
}

}  // namespace

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : withoutControlCharacters(text)) {
        if (c == ']' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

GameTree::GameTree() { nodes_.push_back(Node{}); }

int GameTree::newNode(int parent, std::string_view text) {
    Node n;
    n.parent = parent;
    n.begin = static_cast<std::uint32_t>(text_.size());
    n.length = static_cast<std::uint32_t>(text.size());
    text_ += text;
    nodes_.push_back(n);
    const int id = static_cast<int>(nodes_.size()) - 1;
    if (parent >= 0) {
        Node& p = nodes_[static_cast<std::size_t>(parent)];
        if (p.first < 0) {
            p.first = id;
        } else {
            int c = p.first;
            while (nodes_[static_cast<std::size_t>(c)].next >= 0) c = nodes_[static_cast<std::size_t>(c)].next;
            nodes_[static_cast<std::size_t>(c)].next = id;
        }
    }
    return id;
}

std::vector<int> GameTree::children(int node) const {
    std::vector<int> out;
    for (int c = firstChild(node); c >= 0; c = nodes_[static_cast<std::size_t>(c)].next) out.push_back(c);
    return out;
}

std::string_view GameTree::nodeText(int node) const {
    const Node& n = nodes_[static_cast<std::size_t>(node)];
    return std::string_view(text_).substr(n.begin, n.length);
}

std::vector<Property> GameTree::properties(int node) const { return split(nodeText(node)); }

std::string GameTree::value(int node, std::string_view id) const {
    for (const Property& p : properties(node))
        if (p.id == id && !p.values.empty()) return p.values.front();
    return {};
}

void GameTree::setProperties(int node, const std::vector<Property>& properties) {
    const std::string text = join(properties);
    Node& n = nodes_[static_cast<std::size_t>(node)];
    n.begin = static_cast<std::uint32_t>(text_.size());
    n.length = static_cast<std::uint32_t>(text.size());
    text_ += text;
}

int GameTree::addChild(int parent, const std::vector<Property>& properties, bool first) {
    const int id = newNode(parent, join(properties));
    if (first) makeMainLine(id);
    return id;
}

void GameTree::makeMainLine(int node) {
    for (int c = node; c != root && c >= 0; c = parent(c)) {
        Node& p = nodes_[static_cast<std::size_t>(parent(c))];
        if (p.first == c) continue;
        int before = p.first;
        while (nodes_[static_cast<std::size_t>(before)].next != c) before = nodes_[static_cast<std::size_t>(before)].next;
        nodes_[static_cast<std::size_t>(before)].next = nodes_[static_cast<std::size_t>(c)].next;
        nodes_[static_cast<std::size_t>(c)].next = p.first;
        p.first = c;
    }
}

void GameTree::remove(int node) {
    if (node == root || node < 0) return;
    Node& p = nodes_[static_cast<std::size_t>(parent(node))];
    if (p.first == node) {
        p.first = nodes_[static_cast<std::size_t>(node)].next;
    } else {
        int before = p.first;
        while (before >= 0 && nodes_[static_cast<std::size_t>(before)].next != node)
            before = nodes_[static_cast<std::size_t>(before)].next;
        if (before < 0) return;
        nodes_[static_cast<std::size_t>(before)].next = nodes_[static_cast<std::size_t>(node)].next;
    }
    nodes_[static_cast<std::size_t>(node)].next = -1;
    nodes_[static_cast<std::size_t>(node)].parent = -1;
}

std::vector<int> GameTree::mainLine() const {
    std::vector<int> out;
    for (int n = root; n >= 0; n = firstChild(n)) out.push_back(n);
    return out;
}

std::vector<int> GameTree::pathTo(int node) const {
    std::vector<int> out;
    for (int n = node; n >= 0; n = parent(n)) out.push_back(n);
    std::reverse(out.begin(), out.end());
    return out;
}

std::vector<int> GameTree::nodesInOrder() const {
    std::vector<int> out, stack{root};
    while (!stack.empty()) {
        const int n = stack.back();
        stack.pop_back();
        out.push_back(n);
        const std::vector<int> kids = children(n);
        for (auto k = kids.rbegin(); k != kids.rend(); ++k) stack.push_back(*k);
    }
    return out;
}

std::string GameTree::text() const {
    // Depth first without recursion: a node with one child goes on in the same sequence;
    // one with more opens a variation for each child, closed after its last node.
    std::string out = "(";
    struct Step {
        int node;
        bool close;  // a ")" after the node's line
    };
    std::vector<Step> stack{{root, false}};
    std::vector<int> pending;  // how many ")" to write when a line ends
    int since = 0;             // nodes on the current output line
    while (!stack.empty()) {
        const Step s = stack.back();
        stack.pop_back();
        if (s.node < 0) {
            out += ')';
            continue;
        }
        if (s.close) out += '(';
        out += ';';
        out += nodeText(s.node);
        if (++since == 10 || nodeText(s.node).size() > 40) {
            out += '\n';
            since = 0;
        }
        const std::vector<int> kids = children(s.node);
        if (kids.size() == 1) {
            stack.push_back({kids.front(), false});
        } else {
            for (auto k = kids.rbegin(); k != kids.rend(); ++k) {
                stack.push_back({-1, false});
                stack.push_back({*k, true});
            }
        }
    }
    out += ")\n";
    return out;
}

std::string GameTree::lineText(const std::vector<int>& path) const {
    std::string out = "(";
    for (int n : path) {
        out += ';';
        out += nodeText(n);
    }
    out += ')';
    return out;
}

bool GameTree::sameTree(const GameTree& other) const {
    std::vector<std::pair<int, int>> stack{{root, other.root}};
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        if (properties(a) != other.properties(b)) return false;
        const std::vector<int> ka = children(a), kb = other.children(b);
        if (ka.size() != kb.size()) return false;
        for (std::size_t i = 0; i < ka.size(); ++i) stack.emplace_back(ka[i], kb[i]);
    }
    return true;
}

namespace {

bool hasAny(const std::vector<Property>& properties, std::initializer_list<const char*> ids) {
    for (const Property& p : properties)
        for (const char* id : ids)
            if (p.id == id) return true;
    return false;
}

// A node's move as "B:dd" ("B:" a pass; "B[tt]" is a pass too), or empty for a node
// without one.
std::string moveOf(const std::vector<Property>& properties) {
    for (const Property& p : properties)
        if ((p.id == "B" || p.id == "W") && !p.values.empty())
            return p.id + ":" + (p.values.front() == "tt" ? std::string() : p.values.front());
    return {};
}

// Point values with their rectangles ("aa:cc") written out point by point, sorted: a
// list of points as a set, however a file wrote it.
std::vector<std::string> pointSet(const std::vector<std::string>& values) {
    std::vector<std::string> out;
    for (const std::string& v : values) {
        if (v.size() == 5 && v[2] == ':') {
            const char x0 = std::min(v[0], v[3]), x1 = std::max(v[0], v[3]);
            const char y0 = std::min(v[1], v[4]), y1 = std::max(v[1], v[4]);
            // A rectangle of the largest board at most: a file's "aa:zz" is no reason
            // to spend memory.
            if (x1 - x0 > 25 || y1 - y0 > 25) {
                out.push_back(v);
                continue;
            }
            for (char x = x0; x <= x1; ++x)
                for (char y = y0; y <= y1; ++y) out.push_back(std::string{x, y});
        } else {
            out.push_back(v);
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// The properties of a record's node: the line's, then those of the tree's node that no
// record keeps.
std::vector<Property> merged(const std::vector<Property>& line, const std::vector<Property>& kept,
                             bool root) {
    static const char* const known[] = {"B", "W", "C", "V", "BM", "TR", "LB", "PL", "AB", "AW", "AE"};
    std::vector<Property> out = line;
    // A pass as the file wrote it ("tt" or empty) stays.
    for (Property& q : out) {
        if ((q.id != "B" && q.id != "W") || q.values.size() != 1) continue;
        for (const Property& p : kept)
            if (p.id == q.id && p.values.size() == 1 && q.values[0].empty() && p.values[0] == "tt") q = p;
    }
    // Setup the record holds as the file did, in another order or written out point by
    // point: the file's way of writing it stays.
    for (Property& q : out) {
        if (q.id != "AB" && q.id != "AW" && q.id != "AE") continue;
        for (const Property& p : kept)
            if (p.id == q.id && pointSet(p.values) == pointSet(q.values)) q = p;
    }
    for (const Property& p : kept) {
        // A root property of several values: the record holds its first alone.
        if (root && p.values.size() > 1) {
            const auto same = std::find_if(out.begin(), out.end(), [&p](const Property& q) { return q.id == p.id; });
            if (same == out.end()) {
                out.push_back(p);
            } else if (same->values.size() == 1 && same->values.front() == p.values.front()) {
                *same = p;
            }
            continue;
        }
        bool recordKeeps = false;
        if (root) {
            // The root's information of one value is all in the record, and so are its
            // board, setup and format; but the record writes no HA for a game without
            // handicap stones, where the file may say HA[0].
            const bool noHandicap = p.id == "HA" && p.values.size() == 1 && (p.values[0] == "0" || p.values[0] == "1");
            recordKeeps = (p.values.size() == 1 && !noHandicap) || p.id == "AB" || p.id == "AW" || p.id == "SZ";
        } else {
            // A record says PL only where the game needs it (after its last move): the
            // file's own stays where the record says none.
            for (const char* id : known) recordKeeps = recordKeeps || (p.id == id && p.id != "PL");
        }
        if (recordKeeps) continue;
        bool there = false;
        for (const Property& q : out) there = there || q.id == p.id;
        if (!there) out.push_back(p);
    }
    return out;
}

}  // namespace

int putLine(GameTree& tree, const Record& record) {
    const auto read = readCollection(write(record));
    if (!std::holds_alternative<Collection>(read)) return -1;
    const GameTree line = std::get<Collection>(read).games.front();
    // A file may put its setup in nodes of their own before the first move, which the
    // record gathers into its root: there it stays, and those nodes are passed through.
    bool setupBefore = false;
    for (int n = tree.firstChild(GameTree::root); n >= 0 && !setupBefore; n = tree.firstChild(n)) {
        const std::vector<Property> has = tree.properties(n);
        if (!moveOf(has).empty()) break;
        setupBefore = hasAny(has, {"AB", "AW", "AE"});
    }
    std::vector<Property> rootLine = line.properties(GameTree::root);
    if (setupBefore)
        std::erase_if(rootLine, [](const Property& p) { return p.id == "AB" || p.id == "AW" || p.id == "AE"; });
    std::vector<Property> rootTree = tree.properties(GameTree::root);
    if (setupBefore)
        for (const Property& p : rootTree)
            if (p.id == "AB" || p.id == "AW" || p.id == "AE") rootLine.push_back(p);
    tree.setProperties(GameTree::root, merged(rootLine, rootTree, true));
    int at = GameTree::root;
    const std::vector<int> nodes = line.mainLine();
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        const std::vector<Property> wanted = line.properties(nodes[i]);
        const std::string move = moveOf(wanted);
        const auto matches = [&](int child) {
            const std::vector<Property> has = tree.properties(child);
            return move.empty() ? moveOf(has).empty() && hasAny(has, {"AB", "AW", "AE"}) : moveOf(has) == move;
        };
        const auto passable = [&](int child) {
            const std::vector<Property> has = tree.properties(child);
            return moveOf(has).empty() && (!hasAny(has, {"AB", "AW", "AE"}) || (setupBefore && i == 1));
        };
        // The child that goes on as the line does; a node of comments or marks alone on
        // the tree's main line is passed through to look below it.
        int next = -1;
        for (int from = at; next < 0;) {
            for (int child : tree.children(from))
                if (matches(child)) {
                    next = child;
                    break;
                }
            const int first = tree.firstChild(from);
            if (next >= 0 || first < 0 || !passable(first)) break;
            from = first;
        }
        if (next < 0) {
            at = tree.addChild(at, wanted, true);
        } else {
            tree.setProperties(next, merged(wanted, tree.properties(next), false));
            at = next;
        }
    }
    tree.makeMainLine(at);
    return at;
}

std::string Collection::text() const {
    std::string out;
    for (const GameTree& game : games) {
        // The file is written in UTF-8 whatever it was read in: the root says so.
        GameTree copy = game;
        std::vector<Property> root = copy.properties(GameTree::root);
        bool said = false;
        for (Property& p : root)
            if (p.id == "CA") p.values = {"UTF-8"}, said = true;
        if (said) copy.setProperties(GameTree::root, root);
        out += copy.text();
    }
    out += rest;
    return out;
}

// Reads the game trees of decoded text, one after another.
class TreeReader {
public:
    explicit TreeReader(std::string_view text) : s_(text) {}

    std::variant<Collection, Error> run() {
        Collection c;
        for (;;) {
            const std::size_t start = nextTree();
            if (start == std::string_view::npos) break;
            pos_ = start + 1;
            GameTree game;
            if (auto e = readTree(game)) {
                if (c.games.empty()) return *e;
                c.rest = std::string(s_.substr(start));
                break;
            }
            c.games.push_back(std::move(game));
        }
        if (c.games.empty()) return Error{Problem::not_sgf, 0, "no game tree"};
        return c;
    }

private:
    static Error syntax(std::string detail) { return Error{Problem::syntax, 0, std::move(detail)}; }

    // The next "(" followed, after white space, by ";", from pos_ on.
    std::size_t nextTree() const {
        for (std::size_t i = s_.find('(', pos_); i != std::string_view::npos; i = s_.find('(', i + 1)) {
            std::size_t j = i + 1;
            while (j < s_.size() && isSpace(s_[j])) ++j;
            if (j < s_.size() && s_[j] == ';') return i;
        }
        return std::string_view::npos;
    }

    void skipSpace() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }

    // One game tree after its "(": into `game`, whose root the first node becomes.
    std::optional<Error> readTree(GameTree& game) {
        std::vector<int> branches;  // the node each open variation hangs from
        int current = -1;           // the node the next one follows
        bool rooted = false;
        for (;;) {
            skipSpace();
            if (pos_ >= s_.size()) return std::nullopt;  // cut off: read as far as it goes
            const char c = s_[pos_++];
            if (c == ';') {
                if (++nodes_ > max_nodes)
                    return Error{Problem::too_large, 0, "more than " + std::to_string(max_nodes) + " nodes"};
                std::string text;
                if (auto e = readNode(text)) return e;
                if (!rooted) {
                    game.setProperties(GameTree::root, split(text));
                    current = GameTree::root;
                    rooted = true;
                } else {
                    current = game.newNode(current, text);
                }
            } else if (c == '(') {
                skipSpace();
                if (pos_ >= s_.size() || s_[pos_] != ';') return syntax("game tree without a node");
                branches.push_back(current);
            } else if (c == ')') {
                if (branches.empty()) return std::nullopt;
                current = branches.back();
                branches.pop_back();
            } else {
                return syntax(std::string("unexpected \"") + c + "\"");
            }
        }
    }

    // The properties of one node, after its ";", as the node's text.
    std::optional<Error> readNode(std::string& text) {
        for (;;) {
            skipSpace();
            if (pos_ >= s_.size() || !isLetter(s_[pos_])) return std::nullopt;
            std::string id;
            for (; pos_ < s_.size() && isLetter(s_[pos_]); ++pos_)
                if (isUpper(s_[pos_])) id += s_[pos_];
            if (id.empty()) return syntax("property identifier without capital letters");
            skipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '[') return syntax("property without a value");
            text += id;
            while (pos_ < s_.size() && s_[pos_] == '[') {
                const std::size_t start = ++pos_;
                while (pos_ < s_.size() && s_[pos_] != ']') pos_ += s_[pos_] == '\\' ? 2 : 1;
                if (pos_ >= s_.size()) return syntax("unclosed property value");
                text += '[';
                text += rawWithoutControlCharacters(s_.substr(start, pos_ - start));
                text += ']';
                ++pos_;
                skipSpace();
            }
        }
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::size_t nodes_ = 0;
};

std::variant<Collection, Error> readCollection(std::string_view bytes) {
    const auto text = decodedText(bytes);
    if (const auto* error = std::get_if<Error>(&text)) return *error;
    return TreeReader(std::get<std::string>(text)).run();
}

}  // namespace tolvan::sgf
