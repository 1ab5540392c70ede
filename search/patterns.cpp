#include "search/patterns.h"

#include <atomic>
#include <variant>

#include "records/read.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "playout/board.h"

namespace tolvan::search {

namespace {

// The fields of a code: side k (up, right, down, left) at bits 2k, corner k (upper right,
// lower right, lower left, upper left) at bits 8 + 2k, the atari bit of side k at 16 + k.
constexpr int off_board = 3;

std::uint32_t sideOf(std::uint32_t code, int k) { return (code >> (2 * k)) & 3u; }
std::uint32_t cornerOf(std::uint32_t code, int k) { return (code >> (8 + 2 * k)) & 3u; }
bool atariOf(std::uint32_t code, int k) { return (code >> (16 + k)) & 1u; }

// Turning moves every field one step round its ring of four: the sides and the corners
// are two bytes of four fields each, the atari bits a nibble.
std::uint32_t rotateByte(std::uint32_t b) { return ((b << 2) | (b >> 6)) & 0xFFu; }

}  // namespace

std::uint32_t turnedCode(std::uint32_t code) {
    const std::uint32_t sides = rotateByte(code & 0xFFu);
    const std::uint32_t corners = rotateByte((code >> 8) & 0xFFu);
    const std::uint32_t atari = (code >> 16) & 0xFu;
    const std::uint32_t turnedAtari = ((atari << 1) | (atari >> 3)) & 0xFu;
    return sides | (corners << 8) | (turnedAtari << 16);
}

std::uint32_t mirroredCode(std::uint32_t code) {
    // Sides: up and down stay, right (1) and left (3) change places. Corners: upper right
    // (0) with upper left (3), lower right (1) with lower left (2).
    const std::uint32_t sides = sideOf(code, 0) | sideOf(code, 3) << 2 | sideOf(code, 2) << 4 | sideOf(code, 1) << 6;
    const std::uint32_t corners =
        cornerOf(code, 3) | cornerOf(code, 2) << 2 | cornerOf(code, 1) << 4 | cornerOf(code, 0) << 6;
    const std::uint32_t atari = std::uint32_t{atariOf(code, 0)} | std::uint32_t{atariOf(code, 3)} << 1 |
                                std::uint32_t{atariOf(code, 2)} << 2 | std::uint32_t{atariOf(code, 1)} << 3;
    return sides | corners << 8 | atari << 16;
}

std::array<std::uint32_t, 8> orientationsOf(std::uint32_t code) {
    code &= pattern_codes - 1;
    std::array<std::uint32_t, 8> all{};
    all[0] = code;
    all[4] = mirroredCode(code);
    for (int k = 1; k < 4; ++k) {
        all[k] = turnedCode(all[k - 1]);
        all[4 + k] = turnedCode(all[3 + k]);
    }
    return all;
}

std::uint32_t canonicalCode(std::uint32_t code) {
    const auto all = orientationsOf(code);
    return *std::min_element(all.begin(), all.end());
}

bool possibleCode(std::uint32_t code) {
    if (code >= pattern_codes) return false;
    for (int k = 0; k < 4; ++k) {
        const std::uint32_t side = sideOf(code, k);
        if (atariOf(code, k) && (side == rules::empty || side == off_board)) return false;
        // Corner k lies between side k and the next one clockwise.
        const bool edge = side == off_board || sideOf(code, (k + 1) % 4) == off_board;
        if ((cornerOf(code, k) == off_board) != edge) return false;
    }
    return !(sideOf(code, 0) == off_board && sideOf(code, 2) == off_board) &&
           !(sideOf(code, 1) == off_board && sideOf(code, 3) == off_board);
}

// ---- Pictures ------------------------------------------------------------------------------

namespace {

// Where each field stands in a picture "abc/def/ghi": the sides up, right, down, left,
// then the corners upper right, lower right, lower left, upper left.
constexpr int side_at[4] = {1, 6, 9, 4};
constexpr int corner_at[4] = {2, 10, 8, 0};
constexpr int centre_at = 5;

}  // namespace

std::string pictureOf(std::uint32_t code) {
    if (!possibleCode(code)) return {};
    std::string picture = ".../.*./...";
    const char plain[4] = {'.', 'X', 'O', '#'};
    const char inAtari[4] = {'.', 'x', 'o', '#'};
    for (int k = 0; k < 4; ++k) {
        picture[side_at[k]] = (atariOf(code, k) ? inAtari : plain)[sideOf(code, k)];
        picture[corner_at[k]] = plain[cornerOf(code, k)];
    }
    return picture;
}

std::optional<std::uint32_t> codeOfPicture(std::string_view picture) {
    if (picture.size() != 11 || picture[3] != '/' || picture[7] != '/' || picture[centre_at] != '*')
        return std::nullopt;
    auto field = [](char c, bool side, std::uint32_t& value, bool& atari) {
        atari = false;
        switch (c) {
            case '.': value = 0; return true;
            case 'X': value = 1; return true;
            case 'O': value = 2; return true;
            case '#': value = 3; return true;
            case 'x': value = 1, atari = true; return side;
            case 'o': value = 2, atari = true; return side;
            default: return false;
        }
    };
    std::uint32_t code = 0;
    for (int k = 0; k < 4; ++k) {
        std::uint32_t value = 0;
        bool atari = false;
        if (!field(picture[side_at[k]], true, value, atari)) return std::nullopt;
        code |= value << (2 * k) | std::uint32_t{atari} << (16 + k);
        if (!field(picture[corner_at[k]], false, value, atari)) return std::nullopt;
        code |= value << (8 + 2 * k);
    }
    if (!possibleCode(code)) return std::nullopt;
    return code;
}

// ---- The table -------------------------------------------------------------------------------

PatternTable::PatternTable() : weights_(pattern_codes, 1.0f) {}

bool PatternTable::set(std::uint32_t code, float weight) {
    if (!possibleCode(code) || !(weight >= 0.0f && weight <= max_weight)) return false;
    for (std::uint32_t c : orientationsOf(code)) weights_[c] = weight;
    return true;
}

std::vector<std::uint32_t> PatternTable::shapes() const {
    std::vector<std::uint32_t> found;
    for (std::uint32_t code = 0; code < pattern_codes; ++code)
        if (weights_[code] != 1.0f && possibleCode(code) && canonicalCode(code) == code) found.push_back(code);
    return found;
}

namespace {

constexpr std::string_view header = "tolvan-patterns 1";

bool isSpace(char c) { return c == ' ' || c == '\t'; }

// The next field of a line, from `at` on; empty at the end of the line.
std::string_view nextField(std::string_view line, std::size_t& at) {
    while (at < line.size() && isSpace(line[at])) ++at;
    const std::size_t begin = at;
    while (at < line.size() && !isSpace(line[at])) ++at;
    return line.substr(begin, at - begin);
}

std::string lineSays(long number, const std::string& what) { return "line " + std::to_string(number) + ": " + what; }

}  // namespace

std::optional<PatternTable> PatternTable::read(std::string_view text, std::string* why) {
    auto refuse = [&](std::string reason) -> std::optional<PatternTable> {
        if (why) *why = std::move(reason);
        return std::nullopt;
    };
    if (text.size() > max_bytes)
        return refuse("longer than " + std::to_string(max_bytes) + " bytes");
    PatternTable table;
    std::vector<bool> named(pattern_codes, false);  // by canonical code
    std::size_t from = 0;
    long number = 0;
    bool headed = false;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(from, end - from);
        from = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!headed) {
            if (number == 1 && line.size() >= 3 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
            if (line != header) return refuse("not a pattern table: the first line is not \"" + std::string(header) + "\"");
            headed = true;
            continue;
        }
        std::size_t at = 0;
        const std::string_view codeText = nextField(line, at);
        if (codeText.empty() || codeText.front() == '#') continue;
        std::uint32_t code = 0;
        auto [codeEnd, codeError] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code, 16);
        if (codeError != std::errc{} || codeEnd != codeText.data() + codeText.size() || codeText.size() > 5)
            return refuse(lineSays(number, "\"" + std::string(codeText) + "\" is no code in hex"));
        if (!possibleCode(code)) return refuse(lineSays(number, "no point of a board has the code " + std::string(codeText)));
        const std::string_view weightText = nextField(line, at);
        float weight = 0;
        auto [weightEnd, weightError] =
            std::from_chars(weightText.data(), weightText.data() + weightText.size(), weight);
        if (weightText.empty() || weightError != std::errc{} || weightEnd != weightText.data() + weightText.size())
            return refuse(lineSays(number, "no weight after the code"));
        if (!(weight >= 0.0f && weight <= max_weight))
            return refuse(lineSays(number, "the weight " + std::string(weightText) + " is outside 0 to 10000"));
        const std::string_view picture = nextField(line, at);
        if (!picture.empty() && picture != pictureOf(code))
            return refuse(lineSays(number, "the picture " + std::string(picture) + " is not the code's, " + pictureOf(code)));
        if (!nextField(line, at).empty()) return refuse(lineSays(number, "more than a code, a weight and a picture"));
        const std::uint32_t shape = canonicalCode(code);
        if (named[shape]) return refuse(lineSays(number, "the shape " + pictureOf(shape) + " is given twice"));
        named[shape] = true;
        table.set(code, weight);
    }
    if (!headed) return refuse("empty: no pattern table");
    return table;
}

std::string PatternTable::write(const std::vector<std::string>& comment) const {
    std::string text(header);
    text += '\n';
    for (const std::string& line : comment) text += "# " + line + '\n';
    text +=
        "# Each line: a shape's code in hex, its weight (1 neutral), its picture (rows from the top:\n"
        "# * the point, X the side to move, O the other side, x and o in atari, # off the board).\n";
    std::vector<std::uint32_t> found = shapes();
    std::stable_sort(found.begin(), found.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return weights_[a] > weights_[b]; });
    for (std::uint32_t code : found) {
        char codeText[8];
        std::snprintf(codeText, sizeof codeText, "%05x", static_cast<unsigned>(code));
        char weightText[32];
        auto [end, error] = std::to_chars(weightText, weightText + sizeof weightText, weights_[code]);
        text += codeText;
        text += ' ';
        text.append(weightText, end);
        text += ' ';
        text += pictureOf(code);
        text += '\n';
    }
    return text;
}

// ---- The classic shapes ----------------------------------------------------------------------

namespace {

// A shape written by hand, as a picture with wildcards, matched in every orientation and
// with the colours either way round: '.' empty, '#' off the board, 'X' and 'O' stones of
// one side and of the other (in atari or not), 'x' and 'o' such stones in atari (beside
// the point only), '?' anything, '-' empty or O, '+' empty or X.
struct HandShape {
    const char* picture;
    float weight;
};

// The shapes and their weights; where several match a point, the heaviest counts.
constexpr HandShape hand_shapes[] = {
    // A stone in atari beside the point: taking it, or saving one's own.
    {"?o?/?*?/???", 8.0f},
    {"?x?/?*?/???", 4.0f},
    // Hane: at the head of two stones, and a hane that leaves no cut behind.
    {"XOX/.*./???", 3.0f},
    {"XO./.*./?.?", 2.5f},
    // The bend round a stone (magari), and the diagonal attachment beside one's own.
    {"XO?/X*./-.?", 2.0f},
    {".O./X*./...", 1.8f},
    // Cutting points: the crosscut, a cut that leaves one's own stone in danger.
    {"XO?/O*-/?-?", 3.0f},
    {"XO?/O*X/???", 2.5f},
    {"?X?/O*O/---", 2.5f},
    // On the first line: blocking a crawl, cutting under a stone, stopping a slide.
    {"OX?/X*O/###", 2.0f},
    {"?X?/-*O/###", 2.0f},
    {"?XO/-*-/###", 1.5f},
    {"?OX/X*O/###", 2.0f},
    {"X.?/O*?/###", 1.5f},
    // Nothing near on the first line: seldom a move.
    {".../.*./###", 0.3f},
    {"#../#*./###", 0.2f},
};

// A hand shape as the codes it matches: each field must equal `value` where `mask` is set.
struct Match {
    std::uint32_t mask = 0, value = 0;
};

bool matchOfPicture(std::string_view picture, bool swapped, Match& match) {
    if (picture.size() != 11 || picture[centre_at] != '*') return false;
    match = {};
    auto put = [&](char c, int shift, int atariShift) {
        if (swapped) {
            const std::string_view from = "XOxo-+", to = "OXox+-";
            if (auto i = from.find(c); i != std::string_view::npos) c = to[i];
        }
        std::uint32_t mask = 3, value = 0;
        bool atari = false;
        switch (c) {
            case '.': value = 0; break;
            case 'X': value = 1; break;
            case 'O': value = 2; break;
            case '#': value = 3; break;
            case 'x': value = 1, atari = true; break;
            case 'o': value = 2, atari = true; break;
            case '?': mask = 0; break;
            case '-': mask = 1; break;  // bit 0 clear: empty (0) or the other side (2)
            case '+': mask = 2; break;  // bit 1 clear: empty (0) or one's own (1)
            default: return false;
        }
        match.mask |= mask << shift;
        match.value |= value << shift;
        if (atari) {
            if (atariShift < 0) return false;
            match.mask |= 1u << atariShift;
            match.value |= 1u << atariShift;
        }
        return true;
    };
    for (int k = 0; k < 4; ++k)
        if (!put(picture[side_at[k]], 2 * k, 16 + k) || !put(picture[corner_at[k]], 8 + 2 * k, -1)) return false;
    return true;
}

PatternTable makeBuiltIn() {
    // Every orientation of every shape, both ways round: a bit permutation turns a mask
    // and a value as it turns a code.
    struct Oriented {
        Match match;
        float weight;
    };
    std::vector<Oriented> all;
    for (const HandShape& shape : hand_shapes)
        for (bool swapped : {false, true}) {
            Match match;
            if (!matchOfPicture(shape.picture, swapped, match)) std::abort();  // a typo above
            const auto masks = orientationsOf(match.mask), values = orientationsOf(match.value);
            for (int k = 0; k < 8; ++k) all.push_back({{masks[k], values[k]}, shape.weight});
        }
    PatternTable table;
    for (std::uint32_t code = 0; code < pattern_codes; ++code) {
        if (!possibleCode(code) || canonicalCode(code) != code) continue;
        float best = -1.0f;
        for (const Oriented& o : all)
            if ((code & o.match.mask) == o.match.value) best = std::max(best, o.weight);
        if (best >= 0.0f) table.set(code, best);
    }
    return table;
}

}  // namespace

namespace {
std::atomic<const PatternTable*> shipped{nullptr};
}  // namespace

const PatternTable& defaultPatterns() {
    const PatternTable* t = shipped.load(std::memory_order_acquire);
    return t ? *t : PatternTable::builtIn();
}

std::optional<std::string> useShippedPatterns(const std::string& path) {
    auto bytes = files::readWhole(path, PatternTable::max_bytes);
    if (const auto* failure = std::get_if<files::Failure>(&bytes)) return files::english(*failure);
    std::string why;
    auto table = PatternTable::read(std::get<std::string>(bytes), &why);
    if (!table) return why;
    // Kept for the rest of the program: searches on other threads may hold it.
    static PatternTable kept;
    kept = std::move(*table);
    shipped.store(&kept, std::memory_order_release);
    return std::nullopt;
}

const PatternTable& PatternTable::builtIn() {
    static const PatternTable table = makeBuiltIn();
    return table;
}

// ---- Learning -------------------------------------------------------------------------------

int PatternLearner::addGame(const rules::History& game, int first) {
    int counted = 0;
    std::unordered_map<std::uint32_t, int> here;  // shape index → points of it
    for (int k = std::max(first, 0); k < game.stones(); ++k) {
        const rules::Board& before = game.after(k);
        const rules::Move& move = game.stone(k);
        const int colour = move.colour;
        const playout::PlayoutBoard board(before);
        // After a pass the ko the stored position names is over.
        const bool koStands = game.passesBefore(k) == 0;
        const int played = board.point(move.at.x, move.at.y);
        if (board.at(played) != rules::empty || board.ownEye(colour, played)) {
            ++leftOut_;
            continue;
        }
        here.clear();
        int winner = -1;
        long points = 0;
        for (int y = 1; y <= board.size(); ++y)
            for (int x = 1; x <= board.size(); ++x) {
                const int p = board.point(x, y);
                if (board.at(p) != rules::empty || board.ownEye(colour, p) || !board.legal(colour, p)) continue;
                // The playout board knows no ko; a ko can only be taken on a point with no
                // empty neighbour, where the rules' board decides.
                bool open = false;
                for (int n = 0; n < 4; ++n) open = open || board.at(board.neighbour(p, n)) == rules::empty;
                if (!open && koStands && !before.legal(colour, x, y)) continue;
                const std::uint32_t shape = canonicalCode(board.neighbourhood(colour, p));
                auto [it, added] = index_.try_emplace(shape, static_cast<int>(shapes_.size()));
                if (added) {
                    shapes_.push_back(shape);
                    counts_.push_back({});
                }
                ++here[static_cast<std::uint32_t>(it->second)];
                ++counts_[it->second].seen;
                ++points;
                if (p == played) {
                    winner = it->second;
                    ++counts_[it->second].played;
                }
            }
        if (winner < 0) {
            // The rules took the stone, but not as a choice the playouts make; its
            // position's points are counted already, and so leave no contest.
            ++leftOut_;
            continue;
        }
        for (const auto& [shape, n] : here) {
            entryShape_.push_back(shape);
            entryPoints_.push_back(static_cast<std::uint16_t>(n));
        }
        start_.push_back(static_cast<std::uint32_t>(entryShape_.size()));
        winner_.push_back(static_cast<std::uint32_t>(winner));
        pointsSeen_ += points;
        ++positions_;
        ++counted;
    }
    return counted;
}

PatternLearner::Counts PatternLearner::counts(std::uint32_t code) const {
    const auto it = index_.find(canonicalCode(code));
    return it == index_.end() ? Counts{} : counts_[it->second];
}

std::vector<std::uint32_t> PatternLearner::shapes() const {
    std::vector<std::uint32_t> sorted = shapes_;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

PatternTable PatternLearner::learn(long minimumSeen, int rounds) const {
    const std::size_t n = shapes_.size();
    std::vector<double> gamma(n, 1.0);
    std::vector<bool> fitted(n);
    std::vector<double> wins(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) fitted[i] = counts_[i].seen >= minimumSeen;
    for (std::uint32_t w : winner_) wins[w] += 1.0;
    std::vector<double> below(n);
    for (int round = 0; round < rounds; ++round) {
        // Each shape's strength becomes its wins over the sum, over the contests it was
        // in, of its points there over the contest's total strength; the prior adds a win
        // and two halves of a contest against a neutral point.
        std::fill(below.begin(), below.end(), 0.0);
        for (std::size_t j = 0; j + 1 < start_.size(); ++j) {
            double total = 0;
            for (std::uint32_t e = start_[j]; e < start_[j + 1]; ++e) total += entryPoints_[e] * gamma[entryShape_[e]];
            for (std::uint32_t e = start_[j]; e < start_[j + 1]; ++e) below[entryShape_[e]] += entryPoints_[e] / total;
        }
        for (std::size_t i = 0; i < n; ++i)
            if (fitted[i]) gamma[i] = (wins[i] + 1.0) / (below[i] + 2.0 / (gamma[i] + 1.0));
    }
    // The average point seen weighs 1, the shapes left at 1 included.
    double fittedSeen = 0, fittedWeight = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (fitted[i]) fittedSeen += counts_[i].seen, fittedWeight += counts_[i].seen * gamma[i];
    const double scale = fittedWeight > 0 ? fittedWeight / fittedSeen : 1.0;
    PatternTable table;
    for (std::size_t i = 0; i < n; ++i) {
        if (!fitted[i]) continue;
        const double weight = std::min<double>(gamma[i] / scale, PatternTable::max_weight);
        char text[32];
        std::snprintf(text, sizeof text, "%.4g", weight);
        table.set(shapes_[i], std::strtof(text, nullptr));
    }
    return table;
}

}  // namespace tolvan::search
