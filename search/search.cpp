#include "search/search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "search/patterns.h"

namespace tolvan::search {

using playout::PlayoutBoard;
using playout::Random;

// A position of the tree, reached by `move`. Its results count for the side that played
// the move: visits and wins, the same for the move played anywhere later in a playout
// from the node's parent (AMAF), and black's final scores. The priors are counted in as
// visits and wins from the start, in both.
struct Search::Node {
    std::atomic<float> visits{0};
    std::atomic<float> wins{0};
    std::atomic<float> amaf_visits{0};
    std::atomic<float> amaf_wins{0};
    std::atomic<float> score{0};
    float prior_visits = 0;
    float prior_wins = 0;
    std::atomic<std::int32_t> first{-1};
    std::atomic<std::int16_t> count{0};
    std::int16_t move = 0;  // the playout board's point, 0 for a pass
    // 0 a leaf, 1 being expanded by one thread, 2 with its children.
    std::atomic<std::uint8_t> state{0};
};

const std::size_t Search::node_bytes = sizeof(Search::Node);

namespace {

using Clock = std::chrono::steady_clock;

// The weights of the value of a move: how soon its own results outweigh the results of
// the same move played later (RAVE), the virtual loss a thread's descent puts on a node,
// how often a leaf is visited before it gets children, and the priors.
constexpr float rave_equivalence = 3000;
constexpr float exploration = 0.05f;
constexpr float virtual_loss = 2;
constexpr float prior_even = 10;
constexpr float prior_capture_one = 15;
constexpr float prior_capture_many = 30;
constexpr float prior_escape = 15;
constexpr float prior_self_atari = 10;
constexpr float prior_pattern = 10;
constexpr float prior_near[3] = {24, 22, 8};
constexpr float prior_lines = 10;
// The guided games' answers: an atari answered, then a pattern around the last stone.
constexpr int answer_percent = 90;
constexpr int pattern_percent = 95;

float load(const std::atomic<float>& a) { return a.load(std::memory_order_relaxed); }
void add(std::atomic<float>& a, float v) { a.fetch_add(v, std::memory_order_relaxed); }

// The distance players feel between two points: closer along a line than across.
int feltDistance(int dx, int dy) {
    dx = std::abs(dx), dy = std::abs(dy);
    return dx + dy + std::max(dx, dy);
}

int xOf(int p, int size) { return p % (size + 2); }
int yOf(int p, int size) { return p / (size + 2); }

// The value of a child for the side that plays it: its own win rate, mixed with the
// win rate of its move played anywhere later (the more the fewer own visits it has),
// with a little exploration.
float valueOf(const Search::Node& c, float logParent) {
    const float v = std::max(load(c.visits), 1.0f), w = load(c.wins);
    const float av = load(c.amaf_visits), aw = load(c.amaf_wins);
    float value = w / v;
    if (av > 0) {
        const float beta = av / (av + v + v * av / rave_equivalence);
        value = (1 - beta) * value + beta * (aw / av);
    }
    return value + exploration * std::sqrt(logParent / v);
}

}  // namespace

rules::Point pointOf(int p, int size) {
    if (p == 0) return {};
    return {xOf(p, size), yOf(p, size)};
}

// What one thread keeps between its playouts.
struct Search::Worker {
    Random random;
    std::vector<std::int32_t> path;
    std::vector<std::int16_t> moves;   // the tree's moves, then the playout's, 0 a pass
    std::vector<std::int8_t> colours;  // who played each
    std::vector<std::int8_t> first;    // by point: the colour that played it first, from here on
};

Search::Search(Settings settings)
    : settings_(settings),
      patterns_(settings.patterns ? settings.patterns : &defaultPatterns()),
      nodes_(new Node[std::max<std::size_t>(settings.node_cap, 16)]) {
    settings_.node_cap = std::max<std::size_t>(settings.node_cap, 16);
    settings_.threads = std::max(1, settings_.threads);
}

Search::~Search() = default;

void Search::reset() {
    used_.store(0);
    full_.store(false);
    root_ = allocate(1);
    Node& r = nodes_[root_];
    r.visits.store(0), r.wins.store(0), r.amaf_visits.store(0), r.amaf_wins.store(0), r.score.store(0);
    r.prior_visits = r.prior_wins = 0;
    r.first.store(-1), r.count.store(0), r.state.store(0);
    r.move = 0;
}

std::int32_t Search::allocate(int count) {
    std::lock_guard<std::mutex> lock(allocation_);
    const std::size_t at = used_.load();
    if (at + static_cast<std::size_t>(count) > settings_.node_cap) {
        full_.store(true);
        return -1;
    }
    used_.store(at + static_cast<std::size_t>(count));
    return static_cast<std::int32_t>(at);
}

void Search::setPosition(const rules::Board& position, int toMove, double given, bool passed) {
    // The playouts count area, the game counts territory and prisoners. The two differ by
    // the stones each side has put down, on the board or taken: equal in a game of
    // alternate moves, not after passes, handicap stones, or a side that played on inside
    // the other's area while it passed. The komi the playouts count with takes that
    // difference in, so that a playout's score is the game's own count (the side to move,
    // a stone behind when white, evens it).
    const int blackPut = position.stones(rules::black) + position.prisoners(rules::white);
    const int whitePut = position.stones(rules::white) + position.prisoners(rules::black);
    const double komi = given + (blackPut - whitePut) - (toMove == rules::white ? 1 : 0);
    auto fresh = std::make_unique<PlayoutBoard>(position);
    // The ko the rules' board knows: the point the side to move may not take back.
    for (int y = 1; y <= position.size(); ++y)
        for (int x = 1; x <= position.size(); ++x)
            if (position.why(toMove, x, y) == rules::Why::ko) fresh->setKo(fresh->point(x, y), toMove);

    auto same = [&](const PlayoutBoard& b) {
        if (b.size() != fresh->size() || b.ko() != fresh->ko()) return false;
        for (int y = 1; y <= b.size(); ++y)
            for (int x = 1; x <= b.size(); ++x)
                if (b.at(b.point(x, y)) != fresh->at(fresh->point(x, y))) return false;
        return true;
    };
    std::int32_t found = -1;
    // The root's own position again (a move asked after an analysis of it): all is kept.
    if (root_ >= 0 && board_ && komi == komi_ && toMove == toMove_ && passed == passed_ && same(*board_)) return;
    if (root_ >= 0 && board_ && komi == komi_ && board_->size() == fresh->size()) {
        // The position a move or two below the root, passes included.
        const Node& r = nodes_[root_];
        if (r.state.load() == 2) {
            for (int i = 0; i < r.count.load() && found < 0; ++i) {
                const std::int32_t c = r.first.load() + i;
                PlayoutBoard one = *board_;
                if (nodes_[c].move) one.play(toMove_, nodes_[c].move); else one.pass();
                if (-toMove_ == toMove && same(one) && passed == (nodes_[c].move == 0)) found = c;
                const Node& child = nodes_[c];
                if (found >= 0 || child.state.load() != 2 || -(-toMove_) != toMove) continue;
                for (int j = 0; j < child.count.load() && found < 0; ++j) {
                    const std::int32_t g = child.first.load() + j;
                    PlayoutBoard two = one;
                    if (nodes_[g].move) two.play(-toMove_, nodes_[g].move); else two.pass();
                    if (same(two) && passed == (nodes_[g].move == 0)) found = g;
                }
            }
        }
    }
    board_ = std::move(fresh);
    // A leaf gets its children after a few visits, more on a larger board, whose every
    // expansion takes more of the pool.
    expandAfter_ = std::max(2, position.size() * position.size() / 45);
    toMove_ = toMove;
    komi_ = komi;
    passed_ = passed;
    if (found >= 0) {
        compact(found);
    } else {
        reset();
    }
}

// The kept subtree below `newRoot` is copied to the front of the pool, breadth first, so
// that the pool holds only what can still be reached.
void Search::compact(std::int32_t newRoot) {
    auto fresh = std::unique_ptr<Node[]>(new Node[settings_.node_cap]);
    std::size_t used = 0;
    auto copy = [&](const Node& from, Node& to) {
        to.visits.store(load(from.visits)), to.wins.store(load(from.wins));
        to.amaf_visits.store(load(from.amaf_visits)), to.amaf_wins.store(load(from.amaf_wins));
        to.score.store(load(from.score));
        to.prior_visits = from.prior_visits, to.prior_wins = from.prior_wins;
        to.move = from.move;
        to.first.store(-1), to.count.store(0), to.state.store(0);
    };
    copy(nodes_[newRoot], fresh[0]);
    used = 1;
    // Pairs of (old index, new index) whose children are still to be copied.
    std::vector<std::pair<std::int32_t, std::int32_t>> queue{{newRoot, 0}};
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const auto [from, to] = queue[q];
        const Node& old = nodes_[from];
        if (old.state.load() != 2) continue;
        const int count = old.count.load();
        if (used + static_cast<std::size_t>(count) > settings_.node_cap) continue;
        const std::int32_t first = static_cast<std::int32_t>(used);
        for (int i = 0; i < count; ++i) {
            copy(nodes_[old.first.load() + i], fresh[first + i]);
            queue.emplace_back(old.first.load() + i, first + i);
        }
        used += static_cast<std::size_t>(count);
        fresh[to].first.store(first), fresh[to].count.store(static_cast<std::int16_t>(count));
        fresh[to].state.store(2);
    }
    nodes_ = std::move(fresh);
    used_.store(used);
    full_.store(false);
    root_ = 0;
}

void Search::expand(Node& node, const PlayoutBoard& b, int colour, int last) {
    const int size = b.size();
    struct Child {
        int move;
        float visits, wins;
    };
    std::vector<Child> children;
    children.reserve(static_cast<std::size_t>(b.empties() + 1));
    // How far the game has gone: the lines of the board matter early on.
    const int stones = size * size - b.empties();
    const bool early = stones < size * size / 5;
    for (int i = 0; i < b.empties(); ++i) {
        const int p = b.emptyPoint(i);
        if (!b.legal(colour, p) || b.ownEye(colour, p)) continue;
        float v = prior_even, w = prior_even / 2;
        const int taken = b.captures(colour, p);
        if (taken == 1) v += prior_capture_one, w += prior_capture_one;
        if (taken > 1) v += prior_capture_many, w += prior_capture_many;
        // A chain of its own in atari beside it that it saves.
        bool escape = false;
        for (int k = 0; k < 4 && !escape; ++k) {
            const int q = b.neighbour(p, k);
            if (b.at(q) != colour || !b.inAtari(b.chainOf(q))) continue;
            int alone = 0;
            escape = taken > 0 || b.libertiesAfter(colour, p, 3, alone) >= 3;
        }
        if (escape) v += prior_escape, w += prior_escape;
        if (taken == 0 && b.leavesInAtari(colour, p)) v += prior_self_atari;
        // The shape's weight, learnt from games: strong shapes count as wins, shapes
        // players almost never make as losses.
        const float shape = patterns_->weight(b.neighbourhood(colour, p));
        if (shape >= 10) v += 2 * prior_pattern, w += 2 * prior_pattern;
        else if (shape >= 2) v += prior_pattern, w += prior_pattern;
        else if (shape < 0.1f) v += prior_pattern;
        if (last > 0) {
            const int d = feltDistance(xOf(p, size) - xOf(last, size), yOf(p, size) - yOf(last, size));
            if (d <= 4 && d >= 2) v += prior_near[d - 2], w += prior_near[d - 2];
        }
        if (early) {
            // The first and second lines are poor and the third and fourth good while the
            // area around is empty.
            const int x = xOf(p, size), y = yOf(p, size);
            const int line = std::min({x, y, size + 1 - x, size + 1 - y});
            bool alone = true;
            for (int dy = -3; dy <= 3 && alone; ++dy)
                for (int dx = -3; dx <= 3 && alone; ++dx) {
                    if (std::abs(dx) + std::abs(dy) > 3) continue;
                    const int qx = x + dx, qy = y + dy;
                    if (qx < 1 || qy < 1 || qx > size || qy > size) continue;
                    const int v2 = b.at(b.point(qx, qy));
                    alone = v2 != rules::black && v2 != rules::white;
                }
            if (alone && line <= 2) v += prior_lines;
            if (alone && (line == 3 || line == 4)) v += prior_lines, w += prior_lines;
        }
        children.push_back({p, v, w});
    }
    // A pass is there to be chosen, poor while there is anything to play.
    children.push_back({0, prior_even, children.empty() ? prior_even : 1.0f});

    const std::int32_t first = allocate(static_cast<int>(children.size()));
    if (first < 0) {
        node.state.store(0);
        return;
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        Node& c = nodes_[first + static_cast<std::int32_t>(i)];
        c.move = static_cast<std::int16_t>(children[i].move);
        c.prior_visits = children[i].visits, c.prior_wins = children[i].wins;
        c.visits.store(children[i].visits), c.wins.store(children[i].wins);
        c.amaf_visits.store(children[i].visits), c.amaf_wins.store(children[i].wins);
        c.score.store(0);
        c.first.store(-1), c.count.store(0), c.state.store(0);
    }
    node.first.store(first, std::memory_order_release);
    node.count.store(static_cast<std::int16_t>(children.size()), std::memory_order_release);
    node.state.store(2, std::memory_order_release);
}

namespace {

// The move of a guided game: the last stone's atari answered, else a pattern around the
// last stone, else a random move that fills no own eye; 0 for a pass.
int guidedMove(PlayoutBoard& b, int colour, int last, Random& random, const PatternTable& patterns) {
    if (last > 0 && random.below(100) < answer_percent) {
        if (const int p = b.answer(colour, last); p > 0 && !b.selfAtari(colour, p)) return p;
    }
    if (last > 0 && random.below(100) < pattern_percent) {
        const int size = b.size(), w = size + 2;
        const int around[8] = {last - w, last + 1, last + w, last - 1, last - w + 1, last + w + 1, last + w - 1, last - w - 1};
        float total = 0;
        int points[8];
        float weights[8];
        int n = 0;
        for (int q : around) {
            if (b.at(q) != rules::empty) continue;
            const float weight = patterns.weight(b.neighbourhood(colour, q));
            if (weight <= 1.5f) continue;
            if (!b.legal(colour, q) || b.ownEye(colour, q) || b.selfAtari(colour, q)) continue;
            points[n] = q, weights[n] = weight, total += weight, ++n;
        }
        if (n > 0) {
            float r = static_cast<float>(random.below(1 << 20)) / static_cast<float>(1 << 20) * total;
            for (int i = 0; i < n; ++i) {
                if (r < weights[i]) return points[i];
                r -= weights[i];
            }
            return points[n - 1];
        }
    }
    return b.randomMove(colour, random);
}

}  // namespace

void Search::playout(Worker& worker) {
    PlayoutBoard b = *board_;
    const int size = b.size();
    worker.path.clear();
    worker.moves.clear();
    worker.colours.clear();
    int colour = toMove_;
    int last = 0;
    bool lastPassed = passed_;
    bool ended = false;
    std::int32_t at = root_;
    worker.path.push_back(at);
    add(nodes_[at].visits, virtual_loss);

    // Down the tree.
    for (;;) {
        Node& node = nodes_[at];
        if (node.state.load(std::memory_order_acquire) != 2) {
            std::uint8_t leaf = 0;
            if (load(node.visits) - node.prior_visits >= expandAfter_ + virtual_loss && !full_.load() &&
                node.state.compare_exchange_strong(leaf, 1))
                expand(node, b, colour, last);
            if (node.state.load(std::memory_order_acquire) != 2) break;
        }
        const std::int32_t first = node.first.load(std::memory_order_acquire);
        const int count = node.count.load(std::memory_order_acquire);
        const float logParent = std::log(std::max(load(node.visits), 1.0f));
        std::int32_t best = first;
        float bestValue = -1;
        for (int i = 0; i < count; ++i) {
            const float value = valueOf(nodes_[first + i], logParent);
            if (value > bestValue) bestValue = value, best = first + i;
        }
        Node& child = nodes_[best];
        add(child.visits, virtual_loss);
        worker.path.push_back(best);
        at = best;
        if (child.move) {
            // A move the tree holds may have become illegal below a ko: the playout ends
            // the tree's part here.
            if (!b.legal(colour, child.move)) {
                worker.path.pop_back();
                add(child.visits, -virtual_loss);
                break;
            }
            b.play(colour, child.move);
        } else {
            b.pass();
            if (lastPassed) ended = true;
        }
        worker.moves.push_back(child.move);
        worker.colours.push_back(static_cast<std::int8_t>(colour));
        lastPassed = child.move == 0;
        last = child.move;
        colour = -colour;
        if (ended) break;
    }

    // The guided game to the end. After two passes in the tree it is played all the same:
    // it takes off what is dead, so that the area counted is the game's.
    int passes = lastPassed && !ended ? 1 : 0;
    for (int moves = 0; passes < 2 && moves < 3 * size * size; ++moves) {
        const int p = guidedMove(b, colour, last, worker.random, *patterns_);
        if (p) {
            b.play(colour, p);
            passes = 0;
        } else {
            b.pass();
            ++passes;
        }
        worker.moves.push_back(static_cast<std::int16_t>(p));
        worker.colours.push_back(static_cast<std::int8_t>(colour));
        last = p;
        colour = -colour;
    }
    const float score = static_cast<float>(b.areaScore(komi_));
    const int winner = score > 0 ? rules::black : rules::white;

    // Up the tree: each node's result for the side that played into it, and the moves
    // played later by the side to move there for its children's AMAF.
    std::fill(worker.first.begin(), worker.first.end(), 0);
    std::size_t from = worker.moves.size();
    for (std::size_t d = worker.path.size(); d-- > 0;) {
        Node& node = nodes_[worker.path[d]];
        // The side that played into the node: the side to move at the root for depth 1.
        const int mover = (d % 2 == 1) ? toMove_ : -toMove_;
        add(node.visits, 1 - virtual_loss);
        if (d > 0) add(node.wins, winner == mover ? 1.0f : 0.0f);
        add(node.score, score);
        // The moves from this node's position on, earliest last, so that each point keeps
        // the colour that played it first.
        for (; from > d; --from) {
            const int p = worker.moves[from - 1];
            if (p) worker.first[static_cast<std::size_t>(p)] = worker.colours[from - 1];
        }
        if (node.state.load(std::memory_order_acquire) != 2) continue;
        const int toPlay = (d % 2 == 0) ? toMove_ : -toMove_;
        const std::int32_t first = node.first.load(std::memory_order_acquire);
        const int count = node.count.load(std::memory_order_acquire);
        for (int i = 0; i < count; ++i) {
            Node& c = nodes_[first + i];
            if (c.move == 0 || worker.first[static_cast<std::size_t>(c.move)] != toPlay) continue;
            add(c.amaf_visits, 1);
            add(c.amaf_wins, winner == toPlay ? 1.0f : 0.0f);
        }
    }
    playouts_.fetch_add(1, std::memory_order_relaxed);
}

Result Search::result() const {
    Result r;
    const Node& root = nodes_[root_];
    const int size = board_->size();
    r.visits = static_cast<int>(load(root.visits));
    r.lead = r.visits > 0 ? load(root.score) / load(root.visits) : 0;
    r.playouts = playouts_.load();
    if (root.state.load() != 2) return r;
    const std::int32_t first = root.first.load();
    const int count = root.count.load();
    float priors = 0;
    for (int i = 0; i < count; ++i) priors += nodes_[first + i].prior_wins;
    auto realVisits = [&](const Node& n) { return load(n.visits) - n.prior_visits; };
    for (int i = 0; i < count; ++i) {
        const Node& c = nodes_[first + i];
        const float visits = realVisits(c);
        if (visits < 0.5f) continue;
        Candidate cand;
        cand.move = pointOf(c.move, size);
        cand.visits = static_cast<int>(visits + 0.5f);
        cand.winrate = (load(c.wins) - c.prior_wins) / visits;
        cand.prior = priors > 0 ? c.prior_wins / priors : 0;
        cand.lead = load(c.score) / visits;
        // The line below it: the most visited child at each step.
        const Node* n = &c;
        cand.pv.push_back(cand.move);
        for (int depth = 0; depth < 12 && n->state.load() == 2; ++depth) {
            const Node* next = nullptr;
            for (int j = 0; j < n->count.load(); ++j) {
                const Node& g = nodes_[n->first.load() + j];
                if (realVisits(g) >= 1 && (!next || realVisits(g) > realVisits(*next))) next = &g;
            }
            if (!next) break;
            cand.pv.push_back(pointOf(next->move, size));
            n = next;
        }
        r.candidates.push_back(std::move(cand));
    }
    std::stable_sort(r.candidates.begin(), r.candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.visits > b.visits; });
    if (!r.candidates.empty()) {
        r.move = r.candidates[0].move;
        r.winrate = r.candidates[0].winrate;
    }
    return r;
}

Result Search::run(const Limits& given, const std::function<bool(const Result&)>& progress, double interval) {
    Limits limits = given;
    if (limits.playouts <= 0 && limits.seconds <= 0) limits.playouts = 1000;
    stopped_.store(false);
    playouts_.store(0);
    ++runs_;
    const auto start = Clock::now();
    const auto deadline = limits.seconds > 0
                              ? start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limits.seconds))
                              : Clock::time_point::max();
    std::atomic<bool> done{false};
    const std::size_t cells = static_cast<std::size_t>((board_->size() + 2) * (board_->size() + 2));
    auto makeWorker = [&](int index) {
        Worker w;
        w.random.state = settings_.seed * 0x9E3779B97F4A7C15ULL + runs_ * 7919 + static_cast<std::uint64_t>(index) * 104729;
        w.first.assign(cells, 0);
        return w;
    };
    auto enough = [&] {
        if (stopped_.load()) return true;
        const int played = playouts_.load(std::memory_order_relaxed);
        if (limits.playouts > 0 && played >= limits.playouts) return true;
        return false;
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < settings_.threads; ++t)
        threads.emplace_back([&, t] {
            Worker w = makeWorker(t);
            while (!done.load(std::memory_order_relaxed) && !enough()) playout(w);
        });

    Worker own = makeWorker(0);
    auto lastProgress = start;
    for (int n = 0;; ++n) {
        if (enough()) break;
        playout(own);
        if ((n & 15) != 0) continue;
        const auto now = Clock::now();
        if (now >= deadline) break;
        // The most visited move cannot be overtaken in the playouts left.
        if (n > 0 && (n & 63) == 0) {
            const Node& root = nodes_[root_];
            if (root.state.load() == 2) {
                float best = 0, second = 0;
                for (int i = 0; i < root.count.load(); ++i) {
                    const Node& c = nodes_[root.first.load() + i];
                    const float v = load(c.visits) - c.prior_visits;
                    if (v > best) second = best, best = v;
                    else if (v > second) second = v;
                }
                const int played = playouts_.load();
                double left = 1e18;
                if (limits.playouts > 0) left = limits.playouts - played;
                if (limits.seconds > 0) {
                    const double spent = std::chrono::duration<double>(now - start).count();
                    const double rate = played / std::max(spent, 1e-3);
                    left = std::min(left, rate * std::chrono::duration<double>(deadline - now).count());
                }
                if (best - second > left) break;
            }
        }
        if (progress && std::chrono::duration<double>(now - lastProgress).count() >= interval) {
            lastProgress = now;
            if (!progress(result())) break;
        }
    }
    done.store(true);
    for (std::thread& t : threads) t.join();
    return result();
}

}  // namespace tolvan::search
