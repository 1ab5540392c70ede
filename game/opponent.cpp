// The computer's strength: the menu's choice of engine, and the engine's answer in the
// computer's turn.
#include "game/opponent.h"

#include "game/kifu.h"
#include "game/tolvan.h"
#include "game/position.h"

namespace tolvan {

namespace {

constexpr const char* engine_prefix = "COM_ENGINE_";
constexpr const char* level_prefix = "COM_TOLVAN_";

int levelCount(Tolvan& g) { return static_cast<int>(g.pf.opponent.levels().size()); }

// The level the preferences name when the port offers it, else 0.
int chosenLevel(Tolvan& g) { return g.prefs.level >= 1 && g.prefs.level <= levelCount(g) ? g.prefs.level : 0; }

// Ticks one item of COMの強さ and unticks the others.
void tick(Tolvan& g, const std::string& item) {
    const std::size_t engines = g.pf.opponent.installed().size();
    g.pf.menu.setChecked(opponent_builtin_item, item == opponent_builtin_item);
    for (int n = 1, levels = levelCount(g); n <= levels; ++n)
        g.pf.menu.setChecked(opponentLevelItem(n), item == opponentLevelItem(n));
    for (std::size_t i = 0; i < engines; ++i)
        g.pf.menu.setChecked(opponentEngineItem(static_cast<int>(i)), item == opponentEngineItem(static_cast<int>(i)));
    g.pf.menu.setChecked(opponent_other_item, item == opponent_other_item);
}

// The item that stands for a command: 標準 for none, an installed engine's own item, or
// その他のエンジン... for any other command line.
std::string itemOf(Tolvan& g, const std::string& command) {
    if (command.empty()) return opponent_builtin_item;
    const auto offers = g.pf.opponent.installed();
    for (std::size_t i = 0; i < offers.size(); ++i)
        if (offers[i].command == command) return opponentEngineItem(static_cast<int>(i));
    return opponent_other_item;
}

// The item of the choice the preferences keep.
std::string itemOfChoice(Tolvan& g) {
    if (const int level = chosenLevel(g)) return opponentLevelItem(level);
    return itemOf(g, g.prefs.engine_command);
}

// An engine's command, or none for 標準; no level.
void take(Tolvan& g, const std::string& item, const std::string& command) {
    tick(g, item);
    g.pf.opponent.use(command);
    g.prefs.engine_command = command;
    g.prefs.level = 0;
    g.書込_環境設定ファイル();
}

// A level, and no engine's command: その他のエンジン... then offers an empty line, as
// after 標準.
void takeLevel(Tolvan& g, int level) {
    tick(g, opponentLevelItem(level));
    g.pf.opponent.useLevel(level);
    g.prefs.level = level;
    g.prefs.engine_command.clear();
    g.書込_環境設定ファイル();
}

// A failing engine gives way to the built-in player for the rest of the run; the
// settings file keeps the choice for the next start.
void fallBack(Tolvan& g, const std::string& why) {
    g.MsgBox(why + "\r\r標準のCOMが打ちます。COMの強さは「標準」に戻ります。", Buttons::OK, "COMの強さ");
    tick(g, opponent_builtin_item);
    g.pf.opponent.use("");
}


}  // namespace

std::string opponentEngineItem(int index) { return engine_prefix + std::to_string(index + 1); }
std::string opponentLevelItem(int level) { return level_prefix + std::to_string(level); }

bool isOpponentItem(const std::string& item) {
    return item == opponent_builtin_item || item == opponent_other_item ||
           item.rfind(engine_prefix, 0) == 0 || item.rfind(level_prefix, 0) == 0;
}

void chooseOpponent(Tolvan& g, const std::string& item) {
    if (item == opponent_builtin_item) return take(g, item, "");
    for (int n = 1, levels = levelCount(g); n <= levels; ++n)
        if (item == opponentLevelItem(n)) return takeLevel(g, n);
    if (item == opponent_other_item) {
        // The command in use is offered for editing, whichever item started it.
        const auto command = g.pf.dialogs.askText(
            "GTP で対局できる囲碁エンジンを起動するコマンドを入力して下さい。\r"
            "例: katago gtp -config /usr/share/katago/gtp.cfg",
            "その他のエンジン", g.prefs.engine_command);
        if (!command || command->find_first_not_of(" \t") == std::string::npos) return;
        if (const auto why = g.pf.opponent.check(*command)) {
            g.MsgBox("このエンジンは使えません。\r\r" + *why, Buttons::OK, "その他のエンジン");
            return;
        }
        return take(g, item, *command);
    }
    const auto offers = g.pf.opponent.installed();
    for (std::size_t i = 0; i < offers.size(); ++i)
        if (item == opponentEngineItem(static_cast<int>(i))) return take(g, item, offers[i].command);
}

void applyOpponentChoice(Tolvan& g) {
    tick(g, itemOfChoice(g));
    if (const int level = chosenLevel(g))
        g.pf.opponent.useLevel(level);
    else
        g.pf.opponent.use(g.prefs.engine_command);
}

void tickOpponentChoice(Tolvan& g) {
    // An engine or level in use is the one the settings file names; after a fall-back
    // none is.
    tick(g, g.pf.opponent.engineInUse() ? itemOfChoice(g) : opponent_builtin_item);
}

void showThinking(Tolvan& g, int seconds) {
    if (seconds < 3) return;
    // 「中」 reaches into the seconds' cells: the notice is written again on fresh tiles.
    for (int c = 21; c <= 24; ++c) g.描画_背景絵(g.s.background, panelColumn(g.s, c), 11);
    g.描画_文字列(panelColumn(g.s, 21.1), 11.1, "思考中", color_black, 12);
    g.描画_文字列(panelColumn(g.s, 21), 11, "思考中", color_white, 12);
    g.描画_文字列(panelColumn(g.s, 23.45), 11.35, std::to_string(seconds) + "秒", color_black, 9);
    g.描画_文字列(panelColumn(g.s, 23.35), 11.25, std::to_string(seconds) + "秒", color_white, 9);
    g.pf.canvas.refresh();
}

EngineTurn askEngine(Tolvan& g) {
    GameState& s = g.s;
    auto thinking = [&g](int seconds) { showThinking(g, seconds); };
    const EngineMove m = g.pf.opponent.genmove(rules::upTo(s.record, s.move_no), s.turn, thinking);
    // The record names the engine that played, whatever becomes of it before the end.
    if (m.kind == EngineMove::stone || m.kind == EngineMove::pass || m.kind == EngineMove::resign)
        if (std::string name = g.pf.opponent.engineName(); !name.empty()) g.kifu.engine = std::move(name);
    switch (m.kind) {
    case EngineMove::stone: {
        // The rules the person's stones obey: a free point, no suicide, and a ko taken
        // back at once only right after a pass.
        const rules::Why why = positionOf(s, true).why(s.turn, m.x, m.y);
        const bool on = why != rules::Why::off_board;
        if (why == rules::Why::legal) return {EngineTurn::stone, m.x, m.y};
        fallBack(g, "エンジンの手（" + (on ? pointLabel({m.x, m.y}) : std::string("盤の外")) +
                        "）は打てない手です。");
        return {};
    }
    case EngineMove::pass: return {EngineTurn::pass};
    case EngineMove::resign: return {EngineTurn::resign};
    case EngineMove::cancelled: return {EngineTurn::cancelled};
    case EngineMove::failed: break;
    }
    fallBack(g, m.failure.empty() ? std::string("エンジンが答えませんでした。") : m.failure);
    if (m.notAnEngine && !g.prefs.engine_command.empty()) {
        // No GTP engine: the next start does not try it again.
        g.prefs.engine_command.clear();
        g.書込_環境設定ファイル();
    }
    return {};
}

}  // namespace tolvan
