// The built-in player's choice of a move, apart from playing it.
#pragma once

namespace tolvan {

class Tolvan;

// The move the built-in player chooses for the side to move (turn), playing as com_side
// against man_side: the book's answer to the last recorded stone when it knows one the
// rules allow, else the best scored point. A best of 0 or less means a pass; so does a
// full record. The turn's analysis grids are filled; the board is left as it was.
struct BuiltinChoice {
    double best = -9999;
    int x = 0;
    int y = 0;
};
BuiltinChoice builtinChoice(Tolvan& game);

}  // namespace tolvan
