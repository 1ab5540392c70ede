#include "gtp_client/process_group.h"

#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>

namespace tolvan::gtp_client {

namespace {

// Whether /proc shows a running process of the group: nothing when /proc cannot say.
std::optional<bool> runsByProc(int group) {
    std::error_code error;
    std::filesystem::directory_iterator entries("/proc", error);
    if (error) return std::nullopt;
    bool any = false;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        any = true;
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        if (!std::getline(in, stat)) continue;  // gone meanwhile
        // pid (comm) state ppid pgrp ...: the name may hold anything but ends at the last ')'.
        const auto close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 1));
        std::string state;
        int parent = 0, pgrp = 0;
        if (!(rest >> state >> parent >> pgrp)) continue;
        if (pgrp == group && state != "Z" && state != "X") return true;
    }
    if (!any) return std::nullopt;
    return false;
}

}  // namespace

void leadOwnGroup() {
    ::setpgid(0, 0);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

bool groupRuns(int group) {
    if (group <= 0) return false;
    if (const auto runs = runsByProc(group)) return *runs;
    // Without /proc, a process that has ended but is not reaped counts as running.
    return ::kill(-group, 0) == 0;
}

void endProcessGroup(int group, std::chrono::milliseconds grace) {
    using clock = std::chrono::steady_clock;
    if (!groupRuns(group)) return;
    ::kill(-group, SIGTERM);
    const auto until = clock::now() + grace;
    while (clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!groupRuns(group)) return;
    }
    ::kill(-group, SIGKILL);
    // SIGKILL cannot be refused; the kernel takes a moment to end the processes.
    const auto killed = clock::now() + std::chrono::seconds(1);
    while (groupRuns(group) && clock::now() < killed)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace tolvan::gtp_client
