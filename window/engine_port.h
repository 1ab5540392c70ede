// The computer's opponents in the Qt program: other Go programs found installed, run
// with QProcess, each in a session of the GTP client; and Tolvan's own levels, searched
// in the program itself (window/search_opponent.*).
#pragma once

#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/port.h"
#include "window/search_opponent.h"

namespace tolvan {

namespace gtp_client {
class Session;
struct Limits;
}  // namespace gtp_client

// One engine at a time, started at the first genmove after use() chose it and kept
// running between moves; it learns only the moves it has not seen yet. While it thinks
// the event loop runs (the window repaints; its input is the window's to discard). Any
// failure ends the engine, and the next genmove starts it afresh. Only the judgement of
// dead stones without an engine in use runs a second program beside it, GNU Go, for the
// length of that one question.
//
// A level chosen with useLevel() takes the engine's place: genmove, suggest, deadStones,
// engineName, waiting() and cancel() go to the search, which waits as an engine is waited
// for. So every guard the window keeps around an engine's wait (the turn's input, the
// close box, the end of the program) holds for a level too, and the game asks both alike.
class EnginePort : public Opponent {
public:
    EnginePort();
    ~EnginePort() override;
    EnginePort(const EnginePort&) = delete;
    EnginePort& operator=(const EnginePort&) = delete;

    // The engines findInstalled() has found that answered as GTP engines: GNU Go at
    // three levels when `gnugo` is in /usr/games or on PATH, then Pachi when `pachi` is;
    // each command starts the program by its full path. Empty until they have answered.
    std::vector<EngineOffer> installed() override;
    // Looks for the programs installed() offers and asks each, in the background, for
    // protocol_version and name: one that answers both as a GTP engine is offered, one
    // that says anything else, ends or takes longer than startSeconds is not. Each
    // program is ended again once it has answered; onInstalled is called then.
    void findInstalled();
    std::function<void()> onInstalled;
    // True once every program findInstalled() found has answered or failed.
    bool searched() const { return searched_; }
    // search::levels() by the names SearchOpponent::nameOf gives them.
    std::vector<std::string> levels() override;
    void use(const std::string& command) override;
    void useLevel(int level) override;
    bool engineInUse() override;
    std::optional<std::string> check(const std::string& command) override;
    EngineMove genmove(const rules::History& position, int colour,
                       const std::function<void(int seconds)>& thinking) override;
    // With a level in use, the stones the estimate calls dead. Else asks the engine in
    // use, brought to `position`, for final_status_list dead; with none in use, GNU Go (found as installed() finds it) is started for this alone and
    // ended again, and the engine in use is left as it was. The whole of it, the start
    // included, must be over within `seconds`: a late, failed or unreadable answer gives
    // no stone. Waits like genmove: the window lives, and cancel() ends the wait.
    std::vector<rules::Point> deadStones(const rules::History& position, int seconds) override;
    // reg_genmove, asked of the engine in use, brought to `position`; when there is none
    // (a level may be in use) or it gives no move, Tolvan's own search for about a second
    // (SearchOpponent::suggest). Waits like genmove, showing the seconds; cancel() ends
    // the wait (the answer is then `cancelled`).
    EngineMove suggest(const rules::History& position, int colour,
                       const std::function<void(int seconds)>& thinking) override;
    // True while suggest() waits for an engine or the search: a press on the board or
    // Escape is to cancel it, and nothing else of the game is to be done meanwhile.
    bool suggesting() const { return suggesting_; }
    // Every session, the one in use and the ones started for one question, plays with it.
    void setKomi(double komi) override;
    void stop() override;
    std::string engineName() override;

    // For the end of the program during the computer's turn: a genmove or check that is
    // waiting for the engine returns at once (genmove answers `cancelled`) and the
    // engine is ended. Without a wait under way, the engine is just ended. The same
    // happens by itself when the application is told to quit during a wait. A wait for
    // the search returns `cancelled` just as soon; an engine running beside it stays.
    void cancel();
    // True while a genmove, check or deadStones waits for an engine, or a level's genmove
    // or a hint waits for the search (the event loop runs inside it).
    bool waiting() const;

    // True while a level thinks over the computer's move: a press on the board or
    // Escape then asks it to play now (playNow()).
    bool searching() const { return search_.thinking(); }
    bool levelInUse() const { return search_.level() != nullptr; }
    // The level thinking plays its best move so far.
    void playNow() { search_.playNow(); }
    // The search behind the levels and the hints.
    SearchOpponent& search() { return search_; }

    // The folders searched for installed engines; empty means /usr/games, then PATH.
    QStringList searchFolders;
    // Time limits: for the engine's first answer after it starts (it may load a while),
    // for every other command but genmove, and for genmove.
    int startSeconds = 15;
    int commandSeconds = 15;
    int genmoveSeconds = 60;
    // How long an engine told to quit has before it is killed.
    int quitMilliseconds = 1000;
    // GNU Go's options when it is started only to judge the dead stones. At level 1 it
    // judges a finished 19 x 19 game in about 2 seconds at most, start included; its
    // default level took over 6 on some, too close to the time the game allows.
    QString judgeOptions = QStringLiteral("--mode gtp --level 1");

    // The process id of the running engine, or 0 when none runs. It leads a process
    // group of its own: whatever it starts is ended with it.
    qint64 enginePid() const;

private:
    class Probe;
    friend class Probe;
    // A program found installed, the engines it offers and the question put to it.
    struct Found {
        std::vector<EngineOffer> offers;
        std::unique_ptr<Probe> probe;
    };
    // A probe has come to its answer.
    void probed();

    // The program `name` in the search folders (or /usr/games, then PATH); empty when
    // there is none.
    QString findProgram(const QString& name) const;
    // The program a typed command line names: a name without a slash is looked for on
    // PATH, then in /usr/games (or in the search folders); as it is when not found.
    QString findTyped(const QString& program) const;
    // A session whose engines run as child processes, with the port's time limits.
    std::unique_ptr<gtp_client::Session> newSession();
    gtp_client::Limits limits() const;
    // A genmove, check or deadStones starts waiting on `s`, and is over.
    void begin(gtp_client::Session& s);
    void done();
    // Ends the running engine, giving it `graceMs` after quit.
    void endSession(int graceMs);

    std::string command_;
    double komi_ = 0;
    // The session of the engine in use.
    std::unique_ptr<gtp_client::Session> session_;
    std::vector<Found> found_;
    bool searched_ = false;
    // A genmove, check or deadStones is under way: the port must not be torn down under it.
    bool busy_ = false;
    bool cancelled_ = false;
    bool endAfterWait_ = false;
    bool suggesting_ = false;
    // The session the wait under way is on, if any.
    gtp_client::Session* current_ = nullptr;
    SearchOpponent search_;
};

}  // namespace tolvan
