// ヒント: the move suggested to the side to move, marked on the board until the next
// press, key or command; and the marks a reviewed mistake puts on the board the same way.
#pragma once

#include "rules/geometry.h"

namespace tolvan {

class Tolvan;

// Marks the move that the engine in use would play when it is a GTP engine, else the
// one Tolvan's own search finds in about a second, else (where the port has neither) the
// built-in player's, for the side to move in the position shown; a pass is said in a
// message. Nothing in the game changes: no move is played, nothing is heard, and the
// counters stay. A wait for an engine shows 思考中 with the seconds, and may be cancelled.
void showHint(Tolvan& game);

// The marks put on empty points until the next press, key or command. Each has a shape
// and a colour of its own, and none is the last move's cyan dot: ヒント's move a blue
// square; a reviewed mistake's better move a green triangle (the triangle a reviewed
// record puts there), and the move played instead a red cross.
enum class PointMark { hint, better, mistake };

// Their palette colours: blue, green, red.
constexpr int hint_mark_color = 9;
constexpr int better_mark_color = 2;
constexpr int mistake_mark_color = 12;

// Draws `mark` on point `at`, nothing else.
void drawPointMark(Tolvan& game, rules::Point at, PointMark mark);

// Marks the empty point `at` with `mark` until clearHint; nothing on a point that holds a
// stone or lies off the board.
void markPoint(Tolvan& game, rules::Point at, PointMark mark);

// The marks, if any are shown, go: their points are drawn again as they stand.
void clearHint(Tolvan& game);

}  // namespace tolvan
