// What a record written over a file would lose of what that file holds: later moves,
// comments, game information, and what the file held beyond its main line. The game asks
// before it replaces a file it opened or saved, and says what will be lost.
#pragma once

#include <string>
#include <vector>

#include "records/sgf.h"

namespace tolvan::sgf {

struct Losses {
    // The file's moves from this one on (1-based, passes counted) are not the new
    // record's; 0 when every move of the file is there.
    int from_move = 0;
    // Some of those moves carry a comment or a review's note.
    bool lost_moves_noted = false;
    // The stones set before the first move differ.
    bool setup = false;
    // Comments or notes of moves that both records hold are gone or changed.
    bool notes = false;
    // The game information that is gone or changed, by identifier in the file's order.
    // The komi counts as changed only when its number changes.
    std::vector<std::string> info;
    // What the file held beyond what any record keeps.
    Unkept unkept;

    bool any() const {
        return from_move > 0 || setup || notes || !info.empty() || unkept.any();
    }
};

// What writing `saved` over a file that holds `file` would lose.
Losses lossesOf(const Record& file, const Record& saved);

// The losses in one or two Japanese sentences for a question:
// 「元の棋譜の4手目以降と対局者・結果の情報が失われます。」 Empty when nothing is lost.
std::string japanese(const Losses& losses);

}  // namespace tolvan::sgf
