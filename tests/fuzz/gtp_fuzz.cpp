// The GTP engine on arbitrary command lines. The input is a session: its lines are sent
// to a fresh engine one by one. Every response must be framed as GTP 2 says (a "=" or
// "?" line, then an empty line that ends it and no empty line before), and after every
// command the board must be a legal position. The session runs in a folder of its own,
// where loadsgf and printsgf find a record, a folder and a missing file by name.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fuzz/position_check.h"
#include "gtp_server/engine.h"

namespace {

using namespace tolvan;

// The book beside the engine in the run directory, when the tests name one.
std::string bookFile() {
    const char* dir = std::getenv("TOLVAN_RUN_DIR");
    return dir ? std::string(dir) + "/Tolvan.定石" : std::string("no-book");
}

namespace fs = std::filesystem;

// The files the dictionary and the corpus name: "record.sgf", a record with setup
// stones, comments, a pass and PL; "folder", a folder; "missing.sgf", no file at all.
// Made afresh for every input, since printsgf writes over them, in a folder of this
// process that is removed at its exit.
class Files {
public:
    Files() : dir_(fs::temp_directory_path() / ("tolvan-fuzz-" + std::to_string(getpid()) + "-gtp")) {}
    ~Files() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // Makes the files again and makes their folder the working one, until leave().
    void enter() {
        back_ = open(".", O_RDONLY | O_DIRECTORY);
        std::error_code ec;
        fs::remove_all(dir_, ec);
        fs::create_directories(dir_ / "folder", ec);
        std::ofstream(dir_ / "record.sgf", std::ios::binary)
            << "(;FF[4]GM[1]CA[UTF-8]SZ[9]KM[6.5]PB[黒]PW[白]AB[cc]AW[gg]\n"
               ";W[ee]C[a comment\n\non two lines];B[];W[dd]PL[W])\n";
        if (chdir(dir_.c_str()) != 0) std::abort();
    }
    void leave() {
        if (back_ >= 0 && fchdir(back_) != 0) std::abort();
        if (back_ >= 0) close(back_);
    }

private:
    fs::path dir_;
    int back_ = -1;
};

// printsgf writes where it is told. A name without "/" is one in the session's folder,
// which holds no link: every "/" of a line that may be a printsgf (read as the engine
// reads it, without control characters, in any case) becomes "_", so that no input
// reaches a file outside the folder.
std::string confined(std::string line) {
    std::string plain;
    for (char c : line)
        if (static_cast<unsigned char>(c) >= 32 && c != 127)
            plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (plain.find("printsgf") != std::string::npos) std::replace(line.begin(), line.end(), '/', '_');
    return line;
}

void fail(const std::string& line, const std::string& response, const std::string& what) {
    std::fprintf(stderr, "command: %s\nresponse: %s\n%s\n", line.c_str(), response.c_str(),
                 what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gtp_server::Engine::Options options;
    options.book = bookFile();
    options.second = 7;
    auto engine = std::make_unique<gtp_server::Engine>(options);

    static Files files;
    files.enter();
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    // The computer's moves are by far the slowest commands: a dozen per input keeps the
    // fuzzer on the protocol (the soak plays whole games).
    int moves = 0;
    // Enough commands for a game's opening, few enough to keep each input quick.
    for (int commands = 0; start <= input.size() && commands < 64; ++commands) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = confined(input.substr(start, end - start));
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
    files.leave();
    return 0;
}
