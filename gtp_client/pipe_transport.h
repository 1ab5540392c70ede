// An engine as a child process spoken to through pipes, for a controller without an
// event loop: a thread of its own, or the command line. The engine leads a process group
// of its own, and a read waits in poll() for its output, its end, the deadline or a
// cancel from another thread. POSIX only.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "gtp_client/gtp_client.h"

namespace tolvan::gtp_client {

// Starts `words` (the program first; one without a slash is looked for on PATH) with
// its input and output connected to the returned transport and its standard error kept
// for errors(); nullptr when it cannot be started. `limit` is unused: a program that
// cannot be run shows itself at once, as an exec that fails.
std::unique_ptr<Transport> startPiped(const std::vector<std::string>& words, std::chrono::milliseconds limit);

}  // namespace tolvan::gtp_client
