#include "gtp_client/process_group.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>

namespace tolvan::gtp_client {

namespace {

using std::chrono::milliseconds;

// A process as /proc shows it.
struct Seen {
    Process process;
    int parent = 0;
    int group = 0;
    bool ended = false;  // a zombie, not reaped yet
};

std::optional<Seen> readStat(const std::filesystem::path& folder, int pid) {
    std::ifstream in(folder / "stat");
    std::string stat;
    if (!std::getline(in, stat)) return std::nullopt;  // gone meanwhile
    // pid (comm) state ppid pgrp ... starttime (the 22nd field): the name may hold
    // anything but ends at the last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream rest(stat.substr(close + 1));
    std::string state, skip;
    Seen s;
    s.process.pid = pid;
    if (!(rest >> state >> s.parent >> s.group)) return std::nullopt;
    for (int field = 6; field < 22; ++field) rest >> skip;
    if (!(rest >> s.process.start)) return std::nullopt;
    s.ended = state == "Z" || state == "X";
    return s;
}

// Every process /proc shows; nothing when /proc cannot be read.
std::optional<std::vector<Seen>> everyProcess() {
    std::error_code error;
    std::filesystem::directory_iterator entries("/proc", error);
    if (error) return std::nullopt;
    std::vector<Seen> all;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (const auto s = readStat(entry.path(), std::stoi(name))) all.push_back(*s);
    }
    if (all.empty()) return std::nullopt;
    return all;
}

// The processes of `group` and what they started (see processesOf), zombies left out;
// nothing when /proc cannot be read.
std::optional<std::vector<Seen>> treeOf(int group, const std::vector<Process>& known) {
    const auto all = everyProcess();
    if (!all) return std::nullopt;
    const int self = ::getpid();
    // The process ids in the tree, and the groups its processes lead (or led).
    std::set<int> pids, groups{group};
    for (const Process& k : known) groups.insert(k.pid);
    std::vector<char> in(all->size(), 0);
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t i = 0; i < all->size(); ++i) {
            const Seen& s = (*all)[i];
            if (in[i] || s.process.pid <= 1 || s.process.pid == self) continue;
            const bool member = s.process.pid == group || groups.count(s.group) || pids.count(s.parent) ||
                                std::find(known.begin(), known.end(), s.process) != known.end();
            if (!member) continue;
            in[i] = 1;
            grew = true;
            pids.insert(s.process.pid);
            groups.insert(s.process.pid);
        }
    }
    std::vector<Seen> tree;
    for (std::size_t i = 0; i < all->size(); ++i)
        if (in[i] && !(*all)[i].ended) tree.push_back((*all)[i]);
    return tree;
}

// The list of groups started and not yet ended, for the end of the program: a fixed
// table, so that a signal handler may read it.
constexpr int kept_slots = 128;
std::atomic<int> kept[kept_slots];
std::once_flag watchOnce;
// The process that set up the watch: a child forked from it (and not yet running a
// program of its own) must not end its parent's engines.
std::atomic<int> watcher{0};
// A signal handler wakes the thread that ends the groups, and waits until it has.
int wakePipe[2] = {-1, -1};
int donePipe[2] = {-1, -1};

void keep(int group) {
    for (auto& slot : kept) {
        int empty = 0;
        if (slot.compare_exchange_strong(empty, group)) return;
    }
}

void forget(int group) {
    for (auto& slot : kept) {
        int g = group;
        slot.compare_exchange_strong(g, 0);
    }
}

void endKept(milliseconds grace) {
    for (auto& slot : kept)
        if (const int g = slot.load(); g > 0) endProcessGroup(g, grace);
}

extern "C" void endKeptAtExit() {
    if (::getpid() == watcher.load()) endKept(milliseconds(100));
}

extern "C" void endKeptOnSignal(int signal) {
    const int saved = errno;
    if (::getpid() == watcher.load()) {
        // The thread finds everything the engines started while they still run; should it
        // not answer, their groups are killed from here.
        const char byte = 1;
        if (wakePipe[1] >= 0 && ::write(wakePipe[1], &byte, 1) == 1) {
            pollfd done{donePipe[0], POLLIN, 0};
            ::poll(&done, 1, 3000);
        }
        for (auto& slot : kept)
            if (const int g = slot.load(); g > 0) ::kill(-g, SIGKILL);
    }
    errno = saved;
    // SA_RESETHAND has put back the default action: the signal, pending until the handler
    // returns, ends the program as it would have without it.
    ::raise(signal);
}

void watch() {
    for (;;) {
        char byte = 0;
        const ssize_t n = ::read(wakePipe[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        endKept(milliseconds(100));
        [[maybe_unused]] const ssize_t w = ::write(donePipe[1], &byte, 1);
    }
}

// Once, at the first group started: ends the groups left on the list at exit() and on the
// signals that end a program, unless the program handles those itself.
void setUpWatch() {
    watcher = ::getpid();
    std::atexit(endKeptAtExit);
    if (::pipe2(wakePipe, O_CLOEXEC) == 0 && ::pipe2(donePipe, O_CLOEXEC) == 0) {
        // The thread takes no signal (it keeps the mask it starts with): a handler run on
        // it would wait for itself.
        sigset_t all, before;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, &before);
        try {
            std::thread(watch).detach();
        } catch (const std::system_error&) {
            ::close(wakePipe[1]);
            wakePipe[1] = -1;
        }
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    } else {
        wakePipe[1] = -1;
    }
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) != 0) continue;
        if ((before.sa_flags & SA_SIGINFO) || before.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = endKeptOnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

void leadOwnGroup(int parent) {
    ::setpgid(0, 0);
#ifdef __linux__
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have died before the death signal was asked for.
    if (::getppid() != parent) ::_exit(127);
#else
    (void)parent;
#endif
}

void startedGroup(int pid) {
    if (pid <= 0) return;
    std::call_once(watchOnce, setUpWatch);
    // The child makes its group itself; made here too, the group is there before the
    // child has come so far. (Refused once the child runs its program: it has made it.)
    ::setpgid(pid, pid);
    keep(pid);
}

bool groupRuns(int group) {
    if (group <= 0) return false;
    if (const auto all = everyProcess()) {
        for (const Seen& s : *all)
            if (s.group == group && !s.ended) return true;
        return false;
    }
    // Without /proc, a process that has ended but is not reaped counts as running.
    return ::kill(-group, 0) == 0;
}

std::vector<Process> processesOf(int group, const std::vector<Process>& known) {
    std::vector<Process> out;
    if (group <= 0) return out;
    if (const auto tree = treeOf(group, known))
        for (const Seen& s : *tree) out.push_back(s.process);
    return out;
}

void endProcessGroup(int group, milliseconds grace, const std::vector<Process>& known) {
    using clock = std::chrono::steady_clock;
    if (group <= 0) return;
    // Every process of the tree seen so far: one whose parent has gone is still known.
    std::vector<Process> seen = known;
    auto look = [&] {
        std::vector<Seen> now;
        if (const auto tree = treeOf(group, seen)) {
            now = *tree;
        } else if (groupRuns(group)) {
            now.push_back({{group, 0}, 0, group, false});
        }
        for (const Seen& s : now)
            if (std::find(seen.begin(), seen.end(), s.process) == seen.end()) seen.push_back(s.process);
        return now;
    };
    auto send = [group](const std::vector<Seen>& now, int signal) {
        ::kill(-group, signal);
        for (const Seen& s : now)
            if (s.group != group) ::kill(s.process.pid, signal);
    };
    std::vector<Seen> now = look();
    if (!now.empty()) {
        send(now, SIGTERM);
        const auto until = clock::now() + grace;
        while (!now.empty() && clock::now() < until) {
            std::this_thread::sleep_for(milliseconds(5));
            now = look();
        }
        // SIGKILL cannot be refused; the kernel takes a moment to end the processes, and
        // one started meanwhile gets it too.
        const auto killed = clock::now() + std::chrono::seconds(1);
        while (!now.empty() && clock::now() < killed) {
            send(now, SIGKILL);
            std::this_thread::sleep_for(milliseconds(2));
            now = look();
        }
    }
    forget(group);
}

}  // namespace tolvan::gtp_client
