// 形勢判断: the estimate of the position shown, on the board and beside it, at any
// moment. The board shows each point's owner with a square in its colour and the dead
// stones crossed; the side panel gives each side's territory, prisoners, dead stones and
// komi and who leads by how much. Nothing in the game changes: the next press, key or
// command takes the marks away and the board and the panel are drawn again as they were.
#pragma once

#include <string>

#include "estimate/estimate.h"
#include "game/state.h"

namespace tolvan {

class Tolvan;

// The item of 局面 → 形勢判断.
constexpr const char* estimate_item = "KEISEI";

// The estimate of the position shown, with the game's komi.
estimate::Estimate estimateOf(const Tolvan& game);

// The command: shows the estimate, or takes its marks away when they are shown.
void toggleEstimate(Tolvan& game);

// Takes the estimate's marks away when they are shown and says whether they were: the
// event that did it does nothing else.
bool dismissEstimate(Tolvan& game);

}  // namespace tolvan
