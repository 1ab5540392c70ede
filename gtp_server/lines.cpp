#include "gtp_server/lines.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace tolvan::gtp_server {

struct LineReader::Shared {
    int fd;
    std::size_t limit;

    // The reading thread's own: what it has read and not yet split into lines. The input
    // is read with the system's read(), with no stream of the standard library between,
    // so that no lock of one is held by a thread waiting on the input.
    char buffer[1 << 16];
    std::size_t at = 0, held = 0;
    bool input_ended = false;

    // Shared under the lock: the line read ahead, and whether the end has come.
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    bool waiting = false;  // a line (or the end) waits to be taken
    LineRead read = LineRead::end;
    std::string line;
    bool ended = false;  // the end has been handed over; the thread has stopped
    std::function<void()> call;

    // The next line of the input, on the reading thread.
    LineRead readOne(std::string& out) {
        out.clear();
        bool any = false, dropped = false;
        for (;;) {
            if (at == held) {
                if (input_ended) break;
                ssize_t n;
                do n = ::read(fd, buffer, sizeof buffer);
                while (n < 0 && errno == EINTR);
                // A failed read ends the input as its end does.
                if (n <= 0) {
                    input_ended = true;
                    break;
                }
                at = 0;
                held = static_cast<std::size_t>(n);
            }
            any = true;
            const char* from = buffer + at;
            const auto* newline = static_cast<const char*>(std::memchr(from, '\n', held - at));
            const std::size_t length = newline ? static_cast<std::size_t>(newline - from) : held - at;
            const std::size_t room = out.size() < limit ? limit - out.size() : 0;
            out.append(from, std::min(length, room));
            if (length > room) dropped = true;
            at += length;
            if (newline) {
                ++at;
                break;
            }
        }
        if (!any) return LineRead::end;
        return dropped ? LineRead::too_long : LineRead::whole;
    }

    void run() {
        for (;;) {
            std::string next;
            const LineRead r = readOne(next);
            std::unique_lock<std::mutex> held_lock(lock);
            changed.wait(held_lock, [&] { return !waiting; });
            waiting = true;
            read = r;
            line = std::move(next);
            if (r == LineRead::end) ended = true;
            changed.notify_all();
            if (call) call();
            if (r == LineRead::end) return;
        }
    }
};

LineReader::LineReader(int fd, std::size_t limit) : shared_(std::make_shared<Shared>()) {
    shared_->fd = fd;
    shared_->limit = limit;
    // The thread keeps what it shares alive for as long as it runs.
    thread_ = std::thread([shared = shared_] { shared->run(); });
}

LineReader::~LineReader() {
    bool ended;
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        ended = shared_->ended;
    }
    if (ended)
        thread_.join();
    else
        thread_.detach();
}

LineRead LineReader::next(std::string& line) {
    Shared& s = *shared_;
    std::unique_lock<std::mutex> held(s.lock);
    s.changed.wait(held, [&] { return s.waiting || s.ended; });
    if (!s.waiting) {
        line.clear();
        return LineRead::end;
    }
    s.waiting = false;
    line = std::move(s.line);
    s.line.clear();
    const LineRead r = s.read;
    s.changed.notify_all();
    return r;
}

bool LineReader::arrived() const {
    std::lock_guard<std::mutex> held(shared_->lock);
    return shared_->waiting || shared_->ended;
}

void LineReader::wait() const {
    std::unique_lock<std::mutex> held(shared_->lock);
    shared_->changed.wait(held, [&] { return shared_->waiting || shared_->ended; });
}

void LineReader::onArrival(std::function<void()> call) {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->call = std::move(call);
    if (shared_->call && (shared_->waiting || shared_->ended)) shared_->call();
}

}  // namespace tolvan::gtp_server
