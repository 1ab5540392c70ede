// tolvan_fake_engine: a GTP engine for the tests of the engine port. The game's own GTP
// engine answers every command, so its moves are legal; options make it misbehave in the
// ways a real engine can.
//
//   --slow SECONDS   waits this long before answering each genmove and final_status_list
//   --die-at N       exits without an answer at the Nth genmove (status 3)
//   --garbage        answers genmove with a line that is no GTP reply
//   --answer TEXT    answers genmove with "= TEXT"
//   --illegal        answers genmove with an occupied point (when there is a stone)
//   --pass           passes at every genmove
//   --resign         resigns at every genmove
//   --exit-now       exits at once, before reading anything (status 1)
//   --only-size N    refuses boardsize with any other number of lines
//   --banner TEXT    writes TEXT as a line on standard output at start
//   --stderr TEXT    writes TEXT as a line on standard error at start
//   --ignore-quit    answers quit but goes on, and ignores the end of its input
//   --log FILE       appends every command line it reads to FILE
//   --book FILE      the opening book (default: none, so that every game starts alike)
//   --dead TEXT      answers final_status_list dead with TEXT, each '/' starting a new
//                    line (without it the game's own judgement answers)
//   --arcade         no GTP engine at all, as an arcade game that shares an engine's name:
//                    reads its input and never answers, and ignores SIGTERM and the end of
//                    its input (after --banner, if any)
//   --child          starts a child that does the same, in its own process group
//   --child-apart    starts such a child in a session (and process group) of its own
//   --pids FILE      appends its process id, and its child's, to FILE, a line each
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "gtp_server/engine.h"
#include "rules/geometry.h"

namespace {

struct Options {
    double slow = 0;
    int die_at = 0;
    bool garbage = false;
    std::string answer;
    bool illegal = false;
    bool pass = false;
    bool resign = false;
    bool exit_now = false;
    std::string only_size;
    std::string banner;
    std::string error_text;
    bool ignore_quit = false;
    std::string log;
    std::string book = "/nonexistent/no-book";
    std::optional<std::string> dead;
    bool arcade = false;
    int child = 0;  // 1: in the group, 2: apart
    std::string pids;
};

// Appends this process's id to the file `path`, as one line.
void notePid(const std::string& path) {
    if (path.empty()) return;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string line = std::to_string(getpid()) + "\n";
    [[maybe_unused]] const ssize_t n = write(fd, line.data(), line.size());
    close(fd);
}

// Lives until it is killed: SIGTERM is ignored.
[[noreturn]] void liveOn() {
    for (;;) pause();
}

// The id and the command name of a command line.
void split(const std::string& line, std::string& id, std::string& name, std::string& colour) {
    std::istringstream in(line);
    std::string w;
    in >> w;
    if (!w.empty() && std::all_of(w.begin(), w.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        })) {
        id = w;
        in >> w;
    }
    name = w;
    in >> colour;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "fake engine: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--slow")
            o.slow = std::atof(value().c_str());
        else if (a == "--die-at")
            o.die_at = std::atoi(value().c_str());
        else if (a == "--garbage")
            o.garbage = true;
        else if (a == "--answer")
            o.answer = value();
        else if (a == "--illegal")
            o.illegal = true;
        else if (a == "--pass")
            o.pass = true;
        else if (a == "--resign")
            o.resign = true;
        else if (a == "--exit-now")
            o.exit_now = true;
        else if (a == "--only-size")
            o.only_size = value();
        else if (a == "--banner")
            o.banner = value();
        else if (a == "--stderr")
            o.error_text = value();
        else if (a == "--ignore-quit")
            o.ignore_quit = true;
        else if (a == "--log")
            o.log = value();
        else if (a == "--book")
            o.book = value();
        else if (a == "--dead") {
            std::string text = value();
            std::replace(text.begin(), text.end(), '/', '\n');
            o.dead = text;
        }
        else if (a == "--arcade")
            o.arcade = true;
        else if (a == "--child")
            o.child = 1;
        else if (a == "--child-apart")
            o.child = 2;
        else if (a == "--pids")
            o.pids = value();
        else {
            std::fprintf(stderr, "fake engine: unknown option %s\n", a.c_str());
            return 2;
        }
    }

    if (!o.error_text.empty()) std::fprintf(stderr, "%s\n", o.error_text.c_str());
    std::fflush(stderr);
    if (o.exit_now) return 1;

    // Standard output belongs to the protocol; anything else the game writes goes to
    // standard error.
    const int protocol_fd = dup(STDOUT_FILENO);
    if (protocol_fd < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return 1;
    std::FILE* out = fdopen(protocol_fd, "w");
    if (!out) return 1;
    auto say = [out](const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fflush(out);
    };
    if (!o.banner.empty()) say(o.banner + "\n");

    if (o.arcade) {
        signal(SIGTERM, SIG_IGN);
        if (o.child) {
            const pid_t child = fork();
            if (child == 0) {
                if (o.child == 2) setsid();
                notePid(o.pids);
                liveOn();
            }
        }
        notePid(o.pids);
        // Whatever it is told goes nowhere; the end of its input changes nothing.
        char buffer[512];
        while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
        }
        liveOn();
    }

    std::FILE* log = o.log.empty() ? nullptr : std::fopen(o.log.c_str(), "a");
    tolvan::gtp_server::Engine::Options engineOptions;
    engineOptions.book = o.book;
    engineOptions.second = 0;
    tolvan::gtp_server::Engine engine(engineOptions);

    int genmoves = 0;
    for (;;) {
        std::string line;
        if (!std::getline(std::cin, line)) {
            if (!o.ignore_quit) break;
            // Deaf to the end of its input: only a kill ends it.
            std::cin.clear();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        if (log) {
            std::fprintf(log, "%s\n", line.c_str());
            std::fflush(log);
        }
        std::string id, name, colour;
        split(line, id, name, colour);
        if (name == "boardsize" && !o.only_size.empty() && colour != o.only_size) {
            say("?" + id + " unacceptable size\n\n");
            continue;
        }
        if (name == "final_status_list") {
            if (o.slow > 0) std::this_thread::sleep_for(std::chrono::duration<double>(o.slow));
            if (o.dead && colour == "dead") {
                say("=" + id + " " + *o.dead + "\n\n");
                continue;
            }
        }
        if (name == "genmove") {
            ++genmoves;
            if (o.slow > 0) std::this_thread::sleep_for(std::chrono::duration<double>(o.slow));
            if (o.die_at > 0 && genmoves == o.die_at) {
                std::fprintf(stderr, "fake engine: dying at genmove %d\n", genmoves);
                return 3;
            }
            if (o.garbage) {
                say("I would rather not say\n\n");
                continue;
            }
            if (!o.answer.empty()) {
                say("=" + id + " " + o.answer + "\n\n");
                continue;
            }
            if (o.pass || o.resign) {
                if (o.pass) engine.execute("play " + colour + " pass");
                say("=" + id + (o.pass ? " pass" : " resign") + "\n\n");
                continue;
            }
            if (o.illegal) {
                const auto& s = engine.game().s;
                std::string occupied;
                for (int y = 1; y <= s.size && occupied.empty(); ++y)
                    for (int x = 1; x <= s.size && occupied.empty(); ++x)
                        if (s.board[x][y] != 0) occupied = tolvan::rules::vertexName({x, y}, s.size);
                if (!occupied.empty()) {
                    say("=" + id + " " + occupied + "\n\n");
                    continue;
                }
            }
        }
        const std::string reply = engine.execute(line);
        if (reply.empty()) continue;
        say(reply);
        if (engine.quitting() && !o.ignore_quit) break;
    }
    if (log) std::fclose(log);
    std::fclose(out);
    return 0;
}
