// A finished game reviewed move by move. Two threads share the work: one estimates
// black's lead after every move, the other asks GNU Go for the best moves at every
// position and weighs the move played against the best. GNU Go's top_moves values a
// move it lists; a move it does not list is weighed by GNU Go's estimate_score after it
// and after the best move.
#include "review/run.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <thread>

#include "estimate/estimate.h"
#include "gtp_client/command_line.h"
#include "gtp_client/pipe_transport.h"
#include "gtp_client/session.h"
#include "records/replay.h"

namespace tolvan::review {

namespace {

using gtp_client::Outcome;

// A move GNU Go lists at a position, and its value.
struct Valued {
    rules::Point at;  // x 0 for a pass
    double value = 0;
};

// The moves of top_moves' answer ("Q16 23.5 R4 20.1 ..."); nothing when it is no list.
std::optional<std::vector<Valued>> parseTopMoves(const std::string& text, int size) {
    std::istringstream words(text);
    std::vector<Valued> moves;
    std::string vertex, value;
    while (words >> vertex) {
        if (!(words >> value)) return std::nullopt;
        Valued v;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), v.value);
        if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
        const auto move = gtp_client::parseGeneratedMove(vertex, size);
        if (!move || move->kind == gtp_client::GeneratedMove::resign) return std::nullopt;
        v.at = move->at;
        moves.push_back(v);
    }
    return moves;
}

// estimate_score's answer ("W+3.5 (upper bound: ...)", "B+2", "0") as black's lead.
std::optional<double> parseScore(const std::string& text) {
    std::istringstream words(text);
    std::string score;
    if (!(words >> score)) return std::nullopt;
    if (score == "0") return 0.0;
    if (score.size() < 3 || (score[0] != 'B' && score[0] != 'W') || score[1] != '+') return std::nullopt;
    double points = 0;
    const auto [end, error] = std::from_chars(score.data() + 2, score.data() + score.size(), points);
    if (error != std::errc() || end != score.data() + score.size()) return std::nullopt;
    return score[0] == 'B' ? points : -points;
}

// The position before the record's move i (passes counted).
std::optional<rules::History> positionBefore(const sgf::Record& record, int i) {
    auto replayed = replayRecord(record, i);
    if (auto* game = std::get_if<ReplayedRecord>(&replayed)) return std::move(game->history);
    return std::nullopt;
}

bool sameMove(const sgf::Move& m, rules::Point at) { return m.pass ? at.x == 0 : at == m.at; }

}  // namespace

struct Reviewer::Shared {
    std::atomic<bool> cancelled{false};
    // Guards the session the run speaks to and the progress reported.
    std::mutex mutex;
    gtp_client::Session* session = nullptr;
    int done = 0;
};

int gnuGoLevel(int size) { return size > 13 ? 8 : 10; }

std::vector<std::string> gnuGoCommand(int size) {
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::string all = path;
        for (std::size_t from = 0;;) {
            const std::size_t colon = all.find(':', from);
            folders.push_back(all.substr(from, colon - from));
            if (colon == std::string::npos) break;
            from = colon + 1;
        }
    }
    folders.push_back("/usr/games");
    for (auto folder : folders) {
        if (folder.empty()) continue;
        const std::string program = folder + "/gnugo";
        if (::access(program.c_str(), X_OK) == 0)
            return {program, "--mode", "gtp", "--level", std::to_string(gnuGoLevel(size))};
    }
    return {};
}

Reviewer::Reviewer(std::vector<std::string> engine, Progress progress)
    : engine_(std::move(engine)), progress_(std::move(progress)), shared_(std::make_shared<Shared>()) {}

Reviewer::~Reviewer() { cancel(); }

void Reviewer::cancel() {
    shared_->cancelled = true;
    std::lock_guard lock(shared_->mutex);
    if (shared_->session && shared_->session->transport()) shared_->session->transport()->cancel();
}

Result Reviewer::run(const sgf::Record& record, double komi) {
    Result result;
    Shared& shared = *shared_;
    if (std::holds_alternative<ReplayProblem>(replayRecord(record))) {
        result.why = "棋譜を最後まで再生できないため、検討できません。";
        return result;
    }
    const int n = static_cast<int>(record.moves.size());
    const int total = engine_.empty() ? n : 2 * n;
    auto advance = [&] {
        std::lock_guard lock(shared.mutex);
        ++shared.done;
        if (progress_) progress_(shared.done, total);
    };

    // Black's lead after every move, from the estimate, on a thread of its own.
    std::vector<double> leads(static_cast<std::size_t>(n), 0.0);
    int estimated = 0;
    std::thread estimating([&] {
        for (int i = 0; i < n && !shared.cancelled; ++i) {
            const auto after = positionBefore(record, i + 1);
            if (!after) break;
            leads[static_cast<std::size_t>(i)] = estimate::estimatePosition(after->end(), komi).lead();
            estimated = i + 1;
            advance();
        }
    });

    // The best move before every move, and the points the move played lost against it.
    std::vector<std::optional<BestMove>> best(static_cast<std::size_t>(n));
    std::vector<double> lost(static_cast<std::size_t>(n), 0.0);
    if (engine_.empty()) {
        result.why = "悪手の指摘には GNU Go が必要です。GNU Go（gnugo）をインストールしてください。";
    } else {
        const int size = record.size;
        gtp_client::Session session(gtp_client::startPiped, [](rules::Point p) { return rules::pointLabel(p); });
        session.limits.command = 120;
        session.setKomi(komi);
        std::string command;
        for (const auto& word : engine_) command += (command.empty() ? "" : " ") + gtp_client::quoteWord(word);
        std::optional<std::string> failure;
        if (!shared.cancelled) failure = session.start(command);
        {
            std::lock_guard lock(shared.mutex);
            shared.session = &session;
        }
        // A cancel that came while the engine started.
        if (shared.cancelled && session.transport()) session.transport()->cancel();
        if (!failure && !shared.cancelled) failure = session.setUp(size);
        // Asks and expects an answer; a failure ends the engine's part of the review.
        auto ask = [&](const std::string& line) -> std::optional<std::string> {
            const Outcome o = session.query(line);
            if (o.kind == Outcome::ok) return o.text;
            if (!shared.cancelled && !failure)
                failure = "GNU Go が答えません（" + line + "）：" + (o.text.empty() ? "応答なし" : o.text);
            return std::nullopt;
        };
        for (int i = 0; i < n && !failure && !shared.cancelled; ++i) {
            const auto before = positionBefore(record, i);
            if (!before) break;
            if (auto message = session.bringTo(*before)) {
                failure = *message;
                break;
            }
            const sgf::Move& m = record.moves[static_cast<std::size_t>(i)];
            const std::string colour = m.colour == rules::black ? "black" : "white";
            const auto top = ask("top_moves_" + colour);
            if (!top) break;
            const auto listed = parseTopMoves(*top, size);
            if (!listed) {
                failure = "GNU Go の top_moves が読めません：" + top->substr(0, 200);
                break;
            }
            const std::size_t k = static_cast<std::size_t>(i);
            if (listed->empty()) {
                // No move is worth anything to GNU Go: a pass loses nothing.
                if (m.pass) best[k] = BestMove{{}, 0};
            } else {
                const Valued& first = listed->front();
                best[k] = BestMove{first.at, 0};
                const auto played = std::find_if(listed->begin(), listed->end(),
                                                  [&](const Valued& v) { return sameMove(m, v.at); });
                if (played != listed->end()) {
                    lost[k] = first.value - played->value;
                } else {
                    // Weighed by the score GNU Go estimates after the best move and after the
                    // move played, each taken back again.
                    const std::string moveName = m.pass ? "pass" : rules::vertexName(m.at, size);
                    std::optional<double> afterBest, afterMove;
                    if (ask("play " + colour + " " + rules::vertexName(first.at, size)) &&
                        (afterBest = parseScore(ask("estimate_score").value_or(""))) && ask("undo") &&
                        ask("play " + colour + " " + moveName) &&
                        (afterMove = parseScore(ask("estimate_score").value_or(""))) && ask("undo")) {
                        const double blacksLoss = *afterBest - *afterMove;
                        lost[k] = std::max(0.0, m.colour == rules::black ? blacksLoss : -blacksLoss);
                    } else {
                        best[k].reset();
                        if (!failure) failure = "GNU Go の形勢判断が読めません。";
                    }
                }
            }
            advance();
        }
        {
            std::lock_guard lock(shared.mutex);
            shared.session = nullptr;
        }
        session.end(200);
        if (failure && !shared.cancelled) result.why = *failure;
        result.mistakes = !failure && !shared.cancelled;
    }
    estimating.join();

    result.cancelled = shared.cancelled;
    for (int i = 0; i < estimated; ++i) {
        const sgf::Move& m = record.moves[static_cast<std::size_t>(i)];
        MoveReview r;
        r.number = i + 1;
        r.colour = m.colour;
        r.at = m.pass ? rules::Point{} : m.at;
        r.lead = leads[static_cast<std::size_t>(i)];
        if (result.mistakes && best[static_cast<std::size_t>(i)]) {
            BestMove b = *best[static_cast<std::size_t>(i)];
            const double l = std::max(0.0, lost[static_cast<std::size_t>(i)]);
            b.lead = r.lead + (m.colour == rules::black ? l : -l);
            r.best = b;
        }
        result.moves.push_back(r);
    }
    return result;
}

}  // namespace tolvan::review
