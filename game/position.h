// The game's position as a value of the rules: what the game asks when it decides a rule,
// and how a whole record is taken up as the game.
#pragma once

#include <string>

#include "game/state.h"
#include "rules/board.h"
#include "rules/history.h"

namespace tolvan {

class Tolvan;

// The stones of the board and the prisoners, with no last move.
rules::Board boardOf(const GameState& s);

// The position on the board as the rules see it: its stones and prisoners, and for the
// ko rule the last stone (last_x, last_y) with the stored position before it. With
// `passes`, a pass made after the end of the record, while the board shows that end,
// lifts the ko.
rules::Board positionOf(const GameState& s, bool passes);

// Move k + 1 of the record; no stone (colour and point 0) for a k outside it.
rules::Move recordedMove(const GameState& s, int k);

// A point as the board's labels name it: the column's letter from A (I included) and the
// row's number counted from the top, "D16" for (4, 16).
std::string pointLabel(rules::Point p);

// Replaces the game's record with `record` and shows its end: the board, the move count,
// the last stone, the prisoners and the passes come from the record, `toMove` is to move.
// Handicap level, reversal, passes of the turn, hint and review start afresh; the mode
// and sides are left to the caller. Nothing is drawn.
void takeUpRecord(Tolvan& game, const rules::History& record, int toMove);

}  // namespace tolvan
