// Paths where a reader expects an ordinary file and finds something else, for one table
// run against every reader of the program.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace tolvan::testing {

// The kinds, in the order of every table of what a reader makes of them.
enum Hostile { folder, fifo, device, oversized, missing, hostile_kinds };
inline const char* const hostile_names[] = {"folder", "fifo", "device", "big", "missing"};

// The paths, in a folder of their own removed afterwards; "big" is a sparse file of
// limit + 1 bytes, "device" a character device that reads as /dev/zero does. Only root
// may make a device: elsewhere the device is the system's /dev/zero, which a test may
// read but never write to (deviceInFolder tells).
struct HostilePaths {
    std::filesystem::path dir;
    bool deviceInFolder = false;
    explicit HostilePaths(std::uintmax_t limit) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvan-hostile-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        std::filesystem::create_directory(dir / "folder");
        mkfifo((dir / "fifo").c_str(), 0600);
        deviceInFolder = mknod((dir / "device").c_str(), S_IFCHR | 0644, makedev(1, 5)) == 0;
        std::ofstream(dir / "big").close();
        std::filesystem::resize_file(dir / "big", limit + 1);
    }
    ~HostilePaths() { std::filesystem::remove_all(dir); }
    std::string operator[](int kind) const {
        if (kind == device && !deviceInFolder) return "/dev/zero";
        return (dir / hostile_names[kind]).string();
    }
};

}  // namespace tolvan::testing
