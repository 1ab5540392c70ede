// Tolvan: the game behind the main window. It owns the game state record and reaches
// the outside world only through the platform port. Every procedure of the game is a
// member, its body in game/: the rules as the game applies them (which ask rules/), the
// computer player (game/ai/), the drawing (game/render/), the settings (game/settings.cpp,
// over settings/), the sound wrappers (game/sound/), help (game/help.cpp) and the
// command handlers. The Qt window calls the handlers; the tests call them the same way.
#pragma once

#include <string>

#include "game/counting.h"
#include "game/kept_games.h"
#include "game/kifu.h"
#include "game/position.h"
#include "game/state.h"
#include "platform/port.h"
#include "settings/preferences.h"

namespace tolvan {

// The number in the standard number-to-text form: a blank (the sign position) before
// the digits of a number that is not negative ("10" -> " 10", -3 -> "-3").
std::string Str(long n);

class Tolvan {
public:
    explicit Tolvan(Platform& platform);

    Tolvan(const Tolvan&) = delete;
    Tolvan& operator=(const Tolvan&) = delete;

    GameState s;
    Platform& pf;

    // Files read and written by bare name in the current directory.
    std::string book_file = "Tolvan.定石";
    std::string settings_file = "Tolvan.ini";
    // The address that ホームページ in the version window opens.
    static constexpr const char* home_page = "https://tolvan-go.github.io/";

    // Set by 終了処理's callers once the program has been ended: no handler runs after.
    bool ended = false;
    // Set once the person has been told that the settings file cannot be written.
    bool settings_unsaved_told = false;
    // The preferences beyond the option menu's check marks.
    Preferences prefs;
    // What the game-record commands keep between commands.
    KifuMemo kifu;
    // The counting phase at the end of a game.
    Counting counting;
    // Where finished games are kept.
    KeptGames kept;

    // ---- Events of the main window (events.cpp) -------------------------------------
    // The window's load handler: the whole start-up.
    void Form_Load();
    // A press of any mouse button at (X, Y) twips.
    void MouseDown(double X, double Y);
    // A key press; Escape (27) ends the program.
    void KeyDown(int key);
    // The window's close box.
    void Form_Unload();
    // A menu command by its item's upper-case name ("SENTE", "PASU" ...).
    void MenuClick(const std::string& item);

    // ---- Start-up and shutdown (startup.cpp) ----------------------------------------
    // Resets the game: no game, empty board, slot 0 stored, window redrawn.
    void 初期設定();
    // Frees the sounds and closes the sound library.
    void 終了処理();
    // Returns once d seconds have passed, handling no event.
    void 待ち時間(double d);
    // 終了処理, then the end of the program.
    void 終了();

    // ---- Group and liberty scan (scan.cpp) ------------------------------------------
    // flag_on when a neighbour of (x, y) on the board holds v.
    i16 調査_四方状態(int x, int y, int v);
    // One sweep of the chain scan for colour c: new marks, or -1 on a liberty.
    int 調査_向右(int c);
    int 調査_向左(int c);
    int 調査_向上(int c);
    int 調査_向下(int c);
    // flag_on when the chain of colour c through (x, y) has no liberty.
    i16 調査_当たり2(int x, int y, int c);
    // flag_on when a stone of c on (x, y) captures an adjacent chain of o; scan_mark
    // then holds that chain.
    i16 調査_当たり(int x, int y, int c, int o);

    // ---- Placement, capture and the record (record.cpp) -----------------------------
    i16 調査_置けるか(int x, int y);
    int 調査_取得数();
    void 碁盤_一時待避();
    void 碁盤_待避復帰();
    void 調査_保存(int n);
    void 碁盤_入替();
    // Writes the number of the previous move on its stone when move numbers are shown.
    void numberPreviousMove();
    // Makes a stone of t on (x, y) the last move and shows the new move count.
    void recordMove(int x, int y, int t);
    // Plays a stone of t on (x, y) into the record at the position shown, dropping the
    // moves that had been stepped back over, and returns the chains it took. The board
    // still shows the position before it. The rules have allowed the stone.
    std::vector<rules::Chain> playMove(int x, int y, int t);
    // Removes from the board, one chain at a time, the chains a stone of t took, showing
    // the prisoners after each.
    void removeCapturedChains(const std::vector<rules::Chain>& taken, int t);
    // The position shown moves on to the stone just played: the board and the prisoners
    // are the record's, the turn passes and the passes before it are forgotten.
    void showPlayedMove();
    // true when a stone of t may go on (x, y) by every rule of play, as the rules answer
    // for the position stored.
    bool legalMove(int x, int y, int t);

    // ---- Pass, game end and the judgement (judge.cpp, flow.cpp) ---------------------
    void 調査_判定(int a, int b);
    void 対局_判定();
    // Black's and white's areas by the fills, with the owners in judge_map and the
    // position in board_saved; the board is not changed.
    void 判定_面積(int& A, int& W);
    void PASU_Click();
    void HANTEI_Click();

    // ---- Handicap (handicap.cpp) ----------------------------------------------------
    void LEBEL_UP_Click();
    void LEBEL_DOWN_Click();

    // ---- The computer player (ai/) --------------------------------------------------
    void 調査_碁盤();
    void com_ban();
    double 調査_得点(int x, int y);
    int 調査_四方数値(int x, int y);
    int 調査_四方斜(int x, int y, int c);
    int 調査_状態(int x, int y, int d);
    i16 調査_MAN当り(int x, int y);
    double 調査_得点_定石四方空(int x, int y);
    void 定石ファイル読込();
    void 取得_文字列_定石座標(const std::string& text, int& key);
    std::string 取得_文字列_定石(const std::string& line);
    std::string 取得_文字列(int orientation, int x, int y);
    i16 調査_定石有無(int& x, int& y);
    void 取得_座標(const std::string& rest, int orientation, int& x, int& y);
    void 取得_定石MAN座標(int px, int py, int& x, int& y);

    // ---- Play commands (press.cpp, navigate.cpp, reverse.cpp, start.cpp) ------------
    void SENTE_Click();
    void GOTE_Click();
    void TAIMAN_Click();
    void SAISYO_Click();
    void MODORU_Click();
    void SUSUMU_Click();
    void GYAKUTEN_Click();
    // The book's answer to the computer's stone on (last_x, last_y), looked up with the
    // colours exchanged, becomes the person's pending hint when the person may play it.
    void hintForPerson();

    // ---- Drawing (render/) ----------------------------------------------------------
    void 描画_桝(int x, int y);
    void 描画_石(int x, int y, int stone);
    void 描画_盤();
    void 描画_背景(int kind);
    void 描画_背景絵(int kind, double i, double j);
    void 描画_四角形(double x, double y, double w, double h, int colour);
    void 画面_再描画();
    void 描画_打駒印(int x, int y, int colour);
    void 描画_手順番号(int x, int y, int n, int colour);
    void 描画_全手順番号(int m);
    void 描画_当駒消去();
    void 描画_文字列(double x, double y, const std::string& text, int colour, double size);
    void 描画_文字列(double x, double y, long number, int colour, double size);
    void 描画_取得駒数(int a, int b);
    void 描画_石ハマ(const std::string& s1, const std::string& s2);
    void 描画_手数(int n);
    void 描画_ハンデレベル(int level);
    void 描画_ハンデ文字列(double x, double y, int level, int colour, double size);

    // ---- Settings and options (settings.cpp) ----------------------------------------
    void 読込_環境設定ファイル();
    void 書込_環境設定ファイル();
    void チェック設定(int kind);
    void MIDORI_Click();
    void TAKE_Click();
    void BANGOU_Click();
    void SINAN_Click();
    void BGM_Click();

    // ---- Sound (sound/module1.cpp) --------------------------------------------------
    void サウンド初期設定(i32 hwnd);
    i32 読込_サウンド(const std::string& name, i32 flags);
    void サウンド終了処理();
    void 警告表示(const std::string& text);
    // Calls into the sound library; nothing happens when it is not loaded.
    void dsPlay(i32 sound);
    void dsPlayLooping(i32 sound);
    void dsStop(i32 sound);
    void dsFree(i32 sound);

    // ---- Help and version (help.cpp) ------------------------------------------------
    void KAISETU_Click();
    void VER_Click();

    // ---- Shorthands -----------------------------------------------------------------
    Answer MsgBox(const std::string& prompt, Buttons buttons, const std::string& title) {
        return pf.dialogs.msgBox(prompt, buttons, title);
    }
    bool checked(const char* item) { return pf.menu.checked(item); }
};

}  // namespace tolvan
