// Reading a whole file carefully: an ordinary file only, never more than a limit the
// caller chooses, and a failure that says what is wrong. Folders, pipes and devices are
// refused before they are opened, so that a pipe without a writer never blocks and a
// device never fills memory. Standard library and POSIX only.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

namespace tolvan::files {

enum class Problem {
    cannot_open,  // the file is not there or may not be opened; `error` says why
    folder,       // a folder where a file is expected
    not_regular,  // a pipe, a device or a socket
    too_large,    // more than the limit
    cannot_read,  // opened, but reading failed; `error` says why
};

struct Failure {
    Problem problem;
    int error = 0;          // errno, for cannot_open and cannot_read
    std::size_t limit = 0;  // the limit, for too_large
};

// The whole file of at most `limit` bytes, or why not. At most limit + 1 bytes are ever
// read, whatever the file claims its size to be.
std::variant<std::string, Failure> readWhole(const std::string& path, std::size_t limit);

// What is wrong, as a sentence for the window's messages ("ファイルではなくフォルダです。").
std::string japanese(const Failure& failure);
// What is wrong in a few English words for GTP answers ("is a directory").
std::string english(const Failure& failure);

}  // namespace tolvan::files
