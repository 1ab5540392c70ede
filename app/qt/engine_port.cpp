#include "app/qt/engine_port.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <limits>
#include <sstream>
#include <utility>
#include <vector>

#include "engine/command_line.h"
#include "engine/gtp_client.h"
#include "engine/process_group.h"
#include "game/position.h"

#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace tolvan {

namespace {

using std::chrono::milliseconds;

// An engine that failed or is being given up is told to quit, but is busy or broken more
// often than not: it gets this long before it is killed.
constexpr int broken_grace_ms = 100;
// What the engine started is given this long after SIGTERM before it is killed.
constexpr milliseconds group_grace(300);
// How much of the engine's standard error is kept, and how much of it a message shows.
constexpr qsizetype errors_kept = 4096;
constexpr qsizetype errors_shown = 600;
constexpr int error_lines_shown = 8;

std::string colourName(int colour) { return colour > 0 ? "b" : "w"; }

// A game as an engine is told it: the stones of the setup board, then the moves.
struct Told {
    rules::Board setup;
    std::vector<rules::Node> moves;
};

Told toldOf(const rules::History& position) {
    return {position.setup(),
            rules::sequence(position, position.stones(), position.passesAtEnd())};
}

std::string vertex(rules::Point p, int size) { return gtp::vertexName(gtp::Point{p.x, p.y}, size); }

bool sameMove(const rules::Node& a, const rules::Node& b) {
    return a.colour == b.colour && a.pass == b.pass && (a.pass || a.at == b.at);
}

// True when `known` is where `position` was: the same setup stones, and its moves are
// the first moves of `position`.
bool leadsTo(const Told& known, const Told& position) {
    if (!known.setup.sameStones(position.setup) || known.moves.size() > position.moves.size())
        return false;
    for (std::size_t i = 0; i < known.moves.size(); ++i)
        if (!sameMove(known.moves[i], position.moves[i])) return false;
    return true;
}

bool empty(const Told& t) {
    return t.setup.stones(rules::black) == 0 && t.setup.stones(rules::white) == 0 &&
           t.moves.empty();
}

// A path as one word of a command line.
QString quoted(const QString& path) {
    return QString::fromStdString(engine::quoteWord(path.toStdString()));
}

// Sets up `process` to start `words` (the program first) as the leader of a process
// group of its own, so that whatever it starts can be ended with it.
void prepare(QProcess& process, QStringList words) {
    process.setProgram(words.takeFirst());
    process.setArguments(words);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
#ifdef __linux__
        // Should this program die without ending the engine, the engine goes with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    });
}

// Ends an engine started by prepare(), whose process group is `group` (0 when it never
// started): told to quit, given graceMs, then the whole group is ended, the engine and
// whatever it started. The engine is reaped.
void endEngine(QProcess& process, qint64 group, int graceMs) {
    if (process.state() != QProcess::NotRunning) {
        process.write("quit\n");
        process.closeWriteChannel();
        process.waitForFinished(graceMs);
    }
    engine::endProcessGroup(static_cast<int>(group), group_grace);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

// One running engine: its process, the client speaking GTP to it, and the position it
// holds. The transport waits in a nested event loop, so the window lives meanwhile.
class EnginePort::Session : public gtp::Transport {
public:
    explicit Session(EnginePort& port) : client(*this), port_(port) {
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { keepErrors(process.readAllStandardError()); });
    }
    ~Session() override { end(0); }

    // Starts the command line; a message when it cannot be started.
    std::optional<QString> start(const std::string& command) {
        const auto split = engine::splitCommandLine(command);
        if (!split) return QStringLiteral("コマンドの引用符（' や \"）が閉じていません。");
        if (split->empty()) return QStringLiteral("エンジンのコマンドがありません。");
        QStringList words;
        for (const std::string& w : *split) words << QString::fromStdString(w);
        program_ = words.first();
        words.first() = port_.findTyped(program_);
        prepare(process, words);
        process.start();
        if (!process.waitForStarted(port_.startSeconds * 1000)) {
            process.kill();
            process.waitForFinished(1000);
            return QStringLiteral("エンジン「%1」を起動できません。").arg(program_);
        }
        group_ = process.processId();
        return std::nullopt;
    }

    bool running() const { return process.state() == QProcess::Running && !client.broken(); }

    // Sends a command and waits for its reply at most `seconds`, and never beyond the
    // port's deadline when it has one.
    gtp::Outcome send(const std::string& command, int seconds) {
        milliseconds limit(std::int64_t(seconds) * 1000);
        if (port_.deadline_)
            limit = std::clamp(std::chrono::ceil<milliseconds>(*port_.deadline_ -
                                                               std::chrono::steady_clock::now()),
                               milliseconds(0), limit);
        gtp::Outcome o = client.send(command, limit);
        if (o.kind == gtp::Outcome::ok || o.kind == gtp::Outcome::failure) answered = true;
        return o;
    }

    bool writeLine(const std::string& line) override {
        if (process.state() != QProcess::Running) return false;
        const QByteArray bytes = QByteArray::fromStdString(line + "\n");
        return process.write(bytes) == bytes.size();
    }

    Read read(std::string& out, Deadline deadline) override {
        for (;;) {
            if (port_.cancelled_) return Read::cancelled;
            const QByteArray bytes = process.readAllStandardOutput();
            if (!bytes.isEmpty()) {
                out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
                return Read::data;
            }
            if (process.state() != QProcess::Running) return Read::closed;
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
            QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, wake);
            QObject::connect(&process, &QProcess::finished, &loop, wake);
            QObject::connect(&process, &QProcess::errorOccurred, &loop, wake);
            timer.start(static_cast<int>(std::min<std::int64_t>(left.count(), 1 << 30)));
            port_.waitLoop_ = &loop;
            loop.exec();
            port_.waitLoop_ = nullptr;
            // Only cancel() and the application's quit end the loop otherwise: either
            // way the program is ending.
            if (!woken) port_.cancelled_ = true;
        }
    }

    // Tells the engine to quit, gives it graceMs, then ends its whole process group;
    // the process is reaped either way.
    void end(int graceMs) {
        endEngine(process, group_, graceMs);
        group_ = 0;
    }

    // What went wrong with a command, in Japanese, for `outcome` other than ok.
    QString describe(const gtp::Outcome& outcome, int seconds) {
        switch (outcome.kind) {
            case gtp::Outcome::ok:
            case gtp::Outcome::failure:
                break;
            case gtp::Outcome::gone:
                // The exit status is known once the process has been reaped.
                if (process.state() != QProcess::NotRunning) process.waitForFinished(1000);
                if (process.exitStatus() == QProcess::CrashExit)
                    return QStringLiteral("エンジンが異常終了しました。");
                return QStringLiteral("エンジンが終了しました。");
            case gtp::Outcome::timed_out:
                return QStringLiteral("エンジンが%1秒たっても答えません。").arg(seconds);
            case gtp::Outcome::garbage:
                return QStringLiteral("エンジンの答えが読めません：%1").arg(text(outcome.text));
            case gtp::Outcome::cancelled:
                return QStringLiteral("エンジンを止めました。");
        }
        return {};
    }

    // The last lines the engine wrote on its standard error, or nothing.
    QString errorTail() {
        keepErrors(process.readAllStandardError());
        QString tail = QString::fromUtf8(errors_.right(errors_shown)).trimmed();
        QStringList lines = tail.split(QLatin1Char('\n'));
        if (lines.size() > error_lines_shown) lines = lines.mid(lines.size() - error_lines_shown);
        return lines.join(QLatin1Char('\n')).trimmed();
    }

    // The message, followed by the engine's last words on standard error.
    std::string withErrors(const QString& message) {
        const QString tail = errorTail();
        if (tail.isEmpty()) return message.toStdString();
        return (message + QStringLiteral("\n\nエンジンのエラー出力：\n") + tail).toStdString();
    }

    // Why `command` came to nothing, its `outcome` being other than ok, with the engine's
    // last words.
    std::string whyNot(const std::string& command, const gtp::Outcome& outcome, int seconds) {
        if (outcome.kind != gtp::Outcome::failure) return withErrors(describe(outcome, seconds));
        const QString said = QString::fromStdString(outcome.text);
        const std::string boardsize = "boardsize ";
        if (command.rfind(boardsize, 0) == 0) {
            const QString lines = QString::fromStdString(command.substr(boardsize.size()));
            return withErrors(
                QStringLiteral("エンジンが %1 路盤を受け付けません：%2").arg(lines, said));
        }
        // A stone is named as the board's labels name its point, not in the engine's terms.
        std::istringstream words(command);
        std::string verb, colour, vertex;
        words >> verb >> colour >> vertex;
        if (verb == "play" && vertex != "pass")
            if (const auto p = gtp::parseVertex(vertex, size > 0 ? size : 19)) {
                const QString stone = colour == "b" ? QStringLiteral("黒") : QStringLiteral("白");
                return withErrors(QStringLiteral("エンジンが%1の %2 の手を受け付けません：%3")
                                      .arg(stone, QString::fromStdString(pointLabel({p->x, p->y})), said));
            }
        return withErrors(QStringLiteral("エンジンが「%1」を受け付けません：%2")
                              .arg(QString::fromStdString(command), said));
    }

    QProcess process;
    gtp::Client client;
    // The position the engine holds; nothing while that is unknown.
    std::optional<Told> position;
    // The size of the engine's board; 0 until boardsize has been taken.
    int size = 0;
    // The engine's name and version, once asked.
    std::optional<std::string> name;
    // The engine has answered a command as a GTP engine does ('=' or '?').
    bool answered = false;

private:
    void keepErrors(const QByteArray& bytes) {
        errors_ += bytes;
        if (errors_.size() > 2 * errors_kept) errors_ = errors_.right(errors_kept);
    }
    static QString text(const std::string& s) {
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).left(200);
    }

    EnginePort& port_;
    QString program_;
    QByteArray errors_;
    // The engine's process group, once started.
    qint64 group_ = 0;
};

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
            group_ = process.processId();
            process.write(QByteArray::fromStdString(gtp::Probe::commands()));
        });
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] {
            const QByteArray bytes = process.readAllStandardOutput();
            const auto verdict = check_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            if (verdict != gtp::Probe::waiting) decide(verdict == gtp::Probe::engine);
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
    }
    ~Probe() { endEngine(process, group_, 0); }

    // The program answered as a GTP engine (once done).
    bool engine = false;
    bool done = false;

private:
    void decide(bool isEngine) {
        if (done) return;
        done = true;
        engine = isEngine;
        timer_.stop();
        // Ended once the signal that told has returned.
        QTimer::singleShot(0, &process, [this, isEngine] {
            endEngine(process, group_, isEngine ? port_.quitMilliseconds : 0);
            group_ = 0;
            port_.probed();
        });
    }

    EnginePort& port_;
    QProcess process;
    QTimer timer_;
    gtp::Probe check_;
    qint64 group_ = 0;
};

EnginePort::EnginePort() = default;
EnginePort::~EnginePort() {
    stop();
    found_.clear();
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

void EnginePort::use(const std::string& command) {
    command_ = command;
    stop();
}

bool EnginePort::engineInUse() { return !command_.empty(); }

qint64 EnginePort::enginePid() const {
    return session_ && session_->process.state() != QProcess::NotRunning
               ? session_->process.processId()
               : 0;
}

void EnginePort::cancel() {
    if (!busy_) {
        endSession(broken_grace_ms);
        return;
    }
    cancelled_ = true;
    if (waitLoop_) waitLoop_->exit(1);
}

void EnginePort::stop() {
    if (busy_) {
        // The wait under way unwinds first; the engine is ended as it returns.
        endAfterWait_ = true;
        cancel();
        return;
    }
    endSession(quitMilliseconds);
}

std::string EnginePort::engineName() {
    if (busy_ || !session_ || !session_->running()) return {};
    if (!session_->name) {
        // Asked once per engine started; an engine that does not say has no name here.
        std::string said;
        for (const char* command : {"name", "version"}) {
            const gtp::Outcome o = session_->send(command, commandSeconds);
            if (o.kind != gtp::Outcome::ok || o.text.empty()) continue;
            said += (said.empty() ? "" : " ") + o.text;
        }
        session_->name = said;
    }
    return *session_->name;
}

void EnginePort::endSession(int graceMs) {
    if (!session_) return;
    session_->end(graceMs);
    session_.reset();
}

std::optional<std::string> EnginePort::ensureSession(int size) {
    if (session_ && session_->running()) return std::nullopt;
    endSession(broken_grace_ms);
    session_ = std::make_unique<Session>(*this);
    if (auto message = session_->start(command_)) {
        session_.reset();
        return message->toStdString();
    }
    return setUp(*session_, size);
}

std::optional<std::string> EnginePort::setUp(Session& s, int size) {
    // GTP 1 engines may not know protocol_version; any answer will do. The first
    // answer may take the engine's loading time.
    const struct {
        std::string command;
        bool must;
    } setup[] = {{"protocol_version", false},
                 {"boardsize " + std::to_string(size), true},
                 {"clear_board", true},
                 {"komi 0", false}};
    bool first = true;
    for (const auto& step : setup) {
        const int seconds = first ? startSeconds : commandSeconds;
        first = false;
        const gtp::Outcome o = s.send(step.command, seconds);
        if (o.kind == gtp::Outcome::ok || (o.kind == gtp::Outcome::failure && !step.must)) continue;
        return s.whyNot(step.command, o, seconds);
    }
    s.size = size;
    s.position = Told{rules::Board(size), {}};  // an empty board
    return std::nullopt;
}

std::optional<std::string> EnginePort::bringTo(Session& s, const rules::History& history) {
    Told position = toldOf(history);
    const int size = history.size();
    std::vector<std::string> commands;
    std::size_t from = 0;
    if (s.size == size && s.position && leadsTo(*s.position, position)) {
        from = s.position->moves.size();
    } else {
        // After boardsize the engine's board may hold anything.
        if (s.size != size) commands.push_back("boardsize " + std::to_string(size));
        if (s.size != size || !s.position || !empty(*s.position)) commands.push_back("clear_board");
        // Setup stones are played as moves: set_free_handicap would take black stones on
        // an empty board only.
        for (const auto& p : position.setup.stonesOf(rules::black))
            commands.push_back("play b " + vertex(p, size));
        for (const auto& p : position.setup.stonesOf(rules::white))
            commands.push_back("play w " + vertex(p, size));
    }
    for (std::size_t i = from; i < position.moves.size(); ++i) {
        const rules::Node& m = position.moves[i];
        commands.push_back("play " + colourName(m.colour) + " " +
                           (m.pass ? std::string("pass") : vertex(m.at, size)));
    }
    // Until every command has been taken the engine's position is unknown, and so is its
    // size when it is told another.
    s.position.reset();
    if (s.size != size) s.size = 0;
    for (const std::string& command : commands) {
        const gtp::Outcome o = s.send(command, commandSeconds);
        if (o.kind == gtp::Outcome::ok) continue;
        if (o.kind == gtp::Outcome::cancelled) return std::string();
        return s.whyNot(command, o, commandSeconds);
    }
    s.size = size;
    s.position = std::move(position);
    return std::nullopt;
}

EngineMove EnginePort::genmove(const rules::History& position, int colour,
                               const std::function<void(int seconds)>& thinking) {
    if (busy_) return {EngineMove::failed, 0, 0, "エンジンはまだ前の手を考えています。"};
    if (command_.empty()) return {EngineMove::failed, 0, 0, "エンジンが選ばれていません。"};
    busy_ = true;
    cancelled_ = false;
    endAfterWait_ = false;

    // The person sees the seconds go by, from the start of the whole turn.
    int seconds = 0;
    QTimer tick;
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, [&seconds, &thinking] {
        ++seconds;
        if (thinking) thinking(seconds);
    });
    tick.start();

    EngineMove result{EngineMove::failed, 0, 0, {}};
    // An engine started for this move that fails before any answer is no GTP engine.
    const bool starting = !session_ || !session_->running();
    auto finish = [&](EngineMove r) {
        tick.stop();
        busy_ = false;
        if (r.kind == EngineMove::failed && starting && !cancelled_ && (!session_ || !session_->answered))
            r.notAnEngine = true;
        if (r.kind == EngineMove::failed || r.kind == EngineMove::cancelled || endAfterWait_ ||
            cancelled_)
            endSession(broken_grace_ms);
        if (cancelled_ && r.kind != EngineMove::cancelled) r = {EngineMove::cancelled, 0, 0, {}};
        cancelled_ = false;
        endAfterWait_ = false;
        return r;
    };

    if (auto message = ensureSession(position.size())) {
        result.failure = *message;
        return finish(result);
    }
    if (auto message = bringTo(*session_, position)) {
        result.failure = *message;
        return finish(result);
    }
    const std::string command = "genmove " + colourName(colour);
    const gtp::Outcome o = session_->send(command, genmoveSeconds);
    if (o.kind == gtp::Outcome::failure) {
        result.failure = session_->withErrors(
            QStringLiteral("エンジンが手を選べません：%1").arg(QString::fromStdString(o.text)));
        return finish(result);
    }
    if (o.kind != gtp::Outcome::ok) {
        result.failure = session_->withErrors(session_->describe(o, genmoveSeconds));
        return finish(result);
    }
    const auto move = gtp::parseGeneratedMove(o.text, position.size());
    if (!move) {
        result.failure = session_->withErrors(QStringLiteral("エンジンの答えが読めません：%1")
                                                  .arg(QString::fromStdString(o.text).left(200)));
        return finish(result);
    }
    // The engine has its own move on its board now (a resignation changes nothing).
    switch (move->kind) {
        case gtp::GeneratedMove::stone:
            session_->position->moves.push_back({colour, false, {move->at.x, move->at.y}});
            result = {EngineMove::stone, move->at.x, move->at.y, {}};
            break;
        case gtp::GeneratedMove::pass:
            session_->position->moves.push_back({colour, true, {}});
            result = {EngineMove::pass, 0, 0, {}};
            break;
        case gtp::GeneratedMove::resign:
            result = {EngineMove::resign, 0, 0, {}};
            break;
    }
    return finish(result);
}

std::optional<std::string> EnginePort::check(const std::string& command) {
    if (busy_) return std::string("エンジンはまだ前の手を考えています。");
    busy_ = true;
    cancelled_ = false;
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
    Session s(*this);
    auto answer = [&]() -> std::optional<std::string> {
        if (auto message = s.start(command)) return message->toStdString();
        gtp::Outcome o = s.send("protocol_version", startSeconds);
        if (o.kind == gtp::Outcome::failure) o = s.send("name", commandSeconds);
        if (o.kind == gtp::Outcome::failure)
            return s.withErrors(QStringLiteral(
                "エンジンが GTP の「protocol_version」にも「name」にも答えません。"));
        if (o.kind != gtp::Outcome::ok) return s.withErrors(s.describe(o, startSeconds));
        o = s.send("boardsize 19", commandSeconds);
        if (o.kind == gtp::Outcome::failure)
            return s.withErrors(QStringLiteral("エンジンが 19 路盤を受け付けません：%1")
                                    .arg(QString::fromStdString(o.text)));
        if (o.kind != gtp::Outcome::ok) return s.withErrors(s.describe(o, commandSeconds));
        return std::nullopt;
    }();
    s.end(answer ? broken_grace_ms : quitMilliseconds);
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

std::optional<std::vector<rules::Point>> EnginePort::askDead(Session& s,
                                                            const rules::History& position) {
    if (bringTo(s, position)) return std::nullopt;
    const gtp::Outcome o = s.send("final_status_list dead", commandSeconds);
    if (o.kind != gtp::Outcome::ok) return std::nullopt;
    // One group a line, its stones apart by spaces. A word that is no stone of the
    // position means the engine sees another game (or writes nonsense): nothing it
    // says is taken.
    const rules::Board end = position.end();
    std::vector<rules::Point> dead;
    std::istringstream words(o.text);
    for (std::string word; words >> word;) {
        const auto p = gtp::parseVertex(word, position.size());
        if (!p || end.at(p->x, p->y) == rules::empty) return std::nullopt;
        dead.push_back({p->x, p->y});
    }
    return dead;
}

std::vector<rules::Point> EnginePort::deadStones(const rules::History& position, int seconds) {
    if (busy_ || seconds <= 0) return {};
    const bool inUse = !command_.empty();
    QString judge;
    if (!inUse) {
        const QString gnugo = findProgram(QStringLiteral("gnugo"));
        if (gnugo.isEmpty()) return {};
        judge = quoted(gnugo) + QLatin1Char(' ') + judgeOptions;
    }
    busy_ = true;
    cancelled_ = false;
    endAfterWait_ = false;
    // Every command of the whole exchange, the engine's start included, waits only up
    // to here.
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);

    std::optional<std::vector<rules::Point>> dead;
    if (inUse) {
        if (!ensureSession(position.size())) dead = askDead(*session_, position);
        // An engine out of step (late, garbled, gone) or whose wait was cancelled is
        // ended, as after a failed genmove; one that only refused a command runs on.
        if (cancelled_ || endAfterWait_ || !session_ || !session_->running())
            endSession(broken_grace_ms);
    } else {
        // A session of its own, never the port's: the engine in use is not touched.
        Session s(*this);
        if (!s.start(judge.toStdString()) && !setUp(s, position.size()))
            dead = askDead(s, position);
        s.end(dead && !cancelled_ ? quitMilliseconds : broken_grace_ms);
        if (endAfterWait_) endSession(broken_grace_ms);
    }
    const bool cancelled = cancelled_;
    deadline_.reset();
    busy_ = false;
    cancelled_ = false;
    endAfterWait_ = false;
    if (!dead || cancelled) return {};
    return *dead;
}

}  // namespace tolvan
