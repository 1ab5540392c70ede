// ヒント: the move suggested to the side to move, marked on the board until the next
// press, key or command.
#pragma once

#include "rules/geometry.h"

namespace tolvan {

class Tolvan;

// Marks the move that the engine in use would play, else GNU Go's when it is installed,
// else the built-in player's, for the side to move in the position shown; a pass is said
// in a message. Nothing in the game changes: no move is played, nothing is heard, and the
// counters stay. A wait for an engine shows 思考中 with the seconds, and may be cancelled.
void showHint(Tolvan& game);

// Marks `at` as a move for `colour`, the way a hint is marked, until the mark is cleared.
void markHint(Tolvan& game, rules::Point at, int colour);

// The mark, if one is shown, goes: its point is drawn again as it stands.
void clearHint(Tolvan& game);

}  // namespace tolvan
