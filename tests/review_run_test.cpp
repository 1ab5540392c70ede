// The review's run over a game against an engine written as a shell script: the points a
// listed move and an unlisted one lose for each side, and what is left when the engine
// fails, cannot start or is cancelled while it thinks.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "gtp_client/process_group.h"
#include "review/run.h"

namespace tolvan::review {
namespace {

// Lists C3 then E5 for black and G7 then D4 for white; estimates the score by the last
// stone played. "dies" exits at black's second list, "slow" thinks for a minute over it
// and then leaves a file ending ".late". Its process id goes into the file named second.
const char* const engine_script = R"(mode=$1; echo $$ > "$2"; last=; n=0
while read -r id cmd a b; do
  ans=
  case $cmd in
    protocol_version) ans=2;;
    name) ans=script;;
    top_moves_black) n=$((n+1))
      if [ $n -eq 2 ] && [ "$mode" = dies ]; then exit 3; fi
      if [ $n -eq 2 ] && [ "$mode" = slow ]; then sleep 60; : > "$2.late"; fi
      ans="C3 10 E5 6";;
    top_moves_white) ans="G7 8.5 D4 5";;
    play) last=$b;;
    undo) last=;;
    estimate_score) case $last in C3) ans=B+10;; H8) ans=B+2;; G7) ans=W+5;; J1) ans=B+1;; *) ans=0;; esac;;
    quit) printf '=%s\n\n' "$id"; exit 0;;
  esac
  printf '=%s %s\n\n' "$id" "$ans"
done
)";

sgf::Record game() {
    sgf::Record r;
    r.size = 9;
    int colour = rules::black;
    for (const char* v : {"G3", "D4", "H8", "J1", "C3"}) {
        sgf::Move m;
        m.colour = colour;
        m.at = *rules::parseVertex(v, 9);
        r.moves.push_back(m);
        colour = -colour;
    }
    return r;
}

TEST(ReviewRun, PointsLostAndWhatIsLeftWhenTheEngineFails) {
    // A folder of its own: another run of the test at the same time has its own engines.
    std::string pattern = (std::filesystem::temp_directory_path() / "tolvan-review-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string dir = pattern;
    const std::string script = dir + "/review_engine.sh", pidFile = dir + "/review_engine.pid";
    std::ofstream(script) << engine_script;
    struct Case {
        const char* name;
        std::vector<std::string> engine;  // the mode is added, then the pid file
        std::vector<std::optional<double>> lost;  // nothing: no best move
        bool mistakes;
        bool cancel = false;
    };
    const std::vector<std::optional<double>> none(5);
    const Case cases[] = {
        // G3 on the empty board is C3 turned over. D4 is listed: the values' difference.
        // H8 and J1 are not: the estimated scores after the best move and after them, from
        // the mover's side. C3 is the best move itself.
        {"listed and unlisted moves", {"/bin/sh", script, "plays"}, {0.0, 3.5, 8.0, 6.0, 0.0}, true},
        {"the engine dies", {"/bin/sh", script, "dies"}, none, false},
        {"no engine starts", {dir + "/no-such-engine"}, none, false},
        {"no engine", {}, none, false},
        {"cancelled while it thinks", {"/bin/sh", script, "slow"}, none, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(pidFile.c_str());
        std::remove((pidFile + ".late").c_str());
        std::vector<std::string> engine = c.engine;
        if (engine.size() > 1) engine.push_back(pidFile);
        int last = 0;
        Reviewer reviewer(engine, [&](int done, int total) {
            EXPECT_EQ(total, 5);
            last = done;
        });
        std::thread canceller;
        if (c.cancel)
            canceller = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                reviewer.cancel();
            });
        const Result r = reviewer.run(game(), 6.5);
        if (canceller.joinable()) canceller.join();
        EXPECT_EQ(r.cancelled, c.cancel);
        EXPECT_EQ(r.mistakes, c.mistakes);
        EXPECT_EQ(r.why.empty(), c.mistakes || c.cancel) << r.why;
        if (!c.cancel) {
            // The leads are there whatever became of the engine.
            ASSERT_EQ(r.moves.size(), 5u);
            EXPECT_EQ(last, 5);
            for (std::size_t i = 0; i < 5; ++i) {
                EXPECT_EQ(pointsLost(r.moves[i]), c.lost[i]) << "move " << i + 1;
            }
        }
        if (c.mistakes) {
            EXPECT_EQ(r.moves[2].best->at, *rules::parseVertex("C3", 9));
            EXPECT_EQ(r.moves[3].best->at, *rules::parseVertex("G7", 9));
        }
        // Nothing of the engine is left running, nor did it think to the end.
        int pid = 0;
        if (std::ifstream(pidFile) >> pid) {
            EXPECT_FALSE(gtp_client::groupRuns(pid));
        }
        EXPECT_FALSE(std::ifstream(pidFile + ".late").good());
    }
    std::filesystem::remove_all(dir);
}

// The progress counts moves as the board does: the stones, passes left out. Five moves,
// two of them passes, are 3 to do (a fault counting the passes says 5, and the bar ends
// at "5／5手" while the board says 3手目).
TEST(ReviewRun, ProgressCountsTheStonesAsTheBoardDoes) {
    sgf::Record r;
    r.size = 9;
    int colour = rules::black;
    for (const char* v : {"G3", "pass", "D4", "pass", "H8"}) {
        sgf::Move m;
        m.colour = colour;
        m.pass = std::string(v) == "pass";
        if (!m.pass) m.at = *rules::parseVertex(v, 9);
        r.moves.push_back(m);
        colour = -colour;
    }
    std::vector<std::pair<int, int>> reported;
    Reviewer reviewer({}, [&](int done, int total) { reported.emplace_back(done, total); });
    const Result result = reviewer.run(r, 6.5);
    EXPECT_EQ(result.moves.size(), 5u) << "every move is still reviewed";
    EXPECT_EQ(reported, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
}

}  // namespace
}  // namespace tolvan::review
