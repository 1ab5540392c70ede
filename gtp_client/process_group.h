// The end of an engine and of everything it started. An engine is started as the
// leader of a process group of its own (a wrapper script, a relay, the engine's own
// helpers all stay in it), so that the whole of it can be ended at once; a process it
// started that left the group (for a group or a session of its own) is found through
// /proc as a descendant and ended with it. Every group started is kept on a list until
// it has been ended, and what is still on the list when the program ends (by exit(), or
// by SIGTERM, SIGINT, SIGHUP or SIGQUIT while the program has no handler of its own for
// them) is ended before the program is gone. POSIX only; descendants and the death
// signal on Linux.
#pragma once

#include <chrono>
#include <vector>

namespace tolvan::gtp_client {

// Called in a new child process before it runs the engine; `parent` is the process that
// started it. The child leads a process group of its own, and on Linux dies with its
// parent should the parent die without ending it. The program it runs gains no rights
// by its set-user-ID or set-group-ID bit: a game installed set-group-ID (as Debian
// installs its games) would otherwise shed that death signal. Async-signal-safe.
void leadOwnGroup(int parent);

// Called by the parent once the child `pid` has been started with leadOwnGroup: its group
// goes on the list of groups ended with the program until endProcessGroup has ended it.
void startedGroup(int pid);

// True while a process of the group `group` runs. One that has ended but has not been
// reaped yet does not count: its parent may be slow to reap it, or may never.
bool groupRuns(int group);

// A process seen in /proc: its id, and the moment it started, which tells it from a
// later process given the same id.
struct Process {
    int pid = 0;
    unsigned long long start = 0;
    bool operator==(const Process&) const = default;
};

// The processes of the group `group` as they are now: its leader and members, and every
// process one of them started, wherever it went; with those of `known` (an earlier
// answer) that still run, and what they started. Nothing where /proc cannot be read.
std::vector<Process> processesOf(int group, const std::vector<Process>& known = {});

// Ends what is left of the group `group` and of every process it started (found now, or
// in `known`, taken before the engine was told to quit): nothing when none of it runs;
// otherwise SIGTERM to all of it, and SIGKILL to what still runs after `grace`. Returns
// once none of it runs, or soon after SIGKILL. The group leaves the list of groups ended
// with the program.
void endProcessGroup(int group, std::chrono::milliseconds grace, const std::vector<Process>& known = {});

}  // namespace tolvan::gtp_client
