// tolvan-bookgen: writes the opening book "Tolvan.定石" from the joseki sequences in
// data/joseki/*.txt.
//
//   tolvan-bookgen [--show] -o <book file> <sequence files or folders>...
//
// Every sequence is replayed in the upper-left corner of the 19-line board, the only one
// the book answers on, through the rules. After
// each move the position is written from the point of view of the side that just moved
// (its stones "1", the other side's "2"), with the next move of the sequence as the
// reply; the game's lookup finds the same shape in every corner and in the mirror image
// by itself. A position where the side to answer has no stone in the corner yet (the
// first corner stone) gets no line: taking empty corners or approaching is left to the
// whole-board play. When several sequences reach the same position (or its mirror image)
// the first one's reply is kept. Lines are grouped by key, as the loader's index needs.
//
// The book is refused, and nothing is written, when a move is off the quadrant, on an
// occupied point, suicide or an immediate ko retake, or when the written book, loaded by
// the game and looked up in all eight orientations of every line, does not give back
// each line's reply. --show prints every sequence as a numbered diagram for review.
//
// Sequence files: one sequence per line, moves as two letters from the upper-left
// corner, column first ("dd" is the 4-4 point, "cd" the 3-4 point on the left side),
// lines a..i only (the middle line 10 belongs to two quadrants). "#" starts a comment;
// the comment lines just above a sequence name it. The first move is played by black.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/tolvan.h"
#include "platform/headless.h"
#include "platform/port.h"
#include "rules/board.h"

namespace fs = std::filesystem;
using namespace tolvan;

namespace {

struct Move {
    int x = 0, y = 0;
};

struct Sequence {
    std::string where;  // file:line
    std::string name;   // the comment above it
    std::vector<Move> moves;
};

// One book line with what is needed to check it: the corner position it encodes (upper
// left), the side that just moved, its last stone and the reply.
struct Entry {
    std::string text;
    int key = 0;
    Grid<i16> board{};
    i16 mover = stone_black;
    Move last, reply;
    std::string where;
};

constexpr int max_cell = 9;
// The board the book answers on.
constexpr int book_size = 19;

std::string pointName(Move m) {
    return std::string{static_cast<char>('a' + m.x - 1), static_cast<char>('a' + m.y - 1)};
}

bool parseFile(const fs::path& file, std::vector<Sequence>& out, std::string& error) {
    std::ifstream in(file);
    if (!in) {
        error = file.string() + ": cannot be read";
        return false;
    }
    std::string line, name;
    int number = 0;
    bool after_sequence = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string comment;
        if (auto hash = line.find('#'); hash != std::string::npos) {
            comment = line.substr(hash + 1);
            line.erase(hash);
        }
        const auto text = comment.find_first_not_of(' ');
        comment = text == std::string::npos ? std::string{} : comment.substr(text);
        std::istringstream words(line);
        std::string word;
        Sequence seq;
        seq.where = file.filename().string() + ":" + std::to_string(number);
        while (words >> word) {
            if (word.size() != 2 || word[0] < 'a' || word[0] > 's' || word[1] < 'a' ||
                word[1] > 's') {
                error = seq.where + ": \"" + word + "\" is not a point";
                return false;
            }
            Move m{word[0] - 'a' + 1, word[1] - 'a' + 1};
            if (m.x > max_cell || m.y > max_cell) {
                error = seq.where + ": " + word + " lies outside lines 1..9 of the corner";
                return false;
            }
            seq.moves.push_back(m);
        }
        if (seq.moves.empty()) {
            // The comment lines above a sequence name it; a blank line ends the name.
            if (comment.empty()) {
                name.clear();
            } else {
                if (after_sequence) name.clear();
                name += (name.empty() ? "" : " ") + comment;
            }
            after_sequence = false;
            continue;
        }
        after_sequence = true;
        seq.name = comment.empty() ? name : name + (name.empty() ? "" : ": ") + comment;
        out.push_back(std::move(seq));
    }
    return true;
}

class Replayer {
public:
    Replayer() : game(std::make_unique<Tolvan>(platform.port())) {}

    GameState& s() { return game->s; }
    Tolvan& g() { return *game; }

    // An empty board, on the game's grid too.
    void clear() {
        for (auto& col : s().board) col.fill(stone_empty);
        position = rules::Board(book_size);
    }

    // Why a stone of colour c cannot go on m now, or "" when it can.
    std::string refusal(Move m, i16 c) const {
        if (m.x < 1 || m.x > max_cell || m.y < 1 || m.y > max_cell) return "off the corner";
        switch (position.why(c, m.x, m.y)) {
            case rules::Why::legal: return "";
            case rules::Why::off_board: return "off the board";
            case rules::Why::occupied: return "occupied";
            case rules::Why::suicide: return "suicide";
            case rules::Why::ko: return "an immediate ko retake";
        }
        return "";
    }

    // Plays the stone through the rules; the game's grid, which the book's lines are
    // read from, shows the position after it.
    void play(Move m, i16 c) {
        position.play(c, m.x, m.y);
        for (int x = 1; x <= book_size; ++x)
            for (int y = 1; y <= book_size; ++y) s().board[x][y] = static_cast<i16>(position.at(x, y));
    }

private:
    HeadlessPlatform platform{0};
    std::unique_ptr<Tolvan> game;
    rules::Board position{book_size};
};

// The board point of (cell, line) in quadrant q (0 upper left, 1 lower left, 2 upper
// right, 3 lower right) and orientation o, as the book frame defines it.
Move framePoint(int q, int o, int cell, int line) {
    const int a = o == 0 ? cell : line;
    const int b = o == 0 ? line : cell;
    switch (q) {
        case 0: return {a, b};
        case 1: return {b, book_size + 1 - a};
        case 2: return {book_size + 1 - b, a};
        default: return {book_size + 1 - a, book_size + 1 - b};
    }
}

void showSequence(const Sequence& seq, const Grid<i16>& board) {
    std::printf("%s  %s\n", seq.where.c_str(), seq.name.c_str());
    std::map<std::pair<int, int>, int> number;
    for (std::size_t i = 0; i < seq.moves.size(); ++i)
        number[{seq.moves[i].x, seq.moves[i].y}] = static_cast<int>(i + 1);
    std::printf("    ");
    for (int x = 1; x <= 10; ++x) std::printf("  %c", 'a' + x - 1);
    std::printf("\n");
    for (int y = 1; y <= 10; ++y) {
        std::printf("  %c ", 'a' + y - 1);
        for (int x = 1; x <= 10; ++x) {
            const i16 v = board[x][y];
            auto it = number.find({x, y});
            if (v == stone_empty)
                std::printf("  .");
            else if (it != number.end())
                std::printf(" %c%d", v == stone_black ? 'X' : 'O', it->second % 10);
            else
                std::printf("  %c", v == stone_black ? 'X' : 'O');
        }
        std::printf("\n");
    }
    std::printf("\n");
}

// Loads the written book into a fresh game and looks every line's position up in all
// eight orientations; each must answer with the line's reply on an empty point.
bool verify(const fs::path& book, const std::vector<Entry>& entries, std::string& error) {
    Replayer r;
    r.g().book_file = book.string();
    r.g().定石ファイル読込();
    if (r.s().joseki_count != static_cast<int>(entries.size())) {
        error = "the game loaded " + std::to_string(r.s().joseki_count) + " of " +
                std::to_string(entries.size()) + " lines";
        return false;
    }
    for (const Entry& e : entries) {
        Grid<i16> mirror{};
        for (int x = 1; x <= 10; ++x)
            for (int y = 1; y <= 10; ++y) mirror[y][x] = e.board[x][y];
        const bool symmetric = mirror == e.board;
        for (int q = 0; q < 4; ++q)
            for (int o = 0; o < 2; ++o) {
                r.clear();
                for (int x = 1; x <= 10; ++x)
                    for (int y = 1; y <= 10; ++y) {
                        const Move p = framePoint(q, o, x, y);
                        r.s().board[p.x][p.y] = e.board[x][y];
                    }
                r.s().man_side = e.mover;
                r.s().com_side = static_cast<i16>(-e.mover);
                const Move last = framePoint(q, o, e.last.x, e.last.y);
                int x = last.x, y = last.y;
                const bool found = r.g().調査_定石有無(x, y) == flag_on;
                if (found) r.g().取得_定石MAN座標(last.x, last.y, x, y);
                const Move want = framePoint(q, o, e.reply.x, e.reply.y);
                const Move also = framePoint(q, 1 - o, e.reply.x, e.reply.y);
                const bool right = found && ((x == want.x && y == want.y) ||
                                             (symmetric && x == also.x && y == also.y));
                if (!right || r.s().board[x][y] != stone_empty) {
                    error = e.where + ": the line \"" + e.text + "\" is not answered by " +
                            pointName(e.reply) + " in quadrant " + std::to_string(q) +
                            ", orientation " + std::to_string(o);
                    return false;
                }
            }
    }
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: tolvan-bookgen [--show] -o <book file> <files or folders>...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool show = false;
    fs::path output;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--show")
            show = true;
        else if (a == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (!a.empty() && a[0] == '-')
            return usage();
        else
            inputs.emplace_back(a);
    }
    if (inputs.empty() || (output.empty() && !show)) return usage();

    // Files in name order, so that the first reply for a position is always the same.
    std::vector<fs::path> files;
    for (const auto& in : inputs) {
        if (fs::is_directory(in)) {
            std::vector<fs::path> found;
            for (const auto& f : fs::directory_iterator(in))
                if (f.path().extension() == ".txt") found.push_back(f.path());
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(in);
        }
    }

    std::vector<Sequence> sequences;
    std::string error;
    for (const auto& f : files)
        if (!parseFile(f, sequences, error)) {
            std::fprintf(stderr, "tolvan-bookgen: %s\n", error.c_str());
            return 1;
        }

    Replayer r;
    std::vector<Entry> entries;
    std::set<std::string> seen;  // position parts written so far, in orientation 0
    int answered_before = 0;
    for (const Sequence& seq : sequences) {
        r.clear();
        for (std::size_t i = 0; i < seq.moves.size(); ++i) {
            const Move m = seq.moves[i];
            const i16 c = i % 2 == 0 ? stone_black : stone_white;
            if (const std::string why = r.refusal(m, c); !why.empty()) {
                std::fprintf(stderr, "tolvan-bookgen: %s: move %zu (%s) is %s\n",
                             seq.where.c_str(), i + 1, pointName(m).c_str(), why.c_str());
                return 1;
            }
            r.play(m, c);
            if (i + 1 == seq.moves.size()) break;

            r.s().man_side = c;
            r.s().com_side = static_cast<i16>(-c);
            const std::string pos0 = r.g().取得_文字列(0, m.x, m.y);
            const std::string pos1 = r.g().取得_文字列(1, m.x, m.y);
            int answering = 0;
            for (int x = 1; x <= 10; ++x)
                for (int y = 1; y <= 10; ++y) answering += r.s().board[x][y] == -c;
            if (answering == 0) continue;
            if (seen.count(pos0) || seen.count(pos1)) {
                ++answered_before;
                continue;
            }
            seen.insert(pos0);

            Entry e;
            const Move next = seq.moves[i + 1];
            e.text = pos0 + "," + std::to_string(next.x) + "," + std::to_string(next.y);
            r.g().取得_文字列_定石座標(e.text, e.key);
            e.board = r.s().board;
            e.mover = c;
            e.last = m;
            e.reply = next;
            e.where = seq.where;
            entries.push_back(std::move(e));
        }
        if (show) showSequence(seq, r.s().board);
    }

    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    if (entries.size() > static_cast<std::size_t>(joseki_capacity)) {
        std::fprintf(stderr, "tolvan-bookgen: %zu lines do not fit the book's %d\n",
                     entries.size(), joseki_capacity);
        return 1;
    }
    std::fprintf(stderr, "tolvan-bookgen: %zu sequences, %zu book lines (%d positions answered by an earlier line)\n",
                 sequences.size(), entries.size(), answered_before);
    if (output.empty()) return 0;

    // Written beside the target first, checked through the game's own loader and
    // lookup, and only then put in place.
    fs::path temp = output;
    temp += ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const Entry& e : entries) out << e.text << "\r\n";
        if (!out) {
            std::fprintf(stderr, "tolvan-bookgen: cannot write %s\n", temp.string().c_str());
            return 1;
        }
    }
    if (!verify(temp, entries, error)) {
        fs::remove(temp);
        std::fprintf(stderr, "tolvan-bookgen: %s\n", error.c_str());
        return 1;
    }
    fs::rename(temp, output);
    return 0;
}
