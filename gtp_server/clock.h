// The clocks of a game as the controller sets them (time_settings, kgs-time_settings) and
// tells them (time_left), and as the engine keeps them itself in between: each move the
// engine makes takes the seconds it took off its side's clock, through the main time and
// into the overtime, so that the time is shared over the game also under a controller
// that never sends time_left. What time_left says always replaces the engine's account.
#pragma once

#include <optional>

#include "search/time_control.h"

namespace tolvan::gtp_server {

class GameClock {
public:
    // A clock for the game: both sides start with the whole main time.
    void set(const search::TimeControl& control);
    // A new game on the same clock: both sides have the whole main time again.
    void restart();
    // What time_left says of `colour`'s clock (1 black, -1 white).
    void told(int colour, const search::TimeLeft& left);
    // `colour`'s move took `seconds`.
    void spent(int colour, double seconds);

    const search::TimeControl& control() const { return control_; }
    // What is left on `colour`'s clock; nothing while it holds the whole main time.
    const std::optional<search::TimeLeft>& left(int colour) const { return left_[index(colour)]; }
    // The seconds `colour`'s next move may take, after `moves` moves on `size` lines; 0
    // with no clock.
    double forMove(int colour, int size, int moves) const;

private:
    static int index(int colour) { return colour == 1 ? 0 : 1; }
    search::TimeControl control_;
    std::optional<search::TimeLeft> left_[2];
};

}  // namespace tolvan::gtp_server
