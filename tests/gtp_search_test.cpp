// tolvan-gtp with Tolvan's own search (--level): genmove, the analysis Sabaki reads, and
// the clock, driven in the process with one thread, a fixed seed and a fake clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "gtp_server/engine.h"
#include "rules/geometry.h"

namespace tolvan::testing {
namespace {

using gtp_server::Engine;
using search::TimeControl;

// An engine at the weakest level; each of its moves takes `step` seconds of a fake clock
// (read as it starts and as it ends).
struct Searching : ::testing::Test {
    double clock = 0, step = 0;
    std::unique_ptr<Engine> e = [this] {
        Engine::Options o;
        o.book = "no-such-book.定石", o.level = 1, o.threads = 1;
        o.now = [this] { return clock += step; };
        return std::make_unique<Engine>(o);
    }();
    std::string ok(const std::string& c) {
        const std::string r = e->execute(c);
        EXPECT_EQ(r.substr(0, 2), "= ") << c << " -> " << r;
        return r.substr(2, r.size() - 4);
    }
    // The stones of a picture of 9 lines (X black, O white, the top row first) played in.
    void setUp(const std::vector<std::string>& rows) {
        ok("boardsize 9");
        for (int k = 0; k < 81; ++k)
            if (const char c = rows[k / 9][2 * (k % 9)]; c != '.')
                ok(std::string("play ") + (c == 'X' ? "b " : "w ") + rules::vertexName({k % 9 + 1, k / 9 + 1}, 9));
    }
};

// A controller that speaks again after `lines` lines of analysis, or when the engine waits.
struct Controller : Engine::Stream {
    explicit Controller(int n) : lines(n) {}
    void write(const std::string& t) override {
        text += t;
        if (t.rfind("info ", 0) == 0 && --lines == 0) wait();
    }
    bool interrupted() override { return spoke; }
    void wait() override {
        spoke = true;
        if (call) call();
    }
    void onInterrupt(std::function<void()> c) override {
        call = std::move(c);
        if (spoke && call) call();
    }
    int lines;
    std::string text;
    bool spoke = false;
    std::function<void()> call;
};

// An info line read as Sabaki reads it: split at each "info"; the vertices at the end are
// the line of play (up to a pass), the words before it key and value in pairs, "pv" last.
std::vector<std::map<std::string, std::string>> readAsSabaki(const std::string& line) {
    static const std::regex info("\\s*info\\s+"), tail("(pass|[A-Za-z]\\d+)(\\s+(pass|[A-Za-z]\\d+))*$");
    std::vector<std::map<std::string, std::string>> out;
    std::sregex_token_iterator it(line.begin(), line.end(), info, -1), end;
    for (it != end ? ++it : it; it != end; ++it) {
        const std::string x = *it;
        std::smatch m;
        EXPECT_TRUE(std::regex_search(x, m, tail)) << x;
        std::istringstream words(x.substr(0, m.position()));
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        EXPECT_TRUE(w.size() % 2 == 1 && w.back() == "pv") << x;
        auto& keys = out.emplace_back();
        for (std::size_t k = 0; k + 1 < w.size(); k += 2) keys[w[k]] = w[k + 1];
        keys["pv"] = m.str().substr(0, m.str().find("pass"));
    }
    return out;
}

const std::vector<std::string> blackWins = {
    ". . . . . . . . .", ". . . . O . . . .", "X X X X X X X X X", ". . . . . . . . .", ". . . . . . . . .",
    ". . . . . . . . .", "X X X X X X X X X", ". . . . O . . . .", ". . . . . . . . ."};

// Catches: lines Sabaki cannot read (keys missing, win rates not in hundredths of a
// percent, an empty line inside the answer), moves out of order, lines of play that are
// no legal moves from the position, win rates for the wrong side, and an analysis that
// does not stop when the controller speaks.
TEST_F(Searching, AnalysisReadsBackAsSabakiReadsIt) {
    setUp(blackWins);
    ok("komi 0");
    for (const int colour : {1, -1}) {
        Controller c(3);
        EXPECT_EQ(e->execute(colour > 0 ? "12 lz-analyze B 5" : "12 lz-analyze w 5", c), "\n");
        EXPECT_EQ(c.text.substr(0, 4), "=12\n");
        EXPECT_EQ(c.text.find("\n\n"), std::string::npos);
        std::istringstream lines(c.text.substr(4));
        int read = 0;
        for (std::string line; std::getline(lines, line); ++read) {
            const auto infos = readAsSabaki(line);
            ASSERT_FALSE(infos.empty()) << line;
            EXPECT_TRUE(read > 0 || (std::stoi(infos[0].at("winrate")) > 5000) == (colour > 0)) << line;
            for (std::size_t k = 0; k < infos.size(); ++k) {
                auto number = [&](const char* key) { return std::stoi(infos[k].at(key)); };
                EXPECT_EQ(number("order"), static_cast<int>(k));
                EXPECT_TRUE(k == 0 || number("visits") <= std::stoi(infos[k - 1].at("visits"))) << line;
                for (const char* key : {"winrate", "prior", "lcb"})
                    EXPECT_TRUE(number(key) >= 0 && number(key) <= 10000) << key << " " << line;
                if (infos[k].at("move") == "pass") continue;
                rules::Board board = e->game().s.record.end();
                std::istringstream pv(infos[k].at("pv"));
                EXPECT_EQ(pv.str().substr(0, pv.str().find(' ')), infos[k].at("move")) << line;
                int mover = colour;
                for (std::string v; pv >> v; mover = -mover) {
                    const auto p = rules::parseVertex(v, 9);
                    ASSERT_TRUE(p && board.why(mover, p->x, p->y) == rules::Why::legal) << v << " in " << line;
                    board.play(mover, p->x, p->y);
                }
            }
        }
        EXPECT_EQ(read, 3);
    }
}

// Catches: the search's move missing from the record, an answer without "play", the
// genmove side of the analysis taking input as an interruption, and bad arguments taken.
TEST_F(Searching, GenmoveAnalyzeEndsWithThePlayAndGarbageIsRefused) {
    ok("boardsize 9");
    Controller c(1);
    EXPECT_EQ(e->execute("lz-genmove_analyze b 5", c).substr(0, 5), "play ");
    EXPECT_EQ(ok("list_stones b").size(), 2u);
    for (const char* bad : {"lz-genmove_analyze 10", "lz-analyze b x", "lz-analyze purple 10",
                            "lz-analyze b 10 avoid b D4 1", "lz-analyze b 10 interval", "lz-analyze b -5",
                            "time_settings 1 2", "time_left b -1 0", "kgs-time_settings byoyomi 1 2 x"})
        EXPECT_EQ(e->execute(bad).substr(0, 2), "? ") << bad;
}

// Catches: a stone outside the record, moves that are not legal vertices after undo, a
// new board size, a new game or a loaded record (a search tree kept from another
// position), reg_genmove changing the game or the clock or counting towards resigning,
// playing on in a won game the opponent passed in, and resigning changing the record.
TEST_F(Searching, GenmoveKeepsToTheRecordThroughUndoNewGamesAndRegGenmove) {
    step = 10;
    for (const char* size : {"9", "13", "9"}) {
        ok(std::string("boardsize ") + size);
        for (const char* c : {"genmove b", "genmove w", "genmove b", "genmove w", "undo", "undo", "time_settings 600 0 0"})
            ok(c);
        const std::string board = ok("showboard");
        ok("reg_genmove b");
        EXPECT_EQ(ok("showboard"), board);
        EXPECT_FALSE(e->clock().left(1));
        const std::string move = ok("genmove b");
        EXPECT_NE((" " + ok("list_stones b") + " ").find(" " + move + " "), std::string::npos) << move;
    }
    const std::string file = std::filesystem::temp_directory_path() / ("tolvan-search-" + std::to_string(getpid()));
    ok("printsgf " + file);
    const std::string stones = ok("list_stones w");
    ok("clear_board");
    ok("loadsgf " + file);
    std::filesystem::remove(file);
    EXPECT_EQ(ok("list_stones w"), stones);
    EXPECT_EQ(ok("genmove w").size(), 2u);

    setUp(std::vector<std::string>(9, ". . . X O . . . ."));
    ok("play b pass");
    EXPECT_EQ(ok("genmove w"), "pass");
    setUp(blackWins);
    ok("komi 0");
    EXPECT_NE(ok("reg_genmove w"), "resign");
    EXPECT_NE(ok("genmove w"), "resign");
    ok("play b pass");
    const std::string board = ok("showboard");
    EXPECT_EQ(ok("genmove w"), "resign");
    EXPECT_EQ(ok("showboard"), board);
}

// The clock commands taken, and each move's seconds taken off the clock as the game
// clocks count them (hand-counted); the search is given no more than the clock holds.
// Catches: a clock parsed into the wrong kind or changed by a refused command, main time
// not running down, overtime periods or stones not counted, a period lost to a long
// move, time_left not believed, seconds beyond the clock, a new game keeping the old time.
TEST_F(Searching, EachMoveTakesItsTimeOffTheClockTheSearchKeepsTo) {
    const std::pair<const char*, TimeControl> parsed[] = {
        {"time_settings 600 30 5", {TimeControl::canadian, 600, 30, 0, 5}},
        {"time_settings 600 0 0", {TimeControl::absolute, 600, 0, 0, 0}},
        {"time_settings 600 30 0", {}},
        {"kgs-time_settings byoyomi 600 30 5", {TimeControl::byoyomi, 600, 30, 5, 0}},
        {"kgs-time_settings canadian 600 300 25", {TimeControl::canadian, 600, 300, 0, 25}},
        {"kgs-time_settings absolute 900", {TimeControl::absolute, 900, 0, 0, 0}},
        {"kgs-time_settings none", {}},
    };
    for (const auto& [command, control] : parsed) {
        ok(command);
        e->execute("time_settings x 1 1");
        EXPECT_EQ(e->clock().control(), control) << command;
    }
    ok("boardsize 9");
    struct Move {
        const char* command;
        double seconds, left;
        int stones;
        double most;  // what the next move may take at most
    };
    for (const Move& m : std::initializer_list<Move>{
             {"kgs-time_settings absolute 300", 100, 200, 0, 200}, {"time_left w 50 0", 30, 20, 0, 20},
             {"kgs-time_settings byoyomi 30 10 5", 20, 10, 0, 20}, {"", 25, 10, 4, 10}, {"", 5, 10, 4, 10},
             {"", 12, 10, 3, 10}, {"kgs-time_settings canadian 30 60 10", 40, 50, 9, 50 / 9.0},
             {"", 5, 45, 8, 45 / 8.0}, {"time_left w 6 1", 5, 60, 10, 6}}) {
        if (*m.command) ok(m.command);
        step = m.seconds;
        ok("genmove w");
        ASSERT_TRUE(e->clock().left(-1)) << m.command;
        EXPECT_EQ(std::make_pair(e->clock().left(-1)->seconds, e->clock().left(-1)->stones),
                  std::make_pair(m.left, m.stones)) << m.command << " then " << m.seconds;
        EXPECT_TRUE(e->moveSeconds(-1) > 0 && e->moveSeconds(-1) <= m.most) << e->moveSeconds(-1);
        EXPECT_FALSE(e->clock().left(1)) << "black's clock is not white's";
    }
    ok("clear_board");
    EXPECT_FALSE(e->clock().left(-1));
    ok("kgs-time_settings none");
    EXPECT_EQ(e->moveSeconds(-1), 0);
}

}  // namespace
}  // namespace tolvan::testing
