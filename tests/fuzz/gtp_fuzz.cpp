// The GTP engine on arbitrary command lines. The input is a session: its lines are sent
// to a fresh engine one by one. Every response must be framed as GTP 2 says (a "=" or
// "?" line, then an empty line that ends it and no empty line before), and after every
// command the board must be a legal position.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/position_check.h"
#include "gtp/engine.h"

namespace {

using namespace tolvan;

// The book beside the engine in the run directory, when the tests name one.
std::string bookFile() {
    const char* dir = std::getenv("TOLVAN_RUN_DIR");
    return dir ? std::string(dir) + "/Tolvan.定石" : std::string("no-book");
}

void fail(const std::string& line, const std::string& response, const std::string& what) {
    std::fprintf(stderr, "command: %s\nresponse: %s\n%s\n", line.c_str(), response.c_str(),
                 what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gtp::Engine::Options options;
    options.book = bookFile();
    options.second = 7;
    auto engine = std::make_unique<gtp::Engine>(options);

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    // The computer's moves are by far the slowest commands: a dozen per input keeps the
    // fuzzer on the protocol (the soak plays whole games).
    int moves = 0;
    // Enough commands for a game's opening, few enough to keep each input quick.
    for (int commands = 0; start <= input.size() && commands < 64; ++commands) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        start = end + 1;
        if (line.find("genmove") != std::string::npos && ++moves > 12) continue;

        const std::string r = engine->execute(line);
        if (!r.empty()) {
            if (r[0] != '=' && r[0] != '?') fail(line, r, "no = or ? at the start");
            if (r.size() < 3 || r.compare(r.size() - 2, 2, "\n\n") != 0)
                fail(line, r, "not ended by an empty line");
            if (r.find("\n\n") != r.size() - 2) fail(line, r, "an empty line inside");
        }
        const std::string problem = fuzz::positionProblem(engine->game().s);
        if (!problem.empty()) fail(line, r, problem);
        if (engine->quitting()) break;
    }
    return 0;
}
