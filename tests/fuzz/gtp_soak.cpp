// A soak of the GTP engine: many games of the computer against itself and against
// random moves, on 9, 13 and 19 lines in turn, with handicaps, komi, undo in bursts and
// every query a controller sends, checking after every command that the response is
// framed and the position legal.
//
//   gtp_soak [--games N] [--seed S]
//
// Prints what was played; exits with 1 at the first problem, after printing it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/position_check.h"
#include "gtp_server/engine.h"

namespace {

using namespace tolvan;

struct Random {
    std::uint64_t state;
    std::uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
};

struct Counts {
    long games = 0, commands = 0, stones = 0, passes = 0, undos = 0, refused = 0;
};

class Soak {
public:
    Soak(gtp_server::Engine& e, Counts& c, long game) : e_(e), c_(c), game_(game) {}

    // Sends one command and checks the response and the position; false on a problem.
    bool send(const std::string& command, std::string* answer = nullptr) {
        ++c_.commands;
        const std::string r = e_.execute(command);
        std::string problem;
        if (r.size() < 3 || (r[0] != '=' && r[0] != '?') || r.compare(r.size() - 2, 2, "\n\n") != 0 ||
            r.find("\n\n") != r.size() - 2)
            problem = "badly framed response";
        if (problem.empty()) problem = fuzz::positionProblem(e_.game().s);
        if (!problem.empty()) {
            std::fprintf(stderr, "game %ld, command \"%s\": %s\nresponse: %s\n", game_,
                         command.c_str(), problem.c_str(), r.c_str());
            return false;
        }
        ok_ = r[0] == '=';
        if (answer) *answer = r.substr(2, r.size() - 4);
        return true;
    }
    bool ok() const { return ok_; }

private:
    gtp_server::Engine& e_;
    Counts& c_;
    long game_;
    bool ok_ = true;
};

// GTP's name of point (x, y) of a board of `size` lines, y counted from the top.
std::string vertex(int x, int y, int size) {
    return std::string(1, static_cast<char>(x <= 8 ? 'A' + x - 1 : 'A' + x)) + std::to_string(size + 1 - y);
}

// One game on `size` lines; false at the first problem.
bool playGame(const std::string& book, int size, Random& rnd, Counts& c, long number) {
    gtp_server::Engine::Options options;
    options.book = book;
    options.second = rnd.below(60);
    gtp_server::Engine engine(options);
    Soak g(engine, c, number);

    if (!g.send("boardsize " + std::to_string(size)) || !g.send("clear_board")) return false;
    if (!g.send(rnd.chance(50) ? "komi 0" : "komi 6.5")) return false;
    // A handicap in one of the three ways a controller sets one up.
    switch (rnd.below(5)) {
    case 0:
        if (!g.send("fixed_handicap " + std::to_string(2 + rnd.below(8)))) return false;
        break;
    case 1:
        if (!g.send("place_free_handicap " + std::to_string(2 + rnd.below(12)))) return false;
        break;
    case 2: {
        std::string stones;
        for (int k = 2 + rnd.below(6); k > 0; --k) stones += " " + vertex(1 + rnd.below(size), 1 + rnd.below(size), size);
        if (!g.send("set_free_handicap" + stones)) return false;
        break;
    }
    default:
        break;
    }

    const char* queries[] = {"showboard", "final_score", "final_status_list dead",
                             "final_status_list alive", "captures b", "captures w",
                             "list_stones b", "tolvan-owners", "tolvan-point_scores w"};
    bool black = true;
    int passes = 0, turns = 0;
    while (passes < 2 && turns < 700) {
        ++turns;
        const std::string colour = black ? "b" : "w";
        const int what = rnd.below(100);
        if (what < 70) {
            // The computer moves for this colour.
            std::string move;
            if (!g.send("genmove " + colour, &move)) return false;
            passes = move == "pass" ? passes + 1 : 0;
            ++(move == "pass" ? c.passes : c.stones);
        } else if (what < 85) {
            // A random point, legal or not, or a pass.
            const bool pass = rnd.chance(5);
            const std::string at = pass ? "pass" : vertex(1 + rnd.below(size), 1 + rnd.below(size), size);
            if (!g.send("play " + colour + " " + at)) return false;
            if (!g.ok()) {
                ++c.refused;
                continue;  // the same colour tries again
            }
            passes = pass ? passes + 1 : 0;
            ++(pass ? c.passes : c.stones);
        } else if (what < 93) {
            // Undo a burst of moves, as far as there are any; the colour to move follows.
            for (int k = 1 + rnd.below(6); k > 0; --k) {
                if (!g.send("undo")) return false;
                if (!g.ok()) break;
                ++c.undos;
                black = !black;
            }
            passes = 0;
            continue;
        } else {
            if (!g.send(queries[rnd.below(static_cast<int>(sizeof queries / sizeof *queries))]))
                return false;
            continue;
        }
        black = !black;
    }
    if (!g.send("final_score") || !g.send("final_status_list dead")) return false;
    ++c.games;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long games = 200;
    std::uint64_t seed = 20261207;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--games") games = std::strtol(argv[i + 1], nullptr, 10);
        if (a == "--seed") seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    const char* dir = std::getenv("TOLVAN_RUN_DIR");
    const std::string book = dir ? std::string(dir) + "/Tolvan.定石" : "no-book";

    Random rnd{seed};
    Counts c;
    // Each size in turn, so that a few games already play all three.
    const int sizes[] = {9, 13, 19};
    for (long n = 1; n <= games; ++n)
        if (!playGame(book, sizes[(n - 1) % 3], rnd, c, n)) return 1;
    std::printf("%ld games, %ld commands: %ld stones, %ld passes, %ld undos, %ld refused moves\n",
                c.games, c.commands, c.stones, c.passes, c.undos, c.refused);
    return 0;
}
