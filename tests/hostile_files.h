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
inline const char* const hostile_names[] = {"a folder", "a FIFO with no writer", "/dev/zero",
                                            "a file over the limit", "a missing file"};

// The paths, in a folder of their own removed afterwards. The file over the limit is
// sparse: limit + 1 bytes that take no room.
class HostilePaths {
public:
    explicit HostilePaths(std::uintmax_t limit) {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "tolvan-hostile-XXXXXX").string();
        dir_ = mkdtemp(pattern.data());
        fs::create_directory(dir_ / "folder");
        mkfifo((dir_ / "fifo").c_str(), 0600);
        std::ofstream(dir_ / "big").close();
        fs::resize_file(dir_ / "big", limit + 1);
    }
    ~HostilePaths() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string operator[](int kind) const {
        static const char* const names[] = {"folder", "fifo", nullptr, "big", "missing"};
        return kind == device ? "/dev/zero" : (dir_ / names[kind]).string();
    }

private:
    std::filesystem::path dir_;
};

}  // namespace tolvan::testing
