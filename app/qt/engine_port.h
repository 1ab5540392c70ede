// The computer's opponent engines in the Qt program: other Go programs found installed,
// run with QProcess and spoken to in GTP through the core's client.
#pragma once

#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/port.h"

class QEventLoop;

namespace tolvan {

// One engine at a time, started at the first genmove after use() chose it and kept
// running between moves; it learns only the moves it has not seen yet. While it thinks
// the event loop runs (the window repaints; its input is the window's to discard). Any
// failure ends the engine, and the next genmove starts it afresh.
class EnginePort : public Opponent {
public:
    EnginePort();
    ~EnginePort() override;
    EnginePort(const EnginePort&) = delete;
    EnginePort& operator=(const EnginePort&) = delete;

    // GNU Go at three levels when `gnugo` is in /usr/games or on PATH, then Pachi when
    // `pachi` is on PATH; each command starts the program by its full path.
    std::vector<EngineOffer> installed() override;
    void use(const std::string& command) override;
    bool engineInUse() override;
    std::optional<std::string> check(const std::string& command) override;
    EngineMove genmove(const rules::History& position, int colour,
                       const std::function<void(int seconds)>& thinking) override;
    void stop() override;

    // For the end of the program during the computer's turn: a genmove or check that is
    // waiting for the engine returns at once (genmove answers `cancelled`) and the
    // engine is ended. Without a wait under way, the engine is just ended. The same
    // happens by itself when the application is told to quit during a wait.
    void cancel();
    // True while a genmove or check waits for the engine (the event loop runs inside it).
    bool waiting() const { return waitLoop_ != nullptr; }

    // The folders searched for installed engines; empty means /usr/games, then PATH.
    QStringList searchFolders;
    // Time limits: for the engine's first answer after it starts (it may load a while),
    // for every other command but genmove, and for genmove.
    int startSeconds = 15;
    int commandSeconds = 15;
    int genmoveSeconds = 60;
    // How long an engine told to quit has before it is killed.
    int quitMilliseconds = 1000;

    // The process id of the running engine, or 0 when none runs.
    qint64 enginePid() const;

private:
    class Session;
    friend class Session;

    // Starts the chosen engine unless it runs; a message when it cannot be used.
    std::optional<std::string> ensureSession();
    // Brings the running engine to `position`; a message when it refuses or fails.
    std::optional<std::string> bringTo(const rules::History& position);
    // Ends the running engine, giving it `graceMs` after quit.
    void endSession(int graceMs);

    std::string command_;
    std::unique_ptr<Session> session_;
    // A genmove or check is under way: the port must not be torn down under it.
    bool busy_ = false;
    bool cancelled_ = false;
    bool endAfterWait_ = false;
    // The event loop of the wait under way, if any.
    QEventLoop* waitLoop_ = nullptr;
};

}  // namespace tolvan
