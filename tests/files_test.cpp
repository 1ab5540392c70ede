// The careful reader of whole files on its own: its limit holds by the bytes read, not
// by the size a file gives (/proc's files give 0). What it refuses is tested through
// each reader of the program, with hostile_files.h.
#include <gtest/gtest.h>

#include <variant>

#include "files/read.h"
#include "hostile_files.h"

namespace tolvan::testing {
namespace {

TEST(FilesRead, TheLimitIsTheBytesReadNotTheSizeTheFileGives) {
    const HostilePaths paths(9);  // "big": 10 bytes
    const struct {
        std::string path;
        std::size_t limit, size;  // size: of what is read, 0 when too large
    } cases[] = {{paths[oversized], 10, 10}, {paths[oversized], 9, 0}, {"/proc/self/maps", 16, 0}};
    for (const auto& [path, limit, size] : cases) {
        SCOPED_TRACE(path + " " + std::to_string(limit));
        const auto read = files::readWhole(path, limit);
        if (size) EXPECT_EQ(std::get<std::string>(read).size(), size);
        else EXPECT_EQ(std::get<files::Failure>(read).problem, files::Problem::too_large);
    }
    EXPECT_GT(std::get<std::string>(files::readWhole("/proc/self/maps", 1 << 20)).size(), 16u);
}

}  // namespace
}  // namespace tolvan::testing
