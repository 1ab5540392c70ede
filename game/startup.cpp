// Start-up, the reset that begins every game, shutdown and the short wait.
#include <cmath>

#include "game/board_lines.h"
#include "game/board_size.h"
#include "game/kept_games.h"
#include "game/komi.h"
#include "game/opponent.h"
#include "game/tolvan.h"

namespace tolvan {

std::string Str(long n) {
    return n < 0 ? std::to_string(n) : " " + std::to_string(n);
}

Tolvan::Tolvan(Platform& platform) : pf(platform) {}

// The window's load handler: sound, book, window constants, settings, then the reset.
void Tolvan::Form_Load() {
    サウンド初期設定(pf.window.handle());
    s.sound_other = 読込_サウンド("その他.wav", 3);
    s.sound_forbidden = 読込_サウンド("禁止.wav", 3);
    s.sound_stone = 読込_サウンド("石打音.wav", 3);
    s.sound_bgm = 読込_サウンド("BGM.wav", 1);
    // Solid fill and a bold window font: the canvas fills its circles, and every text
    // is bold unless a move number switches it off for a moment.
    s.font_bold = true;
    s.start_dir = pf.clock.currentDir();
    定石ファイル読込();
    // The window's place and size are fixed by the window itself; the constants and
    // the geometry are compile-time values of the state record.
    s.background = background_bamboo;
    s.last_x = 0;
    s.last_y = 0;
    pf.menu.setChecked("BANGOU", false);
    読込_環境設定ファイル();
    applyOpponentChoice(*this);
    applyBoardSize(*this);
    applyBoardLines(*this);
    applyEnding(*this);
    applyKomi(*this);
    初期設定();
}

// Resets the game: no game, no handicap, empty board stored as slot 0, full redraw.
void Tolvan::初期設定() {
    // The game that is cleared away is kept first; a file it came from is done with.
    keepGame(*this);
    kept.last_text.clear();
    kept.last_path.clear();
    kifu.opened.reset();
    kifu.reviewed.reset();
    kifu.files.clear();
    kifu.trees.reset();
    s.record_komi.reset();
    tellKomi(*this);
    counting = Counting{};
    kifu.engine.clear();
    s.handicap_level = 0;
    s.handicap_set = flag_off;
    s.play_mode = no_side;
    s.record_mode = flag_off;
    s.turn = no_side;
    s.hint_active = flag_off;
    s.move_no = 0;
    s.black_captures = 0;
    s.white_captures = 0;
    s.reversed = flag_off;

    描画_四角形(panelColumn(s, 21), 6, 1800, 2600, frame_color);

    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y) s.opening_bonus[x][y] = 0;

    // The clock's second varies the computer's preferred corner from game to game.
    const double t = pf.clock.second() + 1;
    // The 4-4 points, counted from the nearest edges on every size of board.
    const int far = s.size - 3;
    const struct { int x, y; double k; } corners[] = {
        {4, 4, 70}, {4, far, 130}, {far, 4, 90}, {far, far, 150}};
    for (const auto& c : corners) {
        const double q = c.k / t;
        s.opening_bonus[c.x][c.y] = 0.1 + (q - std::floor(q)) / 10;
    }

    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.board[x][y] != stone_empty) {
                描画_桝(x, y);
                s.board[x][y] = stone_empty;
            }

    // A new record: no stone, no pass, the empty board as the position before the first move.
    s.record.reset(rules::Board(s.size));
    調査_保存(s.move_no);
    画面_再描画();
}

// Frees the four sounds, then closes the sound library.
void Tolvan::終了処理() {
    dsFree(s.sound_other);
    dsFree(s.sound_forbidden);
    dsFree(s.sound_stone);
    dsFree(s.sound_bgm);
    サウンド終了処理();
}

void Tolvan::待ち時間(double d) { pf.clock.wait(d); }

// The end of the program from Escape, the close box, 終了 or a finished game.
void Tolvan::終了() {
    if (ended) return;
    keepGame(*this);
    // An engine never outlives the game.
    pf.opponent.stop();
    終了処理();
    ended = true;
    pf.window.endProgram();
}

}  // namespace tolvan
