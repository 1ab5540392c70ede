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

#include "gtp_server/clock.h"
#include "gtp_server/engine.h"
#include "rules/geometry.h"

namespace tolvan::testing {
namespace {

using gtp_server::Engine;
using search::TimeControl;
using search::TimeLeft;

// An engine at the weakest level whose moves each take `step` seconds of a fake clock.
struct Searching : ::testing::Test {
    double clock = 0, step = 100;
    std::unique_ptr<Engine> e = [this] {
        Engine::Options o;
        o.book = "no-such-book.定石";
        o.level = 1;
        o.threads = 1;
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
        for (int y = 1; y <= 9; ++y)
            for (int x = 1; x <= 9; ++x)
                if (char c = rows[y - 1][2 * (x - 1)]; c != '.')
                    ok(std::string("play ") + (c == 'X' ? "b " : "w ") + rules::vertexName({x, y}, 9));
    }
};

// A controller that speaks again after `lines` lines of analysis, or when the engine waits.
struct Controller : Engine::Stream {
    explicit Controller(int lines) : lines(lines) {}
    void write(const std::string& t) override {
        text += t;
        if (t.rfind("info ", 0) == 0 && --lines == 0) speak();
    }
    bool interrupted() override { return spoke; }
    void wait() override { speak(); }
    void onInterrupt(std::function<void()> c) override {
        call = std::move(c);
        if (spoke && call) call();
    }
    void speak() {
        spoke = true;
        if (call) call();
    }
    std::string text;
    int lines;
    bool spoke = false;
    std::function<void()> call;
};

// An info line read back as Sabaki reads it: split at each "info"; the vertices at the end
// are the line of play (up to a pass), the words before it key and value in pairs, "pv" last.
struct Info {
    std::map<std::string, std::string> keys;
    std::vector<std::string> pv;
};
std::vector<Info> readAsSabaki(const std::string& line) {
    static const std::regex info("\\s*info\\s+"), tail("(pass|[A-Za-z]\\d+)(\\s+(pass|[A-Za-z]\\d+))*$");
    std::vector<Info> out;
    std::sregex_token_iterator it(line.begin(), line.end(), info, -1), end;
    for (it != end ? ++it : it; it != end; ++it) {
        const std::string x = *it;
        std::smatch m;
        EXPECT_TRUE(std::regex_search(x, m, tail)) << x;
        std::istringstream words(x.substr(0, m.position())), moves(m.str().substr(0, m.str().find("pass")));
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        EXPECT_TRUE(!w.empty() && w.back() == "pv" && w.size() % 2 == 1) << x;
        Info i;
        for (std::size_t k = 0; k + 1 < w.size(); k += 2) i.keys[w[k]] = w[k + 1];
        for (std::string v; moves >> v;) i.pv.push_back(v);
        out.push_back(i);
    }
    return out;
}

const std::vector<std::string> blackWins = {
    ". . . . . . . . .", ". . . . O . . . .", "X X X X X X X X X", ". . . . . . . . .", ". . . . . . . . .",
    ". . . . . . . . .", "X X X X X X X X X", ". . . . O . . . .", ". . . . . . . . ."};

// Catches: lines Sabaki cannot read (keys missing or out of order, win rates not in
// hundredths of a percent, an empty line inside the answer), moves out of order, lines of
// play that are no legal moves from the position, win rates for the wrong side, and an
// analysis that does not stop when the controller speaks.
TEST_F(Searching, AnalysisReadsBackAsSabakiReadsIt) {
    setUp(blackWins);
    ok("komi 0");
    for (const char* colour : {"b", "w"}) {
        Controller c(3);
        const std::string rest = e->execute(std::string("12 lz-analyze ") + colour + " 5", c);
        EXPECT_EQ(rest, "\n");
        EXPECT_EQ(c.text.substr(0, 4), "=12\n");
        EXPECT_EQ(c.text.find("\n\n"), std::string::npos);
        std::istringstream lines(c.text.substr(4));
        int read = 0;
        for (std::string line; std::getline(lines, line); ++read) {
            const std::vector<Info> infos = readAsSabaki(line);
            ASSERT_FALSE(infos.empty()) << line;
            int previous = 1 << 30;
            for (std::size_t k = 0; k < infos.size(); ++k) {
                auto number = [&](const char* key) { return std::stoi(infos[k].keys.at(key)); };
                EXPECT_EQ(number("order"), static_cast<int>(k));
                EXPECT_LE(number("visits"), previous);
                previous = number("visits");
                for (const char* key : {"winrate", "prior", "lcb"})
                    EXPECT_TRUE(number(key) >= 0 && number(key) <= 10000) << key << " " << line;
                if (infos[k].keys.at("move") == "pass") continue;
                EXPECT_EQ(infos[k].pv.at(0), infos[k].keys.at("move"));
                rules::Board board = e->game().s.record.end();
                int mover = *colour == 'b' ? 1 : -1;
                for (const std::string& v : infos[k].pv) {
                    const auto p = rules::parseVertex(v, 9);
                    ASSERT_TRUE(p && board.why(mover, p->x, p->y) == rules::Why::legal) << v << " in " << line;
                    board.play(mover, p->x, p->y);
                    mover = -mover;
                }
            }
            if (read == 0) {
                EXPECT_EQ(std::stoi(infos[0].keys.at("winrate")) > 5000, *colour == 'b') << line;
            }
        }
        EXPECT_GE(read, 3);
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
    for (const char* size : {"9", "13", "9"}) {
        ok(std::string("boardsize ") + size);
        for (int k = 0; k < 4; ++k) ok(k % 2 ? "genmove w" : "genmove b");
        ok("undo"), ok("undo");
        ok("time_settings 600 0 0");
        const std::string board = ok("showboard");
        ok("reg_genmove b");
        EXPECT_EQ(ok("showboard"), board);
        EXPECT_FALSE(e->clock().left(1));
        const std::string move = ok("genmove b");
        EXPECT_NE((" " + ok("list_stones b") + " ").find(" " + move + " "), std::string::npos) << move;
    }
    // A loaded record is played on from its end.
    const std::string file =
        std::filesystem::temp_directory_path() / ("tolvan-search-" + std::to_string(getpid()) + ".sgf");
    ok("printsgf " + file);
    const std::string stones = ok("list_stones w");
    ok("clear_board");
    ok("loadsgf " + file);
    std::filesystem::remove(file);
    EXPECT_EQ(ok("list_stones w"), stones);
    EXPECT_EQ(ok("genmove w").size(), 2u);
    // The game is over and won: white passes after black's pass.
    setUp({". . . X O . . . .", ". . . X O . . . .", ". . . X O . . . .", ". . . X O . . . .", ". . . X O . . . .",
           ". . . X O . . . .", ". . . X O . . . .", ". . . X O . . . .", ". . . X O . . . ."});
    ok("play b pass");
    EXPECT_EQ(ok("genmove w"), "pass");
    // Hopeless for white twice in a row (reg_genmove not counted): it resigns, and the
    // record stays as it was.
    setUp(blackWins);
    ok("komi 0");
    EXPECT_NE(ok("reg_genmove w"), "resign");
    EXPECT_NE(ok("genmove w"), "resign");
    ok("play b pass");
    const std::string board = ok("showboard");
    EXPECT_EQ(ok("genmove w"), "resign");
    EXPECT_EQ(ok("showboard"), board);
}

// The clock kept between what time_left says, hand-counted. Catches: main time not
// running down, overtime periods or stones not counted, a period lost to a long move.
TEST(GameClock, EachMoveTakesItsTimeThroughMainTimeAndOvertime) {
    struct Step {
        double seconds;
        TimeLeft left;
    };
    const std::pair<TimeControl, std::vector<Step>> games[] = {
        {{TimeControl::absolute, 300, 0, 0, 0}, {{100, {200, 0}}, {250, {0, 0}}}},
        {{TimeControl::byoyomi, 30, 10, 5, 0}, {{20, {10, 0}}, {25, {10, 4}}, {5, {10, 4}}, {12, {10, 3}}}},
        {{TimeControl::canadian, 30, 60, 0, 10}, {{40, {50, 9}}, {5, {45, 8}}}},
    };
    for (const auto& [control, steps] : games) {
        gtp_server::GameClock c;
        c.set(control);
        for (const Step& s : steps) {
            c.spent(-1, s.seconds);
            ASSERT_TRUE(c.left(-1));
            EXPECT_EQ(std::make_pair(c.left(-1)->seconds, c.left(-1)->stones),
                      std::make_pair(s.left.seconds, s.left.stones));
        }
        EXPECT_FALSE(c.left(1)) << "black's clock is not white's";
    }
    gtp_server::GameClock canadian;
    canadian.set({TimeControl::canadian, 0, 60, 0, 10});
    canadian.told(1, {6, 1});
    canadian.spent(1, 5);
    EXPECT_EQ(canadian.left(1)->stones, 10) << "the period's last stone begins a new period";
}

// The clock commands as the engine takes them, and the seconds the search is given.
// Catches: a clock parsed into the wrong kind, seconds beyond what the clock holds, seconds
// that do not follow what time_left says or what a move took, and a new game that keeps
// the old game's time.
TEST_F(Searching, TheSearchIsGivenTheSecondsTheClockHolds) {
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
        EXPECT_EQ(e->clock().control(), control) << command;
        e->execute("time_settings x 1 1");
        EXPECT_EQ(e->clock().control(), control) << "a refused command keeps the clock";
    }
    EXPECT_EQ(e->moveSeconds(1), 0);
    ok("boardsize 9");
    ok("time_settings 300 0 0");
    const double first = e->moveSeconds(1);
    EXPECT_TRUE(first > 0 && first <= 300);
    ok("genmove b");
    EXPECT_EQ(e->clock().left(1)->seconds, 200);
    EXPECT_LT(e->moveSeconds(1), first);
    ok("time_left b 20 0");
    EXPECT_LE(e->moveSeconds(1), 20);
    ok("clear_board");
    EXPECT_EQ(e->moveSeconds(1), first);
    ok("kgs-time_settings byoyomi 0 10 3");
    EXPECT_LE(e->moveSeconds(-1), 10);
    ok("kgs-time_settings canadian 0 60 10");
    EXPECT_LE(e->moveSeconds(-1), 6);
    ok("time_left w 30 2");
    EXPECT_LE(e->moveSeconds(-1), 15);
    EXPECT_GT(e->moveSeconds(-1), 6);
}

}  // namespace
}  // namespace tolvan::testing
