// A review written into a game record as other programs read it: SGF's own node value,
// bad-move marks, comments and marks on the board.
#pragma once

#include <vector>

#include "records/sgf.h"
#include "review/review.h"

namespace tolvan::review {

// Writes the reviews into `record`, whose main line they follow move for move (a
// review's number is the move's place in the main line, passes counted): V with black's
// lead on every move reviewed, and on each side's listed mistakes BM (2 for a big loss on
// the record's board), the comment naming the better move and the points lost (after the
// move's own comment, once however often the record is reviewed), and the better move's
// point marked with a triangle. A review past the end of the main line is left out.
void annotate(sgf::Record& record, const std::vector<MoveReview>& reviews);

}  // namespace tolvan::review
