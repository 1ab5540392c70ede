// The opening book file: loading it into the book arrays with its key index, reading a
// line's key and position part, and encoding a corner quadrant as a position string.
//
// A book line is a position string, then the reply's cell and line:
//   key,line1,line2,...,line10,cell,line
// The key text is the number of the mover's stones ("1") followed by the number of the
// answering side's stones ("2") in two digits at least; lines with the same key stand
// together, and joseki_first / joseki_last hold the first and last line of each key's
// (last) run.
#include <sstream>
#include <variant>

#include "game/tolvan.h"
#include "records/read.h"

namespace tolvan {

namespace {

// No book line comes near this: 5 key digits, ten lines of at most ten cells, two
// reply fields and their commas. A longer line is not a book line and ends the loading.
constexpr std::size_t max_line_length = 1024;

// The leading decimal number of a text, 0 when it does not start with a digit.
int leadingNumber(const std::string& text) {
    int n = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') break;
        n = n * 10 + (ch - '0');
        if (n > 99999) break;  // more digits than any field holds; the value is already too big
    }
    return n;
}

// Reads one line ending in LF, CR LF or a lone CR; the last line needs no line end.
enum class LineRead { ok, end, too_long };

LineRead readLine(std::istream& in, std::string& line) {
    line.clear();
    std::istream::int_type c = in.get();
    if (c == std::istream::traits_type::eof()) return LineRead::end;
    while (c != std::istream::traits_type::eof()) {
        if (c == '\n') return LineRead::ok;
        if (c == '\r') {
            if (in.peek() == '\n') in.get();
            return LineRead::ok;
        }
        if (line.size() >= max_line_length) return LineRead::too_long;
        line.push_back(static_cast<char>(c));
        c = in.get();
    }
    return LineRead::ok;
}

}  // namespace

// Loads the book file into memory. A missing file, or one that is not an ordinary file
// of at most 16 MiB, leaves the book empty; the first line that does not fit (line
// 10001, a key outside the index, an over-long line) ends the loading quietly, and the
// lines before it stay in the book.
void Tolvan::定石ファイル読込() {
    s.joseki_count = 0;
    s.joseki_first.fill(0);
    s.joseki_last.fill(0);
    for (auto& l : s.joseki_line) l.clear();

    // Ten thousand lines of the longest length fit in 16 MiB.
    auto read = files::readWhole(pf.clock.dataFile(book_file), 16u << 20);
    if (!std::holds_alternative<std::string>(read)) return;
    std::istringstream in(std::move(std::get<std::string>(read)));

    int previous = 0;
    int key = 0;  // a first line without a key counts as key 0
    std::string line;
    for (;;) {
        const LineRead r = readLine(in, line);
        if (r != LineRead::ok) break;
        if (s.joseki_count >= joseki_capacity) break;
        取得_文字列_定石座標(line, key);
        if (key < 0 || key > joseki_capacity) break;

        s.joseki_count = static_cast<i16>(s.joseki_count + 1);
        s.joseki_line[s.joseki_count] = line;
        if (key != previous) {
            previous = key;
            s.joseki_first[key] = s.joseki_count;
        }
        s.joseki_last[key] = s.joseki_count;
    }
}

// The key at the head of a book line or position string: the number before a comma in
// the 4th or the 5th character. Without such a comma key keeps its value.
void Tolvan::取得_文字列_定石座標(const std::string& text, int& key) {
    if (text.size() >= 4 && text[3] == ',')
        key = leadingNumber(text.substr(0, 3));
    else if (text.size() >= 5 && text[4] == ',')
        key = leadingNumber(text.substr(0, 4));
}

// The position part of a book line: everything before its second-to-last comma. A line
// with fewer than two commas has none, and gives the empty text, which no position
// string equals.
std::string Tolvan::取得_文字列_定石(const std::string& line) {
    int commas = 0;
    for (std::size_t i = line.size(); i-- > 0;) {
        if (line[i] == ',' && ++commas == 2) return line.substr(0, i);
    }
    return {};
}

// The position string of the quadrant chosen by (x, y), read in the given orientation:
// the key text, then for each of the 10 lines a comma and the line's cells from its
// first stone on ("1" the person's stone, "2" the computer's, "0" anything else).
std::string Tolvan::取得_文字列(int orientation, int x, int y) {
    const bool left = x <= 10;
    const bool upper = y <= 10;
    std::string lines;
    int man = 0, com = 0;
    for (int l = 1; l <= 10; ++l) {
        lines += ',';
        bool started = false;
        for (int c = 1; c <= 10; ++c) {
            // Orientation 0 reads lines along the rows of the upper-left quadrant; the
            // other quadrants are its reflections, orientation 1 its diagonal mirror.
            const int a = orientation == 0 ? c : l;
            const int b = orientation == 0 ? l : c;
            int bx, by;
            if (left && upper) {
                bx = a;
                by = b;
            } else if (left) {
                bx = b;
                by = 20 - a;
            } else if (upper) {
                bx = 20 - b;
                by = a;
            } else {
                bx = 20 - a;
                by = 20 - b;
            }
            const i16 v = s.board[bx][by];
            char ch = '0';
            if (v != stone_empty && v == s.man_side) {
                ch = '1';
                ++man;
            } else if (v != stone_empty && v == s.com_side) {
                ch = '2';
                ++com;
            }
            if (ch != '0') started = true;
            if (started) lines += ch;
        }
    }
    return std::to_string(man) + (com < 10 ? "0" : "") + std::to_string(com) + lines;
}

}  // namespace tolvan
