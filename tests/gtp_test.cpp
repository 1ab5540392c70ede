// The GTP engine as a controller sees it: a child process spoken to through pipes.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fake_platform.h"
#include "hostile_files.h"

extern char** environ;

namespace tolvan::testing {
namespace {

std::string runDir() {
    const char* dir = std::getenv("TOLVAN_RUN_DIR");
    return dir ? dir : "";
}
std::string enginePath() { return runDir() + "/tolvan-gtp"; }

struct Response {
    bool ok = false;
    std::string id;
    std::string text;  // after "= " or "? "; the lines of a longer answer joined by '\n'
};

// How an engine is started, besides its arguments.
struct Launch {
    bool book = true;   // give it the run directory's book with --book
    std::string dir;    // its working directory; empty for the test's own
    bool errors = false;  // keep its standard error apart, for errors()
};

// One engine process, spoken to through pipes on its standard input and output.
class GtpProcess {
public:
    // `program`: another engine to start instead, given no book.
    explicit GtpProcess(std::vector<std::string> args = {}, const Launch& launch = {},
                        const std::string& program = {}) {
        signal(SIGPIPE, SIG_IGN);
        if (launch.book && program.empty()) args.insert(args.begin(), {"--book", runDir() + "/Tolvan.定石"});
        args.insert(args.begin(), program.empty() ? enginePath() : program);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int in[2], out[2], err[2] = {-1, -1};
        if (pipe(in) != 0 || pipe(out) != 0 || (launch.errors && pipe(err) != 0)) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
        if (launch.errors) posix_spawn_file_actions_adddup2(&fa, err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            if (fd >= 0) posix_spawn_file_actions_addclose(&fa, fd);
        if (!launch.dir.empty()) posix_spawn_file_actions_addchdir_np(&fa, launch.dir.c_str());
        if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(in[0]);
        close(out[1]);
        to_ = fdopen(in[1], "w");
        from_ = fdopen(out[0], "r");
        if (launch.errors) {
            close(err[1]);
            errors_ = fdopen(err[0], "r");
        }
    }
    ~GtpProcess() {
        if (to_) finish();
        if (from_) std::fclose(from_);
        if (errors_) std::fclose(errors_);
    }

    void write(const std::string& text) {
        std::fputs(text.c_str(), to_);
        std::fflush(to_);
    }
    // One response, up to its closing empty line; not ok and empty at the end of output.
    Response read() {
        Response r;
        std::string first, rest;
        for (char line[512]; std::fgets(line, sizeof line, from_) && line[0] != '\n';) {
            std::string l(line);
            if (l.back() == '\n') l.pop_back();
            if (first.empty()) first = l; else rest += (rest.empty() ? "" : "\n") + l;
        }
        if (first.empty() || (first[0] != '=' && first[0] != '?')) return r;
        std::size_t k = first.find_first_not_of("0123456789", 1);
        r.ok = first[0] == '=';
        r.id = first.substr(1, k == std::string::npos ? std::string::npos : k - 1);
        r.text = k == std::string::npos || k + 1 >= first.size() ? "" : first.substr(k + 1);
        r.text += (r.text.empty() || rest.empty() ? "" : "\n") + rest;
        return r;
    }
    Response send(const std::string& command) {
        write(command + "\n");
        return read();
    }
    // One line of output, without its end; empty at the end of output.
    std::string line() {
        std::string l;
        for (int c; (c = std::fgetc(from_)) != EOF && c != '\n';) l += static_cast<char>(c);
        return l;
    }
    // The answer to a command that must succeed, or the error text of one that must fail.
    std::string ok(const std::string& command) {
        Response r = send(command);
        EXPECT_TRUE(r.ok) << command << " -> ? " << r.text;
        return r.text;
    }
    std::string fail(const std::string& command) {
        Response r = send(command);
        EXPECT_FALSE(r.ok) << command << " -> = " << r.text;
        return r.text;
    }
    // What the engine wrote on standard error when the launch kept it apart; read after
    // finish().
    std::string errors() {
        std::string text;
        for (int c; errors_ && (c = std::fgetc(errors_)) != EOF;) text += static_cast<char>(c);
        return text;
    }
    // Closes the engine's input; its exit status.
    int finish() {
        std::fclose(to_);
        to_ = nullptr;
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::FILE* to_ = nullptr;
    std::FILE* from_ = nullptr;
    std::FILE* errors_ = nullptr;
};

#define REQUIRE_ENGINE() \
    if (!std::filesystem::exists(enginePath())) GTEST_SKIP() << "no " << enginePath()

// GTP's name of board point (x, y), x from the left, y from the top.
std::string vertex(int x, int y) {
    return std::string(1, static_cast<char>(x <= 8 ? 'A' + x - 1 : 'A' + x)) + std::to_string(20 - y);
}

namespace fs = std::filesystem;
using Stones = std::set<std::string>;
Stones words(const std::string& text) {
    std::istringstream in(text);
    Stones out;
    for (std::string w; in >> w;) out.insert(w);
    return out;
}

TEST(GtpProtocol, AdministrativeCommands) {
    REQUIRE_ENGINE();
    GtpProcess e;
    EXPECT_EQ(e.ok("protocol_version"), "2");
    EXPECT_EQ(e.ok("name"), "Tolvan");
    EXPECT_EQ(e.ok("version"), "1.0");

    // Ids are echoed; comments and blank lines get no answer at all.
    e.write("\n   \n# just a comment\n");
    Response r = e.send("17 name # trailing comment");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.id, "17");
    EXPECT_EQ(r.text, "Tolvan");
    r = e.send("18 boardsize 7");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.id, "18");
    EXPECT_EQ(r.text, "unacceptable size");
    e.ok("boardsize 19");
    // A line beyond 1 MiB is refused unread, and only that line.
    e.write("19 play b " + std::string(2 << 20, 'x') + "\n");
    r = e.read();
    EXPECT_EQ(std::make_tuple(r.ok, r.id, r.text), std::make_tuple(false, std::string("19"), std::string("line too long")));
    EXPECT_EQ(e.ok("name"), "Tolvan");

    const auto listed = words(e.ok("list_commands"));
    for (const char* c : {"protocol_version", "name", "version", "known_command", "list_commands",
                          "quit", "boardsize", "clear_board", "komi", "play", "genmove", "undo",
                          "list_stones", "showboard", "captures", "final_score", "fixed_handicap",
                          "set_free_handicap", "place_free_handicap", "final_status_list",
                          "time_settings", "time_left", "kgs-time_settings",
                          "gogui-analyze_commands", "tolvan-point_scores", "tolvan-owners",
                          "tolvan-count_score", "reg_genmove", "estimate_score",
                          "tolvan-estimate_dead", "tolvan-ownership"}) {
        EXPECT_TRUE(listed.count(c)) << c;
        EXPECT_EQ(e.ok(std::string("known_command ") + c), "true");
    }
    EXPECT_EQ(e.ok("known_command tolvan-no_such_command"), "false");
    EXPECT_EQ(e.fail("tolvan-no_such_command b"), "unknown command");
    EXPECT_EQ(e.fail("komi many"), "komi not a float");

    EXPECT_TRUE(e.send("quit").ok);
    EXPECT_EQ(e.finish(), 0);

    GtpProcess bad({"--second", "60"});
    EXPECT_EQ(bad.finish(), 2);
}

// Without --level the engine is the built-in player it was before the search came: a
// session of every kind of answer, the list of commands first, is answered byte for byte
// as then (lz-analyze unknown). Catches: a command listed, known or answered differently
// without a level.
TEST(GtpProtocol, WithoutALevelTheAnswersAreAsBefore) {
    REQUIRE_ENGINE();
    const std::string data = std::string(TOLVAN_TEST_DATA) + "/gtp/without_level.";
    std::FILE* p = popen(("'" + enginePath() + "' --book '" + runDir() + "/Tolvan.定石' --second 7 < '" + data +
                          "session'").c_str(), "r");
    ASSERT_TRUE(p);
    std::string answers;
    for (int c; (c = std::fgetc(p)) != EOF;) answers += static_cast<char>(c);
    EXPECT_EQ(pclose(p), 0);
    std::ifstream before(data + "answers", std::ios::binary);
    EXPECT_EQ(answers, std::string(std::istreambuf_iterator<char>(before), {}));
}

// With a level, lz-analyze goes on until the controller's next line, which is then
// answered as usual; the end of the input ends it too. Catches: a stream that never ends
// or ends unasked, the next command lost or answered inside the stream, an empty line
// inside it, and the analysis missing from the list of commands.
TEST(GtpSearch, AnalysisStopsAtTheNextCommandWhichIsAnswered) {
    REQUIRE_ENGINE();
    GtpProcess e({"--level", "1", "--threads", "1"});
    const Stones listed = words(e.ok("list_commands"));
    EXPECT_TRUE(listed.count("lz-analyze") && listed.count("lz-genmove_analyze"));
    EXPECT_EQ(e.ok("known_command lz-genmove_analyze"), "true");
    e.ok("boardsize 9");
    e.write("3 lz-analyze b 5\n");
    EXPECT_EQ(e.line(), "=3");
    EXPECT_EQ(e.line().rfind("info move ", 0), 0u);
    e.write("4 name\n");
    for (std::string l; !(l = e.line()).empty();) EXPECT_EQ(l.rfind("info move ", 0), 0u) << l;
    const Response r = e.read();
    EXPECT_EQ(std::make_pair(r.id, r.text), std::make_pair(std::string("4"), std::string("Tolvan")));
    e.write("lz-analyze w 5\n");
    EXPECT_EQ(e.line(), "=");
    EXPECT_EQ(e.finish(), 0);
}

// The search's seed: two starts with the same --seed play the same moves; starts without
// one differ, so that a match of many games between two levels on one thread is not one
// game played again and again (it was: every start had the seed 1). A bad seed is refused.
TEST(GtpSearch, TheSeedIsNewAtEachStartUnlessGiven) {
    REQUIRE_ENGINE();
    auto moves = [](std::vector<std::string> args) {
        for (const char* a : {"--level", "1", "--threads", "1"}) args.push_back(a);
        GtpProcess e(args);
        e.ok("boardsize 9");
        std::string played;
        for (int i = 0; i < 8; ++i) played += e.ok(i % 2 ? "genmove w" : "genmove b") + " ";
        EXPECT_TRUE(e.send("quit").ok);
        EXPECT_EQ(e.finish(), 0);
        return played;
    };
    EXPECT_EQ(moves({"--seed", "5"}), moves({"--seed", "5"}));
    std::set<std::string> games;
    for (int start = 0; start < 4; ++start) games.insert(moves({}));
    EXPECT_GT(games.size(), 1u) << *games.begin();
    for (const char* bad : {"-1", "x", ""}) {
        GtpProcess refused({"--seed", bad});
        EXPECT_EQ(refused.finish(), 2) << bad;
    }
}

// What controllers send, checked as GTP defines it: command names are case sensitive
// (colours and vertices are not), clock settings are taken when well formed, and komi
// must be one a game is played with. A refused command leaves everything as it was.
TEST(GtpProtocol, ArgumentsAreCheckedAsGtpDefines) {
    REQUIRE_ENGINE();
    GtpProcess e;
    e.ok("komi 6.5");
    for (const char* c : {"play BLACK d4", "time_settings 600 30 5", "time_left WHITE 25 3",
                          "kgs-time_settings none", "kgs-time_settings absolute 900",
                          "kgs-time_settings byoyomi 600 30 5", "kgs-time_settings canadian 600 300 25"})
        e.ok(c);
    const std::pair<const char*, const char*> refused[] = {
        {"NAME", "unknown command"},        {"Genmove b", "unknown command"},
        {"komi 1e100", "syntax error"},     {"komi -1001", "syntax error"},
        {"komi nan", "syntax error"},       {"komi 6.5x", "komi not a float"},
        {"time_settings 600 30", "syntax error"},   {"time_settings -1 30 5", "syntax error"},
        {"time_left red 300 0", "syntax error"},    {"time_left b 2.5 0", "syntax error"},
        {"kgs-time_settings byoyomi 600 30", "syntax error"},
        {"kgs-time_settings fischer 600 10", "syntax error"},
    };
    for (auto [command, error] : refused) EXPECT_EQ(e.fail(command), error) << command;
    EXPECT_EQ(e.ok("known_command PLAY"), "false");
    EXPECT_EQ(words(e.ok("list_stones B")), (Stones{"D4"}));
    EXPECT_EQ(e.ok("final_score"), "W+6.5");
}

TEST(GtpPlay, VerticesCountRowsFromTheBottomAndSkipI) {
    REQUIRE_ENGINE();
    GtpProcess e;
    e.ok("play b A1");
    e.ok("play white t19");
    e.ok("play B j10");
    EXPECT_EQ(words(e.ok("list_stones black")), (Stones{"A1", "J10"}));
    EXPECT_EQ(words(e.ok("list_stones w")), (Stones{"T19"}));

    // Rows with their numbers in front, star points as +; J, the ninth column, follows H.
    const std::string board = "\n" + e.ok("showboard");
    EXPECT_NE(board.find("\n 1 X . . . . . . . . . . . . . . . . . . "), std::string::npos) << board;
    EXPECT_NE(board.find("\n19 . . . . . . . . . . . . . . . . . . O "), std::string::npos) << board;
    EXPECT_NE(board.find("\n10 . . . + . . . . X + "), std::string::npos) << board;

    EXPECT_EQ(e.fail("play b I5"), "invalid color or coordinate");
    EXPECT_EQ(e.fail("play red A2"), "invalid color or coordinate");
    // A vertex off the board is malformed, not a move the rules refuse.
    for (const char* v : {"A20", "U1", "A0", "Z99", "a100"})
        EXPECT_EQ(e.fail(std::string("play b ") + v), "invalid color or coordinate") << v;
    EXPECT_EQ(e.fail("play b J10"), "illegal move");
    e.ok("play b pass");
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"A1", "J10"}));
}

// A ko on the left edge: black B10 has just taken white's A10, and white's immediate
// retake on A10 would take B10 back.
void setUpKo(GtpProcess& e) {
    for (const char* m : {"play b A11", "play b A9", "play w B11", "play w B9", "play w C10",
                          "play w A10", "play b B10"})
        e.ok(m);
}

TEST(GtpPlay, CapturesSuicideAndKo) {
    REQUIRE_ENGINE();
    GtpProcess e;
    setUpKo(e);
    EXPECT_EQ(words(e.ok("list_stones w")), (Stones{"B11", "B9", "C10"}));
    EXPECT_EQ(e.ok("captures b"), "1");
    EXPECT_EQ(e.ok("captures w"), "0");

    EXPECT_EQ(e.fail("play w B10"), "illegal move") << "occupied";
    EXPECT_EQ(e.fail("play w A10"), "illegal move") << "immediate ko retake";
    e.ok("play w S1");
    e.ok("play w T2");
    EXPECT_EQ(e.fail("play b T1"), "illegal move") << "suicide";
    // Refused moves change nothing.
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"A11", "A9", "B10"}));
    EXPECT_EQ(e.ok("captures b"), "1");

    // After a move elsewhere the ko can be taken back, and then black must wait.
    e.ok("play b Q16");
    e.ok("play w A10");
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"A11", "A9", "Q16"}));
    EXPECT_EQ(e.ok("captures w"), "1");
    EXPECT_EQ(e.fail("play b B10"), "illegal move");
}

// Simple ko forbids recreating the position before the opponent's last move; when that
// move was a pass, taking back at once is legal.
TEST(GtpPlay, KoRetakeRightAfterAPassIsLegal) {
    REQUIRE_ENGINE();
    GtpProcess e;
    for (const char* m : {"play b D5", "play w G5", "play b E6", "play w F6", "play b E4",
                          "play w F4", "play b A19", "play w E5", "play b F5"})
        e.ok(m);
    EXPECT_EQ(e.fail("play w E5"), "illegal move") << "immediate retake";
    e.ok("play w pass");
    e.ok("play b pass");
    e.ok("play w E5");
    EXPECT_EQ(e.ok("captures w"), "1");
    EXPECT_EQ(e.fail("play b F5"), "illegal move") << "and now black must wait";
    // Undoing back to just after the passes lifts the rule again; undoing a pass brings
    // it back.
    e.ok("undo");
    e.ok("undo");  // black's pass
    EXPECT_EQ(e.fail("play b F5"), "illegal move") << "occupied by black";
    e.ok("play b pass");
    e.ok("play w E5");
}

TEST(GtpUndo, StepsBackOverCapturesAndPasses) {
    REQUIRE_ENGINE();
    GtpProcess e;
    EXPECT_EQ(e.fail("undo"), "cannot undo");
    setUpKo(e);
    const Stones black = words(e.ok("list_stones b"));
    e.ok("play w pass");

    e.ok("undo");  // the pass
    EXPECT_EQ(words(e.ok("list_stones b")), black);
    e.ok("undo");  // B10: white's A10 comes back and black loses the prisoner
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"A11", "A9"}));
    EXPECT_EQ(words(e.ok("list_stones w")), (Stones{"B11", "B9", "C10", "A10"}));
    EXPECT_EQ(e.ok("captures b"), "0");

    // Replaying takes it again, and the game goes on from there.
    e.ok("play b B10");
    EXPECT_EQ(words(e.ok("list_stones b")), black);
    EXPECT_EQ(e.ok("captures b"), "1");
    for (int i = 0; i < 7; ++i) e.ok("undo");
    EXPECT_EQ(e.ok("list_stones b") + e.ok("list_stones w"), "");
    EXPECT_EQ(e.fail("undo"), "cannot undo");
}

TEST(GtpHandicap, StonesAreSetUpOnAnEmptyBoardOnly) {
    REQUIRE_ENGINE();
    GtpProcess e({"--second", "0"});
    EXPECT_EQ(e.ok("fixed_handicap 4"), "D4 Q16 D16 Q4");
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"D4", "Q16", "D16", "Q4"}));
    EXPECT_EQ(e.fail("fixed_handicap 2"), "board not empty");

    // White moves first into the handicap; the stones stay when its move is taken back.
    const std::string w = e.ok("genmove w");
    EXPECT_EQ(words(e.ok("list_stones w")), Stones{w});
    e.ok("undo");
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"D4", "Q16", "D16", "Q4"}));
    EXPECT_EQ(e.ok("list_stones w"), "");
    EXPECT_EQ(e.ok("captures w"), "0");

    e.ok("clear_board");
    EXPECT_EQ(e.fail("fixed_handicap 1"), "invalid number of stones");
    EXPECT_EQ(e.fail("fixed_handicap 10"), "invalid number of stones");
    EXPECT_EQ(e.ok("fixed_handicap 5"), "D4 Q16 D16 Q4 K10");
    e.ok("clear_board");
    EXPECT_EQ(e.ok("fixed_handicap 9"), "D4 Q16 D16 Q4 D10 Q10 K4 K16 K10");

    e.ok("clear_board");
    EXPECT_EQ(e.fail("set_free_handicap C3 C3"), "bad vertex list");
    EXPECT_EQ(e.fail("set_free_handicap C3 pass"), "bad vertex list");
    EXPECT_EQ(e.ok("list_stones b"), "");
    e.ok("set_free_handicap C3 R17 K10");
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"C3", "R17", "K10"}));
    EXPECT_EQ(e.fail("set_free_handicap A1 A2"), "board not empty");

    e.ok("clear_board");
    e.ok("play b A1");
    EXPECT_EQ(e.fail("fixed_handicap 2"), "board not empty");
}

// The engine's own handicap is the fixed points in their order; a request beyond the
// nine points gets the nine.
TEST(GtpHandicap, TheEnginePlacesFreeHandicapOnTheFixedPoints) {
    REQUIRE_ENGINE();
    GtpProcess e;
    for (const char* n : {"1", "361"})
        EXPECT_EQ(e.fail(std::string("place_free_handicap ") + n), "invalid number of stones");
    EXPECT_EQ(e.ok("place_free_handicap 7"), "D4 Q16 D16 Q4 D10 Q10 K10");
    EXPECT_EQ(words(e.ok("list_stones b")).size(), 7u);
    EXPECT_EQ(e.fail("place_free_handicap 2"), "board not empty");
    e.ok("clear_board");
    EXPECT_EQ(e.ok("place_free_handicap 360"), "D4 Q16 D16 Q4 D10 Q10 K4 K16 K10");
}

// The boards of 9, 13 and 19 lines: a new size clears the board, and the handicap
// points, vertices and the board shown follow it. Other sizes change nothing.
TEST(GtpBoardSize, NineThirteenAndNineteenLinesOnly) {
    REQUIRE_ENGINE();
    GtpProcess e;
    const struct {
        const char* size;
        const char* handicap;  // fixed_handicap 9
        const char* corner;    // the upper right corner, then the row past it
        const char* beyond;
    } boards[] = {
        {"9", "C3 G7 C7 G3 C5 G5 E3 E7 E5", "J9", "J10"},
        {"13", "D4 K10 D10 K4 D7 K7 G4 G10 G7", "N13", "N14"},
        {"19", "D4 Q16 D16 Q4 D10 Q10 K4 K16 K10", "T19", "T20"},
    };
    for (const auto& b : boards) {
        e.ok(std::string("boardsize ") + b.size);
        EXPECT_EQ(e.ok("fixed_handicap 9"), b.handicap);
        e.ok(std::string("play w ") + b.corner);
        EXPECT_EQ(e.fail(std::string("play w ") + b.beyond), "invalid color or coordinate");
        const std::string label = std::string(b.size[1] ? "" : " ") + b.size;
        EXPECT_NE(e.ok("showboard").find(" O " + label + "    Black"), std::string::npos) << b.size;
    }
    for (const char* n : {"7", "21"}) EXPECT_EQ(e.fail(std::string("boardsize ") + n), "unacceptable size");
    EXPECT_EQ(e.ok("list_stones w"), "T19");
}

// A position with a living group for each side, a white stone taken by black in the
// centre (whose captors are dead) and two black stones taken by white.
const char* const scored_game[] = {
    "b B19", "b D19", "b A18", "b B18", "b C18", "b D18",  // black, eyes on A19 and C19
    "w Q1",  "w S1",  "w Q2",  "w R2",  "w S2",  "w T2",   // white, eyes on R1 and T1
    "w K10", "b K11", "b J10", "b L10", "b K9",            // black takes K10
    "b C3",  "b C4",  "w B3",  "w B4",  "w D3",  "w D4",  "w C2", "w C5",  // white takes two
};

// The result of the game's own judgement message, with komi added to white.
std::string resultFromMessage(const std::string& msg, double komi) {
    std::smatch m;
    const std::regex re("黒\\[(\\d+)\\]\\+ﾊﾏ\\((\\d+)\\)   白\\[(\\d+)\\]\\+ﾊﾏ\\((\\d+)\\)");
    if (!std::regex_search(msg, m, re)) return "no judgement in: " + msg;
    const double black = std::stod(m[1]) + std::stod(m[2]);
    const double white = std::stod(m[3]) + std::stod(m[4]) + komi;
    auto number = [](double v) {
        std::ostringstream o;
        o << v;
        return o.str();
    };
    return black > white ? "B+" + number(black - white)
           : white > black ? "W+" + number(white - black)
                           : "0";
}

TEST(GtpScore, FinalScoreIsTheGamesJudgementWithKomi) {
    REQUIRE_ENGINE();
    GtpProcess e;
    EXPECT_EQ(e.ok("final_score"), "0");
    for (const std::string m : scored_game) e.ok("play " + m);
    EXPECT_EQ(e.ok("captures b"), "1");
    EXPECT_EQ(e.ok("captures w"), "2");

    // The same moves pressed on the board of a two-person game, then 勝敗判定.
    Fixture f;
    f.game->初期設定();
    f.game->TAIMAN_Click();
    for (const std::string m : scored_game) {
        const int x = m[2] < 'I' ? m[2] - 'A' + 1 : m[2] - 'A';
        const int y = 20 - std::stoi(m.substr(3));
        const int before = f.s.move_no;
        f.s.turn = m[0] == 'b' ? stone_black : stone_white;
        f.game->MouseDown(pressX(x), pressY(y));
        ASSERT_EQ(f.s.move_no, before + 1) << m;
    }
    Stones black, white;
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) {
            if (f.s.board[x][y] == stone_black) black.insert(vertex(x, y));
            if (f.s.board[x][y] == stone_white) white.insert(vertex(x, y));
        }
    ASSERT_EQ(words(e.ok("list_stones b")), black);
    ASSERT_EQ(words(e.ok("list_stones w")), white);
    f.fake.clear();
    f.game->HANTEI_Click();
    const auto shown = f.fake.lines("msg");
    ASSERT_EQ(shown.size(), 1u);

    // Areas 8 and 8, prisoners 1 and 2.
    EXPECT_EQ(e.ok("final_score"), "W+1");
    EXPECT_EQ(resultFromMessage(shown[0], 0), "W+1");
    for (double komi : {6.5, -1.0, -1.5, -3.0}) {
        std::ostringstream k;
        k << komi;
        e.ok("komi " + k.str());
        EXPECT_EQ(e.ok("final_score"), resultFromMessage(shown[0], komi)) << "komi " << komi;
    }
    EXPECT_EQ(e.ok("final_score"), "B+2");
    // Scoring leaves the position as it was.
    EXPECT_EQ(words(e.ok("list_stones b")), black);
    EXPECT_EQ(words(e.ok("list_stones w")), white);
}

// Black's group in the upper left lives by its eyes on A19 and C19 and walls in a white
// stone on B17; white's group in the lower right lives by its eyes on R1 and T1, next to
// a lone black stone on R3.
const char* const status_game[] = {
    "b B19", "b D19", "b A18", "b B18", "b C18", "b D18", "b D17", "b D16", "b C16", "b B16",
    "b A16", "w B17", "w Q1",  "w S1",  "w Q2",  "w R2",  "w S2",  "w T2",  "b R3",
};

// The entries of a board-shaped answer, rows from the top, by vertex.
std::map<std::string, std::string> boardEntries(const std::string& text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    int y = 1;
    for (std::string line; std::getline(in, line); ++y) {
        std::istringstream row(line);
        int x = 1;
        for (std::string w; row >> w; ++x) out[vertex(x, y)] = w;
    }
    return out;
}

TEST(GtpScore, FinalStatusIsTheJudgementsOwnerOfEachStone) {
    REQUIRE_ENGINE();
    GtpProcess e;
    for (const std::string m : status_game) e.ok("play " + m);
    Stones alive = words(e.ok("list_stones b") + " " + e.ok("list_stones w"));
    const Stones stones = alive, dead{"B17", "R3"};
    for (const auto& v : dead) alive.erase(v);
    EXPECT_EQ(words(e.ok("final_status_list alive")), alive);
    EXPECT_EQ(words(e.ok("final_status_list dead")), dead);
    EXPECT_EQ(e.ok("final_status_list seki"), "");
    EXPECT_EQ(e.fail("final_status_list living"), "syntax error");

    // The owners as colours: the eyes and living stones to their side, the dead stones
    // and the open points to nobody.
    auto owners = boardEntries(e.ok("tolvan-owners"));
    EXPECT_EQ(owners.size(), 361u);
    for (const char* v : {"A19", "C19", "D17"}) EXPECT_EQ(owners[v], "black") << v;
    for (const char* v : {"R1", "T1", "Q2"}) EXPECT_EQ(owners[v], "white") << v;
    for (const char* v : {"B17", "R3", "A17", "K10"}) EXPECT_EQ(owners[v], "\"\"") << v;
    EXPECT_EQ(words(e.ok("list_stones b") + " " + e.ok("list_stones w")), stones);
}

// A whole board settled: black holds the columns A..J (and K17), white the rest, each with
// eyes. In black's room E12..G10 stands a dead white stone on F11, in white's room N12..P10
// a dead black stone on O11. At the top the white group G19 J19 G18 H18 J18 K18
// (eye H19) and the black group L19 N19 L18 M18 N18 (eye M19) are in seki on K19.
std::vector<std::string> sekiGame() {
    const std::set<std::pair<int, int>> open{{8, 1},  {10, 1}, {12, 1},  {3, 5},   {3, 10}, {3, 15},
                                             {7, 17}, {16, 5}, {17, 10}, {16, 15}, {13, 17}};
    const std::set<std::pair<int, int>> whiteInner{{7, 1}, {7, 2}, {8, 2}, {9, 2}, {9, 1}, {10, 2}};
    const std::set<std::pair<int, int>> blackInner{{11, 1}, {11, 2}, {12, 2}, {13, 2}, {13, 1}};
    std::vector<std::string> black{"b " + vertex(14, 9)}, white{"w " + vertex(6, 9)};
    for (int y = 1; y <= 19; ++y)
        for (int x = 1; x <= 19; ++x) {
            const bool room = y >= 8 && y <= 10 && ((x >= 5 && x <= 7) || (x >= 13 && x <= 15));
            if (open.count({x, y}) || room) continue;
            const bool isBlack = !whiteInner.count({x, y}) &&
                                 (blackInner.count({x, y}) || x <= 9 || (x == 10 && y == 3));
            (isBlack ? black : white).push_back((isBlack ? "b " : "w ") + vertex(x, y));
        }
    black.insert(black.end(), white.begin(), white.end());
    return black;
}

// The stones of the seki on K19 are the ones each fill takes from the other: the
// judgement gives them to neither side. The stones alone in the other's room are dead.
TEST(GtpScore, FinalStatusSekiIsTheStonesGivenToNeitherSide) {
    REQUIRE_ENGINE();
    GtpProcess e;
    for (const std::string& m : sekiGame()) e.ok("play " + m);
    EXPECT_EQ(words(e.ok("final_status_list seki")),
              (Stones{"G19", "J19", "G18", "H18", "J18", "K18", "L19", "N19", "L18", "M18", "N18"}));
    EXPECT_EQ(words(e.ok("final_status_list dead")), (Stones{"F11", "O11"}));
}

// The count with the dead stones named: each named stone once, as the capturer's
// prisoner, its point and the empty points around it the capturer's territory once
// nothing of the other colour borders them; open points (dame) and the liberty two
// groups in seki share are nobody's.
TEST(GtpScore, CountScoreTakesTheNamedStonesOffAndCountsTerritory) {
    REQUIRE_ENGINE();
    GtpProcess status, seki;
    for (const std::string m : status_game) status.ok("play " + m);
    for (const std::string& m : sekiGame()) seki.ok("play " + m);
    const struct {
        GtpProcess* game;
        const char* dead;
        const char* score;
        const char* fault;  // what a wrong score would mean
    } cases[] = {
        {&status, "", "0", "dame counted for someone, or an enclosed live stone ignored"},
        {&status, "B17", "B+4", "a dead stone not taken off as a prisoner, or its point not territory"},
        {&status, "B17 R3", "B+3", "only the first dead stone taken"},
        {&status, "R3", "W+1", "a dead stone's point given to the capturer though open"},
        {&status, "B17 b17 B17", "B+4", "a dead stone counted once for each time it is named"},
        {&status, "K10 A19", "0", "a point without a stone taken for a stone"},
        {&seki, "", "0", "the liberty shared in seki counted for someone"},
        {&seki, "F11", "B+10", "the room around a dead stone not counted"},
        {&seki, "F11 O11", "0", "the second room or prisoner not counted"},
        {&seki, "K19", "0", "the empty seki liberty named dead changes the count"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.game->ok(std::string("tolvan-count_score ") + c.dead), c.score)
            << c.dead << ": " << c.fault;
    // Komi goes to white; a word that is no point of the board is refused.
    status.ok("komi 6.5");
    EXPECT_EQ(status.ok("tolvan-count_score B17 R3"), "W+3.5");
    for (const char* bad : {"Z99", "pass", "A0", "I5", "B17 U1"})
        EXPECT_EQ(status.fail(std::string("tolvan-count_score ") + bad), "invalid coordinate") << bad;
    // Counting takes nothing off the board.
    EXPECT_EQ(words(status.ok("final_status_list dead")), (Stones{"B17", "R3"}));
    EXPECT_EQ(status.ok("captures b"), "0");
}

// The estimate on the settled board with a seki: the dead stone in each room, the score
// as the count with them taken off and komi to white, each point's owner as a number.
TEST(GtpScore, EstimateAnswersOnASettledBoard) {
    REQUIRE_ENGINE();
    GtpProcess e;
    for (const std::string& m : sekiGame()) e.ok("play " + m);
    e.ok("komi 6.5");
    const struct {
        const char* command;
        const char* at;  // the entries of a board-shaped answer on these points, or all of it
        const char* answer;
    } cases[] = {
        {"estimate_score", "", "W+6.5"},
        {"tolvan-estimate_dead", "", "F11 O11"},
        {"tolvan-ownership", "A1 F11 K19 T1", "1 1 0 -1"},
    };
    for (const auto& c : cases) {
        std::string answer = e.ok(c.command);
        if (*c.at) {
            auto entries = boardEntries(answer);
            EXPECT_EQ(entries.size(), 361u);
            answer.clear();
            for (const auto& v : words(c.at)) answer += (answer.empty() ? "" : " ") + entries[v];
        }
        EXPECT_EQ(answer, c.answer) << c.command;
    }
}

// The analysis a GoGui-style controller is offered runs. Without a book the computer
// plays a point it scores highest, and asking changes nothing: an engine asked before
// every move plays the same game as one never asked.
TEST(GtpAnalyze, PointScoresAreTheComputersAndLeaveTheGameAlone) {
    REQUIRE_ENGINE();
    const std::vector<std::string> args{"--second", "0", "--book", "/nonexistent"};
    const Launch noBook{.book = false, .dir = {}, .errors = true};
    GtpProcess asked(args, noBook), quiet(args, noBook);
    std::istringstream listed(asked.ok("gogui-analyze_commands"));
    int offered = 0;
    for (std::string line; std::getline(listed, line); ++offered) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, std::regex("(sboard|cboard|plist|string)/[^/]+/(\\S+).*")));
        EXPECT_EQ(asked.ok("known_command " + m[2].str()), "true") << line;
        asked.ok(line.substr(line.rfind('/') + 1));
    }
    EXPECT_GE(offered, 3);
    EXPECT_EQ(asked.fail("tolvan-point_scores red"), "invalid color");

    for (int turn = 0; turn < 24; ++turn) {
        const std::string colour = turn % 2 ? "w" : "b";
        auto scores = boardEntries(asked.ok("tolvan-point_scores " + colour));
        asked.ok(std::string("tolvan-point_scores ") + (turn % 2 ? "b" : "w"));
        double best = -1e9;
        for (const auto& [v, score] : scores)
            if (score != "\"\"") best = std::max(best, std::stod(score));
        // reg_genmove names the move genmove plays, and plays nothing.
        const std::string named = asked.ok("reg_genmove " + colour);
        const std::string move = asked.ok("genmove " + colour);
        ASSERT_EQ(named, move) << "turn " << turn;
        ASSERT_EQ(quiet.ok("genmove " + colour), move) << "turn " << turn;
        ASSERT_TRUE(scores.count(move)) << move;
        EXPECT_EQ(std::stod(scores[move]), best) << "turn " << turn << ": " << move;
    }
}

TEST(GtpRecord, HoldsAThousandMoves) {
    REQUIRE_ENGINE();
    GtpProcess e;
    // Three kos in the shape of the one on the left edge, away from the edges. Taking
    // them in turn, black, white, black ... never retakes the ko just taken, so the
    // position repeats every six moves and the record fills up.
    const int corner[3][2] = {{2, 2}, {8, 8}, {14, 14}};
    auto at = [&](int k, int dx, int dy) { return vertex(corner[k][0] + dx, corner[k][1] + dy); };
    int moves = 0;
    for (int k = 0; k < 3; ++k) {
        for (auto [dx, dy] : {std::pair{1, 0}, {0, 1}, {1, 2}}) e.ok("play b " + at(k, dx, dy));
        for (auto [dx, dy] : {std::pair{2, 0}, {3, 1}, {2, 2}}) e.ok("play w " + at(k, dx, dy));
        // Black's stone inside the second ko, white's inside the other two.
        e.ok(k == 1 ? "play b " + at(k, 2, 1) : "play w " + at(k, 1, 1));
        moves += 7;
    }
    const std::pair<int, bool> cycle[6] = {{0, true}, {1, false}, {2, true},
                                           {0, false}, {1, true}, {2, false}};
    auto take = [&](int i) {
        const auto [k, black] = cycle[i % 6];
        return black ? "play b " + at(k, 2, 1) : "play w " + at(k, 1, 1);
    };
    int i = 0;
    for (; moves < max_moves; ++moves, ++i)
        ASSERT_TRUE(e.send(take(i)).ok) << "move " << moves + 1;
    // Every move of the cycle takes one stone, black's moves at even places of the cycle.
    int black = 0;
    for (int k = 0; k < i; ++k) black += cycle[k % 6].second ? 1 : 0;
    const std::string white = std::to_string(i - black);
    ASSERT_TRUE(cycle[(i - 1) % 6].second) << "the last move of the record is black's";

    // A legal stone is refused as the record's limit, not as a rule broken.
    EXPECT_EQ(e.fail(take(i)), "record full");
    EXPECT_EQ(e.fail("play w " + at(0, 1, 0)), "illegal move") << "occupied";
    EXPECT_EQ(e.ok("genmove b"), "pass");
    EXPECT_EQ(e.ok("genmove w"), "pass");
    EXPECT_EQ(e.ok("captures b"), std::to_string(black));
    EXPECT_EQ(e.ok("captures w"), white);
    e.ok("undo");  // genmove w's pass
    e.ok("undo");  // genmove b's pass
    e.ok("undo");  // the last move, black's capture
    EXPECT_EQ(e.ok("captures b"), std::to_string(black - 1));
    e.ok(take(i - 1));
    EXPECT_EQ(e.ok("captures b"), std::to_string(black));
    EXPECT_EQ(e.fail(take(i)), "record full");
}

// Game records: printsgf writes the game (with the passes GTP saw, and the stones taken),
// loadsgf replays a record through the rules, whole or up to a move, and a file that
// breaks the rules changes nothing.
TEST(GtpRecord, PrintsAndLoadsGameRecords) {
    REQUIRE_ENGINE();
    const fs::path dir = fs::temp_directory_path() / ("tolvan-gtp-sgf-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "game.sgf").string();
    GtpProcess e;
    setUpKo(e);
    e.ok("play w pass");
    const std::string text = e.ok("printsgf");
    EXPECT_EQ(text.rfind("(;FF[4]GM[1]", 0), 0u) << text;
    EXPECT_EQ(e.ok("printsgf " + file), "");
    std::ifstream in(file);
    const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written.substr(0, written.find_last_not_of('\n') + 1), text);

    GtpProcess f;
    f.ok("play b K10");
    EXPECT_EQ(f.ok("loadsgf " + file), "black") << "white passed last";
    for (const char* c : {"list_stones b", "list_stones w", "captures b", "captures w"})
        EXPECT_EQ(f.ok(c), e.ok(c)) << c;
    // Up to before move 11 (black's capture on B10; passes count as moves) or before the
    // first move on B10: white's A10 still stands.
    EXPECT_EQ(f.ok("loadsgf " + file + " 11"), "black");
    EXPECT_EQ(words(f.ok("list_stones w")), (Stones{"B11", "B9", "C10", "A10"}));
    EXPECT_EQ(f.ok("loadsgf " + file + " B10"), "black");
    EXPECT_EQ(f.ok("captures b"), "0");
    // The loaded moves can be undone like played ones, and the game goes on from them.
    f.ok("play b B10");
    f.ok("undo");
    EXPECT_EQ(words(f.ok("list_stones w")), (Stones{"B11", "B9", "C10", "A10"}));

    // Files that cannot be used change nothing.
    const std::string stones = f.ok("list_stones b");
    const std::string bad = (dir / "bad.sgf").string();
    std::ofstream(bad) << "(;SZ[19];B[dd];W[pp];B[dd])";
    EXPECT_EQ(f.fail("loadsgf " + bad), "cannot load file: a stone on an occupied point at move 3");
    EXPECT_EQ(f.fail("loadsgf " + (dir / "missing.sgf").string()), "cannot open file");
    std::ofstream(bad) << "(;SZ[7];B[dd])";
    EXPECT_EQ(f.fail("loadsgf " + bad).rfind("cannot load file", 0), 0u);
    EXPECT_EQ(f.ok("list_stones b"), stones);

    // Stones put and cleared after the first move: before move 3 with the setup that
    // stands before it, or whole.
    const std::string setup = (dir / "setup.sgf").string();
    std::ofstream(setup) << "(;SZ[9];B[aa];W[ee];AE[aa]AB[bb];B[cc];AW[dd])";
    EXPECT_EQ(f.ok("loadsgf " + setup + " 3"), "black");
    EXPECT_EQ(f.ok("list_stones b") + " / " + f.ok("list_stones w"), "B8 / E5");
    EXPECT_EQ(f.ok("loadsgf " + setup), "white");
    EXPECT_EQ(f.ok("list_stones b") + " / " + f.ok("list_stones w"), "B8 C7 / D6 E5");
    fs::remove_all(dir);
}

// What is not an ordinary file of a record's size gets an answer that says so, at once:
// the engine neither aborts on a folder, nor waits on a pipe, nor reads a device.
TEST(GtpRecord, LoadingWhatIsNotARecordFileSaysWhy) {
    REQUIRE_ENGINE();
    const HostilePaths paths(8u << 20);
    const char* const answers[] = {"cannot open file: is a directory", "cannot open file: not a regular file",
                                   "cannot open file: not a regular file",
                                   "cannot load file: more than 8388608 bytes", "cannot open file"};
    GtpProcess e;
    for (int k = 0; k < hostile_kinds; ++k) EXPECT_EQ(e.fail("loadsgf " + paths[k]), answers[k]) << hostile_names[k];
    EXPECT_EQ(e.ok("name"), "Tolvan");
}

// A loaded record keeps its setup stones under its moves: undoing every move comes back
// to them, with the stones taken put back, and no further.
TEST(GtpRecord, UndoingALoadedRecordStopsAtItsSetup) {
    REQUIRE_ENGINE();
    const fs::path file =
        fs::temp_directory_path() / ("tolvan-gtp-setup-" + std::to_string(getpid()) + ".sgf");
    // Black's A18 takes the white setup stone on A19.
    std::ofstream(file) << "(;FF[4]GM[1]SZ[19]AB[ba][dd]AW[aa][pp];B[ab];W[dp])";
    GtpProcess e;
    EXPECT_EQ(e.ok("loadsgf " + file.string()), "black");
    EXPECT_EQ(e.ok("captures b"), "1");
    e.ok("undo");
    e.ok("undo");
    EXPECT_EQ(words(e.ok("list_stones b")), (Stones{"B19", "D16"}));
    EXPECT_EQ(words(e.ok("list_stones w")), (Stones{"A19", "Q4"}));
    EXPECT_EQ(e.ok("captures b"), "0");
    EXPECT_NE(e.ok("showboard").find("Moves: 0"), std::string::npos);
    EXPECT_EQ(e.fail("undo"), "cannot undo");
    EXPECT_EQ(e.fail("fixed_handicap 2"), "board not empty");
    fs::remove(file);
}

// A loaded record is printed whole: its variations, other games and unknown properties,
// with the game's moves as the main line and the record's moves it left as a variation.
// Loaded to a move short of its end, only the moves loaded are printed. Faults caught:
// printsgf writing the main line alone (a record's variations lost through a
// controller), the game's moves not the main line, a record loaded to a move printing
// moves the game does not hold.
TEST(GtpRecord, PrintsTheWholeTreeOfALoadedRecord) {
    REQUIRE_ENGINE();
    const fs::path file = fs::temp_directory_path() / ("tolvan-gtp-tree-" + std::to_string(getpid()) + ".sgf");
    std::ofstream(file) << "(;FF[4]GM[1]SZ[9]XY[a][b];B[ee](;W[cc]SQ[aa];B[gg])(;W[gc]C[variation]))(;SZ[9];B[aa])";
    GtpProcess e;
    EXPECT_EQ(e.ok("loadsgf " + file.string()), "white");
    const std::string whole = e.ok("printsgf");
    for (const char* part : {"XY[a][b]", ";B[ee](;W[cc]SQ[aa];B[gg])(;W[gc]C[variation]))", "(;SZ[9];B[aa])"})
        EXPECT_NE(whole.find(part), std::string::npos) << part << "\n" << whole;
    e.ok("undo");
    e.ok("play b D6");
    const std::string played = e.ok("printsgf");
    EXPECT_NE(played.find(";W[cc]SQ[aa](;B[dd])(;B[gg]))"), std::string::npos) << played;

    GtpProcess f;
    EXPECT_EQ(f.ok("loadsgf " + file.string() + " 2"), "white");
    const std::string part = f.ok("printsgf");
    for (const char* absent : {"W[cc]", "W[gc]", "B[aa]"})
        EXPECT_EQ(part.find(absent), std::string::npos) << absent << "\n" << part;
    fs::remove(file);
}

// What a record says of the ko holds after loading it: the retake must wait for a pass.
// Handicap stones are written as the setup and come back as one.
TEST(GtpRecord, LoadingKeepsTheKoAndTheHandicap) {
    REQUIRE_ENGINE();
    const fs::path file =
        fs::temp_directory_path() / ("tolvan-gtp-ko-" + std::to_string(getpid()) + ".sgf");
    GtpProcess e, f;
    setUpKo(e);
    e.ok("printsgf " + file.string());
    EXPECT_EQ(f.ok("loadsgf " + file.string()), "white");
    EXPECT_EQ(f.fail("play w A10"), "illegal move");
    f.ok("play w pass");
    f.ok("play b pass");
    f.ok("play w A10");
    EXPECT_EQ(f.ok("captures w"), "1");

    e.ok("clear_board");
    EXPECT_EQ(e.ok("fixed_handicap 3"), "D4 Q16 D16");
    e.ok("play w C3");
    e.ok("printsgf " + file.string());
    EXPECT_EQ(f.ok("loadsgf " + file.string()), "black");
    f.ok("undo");
    EXPECT_EQ(words(f.ok("list_stones b")), (Stones{"D4", "Q16", "D16"}));
    EXPECT_EQ(f.ok("list_stones w"), "");
    EXPECT_EQ(f.fail("undo"), "cannot undo");
    fs::remove(file);
}

// PL says who is to play after the node it is in, in the root before the first move and
// after any move; a move after it says again.
TEST(GtpRecord, PlayerToMoveIsTheLastOfMovesAndPl) {
    REQUIRE_ENGINE();
    const fs::path file = fs::temp_directory_path() / ("tolvan-gtp-pl-" + std::to_string(getpid()));
    GtpProcess e;
    for (auto [text, next] : {std::pair{"(;SZ[9]AB[cc]AW[gg]PL[W])", "white"}, {"(;PL[W];B[cc];W[gg])", "black"},
                              {"(;B[cc];W[gg]PL[W])", "white"}, {"(;B[cc];W[gg];PL[W])", "white"},
                              {"(;B[cc]PL[B];W[gg])", "black"}}) {
        std::ofstream(file) << text;
        EXPECT_EQ(e.ok("loadsgf " + file.string()), next) << text;
    }
    fs::remove(file);
}

// The book given with --book is the one the computer plays from: against the low
// approach to its 4-4 point it answers with the book's knight's move, F3.
TEST(GtpBook, TheComputerAnswersFromTheGivenBook) {
    REQUIRE_ENGINE();
    if (!std::filesystem::exists(runDir() + "/Tolvan.定石")) GTEST_SKIP() << "no opening book";
    GtpProcess e({"--second", "0"});
    e.ok("play b D4");
    e.ok("play w C6");
    EXPECT_EQ(e.ok("genmove b"), "F3");
}

// Started from elsewhere without --book, the engine finds the book beside itself; without
// any book it says so on standard error, and standard output carries only responses.
TEST(GtpBook, TheBookBesideTheProgramIsFoundFromAnyDirectory) {
    REQUIRE_ENGINE();
    if (!std::filesystem::exists(runDir() + "/Tolvan.定石")) GTEST_SKIP() << "no opening book";
    char dir[] = "/tmp/tolvan-gtp-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    {
        GtpProcess e({"--second", "0"}, {.book = false, .dir = dir, .errors = true});
        e.ok("play b D4");
        e.ok("play w C6");
        EXPECT_EQ(e.ok("genmove b"), "F3");
        e.finish();
        EXPECT_EQ(e.errors(), "");
    }
    {
        GtpProcess e({"--book", "/nonexistent"}, {.book = false, .dir = dir, .errors = true});
        EXPECT_EQ(e.ok("name"), "Tolvan");
        e.finish();
        EXPECT_NE(e.errors().find("/nonexistent"), std::string::npos);
    }
    std::filesystem::remove(dir);
}

// Two engines play each other: one answers genmove for black, the other for white, and
// each move is played on the other side. Every answer must be legal there, and at the
// end both must see the same position and the same score.
TEST(GtpSelfPlay, TwoEnginesAgreeOnEveryMoveAndTheScore) {
    REQUIRE_ENGINE();
    for (const char* second : {"0", "17", "42"}) {
        SCOPED_TRACE(std::string("--second ") + second);
        GtpProcess black({"--second", second}), white({"--second", second});
        for (GtpProcess* e : {&black, &white}) {
            e->ok("boardsize 19");
            e->ok("clear_board");
            e->ok("komi 6.5");
        }
        int passes = 0, stones = 0, turns = 0;
        std::string first;
        for (; passes < 2 && turns < 1200; ++turns) {
            const bool b = turns % 2 == 0;
            GtpProcess& mover = b ? black : white;
            GtpProcess& other = b ? white : black;
            const std::string colour = b ? "b" : "w";
            const Response r = mover.send("genmove " + colour);
            ASSERT_TRUE(r.ok) << "genmove " << colour << " -> " << r.text;
            if (first.empty()) first = r.text;
            const Response p = other.send("play " + colour + " " + r.text);
            ASSERT_TRUE(p.ok) << "turn " << turns << ": play " << colour << " " << r.text << " -> "
                              << p.text;
            passes = r.text == "pass" ? passes + 1 : 0;
            if (r.text != "pass") ++stones;
        }
        EXPECT_EQ(passes, 2) << "the game did not end";
        EXPECT_LE(stones, max_moves);
        EXPECT_TRUE((Stones{"D4", "D16", "Q4", "Q16"}.count(first))) << "opened on " << first;

        for (const char* c : {"list_stones b", "list_stones w", "captures b", "captures w"})
            EXPECT_EQ(black.ok(c), white.ok(c)) << c;
        const std::string score = black.ok("final_score");
        EXPECT_EQ(white.ok("final_score"), score);
        EXPECT_TRUE(std::regex_match(score, std::regex("[BW]\\+\\d+\\.5"))) << score;
    }
}

// The computer against itself on the smaller boards, every move played in GNU Go on a
// board of that size, where it must be legal; the game ends within three moves a point.
// Its record, printed and loaded by a new engine, gives the same position.
TEST(GtpSelfPlay, SmallBoardsEndWithMovesGnuGoTakes) {
    REQUIRE_ENGINE();
    const std::string gnugo = "/usr/games/gnugo";
    if (!fs::exists(gnugo)) GTEST_SKIP() << "no " << gnugo;
    const std::string file = fs::temp_directory_path() / ("tolvan-gtp-" + std::to_string(getpid()) + ".sgf");
    for (const int n : {9, 13}) {
        const std::string size = std::to_string(n);
        GtpProcess e({"--second", "5"}), referee({"--mode", "gtp", "--boardsize", size}, {}, gnugo), loaded;
        e.ok("boardsize " + size);
        int passes = 0, turns = 0;
        std::string move;
        while (passes < 2 && turns < 3 * n * n) {
            const std::string colour = turns++ % 2 ? "w" : "b";
            move = e.ok("genmove " + colour);
            if (move == "resign") break;
            passes = move == "pass" ? passes + 1 : 0;
            ASSERT_TRUE(referee.send("play " + colour + " " + move).ok) << size << ": " << colour << " " << move;
        }
        EXPECT_TRUE(passes == 2 || move == "resign") << "no end on " << size << " lines";
        e.ok("printsgf " + file);
        loaded.ok("loadsgf " + file);
        for (const char* c : {"list_stones b", "list_stones w"}) {
            EXPECT_EQ(words(referee.ok(c)), words(e.ok(c))) << size << ": " << c;
            EXPECT_EQ(loaded.ok(c), e.ok(c)) << size << ": " << c;
        }
    }
    fs::remove(file);
}

}  // namespace
}  // namespace tolvan::testing
