// Command lines as the engine reads them from its input: each kept up to a bound, so that
// a controller's runaway line cannot fill the memory.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace tolvan::gtp_server {

// The longest command line kept whole: far beyond any command, a handicap list or a path.
constexpr std::size_t max_line = std::size_t{1} << 20;

enum class LineRead {
    whole,     // `line` holds the line, without its end
    too_long,  // `line` holds its first `limit` bytes; the rest was read and dropped
    end,       // nothing was left to read
};

// Reads the next line of `in`, ended by '\n' or by the end of the input.
LineRead readLine(std::istream& in, std::string& line, std::size_t limit = max_line);

}  // namespace tolvan::gtp_server
