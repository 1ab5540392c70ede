// The window program started as a desktop starts it: with --help where there is no
// display, and with a game record named on its command line.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <string>
#include <vector>

#include "qt_support.h"

namespace tolvan {
namespace {

struct Finished {
    int exitCode = -1;
    QString out, err;
};

Finished run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
        const QString& folder = {}) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Without any window system the help is still printed, wherever --help stands.
TEST(QtCommandLineTest, HelpNeedsNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"game.sgf", "-h"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Finished r = run(QStringLiteral(TOLVAN_PROGRAM), args, env);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("--screenshot") && r.out.contains("record.sgf")) << r.out.toStdString();
    }
}

// `tolvan RECORD.sgf`: the record on the board at start-up, or the message of 棋譜を開く
// and the empty board. The program is a portable copy started from another folder, with
// the record's name relative to that folder.
TEST(QtCommandLineTest, ARecordNamedAtStartUpIsOpenedAsTheMenuOpensIt) {
    QTemporaryDir dir, portable;
    ASSERT_TRUE(dir.isValid() && portable.isValid());
    const QString program = portable.filePath("tolvan");
    const QString book = QString::fromUtf8("Tolvan.定石");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVAN_PROGRAM), program));
    ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(TOLVAN_PROGRAM)).dir().filePath(book), portable.filePath(book)));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("QT_SCALE_FACTOR");

    struct Case {
        const char* content;
        QString says;  // the message box written to standard error, or nothing
        bool stone;    // black's stone on D16
    };
    const QString refused = "[棋譜を開く] 「" + dir.filePath("game.sgf") + "」を開けません。";
    const std::vector<Case> cases = {
        {"(;GM[1]FF[4]SZ[19];B[dd];W[pp])", {}, true},
        {"no record here", refused, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        QFile record(dir.filePath("game.sgf"));
        ASSERT_TRUE(record.open(QIODevice::WriteOnly | QIODevice::Truncate));
        record.write(c.content);
        record.close();
        const QString shot = dir.filePath("shot.png");
        QFile::remove(shot);
        const Finished r = run(program, {"--screenshot", shot, "game.sgf"}, env, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (c.says.isEmpty())
            EXPECT_FALSE(r.err.contains("[棋譜を開く]")) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        const QImage image(shot);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(isDark(image.pixelColor(cellPixel(4, 4) + QPoint(13, 13))), c.stone);
    }
}

// The process ids written to `file`, one a line.
std::vector<int> pidsIn(const QString& file) {
    std::vector<int> pids;
    std::ifstream in(file.toStdString());
    for (int pid; in >> pid;) pids.push_back(pid);
    return pids;
}

// True while the process runs; one that has ended but is not reaped does not.
bool runs(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return false;
    const auto close = stat.rfind(')');
    return close != std::string::npos && stat.substr(close + 2, 1) != "Z";
}

// Whatever the program starts ends with it, however it ends: the window's question to a
// program found installed as `pachi` that is no engine (it ignores SIGTERM and the end
// of its input, and leaves a child in a session of its own) when the program is ended by
// a signal (a desktop session's end, Ctrl+C, a closed terminal); the picture taken at
// start-up; the review from the command line, interrupted or ended, with such a program
// as `gnugo`. (The fault: only the program's own end, with its destructors, ended what it
// had started; on a signal, the program asked and its child ran on.)
TEST(QtCommandLineTest, NothingTheProgramStartsOutlivesIt) {
    QTemporaryDir dir, portable;
    ASSERT_TRUE(dir.isValid() && portable.isValid());
    const QString runDir = QFileInfo(QStringLiteral(TOLVAN_PROGRAM)).dir().path();
    for (const QString& name :
         {QStringLiteral("tolvan"), QString::fromUtf8("Tolvan.定石"), QStringLiteral("libtolvan_sound.so")})
        ASSERT_TRUE(QFile::copy(runDir + "/" + name, portable.filePath(name))) << name.toStdString();
    const QString bin = dir.filePath("bin"), pidFile = dir.filePath("pids");
    ASSERT_TRUE(QDir().mkpath(bin));
    for (const char* name : {"pachi", "gnugo"}) {
        QFile f(bin + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\nexec '" + std::string(TOLVAN_FAKE_ENGINE) + "' --pids '" + pidFile.toStdString() +
                 "' --child-apart --arcade\n")
                    .c_str());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    QFile record(dir.filePath("game.sgf"));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write("(;GM[1]FF[4]SZ[9];B[ee];W[cc];B[gg])");
    record.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("PATH", bin + ":" + env.value("PATH"));
    env.insert("HOME", dir.path());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) env.remove(name);
    env.remove("QT_SCALE_FACTOR");

    const struct {
        const char* how;
        QStringList args;
        int signal;  // sent once the program asked has started, with its child; 0: none
        int status;  // the exit status; -1: ended by the signal
    } cases[] = {
        {"the window, SIGTERM", {}, SIGTERM, -1},
        {"the window, SIGHUP", {}, SIGHUP, -1},
        {"the window, SIGINT", {}, SIGINT, -1},
        {"the picture at start-up", {"--screenshot", dir.filePath("shot.png")}, 0, 0},
        {"the review, interrupted", {"--review", record.fileName(), dir.filePath("out.sgf")}, SIGINT, 130},
        {"the review, SIGTERM", {"--review", record.fileName(), dir.filePath("out.sgf")}, SIGTERM, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        QFile::remove(pidFile);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        // As a desktop starts it, whatever the test's own start left ignored.
        p.setChildProcessModifier([] {
            for (const int s : {SIGTERM, SIGHUP, SIGINT}) ::signal(s, SIG_DFL);
        });
        p.start(portable.filePath("tolvan"), c.args);
        ASSERT_TRUE(p.waitForStarted(30000));
        if (c.signal) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return pidsIn(pidFile).size() >= 2 || p.state() == QProcess::NotRunning; },
                                        60000));
            ::kill(static_cast<pid_t>(p.processId()), c.signal);
        }
        EXPECT_TRUE(p.waitForFinished(60000));
        if (c.status < 0)
            EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << p.readAllStandardError().toStdString();
        else
            EXPECT_EQ(p.exitCode(), c.status) << p.readAllStandardError().toStdString();
        const std::vector<int> pids = pidsIn(pidFile);
        if (c.signal) {
            EXPECT_GE(pids.size(), 2u);
        }
        for (const int pid : pids) {
            EXPECT_TRUE(QTest::qWaitFor([pid] { return !runs(pid); }, 10000)) << pid;
            ::kill(pid, SIGKILL);
        }
    }
}

}  // namespace
}  // namespace tolvan
