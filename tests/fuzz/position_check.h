// What must hold of the game state after anything the outside world can do to it: the
// board holds only stones and empty points, nothing stands beyond its size in the grid,
// every chain has a liberty, the prisoner counts are not negative, the record counters
// are within the record, and the record's last position (the rules' own) is as sound.
#pragma once

#include <string>
#include <vector>

#include "game/state.h"
#include "rules/board.h"

namespace tolvan::fuzz {

inline std::string boardProblem(const rules::Board& b);

// An empty text when the position is sound, otherwise what is wrong with it.
inline std::string positionProblem(const GameState& s) {
    const int n = s.size;
    // The whole grid, so that a stone written past the edge of a smaller board is seen.
    for (int x = 0; x < static_cast<int>(s.board.size()); ++x)
        for (int y = 0; y < static_cast<int>(s.board[x].size()); ++y) {
            const int v = s.board[x][y];
            const bool on = x >= 1 && x <= n && y >= 1 && y <= n;
            if (on ? v != stone_empty && v != stone_black && v != stone_white : v != stone_empty)
                return "point " + std::to_string(x) + "," + std::to_string(y) + " of " +
                       std::to_string(n) + " lines holds " + std::to_string(v);
        }
    // Each chain is flooded once; a chain that reaches no empty point has no liberty.
    Grid<bool> seen{};
    int stack[361][2];
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y) {
            const int c = s.board[x][y];
            if (c == stone_empty || seen[x][y]) continue;
            bool liberty = false;
            int top = 0;
            stack[top][0] = x;
            stack[top][1] = y;
            ++top;
            seen[x][y] = true;
            while (top > 0) {
                --top;
                const int px = stack[top][0], py = stack[top][1];
                const int nx[4] = {px - 1, px + 1, px, px};
                const int ny[4] = {py, py, py - 1, py + 1};
                for (int k = 0; k < 4; ++k) {
                    if (nx[k] < 1 || nx[k] > n || ny[k] < 1 || ny[k] > n) continue;
                    const int v = s.board[nx[k]][ny[k]];
                    if (v == stone_empty) liberty = true;
                    if (v == c && !seen[nx[k]][ny[k]]) {
                        seen[nx[k]][ny[k]] = true;
                        stack[top][0] = nx[k];
                        stack[top][1] = ny[k];
                        ++top;
                    }
                }
            }
            if (!liberty)
                return "the chain at " + std::to_string(x) + "," + std::to_string(y) +
                       " has no liberty";
        }
    if (s.black_captures < 0 || s.white_captures < 0)
        return "prisoners " + std::to_string(s.black_captures) + " / " +
               std::to_string(s.white_captures);
    if (s.move_no < 0 || s.move_no > s.record.stones() || s.record.stones() > max_moves)
        return "record counters " + std::to_string(s.move_no) + " / " +
               std::to_string(s.record.stones());
    const std::string end = boardProblem(s.record.after(s.record.stones()));
    if (!end.empty()) return "the record's last position: " + end;
    return {};
}

// The same of a position of the rules at any size: every chain has a liberty, stones and
// empty points fill the board, and the prisoners are not negative.
inline std::string boardProblem(const rules::Board& b) {
    const int n = b.size();
    int empties = 0;
    std::vector<bool> seen(n * n + n + 1);  // by y * n + x
    std::vector<rules::Point> stack;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y) {
            const int c = b.at(x, y);
            empties += c == rules::empty;
            if (c == rules::empty || seen[y * n + x]) continue;
            bool liberty = false;
            stack.assign(1, {x, y});
            seen[y * n + x] = true;
            while (!stack.empty()) {
                const rules::Point p = stack.back();
                stack.pop_back();
                for (const rules::Point q : {rules::Point{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}}) {
                    if (!b.onBoard(q.x, q.y)) continue;
                    liberty = liberty || b.at(q.x, q.y) == rules::empty;
                    if (b.at(q.x, q.y) == c && !seen[q.y * n + q.x]) stack.push_back(q), seen[q.y * n + q.x] = true;
                }
            }
            if (!liberty) return "the chain at " + std::to_string(x) + "," + std::to_string(y) + " has no liberty";
        }
    if (b.stones(rules::black) + b.stones(rules::white) + empties != n * n)
        return "stones and empty points do not fill the board";
    if (b.prisoners(rules::black) < 0 || b.prisoners(rules::white) < 0) return "negative prisoners";
    return {};
}

}  // namespace tolvan::fuzz
