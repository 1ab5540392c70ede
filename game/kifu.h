// Game records (棋譜): the game as an SGF record, a record replayed through the game's
// own rules and taken up as the game, and the window's commands that save and open
// them. The format itself is records/sgf.*; this is where it meets the game.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "rules/history.h"
#include "records/replay.h"
#include "records/sgf.h"
#include "records/tree.h"

namespace tolvan {

class Tolvan;

// What the game-record commands remember between commands.
struct KifuMemo {
    // The record as opened from a file: its information and comments are written again
    // when the same game is saved. Empty when the game was not opened from a file.
    std::optional<sgf::Record> opened;
    // The result of the last judgement ("B+12", "W+3", "0") and the record it judged: a
    // save writes the result while the record is still that one.
    std::string result;
    sgf::Record judged;
    // The name of the engine that played the computer's last move in this game, as it
    // told it then; empty when none has played.
    std::string engine;
    // The game's record with the last review written into it (検討): its comments and
    // annotations are written again, like a file's, for the moves the game still shares.
    std::optional<sgf::Record> reviewed;
    // The files this game was opened from or saved to, each with the record it holds
    // now, the last one used last: 棋譜を保存 over one of them first says what the file
    // would lose.
    struct File {
        std::string path;
        sgf::Record held;
    };
    std::vector<File> files;
    // The game trees of the file the game was opened from, with the game's line as it
    // was last saved: a save puts the game's line into the first as its main line, so
    // that the file's variations, other games and properties are written again. Empty
    // for a game not opened from a file, or one whose trees could not be held.
    std::optional<sgf::Collection> trees;
};

// Who the record names as black and white.
struct Players {
    std::string black;
    std::string white;
};

// The game's whole record as SGF: the board's size, the setup stones (and the points set
// after a stone, as a setup node after its move), every stored move
// (not only up to the position shown), a pass between two moves of one colour and the
// passes made after the last move, KM, DT, the players when given, HA for a black
// handicap and RE when the last judgement judged this record. Information and comments
// of a record opened from a file on a board of this size are kept where they still
// hold: the comments and annotations of the moves it still shares, the root's comment,
// PB, PW, BR, WR, KM and DT while the game is the file's with moves added after its end,
// the players also while two people play it on at the screen, and RE while nothing has
// changed. So are the comments and annotations of the last
// review of the game on the moves it still shares.
sgf::Record recordOfGame(const Tolvan& game, const std::string& today, double komi,
                         const std::optional<Players>& players);

// The game's whole record as 棋譜を保存 writes it: today's date, the game's komi and
// the players as the window names them.
sgf::Record savedRecordOf(const Tolvan& game);

// The game's `record` as a file holds it: written alone, or, for a game opened from a
// file, put into the file's game trees as the first one's main line, with the moves it
// no longer plays kept as a variation.
std::string textOfGame(const Tolvan& game, const sgf::Record& record);
// The game's whole record as 棋譜を保存 and the kept games write it: textOfGame of
// savedRecordOf.
std::string savedTextOf(const Tolvan& game);

// Before the game's record drops moves (a stone or a pass at an earlier position, 待った),
// its whole line is put into the game's trees, so that 棋譜を保存 and the kept games
// write those moves as a variation beside the line the game goes on with. `always` for
// 待った; otherwise only when moves lie beyond the position shown.
void keepLineBeforeLeaving(Tolvan& game, bool always = false);

// Whether `game` holds the setup and the moves of `earlier`, with moves added after its
// end or none, compared by their play alone.
bool continuesRecord(const sgf::Record& game, const sgf::Record& earlier);

// Whether a stone or a pass was made in this window: the record differs from the file
// it was opened from, or, when none was opened, holds a stone or a pass.
bool playedInThisWindow(const Tolvan& game);

// The game up to the position shown, as an engine is to see it: the setup stones, the
// moves before it with the passes between them, and the passes after it when it is the
// end of the record.
sgf::Record positionOfGame(const Tolvan& game);

// The players as the window names them: the person and the computer in a game against
// the computer, 先手 and 後手 in a game of two people.
Players playersOfGame(const Tolvan& game);

// Replaces the game with the replayed one, in the record-stepping mode at its last
// position: the board's size, the board, every stored position, the prisoners and the
// colour to move come from the record; handicap, reversal, passes and hint start
// afresh. A game that was running keeps its mode and sides; otherwise it is a game of
// two people. The window is redrawn whole. `opened` is remembered for the next save.
void takeUpReplayed(Tolvan& game, const ReplayedRecord& replayed, const sgf::Record& opened);

// Reads a whole file of at most sgf::max_bytes; nothing when it cannot be read, is
// larger or is not an ordinary file (a folder, a pipe, a device), with the reason in
// Japanese in `why`.
std::optional<std::string> readFileWhole(const std::string& path, std::string& why);

// Japanese explanations of a record that cannot be used, for message boxes.
std::string describeProblem(const sgf::Error& error);
std::string describeProblem(const ReplayProblem& problem);

// A record file that the game can take up: read whole, read as SGF and replayed.
struct UsableRecord {
    sgf::Record record;
    ReplayedRecord replayed;
    // The file's game trees whole; empty when they could not be held (a file of more
    // nodes than a tree may have): its main line is then all the game keeps.
    std::optional<sgf::Collection> trees;
};
// The record in the file at `path`; otherwise why it cannot be used, in Japanese.
std::variant<UsableRecord, std::string> readRecordFile(const std::string& path);

// The window's commands: 棋譜を保存... and 棋譜を開く... 棋譜を保存 over a file the game
// was opened from or saved to asks first when the file would lose part of what it holds
// (later moves, variations, comments, game information), offering a new name beside it.
void saveKifu(Tolvan& game);
void openKifu(Tolvan& game);
// 棋譜を開く for a file already chosen (on the command line, dropped on the window).
void openKifuFile(Tolvan& game, const std::string& path);

// Notes the result of a judgement of the game as it stands (black's and white's totals,
// the komi in white's).
void noteJudgement(Tolvan& game, double black, double white);

}  // namespace tolvan
