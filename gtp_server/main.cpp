// tolvan-gtp: the game's computer player and rules behind the Go Text Protocol, read
// from standard input and answered on standard output.
//
//   tolvan-gtp [--book PATH] [--second N] [--level N] [--threads N] [--seed N]
//
//   --book PATH   the opening book (default: Tolvan.定石 beside this program, else in
//                 the data folder of its installation, else in the current directory)
//   --second N    the second of the clock, 0..59, that seeds the computer's opening at
//                 every new game (default: the real clock)
//   --level N     Tolvan's own search plays, at level 1 (入門) to 5 (最強); without it the
//                 built-in player answers at once
//   --threads N   the search's threads, 1 to 8 (default 2)
//   --seed N      the seed of the search's playouts, so that one thread plays the same
//                 game again (default: a new one each time it starts)
//
// With a level, lz-analyze and lz-genmove_analyze answer as Leela Zero does, so that
// Sabaki and Lizzie show the search's analysis as it goes.
//
// Without a book (the file missing or holding no lines) the computer still plays, and
// says so on standard error.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "game/places.h"
#include "gtp_server/engine.h"
#include "gtp_server/lines.h"
#include "search/patterns.h"

namespace {

constexpr const char* book_name = "Tolvan.定石";

void usage(std::FILE* to) {
    std::fprintf(to,
                 "usage: tolvan-gtp [--book PATH] [--second N] [--level N] [--threads N]\n"
                 "                  [--seed N]\n"
                 "  --book PATH  the opening book (default: %s beside this program, else in\n"
                 "               the data folder of its installation, else in the current\n"
                 "               directory)\n"
                 "  --second N   the second of the clock, 0..59, that seeds the computer's\n"
                 "               opening at every new game (default: the real clock)\n"
                 "  --level N    Tolvan's own search plays, at level 1 (入門) to 5 (最強);\n"
                 "               without it the built-in player answers at once\n"
                 "  --threads N  the search's threads, 1 to 8 (default 2)\n"
                 "  --seed N     the seed of the search's playouts, so that one thread plays\n"
                 "               the same game again (default: a new one at every start)\n"
                 "The Go Text Protocol is read from standard input and answered on standard\n"
                 "output.\n",
                 book_name);
}

// The book beside the program, else in the data folder of an installation, else in the
// current directory, so that a controller may start the engine from anywhere.
std::string defaultBook() { return tolvan::placesOfThisProgram().dataFile(book_name); }

// The controller's side of a long answer: its pieces go out at once, and the next line
// read (or the end of the input) interrupts it.
class Output : public tolvan::gtp_server::Engine::Stream {
public:
    Output(std::FILE* out, tolvan::gtp_server::LineReader& input) : out_(out), input_(input) {}
    void write(const std::string& text) override {
        std::fwrite(text.data(), 1, text.size(), out_);
        std::fflush(out_);
    }
    bool interrupted() override { return input_.arrived(); }
    void wait() override { input_.wait(); }
    void onInterrupt(std::function<void()> call) override { input_.onArrival(std::move(call)); }

private:
    std::FILE* out_;
    tolvan::gtp_server::LineReader& input_;
};

}  // namespace

int main(int argc, char** argv) {
    tolvan::gtp_server::Engine::Options options;
    // A new seed at each start, as the window's levels have: a match of many games
    // between two levels is not one game played again and again.
    options.seed = std::random_device{}();
    bool bookGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--book" && i + 1 < argc) {
            options.book = argv[++i];
            bookGiven = true;
        } else if (a == "--second" && i + 1 < argc) {
            const std::string v = argv[++i];
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || n < 0 || n > 59) {
                std::fprintf(stderr, "tolvan-gtp: --second takes a number from 0 to 59\n");
                return 2;
            }
            options.second = static_cast<int>(n);
        } else if (a == "--level" && i + 1 < argc) {
            const std::string v = argv[++i];
            if (v.size() != 1 || v[0] < '1' || v[0] > '5') {
                std::fprintf(stderr, "tolvan-gtp: --level takes a number from 1 to 5\n");
                return 2;
            }
            options.level = v[0] - '0';
        } else if (a == "--threads" && i + 1 < argc) {
            const std::string v = argv[++i];
            if (v.size() != 1 || v[0] < '1' || v[0] > '8') {
                std::fprintf(stderr, "tolvan-gtp: --threads takes a number from 1 to 8\n");
                return 2;
            }
            options.threads = v[0] - '0';
        } else if (a == "--seed" && i + 1 < argc) {
            const std::string v = argv[++i];
            char* end = nullptr;
            const unsigned long long n = std::strtoull(v.c_str(), &end, 10);
            if (v.empty() || v[0] == '-' || *end != '\0') {
                std::fprintf(stderr, "tolvan-gtp: --seed takes a number from 0 up\n");
                return 2;
            }
            options.seed = n;
        } else if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else {
            usage(stderr);
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

    if (!bookGiven) options.book = defaultBook();
    // The search's pattern table beside the program; without it, the built-in shapes.
    if (options.level)
        if (const auto why = tolvan::search::useShippedPatterns(
                tolvan::placesOfThisProgram().dataFile(tolvan::search::patterns_file)))
            std::fprintf(stderr, "tolvan-gtp: the pattern table cannot be read (%s); using built-in shapes\n",
                         why->c_str());
    tolvan::gtp_server::Engine engine(options);
    if (engine.game().s.joseki_count == 0)
        std::fprintf(stderr, "tolvan-gtp: no opening book in %s; playing without one\n",
                     options.book.c_str());
    // The lines are read ahead on a thread of their own, so that an analysis that goes on
    // until the controller speaks again sees the next line arrive. A line beyond the bound
    // is read to its end but not kept, and answered as refused.
    tolvan::gtp_server::LineReader input(STDIN_FILENO);
    Output output(out, input);
    std::string line;
    for (tolvan::gtp_server::LineRead r; (r = input.next(line)) != tolvan::gtp_server::LineRead::end;) {
        const std::string response = r == tolvan::gtp_server::LineRead::whole ? engine.execute(line, output)
                                                                         : engine.executeTruncated(line);
        if (!response.empty()) output.write(response);
        if (engine.quitting()) break;
    }
    std::fclose(out);
    return 0;
}
