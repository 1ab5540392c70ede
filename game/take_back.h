// 待った: in a game against the computer, the person's last move is taken back together
// with what was played after it, the computer's answer and any passes.
#pragma once

namespace tolvan {

class Tolvan;

// Drops the person's last move (a stone or a pass) and everything after it from the
// record, shows the position before it and lets the person play on; an engine playing the
// computer's moves is given that position with its next question. Refused with a message
// when there is nothing to take back: no game, two people, the record being looked
// through, the count at the end, or no move of the person's yet.
void takeBack(Tolvan& game);

}  // namespace tolvan
