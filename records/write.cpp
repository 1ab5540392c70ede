#include "records/write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace tolvan::files {

namespace {

namespace fs = std::filesystem;

// Named temporaries start with this. Each is locked (flock) by its writer for as long as
// it is written: one that can be locked was left by a writer that is gone, and the next
// write into its folder removes it.
constexpr std::string_view temp_prefix = ".tolvan-part-";

WriteFailure failed(int error) { return {WriteProblem::cannot_write, error ? error : EIO}; }

std::string tempName() {
    thread_local std::mt19937_64 random(std::random_device{}() ^
                                        (static_cast<std::uint64_t>(getpid()) << 32) ^
                                        static_cast<std::uint64_t>(
                                            std::chrono::steady_clock::now().time_since_epoch().count()));
    static const char hex[] = "0123456789abcdef";
    std::string name(temp_prefix);
    std::uint64_t bits = random();
    for (int i = 0; i < 16; ++i, bits >>= 4) name += hex[bits & 15];
    return name;
}

// A folder opened for the *at calls, closed at the end of the scope.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// Removes the named temporaries in the folder whose writers are gone.
void clearStale(int dir) {
    const int listing = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return;
    DIR* d = ::fdopendir(listing);
    if (!d) {
        ::close(listing);
        return;
    }
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        if (name.substr(0, temp_prefix.size()) != temp_prefix) continue;
        Fd fd(::openat(dir, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {}, named {};
        if (fd.fd < 0 || ::fstat(fd.fd, &opened) != 0 || !S_ISREG(opened.st_mode)) continue;
        if (::flock(fd.fd, LOCK_EX | LOCK_NB) != 0) continue;  // still being written
        if (::fstatat(dir, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev)
            ::unlinkat(dir, e->d_name, 0);
    }
    ::closedir(d);
}

// The file being written: unnamed (O_TMPFILE) where the file system allows, else under
// a temporary name of its own.
struct Temp {
    Fd fd;
    std::string name;  // empty while unnamed
};

bool procAvailable() {
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

std::string procPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::optional<WriteFailure> makeTemp(int dir, Temp& t) {
    if (procAvailable()) {
        t.fd.fd = ::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (t.fd.fd >= 0) {
            ::flock(t.fd.fd, LOCK_EX);
            return std::nullopt;
        }
        // Not known to this kernel or not offered by this file system: a named one.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) return failed(errno);
    }
    for (;;) {
        t.name = tempName();
        t.fd.fd = ::openat(dir, t.name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (t.fd.fd < 0) {
            if (errno == EEXIST) continue;
            return failed(errno);
        }
        // Another writer's clearing may have taken it between its making and its lock.
        struct stat st {};
        if (::flock(t.fd.fd, LOCK_EX) == 0 && ::fstat(t.fd.fd, &st) == 0 && st.st_nlink > 0) return std::nullopt;
        ::close(t.fd.fd);
        t.fd.fd = -1;
    }
}

std::optional<WriteFailure> fill(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return failed(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return failed(errno);
    return std::nullopt;
}

// Links the file under `name`; EEXIST when that name is taken (nothing is replaced).
int linkAs(int dir, const Temp& t, const std::string& name) {
    const int r = t.name.empty()
                      ? ::linkat(AT_FDCWD, procPath(t.fd.fd).c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW)
                      : ::linkat(dir, t.name.c_str(), dir, name.c_str(), 0);
    if (r == 0) return 0;
    // A file system without hard links may still rename without replacing.
    if (!t.name.empty() && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) &&
        ::renameat2(dir, t.name.c_str(), dir, name.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    return errno;
}

// The kind of file at `name` in the folder, or a failure when it is one not to replace.
std::optional<WriteFailure> refused(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return WriteFailure{WriteProblem::folder};
    if (!S_ISREG(st.st_mode)) return WriteFailure{WriteProblem::not_regular};
    return std::nullopt;
}

// The path a chain of symbolic links at `path` ends at (the path itself when it is none).
std::variant<fs::path, WriteFailure> followLinks(const fs::path& path) {
    fs::path at = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        if (hops == 40) return failed(ELOOP);
        std::error_code ec;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) return failed(ec.value());
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
}

std::optional<WriteFailure> tooLarge(std::string_view bytes, std::size_t limit) {
    if (bytes.size() > limit) return WriteFailure{WriteProblem::too_large, 0, limit};
    return std::nullopt;
}

int openFolder(const fs::path& folder) {
    return ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

std::optional<WriteFailure> writeWhole(const std::string& path, std::string_view bytes, std::size_t limit) {
    if (auto big = tooLarge(bytes, limit)) return big;
    auto followed = followLinks(path);
    if (auto* f = std::get_if<WriteFailure>(&followed)) return *f;
    const fs::path target = std::get<fs::path>(followed);
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..") {
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return WriteFailure{WriteProblem::folder};
        return failed(EISDIR);
    }
    const Fd dir(openFolder(target.parent_path()));
    if (dir.fd < 0) return failed(errno);

    struct stat was {};
    const bool existed = ::fstatat(dir.fd, name.c_str(), &was, AT_SYMLINK_NOFOLLOW) == 0;
    if (!existed && errno != ENOENT) return failed(errno);
    if (existed)
        if (auto no = refused(was)) return no;

    clearStale(dir.fd);
    Temp t;
    if (auto no = makeTemp(dir.fd, t)) return no;
    auto why = fill(t.fd.fd, bytes);
    if (!why && existed) {
        // The file's owner, group and permissions stay, as far as the process may keep
        // them (the owner only for the superuser): a failure there is no reason not to
        // write.
        const bool owned = ::fchown(t.fd.fd, was.st_uid, was.st_gid) == 0 || ::fchown(t.fd.fd, -1, was.st_gid) == 0;
        (void)owned;
        if (::fchmod(t.fd.fd, was.st_mode & 07777) != 0) why = failed(errno);
    }
    // An unnamed file takes a temporary name first: rename is what replaces atomically.
    while (!why && t.name.empty()) {
        const std::string name2 = tempName();
        const int error = linkAs(dir.fd, t, name2);
        if (error == 0) t.name = name2;
        else if (error != EEXIST) why = failed(error);
    }
    if (!why) {
        // Looked at again just before: what took the path meanwhile is not replaced.
        struct stat now {};
        if (::fstatat(dir.fd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) why = refused(now);
    }
    if (!why && ::renameat(dir.fd, t.name.c_str(), dir.fd, name.c_str()) != 0) why = failed(errno);
    if (why && !t.name.empty()) ::unlinkat(dir.fd, t.name.c_str(), 0);
    if (!why) ::fsync(dir.fd);
    return why;
}

std::variant<std::string, WriteFailure> writeNew(const std::string& folder, const std::string& stem,
                                                 const std::string& suffix, std::string_view bytes,
                                                 std::size_t limit) {
    if (auto big = tooLarge(bytes, limit)) return *big;
    const Fd dir(openFolder(folder));
    if (dir.fd < 0) return failed(errno);
    clearStale(dir.fd);
    Temp t;
    if (auto no = makeTemp(dir.fd, t)) return *no;
    std::optional<WriteFailure> why = fill(t.fd.fd, bytes);
    std::string chosen;
    for (unsigned long k = 1; !why; ++k) {
        const std::string name = stem + (k == 1 ? std::string() : "-" + std::to_string(k)) + suffix;
        const int error = linkAs(dir.fd, t, name);
        if (error == 0) {
            chosen = name;
            break;
        }
        if (error != EEXIST) why = failed(error);
    }
    // A temporary name goes; an unnamed file goes with its descriptor.
    if (!t.name.empty()) ::unlinkat(dir.fd, t.name.c_str(), 0);
    if (why) return *why;
    ::fsync(dir.fd);
    return (fs::path(folder) / chosen).string();
}

std::string japanese(const WriteFailure& f) {
    switch (f.problem) {
    case WriteProblem::folder: return "ファイルではなくフォルダです。";
    case WriteProblem::not_regular: return "通常のファイルではありません（デバイスやパイプには書き込めません）。";
    case WriteProblem::too_large:
        return "大きすぎて書き込めません（" + std::to_string(f.limit) + "バイトまでです）。";
    case WriteProblem::cannot_write: break;
    }
    return std::strerror(f.error ? f.error : EIO);
}

std::string english(const WriteFailure& f) {
    switch (f.problem) {
    case WriteProblem::folder: return "is a directory";
    case WriteProblem::not_regular: return "not a regular file";
    case WriteProblem::too_large: return "more than " + std::to_string(f.limit) + " bytes";
    case WriteProblem::cannot_write: break;
    }
    return std::strerror(f.error ? f.error : EIO);
}

}  // namespace tolvan::files
