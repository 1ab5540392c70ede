// The arithmetic of a finished game's review: what each move lost against the best move
// found, and which moves of a side are its biggest mistakes, with the comment a record
// gives them. Leads are black's, in points (positive when black is ahead).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rules/board.h"
#include "rules/geometry.h"

namespace tolvan::review {

// The best move found at a move's position and black's lead after it.
struct BestMove {
    rules::Point at;  // x 0 for a pass
    double lead = 0;
};

// One move of the game as the review sees it.
struct MoveReview {
    int number = 0;                // counted from 1
    int colour = rules::black;     // rules::black or rules::white
    rules::Point at;               // x 0 for a pass
    double lead = 0;               // black's lead after the move, as estimated
    std::optional<BestMove> best;  // nothing when no best move is known
};

// A loss smaller than this is the estimate's noise and never listed as a mistake.
inline constexpr double mistake_threshold = 1.0;

// How many mistakes of each side a review lists.
inline constexpr int mistakes_listed = 5;

// The loss from which a record calls a mistake very bad (BM[2]) on a board of `size`
// lines: a thirtieth of the board's points (12 on 19 lines, 5.6 on 13, 2.7 on 9). A game's
// margin grows with the board, and a loss of this size is about a whole won game's margin
// given away: a big corner on 19 lines, a group's worth on 9. The biggest mistake of a
// side that played well stays a plain bad move.
double bigLoss(int size);

// The points the move lost against the best move found, from the mover's side: black
// wants the lead high, white low. Never negative; nothing when the best move is unknown;
// the best move itself played loses nothing.
std::optional<double> pointsLost(const MoveReview& move);

// A listed mistake: the move, what it lost, and how bad a record calls it (2 for a loss
// of at least bigLoss, 1 for the others).
struct Mistake {
    MoveReview move;
    double lost = 0;
    int badness = 1;
};

// The n biggest mistakes of `colour` in a game on `size` lines, biggest first and of
// equal losses the earlier move first; only losses of at least mistake_threshold. The
// side's mistakes one after another with the same better point (a big move left unplayed
// move after move) count as one, at the biggest of them.
std::vector<Mistake> biggestMistakes(const std::vector<MoveReview>& reviews, int colour, int size,
                                     int n = mistakes_listed);

// The points lost as a comment writes them: to the nearest half point, whole ("4") or
// with its half ("4.5").
std::string pointsText(double points);

// The comment on a listed mistake, naming the better move as the board labels it and the
// points lost: "悪手: Q16 の方が良く、約4.5目の損です".
std::string mistakeComment(const Mistake& mistake);

}  // namespace tolvan::review
