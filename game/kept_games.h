// Kept games: every game in which a move or a pass was made is written as SGF
// into a folder of kept games, so that nothing a player did is lost when the board is
// cleared, another record is opened or the program ends.
#pragma once

#include <optional>
#include <string>

#include "records/sgf.h"

namespace tolvan {

class Tolvan;

// Where a game's finished games go, and whether a failure to write there was told.
struct KeptGames {
    // The folder; no game is kept when it is empty.
    std::string folder;
    // Set once the person has been told that a game could not be kept.
    bool unsaved_told = false;
    // The record last kept of the game on the board, as written, and where: the same
    // record is not kept twice (at the end of the game and again when the board is
    // cleared). Forgotten when a new game begins.
    std::string last_text;
    std::string last_path;
    // The last game that ended in this window (judged, counted or resigned), with the
    // file it was kept in (empty when it could not be): 検討 offers it once the board
    // has been cleared.
    struct Finished {
        sgf::Record record;
        std::string path;
    };
    std::optional<Finished> finished;
    // Set while a game that has just ended is judged or counted: the game is kept as soon
    // as its result is noted, before the result is shown.
    bool ending = false;
};

// Writes the game's whole record (with its result when it was judged) into
// `game.kept.folder`, named by the date and time ("2026-12-07_1532.sgf", then
// "2026-12-07_1532-2.sgf" ... when taken, never over another), each name claimed as the
// file appears, whole or not at all. Nothing when no stone or pass was made and no review
// was finished in this window (a record opened and left as it was), or when there is no
// folder. A failure is
// told once per run and play goes on.
void keepGame(Tolvan& game);

// The game has ended and its result is noted: it is kept at once, before anything is
// shown or asked, and remembered as the last finished game.
void keepFinishedGame(Tolvan& game);

// The game has ended (judged, counted or resigned, its result noted and shown): it is
// kept (once), then the person is asked whether to go on: はい clears the board for the
// next game (初期設定), いいえ ends the program.
void finishGame(Tolvan& game);

// What becomes of a running game that another record or another board replaces, for
// the question asked first: the folder it is kept in, or, without one, that it is lost.
// Ends with the line break before the question.
std::string replacedGameNotice(const Tolvan& game);

}  // namespace tolvan
