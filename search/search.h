// Tolvan's own search for a move: Monte Carlo tree search on the playout board. Each
// playout walks down a tree of positions, choosing at every node the move whose value
// mixes its own results with the results of the same move played later in other games
// (RAVE), both started from priors (an even prior, captures, escapes from atari, 3×3
// patterns, closeness to the last move, the lines of the board early in a game); below
// the tree it plays a guided random game to the end (answering ataris, patterns around
// the last stone, never filling an own eye) and counts the area. Several threads share
// one tree (a virtual loss keeps them apart); the tree lives in a pool of nodes of a
// fixed size, and what it learnt is kept for the next position when that position is
// one the tree looked at. No Qt, no files, no processes: callers bring the position and
// the limits.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "playout/board.h"
#include "rules/board.h"

namespace tolvan::search {

class PatternTable;

// How long one search may go on: a number of playouts, a number of seconds, or both
// (whichever comes first). With neither, 1,000 playouts.
struct Limits {
    int playouts = 0;
    double seconds = 0;
};

struct Settings {
    // Threads sharing the tree, the caller's own among them.
    int threads = 2;
    // The most nodes the tree holds; memory is node_cap × Search::node_bytes, twice that
    // for a moment while a kept tree is compacted.
    std::size_t node_cap = 1u << 20;
    // The seed of the playouts: with one thread the same position and limits give the
    // same search.
    std::uint64_t seed = 1;
    // The 3×3 pattern weights of the playouts and the priors; defaultPatterns() when null.
    const PatternTable* patterns = nullptr;
};

// One move the root may play, as the search sees it.
struct Candidate {
    rules::Point move;      // x 0 for a pass
    int visits = 0;         // playouts through it, priors not counted
    double winrate = 0.5;   // for the side to move at the root, 0 to 1
    double prior = 0;       // the move's share of the priors, 0 to 1
    double lead = 0;        // black's lead in points at the end of its playouts
    std::vector<rules::Point> pv;  // the move, then the most visited line below it
};

struct Result {
    rules::Point move;       // the most visited move; x 0 for a pass
    double winrate = 0.5;    // of that move, for the side to move
    double lead = 0;         // black's lead in points over all the root's playouts
    int playouts = 0;        // played by this run
    int visits = 0;          // of the root, with what an earlier run left in the kept tree
    std::vector<Candidate> candidates;  // the root's visited moves, most visited first
};

class Search {
public:
    explicit Search(Settings settings = {});
    ~Search();
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    // The position to search: `board` with the ko it knows, `toMove`, the komi white is
    // given, and whether the move before it was a pass. The tree is kept when the position
    // is one it looked at, a move or two below its root; otherwise it starts afresh. Scores
    // and leads are as Japanese counting gives them: the prisoners and the passes count.
    void setPosition(const rules::Board& board, int toMove, double komi, bool passed = false);

    // Searches until the limits are reached or stop() is called. `progress`, when given,
    // is called on the calling thread about every `interval` seconds with the result so
    // far; returning false ends the search. Ends early when the most visited move can no
    // longer be overtaken within the playouts left.
    Result run(const Limits& limits, const std::function<bool(const Result&)>& progress = {},
               double interval = 0.2);

    // From any thread: the running search ends soon, with its result so far.
    void stop() { stopped_.store(true); }

    // The nodes the tree holds now, and the bytes one node takes.
    std::size_t nodes() const { return used_.load(); }
    static const std::size_t node_bytes;
    const Settings& settings() const { return settings_; }

    struct Node;

private:
    struct Worker;
    void reset();
    std::int32_t allocate(int count);
    void expand(Node& node, const playout::PlayoutBoard& board, int colour, int last);
    void playout(Worker& worker);
    Result result() const;
    void compact(std::int32_t newRoot);

    Settings settings_;
    const PatternTable* patterns_;
    std::unique_ptr<Node[]> nodes_;
    std::atomic<std::size_t> used_{0};
    std::mutex allocation_;
    std::atomic<bool> full_{false};

    // The root: its node, its position and the side to move there.
    std::int32_t root_ = -1;
    std::unique_ptr<playout::PlayoutBoard> board_;
    int toMove_ = 1;
    int expandAfter_ = 2;
    double komi_ = 0;
    bool passed_ = false;

    std::atomic<bool> stopped_{false};
    std::atomic<int> playouts_{0};
    std::uint64_t runs_ = 0;
};

// The point of the playout board's index p on a board of `size` lines (x 0 for 0, a pass).
rules::Point pointOf(int p, int size);

}  // namespace tolvan::search
