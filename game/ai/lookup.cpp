// The book lookup: is the corner quadrant around a stone a book position, and where
// does the book answer? The position string writes the person's stones "1" and the
// computer's "2", so a lookup on the board as it stands gives the computer's answer to
// the person; with the colours exchanged (碁盤_入替) it gives the person's answer, the
// hint.
#include "game/tolvan.h"

namespace tolvan {

namespace {

// The two reply fields of a matched line. rest is the tail after the position part:
// ",cell,line" with a cell of one or two characters. Each field must start with a
// digit; the value is its leading number (the line field read from at most two
// characters). false when the fields cannot be read.
bool readReply(const std::string& rest, int& first, int& second) {
    auto digit = [](char ch) { return ch >= '0' && ch <= '9'; };
    std::size_t second_at;
    if (rest.size() >= 3 && rest[2] == ',')
        second_at = 3;
    else if (rest.size() >= 4 && rest[3] == ',')
        second_at = 4;
    else
        return false;
    if (!digit(rest[1]) || second_at >= rest.size() || !digit(rest[second_at])) return false;

    first = rest[1] - '0';
    if (second_at == 4 && digit(rest[2])) first = first * 10 + (rest[2] - '0');
    second = rest[second_at] - '0';
    if (second_at + 1 < rest.size() && digit(rest[second_at + 1]))
        second = second * 10 + (rest[second_at + 1] - '0');
    return true;
}

}  // namespace

// flag_on when the quadrant of (x, y) holds a book position, in either orientation;
// (x, y) then holds the reply in its intermediate form for 取得_定石MAN座標. A matched
// line whose reply cannot be read is passed over. On flag_off (x, y) is unchanged.
i16 Tolvan::調査_定石有無(int& x, int& y) {
    // The book's corners are those of the 19-line board: a smaller board has no book.
    if (s.size != 19) return flag_off;
    for (int o = 0; o <= 1; ++o) {
        const std::string position = 取得_文字列(o, x, y);
        int key = 0;
        取得_文字列_定石座標(position, key);
        if (key < 0 || key > joseki_capacity || s.joseki_first[key] == 0) continue;
        const int last = s.joseki_last[key];
        for (int n = s.joseki_first[key]; n <= last && n <= s.joseki_count; ++n) {
            const std::string& line = s.joseki_line[n];
            const std::string part = 取得_文字列_定石(line);
            if (part.empty() || part != position) continue;
            const std::string rest = line.substr(part.size());
            int first, second;
            if (!readReply(rest, first, second)) continue;
            取得_座標(rest, o, x, y);
            return flag_on;
        }
    }
    return flag_off;
}

// Reads the reply fields of rest into (x, y): (cell, line) for orientation 0, swapped
// for orientation 1. x and y are unchanged when the fields cannot be read.
void Tolvan::取得_座標(const std::string& rest, int orientation, int& x, int& y) {
    int first, second;
    if (!readReply(rest, first, second)) return;
    if (orientation == 0) {
        x = first;
        y = second;
    } else {
        x = second;
        y = first;
    }
}

// Turns an intermediate reply (x, y) into the board point it names in the quadrant of
// the looked-up point (px, py).
void Tolvan::取得_定石MAN座標(int px, int py, int& x, int& y) {
    const int u = x, v = y;
    if (px <= 10 && py <= 10) {
        x = u;
        y = v;
    } else if (px <= 10) {
        x = v;
        y = 20 - u;
    } else if (py <= 10) {
        x = 20 - v;
        y = u;
    } else {
        x = 20 - u;
        y = 20 - v;
    }
}

}  // namespace tolvan
