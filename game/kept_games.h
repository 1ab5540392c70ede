// Kept games: every game in which a move or a pass was made is written as SGF
// into a folder of kept games, so that nothing a player did is lost when the board is
// cleared, another record is opened or the program ends.
#pragma once

#include <string>

namespace tolvan {

class Tolvan;

// Where a game's finished games go, and whether a failure to write there was told.
struct KeptGames {
    // The folder; no game is kept when it is empty.
    std::string folder;
    // Set once the person has been told that a game could not be kept.
    bool unsaved_told = false;
};

// Writes the game's whole record (with its result when it was judged) into
// `game.kept.folder`, named by the date and time ("2026-12-07_1532.sgf", then
// "2026-12-07_1532-2.sgf" ... when taken, never over another), each name claimed as the
// file appears, whole or not at all. Nothing when no stone or pass was made and no review
// was finished in this window (a record opened and left as it was), or when there is no
// folder. A failure is
// told once per run and play goes on.
void keepGame(Tolvan& game);

// What becomes of a running game that another record or another board replaces, for
// the question asked first: the folder it is kept in, or, without one, that it is lost.
// Ends with the line break before the question.
std::string replacedGameNotice(const Tolvan& game);

}  // namespace tolvan
