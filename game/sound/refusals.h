// The warnings for what the sound library refused when it was loaded after the window
// came up: the same boxes the start-up shows when the library is there from the start.
#pragma once

#include <cstdint>
#include <vector>

namespace tolvan {

class Tolvan;

// `device`: no sound device could be opened. `sounds`: the handles the game holds of the
// sounds the library would not take, each named by its file.
void warnRefusedSounds(Tolvan& game, bool device, const std::vector<std::int32_t>& sounds);

}  // namespace tolvan
