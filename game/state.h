// The game state record: every variable, grid and constant of the game, in fixed-size
// storage. One record is owned by the main window and lives from start-up to the end;
// nothing in it is allocated or freed after start-up.
#pragma once

#include <array>
#include <optional>
#include <cstdint>
#include <string>

#include "rules/history.h"

namespace tolvan {

using i16 = std::int16_t;
using i32 = std::int32_t;

// A board-shaped grid, indexed grid[x][y] with x the column and y the row, 1..size.
// Index 0 is declared but never read or written by a board loop; a point beyond the
// size of a smaller board stays empty.
template <class T>
using Grid = std::array<std::array<T, 20>, 20>;

// Stone, side, flag and mode codes. Families share values on purpose: a running game
// is recognised by turn != no_side only.
constexpr i16 stone_empty = 0;
constexpr i16 stone_black = 1;
constexpr i16 stone_white = -1;
constexpr i16 no_side = 0;
constexpr i16 flag_on = 1;
constexpr i16 flag_off = 0;
constexpr i16 mode_com = 1;
constexpr i16 mode_man = 0;

// Neighbour directions of 調査_状態 and its answer for a point outside the board.
constexpr i16 dir_up = 1;
constexpr i16 dir_right = 2;
constexpr i16 dir_down = 3;
constexpr i16 dir_left = 4;
constexpr i16 off_board = 99;

// Palette indexes (QBColor).
constexpr i16 color_black = 0;
constexpr i16 color_green = 2;
constexpr i16 color_white = 15;
constexpr i16 mark_color = 11;
constexpr i16 frame_color = 2;

// Background codes.
constexpr i16 background_green = 1;
constexpr i16 background_bamboo = 2;

// Geometry in twips: cell (i, j) starts at (board_left + i * cell_width,
// board_top + j * cell_height).
constexpr i16 cell_width = 315;
constexpr i16 cell_height = 315;
constexpr i16 board_left = 300;
constexpr i16 board_top = 50;

// Capacity of the game record: positions after 0..1000 moves. Real games reach 500
// stones, so the record holds twice as many.
constexpr int max_moves = rules::History::capacity;
// Capacity of the opening book in memory.
constexpr int joseki_capacity = 10000;

struct GameState {
    // The number of lines each way: 19, 13 or 9. Every board loop runs 1..size.
    i16 size = 19;

    // Turn, sides and mode.
    i16 turn = no_side;
    i16 man_side = stone_black;
    i16 com_side = stone_white;
    i16 play_mode = no_side;

    // The position shown (stones of the record up to it) and the last stone played.
    i16 move_no = 0;
    i16 last_x = 0;
    i16 last_y = 0;
    i16 last_side = stone_empty;

    // Prisoners: black_captures are white stones taken by black, and the reverse.
    i16 black_captures = 0;
    i16 white_captures = 0;

    // Handicap, review, reversal, passes, hint.
    i16 handicap_level = 0;
    i16 handicap_set = flag_off;
    i16 record_mode = flag_off;
    i16 reversed = flag_off;
    i16 com_passed = flag_off;
    i16 man_passed = flag_off;
    i16 hint_active = flag_off;
    i16 hint_x = 0;
    i16 hint_y = 0;

    // Preferences and environment.
    i16 background = background_bamboo;
    std::string start_dir;

    // Sound handles of the sound library; 0 means none.
    i32 sound_stone = 0;
    i32 sound_forbidden = 0;
    i32 sound_other = 0;
    i32 sound_bgm = 0;
    i32 sound_device = 0;

    // The window font's bold flag; move numbers switch it off while they are written.
    bool font_bold = true;

    // The position shown, as the record has it (boardFromRecord), and the working grids.
    Grid<i16> board{};
    Grid<i16> board_saved{};
    Grid<i16> scan_mark{};
    Grid<i16> judge_map{};
    // The estimate's marks are on the board (形勢判断): the next press, key or command
    // takes them away.
    bool estimate_shown = false;
    // The point a hint (ヒント) marks until the next press, key or command; x 0 for none.
    rules::Point hint_shown{};
    // The points a reviewed mistake marks the same way: the better move and the move
    // played instead.
    rules::Point better_shown{};
    rules::Point mistake_shown{};

    // The game record: the position before the first move, every stone with the
    // position after it, and the passes. Stone k is move k + 1; record.after(n) is the
    // board after n moves, record.stones() the number of moves recorded. While the board
    // shows the end of the record and the last thing done was a pass, the position
    // before the opponent's last move is the position on the board, so the next stone
    // may take a ko back at once. A saved record ends with these passes.
    rules::History record{19};
    // The komi an opened record names (KM): it holds for that game, whatever the menu's
    // choice, until a new game starts. Nothing for a game begun in the window.
    std::optional<double> record_komi;

    // The computer player's analysis grids, filled once per computer turn.
    Grid<i16> atari_map_com{};
    Grid<i16> atari_map_man{};
    Grid<i16> atari2_map_com{};
    Grid<i16> atari2_map_man{};
    Grid<i16> neighbour_count{};
    Grid<double> opening_bonus{};

    // The opening book in memory: lines 1..joseki_count, and per key the first and
    // last line of its last run (joseki_first 0 = the key never occurred).
    std::array<std::string, joseki_capacity + 1> joseki_line{};
    std::array<i16, joseki_capacity + 1> joseki_first{};
    std::array<i16, joseki_capacity + 1> joseki_last{};
    i16 joseki_count = 0;
};

// The side panel stands beside the board's last line: its columns and twips are laid
// out for the 19-line board and move left with the edge of a smaller one.
inline double panelColumn(const GameState& s, double i) { return i + (s.size - 19); }
inline double panelTwips(const GameState& s, double x) { return x + (s.size - 19) * cell_width; }

}  // namespace tolvan
