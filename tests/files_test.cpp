// The careful reader of whole files: what it refuses, and its limit however large the
// file says it is.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <variant>

#include "files/read.h"
#include "hostile_files.h"

namespace tolvan::testing {
namespace {

using files::Problem;

TEST(FilesRead, WhatIsNotAnOrdinaryFileOfItsSizeIsRefusedAndNamed) {
    const HostilePaths paths(1000);
    const Problem expected[] = {Problem::folder, Problem::not_regular, Problem::not_regular,
                                Problem::too_large, Problem::cannot_open};
    for (int k = 0; k < hostile_kinds; ++k) {
        SCOPED_TRACE(hostile_names[k]);
        const auto read = files::readWhole(paths[k], 1000);
        ASSERT_TRUE(std::holds_alternative<files::Failure>(read));
        EXPECT_EQ(std::get<files::Failure>(read).problem, expected[k]);
    }
    EXPECT_EQ(std::get<files::Failure>(files::readWhole(paths[missing], 1000)).error, ENOENT);
}

// The limit holds by what is read, not by the size the file gives: /proc's files say 0.
TEST(FilesRead, TheLimitIsTheBytesReadNotTheSizeTheFileGives) {
    const HostilePaths paths(9);  // "big": 10 bytes
    struct Case {
        std::string path;
        std::size_t limit;
        bool read;
        std::size_t size;  // of what is read; 0 for any size within the limit
    };
    const Case cases[] = {
        {paths[oversized], 10, true, 10}, {paths[oversized], 9, false, 0},
        {"/proc/self/maps", 1 << 20, true, 0}, {"/proc/self/maps", 16, false, 0},
    };
    for (const auto& [path, limit, fits, size] : cases) {
        SCOPED_TRACE(path + " " + std::to_string(limit));
        const auto read = files::readWhole(path, limit);
        if (fits) {
            ASSERT_TRUE(std::holds_alternative<std::string>(read));
            const std::size_t got = std::get<std::string>(read).size();
            if (size) EXPECT_EQ(got, size);
            else EXPECT_GT(got, 16u);
            EXPECT_LE(got, limit);
        } else {
            ASSERT_TRUE(std::holds_alternative<files::Failure>(read));
            EXPECT_EQ(std::get<files::Failure>(read).problem, Problem::too_large);
        }
    }
}

}  // namespace
}  // namespace tolvan::testing
