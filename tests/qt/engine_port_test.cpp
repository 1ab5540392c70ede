// The engine port of the Qt program against a real process: the fake engine (the game's
// own GTP engine behind options that make it misbehave) and, when installed, GNU Go.
#include "window/engine_port.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gtp_client/gtp_client.h"
#include "qt_support.h"

namespace tolvan {
namespace {

// The processes whose parent is this one, zombies included.
std::set<int> children() {
    std::set<int> out;
    const std::string self = std::to_string(getpid());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), ::isdigit)) continue;
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        std::getline(in, stat);
        const auto close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 1));
        std::string state, ppid;
        rest >> state >> ppid;
        if (ppid == self) out.insert(std::stoi(pid));
    }
    return out;
}

// Adds a stone to the end of the record. A stone the rules refuse is stored all the
// same, on an unchanged board: the engine is to judge it.
void add(rules::History& r, int colour, rules::Point at) {
    if (!r.play(colour, at.x, at.y)) r.store(r.stones(), {colour, {at.x, at.y}}, r.end());
}

// A position from moves written "b D16", "w pass" ... on a board of `size` lines. A pass
// between two stones of one colour is the one the record implies there.
rules::History game(const std::vector<std::string>& moves, int size = 19) {
    rules::History r(size);
    for (const std::string& m : moves) {
        const int colour = m[0] == 'b' ? 1 : -1;
        const std::string where = m.substr(2);
        if (where == "pass")
            r.pass();
        else
            add(r, colour, *gtp_client::parseVertex(where, size));
    }
    return r;
}

// A setup board with these black and white stones.
rules::Board setup(const std::vector<rules::Point>& black, const std::vector<rules::Point>& white) {
    rules::Board b(19);
    for (const rules::Point& p : black) b.put(p.x, p.y, rules::black);
    for (const rules::Point& p : white) b.put(p.x, p.y, rules::white);
    return b;
}

// The moves of the position as the engine is told them.
std::vector<rules::Node> movesOf(const rules::History& r) {
    return rules::sequence(r, r.stones(), r.passesAtEnd());
}

class QtEnginePortTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        before = children();
    }
    void TearDown() override {
        port.reset();
        // No engine is left behind, running or unreaped.
        EXPECT_TRUE(newChildren().empty());
    }

    // Children started since the test began, still running or not yet reaped. (Those
    // of earlier tests may end meanwhile.)
    std::set<int> newChildren() const {
        std::set<int> out;
        for (int pid : children())
            if (!before.count(pid)) out.insert(pid);
        return out;
    }

    // The fake engine's command line with the options, logging what it is sent.
    std::string fake(const std::string& options = {}) {
        return std::string("\"") + TOLVAN_FAKE_ENGINE + "\" --log \"" + logPath().toStdString() +
               "\"" + (options.empty() ? "" : " " + options);
    }
    QString logPath() const { return dir.filePath(QStringLiteral("commands.log")); }
    // The commands the fake engines received, without their ids, and the log emptied.
    std::vector<std::string> received() {
        std::vector<std::string> out;
        std::ifstream in(logPath().toStdString());
        for (std::string line; std::getline(in, line);) {
            const auto space = line.find(' ');
            out.push_back(space == std::string::npos ? line : line.substr(space + 1));
        }
        // Emptied, not removed: the engine goes on appending to the same file.
        std::ofstream(logPath().toStdString(), std::ios::trunc);
        return out;
    }

    // A program called gnugo in the test's folder: a shell script of these lines.
    void installGnuGo(const std::string& script) {
        QFile f(dir.filePath(QStringLiteral("gnugo")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("#!/bin/sh\n" + script + "\n").c_str());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }

    EngineMove ask(const rules::History& position, int colour) {
        return port->genmove(position, colour, [this](int s) { ticks.push_back(s); });
    }

    // The engine fails with a message that holds each of `says`, and is gone afterwards.
    // `notAnEngine`: the program never answered as a GTP engine.
    void expectFailure(const std::string& command, const rules::History& position,
                       const std::vector<std::string>& says, bool notAnEngine = false) {
        port->use(command);
        const EngineMove m = ask(position, 1);
        EXPECT_EQ(m.kind, EngineMove::failed) << command;
        EXPECT_EQ(m.notAnEngine, notAnEngine) << command;
        for (const std::string& part : says)
            EXPECT_NE(m.failure.find(part), std::string::npos) << command << "\n" << m.failure;
        EXPECT_EQ(port->enginePid(), 0) << command;
        EXPECT_TRUE(newChildren().empty()) << command;
    }

    QTemporaryDir dir;
    std::unique_ptr<EnginePort> port = std::make_unique<EnginePort>();
    std::set<int> before;
    std::vector<int> ticks;
};

TEST_F(QtEnginePortTest, TheEngineStartsAtTheFirstGenmoveAndAnswersAStone) {
    EXPECT_FALSE(port->engineInUse());
    port->use(fake());
    EXPECT_TRUE(port->engineInUse());
    EXPECT_EQ(port->enginePid(), 0);  // not before it is needed

    const EngineMove m = ask(game({"b D16"}), -1);
    ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
    EXPECT_TRUE(m.x >= 1 && m.x <= 19 && m.y >= 1 && m.y <= 19);
    EXPECT_FALSE(m.x == 4 && m.y == 4);
    EXPECT_NE(port->enginePid(), 0);
    EXPECT_EQ(received(),
              (std::vector<std::string>{"protocol_version", "boardsize 19", "clear_board", "komi 0",
                                        "play b D16", "genmove w"}));
    // Back to the built-in player: the engine is ended.
    port->use("");
    EXPECT_FALSE(port->engineInUse());
    EXPECT_EQ(port->enginePid(), 0);
    EXPECT_EQ(received(), (std::vector<std::string>{"quit"}));
}

TEST_F(QtEnginePortTest, OnlyNewMovesAreSentUntilTheGameGoesAnotherWay) {
    port->use(fake());
    rules::History position = game({"b D16"});
    EngineMove m = ask(position, -1);
    ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
    const qint64 pid = port->enginePid();
    received();

    // The engine's own move and the person's answer: only the answer is new.
    add(position, -1, {m.x, m.y});
    position.pass();
    m = ask(position, -1);
    ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
    EXPECT_EQ(received(), (std::vector<std::string>{"play b pass", "genmove w"}));
    EXPECT_EQ(port->enginePid(), pid);

    // Moves taken back: the engine starts the game over.
    const rules::History back = game({"b D16", "w Q4", "b C3"});
    m = ask(back, -1);
    ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
    EXPECT_EQ(received(), (std::vector<std::string>{"clear_board", "play b D16", "play w Q4",
                                                    "play b C3", "genmove w"}));
    EXPECT_EQ(port->enginePid(), pid);
}

TEST_F(QtEnginePortTest, SetupStonesArePlayedBeforeTheMoves) {
    port->use(fake());
    rules::History position = game({"w K10"});
    position.setSetup(setup({{4, 16}, {16, 4}}, {{10, 4}}));
    const EngineMove m = ask(position, 1);
    ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
    // Black's, then white's, each row by row from the top.
    EXPECT_EQ(received(), (std::vector<std::string>{
                              "protocol_version", "boardsize 19", "clear_board", "komi 0",
                              "play b Q16", "play b D4", "play w K16", "play w K10", "genmove b"}));
    // Other setup stones: the game is another one.
    position.setSetup(setup({{4, 16}, {16, 4}}, {}));
    ASSERT_EQ(ask(position, 1).kind, EngineMove::stone);
    EXPECT_EQ(received(), (std::vector<std::string>{"clear_board", "play b Q16", "play b D4",
                                                    "play w K10", "genmove b"}));
}

TEST_F(QtEnginePortTest, PassAndResignComeBackAsSuch) {
    port->use(fake("--pass"));
    EXPECT_EQ(ask(game({"b D4"}), -1).kind, EngineMove::pass);
    // The engine's pass is on its board too: only the new move is sent.
    received();
    EXPECT_EQ(ask(game({"b D4", "w pass", "b Q16"}), -1).kind, EngineMove::pass);
    EXPECT_EQ(received(), (std::vector<std::string>{"play b Q16", "genmove w"}));

    port->use(fake("--resign"));
    EXPECT_EQ(ask(game({"b D4"}), -1).kind, EngineMove::resign);
    // An occupied point comes back as it was answered: the game judges it.
    port->use(fake("--illegal"));
    const EngineMove m = ask(game({"b D4"}), -1);
    EXPECT_EQ(m.kind, EngineMove::stone);
    EXPECT_EQ(m.x, 4);
    EXPECT_EQ(m.y, 16);
}

// While the engine thinks the event loop runs: what was posted before the call is
// delivered, and the seconds are reported about once a second.
TEST_F(QtEnginePortTest, TheWindowLivesWhileTheEngineThinks) {
    port->use(fake("--slow 3"));
    bool delivered = false;
    bool deliveredBeforeFirstTick = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    const EngineMove m = port->genmove(game({"b D16"}), -1, [&](int s) {
        if (s == 1) deliveredBeforeFirstTick = delivered;
        ticks.push_back(s);
    });
    EXPECT_EQ(m.kind, EngineMove::stone) << m.failure;
    EXPECT_TRUE(deliveredBeforeFirstTick);
    ASSERT_GE(ticks.size(), 2u);
    EXPECT_EQ(ticks[0], 1);
    EXPECT_EQ(ticks[1], 2);
}

TEST_F(QtEnginePortTest, EveryFailureIsReportedAndEndsTheEngine) {
    const rules::History position = game({"b D16"});
    expectFailure("/nonexistent/engine --mode gtp", position,
                  {"エンジン「/nonexistent/engine」を起動できません。"}, true);
    expectFailure("", position, {"エンジンが選ばれていません"});
    // What the engine said on its standard error follows.
    expectFailure(fake("--exit-now --stderr \"no network file\""), position,
                  {"エンジンが終了しました。", "no network file"}, true);
    expectFailure(fake("--die-at 1"), position, {"エンジンが終了しました。", "dying at genmove 1"});
    expectFailure(fake("--garbage"), position,
                  {"エンジンの答えが読めません：I would rather not say"});
    expectFailure(fake("--answer Z99"), position, {"エンジンの答えが読めません：Z99"});
    expectFailure(fake("--banner Welcome"), position, {"エンジンの答えが読めません：Welcome"}, true);
    // A move the engine refuses: the game and the engine disagree about the rules. The
    // point is named as the board names it (GTP D16 is the board's D4).
    expectFailure(fake(), game({"b D16", "w D16"}),
                  {"エンジンが白の D4 の手を受け付けません：illegal move"});
}

// A running engine is told the size of a game on another board; refusing it, it gives
// way with the size named.
TEST_F(QtEnginePortTest, AnEngineRefusingTheBoardsSizeGivesWayNamingIt) {
    port->use(fake("--only-size 19"));
    ASSERT_EQ(ask(game({"b D16"}), -1).kind, EngineMove::stone);
    received();
    const EngineMove m = ask(game({"b E5"}, 9), -1);
    EXPECT_EQ(m.kind, EngineMove::failed);
    EXPECT_NE(m.failure.find("エンジンが 9 路盤を受け付けません：unacceptable size"),
              std::string::npos) << m.failure;
    EXPECT_EQ(received().at(0), "boardsize 9");
}

TEST_F(QtEnginePortTest, AnEngineTooSlowIsGivenUpAtTheTimeLimit) {
    port->genmoveSeconds = 1;
    expectFailure(fake("--slow 30"), game({}), {"エンジンが1秒たっても答えません。"});
    // The next genmove starts a new engine, which answers in time.
    port->genmoveSeconds = 60;
    port->use(fake());
    EXPECT_EQ(ask(game({}), 1).kind, EngineMove::stone);
}

TEST_F(QtEnginePortTest, AnEngineThatDiedBetweenMovesIsStartedAfresh) {
    port->use(fake());
    EngineMove m = ask(game({"b D16"}), -1);
    ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
    const qint64 first = port->enginePid();
    ASSERT_EQ(::kill(static_cast<pid_t>(first), SIGKILL), 0);
    // The event loop between moves sees the death (and reaps the process).
    QElapsedTimer waited;
    waited.start();
    while (port->enginePid() != 0 && waited.elapsed() < 5000) QTest::qWait(20);
    EXPECT_EQ(port->enginePid(), 0);
    received();
    m = ask(game({"b D16", "w Q4", "b D4"}), -1);
    ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
    EXPECT_NE(port->enginePid(), first);
    EXPECT_EQ(received(),
              (std::vector<std::string>{"protocol_version", "boardsize 19", "clear_board", "komi 0",
                                        "play b D16", "play w Q4", "play b D4", "genmove w"}));
}

TEST_F(QtEnginePortTest, CancelEndsTheWaitAndTheEngine) {
    port->use(fake("--slow 30"));
    QTimer::singleShot(300, [this] { port->cancel(); });
    const EngineMove m = ask(game({"b D16"}), -1);
    EXPECT_EQ(m.kind, EngineMove::cancelled);
    EXPECT_EQ(port->enginePid(), 0);
    EXPECT_TRUE(newChildren().empty());
    // The engine is still the one in use: the next genmove starts it again.
    EXPECT_TRUE(port->engineInUse());
    port->use(fake());
    EXPECT_EQ(ask(game({"b D16"}), -1).kind, EngineMove::stone);
}

TEST_F(QtEnginePortTest, TheApplicationQuittingCancelsTheWait) {
    port->use(fake("--slow 30"));
    QTimer::singleShot(300, [] { QCoreApplication::exit(0); });
    const EngineMove m = ask(game({"b D16"}), -1);
    EXPECT_EQ(m.kind, EngineMove::cancelled);
    EXPECT_EQ(port->enginePid(), 0);
    // The quit is over once the main loop has run and ended.
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
}

TEST_F(QtEnginePortTest, StopAndTheEndOfThePortKillAnEngineDeafToQuit) {
    port->quitMilliseconds = 200;
    port->use(fake("--ignore-quit"));
    ASSERT_EQ(ask(game({}), 1).kind, EngineMove::stone);
    ASSERT_NE(port->enginePid(), 0);
    port->stop();
    EXPECT_EQ(port->enginePid(), 0);
    EXPECT_TRUE(newChildren().empty());

    ASSERT_EQ(ask(game({}), 1).kind, EngineMove::stone);
    port.reset();
    EXPECT_TRUE(newChildren().empty());
}

TEST_F(QtEnginePortTest, CheckAcceptsAGtpEngineAndSaysWhyNot) {
    EXPECT_EQ(port->check(fake()), std::nullopt);
    EXPECT_EQ(received(), (std::vector<std::string>{"protocol_version", "boardsize 19", "quit"}));
    EXPECT_TRUE(newChildren().empty());

    const auto missing = port->check("/nonexistent");
    ASSERT_TRUE(missing);
    EXPECT_EQ(*missing, "エンジン「/nonexistent」を起動できません。");
    const auto ended = port->check("false");
    ASSERT_TRUE(ended);
    EXPECT_NE(ended->find("エンジンが終了しました。"), std::string::npos) << *ended;
    const auto chatty = port->check(fake("--banner \"Hello there\""));
    ASSERT_TRUE(chatty);
    EXPECT_NE(chatty->find("エンジンの答えが読めません：Hello there"), std::string::npos)
        << *chatty;
    const auto empty = port->check("  ");
    ASSERT_TRUE(empty);
    const auto open = port->check("sh -c 'exec true");
    ASSERT_TRUE(open);
    EXPECT_EQ(*open, "コマンドの引用符（' や \"）が閉じていません。");
    // A program named without a path is looked for where the installed ones are.
    port->searchFolders = {dir.path()};
    installGnuGo("exec " + fake());
    EXPECT_EQ(port->check("gnugo --mode gtp"), std::nullopt);
    EXPECT_TRUE(newChildren().empty());
    // Checking leaves the engine in use alone.
    port->use(fake());
    ASSERT_EQ(ask(game({}), 1).kind, EngineMove::stone);
    const qint64 pid = port->enginePid();
    EXPECT_EQ(port->check(fake()), std::nullopt);
    EXPECT_EQ(port->enginePid(), pid);
}

// A game ended by two passes: black D16 D15, white Q4 Q3.
rules::History ended() { return game({"b D16", "w Q4", "b D15", "w Q3", "b pass", "w pass"}); }
const std::vector<std::string> toldEnded{"protocol_version", "boardsize 19", "clear_board",
                                         "komi 0", "play b D16", "play w Q4", "play b D15",
                                         "play w Q3", "play b pass", "play w pass",
                                         "final_status_list dead"};

std::set<std::string> names(const std::vector<rules::Point>& points, int size = 19) {
    std::set<std::string> out;
    for (const rules::Point& p : points) out.insert(gtp_client::vertexName({p.x, p.y}, size));
    return out;
}

// The engine in use, brought to the position, judges; its answer, one group a line,
// comes back as points, and an answer naming anything but stones comes back empty.
// The engine runs on and knows the position.
TEST_F(QtEnginePortTest, DeadStonesAreTheAnswerOfTheEngineInUse) {
    const struct {
        const char* options;
        std::set<std::string> dead;
        const char* fault;
    } cases[] = {
        {"--dead \"D16 d15/Q4\"", {"D16", "D15", "Q4"}, "only the reply's first line is read"},
        {"--dead \"D16 K10\"", {}, "a point without a stone passes for a dead stone"},
        {"--dead \"D16 Z99\"", {}, "a word that is no vertex is skipped, not the answer voided"},
    };
    for (const auto& c : cases) {
        port->use(fake(c.options));
        received();  // the quit of the engine before
        EXPECT_EQ(names(port->deadStones(ended(), 10)), c.dead) << c.options << ": " << c.fault;
        EXPECT_EQ(received(), toldEnded) << c.options;
        const qint64 pid = port->enginePid();
        ASSERT_EQ(ask(ended(), 1).kind, EngineMove::stone);
        EXPECT_EQ(received(), (std::vector<std::string>{"genmove b"})) << c.options;
        EXPECT_EQ(port->enginePid(), pid) << c.options;
    }
}

// With no engine in use, GNU Go is started for this alone and ended: here a program
// called gnugo in the search folders that runs the fake engine and notes its arguments.
TEST_F(QtEnginePortTest, WithoutAnEngineInUseGnuGoIsStartedToJudgeAndEnded) {
    port->searchFolders = {dir.path()};
    EXPECT_TRUE(port->deadStones(ended(), 10).empty());  // none installed
    const QString args = dir.filePath(QStringLiteral("args"));
    installGnuGo("echo \"$*\" > \"" + args.toStdString() + "\"\nexec " + fake("--dead \"Q4 Q3\""));
    EXPECT_EQ(names(port->deadStones(ended(), 10)), (std::set<std::string>{"Q4", "Q3"}));
    std::vector<std::string> told = toldEnded;
    told.push_back("quit");
    EXPECT_EQ(received(), told);
    QFile noted(args);
    ASSERT_TRUE(noted.open(QIODevice::ReadOnly));
    EXPECT_EQ(noted.readAll().trimmed(), QByteArray("--mode gtp --level 1"));
    EXPECT_TRUE(newChildren().empty());
    EXPECT_FALSE(port->engineInUse());
    EXPECT_EQ(port->enginePid(), 0);
}

// The whole judgement must be over within the seconds given, and the window's Escape
// (cancel) ends it at once; the engine given up on is ended either way.
TEST_F(QtEnginePortTest, DeadStonesTooLateOrCancelledAreNoneAndLeaveNoEngine) {
    port->searchFolders = {dir.path()};
    installGnuGo("exec " + fake("--slow 30 --dead D16"));
    const struct {
        bool inUse;  // the slow engine is the one in use, else GNU Go started to judge
        bool cancel;
        const char* fault;
    } cases[] = {
        {true, false, "the engine in use is waited for beyond the limit"},
        {false, false, "GNU Go started to judge is waited for beyond the limit"},
        {true, true, "Escape does not end the wait for the engine in use"},
        {false, true, "Escape does not end the wait for GNU Go started to judge"},
    };
    for (const auto& c : cases) {
        port->use(c.inUse ? fake("--slow 30 --dead D16") : "");
        bool waitingSeen = false;
        if (c.cancel)
            QTimer::singleShot(300, [&] {
                waitingSeen = port->waiting();
                port->cancel();
            });
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(port->deadStones(ended(), c.cancel ? 20 : 1).empty()) << c.fault;
        EXPECT_LT(timer.elapsed(), c.cancel ? 1500 : 2500) << c.fault;
        // The event loop ran meanwhile, and the window could tell an engine is waited for.
        EXPECT_EQ(waitingSeen, c.cancel) << c.fault;
        EXPECT_EQ(port->enginePid(), 0) << c.fault;
        EXPECT_TRUE(newChildren().empty()) << c.fault;
        EXPECT_EQ(port->engineInUse(), c.inUse) << c.fault;
    }
}

// Programs found installed are offered once they have answered protocol_version and
// name as GTP engines do; a program of the same name that is no engine is not.
TEST_F(QtEnginePortTest, InstalledEnginesAreOfferedOnlyWhenTheyAnswerGtp) {
    auto program = [](const QString& path, const std::string& script, bool executable) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + script + "\n").c_str());
        f.close();
        if (executable) f.setPermissions(f.permissions() | QFile::ExeOwner);
    };
    auto search = [this] {
        int told = 0;
        port->onInstalled = [&told] { ++told; };
        port->findInstalled();
        EXPECT_TRUE(QTest::qWaitFor([this] { return port->searched(); }, 30000));
        port->onInstalled = nullptr;
        return told;
    };
    const QString games = dir.filePath(QStringLiteral("my games"));
    const QString bin = dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(games));
    ASSERT_TRUE(QDir().mkpath(bin));

    port->searchFolders = {bin};
    program(bin + "/gnugo", "exec " + fake(), false);  // not a program
    EXPECT_EQ(search(), 0);
    EXPECT_TRUE(port->installed().empty());

    program(games + "/gnugo", "exec " + fake(), true);
    // Another game of the same name: it says something that is no GTP reply.
    program(bin + "/pachi", "echo 'Pachi el marciano'; exec sleep 100", true);
    port->searchFolders = {games, bin};
    EXPECT_EQ(search(), 2);
    const auto offers = port->installed();
    ASSERT_EQ(offers.size(), 3u);
    const std::string gnugo = "\"" + (games + "/gnugo").toStdString() + "\"";
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string level = std::to_string(i == 0 ? 1 : i == 1 ? 5 : 10);
        EXPECT_EQ(offers[i].label, "GNU Go (レベル " + level + ")");
        EXPECT_EQ(offers[i].command, gnugo + " --mode gtp --level " + level);
    }
    EXPECT_EQ(received(), (std::vector<std::string>{"protocol_version", "name", "quit"}));
    // The offered command starts the program.
    port->use(offers[0].command);
    EXPECT_EQ(ask(game({}), 1).kind, EngineMove::stone);
}

// True while the process runs; one that has ended but is not reaped does not.
bool runs(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return kill(pid, 0) == 0;
    const auto close = stat.rfind(')');
    return close != std::string::npos && stat.substr(close + 2, 1) != "Z";
}

// An engine behind a wrapper that leaves a child of its own running: however the
// engine is ended, its child goes with it.
TEST_F(QtEnginePortTest, WhatAnEngineStartedEndsWithIt) {
    const std::string pidFile = dir.filePath(QStringLiteral("child")).toStdString();
    auto wrapped = [&](const std::string& options) {
        return "sh -c 'sleep 100 >/dev/null 2>&1 & echo $! > \"" + pidFile + "\"; exec " + fake(options) + "'";
    };
    const struct {
        const char* how;
        std::function<void()> end;
    } cases[] = {
        {"quit", [&] {
             port->use(wrapped(""));
             ASSERT_EQ(ask(game({}), 1).kind, EngineMove::stone);
             port->stop();
         }},
        {"the end of the port", [&] {
             port->use(wrapped(""));
             ASSERT_EQ(ask(game({}), 1).kind, EngineMove::stone);
             port = std::make_unique<EnginePort>();
         }},
        {"a failure", [&] {
             port->use(wrapped("--die-at 1"));
             EXPECT_EQ(ask(game({}), 1).kind, EngineMove::failed);
         }},
        {"the time limit", [&] {
             port->genmoveSeconds = 1;
             port->use(wrapped("--slow 30"));
             EXPECT_EQ(ask(game({}), 1).kind, EngineMove::failed);
             port->genmoveSeconds = 60;
         }},
        {"Escape", [&] {
             port->use(wrapped("--slow 30"));
             QTimer::singleShot(300, [this] { port->cancel(); });
             EXPECT_EQ(ask(game({}), 1).kind, EngineMove::cancelled);
         }},
        {"the check", [&] { EXPECT_EQ(port->check(wrapped("")), std::nullopt); }},
        {"the question put to a program found installed", [&] {
             port->searchFolders = {dir.path()};
             installGnuGo("exec " + wrapped(""));
             port->findInstalled();
             ASSERT_TRUE(QTest::qWaitFor([this] { return port->searched(); }, 30000));
             EXPECT_EQ(port->installed().size(), 3u);
         }},
    };
    for (const auto& c : cases) {
        std::remove(pidFile.c_str());
        c.end();
        std::ifstream in(pidFile);
        int child = 0;
        ASSERT_TRUE(in >> child) << c.how;
        EXPECT_FALSE(runs(child)) << c.how;
        EXPECT_EQ(port->enginePid(), 0) << c.how;
        kill(child, SIGKILL);
    }
}

// The process ids a program wrote to `file`, one a line.
std::vector<int> pidsIn(const std::string& file) {
    std::vector<int> pids;
    std::ifstream in(file);
    for (int pid; in >> pid;) pids.push_back(pid);
    return pids;
}

// A program found installed that is no engine, as Debian's arcade game `pachi` is: it
// ignores SIGTERM and the end of its input, and leaves a child running in a session of
// its own. Neither outlives the question put to it, whether it says something else at
// once, says nothing until the time limit, or the port ends while it is asked (the
// window closed at once, or a moment later). (The fault: the program deaf to SIGTERM or
// its child apart from its group left running; the port ended before the program's start
// was told of, with no group known to end.)
TEST_F(QtEnginePortTest, NothingAProgramFoundInstalledStartsOutlivesTheQuestion) {
    const QString bin = dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const std::string pidFile = dir.filePath(QStringLiteral("pids")).toStdString();
    enum class End { answer, started, at_once };
    const struct {
        const char* how;
        std::string options;
        End end;
    } cases[] = {
        {"another program's words", "--banner 'Pachi el marciano'", End::answer},
        {"silence until the time limit", "", End::answer},
        {"the port ended while it asks", "", End::started},
        {"the port ended at once", "", End::at_once},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        std::remove(pidFile.c_str());
        QFile f(bin + "/pachi");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("#!/bin/sh\nexec '" + std::string(TOLVAN_FAKE_ENGINE) + "' --pids '" + pidFile + "' " + c.options +
                 " --child-apart --arcade\n")
                    .c_str());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
        port->searchFolders = {bin};
        port->startSeconds = 1;
        port->findInstalled();
        if (c.end == End::answer) {
            ASSERT_TRUE(QTest::qWaitFor([this] { return port->searched(); }, 30000));
            EXPECT_TRUE(port->installed().empty());
            EXPECT_EQ(pidsIn(pidFile).size(), 2u);
        } else {
            if (c.end == End::started) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return pidsIn(pidFile).size() == 2; }, 30000));
            }
            port = std::make_unique<EnginePort>();
        }
        for (const int pid : pidsIn(pidFile)) {
            EXPECT_FALSE(runs(pid)) << pid;
            kill(pid, SIGKILL);
        }
        EXPECT_TRUE(newChildren().empty());
    }
}

TEST_F(QtEnginePortTest, GnuGoPlaysAgainstUs) {
    const QString gnugo = QStringLiteral("/usr/games/gnugo");
    if (!QFileInfo(gnugo).isExecutable()) GTEST_SKIP() << "GNU Go is not installed";
    port->use("/usr/games/gnugo --mode gtp --level 1");
    rules::History position = game({"b Q16", "w D16", "b Q4"});
    position.setSetup(setup({{4, 16}}, {}));
    for (int turn = 0; turn < 3; ++turn) {
        QElapsedTimer timer;
        timer.start();
        const EngineMove m = ask(position, -1);
        ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
        std::printf("GNU Go level 1: %lld ms for move %zu\n",
                    static_cast<long long>(timer.elapsed()), movesOf(position).size() + 1);
        const rules::Point at{m.x, m.y};
        for (const auto& earlier : movesOf(position))
            EXPECT_FALSE(!earlier.pass && earlier.at == (rules::Point{at.x, at.y}));
        EXPECT_FALSE(at == (rules::Point{4, 16}));
        add(position, -1, at);
        position.pass();
    }
}

// On a 9 x 9 board every answer is a stone the rules allow there.
TEST_F(QtEnginePortTest, GnuGoPlaysAgainstUsOnNineByNine) {
    if (!QFileInfo(QStringLiteral("/usr/games/gnugo")).isExecutable())
        GTEST_SKIP() << "GNU Go is not installed";
    port->use("/usr/games/gnugo --mode gtp --level 1");
    rules::History position = game({"b E5", "w C3", "b G7"}, 9);
    for (int turn = 0; turn < 3; ++turn) {
        const EngineMove m = ask(position, -1);
        ASSERT_EQ(m.kind, EngineMove::stone) << m.failure;
        EXPECT_EQ(position.why(-1, m.x, m.y), rules::Why::legal) << m.x << "," << m.y;
        add(position, -1, {m.x, m.y});
        position.pass();
    }
}


// GNU Go, started for this alone, names the stones that are dead at the end of a game:
// a white stone inside black's half and a black stone inside white's, each half one
// living group. Its answer comes one group a line.
TEST_F(QtEnginePortTest, GnuGoJudgesTheDeadStonesOfAFinishedGame) {
    if (!QFileInfo(QStringLiteral("/usr/games/gnugo")).isExecutable())
        GTEST_SKIP() << "GNU Go is not installed";
    port->searchFolders = {QStringLiteral("/usr/games")};
    rules::Board board(19);
    const std::set<std::pair<int, int>> eyes{{3, 3}, {9, 2},  {16, 3},  {3, 8},  {17, 8},
                                             {3, 17}, {9, 18}, {17, 17}, {3, 12}, {17, 13}};
    for (int y = 1; y <= 19; ++y)
        for (int x = 1; x <= 19; ++x)
            if (!eyes.count({x, y}) && !(x >= 8 && x <= 10 && y >= 5 && y <= 7) &&
                !(x >= 11 && x <= 13 && y >= 13 && y <= 15))
                board.put(x, y, y <= 10 ? rules::black : rules::white);
    board.put(9, 6, rules::white);
    board.put(12, 14, rules::black);
    // The game ended by two passes on that board.
    auto passedOut = [](const rules::Board& b) {
        rules::History h(b.size());
        h.reset(b);
        h.pass();
        h.pass();
        return h;
    };

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(names(port->deadStones(passedOut(board), 10)), (std::set<std::string>{"J14", "M6"}));
    std::printf("GNU Go judged the dead stones in %lld ms\n",
                static_cast<long long>(timer.elapsed()));
    EXPECT_FALSE(port->engineInUse());
    EXPECT_TRUE(newChildren().empty());

    // On 9 x 9 GNU Go is told the board's size: a lone stone in each side's hole is dead.
    rules::Board nine(9);
    for (int y = 1; y <= 9; ++y)
        for (int x = 1; x <= 9; ++x) {
            const bool eye = (x == 2 || x == 8) && (y == 2 || y == 8);
            const bool hole = x >= 4 && x <= 6 && (y <= 3 || y >= 7);
            if (!eye && !hole) nine.put(x, y, y <= 4 ? rules::black : rules::white);
        }
    nine.put(5, 2, rules::white);
    nine.put(5, 8, rules::black);
    EXPECT_EQ(names(port->deadStones(passedOut(nine), 10), 9), (std::set<std::string>{"E2", "E8"}));
}

// A hint: the engine in use answers reg_genmove, and without one Tolvan's own search
// answers, with no other program started. Either way the answer is a stone the rules
// allow, and the game's record is not touched. Fault caught: a hint without an engine
// in use that still starts GNU Go.
TEST_F(QtEnginePortTest, TheEngineInUseOrTheSearchSuggestsAMove) {
    if (!QFileInfo(QStringLiteral("/usr/games/gnugo")).isExecutable())
        GTEST_SKIP() << "GNU Go is not installed";
    port->searchFolders = {QStringLiteral("/usr/games")};
    port->search().settings.threads = 1;
    port->search().hintSeconds = 0.3;
    for (const bool inUse : {true, false}) {
        port->use(inUse ? "/usr/games/gnugo --mode gtp --level 1" : "");
        const rules::History position = game({"b E5", "w C3", "b G7"}, 9);
        const EngineMove m = port->suggest(position, -1, {});
        ASSERT_EQ(m.kind, EngineMove::stone) << inUse << " " << m.failure;
        EXPECT_EQ(position.why(-1, m.x, m.y), rules::Why::legal) << m.x << "," << m.y;
        EXPECT_EQ(movesOf(position).size(), 3u);
        if (!inUse) {
            EXPECT_EQ(port->enginePid(), 0);
            EXPECT_TRUE(newChildren().empty()) << "no program was started";
            EXPECT_GT(port->search().lastResult().playouts, 0);
        }
    }
}

}  // namespace
}  // namespace tolvan
