// 検討 on the board: the record a review is run on, the positions of the reviewed game
// shown as 戻 and 進 show them, and the review kept with the game.
#pragma once

#include <optional>

#include "records/sgf.h"
#include "rules/geometry.h"

namespace tolvan {

class Tolvan;

// The whole record of the game on the board as 棋譜を保存 writes it. With no move on a
// cleared board, the last game finished in this window is offered and, when the person
// says so, taken up on the board as a record opened from its kept file; otherwise
// nothing, with a message.
std::optional<sgf::Record> recordToReview(Tolvan& game);

// Whether the game on the board is still the one `reviewed` was taken from: the same
// setup and moves, maybe with more after them.
bool stillReviewed(const Tolvan& game, const sgf::Record& reviewed);

// A review numbers the moves of its record with the passes counted, the game's stored
// positions count stones. The stones among the first `moves` moves of `reviewed`; and the
// move whose position the game shows: 0 before the first stone, -1 past the reviewed ones.
int stonesAfter(const sgf::Record& reviewed, int moves);
int moveShown(const Tolvan& game, const sgf::Record& reviewed);

// The position after `moves` moves of `reviewed` goes on the board, as 戻 and 進 show a
// stored position; with a listed mistake's `better` move and the move `played` instead
// (x 0 for none) marked on it until the next press, key or command, as ヒント's move is.
void showReviewedPosition(Tolvan& game, const sgf::Record& reviewed, int moves, rules::Point better = {},
                          rules::Point played = {});

// A finished review, written into the game's record, is kept with the game: 棋譜を保存
// and the kept games write it.
void keepReview(Tolvan& game, sgf::Record annotated);

}  // namespace tolvan
