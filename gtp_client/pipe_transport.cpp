#include "gtp_client/pipe_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "gtp_client/process_group.h"

namespace tolvan::gtp_client {

namespace {

using std::chrono::milliseconds;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

class PipeTransport : public Transport {
public:
    PipeTransport(int pid, int input, int output, int errors, int wakeRead, int wakeWrite)
        : pid_(pid), input_(input), output_(output), errors_fd_(errors), wake_read_(wakeRead), wake_write_(wakeWrite) {}

    ~PipeTransport() override {
        end(milliseconds(200));
        closeFd(wake_read_);
        closeFd(wake_write_);
    }

    bool writeLine(const std::string& line) override {
        if (input_ < 0) return false;
        const std::string bytes = line + "\n";
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            // A socket rather than a pipe: a closed reader is an error here, not SIGPIPE.
            const ssize_t n = ::send(input_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    Read read(std::string& out, Deadline deadline) override {
        for (;;) {
            if (cancelled_) return Read::cancelled;
            if (output_ < 0) return Read::closed;
            const auto left = std::chrono::ceil<milliseconds>(deadline - Deadline::clock::now());
            if (left.count() <= 0) return Read::timeout;
            pollfd fds[3] = {{output_, POLLIN, 0}, {wake_read_, POLLIN, 0}, {errors_fd_, POLLIN, 0}};
            const int n = ::poll(fds, errors_fd_ >= 0 ? 3 : 2, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
            if (n < 0 && errno != EINTR) return Read::closed;
            if (n <= 0) continue;
            if (errors_fd_ >= 0 && fds[2].revents) keepErrors();
            if (fds[1].revents) continue;  // cancel() wrote: the loop's first test answers
            if (fds[0].revents) {
                char buffer[4096];
                const ssize_t got = ::read(output_, buffer, sizeof buffer);
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) {
                    closeFd(output_);
                    return Read::closed;
                }
                out.append(buffer, static_cast<std::size_t>(got));
                return Read::data;
            }
        }
    }

    void cancel() override {
        cancelled_ = true;
        if (wake_write_ >= 0) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t n = ::write(wake_write_, &byte, 1);
        }
    }

    void end(milliseconds grace) override {
        if (pid_ <= 0) return;
        // What the engine has started is found while the engine still runs: once it has
        // ended, what it left behind in a group of its own no longer shows whose it was.
        const std::vector<Process> started = processesOf(pid_);
        closeFd(input_);
        // The engine may quit of itself once its input has ended.
        const auto until = std::chrono::steady_clock::now() + grace;
        while (!reap(false) && std::chrono::steady_clock::now() < until)
            ::usleep(5000);
        endProcessGroup(pid_, grace, started);
        reap(true);
        closeFd(output_);
        closeFd(errors_fd_);
        pid_ = 0;
    }

    bool running() const override { return pid_ > 0 && !exited_ && ::kill(pid_, 0) == 0 && output_ >= 0; }

    bool crashed() override {
        if (pid_ > 0 && !exited_) reap(true);
        return exited_ && WIFSIGNALED(status_);
    }

    std::string errors() override {
        if (errors_fd_ >= 0) keepErrors();
        return errors_.shown();
    }

private:
    // Collects the exit status once the engine has ended; waits for it when `wait`.
    bool reap(bool wait) {
        if (exited_ || pid_ <= 0) return true;
        int status = 0;
        const pid_t got = ::waitpid(pid_, &status, wait ? 0 : WNOHANG);
        if (got == pid_) {
            exited_ = true;
            status_ = status;
        }
        return exited_ || got < 0;
    }

    // Reads what the engine has written on standard error without waiting.
    void keepErrors() {
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(errors_fd_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got == 0) closeFd(errors_fd_);
            if (got <= 0) break;
            errors_.keep(std::string_view(buffer, static_cast<std::size_t>(got)));
        }
    }

    int pid_;
    int input_, output_, errors_fd_, wake_read_, wake_write_;
    std::atomic<bool> cancelled_{false};
    bool exited_ = false;
    int status_ = 0;
    ErrorTail errors_;
};

}  // namespace

std::unique_ptr<Transport> startPiped(const std::vector<std::string>& words, milliseconds) {
    if (words.empty()) return nullptr;
    int input[2], output[2], errors[2], wake[2], failed[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) return nullptr;
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(errors, O_CLOEXEC) != 0 || ::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0 ||
        ::pipe2(failed, O_CLOEXEC) != 0)
        return nullptr;
    std::vector<char*> argv;
    for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) return nullptr;
    if (pid == 0) {
        leadOwnGroup(parent);
        ::dup2(input[1], 0);
        ::dup2(output[1], 1);
        ::dup2(errors[1], 2);
#ifdef __linux__
        // Nothing else the program holds open goes with the engine, which could otherwise
        // keep a pipe or file of the program's open for as long as it ran.
        const auto keep = static_cast<unsigned>(failed[1]);
        if (keep > 3) ::close_range(3, keep - 1, 0);
        ::close_range(keep + 1, ~0u, 0);
#endif
        ::signal(SIGPIPE, SIG_DFL);
        ::execvp(argv[0], argv.data());
        // The parent learns of a failed exec by a byte on this pipe (closed on exec otherwise).
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(failed[1], &byte, 1);
        ::_exit(127);
    }
    startedGroup(pid);
    ::close(input[1]);
    ::close(output[1]);
    ::close(errors[1]);
    ::close(failed[1]);
    char byte = 0;
    ssize_t n;
    while ((n = ::read(failed[0], &byte, 1)) < 0 && errno == EINTR) {
    }
    ::close(failed[0]);
    ::fcntl(errors[0], F_SETFL, O_NONBLOCK);
    auto transport = std::make_unique<PipeTransport>(pid, input[0], output[0], errors[0], wake[0], wake[1]);
    if (n > 0) return nullptr;  // the transport reaps the child that could not exec
    return transport;
}

}  // namespace tolvan::gtp_client
