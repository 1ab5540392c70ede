// The game's position as the rules see it, and a record taken up as the game.
#include "game/position.h"

#include <algorithm>

#include "game/board_lines.h"
#include "game/tolvan.h"

namespace tolvan {

rules::Board boardOf(const GameState& s) {
    rules::Board b(s.size);
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.board[x][y] != stone_empty) b.put(x, y, s.board[x][y]);
    b.setPrisoners(stone_black, s.black_captures);
    b.setPrisoners(stone_white, s.white_captures);
    return b;
}

rules::Board positionOf(const GameState& s, bool passes) {
    const int n = std::min<int>(s.move_no, s.record.stones());
    rules::Board b = s.record.after(n);
    if (passes && n == s.record.stones() && s.record.passesAtEnd() > 0) b.pass();
    return b;
}

void boardFromRecord(GameState& s) {
    const rules::Board& shown = s.record.after(std::min<int>(s.move_no, s.record.stones()));
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) s.board[x][y] = static_cast<i16>(shown.at(x, y));
    s.black_captures = static_cast<i16>(shown.prisoners(stone_black));
    s.white_captures = static_cast<i16>(shown.prisoners(stone_white));
}

rules::Move recordedMove(const GameState& s, int k) {
    return k >= 0 && k < s.record.stones() ? s.record.stone(k) : rules::Move{};
}

int sideToMove(const rules::History& record, int n) {
    const int stones = record.stones();
    if (stones == 0 || n < 0 || n > stones) return no_side;
    auto afterPasses = [](int colour, int passes) { return passes % 2 == 0 ? colour : -colour; };
    if (n == stones) return afterPasses(-record.stone(n - 1).colour, record.passesAtEnd());
    if (n == 0) return afterPasses(record.stone(0).colour, record.passesBefore(0));
    return -record.stone(n - 1).colour;
}

void followPosition(GameState& s) {
    if (s.turn == no_side) return;
    if (const int side = sideToMove(s.record, s.move_no); side != no_side) s.turn = static_cast<i16>(side);
    const bool passed = s.move_no == s.record.stones() && s.record.passesAtEnd() > 0;
    // The side that passed last is the one not to move.
    const bool computerPassed = s.play_mode == mode_com && -s.turn == s.com_side;
    s.com_passed = passed && computerPassed ? flag_on : flag_off;
    s.man_passed = passed && !computerPassed ? flag_on : flag_off;
}

void recordPass(GameState& s) {
    s.record.truncate(s.move_no);
    s.record.pass();
}

void takeUpRecord(Tolvan& game, const rules::History& record, int toMove) {
    GameState& s = game.s;
    if (record.size() != s.size) {
        // The game takes the record's board first, which empties the game's record.
        const rules::History kept = record;
        setBoardLines(game, kept.size());
        s.record = kept;
    } else if (&record != &s.record) {
        s.record = record;
    }
    const int n = s.record.stones();
    s.move_no = static_cast<i16>(n);
    boardFromRecord(s);
    const rules::Move last = n > 0 ? s.record.stone(n - 1) : rules::Move{};
    s.last_x = static_cast<i16>(last.at.x);
    s.last_y = static_cast<i16>(last.at.y);
    s.last_side = static_cast<i16>(last.colour);
    s.turn = static_cast<i16>(toMove);

    s.handicap_level = 0;
    s.handicap_set = flag_off;
    s.reversed = flag_off;
    s.hint_active = flag_off;
    s.com_passed = flag_off;
    s.man_passed = flag_off;
}

}  // namespace tolvan
