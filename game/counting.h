// The end of a game as Go players count it: after two passes the dead stones are marked
// (proposed by the estimate of the position, changed by presses), then each side's territory and
// prisoners are counted. Also the result of a resignation, and the message that shows a
// result. The count itself is the rules' (rules::count); this is where it meets the game.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rules/board.h"
#include "rules/judgement.h"

namespace tolvan {

class Tolvan;

// What the counting phase keeps between events.
struct Counting {
    bool active = false;
    std::vector<rules::Point> dead;  // one point of every dead stone
    // The empty points whose owner the estimate is unsure of: they stay plain.
    std::vector<rules::Point> unsure;
    // Whether a border is still open: an empty point may yet go to either side.
    bool open = false;
    // Each point's owner as the estimate saw it when counting began: a press marks or
    // brings back the group pressed with the chains of its colour that lie in the same
    // area of the other colour, never further.
    std::optional<rules::PointMap> owners;
};

// The items of 終局の判定: the game's own judgement by filling, or the count with dead
// stones; and whether an item is one of them.
constexpr const char* ending_fill_item = "SYUUKYOKU_UMERU";
constexpr const char* ending_count_item = "SYUUKYOKU_KAZOERU";
bool isEndingItem(const std::string& item);

// The command of an item: it is ticked alone, and the choice is written to the settings
// file. At start-up, applyEnding ticks the item the settings file chose.
void chooseEnding(Tolvan& game, const std::string& item);
void applyEnding(Tolvan& game);

// Whether a game that ends by two passes is counted with dead stones: when the person
// chose it, and always while an engine plays, since an engine does not fill its own
// territory before it passes.
bool countsDeadStones(Tolvan& game);

// After the second pass: the estimate's dead stones are proposed at once and the counting
// phase begins.
void startCounting(Tolvan& game);
// A press on point (x, y) while counting: the group of the stone pressed changes between
// dead and alive, its chain with the chains of its colour that share its eye space in
// the other colour's area (rules::deadGroup).
void countingPress(Tolvan& game, int x, int y);
// The counted result is shown, with the margin; then the question whether to go on.
void confirmCounting(Tolvan& game);
// Back to play: the stones come back as they were, the game goes on.
void leaveCounting(Tolvan& game);
// The board drawn again as the game shows it: the counting phase's marks and score while
// counting, otherwise the stones with their numbers and the last stone's mark.
void redrawBoard(Tolvan& game);
// A dead stone: the stone with a cross in the colour of the side that takes it.
void drawDeadStone(Tolvan& game, int x, int y, int stone);

// 投了: the side to move resigns, after being asked; the result is shown and kept.
void resign(Tolvan& game);
// Keeps the result of a game that `loser` gave up ("B+R", "W+R") for the record.
void noteResignation(Tolvan& game, int loser);

// The result as the judgement shows it: black's area A and prisoners, white's area W and
// prisoners and the game's komi, in one message box titled with the winner; the result
// is kept for the record.
void showResult(Tolvan& game, int A, int blackPrisoners, int W, int whitePrisoners);

}  // namespace tolvan
