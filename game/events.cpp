// Events of the main window, handed on to the handlers.
#include <functional>
#include <map>

#include "game/board_lines.h"
#include "game/board_size.h"
#include "game/estimate_view.h"
#include "game/hint.h"
#include "game/komi.h"
#include "game/opponent.h"
#include "game/take_back.h"
#include "game/tolvan.h"

namespace tolvan {

void Tolvan::KeyDown(int key) {
    if (ended) return;
    clearHint(*this);
    // A key while the estimate is shown only takes its marks away.
    if (dismissEstimate(*this)) return;
    if (key == 27) 終了();
    // Enter confirms the count at the end of a game.
    if (key == 13 && counting.active) confirmCounting(*this);
}

void Tolvan::Form_Unload() { 終了(); }

void Tolvan::MenuClick(const std::string& item) {
    if (ended) return;
    clearHint(*this);
    static const std::map<std::string, void (Tolvan::*)()> handlers = {
        {"TAIMAN", &Tolvan::TAIMAN_Click},     {"SENTE", &Tolvan::SENTE_Click},
        {"GOTE", &Tolvan::GOTE_Click},         {"SAISYO", &Tolvan::SAISYO_Click},
        {"GYAKUTEN", &Tolvan::GYAKUTEN_Click}, {"MODORU", &Tolvan::MODORU_Click},
        {"SUSUMU", &Tolvan::SUSUMU_Click},     {"LEBEL_UP", &Tolvan::LEBEL_UP_Click},
        {"LEBEL_DOWN", &Tolvan::LEBEL_DOWN_Click}, {"PASU", &Tolvan::PASU_Click},
        {"HANTEI", &Tolvan::HANTEI_Click},     {"SYUURYO", &Tolvan::終了},
        {"MIDORI", &Tolvan::MIDORI_Click},     {"TAKE", &Tolvan::TAKE_Click},
        {"BANGOU", &Tolvan::BANGOU_Click},     {"SINAN", &Tolvan::SINAN_Click},
        {"BGM", &Tolvan::BGM_Click},           {"KAISETU", &Tolvan::KAISETU_Click},
        {"VER", &Tolvan::VER_Click},
    };
    // The game-record commands, 待った and ヒント live in modules of their own.
    static const std::map<std::string, void (*)(Tolvan&)> records = {
        {"KIFU_HOZON", &saveKifu},
        {"KIFU_HIRAKU", &openKifu},
        {"TOURYOU", &resign},
        {"MATTA", &takeBack},
        {"HINTO", &showHint},
    };
    // While counting, 勝敗判定 confirms, 戻 goes back to play and 待った is refused (their
    // handlers see to that); a command that changes the game first puts the stones back.
    static const std::map<std::string, bool> keepsCounting = {
        {"HANTEI", true}, {"MODORU", true}, {"SYUURYO", true}, {"TOURYOU", true},
        {"MIDORI", true}, {"TAKE", true},   {"BANGOU", true},  {"SINAN", true},
        {"BGM", true},    {"KAISETU", true}, {"VER", true},    {"KIFU_HOZON", true},
        {"MATTA", true},
    };
    // 形勢判断 shows the estimate or takes it away; any other command takes its marks
    // away first.
    if (item == estimate_item) {
        toggleEstimate(*this);
        return;
    }
    dismissEstimate(*this);
    if (counting.active && !keepsCounting.count(item) && !isEndingItem(item) &&
        !isBoardSizeItem(item) && !isKomiItem(item))
        leaveCounting(*this);
    auto it = handlers.find(item);
    if (it != handlers.end()) (this->*(it->second))();
    auto r = records.find(item);
    if (r != records.end()) r->second(*this);
    if (isOpponentItem(item)) chooseOpponent(*this, item);
    if (isBoardSizeItem(item)) chooseBoardSize(*this, item);
    if (isBoardLinesItem(item)) chooseBoardLines(*this, item);
    if (isEndingItem(item)) chooseEnding(*this, item);
    if (isKomiItem(item)) chooseKomi(*this, item);
}

}  // namespace tolvan
