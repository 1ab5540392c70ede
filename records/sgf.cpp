// The SGF reader and writer. Reading runs in two steps: the whole input is decoded to
// UTF-8 first (in Shift_JIS the byte of "\" can be the second byte of a character, so
// escapes can only be found in decoded text), then one pass over the text follows the
// game tree with a depth counter, never by recursion, and interprets each node of the
// main line as it ends. Nodes are not kept: memory grows with the record alone.
#include "records/sgf.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <iconv.h>
#include <limits>
#include <optional>
#include <set>
#include <unordered_set>

namespace tolvan::sgf {

std::string Record::get(const std::string& id) const {
    for (const auto& [key, value] : info)
        if (key == id) return value;
    return {};
}

using rules::Point;

namespace {

// The largest board read: setup stones are gathered on a grid of its size before the
// root's SZ is known, and checked against it when the root ends.
constexpr int largest = rules::largest_offered;

// SZ's value as a board read: one of the sizes offered, written "n" or "n:n". 0 for any
// other.
int boardSize(std::string_view v) {
    for (int n : rules::offered_sizes) {
        const std::string side = std::to_string(n);
        if (v == side || v == side + ":" + side) return n;
    }
    return 0;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLetter(char c) { return isUpper(c) || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// ---------------------------------------------------------------------------------
// Text encodings

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing
// past U+10FFFF.
bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        unsigned lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (n - i < static_cast<std::size_t>(len)) return false;
        const auto c1 = static_cast<unsigned char>(s[i + 1]);
        if (c1 < lo || c1 > hi) return false;
        for (int k = 2; k < len; ++k) {
            const auto ck = static_cast<unsigned char>(s[i + k]);
            if (ck < 0x80 || ck > 0xBF) return false;
        }
        i += len;
    }
    return true;
}

// Decodes the bytes from `charset` to UTF-8 with iconv; nothing when iconv does not know
// the charset, the bytes are not valid in it, or the text would grow beyond a small
// multiple of the input (no charset iconv knows needs more).
std::optional<std::string> convert(std::string_view bytes, const std::string& charset) {
    const iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    const std::size_t limit = 4 * bytes.size() + 64;
    std::string out;
    std::vector<char> in(bytes.begin(), bytes.end());
    char* inp = in.data();
    std::size_t inleft = in.size();
    char buf[4096];
    bool ok = true;
    // The input, then one call without input to end any shift state.
    for (bool flush = false; ok;) {
        char* outp = buf;
        std::size_t outleft = sizeof buf;
        const std::size_t r = flush ? iconv(cd, nullptr, nullptr, &outp, &outleft)
                                    : iconv(cd, &inp, &inleft, &outp, &outleft);
        out.append(buf, outp);
        if (out.size() > limit) ok = false;
        if (r == static_cast<std::size_t>(-1)) {
            if (errno != E2BIG) ok = false;  // EILSEQ or EINVAL: invalid or cut off
            continue;
        }
        if (flush) break;
        if (inleft == 0) flush = true;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

// The iconv name for a charset as SGF files spell it in CA.
std::string charsetName(std::string_view ca) {
    std::string name;
    for (char c : trim(ca)) {
        // Only the characters of real charset names: nothing of iconv's "//" suffixes.
        const bool plain =
            isLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
        if (!plain || name.size() >= 40) return {};
        name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    std::string key;  // the name without its punctuation, for the common spellings
    for (char c : name)
        if (c != '-' && c != '_' && c != '.') key += c;
    if (key == "UTF8") return "UTF-8";
    // Windows code page 932 rather than plain Shift_JIS: it keeps 0x5C as "\" instead of
    // the yen sign, and it has the characters Japanese Windows programs write.
    if (key == "SHIFTJIS" || key == "SJIS" || key == "CP932" || key == "WINDOWS31J" ||
        key == "MSKANJI" || key == "XSJIS" || key == "MS932")
        return "CP932";
    if (key == "EUCJP" || key == "XEUCJP") return "EUC-JP";
    if (key == "ISO88591" || key == "LATIN1" || key == "ISOLATIN1") return "ISO-8859-1";
    return name;
}

// The value of CA in the first node of the game tree that starts at `bytes`, or empty.
// Scans the raw bytes: the charset's name is ASCII, and so is everything that marks
// the node's bounds.
std::string findCharset(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    auto skipSpace = [&] {
        while (i < n && isSpace(bytes[i])) ++i;
    };
    skipSpace();
    if (i < n && bytes[i] == '(') ++i;
    skipSpace();
    if (i < n && bytes[i] == ';') ++i;
    for (;;) {
        skipSpace();
        if (i >= n || !isLetter(bytes[i])) return {};
        std::string id;
        for (; i < n && isLetter(bytes[i]); ++i)
            if (isUpper(bytes[i])) id += bytes[i];
        skipSpace();
        if (i >= n || bytes[i] != '[') return {};
        for (bool first = true; i < n && bytes[i] == '['; first = false) {
            const std::size_t start = ++i;
            while (i < n && bytes[i] != ']') i += bytes[i] == '\\' ? 2 : 1;
            if (i >= n) return {};
            if (id == "CA" && first) return std::string(bytes.substr(start, i - start));
            ++i;
            skipSpace();
        }
    }
}

// Whether the text in `charset` can be decoded: iconv knows the charset, and the
// tree's own ASCII stays ASCII in it (the tree starts with "(").
bool decodable(const std::string& charset) {
    const auto text = convert("(", charset);
    return text && *text == "(";
}

// The input as UTF-8: in the charset CA names, else as it is when it is UTF-8, else
// Shift_JIS (most Japanese files without CA are), else EUC-JP. A charset that cannot be
// decoded is an error unless the text is UTF-8.
std::variant<std::string, Problem> decode(std::string_view bytes) {
    const std::string charset = charsetName(findCharset(bytes));
    if (!charset.empty() && charset != "UTF-8") {
        if (!decodable(charset)) {
            if (validUtf8(bytes)) return std::string(bytes);
            return Problem::charset;
        }
        if (auto text = convert(bytes, charset)) return std::move(*text);
    }
    if (validUtf8(bytes)) return std::string(bytes);
    for (const char* guess : {"CP932", "EUC-JP"})
        if (auto text = convert(bytes, guess)) return std::move(*text);
    return Problem::text;
}

// Where the first game tree starts: the first "(" followed, after white space, by ";".
std::size_t findGameTree(std::string_view s) {
    for (std::size_t i = s.find('('); i != std::string_view::npos; i = s.find('(', i + 1)) {
        std::size_t j = i + 1;
        while (j < s.size() && isSpace(s[j])) ++j;
        if (j < s.size() && s[j] == ';') return i;
    }
    return std::string_view::npos;
}

// The game trees that start in `s`, each counted once: "(" then ";" outside any value
// and outside any other tree. What is not SGF between them is passed over.
int gameTreesIn(std::string_view s) {
    int trees = 0, depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '[' && depth > 0) {
            for (++i; i < s.size() && s[i] != ']'; ++i)
                if (s[i] == '\\') ++i;
        } else if (c == '(') {
            if (depth == 0) {
                std::size_t j = i + 1;
                while (j < s.size() && isSpace(s[j])) ++j;
                if (j >= s.size() || s[j] != ';') continue;
                ++trees;
            }
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        }
    }
    return trees;
}

// ---------------------------------------------------------------------------------
// Values

// A line break in text: CR LF, LF CR, LF or CR. Its length at `i`, or 0.
std::size_t lineBreak(std::string_view s, std::size_t i) {
    if (i >= s.size() || (s[i] != '\n' && s[i] != '\r')) return 0;
    if (i + 1 < s.size() && (s[i + 1] == '\n' || s[i + 1] == '\r') && s[i + 1] != s[i]) return 2;
    return 1;
}

// A raw value as text: "\" before a line break removes both (a soft line break), and
// "\" before any other character stands for that character. Other line breaks stay.
std::string unescape(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 >= raw.size()) {
            out += raw[i];
            continue;
        }
        if (const std::size_t br = lineBreak(raw, i + 1)) {
            i += br;
        } else {
            out += raw[++i];
        }
    }
    return out;
}

// Whether text[i] starts a control character other than a line break or a tab: C0 and
// DEL, or C1 (U+0080 to U+009F, two bytes in UTF-8). Its length in bytes, or 0.
std::size_t control(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return 1;
    if (c == 0xC2 && i + 1 < text.size()) {
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

// The text without its control characters other than line breaks and tabs: no NUL or
// escape sequence of a file reaches a GTP response or a file written.
std::string withoutControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const std::size_t n = control(text, i)) {
            i += n - 1;
            continue;
        }
        out += text[i];
    }
    return out;
}

// A raw text value as text: unescaped, without control characters.
std::string textValue(std::string_view raw) { return withoutControls(unescape(raw)); }

// Text on one line, as a label holds it: each line break and tab a space.
std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const std::size_t br = lineBreak(text, i)) i += br - 1;
        out += text[i] == '\n' || text[i] == '\r' || text[i] == '\t' ? ' ' : text[i];
    }
    return out;
}

// A real number as SGF writes it ("2.5", "-13", "+0.5"): a sign, digits and at most one
// point, nothing else (no exponent, no "inf"), whatever the locale. Nothing for any other
// value or one too large for a double.
std::optional<double> real(std::string_view raw) {
    const std::string_view v = trim(raw);
    const bool sign = !v.empty() && (v.front() == '+' || v.front() == '-');
    const std::string_view body = v.substr(sign ? 1 : 0);
    if (std::none_of(body.begin(), body.end(), isDigit) || std::count(body.begin(), body.end(), '.') > 1 ||
        !std::all_of(body.begin(), body.end(), [](char c) { return isDigit(c) || c == '.'; }))
        return std::nullopt;
    double x = 0;
    const char* end = body.data() + body.size();
    const auto [stop, error] = std::from_chars(body.data(), end, x, std::chars_format::fixed);
    if (error != std::errc() || stop != end || !std::isfinite(x)) return std::nullopt;
    return v.front() == '-' ? -x : x;
}

// Splits a raw compose value "a:b" at its first colon that no "\" escapes; the second
// part is absent when there is no such colon.
std::pair<std::string_view, std::optional<std::string_view>> splitCompose(std::string_view raw) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\') {
            ++i;
        } else if (raw[i] == ':') {
            return {raw.substr(0, i), raw.substr(i + 1)};
        }
    }
    return {raw, std::nullopt};
}

// A point on a board of `size` lines, "aa" up to "ss" on 19, or nothing.
std::optional<Point> point(std::string_view raw, int size) {
    const std::string v = unescape(raw);
    const std::string_view t = trim(v);
    if (t.size() != 2) return std::nullopt;
    const int x = t[0] - 'a' + 1, y = t[1] - 'a' + 1;
    if (x < 1 || x > size || y < 1 || y > size) return std::nullopt;
    return Point{x, y};
}

// PL's value: black (+1) for "B", white (-1) for "W", 0 for anything else.
int colourOf(std::string_view raw) {
    const std::string_view v = trim(raw);
    return v == "B" || v == "b" ? 1 : v == "W" || v == "w" ? -1 : 0;
}

// A value as quoted in an error's detail: short, and only printable ASCII.
std::string quoted(std::string_view raw) {
    std::string out = "\"";
    for (std::size_t i = 0; i < raw.size() && i < 12; ++i)
        out += (raw[i] >= 0x20 && raw[i] < 0x7F) ? raw[i] : '?';
    return out + (raw.size() > 12 ? "...\"" : "\"");
}

// ---------------------------------------------------------------------------------
// The game tree

// Setup stones gathered over one or more nodes: a stone put (black +1, white -1) or a
// point cleared. A point is held once: its last change counts, and each kind keeps the
// order in which its points first came.
class Gathered {
public:
    static constexpr int cleared = 2;

    void add(int change, Point p) {
        const int i = (p.y - 1) * largest + (p.x - 1);
        Cell& c = cells_[i];
        if (c.change == change) return;
        if (c.change == 0) touched_.push_back(i);
        c.change = change;
        c.order = ++count_;
    }
    bool any() const { return !touched_.empty(); }
    // The stones put, by colour, and the points cleared when `empty` is given.
    void into(std::vector<Point>& black, std::vector<Point>& white, std::vector<Point>* empty) const {
        std::vector<std::pair<long, int>> placed;  // order, cell
        for (int i : touched_) placed.emplace_back(cells_[i].order, i);
        std::sort(placed.begin(), placed.end());
        for (const auto& [order, i] : placed) {
            const Point p{i % largest + 1, i / largest + 1};
            const int change = cells_[i].change;
            if (change == cleared) {
                if (empty) empty->push_back(p);
            } else {
                (change > 0 ? black : white).push_back(p);
            }
        }
    }
    void clear() {
        for (int i : touched_) cells_[i] = Cell{};
        touched_.clear();
    }

private:
    struct Cell {
        int change = 0;
        long order = 0;
    };
    std::array<Cell, largest * largest> cells_{};
    std::vector<int> touched_;
    long count_ = 0;
};

// What the reader gathers from one node of the main line while it reads the node. The
// node is interpreted when it ends, so that the root's problems come in a fixed order
// whatever the order of its properties: the game, then the board size, then the rest.
struct Node {
    std::optional<Error> game, size, other;  // the first problem of each kind
    bool sized = false;                      // SZ read: a repeated SZ is not looked at
    int moves = 0;                           // values of B and W
    int colour = 0;
    std::string_view move;                    // the first move's raw value
    std::optional<std::string_view> comment;  // the first C, in a node after the root
    int next = 0;                             // the first PL, in a node after the root
    Annotations annotations;                  // V, BM, TR and LB, in a node after the root
    std::vector<std::string> notes;           // which of C, V, BM, TR and LB it holds
    // The setup value that reaches furthest from the upper left, and how far: checked
    // against the board's size when the root ends.
    std::string_view widest;
    int reach = 0;
};

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}

    std::variant<Record, Error> run() {
        pos_ = findGameTree(s_);
        if (pos_ == std::string_view::npos) return Error{Problem::not_sgf, 0, "no game tree"};
        ++pos_;
        int depth = 1;
        bool main_line = true;  // still on the first variation of every branching
        bool root = true;
        for (;;) {
            skipSpace();
            // A file cut off after a whole node or variation: the tree ends here.
            if (pos_ >= s_.size()) break;
            const char c = s_[pos_++];
            if (c == ';') {
                if (auto e = readNode(main_line, root)) return *e;
                root = false;
                if (too_much_) return too_much();
            } else if (c == '(') {
                // Followed while on the main line: this is the first variation. Once the
                // main line has ended, every variation is one the record leaves out.
                skipSpace();
                if (pos_ >= s_.size() || s_[pos_] != ';') return syntax("game tree without a node");
                if (!main_line) ++record_.unkept.variations;
                ++depth;
            } else if (c == ')') {
                // The first close ends the main line; what follows is scanned to the end
                // of the tree so that a broken file is noticed.
                main_line = false;
                if (--depth == 0) break;
            } else {
                return syntax(std::string("unexpected ") + quoted(std::string_view(&c, 1)));
            }
        }
        record_.unkept.games = gameTreesIn(s_.substr(std::min(pos_, s_.size())));
        record_.unkept.properties.assign(left_out_.begin(), left_out_.end());
        setup_.into(record_.black_setup, record_.white_setup, nullptr);
        flushLater();
        if (too_much_) return too_much();
        return std::move(record_);
    }

private:
    void skipSpace() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }

    static Error syntax(std::string detail) { return Error{Problem::syntax, 0, std::move(detail)}; }
    static Error too_much() {
        return Error{Problem::too_large, 0, "more than " + std::to_string(max_setup_points) + " setup points"};
    }

    // Reads the properties of one node, after its ";", and interprets them when the node
    // is on the main line (`keep`).
    std::optional<Error> readNode(bool keep, bool root) {
        Node node;
        std::string id;
        for (;;) {
            skipSpace();
            if (pos_ >= s_.size() || !isLetter(s_[pos_])) break;
            id.clear();
            for (; pos_ < s_.size() && isLetter(s_[pos_]); ++pos_)
                if (isUpper(s_[pos_]) && keep) id += s_[pos_];
            if (keep && id.empty()) return syntax("property identifier without capital letters");
            skipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '[') return syntax("property without a value");
            for (int index = 0; pos_ < s_.size() && s_[pos_] == '['; ++index) {
                const std::size_t start = ++pos_;
                while (pos_ < s_.size() && s_[pos_] != ']') pos_ += s_[pos_] == '\\' ? 2 : 1;
                if (pos_ >= s_.size()) return syntax("unclosed property value");
                if (keep) take(node, root, id, index, s_.substr(start, pos_ - start));
                ++pos_;
                skipSpace();
            }
        }
        if (!keep) return std::nullopt;
        return finish(node);
    }

    // One value of a property of a node on the main line.
    void take(Node& node, bool root, const std::string& id, int index, std::string_view raw) {
        const bool setup = id == "AB" || id == "AW" || id == "AE";
        if (id == "B" || id == "W") {
            if (node.moves++ == 0) {
                node.colour = id == "B" ? 1 : -1;
                node.move = raw;
            }
        } else if (!root) {
            if (!keptInNode(id)) leftOut(id);
            const bool note = id == "C" || id == "V" || id == "BM" || id == "TR" || id == "LB";
            if (note && std::find(node.notes.begin(), node.notes.end(), id) == node.notes.end())
                node.notes.push_back(id);
            if (id == "C" && !node.comment) node.comment = raw;
            if (id == "PL" && index == 0 && !node.next) node.next = colourOf(raw);
            if (id == "V" && index == 0 && !node.annotations.value) node.annotations.value = real(raw);
            if (id == "BM" && index == 0 && !node.annotations.bad_move) {
                const std::string_view v = trim(raw);
                node.annotations.bad_move = v == "1" ? 1 : v == "2" ? 2 : 0;
            }
            if (id == "TR") triangles(node, raw);
            if (id == "LB") label(node, raw);
            if (setup && !laterSetup(id, raw) && !node.other) {
                const std::string detail = "setup point off the board: " + quoted(raw);
                node.other = Error{Problem::bad_point, 0, detail};
            }
        } else if (id == "GM") {
            if (index == 0 && trim(raw) != "1" && !node.game) {
                node.game = Error{Problem::game, 0, "not a game of Go: GM " + quoted(raw)};
            }
        } else if (id == "SZ") {
            if (index == 0 && !std::exchange(node.sized, true)) {
                record_.size = boardSize(trim(raw));
                if (record_.size == 0)
                    node.size = Error{Problem::board_size, 0,
                                      "board size " + quoted(raw) + ", not 9, 13 or 19"};
            }
        } else if (id == "AB" || id == "AW") {
            if (!addSetup(node, id == "AB" ? 1 : -1, raw) && !node.other) {
                const std::string detail = "setup point off the board: " + quoted(raw);
                node.other = Error{Problem::bad_point, 0, detail};
            }
        } else if (id == "FF" || id == "CA" || id == "AE") {
            // read already, or of no use on an empty board
        } else if (index == 0) {
            // The first of a repeated property is kept: the entry goes again when its
            // identifier is there already.
            record_.info.emplace_back(id, std::string());
            if (info_ids_.insert(record_.info.size() - 1).second) {
                record_.info.back().second = textValue(raw);
            } else {
                record_.info.pop_back();
            }
        }
    }

    // Interprets the node just read, on the main line: its problems, or its move.
    std::optional<Error> finish(const Node& node) {
        for (const auto* problem : {&node.game, &node.size, &node.other})
            if (*problem) return **problem;
        if (node.reach > record_.size) {
            return Error{Problem::bad_point, 0, "setup point off the board: " + quoted(node.widest)};
        }
        const int number = static_cast<int>(record_.moves.size()) + 1;
        if (node.moves > 1) {
            return Error{Problem::two_moves, number, "more than one move in a node"};
        }
        if (node.moves == 0) {
            // A comment or a review's note has no move to go with.
            for (const std::string& id : node.notes) leftOut(id);
            // PL in a node without a move: who plays after the move before it.
            if (node.next && !record_.moves.empty()) record_.moves.back().next = node.next;
            return std::nullopt;
        }
        Move m;
        m.next = node.next;
        m.colour = node.colour;
        const std::string_view v = trim(node.move);
        if (v.empty() || v == "tt") {
            m.pass = true;
        } else if (const auto p = point(v, record_.size)) {
            m.at = *p;
        } else {
            return Error{Problem::bad_point, number, "move off the board: " + quoted(v)};
        }
        if (node.comment) m.comment = textValue(*node.comment);
        m.annotations = node.annotations;
        record_.moves.push_back(std::move(m));
        return std::nullopt;
    }

    // One value of AB or AW: a point, or a rectangle "aa:cc" of them. False when a
    // corner is off the largest board; how far it reaches is noted in the node.
    bool addSetup(Node& node, int colour, std::string_view raw) {
        if (trim(raw).empty()) return true;
        const auto [first, second] = splitCompose(raw);
        const auto a = point(first, largest);
        const auto b = second ? point(*second, largest) : a;
        if (!a || !b) return false;
        const int reach = std::max({a->x, a->y, b->x, b->y});
        if (reach > node.reach) {
            node.reach = reach;
            node.widest = raw;
        }
        for (int y = std::min(a->y, b->y); y <= std::max(a->y, b->y); ++y)
            for (int x = std::min(a->x, b->x); x <= std::max(a->x, b->x); ++x)
                setup_.add(colour, Point{x, y});
        return true;
    }

    // One value of AB, AW or AE in a node after the root: before the first move it joins
    // the root's setup, after it the setup gathered since the last move. False when a
    // corner is off the board.
    bool laterSetup(const std::string& id, std::string_view raw) {
        if (trim(raw).empty()) return true;
        const auto [first, second] = splitCompose(raw);
        const auto a = point(first, record_.size);
        const auto b = second ? point(*second, record_.size) : a;
        if (!a || !b) return false;
        const int change = id == "AB" ? 1 : id == "AW" ? -1 : Gathered::cleared;
        const int after = static_cast<int>(record_.moves.size());
        if (after > 0 && after != later_after_) {
            flushLater();
            later_after_ = after;
        }
        Gathered& into = after == 0 ? setup_ : later_;
        for (int y = std::min(a->y, b->y); y <= std::max(a->y, b->y); ++y)
            for (int x = std::min(a->x, b->x); x <= std::max(a->x, b->x); ++x)
                into.add(change, Point{x, y});
        return true;
    }

    // One value of TR: a point, or a rectangle "aa:cc" of them, all on the board; any
    // other is left out, as are marks beyond the record's allowance.
    void triangles(Node& node, std::string_view raw) {
        const auto [first, second] = splitCompose(raw);
        const auto a = point(first, record_.size);
        const auto b = second ? point(*second, record_.size) : a;
        if (!a || !b) return;
        for (int y = std::min(a->y, b->y); y <= std::max(a->y, b->y); ++y)
            for (int x = std::min(a->x, b->x); x <= std::max(a->x, b->x); ++x)
                if (marks_ < max_setup_points) {
                    ++marks_;
                    node.annotations.triangles.push_back(Point{x, y});
                }
    }

    // One value of LB: a point on the board, a colon and the text; any other is left out.
    void label(Node& node, std::string_view raw) {
        const auto [at, text] = splitCompose(raw);
        const auto p = point(at, record_.size);
        if (!p || !text || marks_ >= max_setup_points) return;
        ++marks_;
        node.annotations.labels.push_back(Label{*p, oneLine(textValue(*text))});
    }

    // The setup gathered since the last move, as the record's next later setup.
    void flushLater() {
        if (!later_.any()) return;
        sgf::Setup s;
        s.after = later_after_;
        later_.into(s.black, s.white, &s.empty);
        later_.clear();
        later_points_ += s.black.size() + s.white.size() + s.empty.size();
        if (later_points_ > max_setup_points) too_much_ = true;
        record_.later_setup.push_back(std::move(s));
    }

    // The properties a node after the root may hold that the record keeps.
    static bool keptInNode(const std::string& id) {
        for (const char* kept : {"B", "W", "C", "PL", "V", "BM", "TR", "LB", "AB", "AW", "AE"})
            if (id == kept) return true;
        return false;
    }
    // Notes a property of the main line that the record has no place for: a few dozen
    // identifiers say enough, however many a hostile file holds.
    void leftOut(const std::string& id) {
        if (left_out_.size() < 32) left_out_.insert(id);
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    Record record_;
    std::set<std::string> left_out_;
    Gathered setup_;  // the root's, with the nodes before the first move
    Gathered later_;  // since the last move, after the first one
    int later_after_ = 0;
    std::size_t later_points_ = 0;
    bool too_much_ = false;
    // The points marked with TR and LB so far: as many as the setup may hold, so that
    // marks, like setup, cost no more than a small multiple of the input.
    std::size_t marks_ = 0;
    // The information entries by identifier, held as their indexes so that a root of
    // very many properties costs little more than its entries.
    struct IdHash {
        const Record* r;
        std::size_t operator()(std::size_t i) const {
            return std::hash<std::string>{}(r->info[i].first);
        }
    };
    struct IdEqual {
        const Record* r;
        bool operator()(std::size_t a, std::size_t b) const {
            return r->info[a].first == r->info[b].first;
        }
    };
    std::unordered_set<std::size_t, IdHash, IdEqual> info_ids_{16, IdHash{&record_},
                                                               IdEqual{&record_}};
};

// ---------------------------------------------------------------------------------
// Writing

bool onBoard(Point p, int size) { return p.x >= 1 && p.x <= size && p.y >= 1 && p.y <= size; }

std::string coordinates(Point p) {
    return {static_cast<char>('a' + p.x - 1), static_cast<char>('a' + p.y - 1)};
}

void appendText(std::string& out, const std::string& text) {
    for (char c : withoutControls(text)) {
        if (c == ']' || c == '\\') out += '\\';
        out += c;
    }
}

// A real number without exponent, as the reader reads it: "2.5", "-13". Empty when it
// is not finite.
std::string realText(double x) {
    char buf[400];  // the longest double in fixed notation has some 330 characters
    const auto [end, error] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
    if (error != std::errc() || !std::isfinite(x)) return {};
    return std::string(buf, end);
}

// The points a move's annotations mark, TR then LB, each on the board; nothing when none.
void appendMarks(std::string& out, const Annotations& a, int size) {
    bool any = false;
    for (const Point& p : a.triangles) {
        if (!onBoard(p, size)) continue;
        if (!std::exchange(any, true)) out += "TR";
        out += '[' + coordinates(p) + ']';
    }
    any = false;
    for (const Label& l : a.labels) {
        if (!onBoard(l.at, size)) continue;
        if (!std::exchange(any, true)) out += "LB";
        out += '[' + coordinates(l.at) + ':';
        appendText(out, oneLine(l.text));
        out += ']';
    }
}

// Whether an information property can be written as it is: an identifier of capital
// letters that the writer does not write itself and that is not a move.
bool writableInfo(const std::string& id) {
    if (id.empty() || !std::all_of(id.begin(), id.end(), isUpper)) return false;
    for (const char* own : {"FF", "GM", "CA", "SZ", "AB", "AW", "AE", "B", "W"})
        if (id == own) return false;
    return true;
}

}  // namespace

std::variant<std::string, Error> decodedText(std::string_view bytes) {
    if (bytes.size() > max_bytes) {
        return Error{Problem::too_large, 0, "more than " + std::to_string(max_bytes) + " bytes"};
    }
    // Junk before the game tree (a byte order mark, a header line) is dropped before
    // decoding: only the tree needs to be in the charset.
    const std::size_t start = findGameTree(bytes);
    if (start == std::string_view::npos) return Error{Problem::not_sgf, 0, "no game tree"};
    auto text = decode(bytes.substr(start));
    if (const auto* problem = std::get_if<Problem>(&text)) {
        if (*problem == Problem::charset)
            return Error{*problem, 0, "unsupported charset " + quoted(findCharset(bytes.substr(start)))};
        return Error{*problem, 0, "text in no known encoding"};
    }
    return std::move(std::get<std::string>(text));
}

std::string valueText(std::string_view raw) { return textValue(raw); }

std::string withoutControlCharacters(std::string_view text) { return withoutControls(text); }

std::string rawWithoutControlCharacters(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        const bool escape = raw[i] == '\\' && i + 1 < raw.size();
        const std::size_t at = escape ? i + 1 : i;
        if (const std::size_t n = control(raw, at)) {
            i = at + n;
            continue;
        }
        if (escape) out += raw[i];
        out += raw[at];
        i = at + 1;
    }
    return out;
}

std::variant<Record, Error> read(std::string_view bytes) {
    const auto text = decodedText(bytes);
    if (const auto* error = std::get_if<Error>(&text)) return *error;
    return Reader(std::get<std::string>(text)).run();
}

std::string write(const Record& record) {
    std::string out = "(;FF[4]GM[1]CA[UTF-8]SZ[" + std::to_string(record.size) + "]\n";
    std::size_t line = out.size();  // where the current line starts
    std::unordered_set<std::string_view> written;
    for (const auto& property : record.info) {
        const std::string& id = property.first;
        if (!writableInfo(id)) continue;
        // The reader keeps the first of a repeated identifier: so does the writer.
        if (!written.insert(id).second) continue;
        if (out.size() - line > 60) {
            out += '\n';
            line = out.size();
        }
        out += id + '[';
        appendText(out, property.second);
        out += ']';
    }
    if (out.size() > line) out += '\n';
    for (const auto& [id, stones] :
         {std::pair{"AB", &record.black_setup}, std::pair{"AW", &record.white_setup}}) {
        bool any = false;
        for (const Point& p : *stones) {
            if (!onBoard(p, record.size)) continue;
            if (!any) out += id;
            any = true;
            out += '[' + coordinates(p) + ']';
        }
        if (any) out += '\n';
    }
    int on_line = 0;
    // The later setup after the moves it follows, each as a node on a line of its own.
    std::size_t setup = 0;
    auto setupUpTo = [&](int moves) {
        for (; setup < record.later_setup.size() && record.later_setup[setup].after <= moves; ++setup) {
            const Setup& t = record.later_setup[setup];
            std::string node;
            for (const auto& [id, points] : {std::pair{"AB", &t.black}, std::pair{"AW", &t.white},
                                             std::pair{"AE", &t.empty}}) {
                bool any = false;
                for (const Point& p : *points) {
                    if (!onBoard(p, record.size)) continue;
                    if (!std::exchange(any, true)) node += id;
                    node += '[' + coordinates(p) + ']';
                }
            }
            if (node.empty()) continue;
            if (on_line != 0) out += '\n';
            out += ';' + node + '\n';
            on_line = 0;
        }
    };
    for (std::size_t i = 0; i < record.moves.size(); ++i) {
        setupUpTo(static_cast<int>(i));
        const Move& m = record.moves[i];
        out += m.colour > 0 ? ";B[" : ";W[";
        // A stone off the board cannot be written: it goes as a pass, keeping the count.
        if (!m.pass && onBoard(m.at, record.size)) out += coordinates(m.at);
        out += ']';
        const Annotations& a = m.annotations;
        if (a.bad_move == 1 || a.bad_move == 2) out += "BM[" + std::to_string(a.bad_move) + ']';
        if (a.value) {
            if (const std::string v = realText(*a.value); !v.empty()) out += "V[" + v + ']';
        }
        if (!m.comment.empty()) {
            out += "C[";
            appendText(out, m.comment);
            out += ']';
        }
        appendMarks(out, a, record.size);
        if (m.next != 0) out += m.next > 0 ? "PL[B]" : "PL[W]";
        // Ten moves to a line, and a comment or a review's note ends its line.
        if (++on_line == 10 || !m.comment.empty() || a != Annotations{}) {
            out += '\n';
            on_line = 0;
        }
    }
    // What follows the last move, and anything said to follow moves the record lacks.
    setupUpTo(std::numeric_limits<int>::max());
    if (on_line != 0) out += '\n';
    out += ")\n";
    return out;
}

}  // namespace tolvan::sgf
