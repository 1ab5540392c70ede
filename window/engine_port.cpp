#include "window/engine_port.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>
#include <vector>

#include "game/position.h"
#include "gtp_client/command_line.h"
#include "gtp_client/gtp_client.h"
#include "gtp_client/process_group.h"
#include "gtp_client/session.h"

namespace tolvan {

namespace {

using std::chrono::milliseconds;

// An engine that failed or is being given up is told to quit, but is busy or broken more
// often than not: it gets this long before it is killed.
constexpr int broken_grace_ms = 100;
// What the engine started is given this long after SIGTERM before it is killed.
constexpr milliseconds group_grace(300);

// A path as one word of a command line.
QString quoted(const QString& path) {
    return QString::fromStdString(gtp_client::quoteWord(path.toStdString()));
}

// Sets up `process` to start `words` (the program first) as the leader of a process
// group of its own, so that whatever it starts can be ended with it.
void prepare(QProcess& process, QStringList words) {
    process.setProgram(words.takeFirst());
    process.setArguments(words);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setChildProcessModifier([parent = ::getpid()] { gtp_client::leadOwnGroup(parent); });
}

// Ends an engine started by prepare(), whose process group is `group` (0 when it never
// started): its input is closed, it is given graceMs, then the whole group is ended, the
// engine and whatever it started, in its group or not. The engine is reaped.
void endEngine(QProcess& process, qint64 group, int graceMs) {
    // What the engine started is found while the engine still runs.
    const std::vector<gtp_client::Process> started = gtp_client::processesOf(static_cast<int>(group));
    if (process.state() != QProcess::NotRunning) {
        process.closeWriteChannel();
        process.waitForFinished(graceMs);
    }
    gtp_client::endProcessGroup(static_cast<int>(group), group_grace, started);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// An engine's session over a child process. A read waits in a nested event loop, so the
// window lives meanwhile.
class ProcessTransport : public gtp_client::Transport {
public:
    ProcessTransport() {
        QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                         [this] { keepErrors(process_.readAllStandardError()); });
    }
    ~ProcessTransport() override { endEngine(process_, group_, 0); }

    // Starts `words`, the program's path first; false when it has not started within
    // `limit`.
    bool start(const QStringList& words, milliseconds limit) {
        prepare(process_, words);
        process_.start();
        if (!process_.waitForStarted(static_cast<int>(limit.count()))) {
            process_.kill();
            process_.waitForFinished(1000);
            return false;
        }
        group_ = process_.processId();
        gtp_client::startedGroup(static_cast<int>(group_));
        return true;
    }

    bool writeLine(const std::string& line) override {
        if (process_.state() != QProcess::Running) return false;
        const QByteArray bytes = QByteArray::fromStdString(line + "\n");
        return process_.write(bytes) == bytes.size();
    }

    Read read(std::string& out, Deadline deadline) override {
        for (;;) {
            if (cancelled_) return Read::cancelled;
            const QByteArray bytes = process_.readAllStandardOutput();
            if (!bytes.isEmpty()) {
                out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
                return Read::data;
            }
            if (process_.state() != QProcess::Running) return Read::closed;
            const auto left = std::chrono::ceil<milliseconds>(deadline - Deadline::clock::now());
            if (left.count() <= 0) return Read::timeout;

            // Wakes for output, the engine's end, the deadline or a cancel; everything
            // else the event loop delivers meanwhile is the window's.
            QEventLoop loop;
            bool woken = false;
            auto wake = [&loop, &woken] {
                woken = true;
                loop.quit();
            };
            QTimer timer;
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(&timer, &QTimer::timeout, &loop, wake);
            QObject::connect(&process_, &QProcess::readyReadStandardOutput, &loop, wake);
            QObject::connect(&process_, &QProcess::finished, &loop, wake);
            QObject::connect(&process_, &QProcess::errorOccurred, &loop, wake);
            timer.start(static_cast<int>(std::min<std::int64_t>(left.count(), 1 << 30)));
            loop_ = &loop;
            loop.exec();
            loop_ = nullptr;
            // Only cancel() and the application's quit end the loop otherwise: either
            // way the program is ending.
            if (!woken) cancelled_ = true;
        }
    }

    void cancel() override {
        cancelled_ = true;
        if (loop_) loop_->exit(1);
    }

    void end(milliseconds grace) override {
        endEngine(process_, group_, static_cast<int>(grace.count()));
        group_ = 0;
    }

    bool running() const override { return process_.state() == QProcess::Running; }

    bool crashed() override {
        // The exit status is known once the process has been reaped.
        if (process_.state() != QProcess::NotRunning) process_.waitForFinished(1000);
        return process_.exitStatus() == QProcess::CrashExit;
    }

    std::string errors() override {
        keepErrors(process_.readAllStandardError());
        return errors_.shown();
    }

    qint64 pid() const { return process_.state() != QProcess::NotRunning ? process_.processId() : 0; }
    bool waiting() const { return loop_ != nullptr; }

private:
    void keepErrors(const QByteArray& bytes) {
        errors_.keep(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }

    QProcess process_;
    gtp_client::ErrorTail errors_;
    // The engine's process group, once started.
    qint64 group_ = 0;
    bool cancelled_ = false;
    // The event loop of the read under way, if any.
    QEventLoop* loop_ = nullptr;
};

const ProcessTransport* processOf(const gtp_client::Session* s) {
    return s ? static_cast<const ProcessTransport*>(s->transport()) : nullptr;
}

// An engine's answer to a move asked for, as the port gives it.
EngineMove moveOf(const gtp_client::MoveAnswer& a) {
    if (!a.move) return {EngineMove::failed, 0, 0, a.failure};
    switch (a.move->kind) {
        case gtp_client::GeneratedMove::stone: return {EngineMove::stone, a.move->at.x, a.move->at.y, {}};
        case gtp_client::GeneratedMove::pass: return {EngineMove::pass, 0, 0, {}};
        case gtp_client::GeneratedMove::resign: break;
    }
    return {EngineMove::resign, 0, 0, {}};
}

}  // namespace

// The question whether a program found installed answers as a GTP engine, asked in the
// background: the commands are written at once, the answers read as they come.
class EnginePort::Probe {
public:
    Probe(EnginePort& port, const QStringList& words) : port_(port) {
        prepare(process, words);
        // A program that is no engine gets no screen to open a window on, nor sound.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("SDL_VIDEODRIVER"), QStringLiteral("dummy"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::started, &process, [this] {
            noteGroup();
            process.write(QByteArray::fromStdString(gtp_client::Probe::commands()));
        });
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] {
            const QByteArray bytes = process.readAllStandardOutput();
            const auto verdict = check_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            if (verdict != gtp_client::Probe::waiting) decide(verdict == gtp_client::Probe::engine);
        });
        // Standard error is read and dropped, so that the program never waits on it.
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { process.readAllStandardError(); });
        QObject::connect(&process, &QProcess::finished, &process, [this] { decide(false); });
        QObject::connect(&process, &QProcess::errorOccurred, &process, [this](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart) decide(false);
        });
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &process, [this] { decide(false); });
        timer_.start(port_.startSeconds * 1000);
        process.start();
        // Known from here, and not only once the event loop has told of the start: the
        // program may be ended before that.
        noteGroup();
    }
    ~Probe() {
        if (process.state() != QProcess::NotRunning) process.write("quit\n");
        endEngine(process, group_, 0);
    }

    // The program answered as a GTP engine (once done).
    bool engine = false;
    bool done = false;

private:
    void noteGroup() {
        if (group_ != 0 || process.state() == QProcess::NotRunning || process.processId() <= 0) return;
        group_ = process.processId();
        gtp_client::startedGroup(static_cast<int>(group_));
    }

    void decide(bool isEngine) {
        if (done) return;
        done = true;
        engine = isEngine;
        timer_.stop();
        // Ended once the signal that told has returned.
        QTimer::singleShot(0, &process, [this, isEngine] {
            if (process.state() != QProcess::NotRunning) process.write("quit\n");
            endEngine(process, group_, isEngine ? port_.quitMilliseconds : 0);
            group_ = 0;
            port_.probed();
        });
    }

    EnginePort& port_;
    QProcess process;
    QTimer timer_;
    gtp_client::Probe check_;
    qint64 group_ = 0;
};


EnginePort::EnginePort() : session_(newSession()) {}
EnginePort::~EnginePort() {
    stop();
    found_.clear();
}

std::unique_ptr<gtp_client::Session> EnginePort::newSession() {
    auto starter = [this](const std::vector<std::string>& words,
                          milliseconds limit) -> std::unique_ptr<gtp_client::Transport> {
        QStringList list;
        for (const std::string& w : words) list << QString::fromStdString(w);
        list.first() = findTyped(list.first());
        auto t = std::make_unique<ProcessTransport>();
        if (!t->start(list, limit)) return nullptr;
        return t;
    };
    auto s = std::make_unique<gtp_client::Session>(starter, [](rules::Point p) { return pointLabel(p); });
    s->limits = limits();
    s->setKomi(komi_);
    return s;
}

gtp_client::Limits EnginePort::limits() const {
    return {startSeconds, commandSeconds, genmoveSeconds, quitMilliseconds};
}

QString EnginePort::findProgram(const QString& name) const {
    if (!searchFolders.isEmpty()) return QStandardPaths::findExecutable(name, searchFolders);
    QString path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/games")});
    return path.isEmpty() ? QStandardPaths::findExecutable(name) : path;
}

QString EnginePort::findTyped(const QString& program) const {
    if (program.contains(QLatin1Char('/'))) return program;
    QString path;
    if (!searchFolders.isEmpty()) {
        path = QStandardPaths::findExecutable(program, searchFolders);
    } else {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty()) path = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/games")});
    }
    return path.isEmpty() ? program : path;
}

void EnginePort::findInstalled() {
    found_.clear();
    searched_ = false;
    const QString gnugo = findProgram(QStringLiteral("gnugo"));
    if (!gnugo.isEmpty()) {
        Found f;
        for (int level : {1, 5, 10})
            f.offers.push_back({"GNU Go (レベル " + std::to_string(level) + ")",
                                (quoted(gnugo) + QStringLiteral(" --mode gtp --level %1").arg(level))
                                    .toStdString()});
        f.probe = std::make_unique<Probe>(*this, QStringList{gnugo, QStringLiteral("--mode"), QStringLiteral("gtp")});
        found_.push_back(std::move(f));
    }
    const QString pachi = findProgram(QStringLiteral("pachi"));
    if (!pachi.isEmpty()) {
        Found f;
        f.offers.push_back({"Pachi", quoted(pachi).toStdString()});
        f.probe = std::make_unique<Probe>(*this, QStringList{pachi});
        found_.push_back(std::move(f));
    }
    if (found_.empty()) searched_ = true;
}

void EnginePort::probed() {
    searched_ = std::all_of(found_.begin(), found_.end(), [](const Found& f) { return f.probe->done; });
    if (onInstalled) onInstalled();
}

std::vector<EngineOffer> EnginePort::installed() {
    std::vector<EngineOffer> offers;
    for (const Found& f : found_)
        if (f.probe->done && f.probe->engine) offers.insert(offers.end(), f.offers.begin(), f.offers.end());
    return offers;
}

std::vector<std::string> EnginePort::levels() {
    std::vector<std::string> names;
    for (const search::Level& l : search::levels()) names.push_back(SearchOpponent::nameOf(l));
    return names;
}

void EnginePort::use(const std::string& command) {
    command_ = command;
    search_.use(nullptr);
    stop();
}

void EnginePort::useLevel(int level) {
    const int count = static_cast<int>(search::levels().size());
    command_.clear();
    stop();
    search_.use(level >= 1 && level <= count ? &search::level(level) : nullptr);
}

bool EnginePort::engineInUse() { return !command_.empty() || levelInUse(); }

qint64 EnginePort::enginePid() const {
    const ProcessTransport* t = processOf(session_.get());
    return t ? t->pid() : 0;
}

bool EnginePort::waiting() const {
    const ProcessTransport* t = processOf(current_);
    return (t && t->waiting()) || search_.waiting();
}

void EnginePort::cancel() {
    // The search's wait is the one under way: an engine beside it is left alone.
    if (search_.waiting()) {
        search_.cancel();
        return;
    }
    if (!busy_) {
        endSession(broken_grace_ms);
        return;
    }
    cancelled_ = true;
    if (current_) current_->cancel();
}

void EnginePort::stop() {
    // A level has nothing to end but its wait; its tree stays for the next move.
    search_.cancel();
    if (busy_) {
        // The wait under way unwinds first; the engine is ended as it returns.
        endAfterWait_ = true;
        cancel();
        return;
    }
    endSession(quitMilliseconds);
}

std::string EnginePort::engineName() {
    if (const search::Level* level = search_.level()) return SearchOpponent::nameOf(*level);
    if (busy_) return {};
    session_->limits = limits();
    return session_->name();
}

void EnginePort::setKomi(double komi) {
    komi_ = komi;
    session_->setKomi(komi);
}

void EnginePort::endSession(int graceMs) { session_->end(graceMs); }

void EnginePort::begin(gtp_client::Session& s) {
    busy_ = true;
    cancelled_ = false;
    s.limits = limits();
    current_ = &s;
}

void EnginePort::done() {
    if (current_ && current_->cancelled()) cancelled_ = true;
    current_ = nullptr;
}

namespace {
// Counts the seconds of a wait on `tick`, telling `thinking` each one as it passes.
void tickSeconds(QTimer& tick, int& seconds, const std::function<void(int seconds)>& thinking) {
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, [&seconds, &thinking] {
        ++seconds;
        if (thinking) thinking(seconds);
    });
    tick.start();
}
}  // namespace

EngineMove EnginePort::genmove(const rules::History& position, int colour,
                               const std::function<void(int seconds)>& thinking) {
    if (busy_) return {EngineMove::failed, 0, 0, "エンジンはまだ前の手を考えています。"};
    if (levelInUse()) {
        search_.limitSeconds = genmoveSeconds;
        return search_.genmove(position, colour, komi_, thinking);
    }
    if (command_.empty()) return {EngineMove::failed, 0, 0, "エンジンが選ばれていません。"};
    begin(*session_);
    endAfterWait_ = false;

    // The person sees the seconds go by, from the start of the whole turn.
    int seconds = 0;
    QTimer tick;
    tickSeconds(tick, seconds, thinking);

    // An engine started for this move that fails before any answer is no GTP engine.
    const bool starting = !session_->running();
    auto finish = [&](EngineMove r) {
        tick.stop();
        done();
        busy_ = false;
        if (r.kind == EngineMove::failed && starting && !cancelled_ && !session_->answered())
            r.notAnEngine = true;
        if (r.kind == EngineMove::failed || r.kind == EngineMove::cancelled || endAfterWait_ ||
            cancelled_)
            endSession(broken_grace_ms);
        if (cancelled_ && r.kind != EngineMove::cancelled) r = {EngineMove::cancelled, 0, 0, {}};
        cancelled_ = false;
        endAfterWait_ = false;
        return r;
    };

    if (auto message = session_->ensure(command_, position.size()))
        return finish({EngineMove::failed, 0, 0, *message});
    return finish(moveOf(session_->genmove(position, colour)));
}

EngineMove EnginePort::suggest(const rules::History& position, int colour,
                               const std::function<void(int seconds)>& thinking) {
    if (busy_ || search_.waiting()) return {};
    endAfterWait_ = false;
    suggesting_ = true;

    EngineMove answer;
    if (!command_.empty()) {
        int seconds = 0;
        QTimer tick;
        tickSeconds(tick, seconds, thinking);
        begin(*session_);
        if (!session_->ensure(command_, position.size())) answer = moveOf(session_->regGenmove(position, colour));
        done();
        tick.stop();
        // An engine out of step (late, garbled, gone) or whose wait was cancelled is
        // ended, as after a failed genmove; one that only refused a command runs on.
        if (cancelled_ || endAfterWait_ || !session_->running()) endSession(broken_grace_ms);
        busy_ = false;
    }
    // No engine, or none with a move: Tolvan's own search, which needs no other program.
    if (answer.kind == EngineMove::failed && !cancelled_ && !endAfterWait_)
        answer = search_.suggest(position, colour, komi_, thinking);
    if (cancelled_) answer = {EngineMove::cancelled, 0, 0, {}};
    busy_ = false;
    cancelled_ = false;
    endAfterWait_ = false;
    suggesting_ = false;
    return answer;
}

std::optional<std::string> EnginePort::check(const std::string& command) {
    if (busy_) return std::string("エンジンはまだ前の手を考えています。");
    // The check may take up to the engine's start time: the pointer says the program is
    // busy at once, and a window says what it waits for if it takes longer.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QProgressDialog progress(QStringLiteral("エンジンが GTP で答えるかどうか確かめています..."),
                             QStringLiteral("中止"), 0, 0, QApplication::activeWindow());
    progress.setWindowTitle(QStringLiteral("その他のエンジン"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(std::numeric_limits<int>::max());
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &progress, [&progress] { progress.show(); });
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [this] { cancel(); });
    showLater.start(500);
    // A session of its own, never the port's: the engine in use is not touched.
    const std::unique_ptr<gtp_client::Session> s = newSession();
    begin(*s);
    std::optional<std::string> answer = s->start(command);
    if (!answer) answer = s->check();
    s->end(answer ? broken_grace_ms : quitMilliseconds);
    done();
    showLater.stop();
    progress.hide();
    QApplication::restoreOverrideCursor();
    busy_ = false;
    cancelled_ = false;
    if (endAfterWait_) {
        endAfterWait_ = false;
        endSession(broken_grace_ms);
    }
    return answer;
}

std::vector<rules::Point> EnginePort::deadStones(const rules::History& position, int seconds) {
    if (busy_ || seconds <= 0) return {};
    if (levelInUse()) return SearchOpponent::deadStones(position, komi_);
    const bool inUse = !command_.empty();
    QString judge;
    if (!inUse) {
        const QString gnugo = findProgram(QStringLiteral("gnugo"));
        if (gnugo.isEmpty()) return {};
        judge = quoted(gnugo) + QLatin1Char(' ') + judgeOptions;
    }
    endAfterWait_ = false;
    // Every command of the whole exchange, the engine's start included, waits only up
    // to here.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);

    std::optional<std::vector<rules::Point>> dead;
    if (inUse) {
        begin(*session_);
        session_->setDeadline(deadline);
        if (!session_->ensure(command_, position.size())) dead = session_->deadStones(position);
        session_->setDeadline(std::nullopt);
        done();
        // An engine out of step (late, garbled, gone) or whose wait was cancelled is
        // ended, as after a failed genmove; one that only refused a command runs on.
        if (cancelled_ || endAfterWait_ || !session_->running()) endSession(broken_grace_ms);
    } else {
        // A session of its own, never the port's: the engine in use is not touched.
        const std::unique_ptr<gtp_client::Session> s = newSession();
        begin(*s);
        s->setDeadline(deadline);
        if (!s->start(judge.toStdString()) && !s->setUp(position.size()))
            dead = s->deadStones(position);
        done();
        s->end(dead && !cancelled_ ? quitMilliseconds : broken_grace_ms);
        if (endAfterWait_) endSession(broken_grace_ms);
    }
    const bool cancelled = cancelled_;
    busy_ = false;
    cancelled_ = false;
    endAfterWait_ = false;
    if (!dead || cancelled) return {};
    return *dead;
}

}  // namespace tolvan
