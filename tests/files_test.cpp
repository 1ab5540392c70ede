// The careful reader and writer of whole files on their own: the reader's limit holds by
// the bytes read, not by the size a file gives (/proc's files give 0); the writer
// respects what stands at the path and never replaces a file it was to make anew. What
// the reader refuses is tested through each reader of the program, with hostile_files.h.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <set>
#include <thread>
#include <variant>

#include "records/read.h"
#include "records/write.h"
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

std::string contents(const std::filesystem::path& p) {
    return std::get<std::string>(files::readWhole(p.string(), 1 << 20));
}

// What stands at the path decides: a folder, a pipe, a socket or a device is left as it
// is; a link's target is written and the link stays; a file keeps its permissions; a new
// file appears. Nothing else is left in the folder. Everything is made in a scratch
// folder: a writer at fault would replace a system's device. Without a device of its
// own (only root may make one) the device's row is left out, and the test says so.
TEST(FilesWrite, WhatStandsAtThePathIsRespected) {
    namespace fs = std::filesystem;
    const HostilePaths paths(9);
    const fs::path dir = paths.dir;
    std::ofstream(dir / "private") << "old";
    fs::permissions(dir / "private", fs::perms::owner_read | fs::perms::owner_write);
    std::ofstream(dir / "target") << "old";
    fs::create_symlink("target", dir / "link");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", (dir / "socket").c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    std::set<std::string> before = {"big", "fifo", "folder", "link", "private", "socket", "target"};
    if (paths.deviceInFolder) before.insert("device");

    const struct {
        std::string path;
        std::optional<files::WriteProblem> problem;
        std::string written;  // the file that holds "new" afterwards
    } cases[] = {
        {paths[folder], files::WriteProblem::folder, ""},
        {paths[fifo], files::WriteProblem::not_regular, ""},
        {(dir / "socket").string(), files::WriteProblem::not_regular, ""},
        {paths[device], files::WriteProblem::not_regular, ""},
        {(dir / "link").string(), std::nullopt, "target"},
        {(dir / "private").string(), std::nullopt, "private"},
        {(dir / "new").string(), std::nullopt, "new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.path == paths[device] && !paths.deviceInFolder) continue;
        const auto why = files::writeWhole(c.path, "new", 16);
        EXPECT_EQ(why ? std::optional(why->problem) : std::nullopt, c.problem);
        if (!c.written.empty()) {
            EXPECT_EQ(contents(dir / c.written), "new");
        }
    }
    EXPECT_TRUE(fs::is_fifo(paths[fifo]));
    EXPECT_TRUE(fs::is_socket(dir / "socket"));
    if (paths.deviceInFolder) {
        EXPECT_TRUE(fs::is_character_file(paths[device]));
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(fs::status(dir / "private").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(files::writeWhole((dir / "private").string(), "too long", 7)->problem, files::WriteProblem::too_large);
    EXPECT_EQ(contents(dir / "private"), "new");
    std::set<std::string> after;
    for (const auto& e : fs::directory_iterator(dir)) after.insert(e.path().filename().string());
    std::set<std::string> expected = before;
    expected.insert("new");
    EXPECT_EQ(after, expected);
    ::close(sock);
    if (!paths.deviceInFolder) GTEST_SKIP() << "the device's row: no device could be made in " << dir;
}

// Two writers making new files of one name at once each get their own, however many
// names are taken already: every file written is there, whole.
TEST(FilesWrite, WritersRacingForANameEachGetTheirOwn) {
    namespace fs = std::filesystem;
    const HostilePaths paths(0);
    const fs::path dir = paths.dir / "games";
    fs::create_directory(dir);
    std::ofstream(dir / "game.sgf") << "earlier";
    for (int k = 2; k <= 1000; ++k) std::ofstream(dir / ("game-" + std::to_string(k) + ".sgf")) << "earlier";
    constexpr int each = 50;
    std::vector<std::string> names[2];
    auto writer = [&](int w) {
        for (int i = 0; i < each; ++i) {
            const auto r = files::writeNew(dir.string(), "game", ".sgf", std::to_string(w * each + i), 16);
            names[w].push_back(std::get<std::string>(r));
        }
    };
    std::thread first(writer, 0), second(writer, 1);
    first.join();
    second.join();
    std::set<std::string> texts;
    for (int w = 0; w < 2; ++w)
        for (const std::string& name : names[w]) texts.insert(contents(name));
    EXPECT_EQ(texts.size(), 2u * each) << "no file written over another";
    EXPECT_EQ(contents(dir / "game.sgf"), "earlier");
    EXPECT_EQ(contents(dir / "game-1000.sgf"), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1000 + 2 * each);
}

}  // namespace
}  // namespace tolvan::testing
