#include "review/annotate.h"

#include <cstddef>
#include <string>

namespace tolvan::review {

void annotate(sgf::Record& record, const std::vector<MoveReview>& reviews) {
    auto moveOf = [&record](int number) -> sgf::Move* {
        if (number < 1 || static_cast<std::size_t>(number) > record.moves.size()) return nullptr;
        return &record.moves[static_cast<std::size_t>(number - 1)];
    };
    std::vector<MoveReview> inRecord;
    for (const MoveReview& r : reviews)
        if (sgf::Move* m = moveOf(r.number)) {
            m->annotations.value = r.lead;
            inRecord.push_back(r);
        }
    for (const int colour : {rules::black, rules::white})
        for (const Mistake& mistake : biggestMistakes(inRecord, colour, record.size)) {
            sgf::Move* m = moveOf(mistake.move.number);
            if (!m) continue;
            m->annotations.bad_move = mistake.badness;
            const std::string text = mistakeComment(mistake);
            if (m->comment.find(text) == std::string::npos)
                m->comment += (m->comment.empty() ? "" : "\n") + text;
            const rules::Point better = mistake.move.best->at;
            if (better.x != 0) m->annotations.triangles = {better};
        }
}

}  // namespace tolvan::review
