// Game records in the Smart Game Format (SGF, FF[1] to FF[4]): one reader, text to a
// plain record of setup stones, moves, passes and game information, and one writer, the
// reverse. Of the game's rules it knows only the board's geometry (its points and the
// sizes offered), nothing of its window or GTP: whoever reads a record replays it through
// the game's own rules, which decide whether its moves are legal.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "rules/geometry.h"

namespace tolvan::sgf {

// A text put on a point (LB): a single line of UTF-8.
struct Label {
    rules::Point at;
    std::string text;
    bool operator==(const Label&) const = default;
};

// What a review says of a move, in its node: the position's value, whether the move was
// bad, and the points marked (the better move, as a triangle or a label). Empty when the
// node says none of it.
struct Annotations {
    std::optional<double> value;          // V: black's lead in points after the move
    int bad_move = 0;                     // BM: 1 bad, 2 very bad; 0 when not marked
    std::vector<rules::Point> triangles;  // TR, in the order read
    std::vector<Label> labels;            // LB, in the order read
    bool operator==(const Annotations&) const = default;
};

// One move of the main line: a stone or a pass, by black (+1) or white (-1).
struct Move {
    int colour = 0;
    bool pass = false;
    rules::Point at;      // the stone's point ("aa" is (1, 1)); (0, 0) for a pass
    std::string comment;  // C of the move's node, UTF-8; empty when none
    // Who is to play after the move by PL of its node or of the nodes after it before the
    // next move (the last one): black (+1) or white (-1); 0 when no PL says.
    int next = 0;
    Annotations annotations{};  // V, BM, TR and LB of the move's node
    bool operator==(const Move&) const = default;
};

// Setup after the first move (AB, AW and AE of the nodes between two moves, or of a
// move's own node): stones put on points and points cleared outside play, whatever stood
// there, before the next move. Each point is in one list at most.
struct Setup {
    int after = 0;  // the moves of the main line before it, passes counted; 1 or more
    std::vector<rules::Point> black;
    std::vector<rules::Point> white;
    std::vector<rules::Point> empty;
    bool operator==(const Setup&) const = default;
};

// What a file held beyond the record read from it: the variations beside the main line,
// the other games of a collection after the first, and the identifiers of the properties
// of the main line's nodes that the record has no place for (marks such as SQ or CR, node
// names, a comment on a node without a move ...). The writer writes none of it, so a
// record read and written again loses what is counted here.
struct Unkept {
    int variations = 0;                   // variations skipped, at every branching
    int games = 0;                        // game trees after the first
    std::vector<std::string> properties;  // identifiers, sorted, each once
    bool any() const { return variations > 0 || games > 0 || !properties.empty(); }
    bool operator==(const Unkept&) const = default;
};

// A game as SGF holds it, all text in UTF-8 without control characters other than line
// breaks and tabs.
struct Record {
    // SZ: the lines of the board each way, 19, 13 or 9; 19 when the file does not say.
    int size = 19;
    // AB and AW of the root node, and of the nodes before the first move: the position
    // before the first move.
    std::vector<rules::Point> black_setup;
    std::vector<rules::Point> white_setup;
    // The main line from the first move on, passes included.
    std::vector<Move> moves;
    // The setup between the moves, in the order of the main line: one for each place
    // between two moves (or after the last) where the nodes change the position.
    std::vector<Setup> later_setup;
    // The root's game information, in the order read or to be written: the property's
    // identifier and its value, for AP, PB, PW, RE, KM, DT, HA, PL, C, GN, EV and any
    // other property of the root with one value. FF, GM, CA, SZ, AB, AW and AE are not
    // here: the reader interprets them and the writer writes its own.
    std::vector<std::pair<std::string, std::string>> info;
    // What the file held that the record leaves out; nothing for a record made in play.
    Unkept unkept;

    // The value of an information property, or empty when absent.
    std::string get(const std::string& id) const;
    bool operator==(const Record&) const = default;
};

// Why a text could not be read as a game on a board of 19, 13 or 9 lines.
enum class Problem {
    not_sgf,      // no game tree at all ("(;" never comes)
    syntax,       // a game tree that breaks the format (unclosed value, bad identifier ...)
    board_size,   // SZ other than 19, 13 or 9 (a square board)
    game,         // GM other than 1 (not a game of Go)
    text,         // the text is in no encoding the reader can decode
    charset,      // CA names a charset the reader cannot decode, and the text is not UTF-8
    bad_point,    // a move or setup point that is not on the board
    two_moves,    // a node with both B and W
    too_large,    // more than max_bytes of input, or more setup than max_setup_points
};

struct Error {
    Problem problem = Problem::syntax;
    // Where: the move number (1-based, passes counted) of the node at fault, or 0 for
    // the root or for problems not tied to a node.
    int move = 0;
    // A short English description for logs and GTP answers ("unclosed property value").
    std::string detail;
};

// Files larger than this are refused unread.
constexpr std::size_t max_bytes = 8u << 20;
// The most setup points after the first move that a record may hold in all: "AE[aa:ss]"
// stands for 361 of them, and no real record comes near.
constexpr std::size_t max_setup_points = 1u << 20;

// Reads the main line of the first game tree in `bytes`: the first variation is
// followed at every branching, the others are skipped, and counted in `unkept` with the
// game trees after the first and the properties left out of the main line's nodes. A file cut off after a whole
// node, its closing parentheses missing, reads as far as it goes. Text is UTF-8, or
// Shift_JIS or EUC-JP (or another charset that iconv knows) when CA names it, or when
// the text is not valid UTF-8 and decodes as Shift_JIS, then EUC-JP; a charset CA names
// that the reader cannot decode is taken for UTF-8 when the text is. B[] and W[], and
// B[tt] and W[tt] (off every board read), are passes. Every point must be on the board SZ gives.
// Compressed point lists ("aa:cc") are expanded. A move's V, BM, TR and LB are its
// annotations; a value of them that cannot be read (a V that is no real number, a BM
// other than 1 or 2, a point off the board) is left out, never an error. Setup in the nodes before the first move
// joins the root's (AE there clears a point the root set); later setup between the same
// two moves is gathered into one, the last change of a point counting. Never crashes, hangs or allocates more
// than a small multiple of the input.
std::variant<Record, Error> read(std::string_view bytes);

// The text of `bytes` from its first game tree on, decoded to UTF-8 as read() decodes it,
// or the error read() gives for a file too large, without a game tree or in no encoding
// it knows.
std::variant<std::string, Error> decodedText(std::string_view bytes);

// A value as a file writes it, escapes and all, as text: unescaped, without control
// characters but line breaks and tabs.
std::string valueText(std::string_view raw);
// The text without its control characters other than line breaks and tabs.
std::string withoutControlCharacters(std::string_view text);
// A value as a file writes it, escapes kept, without control characters other than line
// breaks and tabs; an escape before one goes with it, so that no "\" is left to swallow
// the bracket that closes the value.
std::string rawWithoutControlCharacters(std::string_view raw);

// Writes the record as one game tree in UTF-8:
//   (;FF[4]GM[1]CA[UTF-8]SZ[size] + info in its order + AB + AW + one node per move (B or
//   W, BM, V, C, TR, LB, PL: only those set), and one node of AB, AW and AE for each later
//   setup, after the moves it follows)
// with V as a real number without exponent ("2.5", "-13"), "]" and "\" escaped in text
// values, and no control characters in them but line breaks and tabs (the reader drops
// them too), a label's text on one line. Reading the result gives the record back.
std::string write(const Record& record);

}  // namespace tolvan::sgf
