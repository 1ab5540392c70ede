// 碁盤: the number of lines of the board (19, 13 or 9), chosen in 対局 and kept in
// Tolvan.ini. The whole game follows the size of its board: the rules, the computer,
// the picture, the panel beside it and the window around them.
#pragma once

#include <string>

namespace tolvan {

class Tolvan;

// The menu item of a board (one of rules::offered_sizes, in the menu's order) ("GOBAN_19" ...), and whether an item is one of them.
std::string boardLinesItem(int lines);
bool isBoardLinesItem(const std::string& item);

// The command of a board item: when a game is running the person is asked first, as
// when a record is opened; then the board of that size is ticked, the game starts
// afresh on it and the choice is written to the settings file.
void chooseBoardLines(Tolvan& game, const std::string& item);

// At start-up, after the settings file was read: the board it names, 19 otherwise.
void applyBoardLines(Tolvan& game);

// The game takes a board of `lines` lines, empty: the grids, the record, the menu's tick
// and the window follow. The caller resets or redraws the game afterwards.
void setBoardLines(Tolvan& game, int lines);

}  // namespace tolvan
