// Paths where a reader expects an ordinary file and finds something else, for one table
// run against every reader of the program.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace tolvan::testing {

// The kinds, in the order of every table of what a reader makes of them.
enum Hostile { folder, fifo, device, oversized, missing, hostile_kinds };
inline const char* const hostile_names[] = {"folder", "fifo", "/dev/zero", "big", "missing"};

// The paths, in a folder of their own removed afterwards; "big" is a sparse file of
// limit + 1 bytes.
struct HostilePaths {
    std::filesystem::path dir;
    explicit HostilePaths(std::uintmax_t limit) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvan-hostile-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        std::filesystem::create_directory(dir / "folder");
        mkfifo((dir / "fifo").c_str(), 0600);
        std::ofstream(dir / "big").close();
        std::filesystem::resize_file(dir / "big", limit + 1);
    }
    ~HostilePaths() { std::filesystem::remove_all(dir); }
    std::string operator[](int kind) const {
        return kind == device ? "/dev/zero" : (dir / hostile_names[kind]).string();
    }
};

}  // namespace tolvan::testing
