// The end of an engine and of everything it started. An engine is started as the
// leader of a process group of its own (a wrapper script, a relay, the engine's own
// helpers all stay in it), so that the whole of it can be ended at once. POSIX only.
#pragma once

#include <chrono>

namespace tolvan::gtp_client {

// Called in a new child process before it runs the engine: the child leads a process
// group of its own, and on Linux dies with its parent should the parent die without
// ending it. Async-signal-safe.
void leadOwnGroup();

// True while a process of the group `group` runs. One that has ended but has not been
// reaped yet does not count: its parent may be slow to reap it, or may never.
bool groupRuns(int group);

// Ends what is left of the group `group`: nothing when none of it runs; otherwise
// SIGTERM to the whole group, and SIGKILL to it when some of it still runs after
// `grace`. Returns once none of it runs, or soon after SIGKILL.
void endProcessGroup(int group, std::chrono::milliseconds grace);

}  // namespace tolvan::gtp_client
