// The settings file Tolvan.ini and the option menu. The check marks of MIDORI, TAKE,
// SINAN, BANGOU and BGM (with `background`) are the live preferences; the file mirrors
// them after every option command except 手順番号表示.
#include <filesystem>
#include <string>

#include "game/position.h"
#include "game/tolvan.h"
#include "settings/ini.h"

namespace tolvan {

// Reads Tolvan.ini and applies it. A missing or unreadable file is replaced by the
// default settings, which are also applied.
//
// What the lines leave is applied once at the end, later lines for a key winning: the
// background is drawn once however many lines name it. Music that any "BGM=ON" line
// asks for starts, as it would have at that line.
void Tolvan::読込_環境設定ファイル() {
    if (std::optional<SettingsRead> r = readSettingsFile(settings_file)) {
        if (r->background != BackgroundSetting::none) {
            const int background = r->background == BackgroundSetting::green ? background_green : background_bamboo;
            チェック設定(background);
            描画_背景(background);
            s.background = static_cast<i16>(background);
        }
        if (r->hint) pf.menu.setChecked("SINAN", *r->hint);
        if (r->numbers) pf.menu.setChecked("BANGOU", *r->numbers);
        if (r->music) pf.menu.setChecked("BGM", *r->music);
        if (r->music_asked) dsPlayLooping(s.sound_bgm);
        if (r->kifu_folder) prefs.kifu_folder = *r->kifu_folder;
        if (r->engine_command) prefs.engine_command = *r->engine_command;
        if (r->level) prefs.level = *r->level;
        if (r->board_size) prefs.board_size = *r->board_size;
        if (r->count_dead_stones) prefs.count_dead_stones = *r->count_dead_stones;
        if (r->board_lines) prefs.board_lines = *r->board_lines;
        if (r->komi) prefs.komi = *r->komi;
        prefs.other_lines = std::move(r->other_lines);
        return;
    }

    // The defaults. They are applied even when the file cannot be written: the program
    // then runs with them and simply has no settings file.
    チェック設定(background_bamboo);
    描画_背景(background_bamboo);
    s.background = background_bamboo;
    pf.menu.setChecked("SINAN", false);
    pf.menu.setChecked("BANGOU", false);
    pf.menu.setChecked("BGM", false);
    prefs.other_lines.clear();
    writeDefaultSettingsFile(settings_file);
}

// Rewrites Tolvan.ini whole from the current check marks and preferences, followed by
// the lines the game does not know, as they were read. The background line appears
// only when one of 緑 and 竹 is ticked. When the file cannot be written the live
// preferences stay as they are, and the person is told once in the run that changes
// will not outlast it.
void Tolvan::書込_環境設定ファイル() {
    OptionMarks marks;
    if (checked("MIDORI") || checked("TAKE"))
        marks.background = checked("MIDORI") ? BackgroundSetting::green : BackgroundSetting::bamboo;
    marks.hint = checked("SINAN");
    marks.music = checked("BGM");
    marks.numbers = checked("BANGOU");
    if (writeSettingsFile(settings_file, marks, prefs) || settings_unsaved_told) return;
    settings_unsaved_told = true;
    std::error_code ec;
    const std::filesystem::path where = std::filesystem::absolute(settings_file, ec);
    MsgBox("設定ファイルに書き込めません。\r" + (ec ? settings_file : where.string()) +
               "\r\rオプションの変更は、次に起動したときには元に戻ります。",
           Buttons::OK, "ｵﾌﾟｼｮﾝ");
}

// Ticks the background item of code kind and unticks the other one.
void Tolvan::チェック設定(int kind) {
    pf.menu.setChecked("MIDORI", false);
    pf.menu.setChecked("TAKE", false);
    if (kind == background_green)
        pf.menu.setChecked("MIDORI", true);
    else if (kind == background_bamboo)
        pf.menu.setChecked("TAKE", true);
}

namespace {
// 緑 and 竹: tick the chosen background (if it is not ticked yet) and use it; the file
// is rewritten and the window redrawn even when it was already chosen.
void chooseBackground(Tolvan& g, int kind, const char* item, const char* other) {
    if (!g.checked(item)) {
        g.pf.menu.setChecked(item, true);
        g.pf.menu.setChecked(other, false);
        g.s.background = static_cast<i16>(kind);
    }
    g.書込_環境設定ファイル();
    g.画面_再描画();
}
}  // namespace

void Tolvan::MIDORI_Click() { chooseBackground(*this, background_green, "MIDORI", "TAKE"); }

void Tolvan::TAKE_Click() { chooseBackground(*this, background_bamboo, "TAKE", "MIDORI"); }

// 手順番号表示: move numbers on or off, redrawn at once; the last move keeps its mark.
// Not written to the file here: the next of the other option commands carries it.
void Tolvan::BANGOU_Click() {
    if (checked("BANGOU")) {
        pf.menu.setChecked("BANGOU", false);
        // Plain stones take the numbers (and the last-move mark) off again.
        for (int x = 1; x <= s.size; ++x)
            for (int y = 1; y <= s.size; ++y)
                if (s.board[x][y] != stone_empty) 描画_石(x, y, s.board[x][y]);
    } else {
        pf.menu.setChecked("BANGOU", true);
        描画_全手順番号(s.move_no - 1);
    }
    if (s.move_no > 0) {
        const rules::Move m = recordedMove(s, s.move_no - 1);
        描画_打駒印(m.at.x, m.at.y, mark_color);
    }
}

// 置石指南: hint mode on or off, with its indicator on the side panel.
void Tolvan::SINAN_Click() {
    if (checked("SINAN")) {
        pf.menu.setChecked("SINAN", false);
        for (int i = 21; i <= 26; ++i) {
            描画_背景絵(s.background, panelColumn(s, i), 3);
            描画_背景絵(s.background, panelColumn(s, i), 4);
        }
    } else {
        pf.menu.setChecked("SINAN", true);
        pf.canvas.paintPicture(Pic::SINAN_MODE, panelTwips(s, 7000), 1000);
        if (s.hint_active == flag_on) pf.canvas.paintPicture(Pic::SINAN_SURU, panelTwips(s, 7000), 1000);
    }
    書込_環境設定ファイル();
}

// BGM: the background music on (looping) or off.
void Tolvan::BGM_Click() {
    if (checked("BGM")) {
        pf.menu.setChecked("BGM", false);
        dsStop(s.sound_bgm);
    } else {
        pf.menu.setChecked("BGM", true);
        dsPlayLooping(s.sound_bgm);
    }
    書込_環境設定ファイル();
}

}  // namespace tolvan
