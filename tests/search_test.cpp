// Tolvan's own search: small tactical positions written as text, each with the one move
// that decides it, found at a fixed number of playouts and seed; the tree kept between
// moves and its cap; the clock's seconds; and the player's passing and resigning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/history.h"
#include "search/player.h"
#include "search/search.h"
#include "search/time_control.h"

namespace tolvan::search {
namespace {

using Rows = std::vector<std::string>;

rules::Board diagram(const Rows& rows) {
    rules::Board b(static_cast<int>(rows.size()));
    for (int y = 1; y <= static_cast<int>(rows.size()); ++y)
        for (int x = 1; x <= static_cast<int>(rows[y - 1].size()); ++x) {
            const char c = rows[y - 1][x - 1];
            b.put(x, y, c == 'X' ? rules::black : c == 'O' ? rules::white : rules::empty);
        }
    return b;
}

Settings oneThread(std::uint64_t seed = 7) {
    Settings s;
    s.threads = 1;
    s.seed = seed;
    s.node_cap = 1u << 18;
    return s;
}

// Each position has one move that decides it, for the side to move, found by reading,
// not by the search. In the straight three, the rest of the board is shared so that the
// group decides the game: alive, black has 45 points to white's 36 (and komi 7); dead,
// 35 to 46. Faults caught: captures, escapes or the vital point not preferred
// (priors or playouts that ignore ataris and eyes), the win rates of the two sides mixed
// up in the tree (the search then picks the opponent's best move or its worst).
TEST(SearchTactics, TheDecidingMoveIsFound) {
    struct Case {
        const char* name;
        Rows rows;
        int toMove;
        rules::Point answer;
    } cases[] = {
        {"capture the stone that holds a chain in atari",
         {".........", ".........", "...OO....", "..OXXO...", "..OXOX...", "..O......", "...O.....", ".........",
          "........."},
         rules::black,
         {5, 6}},
        {"escape from atari",
         {".........", ".........", "....O....", "...OXO...", "...OXO...", ".........", ".........", ".........",
          "........."},
         rules::black,
         {5, 6}},
        {"connect where a cut would take one of two chains",
         {".........", ".........", "..OOOOO..", ".OXX.XXO.", ".OX...XO.", "..O...O..", ".........", ".........",
          "........."},
         rules::black,
         {5, 4}},
        {"the vital point of a straight three lives",
         {".OX...XO.", ".OXXXXXO.", ".OOOOOOO.", "OOOOOOOOO", "XXXXXXXO.", "......XO.", "......XO.", "......XO.",
          "......XO."},
         rules::black,
         {5, 1}},
        {"the vital point of a straight three kills",
         {".OX...XO.", ".OXXXXXO.", ".OOOOOOO.", "OOOOOOOOO", "XXXXXXXO.", "......XO.", "......XO.", "......XO.",
          "......XO."},
         rules::white,
         {5, 1}},
    };
    for (const Case& c : cases) {
        Search search(oneThread());
        search.setPosition(diagram(c.rows), c.toMove, 7);
        const Result r = search.run(Limits{4000, 0});
        EXPECT_EQ(r.move, c.answer) << c.name << ": played " << r.move.x << "," << r.move.y;
    }
}

// The same position, limits and seed with one thread give the same search. Fault caught:
// a seed that is not used, or state left from an earlier search in a fresh one.
TEST(SearchTactics, OneThreadIsRepeatable) {
    const rules::Board empty(9);
    Search a(oneThread(3)), b(oneThread(3));
    a.setPosition(empty, rules::black, 7);
    b.setPosition(empty, rules::black, 7);
    const Result ra = a.run(Limits{500, 0}), rb = b.run(Limits{500, 0});
    EXPECT_EQ(ra.move, rb.move);
    EXPECT_EQ(ra.visits, rb.visits);
    ASSERT_FALSE(ra.candidates.empty());
    EXPECT_EQ(ra.candidates.front().visits, rb.candidates.front().visits);
}

// The tree is kept for a position a move or two below its root and started afresh for
// any other. Faults caught: a kept tree whose statistics belong to another position (the
// wrong side to move, another move played), or a tree thrown away each move.
TEST(SearchTree, KeptForAPositionBelowItsRootOnly) {
    Search search(oneThread());
    rules::Board board(9);
    search.setPosition(board, rules::black, 7);
    const Result first = search.run(Limits{3000, 0});
    ASSERT_NE(first.move.x, 0);

    // The move the search chose, and an answer it looked at: the tree below is kept.
    rules::Board after = board;
    after.play(rules::black, first.move.x, first.move.y);
    ASSERT_GE(first.candidates.front().pv.size(), 2u);
    const rules::Point answer = first.candidates.front().pv[1];
    after.play(rules::white, answer.x, answer.y);
    search.setPosition(after, rules::black, 7);
    EXPECT_GT(search.run(Limits{1, 0}).visits, 1) << "the visits of the kept subtree";

    // The root's own position asked again keeps everything.
    const int kept = search.run(Limits{1, 0}).visits;
    search.setPosition(after, rules::black, 7);
    EXPECT_GE(search.run(Limits{1, 0}).visits, kept);

    // The same stones with the other side to move are another position.
    search.setPosition(after, rules::white, 7);
    EXPECT_LE(search.run(Limits{1, 0}).visits, 2);
    // So is another komi.
    search.setPosition(board, rules::black, 7);
    search.run(Limits{500, 0});
    search.setPosition(board, rules::black, 0.5);
    EXPECT_LE(search.run(Limits{1, 0}).visits, 2);
}

// However long it searches, the tree holds no more nodes than its cap, and the search goes
// on with playouts from the leaves. Fault caught: a pool that overruns its cap (memory
// without bound, or a crash), a search that stops when the pool is full.
TEST(SearchTree, TheNodeCapHolds) {
    Settings s = oneThread();
    s.node_cap = 5000;
    Search search(s);
    search.setPosition(rules::Board(19), rules::black, 7);
    const Result r = search.run(Limits{3000, 0});
    EXPECT_LE(search.nodes(), 5000u);
    // The pool is full after a few dozen expansions of 361 children; the search goes on.
    EXPECT_GT(r.playouts, 1000) << "it went on playing with a full pool";
    // And the other way: a cap large enough is not reached.
    Settings big = oneThread();
    big.node_cap = 1u << 20;
    Search roomy(big);
    roomy.setPosition(rules::Board(9), rules::black, 7);
    roomy.run(Limits{300, 0});
    EXPECT_LT(roomy.nodes(), 1u << 20);
    EXPECT_GT(roomy.nodes(), 1u);
}

// The clock's words turned into seconds for a move. Faults caught: byo-yomi taken as
// Canadian (or the reverse), overtime overrun, main time spent at once or never, GTP's
// "no limit" (seconds with no stones) taken for a clock.
TEST(SearchClock, TheSettingsBecomeSecondsForAMove) {
    EXPECT_EQ(fromTimeSettings(600, 30, 1), (TimeControl{TimeControl::canadian, 600, 30, 0, 1}));
    EXPECT_EQ(fromTimeSettings(600, 0, 0), (TimeControl{TimeControl::absolute, 600, 0, 0, 0}));
    EXPECT_EQ(fromTimeSettings(0, 30, 0), TimeControl{});
    EXPECT_EQ(fromTimeSettings(-1, 30, 1), std::nullopt);
    EXPECT_EQ(fromKgsTimeSettings({"byoyomi", "600", "30", "5"}), (TimeControl{TimeControl::byoyomi, 600, 30, 5, 0}));
    EXPECT_EQ(fromKgsTimeSettings({"canadian", "0", "300", "25"}), (TimeControl{TimeControl::canadian, 0, 300, 0, 25}));
    EXPECT_EQ(fromKgsTimeSettings({"absolute", "60"}), (TimeControl{TimeControl::absolute, 60, 0, 0, 0}));
    EXPECT_EQ(fromKgsTimeSettings({"none"}), TimeControl{});
    EXPECT_EQ(fromKgsTimeSettings({"byoyomi", "600", "30"}), std::nullopt);
    EXPECT_EQ(fromKgsTimeSettings({"fischer", "600", "30", "5"}), std::nullopt);
    EXPECT_EQ(fromKgsTimeSettings({"absolute", "-5"}), std::nullopt);

    // 9 lines: about 36 moves of a side in a game; at the start all of them are to come.
    const TimeControl absolute{TimeControl::absolute, 360, 0, 0, 0};
    EXPECT_NEAR(secondsForMove(absolute, std::nullopt, 9, 0), 360 / 36.45 - 0.3, 0.01);
    // Late in the game the rest of the time is shared over fewer moves, but never fewer
    // than the endgame's.
    EXPECT_NEAR(secondsForMove(absolute, TimeLeft{60, 0}, 9, 60), 60 / (36.45 - 30) - 0.3, 0.01);
    EXPECT_NEAR(secondsForMove(absolute, TimeLeft{60, 0}, 9, 200), 60 / (81 / 16.0) - 0.3, 0.01);
    // Byo-yomi: in overtime most of a period, whatever the periods left.
    const TimeControl byoyomi{TimeControl::byoyomi, 600, 30, 3, 0};
    EXPECT_NEAR(secondsForMove(byoyomi, TimeLeft{30, 3}, 19, 100), 30 * 0.8 - 0.3, 0.01);
    EXPECT_NEAR(secondsForMove(byoyomi, TimeLeft{30, 1}, 19, 100), 30 * 0.8 - 0.3, 0.01);
    // In main time, a share of it and half a period.
    EXPECT_NEAR(secondsForMove(byoyomi, TimeLeft{600, 0}, 19, 0), 600 / 162.45 + 15 - 0.3, 0.01);
    // Canadian: in overtime the period's seconds over the stones left in it.
    const TimeControl canadian{TimeControl::canadian, 0, 300, 0, 25};
    EXPECT_NEAR(secondsForMove(canadian, TimeLeft{100, 5}, 19, 150), 100 / 5.0 * 0.9 - 0.3, 0.01);
    EXPECT_NEAR(secondsForMove(canadian, TimeLeft{300, 25}, 19, 150), 300 / 25.0 * 0.9 - 0.3, 0.01);
    // No clock: the level's own limits.
    EXPECT_EQ(secondsForMove(TimeControl{}, TimeLeft{10, 0}, 19, 0), 0);
    // Almost nothing left: a small move, never a negative one.
    EXPECT_NEAR(secondsForMove(absolute, TimeLeft{0.2, 0}, 9, 10), 0.05, 1e-9);
}

// A 9-line game at its end: black's area on the left five columns, white's on the right
// four, every border closed. Black leads by 45 − 36 − 7 = 2 points with komi 7.
const Rows finished = {"....XO...", "....XO...", "....XO...", "....XO...", "....XO...",
                       "....XO...", "....XO...", "....XO...", "....XO..."};

rules::History historyOf(const rules::Board& position, int passes) {
    rules::History h(position.size());
    h.reset(position);
    for (int i = 0; i < passes; ++i) h.pass();
    return h;
}

// Faults caught: no pass at a finished game the side leads after the other side passed, a
// pass that loses while there is play left, and a move played into a closed area of its
// own or the other side's to end the game.
TEST(SearchPlayer, PassesWhenPassingDoesNotLose) {
    // Black leads by the count: after white's pass, black passes.
    Player black(level(2), oneThread());
    EXPECT_EQ(black.genmove(historyOf(diagram(finished), 1), rules::black, 7).kind, Player::Decision::pass);
    // Every area closed and too narrow for a stone to live in: neither side plays a stone
    // in its own area or the other side's, whether it leads (white, by 18 + 7 − 18) or
    // not, and whether or not the other side has passed.
    const Rows narrow = {"..XXXOO..", "..XXXOO..", "..XXXOO..", "..XXXOO..", "..XXXOO..",
                         "..XXXOO..", "..XXXOO..", "..XXXOO..", "..XXXOO.."};
    for (const int colour : {rules::white, rules::black})
        for (const int passes : {0, 1}) {
            Player player(level(2), oneThread());
            EXPECT_NE(player.genmove(historyOf(diagram(narrow), passes), colour, 7).kind, Player::Decision::stone)
                << (colour == rules::white ? "white" : "black") << " after " << passes << " passes";
        }
    // Early in a game, with the board open, the other side's pass is not followed: black
    // is behind by the komi on an empty board.
    Player early(level(2), oneThread());
    EXPECT_EQ(early.genmove(historyOf(rules::Board(9), 1), rules::black, 7).kind, Player::Decision::stone);
}

// The finished game, black 2 ahead by the board alone, with prisoners the board does not
// show: twenty taken by black put it 22 ahead, twenty taken by white 18 behind, with
// either side to move. Faults caught: the area counted without the prisoners (or the
// passes they stand for), which turns a game where one side played on inside the other's
// area while it passed into a lost one (and a resignation) for the side far ahead; the
// side to move's stone counted as a point.
TEST(SearchCount, PrisonersAndPassesCountAsTheGameCountsThem) {
    struct Case {
        const char* name;
        int blackTook, whiteTook, toMove;
        double lead;  // black's, as the count gives it
    };
    for (const Case c : {Case{"black took 20", 20, 0, rules::black, 22}, Case{"white took 20", 0, 20, rules::black, -18},
                         Case{"none", 0, 0, rules::black, 2}, Case{"white took 20, white to move", 0, 20, rules::white, -18},
                         Case{"black took 20, white to move", 20, 0, rules::white, 22}}) {
        SCOPED_TRACE(c.name);
        rules::Board b = diagram(finished);
        b.setPrisoners(rules::black, c.blackTook);
        b.setPrisoners(rules::white, c.whiteTook);
        Search search(oneThread());
        search.setPosition(b, c.toMove, 7);
        const Result r = search.run({2000, 0});
        // Far behind, the side to move tries invasions whose playouts cost it more: a far
        // lead is only asked to be far.
        if (c.lead > 10) {
            EXPECT_GT(r.lead, 12);
        } else if (c.lead < -10) {
            EXPECT_LT(r.lead, -12);
        } else {
            EXPECT_NEAR(r.lead, c.lead, 3);
        }
    }
}

// A position lost beyond hope: the player resigns once it has seen it twice; a close one
// it does not resign. Faults caught: resigning on one bad reading, never resigning,
// resigning a close game.
TEST(SearchPlayer, ResignsOnlyAHopelessGameSeenTwice) {
    // White owns all but one column; black to move.
    const Rows lost = {"XO...O...", "XO...O...", "XO...O...", "XO...O...", "XO...O...",
                       "XO...O...", "XO...O...", "XO...O...", "XO...O..."};
    Player player(level(2), oneThread());
    rules::History h = historyOf(diagram(lost), 0);
    const Player::Decision first = player.genmove(h, rules::black, 7);
    EXPECT_NE(first.kind, Player::Decision::resign) << "not on the first reading";
    // The same position asked again is no second reading.
    EXPECT_NE(player.genmove(h, rules::black, 7).kind, Player::Decision::resign);
    // Its move and the other side's pass: the next reading is the second.
    if (first.kind == Player::Decision::stone)
        h.play(rules::black, first.at.x, first.at.y);
    else
        h.pass();
    h.pass();
    EXPECT_EQ(player.genmove(h, rules::black, 7).kind, Player::Decision::resign);

    // The same board with 80 prisoners taken by black is a won game: never resigned.
    rules::Board rich = diagram(lost);
    rich.setPrisoners(rules::black, 80);
    Player ahead(level(2), oneThread());
    rules::History won = historyOf(rich, 0);
    for (int reading = 0; reading < 3; ++reading) {
        const Player::Decision d = ahead.genmove(won, rules::black, 7);
        EXPECT_NE(d.kind, Player::Decision::resign) << "reading " << reading;
        if (d.kind == Player::Decision::stone) won.play(rules::black, d.at.x, d.at.y); else won.pass();
        won.pass();
    }

    Player fresh(level(2), oneThread());
    const rules::History close = historyOf(diagram(finished), 0);
    EXPECT_NE(fresh.genmove(close, rules::black, 7).kind, Player::Decision::resign);
    EXPECT_NE(fresh.genmove(close, rules::black, 7).kind, Player::Decision::resign);
}

}  // namespace
}  // namespace tolvan::search
