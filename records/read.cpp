#include "records/read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tolvan::files {

namespace {

std::variant<std::string, Failure> notUsable(const struct stat& st, std::size_t limit) {
    if (S_ISDIR(st.st_mode)) return Failure{Problem::folder};
    if (!S_ISREG(st.st_mode)) return Failure{Problem::not_regular};
    if (st.st_size > 0 && static_cast<unsigned long long>(st.st_size) > limit)
        return Failure{Problem::too_large, 0, limit};
    return std::string();
}

}  // namespace

std::variant<std::string, Failure> readWhole(const std::string& path, std::size_t limit) {
    // Looked at before it is opened: opening a device may have effects of its own.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Failure{Problem::cannot_open, errno};
    if (auto refused = notUsable(st, limit); std::holds_alternative<Failure>(refused)) return refused;

    // Without blocking, in case a pipe took the file's place in the meantime; what was
    // opened is looked at again.
    int fd;
    do fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return Failure{errno == EISDIR ? Problem::folder : Problem::cannot_open, errno};
    std::variant<std::string, Failure> result;
    if (::fstat(fd, &st) != 0) result = Failure{Problem::cannot_read, errno};
    else result = notUsable(st, limit);

    if (auto* bytes = std::get_if<std::string>(&result)) {
        // The size said is only a hint: a file may grow while it is read, and some
        // files say 0.
        bytes->resize(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t done = 0;
        for (;;) {
            if (done == bytes->size()) {
                if (done > limit) {
                    result = Failure{Problem::too_large, 0, limit};
                    break;
                }
                bytes->resize(std::min(limit + 1, std::max<std::size_t>(2 * done, 4096)));
            }
            const ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                result = Failure{Problem::cannot_read, errno};
                break;
            }
            if (n == 0) {
                bytes->resize(done);
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    return result;
}

std::string japanese(const Failure& f) {
    switch (f.problem) {
    case Problem::folder: return "ファイルではなくフォルダです。";
    case Problem::not_regular: return "通常のファイルではありません（デバイスやパイプは読めません）。";
    case Problem::too_large: return "ファイルが大きすぎます。";
    case Problem::cannot_open:
    case Problem::cannot_read: break;
    }
    return "ファイルを読み込めません（" + std::string(std::strerror(f.error ? f.error : EIO)) + "）。";
}

std::string english(const Failure& f) {
    switch (f.problem) {
    case Problem::folder: return "is a directory";
    case Problem::not_regular: return "not a regular file";
    case Problem::too_large: return "more than " + std::to_string(f.limit) + " bytes";
    case Problem::cannot_open:
    case Problem::cannot_read: break;
    }
    return std::strerror(f.error ? f.error : EIO);
}

}  // namespace tolvan::files
