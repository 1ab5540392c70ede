// A game record replayed through the rules: its setup, its moves and the setup between
// them, every stone checked as the game checks a stone played on the board; and the
// komi a record names. Used wherever a record becomes a game: opened in the window,
// loaded over GTP, reviewed.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "records/sgf.h"
#include "rules/history.h"

namespace tolvan {

// Why a record cannot be taken up.
struct ReplayProblem {
    enum Kind {
        occupied,  // a stone on a point that holds one
        suicide,   // a stone without a liberty that takes nothing
        ko,        // a ko taken back at once
        too_many,  // more moves than the game's record holds
        setup,     // setup stones on one point, or without a liberty
    } kind = setup;
    // The node's move number, passes counted; for setup, the moves before it (0 for the
    // setup before the first move).
    int move = 0;
};

// A record replayed through the rules, ready to be taken up: its history (the setup
// stones from the file, every stone, the passes) and the colour to move after it (the
// other colour than the last move's, or the one PL names after it).
struct ReplayedRecord {
    rules::History history;
    int toMove = 1;
};

// Replays the setup and the first `nodes` moves (all when negative), passes counted, on a
// board of the record's size, and checks every stone as the game checks a stone played
// on the board.
std::variant<ReplayedRecord, ReplayProblem> replayRecord(const sgf::Record& record, int nodes = -1);

// A record's KM as a komi; nothing when it is missing or is no number a game is played
// with.
std::optional<double> komiOfRecord(const std::string& km);

}  // namespace tolvan
