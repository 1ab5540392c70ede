// A session with one GTP engine: the program started in a process group of its own, the
// board set up, the engine brought to a game's position by replaying it, its moves and
// its judgement asked for, all within time limits and open to cancelling. The bytes go
// through a transport that the caller starts (the window over a child process, the tests
// with a script); a session keeps nothing outside itself, so several may run at once.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gtp_client/gtp_client.h"
#include "rules/board.h"
#include "rules/history.h"

namespace tolvan::gtp_client {

// Time limits, in seconds unless said otherwise.
struct Limits {
    int start = 15;    // the engine's first answer after it starts (it may load a while)
    int command = 15;  // every other command but genmove
    int genmove = 60;
    int quitMilliseconds = 1000;  // an engine told to quit, before it is killed
};

// What came of asking for a move: the move, or why there is none. The reason is in
// Japanese, with the engine's last words on standard error; it is empty when the wait
// was cancelled.
struct MoveAnswer {
    std::optional<GeneratedMove> move;
    std::string failure;
};

class Session {
public:
    // Starts `words` (the program first, as typed) as the leader of a process group of
    // its own, waiting at most `limit` for it to start; nullptr when it cannot.
    using Starter = std::function<std::unique_ptr<Transport>(const std::vector<std::string>& words,
                                                            std::chrono::milliseconds limit)>;
    // How the board's labels name a point, for messages about a stone.
    using Label = std::function<std::string(rules::Point)>;

    Session(Starter starter, Label label);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Limits limits;

    // Starts the engine of the command line (split as a shell splits it, without one);
    // a running engine is ended first. A message when it cannot be started.
    std::optional<std::string> start(const std::string& command);
    // True while the engine runs and is in step with its replies.
    bool running() const;
    // Starts `command` unless its engine runs, and sets it up for a board of `size`
    // lines; a message when it cannot be used.
    std::optional<std::string> ensure(const std::string& command, int size);
    // Whether the started engine answers as a GTP engine on a 19 x 19 board: answers
    // to protocol_version (or, failing that, name) and takes boardsize 19. A message
    // when it does not.
    std::optional<std::string> check();
    // The komi white is given from now on (0 until set): setUp tells it, and bringTo
    // tells an engine set up with another.
    void setKomi(double komi) { komi_ = komi; }
    // Sets up a started engine: protocol, an empty board of `size` lines, the komi.
    std::optional<std::string> setUp(int size);
    // Brings the engine to `position`, telling it only the moves it has not seen; a
    // message when it refuses or fails (empty when the wait was cancelled).
    std::optional<std::string> bringTo(const rules::History& position);
    // genmove for `colour` (+1 black, -1 white) in `position`: the engine plays its move
    // on its board.
    MoveAnswer genmove(const rules::History& position, int colour);
    // reg_genmove: the move the engine would choose, its board left as it is.
    MoveAnswer regGenmove(const rules::History& position, int colour);
    // The stones the engine names in final_status_list dead for `position`; nothing when
    // it fails or names anything but stones of the position.
    std::optional<std::vector<rules::Point>> deadStones(const rules::History& position);
    // Any other command, with the time limit of commands.
    Outcome query(const std::string& command);
    // The engine's name and version as it tells them, asked once per engine started.
    std::string name();

    // When set, no command waits beyond this moment, whatever its own time limit.
    void setDeadline(std::optional<std::chrono::steady_clock::time_point> deadline) { deadline_ = deadline; }
    // The wait under way, if any, and every later one end at once; the engine is out of
    // step from then on.
    void cancel();
    bool cancelled() const { return cancelled_; }
    // The engine has answered a command as a GTP engine does ('=' or '?').
    bool answered() const { return answered_; }
    // Tells the engine to quit, gives it graceMs, then ends its whole process group.
    void end(int graceMs);
    // The transport of the running engine, if one was started.
    Transport* transport() const { return transport_.get(); }

private:
    struct Told {
        rules::Board setup;
        std::vector<rules::Node> moves;
    };
    Outcome send(const std::string& command, int seconds);
    MoveAnswer ask(const std::string& verb, const rules::History& position, int colour);
    std::string describe(const Outcome& outcome, int seconds);
    std::string withErrors(const std::string& message);
    std::string whyNot(const std::string& command, const Outcome& outcome, int seconds);

    Starter starter_;
    Label label_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<Client> client_;
    // The position the engine holds; nothing while that is unknown.
    std::optional<Told> position_;
    // The size of the engine's board; 0 until boardsize has been taken.
    int size_ = 0;
    std::optional<std::string> name_;
    bool answered_ = false;
    bool cancelled_ = false;
    double komi_ = 0;
    // The komi the engine was told; nothing before setUp.
    std::optional<double> toldKomi_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

}  // namespace tolvan::gtp_client
