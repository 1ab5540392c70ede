// 表示の大きさ: the size the window shows the game at, chosen in ｵﾌﾟｼｮﾝ and kept in
// Tolvan.ini. The game itself always works in twips; the window turns them into pixels
// at the chosen size, so nothing but the picture changes with it.
#pragma once

#include <string>

namespace tolvan {

class Tolvan;

// The sizes offered, in per cent of the window's own size. Each makes one cell of the
// board a whole number of pixels (21, 28, 35, 42 and 63).
constexpr int board_sizes[] = {100, 133, 167, 200, 300};

// Whether `percent` is one of the sizes offered.
bool isBoardSize(int percent);

// The menu item of a size ("BAN_100" ...), and whether an item is one of them.
std::string boardSizeItem(int percent);
bool isBoardSizeItem(const std::string& item);

// The command of a size item: a size that fits the screen is ticked, the window takes
// it and is redrawn whole with the game as it stands, and the choice is written to the
// settings file. A size that does not fit changes nothing.
void chooseBoardSize(Tolvan& game, const std::string& item);

// At start-up, after the settings file was read: the size it names, when the screen
// holds it; 100 % otherwise (the file keeps its choice for a larger screen).
void applyBoardSize(Tolvan& game);

// Shows the game at `percent` without writing the settings file (a size given on the
// command line). False for a size that is not offered.
bool showBoardSize(Tolvan& game, int percent);

}  // namespace tolvan
