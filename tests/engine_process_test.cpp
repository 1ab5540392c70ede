// What an engine's session starts, against a program of an engine's name that is no
// engine at all (as Debian's arcade game `pachi` is): it never answers, ignores SIGTERM
// and the end of its input, and leaves a child running, in its group or apart. Nothing
// of it may outlive the question put to it, nor the program that asked.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gtp_client/pipe_transport.h"
#include "gtp_client/session.h"

namespace tolvan::gtp_client {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Each test's own folder, named in the environment so that a death test's child, started
// afresh, works in the same one.
class EngineProcesses : public ::testing::Test {
protected:
    static constexpr const char* variable = "TOLVAN_PROCESS_SCRATCH";
    void SetUp() override {
        if (const char* given = std::getenv(variable)) {
            dir = given;
            return;
        }
        std::string pattern = (fs::temp_directory_path() / "tolvan-process-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        owned = true;
        ::setenv(variable, pattern.c_str(), 1);
    }
    void TearDown() override {
        if (!owned) return;
        ::unsetenv(variable);
        fs::remove_all(dir);
    }
    fs::path dir;
    bool owned = false;
};

// The process ids the fake has written to `file`, one a line.
std::vector<int> pidsIn(const fs::path& file) {
    std::vector<int> pids;
    std::ifstream in(file);
    for (int pid; in >> pid;) pids.push_back(pid);
    return pids;
}

// True while the process runs; one that has ended but is not reaped does not.
bool runs(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return false;
    const auto close = stat.rfind(')');
    return close != std::string::npos && stat.substr(close + 2, 1) != "Z" && stat.substr(close + 2, 1) != "X";
}

// Waits until `done` holds, looking again every few milliseconds; false when it still
// does not after `limit`.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// The fake as a program that is no engine, writing its process ids to `pids`.
std::string arcade(const fs::path& pids, const std::string& options) {
    return std::string("'") + TOLVAN_FAKE_ENGINE + "' --pids '" + pids.string() + "' " + options + " --arcade";
}

Session session() {
    return Session(startPiped, [](rules::Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); });
}

// The check of a program that is no engine ends it and its child however it comes to
// its answer: at once on a line that is no GTP reply, at its time limit on silence, or
// with the session, before any answer. (The fault: the child in a session of its own, or
// the program deaf to SIGTERM, left running.)
TEST_F(EngineProcesses, NothingOfAProgramThatIsNoEngineOutlivesItsCheck) {
    const struct {
        const char* how;
        std::string options;
        bool ask;  // false: the session ends before the check
    } cases[] = {
        {"a banner, child apart", "--banner 'Pachi el marciano' --child-apart", true},
        {"silence, child apart", "--child-apart", true},
        {"silence, child in its group", "--child", true},
        {"ended before any answer, child apart", "--child-apart", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const fs::path pidFile = dir / "pids";
        fs::remove(pidFile);
        {
            Session s = session();
            s.limits.start = 1;
            ASSERT_EQ(s.start(arcade(pidFile, c.options)), std::nullopt);
            ASSERT_TRUE(waitUntil([&] { return pidsIn(pidFile).size() == 2; }));
            if (c.ask) {
                EXPECT_NE(s.check(), std::nullopt);
                s.end(100);
            }
        }
        for (const int pid : pidsIn(pidFile)) {
            EXPECT_FALSE(runs(pid)) << pid;
            ::kill(pid, SIGKILL);
        }
    }
}

// The program ending while the question is under way, by exit() or by SIGTERM, ends the
// program asked and the child it left in a session of its own. (The fault: only the
// program's own end, with its destructors, ended them; the death signal the child is
// given ends the program asked, never its child.)
TEST_F(EngineProcesses, NothingStartedOutlivesTheProgramThatStartedIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path pidFile = dir / "pids-end";
    // Starts the program that is no engine, waits until it and its child run, and ends
    // this process by `end`.
    const auto startAndEnd = [&](const std::function<void()>& end) {
        Session s = session();
        if (s.start(arcade(pidFile, "--child-apart"))) std::_Exit(7);
        if (!waitUntil([&] { return pidsIn(pidFile).size() == 2; })) std::_Exit(8);
        end();
    };
    auto nothingLeft = [&] {
        const std::vector<int> pids = pidsIn(pidFile);
        EXPECT_EQ(pids.size(), 2u);
        for (const int pid : pids) {
            EXPECT_TRUE(waitUntil([pid] { return !runs(pid); })) << pid;
            ::kill(pid, SIGKILL);
        }
        fs::remove(pidFile);
    };
    fs::remove(pidFile);
    EXPECT_EXIT(startAndEnd([] { std::exit(0); }), ::testing::ExitedWithCode(0), "");
    nothingLeft();
    EXPECT_EXIT(startAndEnd([] { ::raise(SIGTERM); }), ::testing::KilledBySignal(SIGTERM), "");
    nothingLeft();
}

// A program installed set-group-ID, as Debian installs its games, dies with the program
// that started it even when that one is killed outright. (The fault: the set-group-ID
// program shed the death signal it was given, and ran on for ever.)
TEST_F(EngineProcesses, AProgramInstalledSetGroupIdDiesWithTheProgramKilled) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path program = dir / "pachi", pidFile = dir / "pids-setgid";
    struct statvfs where {};
    if (::geteuid() != 0 || ::statvfs(dir.c_str(), &where) != 0 || (where.f_flag & ST_NOSUID))
        GTEST_SKIP() << "needs root and a folder where set-group-ID counts";
    if (!fs::exists(program)) {
        ASSERT_TRUE(fs::copy_file(TOLVAN_FAKE_ENGINE, program));
        // A group this process is not in, as the games' group is.
        ASSERT_EQ(::chown(program.c_str(), 0, ::getegid() + 1), 0);
        ASSERT_EQ(::chmod(program.c_str(), 02755), 0);
    }
    fs::remove(pidFile);
    EXPECT_EXIT(
        {
            Session s = session();
            if (s.start("'" + program.string() + "' --pids '" + pidFile.string() + "' --arcade")) std::_Exit(7);
            if (!waitUntil([&] { return pidsIn(pidFile).size() == 1; })) std::_Exit(8);
            ::raise(SIGKILL);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    const std::vector<int> pids = pidsIn(pidFile);
    ASSERT_EQ(pids.size(), 1u);
    EXPECT_TRUE(waitUntil([&] { return !runs(pids[0]); }));
    ::kill(pids[0], SIGKILL);
}

}  // namespace
}  // namespace tolvan::gtp_client
