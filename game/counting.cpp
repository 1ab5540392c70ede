// The count with dead stones at the end of a game, resignation, and the result message.
#include "game/counting.h"

#include <algorithm>

#include "game/estimate_view.h"
#include "game/kept_games.h"
#include "game/kifu.h"
#include "game/komi.h"
#include "game/score_view.h"
#include "game/tolvan.h"
#include "rules/judgement.h"

namespace tolvan {

namespace {

bool isDead(const Counting& c, rules::Point p) {
    return std::find(c.dead.begin(), c.dead.end(), p) != c.dead.end();
}

// The label of a colour in the result's title: 先手 and 後手 between two people,
// MAN and COM against the computer.
std::string label(const GameState& s, int colour) {
    if (s.play_mode == mode_man) return colour == stone_black ? "先手" : "後手";
    return colour == s.man_side ? "MAN" : "COM";
}

// The title of a result's message: who wins, by the colour's label, or a draw.
std::string resultTitle(const GameState& s, double black, double white) {
    return black > white   ? label(s, stone_black) + "の勝ち！！"
           : black < white ? label(s, stone_white) + "の勝ち！！"
                           : "引き分け！！";
}

// A note of the counting phase, shadowed, in a row below the move count.
void note(Tolvan& g, double row, const std::string& text) {
    g.描画_文字列(panelColumn(g.s, 21.1), row + 0.1, text, color_black, 9);
    g.描画_文字列(panelColumn(g.s, 21), row, text, color_white, 9);
}

// The board while counting: living stones as they are, dead stones with a cross in the
// colour of the side that takes them, and every empty point's owner as a square in its
// colour; points of nobody, and points whose owner the estimate is unsure of, stay
// plain. The side panel gives the score as it will be counted and who wins by how much;
// below the move count, what to do and whether a border is still open.
void drawCounting(Tolvan& g) {
    const GameState& s = g.s;
    const rules::Board position = boardOf(s);
    const rules::Count c = rules::count(position, g.counting.dead);
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) {
            const int stone = position.at(x, y), owner = c.owner.at(x, y);
            const auto& unsure = g.counting.unsure;
            if (stone != stone_empty && isDead(g.counting, {x, y})) {
                drawDeadStone(g, x, y, stone);
            } else if (stone != stone_empty) {
                g.描画_石(x, y, stone);
            } else if (owner != stone_empty &&
                       std::find(unsure.begin(), unsure.end(), rules::Point{x, y}) == unsure.end()) {
                drawTerritory(g, x, y, owner);
            } else {
                g.描画_桝(x, y);
            }
        }
    const Score score = scoreOf(position, c, komiOf(g));
    clearNotes(g);
    drawScorePanel(g, score, "終局", resultText(score));
    note(g, 13, "死に石をクリック");
    if (g.counting.open) note(g, 14, "境界が未確定です");
    note(g, 15, "Enter:確定 戻:再開");
    g.pf.canvas.refresh();
}

// The status area as it was, and the board as it stands, with its marks: the numbers
// when they are shown and the last stone's mark.
void redrawPlay(Tolvan& g) {
    const GameState& s = g.s;
    restorePanel(g);
    g.描画_盤();
    if (g.checked("BANGOU")) g.描画_全手順番号(s.move_no - 1);
    if (s.move_no > 0) {
        const rules::Move m = recordedMove(s, s.move_no - 1);
        if (s.board[m.at.x][m.at.y] != stone_empty) g.描画_打駒印(m.at.x, m.at.y, mark_color);
    }
}

}  // namespace

bool isEndingItem(const std::string& item) { return item == ending_fill_item || item == ending_count_item; }

void chooseEnding(Tolvan& g, const std::string& item) {
    g.prefs.count_dead_stones = item == ending_count_item;
    applyEnding(g);
    g.書込_環境設定ファイル();
}

void applyEnding(Tolvan& g) {
    g.pf.menu.setChecked(ending_fill_item, !g.prefs.count_dead_stones);
    g.pf.menu.setChecked(ending_count_item, g.prefs.count_dead_stones);
}

bool countsDeadStones(Tolvan& g) {
    return g.pf.opponent.engineInUse() || g.checked(ending_count_item);
}

void startCounting(Tolvan& g) {
    GameState& s = g.s;
    g.描画_文字列(panelColumn(g.s, 21), 11, "計算中", color_white, 12);
    g.pf.canvas.refresh();
    const estimate::Estimate e = estimateOf(g);
    g.counting.active = true;
    g.counting.dead = e.dead;
    g.counting.unsure.clear();
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.board[x][y] == stone_empty && e.owner.at(x, y) == stone_empty) g.counting.unsure.push_back({x, y});
    g.counting.open = !e.settled;
    g.counting.owners = e.owner;
    drawCounting(g);
}

void countingPress(Tolvan& g, int x, int y) {
    GameState& s = g.s;
    if (x < 1 || x > s.size || y < 1 || y > s.size || s.board[x][y] == stone_empty) {
        g.dsPlay(s.sound_forbidden);
        return;
    }
    const bool dead = !isDead(g.counting, {x, y});
    const rules::PointMap owners = g.counting.owners.value_or(rules::PointMap(s.size));
    for (const rules::Point& p : rules::deadGroup(boardOf(s), {x, y}, owners)) {
        auto& d = g.counting.dead;
        d.erase(std::remove(d.begin(), d.end(), p), d.end());
        if (dead) d.push_back(p);
    }
    g.dsPlay(s.sound_stone);
    drawCounting(g);
}

void confirmCounting(Tolvan& g) {
    const rules::Board position = boardOf(g.s);
    const Score score = scoreOf(position, rules::count(position, g.counting.dead), komiOf(g));
    g.counting.active = false;
    // The marks and the score stay beside the message; only what to do goes.
    clearNotes(g);
    noteJudgement(g, score.black(), score.white());
    // The game is kept before its result is shown.
    keepFinishedGame(g);
    g.MsgBox(countText(score), Buttons::OK, resultTitle(g.s, score.black(), score.white()));
    finishGame(g);
}

void leaveCounting(Tolvan& g) {
    g.counting.active = false;
    g.counting.dead.clear();
    g.counting.owners.reset();
    redrawPlay(g);
}

void redrawBoard(Tolvan& g) {
    if (g.counting.active)
        drawCounting(g);
    else
        redrawPlay(g);
}

void drawDeadStone(Tolvan& g, int x, int y, int stone) {
    g.描画_石(x, y, stone);
    g.pf.canvas.textCentred(board_left + x * cell_width + 150, board_top + y * cell_height + 150, "×", 12,
                            stone == stone_black ? color_white : color_black, true);
}

void noteResignation(Tolvan& g, int loser) {
    g.kifu.result = loser == stone_black ? "W+R" : "B+R";
    g.kifu.judged = recordOfGame(g, "", 0, std::nullopt);
}

void resign(Tolvan& g) {
    GameState& s = g.s;
    if (s.turn == no_side) {
        g.MsgBox("「対局」で始めて下さい", Buttons::OK, "投了");
        return;
    }
    if (g.MsgBox("投了しますか？", Buttons::YesNo, "投了") != Answer::Yes) return;
    if (g.counting.active) leaveCounting(g);
    // Against the computer the person resigns; between two people, the side to move.
    const int loser = s.play_mode == mode_com ? s.man_side : s.turn;
    noteResignation(g, loser);
    keepFinishedGame(g);
    const std::string text = s.play_mode == mode_com
                                 ? "あなたは投了しました。COMの勝ちです。"
                                 : label(s, loser) + "は投了しました。" + label(s, -loser) + "の勝ちです。";
    g.MsgBox(text, Buttons::OK, "投了");
    finishGame(g);
}

void showResult(Tolvan& g, int A, int blackPrisoners, int W, int whitePrisoners) {
    const GameState& s = g.s;
    const double komi = komiOf(g);
    const double black = A + blackPrisoners, white = W + whitePrisoners + komi;
    // White's komi, when the game has one, follows white's prisoners.
    const std::string prompt = "黒[" + std::to_string(A) + "]+ﾊﾏ(" + std::to_string(blackPrisoners) +
                               ")   白[" + std::to_string(W) + "]+ﾊﾏ(" + std::to_string(whitePrisoners) +
                               (komi != 0 ? ")+ｺﾐ(" + komiText(komi) : std::string()) +
                               (black > white ? ") " : ")");
    noteJudgement(g, black, white);
    if (g.kept.ending) keepFinishedGame(g);
    g.MsgBox(prompt, Buttons::OK, resultTitle(s, black, white));
}

}  // namespace tolvan
