// The score beside the board: 形勢判断 and the count at the end of a game both mark each
// side's territory on the board with a square and set out the score in the side panel,
// each side's territory, prisoners, dead stones and komi apart, with who leads or wins by
// how much. Also the texts of a margin ("黒の27目半勝ち") and of the count's result.
#pragma once

#include <string>

#include "estimate/estimate.h"
#include "rules/board.h"
#include "rules/judgement.h"

namespace tolvan {

class Tolvan;

// A score as Japanese counting reckons it, with its parts apart.
struct Score {
    // The empty points, and the points of dead stones, inside each side's area.
    int black_territory = 0;
    int white_territory = 0;
    // The stones each side took in play: the panel's ﾊﾏ.
    int black_prisoners = 0;
    int white_prisoners = 0;
    // The other colour's dead stones each side takes off at the end.
    int black_dead = 0;
    int white_dead = 0;
    double komi = 0;  // white's
    double black() const { return black_territory + black_prisoners + black_dead; }
    double white() const { return white_territory + white_prisoners + white_dead + komi; }
    // Black's lead with komi: positive when black is ahead.
    double lead() const { return black() - white(); }
};

// The score of a count of `position` (rules::count with its dead stones), and of an
// estimate of it: the prisoners each gives are split into those of the position and the
// dead stones.
Score scoreOf(const rules::Board& position, const rules::Count& count, double komi);
Score scoreOf(const rules::Board& position, const estimate::Estimate& estimate);

// A margin in points as players say it: "27目半", "3目", "半目".
std::string marginText(double points);
// The result of a count: "黒の27目半勝ち", "白の半目勝ち", or "持碁".
std::string resultText(const Score& score);
// Who leads in an estimate: "黒が3目半優勢", "白が半目優勢", or "互角".
std::string leadText(const Score& score);
// The count's result as its message gives it: each side's territory, prisoners and dead
// stones, white's komi when the game has one, and the result,
// "黒[52]+ﾊﾏ(3)+死に石(2)   白[48]+ﾊﾏ(5)+死に石(0)+ｺﾐ(6.5)\r\r黒の3目半勝ち".
std::string countText(const Score& score);

// The territory mark of an empty point owned by `owner` (black or white): a square of
// half a cell on the point, black, or white edged in black; the point drawn plain first.
void drawTerritory(Tolvan& game, int x, int y, int owner);

// The score in the side panel, where the colour rows, their prisoners and the komi stand
// in play: a table headed `title` with a column for each colour, and below it `verdict`
// (who leads or wins) in the notice's row.
void drawScorePanel(Tolvan& game, const Score& score, const std::string& title, const std::string& verdict);

// The side panel back as play shows it: the colour rows with their labels, the
// prisoners and the komi; the notice's row and the rows below the move count empty.
void restorePanel(Tolvan& game);

// The rows below the move count that the score's phases write their notes in (13 to 15),
// and the notice's row, wiped across the panel.
void clearNotes(Tolvan& game);

}  // namespace tolvan
