// The clock as a controller sets it (GTP time_settings, kgs-time_settings, time_left)
// and the seconds the search may take for one move under it, shared over the game.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tolvan::search {

struct TimeControl {
    enum Kind {
        none,      // no clock: the level's own limits
        absolute,  // main time only, then the game is lost
        byoyomi,   // main time, then `periods` periods of `period` seconds, one move each
        canadian,  // main time, then `period` seconds for every `stones` moves
    } kind = none;
    double main = 0;
    double period = 0;
    int periods = 0;
    int stones = 0;
    bool operator==(const TimeControl&) const = default;
};

// What time_left last said of a side: the seconds left, and the stones (Canadian) or the
// periods (byo-yomi) left in overtime; 0 while the main time runs.
struct TimeLeft {
    double seconds = 0;
    int stones = 0;
};

// GTP's time_settings: main time, then `byoyomi` seconds for `stones` moves (Canadian);
// no overtime when both are 0; no clock at all when stones is 0 and the seconds are not.
// Nothing for values no clock has (negative, not finite).
std::optional<TimeControl> fromTimeSettings(double main, double byoyomi, int stones);

// kgs-time_settings: "none", "absolute MAIN", "byoyomi MAIN PERIOD PERIODS", "canadian
// MAIN PERIOD STONES", in seconds. Nothing for any other words.
std::optional<TimeControl> fromKgsTimeSettings(const std::vector<std::string>& words);

// The seconds to take for the move after `moves` moves of a game on a board of `size`
// lines, under `control` with `left` as time_left last said (or the whole main time when
// it has said nothing): the main time shared over the moves still to come, overtime used
// but never overrun, with a margin for the answer to reach the controller. 0 with no clock.
double secondsForMove(const TimeControl& control, const std::optional<TimeLeft>& left, int size, int moves);

}  // namespace tolvan::search
