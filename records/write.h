// Writing a whole file so that nothing is lost on the way: the new contents go to an
// unnamed file in the target's folder and appear under their name in one step, so that
// an interruption (a kill, a full disk) leaves the earlier file as it was and no half
// file anywhere. What stands at the path is respected: a folder, a pipe, a socket or a
// device is refused, a symbolic link is followed and its target written, and a file
// that is there keeps its permissions. Nothing beside the path is touched. Never more
// than a limit the caller chooses, so that what is written can be read back with the
// same limit. Standard library and POSIX only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tolvan::files {

enum class WriteProblem {
    folder,        // a folder at the path
    not_regular,   // a pipe, a device or a socket at the path
    too_large,     // more bytes than the limit: nothing was written
    cannot_write,  // `error` says why
};

struct WriteFailure {
    WriteProblem problem;
    int error = 0;          // errno, for cannot_write
    std::size_t limit = 0;  // the limit, for too_large
};

// Replaces the file at `path` (or the file a symbolic link there leads to) with `bytes`,
// or makes it. A new file has the permissions the process's umask gives (0644 under the
// usual 022).
std::optional<WriteFailure> writeWhole(const std::string& path, std::string_view bytes, std::size_t limit);

// Writes `bytes` as a new file in `folder`, never over one that is there: under
// stem + suffix, else stem-2 + suffix, stem-3 + suffix ..., the first name that is free
// at the moment of writing, however many programs write there at once. Returns the
// path written.
std::variant<std::string, WriteFailure> writeNew(const std::string& folder, const std::string& stem,
                                                 const std::string& suffix, std::string_view bytes,
                                                 std::size_t limit);

// What is wrong, for the window's messages ("ファイルではなくフォルダです。"); a failure
// of the system is its own words (strerror).
std::string japanese(const WriteFailure& failure);
// What is wrong in a few English words for GTP answers ("is a directory").
std::string english(const WriteFailure& failure);

}  // namespace tolvan::files
