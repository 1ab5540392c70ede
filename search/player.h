// Tolvan's own player: the search at a level, with what a game asks beyond the best move
// of a position: the time a clock gives, when to pass (never filling its own territory to
// end a game), when to resign, and the tree kept from one move of a game to the next.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "rules/history.h"
#include "search/search.h"
#include "search/time_control.h"

namespace tolvan::search {

// A level: its number (1 the weakest), its name as the window shows it, and how much
// each move may think: a number of playouts, or seconds that grow with the board.
struct Level {
    int number;
    const char* name;
    int playouts;
    double seconds9;
    double seconds13;
    double seconds19;
    std::size_t nodes;
};

// The five levels, from a beginner's to the strongest.
const std::array<Level, 5>& levels();
// The level numbered n (1 to 5); the strongest for any other n.
const Level& level(int n);
// The limits of one move of a level on a board of `size` lines.
Limits limitsOf(const Level& level, int size);

class Player {
public:
    explicit Player(const Level& level, Settings settings = {});

    struct Decision {
        enum Kind { stone, pass, resign } kind = pass;
        rules::Point at;  // the stone's point
        Result result;    // what the search found
    };

    // The move for `colour` at the end of `history` (its setup, stones and passes), komi
    // given to white. `seconds`, when above 0, is what the clock allows for this move:
    // the move takes no longer, whatever the level; a level's own seconds, too, are the
    // whole move's, the count near the end included. `progress` as Search::run.
    Decision genmove(const rules::History& history, int colour, double komi, double seconds = 0,
                     const std::function<bool(const Result&)>& progress = {});

    // From any thread: the move being searched is played at once, the best found so far.
    void stop() { search_.stop(); }

    Search& search() { return search_; }
    const Level& level() const { return *level_; }

    // The win rate under which the player resigns, once it has stayed there for two of
    // its moves with enough playouts behind each.
    static constexpr double resign_below = 0.08;

private:
    const Level* level_;
    Search search_;
    // The player's moves in a row judged lost; the count before the last judged move, and
    // the moves of the game then, so that the same position asked again (reg_genmove,
    // undo) or an earlier one is not counted twice.
    int lowMoves_ = 0;
    int lowBefore_ = 0;
    int judgedAt_ = -1;
};

}  // namespace tolvan::search
