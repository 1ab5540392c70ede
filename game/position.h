// The game's position as a value of the rules: what the game asks when it decides a rule,
// and how a whole record is taken up as the game.
#pragma once

#include <string>

#include "game/state.h"
#include "rules/board.h"
#include "rules/geometry.h"
#include "rules/history.h"

namespace tolvan {

class Tolvan;

// The stones of the board and the prisoners, with no last move.
rules::Board boardOf(const GameState& s);

// The position shown (after move_no stones) as the record stores it: its stones, its
// prisoners and what the ko rule knows of its last stone. With `passes`, a pass made
// after the end of the record, while the board shows that end, lifts the ko.
rules::Board positionOf(const GameState& s, bool passes);

// The board grid and the prisoner counters take the position shown from the record: the
// one way the game's own copy of the position follows the record.
void boardFromRecord(GameState& s);

// Move k + 1 of the record; no stone (colour and point 0) for a k outside it.
rules::Move recordedMove(const GameState& s, int k);

// The colour to move at the position after n stones of the record, and whether the
// passes made there stand: at the end of the record each pass made after the last stone
// hands the move on; at an earlier position the move is the side's that was to play after
// the stone on top (at the start, the first stone's side before the passes ahead of it),
// and the passes ahead of the next stone are stepped back over. no_side for an empty record.
int sideToMove(const rules::History& record, int n);

// Turn and the passes of the turn as the position shown has them (sideToMove at
// move_no): what 戻 and 進 leave for the game to be taken up from. The last pass at the
// end of the record is the computer's or the person's by its colour against the computer,
// and anyone's between two people. A game that is not running stays so.
void followPosition(GameState& s);

// A pass made at the position shown: the stones after it are dropped, as the next stone
// would drop them, and the pass follows the stone on top.
void recordPass(GameState& s);

// A point as the board's labels name it (the rules' geometry names it).
using rules::pointLabel;

// Replaces the game's record with `record` and shows its end: the board, the move count,
// the last stone, the prisoners and the passes come from the record, `toMove` is to move.
// Handicap level, reversal, passes of the turn, hint and review start afresh; the mode
// and sides are left to the caller. Nothing is drawn.
void takeUpRecord(Tolvan& game, const rules::History& record, int toMove);

}  // namespace tolvan
