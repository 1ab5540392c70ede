// Command lines as the engine reads them from its input: each kept up to a bound, so that
// a controller's runaway line cannot fill the memory. They are read on a thread of their
// own, one line ahead of the commands being answered, so that an answer that goes on
// until the controller speaks again (lz-analyze) sees the next line arrive.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tolvan::gtp_server {

// The longest command line kept whole: far beyond any command, a handicap list or a path.
constexpr std::size_t max_line = std::size_t{1} << 20;

enum class LineRead {
    whole,     // `line` holds the line, without its end
    too_long,  // `line` holds its first `limit` bytes; the rest was read and dropped
    end,       // nothing was left to read
};

class LineReader {
public:
    // Reads the lines of file descriptor `fd`, each ended by '\n' or by the end of the
    // input. The descriptor is left open.
    explicit LineReader(int fd, std::size_t limit = max_line);
    // Waits for the reading thread when it has come to the end of the input; otherwise
    // leaves it waiting on the input, which the process's end closes.
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line, waiting for it; after the end, always the end.
    LineRead next(std::string& line);
    // True when next() would not wait: a line, or the end of the input, has arrived.
    bool arrived() const;
    // Waits until arrived().
    void wait() const;
    // `call` is run on the reading thread each time a line or the end arrives (and at
    // once when one is already waiting), until it is replaced; empty for none. It must
    // not call back into the reader.
    void onArrival(std::function<void()> call);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace tolvan::gtp_server
