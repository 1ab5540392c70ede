// A finished game reviewed move by move. Workers share the moves, one per core: each
// estimates black's lead after its moves and asks a GNU Go of its own for the best moves
// before them, weighing the move played against the best. GNU Go's top_moves values a
// move it lists; a move it does not list is weighed by GNU Go's estimate_score after it
// and after the best move. Once GNU Go fails, the leads are still estimated.
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

// The eight symmetries of a board of n lines: turns and reflections of a point.
rules::Point symmetry(int k, rules::Point p, int n) {
    if (k & 4) std::swap(p.x, p.y);
    if (k & 1) p.x = n + 1 - p.x;
    if (k & 2) p.y = n + 1 - p.y;
    return p;
}

// The move GNU Go lists that stands for `m` in `position`: m itself, or its image under
// a symmetry that leaves the position as it is (any corner of the empty board is as good
// as another, though GNU Go lists only some of them).
std::vector<Valued>::const_iterator listedAs(const std::vector<Valued>& listed, const sgf::Move& m,
                                             const rules::Board& position) {
    const auto find = [&](const sgf::Move& move) {
        return std::find_if(listed.begin(), listed.end(), [&](const Valued& v) { return sameMove(move, v.at); });
    };
    auto found = find(m);
    const int n = position.size();
    for (int k = 1; k < 8 && found == listed.end() && !m.pass; ++k) {
        bool same = true;
        for (int x = 1; x <= n && same; ++x)
            for (int y = 1; y <= n && same; ++y) {
                const rules::Point image = symmetry(k, {x, y}, n);
                same = position.at(x, y) == position.at(image.x, image.y);
            }
        if (!same) continue;
        sgf::Move image = m;
        image.at = symmetry(k, m.at, n);
        found = find(image);
    }
    return found;
}

}  // namespace

struct Reviewer::Shared {
    std::atomic<bool> cancelled{false};
    // Set once an engine has failed: the others stop too.
    std::atomic<bool> failed{false};
    // Guards the sessions the run speaks to, the first failure and the progress reported.
    std::mutex mutex;
    std::vector<gtp_client::Session*> sessions;
    std::string failure;
    int done = 0;
};

int gnuGoLevel(int size) { return size == 9 ? 7 : 8; }

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
    for (gtp_client::Session* session : shared_->sessions)
        if (session->transport()) session->transport()->cancel();
}

namespace {

// What one worker finds at one move.
struct Found {
    double lead = 0;
    std::optional<BestMove> best;  // its lead not yet set
    double lost = 0;
};

}  // namespace

Result Reviewer::run(const sgf::Record& record, double komi) {
    Result result;
    Shared& shared = *shared_;
    if (std::holds_alternative<ReplayProblem>(replayRecord(record))) {
        result.why = "棋譜を最後まで再生できないため、検討できません。";
        return result;
    }
    const int n = static_cast<int>(record.moves.size());
    const int size = record.size;
    const int stones = static_cast<int>(
        std::count_if(record.moves.begin(), record.moves.end(), [](const sgf::Move& m) { return !m.pass; }));
    std::vector<Found> found(static_cast<std::size_t>(n));
    // Whether each move is done: its lead, and with an engine its best move.
    std::vector<char> done(static_cast<std::size_t>(n), 0);
    auto fail = [&](const std::string& why) {
        std::lock_guard lock(shared.mutex);
        if (!shared.failed && !shared.cancelled) shared.failure = why;
        shared.failed = true;
    };

    // Worker k of `workers` takes the moves k, k + workers, ...: the position grows for
    // each, so its engine replays only the moves since its last.
    auto work = [&](int k, int workers) {
        std::optional<gtp_client::Session> session;
        if (!engine_.empty()) {
            session.emplace(gtp_client::startPiped, [](rules::Point p) { return rules::pointLabel(p); });
            session->limits.command = 120;
            session->setKomi(komi);
            std::string command;
            for (const auto& word : engine_) command += (command.empty() ? "" : " ") + gtp_client::quoteWord(word);
            std::optional<std::string> failure;
            if (!shared.cancelled) failure = session->start(command);
            {
                std::lock_guard lock(shared.mutex);
                shared.sessions.push_back(&*session);
            }
            // A cancel that came while the engine started.
            if (shared.cancelled && session->transport()) session->transport()->cancel();
            if (!failure && !shared.cancelled) failure = session->setUp(size);
            if (failure && !shared.cancelled) fail(*failure);
        }
        // Asks the engine and expects an answer; a failure ends the engine's part of the review.
        auto ask = [&](const std::string& line) -> std::optional<std::string> {
            const Outcome o = session->query(line);
            if (o.kind == Outcome::ok) return o.text;
            if (!shared.cancelled)
                fail("GNU Go が答えません（" + line + "）：" + (o.text.empty() ? "応答なし" : o.text));
            return std::nullopt;
        };
        // GNU Go's best move before move i and what the move lost against it; false
        // when GNU Go failed.
        auto consult = [&](int i, const rules::History& before, Found& f) {
            if (auto message = session->bringTo(before)) {
                if (!shared.cancelled) fail(*message);
                return false;
            }
            const sgf::Move& m = record.moves[static_cast<std::size_t>(i)];
            const std::string colour = m.colour == rules::black ? "black" : "white";
            const auto top = ask("top_moves_" + colour);
            if (!top) return false;
            const auto listed = parseTopMoves(*top, size);
            if (!listed) {
                fail("GNU Go の top_moves が読めません：" + top->substr(0, 200));
                return false;
            }
            if (listed->empty()) {
                // No move is worth anything to GNU Go: a pass loses nothing.
                if (m.pass) f.best = BestMove{{}, 0};
                return true;
            }
            const Valued& first = listed->front();
            f.best = BestMove{first.at, 0};
            const auto played = listedAs(*listed, m, before.end());
            if (played != listed->end()) {
                f.lost = first.value - played->value;
                return true;
            }
            // Weighed by the score GNU Go estimates after the best move and after the move
            // played, each taken back again.
            const std::string moveName = m.pass ? "pass" : rules::vertexName(m.at, size);
            std::optional<double> afterBest, afterMove;
            if (!(ask("play " + colour + " " + rules::vertexName(first.at, size)) &&
                  (afterBest = parseScore(ask("estimate_score").value_or(""))) && ask("undo") &&
                  ask("play " + colour + " " + moveName) &&
                  (afterMove = parseScore(ask("estimate_score").value_or(""))) && ask("undo"))) {
                fail("GNU Go の形勢判断が読めません。");
                return false;
            }
            const double blacksLoss = *afterBest - *afterMove;
            f.lost = std::max(0.0, m.colour == rules::black ? blacksLoss : -blacksLoss);
            return true;
        };
        // The engine is ended, and the worker goes on with the leads alone.
        auto drop = [&] {
            if (!session) return;
            {
                std::lock_guard lock(shared.mutex);
                shared.sessions.erase(std::find(shared.sessions.begin(), shared.sessions.end(), &*session));
            }
            session->end(200);
            session.reset();
        };
        for (int i = k; i < n && !shared.cancelled; i += workers) {
            const auto before = positionBefore(record, i);
            const auto after = positionBefore(record, i + 1);
            if (!before || !after) break;
            Found& f = found[static_cast<std::size_t>(i)];
            f.lead = estimate::estimatePosition(after->end(), komi).lead();
            if (session && !shared.failed) consult(i, *before, f);
            if (shared.failed) drop();
            std::lock_guard lock(shared.mutex);
            done[static_cast<std::size_t>(i)] = 1;
            if (record.moves[static_cast<std::size_t>(i)].pass) continue;
            ++shared.done;
            if (progress_) progress_(shared.done, stones);
        }
        drop();
    };
    // As many workers as the machine has cores, up to four, each with its own engine.
    const int workers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    std::vector<std::thread> threads;
    for (int k = 1; k < workers; ++k) threads.emplace_back(work, k, workers);
    work(0, workers);
    for (auto& t : threads) t.join();

    result.cancelled = shared.cancelled;
    if (engine_.empty())
        result.why = "悪手の指摘には GNU Go が必要です。GNU Go（gnugo）をインストールしてください。";
    else if (shared.failed && !shared.cancelled)
        result.why = shared.failure;
    result.mistakes = !engine_.empty() && !shared.failed && !shared.cancelled;
    // The moves done from the first on; a cancelled run may have done some beyond a gap.
    for (int i = 0; i < n && done[static_cast<std::size_t>(i)]; ++i) {
        const sgf::Move& m = record.moves[static_cast<std::size_t>(i)];
        const Found& f = found[static_cast<std::size_t>(i)];
        MoveReview r;
        r.number = i + 1;
        r.colour = m.colour;
        r.at = m.pass ? rules::Point{} : m.at;
        r.lead = f.lead;
        if (result.mistakes && f.best) {
            BestMove b = *f.best;
            const double l = std::max(0.0, f.lost);
            b.lead = r.lead + (m.colour == rules::black ? l : -l);
            r.best = b;
        }
        result.moves.push_back(r);
    }
    return result;
}

}  // namespace tolvan::review
