// The 3×3 patterns of the search: a weight for every neighbourhood code of an empty
// point (playout::PlayoutBoard::neighbourhood: the eight points around it as the side to
// move sees them, and which of the four beside it hold a chain in atari). A shape weighs
// the same in all eight of its orientations, turned and mirrored, with the atari bits
// following their points. The weights are learned by tools/patterngen from games and
// shipped as data/run/Tolvan.patterns; a small table of classic shapes written here
// stands in when that file is missing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rules/history.h"

namespace tolvan::search {

// Every neighbourhood code is below this.
inline constexpr std::uint32_t pattern_codes = 1u << 20;

// ---- A code's orientations -------------------------------------------------------------
// The code turned a quarter clockwise: what was above the point is now to its right, the
// upper right corner is the lower right one, and each atari bit moves with its side.
std::uint32_t turnedCode(std::uint32_t code);
// The code mirrored left to right: right and left change places, and so do the upper
// corners and the lower ones, with the atari bits of the sides.
std::uint32_t mirroredCode(std::uint32_t code);
// The eight orientations: the code turned 0 to 3 times, then its mirror image turned 0 to
// 3 times (some may be equal).
std::array<std::uint32_t, 8> orientationsOf(std::uint32_t code);
// The smallest of the eight: the name of the shape in the data file.
std::uint32_t canonicalCode(std::uint32_t code);
// Whether a point of a board (of 2 lines or more) can have this code: an atari bit only
// beside a stone, a corner off the board exactly when a side next to it is, and never the
// edge on two opposite sides.
bool possibleCode(std::uint32_t code);

// ---- Pictures ----------------------------------------------------------------------------
// A possible code as a 3×3 picture, rows from the top separated by '/': '*' the point
// itself, '.' empty, 'X' a stone of the side to move, 'O' one of the other side, 'x' and
// 'o' such a stone whose chain is in atari, '#' off the board. "XO./.*o/###" is a point on
// the first line with the other side's stone in atari to its right. Empty for a code no
// board shows.
std::string pictureOf(std::uint32_t code);
// The code of a picture as pictureOf writes it; nothing for any other text, or for a
// picture no board shows.
std::optional<std::uint32_t> codeOfPicture(std::string_view picture);

// ---- The table ---------------------------------------------------------------------------
// How likely a point's shape makes it the move, relative to others: a playout picks
// among points with chances in proportion to their weights, and a prior can take the
// weight as a factor. 1 is neutral (a shape no game has said anything about, and on
// average the points of a position); 4 is four times as likely as a neutral point; 0 is
// never. Weights lie in 0 .. max_weight.
class PatternTable {
public:
    static constexpr float max_weight = 10000.0f;
    // The longest data file read.
    static constexpr std::size_t max_bytes = 4u << 20;

    // Every shape neutral.
    PatternTable();

    // The weight of a point whose neighbourhood has this code. A plain lookup: the
    // playouts ask it for every point they consider.
    float weight(std::uint32_t code) const { return weights_[code & (pattern_codes - 1)]; }
    // Gives the shape of `code` (all eight orientations) this weight. False, and nothing
    // changed, for a code no board shows or a weight outside 0 .. max_weight.
    bool set(std::uint32_t code, float weight);
    // The shapes with a weight other than 1, by their canonical codes, ascending.
    std::vector<std::uint32_t> shapes() const;

    // The table of a data file's text, or nothing and `why` (in English, naming the line)
    // when the text is no table: the first line "tolvan-patterns 1", then one shape per
    // line as "CODE WEIGHT [PICTURE]" (CODE in hex, any orientation; PICTURE, when given,
    // the code's own picture), blank lines and lines from '#' ignored. Refused: a longer
    // text than max_bytes, a code no board shows, a weight outside 0 .. max_weight or not a
    // number, a picture that is not the code's, a shape given twice, anything more on a
    // line. Shapes not named keep weight 1.
    static std::optional<PatternTable> read(std::string_view text, std::string* why);
    // The text read() reads back to the same weights: the header, a comment saying how
    // to read the lines, then each shape with a weight other than 1 by its canonical code,
    // heaviest first, with its picture. `comment` lines (without '#') follow the header.
    std::string write(const std::vector<std::string>& comment = {}) const;

    // Classic shapes written by hand (hane, cuts, blocks on the first line, capture and
    // escape from atari), for when no data file is found.
    static const PatternTable& builtIn();

private:
    std::vector<float> weights_;
};

// The table a search uses when its settings name none: the one the program read from
// its data file at start-up (useShippedPatterns), else builtIn().
const PatternTable& defaultPatterns();
// Reads the shipped table from `path` (an ordinary file of at most max_bytes) and makes it
// the default for every search from now on; on failure the default stays builtIn() and
// the reason is returned in English. Called once, before any search starts.
std::optional<std::string> useShippedPatterns(const std::string& path);
// The name of the shipped data file, beside the program or in its data folder.
inline constexpr const char* patterns_file = "Tolvan.patterns";

// ---- Learning ------------------------------------------------------------------------------
// What games say of the shapes: for every stone, the shapes of all the points its side
// could have played (empty, legal, not its own eye, as the playouts choose among them)
// and the shape of the point it did play. learn() turns that into weights.
class PatternLearner {
public:
    struct Counts {
        long seen = 0;    // points of this shape among the choices
        long played = 0;  // of them, the ones played
    };

    // Counts every stone of the game from stone `first` on (0-based), from the position
    // before it. A stone on its own side's eye is left out (the playouts never play
    // there), and so is its position. Returns the positions counted.
    int addGame(const rules::History& game, int first = 0);

    // The counts of a shape, in any orientation.
    Counts counts(std::uint32_t code) const;
    // Positions counted, positions left out, and points seen over all positions.
    long positions() const { return positions_; }
    long leftOut() const { return leftOut_; }
    long pointsSeen() const { return pointsSeen_; }
    // The shapes counted, by canonical code.
    std::vector<std::uint32_t> shapes() const;

    // The weights of a Bradley–Terry model of the choices, fitted by minorization–
    // maximization over `rounds` rounds: each position is a contest among its points that
    // the point played won, each shape seen at least `minimumSeen` times has a strength,
    // pulled gently towards 1 by one win and one loss against a neutral point; shapes seen
    // less keep 1. Then all fitted weights are scaled so that the points seen weigh 1 on
    // average, and rounded to four significant digits.
    PatternTable learn(long minimumSeen, int rounds = 100) const;

private:
    // The shapes by index, and each one's counts.
    std::unordered_map<std::uint32_t, int> index_;
    std::vector<std::uint32_t> shapes_;
    std::vector<Counts> counts_;
    // The contests: the points of position j are entries start_[j] .. start_[j + 1] - 1,
    // each a shape's index and how many points have it; winner_[j] the shape played.
    std::vector<std::uint32_t> entryShape_;
    std::vector<std::uint16_t> entryPoints_;
    std::vector<std::uint32_t> start_{0};
    std::vector<std::uint32_t> winner_;
    long positions_ = 0, leftOut_ = 0, pointsSeen_ = 0;
};

}  // namespace tolvan::search
