#include "gtp_server/clock.h"

#include <algorithm>
#include <cmath>

namespace tolvan::gtp_server {

using search::TimeControl;
using search::TimeLeft;

void GameClock::set(const TimeControl& control) {
    control_ = control;
    restart();
}

void GameClock::restart() {
    left_[0].reset();
    left_[1].reset();
}

void GameClock::told(int colour, const TimeLeft& left) { left_[index(colour)] = left; }

double GameClock::forMove(int colour, int size, int moves) const {
    return search::secondsForMove(control_, left(colour), size, moves);
}

void GameClock::spent(int colour, double seconds) {
    const TimeControl& c = control_;
    if (c.kind == TimeControl::none) return;
    std::optional<TimeLeft>& kept = left_[index(colour)];
    TimeLeft t = kept.value_or(TimeLeft{c.main, 0});
    seconds = std::max(0.0, seconds);
    // Overtime as time_left tells it: stones (or periods) to go, or no main time left.
    const bool overtime = t.stones > 0 || t.seconds <= 0;
    const bool hasOvertime = (c.kind == TimeControl::byoyomi && c.periods > 0 && c.period > 0) ||
                             (c.kind == TimeControl::canadian && c.stones > 0 && c.period > 0);

    if (!hasOvertime) {
        // Main time only: what is spent is gone.
        t = TimeLeft{std::max(0.0, t.seconds - seconds), 0};
    } else if (c.kind == TimeControl::byoyomi) {
        // A period serves each move again; a move that runs over it uses the next one.
        int periods = overtime && t.stones > 0 ? t.stones : c.periods;
        double over = seconds;
        if (!overtime) {
            over = seconds - t.seconds;
            if (over < 0) {
                kept = TimeLeft{t.seconds - seconds, 0};
                return;
            }
        } else {
            const double current = t.seconds > 0 ? t.seconds : c.period;
            if (over < current) {
                kept = TimeLeft{c.period, periods};
                return;
            }
            over -= current;
            --periods;
        }
        periods -= static_cast<int>(std::floor(over / c.period));
        t = periods > 0 ? TimeLeft{c.period, periods} : TimeLeft{0, 0};
    } else {
        // Canadian: the period's seconds serve its stones; a new period begins when they
        // have all been played.
        double left = t.seconds;
        int stones = t.stones;
        if (!overtime) {
            left -= seconds;
            if (left > 0) {
                kept = TimeLeft{left, 0};
                return;
            }
            // The move ran into the overtime: it is the period's first stone.
            left += c.period;
            stones = c.stones;
        } else {
            if (stones <= 0) stones = c.stones;
            if (left <= 0) left = c.period;
            left -= seconds;
        }
        --stones;
        t = stones > 0 ? TimeLeft{std::max(0.0, left), stones} : TimeLeft{c.period, c.stones};
    }
    kept = t;
}

}  // namespace tolvan::gtp_server
