// Stepping back through the stored positions of the game, as 戻 and 待った show it.
#pragma once

namespace tolvan {

class Tolvan;

// The board, drawn at the position it showed, is brought to the stored position after
// move_no stones: the points that differ are drawn again, the prisoners follow, the last
// stone gets its mark, the book's hint answers the computer's stone, and the move count,
// the numbers and the stone's sound follow as after 戻. The turn and passes are the
// caller's.
void showSteppedBack(Tolvan& game);

// Stepping through the stored positions gives up the book's hint: with 指南 ticked, the
// hint is dropped and the panel shows the mode without one.
void dropBookHint(Tolvan& game);

}  // namespace tolvan
