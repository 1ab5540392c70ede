// Tolvan's own search as the computer's opponent in the Qt program: a level's player
// thinks on a thread of its own while the window's event loop runs, just as the window
// waits for an engine's process.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/port.h"
#include "search/player.h"

class QEventLoop;

namespace tolvan {

// One level at a time. Its player, and the tree it keeps from move to move, is made at
// the first move after use() chose the level. Each move is searched on a thread of its
// own while the caller waits in a nested event loop: the window lives and repaints, and
// its input is the window's to sort out. playNow() has the move played at once, cancel()
// gives the wait up.
class SearchOpponent {
public:
    SearchOpponent();
    ~SearchOpponent();
    SearchOpponent(const SearchOpponent&) = delete;
    SearchOpponent& operator=(const SearchOpponent&) = delete;

    // The name a level goes by in the menu and in the game records: "Tolvan（中級）".
    static std::string nameOf(const search::Level& level);

    // From the next move on the moves come from `level`, which must outlive its use, or
    // from no level when null. A wait under way is cancelled.
    void use(const search::Level* level);
    const search::Level* level() const { return level_; }

    // The level's move for `colour` in `position` (komi given to white), thought over
    // for the level's playouts or seconds, never longer than limitSeconds. Waits as said
    // above, calling `thinking` about once a second with the seconds waited. cancelled
    // when cancel() ended the wait; failed with no level or a wait already under way.
    EngineMove genmove(const rules::History& position, int colour, double komi,
                       const std::function<void(int seconds)>& thinking);

    // A move for `colour` in `position` as the strongest level's search finds it in
    // hintSeconds, on a tree of its own: the level in use and its tree are not touched.
    // Waits like genmove; a pass and a resignation come back as such.
    EngineMove suggest(const rules::History& position, int colour, double komi,
                       const std::function<void(int seconds)>& thinking);

    // The stones the estimate calls dead in `position`.
    static std::vector<rules::Point> deadStones(const rules::History& position, double komi);

    // During genmove's wait: the best move found so far is played, as soon as the root
    // has playNowVisits behind it (so that a press at once still gives a considered move).
    void playNow();
    // The wait under way, if any, returns at once with `cancelled`; the search ends.
    void cancel();
    // True while genmove or suggest waits.
    bool waiting() const { return waiting_; }
    // True while genmove waits: a press then means "play now".
    bool thinking() const { return waiting_ && !hinting_; }

    // The settings of the players made from now on (threads, seed, patterns). The seed
    // differs from run to run unless set.
    search::Settings settings;
    // The longest a move may take, whatever the level.
    double limitSeconds = 60;
    // How long a hint is thought over.
    double hintSeconds = 1;
    // The root visits play-now waits for (fewer when the level plays fewer playouts).
    int playNowVisits = 100;

    // What the last search found, the playouts of its run among it.
    const search::Result& lastResult() const { return last_; }

private:
    // Runs player.genmove on a thread and waits for it as described above.
    EngineMove think(search::Player& player, const rules::History& position, int colour, double komi,
                     double seconds, const std::function<void(int seconds)>& thinking);

    const search::Level* level_ = nullptr;
    std::unique_ptr<search::Player> player_;
    search::Result last_;
    bool waiting_ = false;
    bool hinting_ = false;
    std::atomic<bool> playNow_{false};
    std::atomic<bool> cancelled_{false};
    // The player searching, and the event loop of the wait under way.
    search::Player* searching_ = nullptr;
    QEventLoop* loop_ = nullptr;
};

}  // namespace tolvan
