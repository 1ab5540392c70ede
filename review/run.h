// A finished game reviewed move by move: black's lead after every move from the
// estimate, and, with GNU Go beside the game, the best move at every position and what
// the move played lost against it. The window runs it in the background and the command
// line in the foreground; both through this one class.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "records/sgf.h"
#include "review/review.h"

namespace tolvan::review {

// The level GNU Go reviews a board of `size` lines at: the highest that keeps the
// review of a whole game within its time (a 9-line game in half a minute, 200 moves on
// 19 lines in four minutes, on two cores).
int gnuGoLevel(int size);

// GNU Go's command line for reviewing a board of `size` lines: the program found on
// PATH, then in /usr/games, with its options; empty when it is not installed.
std::vector<std::string> gnuGoCommand(int size);

// What a review found.
struct Result {
    // One for each move of the record's main line, passes counted, in order; the moves
    // reviewed so far when it was cancelled.
    std::vector<MoveReview> moves;
    // True when the best moves came from GNU Go; otherwise the moves have leads only.
    bool mistakes = false;
    // Why there are no best moves (in Japanese): GNU Go is not installed, or it failed;
    // or why nothing could be reviewed (a record that does not replay). Empty otherwise.
    std::string why;
    bool cancelled = false;
};

class Reviewer {
public:
    // Called as moves are done, with how many of how many, counted as the board counts
    // them: the stones, passes left out; from the reviewing threads, one call at a time.
    using Progress = std::function<void(int done, int total)>;

    // `engine`: GNU Go's words as gnuGoCommand gives them; empty for leads only.
    explicit Reviewer(std::vector<std::string> engine, Progress progress = {});
    ~Reviewer();
    Reviewer(const Reviewer&) = delete;
    Reviewer& operator=(const Reviewer&) = delete;

    // Reviews the main line of `record`, white given `komi`, and returns when it is
    // done or cancelled; the engine has ended by then. Run once per reviewer.
    Result run(const sgf::Record& record, double komi);

    // From any thread: the run under way returns within a second, its engine ended.
    void cancel();

private:
    struct Shared;
    std::vector<std::string> engine_;
    Progress progress_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace tolvan::review
