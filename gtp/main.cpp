// tolvan-gtp: the game's computer player and rules behind the Go Text Protocol, read
// from standard input and answered on standard output.
//
//   tolvan-gtp [--book PATH] [--second N]
//
//   --book PATH   the opening book (default: Tolvan.定石 in the current directory)
//   --second N    the second of the clock, 0..59, that seeds the computer's opening at
//                 every new game (default: the real clock)
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "gtp/engine.h"

namespace {

void usage() {
    std::fprintf(stderr, "usage: tolvan-gtp [--book PATH] [--second N]\n");
}

}  // namespace

int main(int argc, char** argv) {
    tolvan::gtp::Engine::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--book" && i + 1 < argc) {
            options.book = argv[++i];
        } else if (a == "--second" && i + 1 < argc) {
            const std::string v = argv[++i];
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || n < 0 || n > 59) {
                std::fprintf(stderr, "tolvan-gtp: --second takes a number from 0 to 59\n");
                return 2;
            }
            options.second = static_cast<int>(n);
        } else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            usage();
            return 2;
        }
    }

    // The protocol owns standard output: anything else that writes there goes to
    // standard error instead, so that it cannot break a response.
    const int protocol_fd = dup(STDOUT_FILENO);
    if (protocol_fd < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::perror("tolvan-gtp");
        return 1;
    }
    std::FILE* out = fdopen(protocol_fd, "w");
    if (!out) {
        std::perror("tolvan-gtp");
        return 1;
    }

    tolvan::gtp::Engine engine(options);
    for (std::string line; std::getline(std::cin, line);) {
        const std::string response = engine.execute(line);
        if (response.empty()) continue;
        std::fwrite(response.data(), 1, response.size(), out);
        std::fflush(out);
        if (engine.quitting()) break;
    }
    std::fclose(out);
    return 0;
}
