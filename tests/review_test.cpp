// The review's arithmetic over one made-up game: what each move lost and which moves each
// side's list of biggest mistakes holds.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "review/annotate.h"
#include "review/review.h"

namespace tolvan::review {
namespace {

using rules::black;
using rules::white;

// Each move with the loss it must be given; then the lists of both sides. Black has nine
// losses over the threshold, two of them equal, so the list cuts at five and an equal
// loss keeps the earlier move ahead; below the threshold, a gain over the best move, the
// best point itself and an unknown best are never listed. Moves 19 and 21 leave K10
// unplayed twice running: one mistake, at its bigger. None of these losses is big on 19
// lines: every listed mistake is a plain bad move.
TEST(Review, PointsLostAndTheBiggestMistakes) {
    struct Case { MoveReview move; std::optional<double> lost; };
    const rules::Point q16{17, 16}, d4{4, 4}, k10{10, 10}, pass{};
    const std::vector<Case> cases = {
        {{1, black, d4, 5.0, BestMove{q16, 8.0}}, 3.0},
        {{2, white, q16, 6.0, BestMove{d4, 2.0}}, 4.0},     // white wants the lead low
        {{3, black, q16, 6.0, BestMove{d4, 6.5}}, 0.5},     // noise, under the threshold
        {{4, white, d4, 4.0, BestMove{q16, 9.0}}, 0.0},     // better than the best found
        {{5, black, d4, 1.0, BestMove{d4, 7.0}}, 0.0},      // the best point itself
        {{6, white, pass, 3.0, std::nullopt}, std::nullopt},
        {{7, black, pass, -2.0, BestMove{q16, 5.0}}, 7.0},  // biggest: a pass
        {{8, white, q16, 1.0, BestMove{d4, 0.0}}, 1.0},     // just the threshold
        {{9, black, q16, 0.0, BestMove{d4, 3.0}}, 3.0},     // ties with move 1
        {{11, black, d4, -4.0, BestMove{q16, -2.5}}, 1.5},
        {{13, black, d4, -6.0, BestMove{q16, -4.0}}, 2.0},
        {{15, black, d4, -9.0, BestMove{pass, -4.0}}, 5.0},
        {{17, black, d4, -10.0, BestMove{q16, -8.75}}, 1.25},  // cut off
        {{19, black, d4, -16.0, BestMove{k10, -10.0}}, 6.0},
        {{21, black, q16, -22.5, BestMove{k10, -16.0}}, 6.5},
    };
    std::vector<MoveReview> game;
    for (const Case& c : cases) {
        EXPECT_EQ(pointsLost(c.move), c.lost) << "move " << c.move.number;
        game.push_back(c.move);
    }
    struct Listed {
        int number; double lost; int badness;
        bool operator==(const Listed&) const = default;
    };
    const auto listed = [&](int colour) {
        std::vector<Listed> got;
        for (const Mistake& m : biggestMistakes(game, colour, 19)) got.push_back({m.move.number, m.lost, m.badness});
        return got;
    };
    EXPECT_EQ(listed(black), (std::vector<Listed>{{7, 7.0, 1}, {21, 6.5, 1}, {15, 5.0, 1}, {1, 3.0, 1}, {9, 3.0, 1}}));
    EXPECT_EQ(listed(white), (std::vector<Listed>{{2, 4.0, 1}, {8, 1.0, 1}}));
}


// The review in a record: V on every move, and the listed mistake marked BM, commented
// after the move's own comment, its better point under a triangle; a second review adds
// no second comment, and a review past the record's end is left out.
TEST(Review, WrittenIntoTheRecord) {
    const rules::Point q16{17, 16}, d4{4, 4}, c3{3, 3};
    sgf::Record record;
    record.moves.resize(2);
    record.moves[0].colour = black;
    record.moves[0].at = d4;
    record.moves[0].comment = "序盤";
    record.moves[1].colour = white;
    record.moves[1].at = c3;
    const std::vector<MoveReview> reviews = {
        {1, black, d4, 2.5, BestMove{q16, 6.0}},
        {2, white, c3, 2.0, BestMove{c3, 2.0}},
        {3, black, q16, 1.0, BestMove{d4, 9.0}},
    };
    annotate(record, reviews);
    annotate(record, reviews);
    ASSERT_EQ(record.moves.size(), 2u);
    const sgf::Move& bad = record.moves[0];
    EXPECT_EQ(bad.annotations.value, 2.5);
    EXPECT_EQ(bad.annotations.bad_move, 1);
    EXPECT_EQ(bad.comment, "序盤\n悪手: Q16 の方が良く、約3.5目の損です");
    EXPECT_EQ(bad.annotations.triangles, std::vector<rules::Point>{q16});
    const sgf::Move& good = record.moves[1];
    EXPECT_EQ(good.annotations.value, 2.0);
    EXPECT_EQ(good.annotations.bad_move, 0);
    EXPECT_TRUE(good.comment.empty() && good.annotations.triangles.empty());
}

// BM[2] in the record for a loss that is big on the record's board, and only for that:
// a fault that gives it to each side's biggest mistake marks white's 11.5 on 19 lines
// (and misses black's second big one); one that ignores the board's size marks 3 points
// on 19 lines or misses them on 9. Moves 1 and 3 are black's, 2 and 4 white's.
TEST(Review, VeryBadOnlyForABigLossOnTheBoard) {
    struct Case {
        int size;
        double lost[4];
        int bad_move[4];
    };
    const Case cases[] = {
        {19, {12.5, 11.5, 14.0, 1.5}, {2, 1, 2, 1}},
        {19, {3.0, 2.5, 4.0, 1.5}, {1, 1, 1, 1}},
        {13, {6.0, 5.5, 7.0, 1.5}, {2, 1, 2, 1}},
        {9, {3.0, 2.5, 4.0, 1.5}, {2, 1, 2, 1}},
    };
    // Each better point a different one: the same point missed twice running is one mistake.
    const rules::Point played[4] = {{3, 3}, {7, 7}, {3, 7}, {7, 3}}, better[4] = {{5, 5}, {5, 4}, {4, 5}, {4, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size << " lines, " << c.lost[0] << " lost first");
        sgf::Record record;
        record.size = c.size;
        std::vector<MoveReview> reviews;
        for (int i = 0; i < 4; ++i) {
            const int colour = i % 2 == 0 ? black : white;
            sgf::Move m;
            m.colour = colour;
            m.at = played[i];
            record.moves.push_back(m);
            // Black's lead after the move, and after the better move: higher for black, lower
            // for white.
            const double lead = 10;
            reviews.push_back({i + 1, colour, played[i], lead, BestMove{better[i], lead + colour * c.lost[i]}});
        }
        annotate(record, reviews);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(record.moves[static_cast<std::size_t>(i)].annotations.bad_move, c.bad_move[i]) << "move " << i + 1;
    }
}

}  // namespace
}  // namespace tolvan::review
