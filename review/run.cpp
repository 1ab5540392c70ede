// A finished game reviewed move by move.
#include "review/run.h"

#include "estimate/estimate.h"
#include "records/replay.h"

namespace tolvan::review {

struct Reviewer::Shared {};

int gnuGoLevel(int size) { return size > 13 ? 6 : 10; }

std::vector<std::string> gnuGoCommand(int) { return {}; }

Reviewer::Reviewer(std::vector<std::string> engine, Progress progress)
    : engine_(std::move(engine)), progress_(std::move(progress)), shared_(std::make_shared<Shared>()) {}

Reviewer::~Reviewer() = default;

Result Reviewer::run(const sgf::Record& record, double komi) {
    Result result;
    const int n = static_cast<int>(record.moves.size());
    for (int i = 0; i < n; ++i) {
        const auto replayed = replayRecord(record, i + 1);
        const auto* game = std::get_if<ReplayedRecord>(&replayed);
        if (!game) break;
        const sgf::Move& m = record.moves[i];
        MoveReview r;
        r.number = i + 1;
        r.colour = m.colour;
        r.at = m.pass ? rules::Point{} : m.at;
        r.lead = estimate::estimatePosition(game->history.end(), komi).lead();
        result.moves.push_back(r);
        if (progress_) progress_(i + 1, n);
    }
    result.why = "悪手の指摘には GNU Go が必要です";
    return result;
}

void Reviewer::cancel() {}

}  // namespace tolvan::review
