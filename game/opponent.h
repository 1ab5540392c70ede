// The computer's strength: the built-in player (標準), one of Tolvan's own levels, or
// another Go program that speaks GTP, chosen in ｵﾌﾟｼｮﾝ → COMの強さ and kept in
// Tolvan.ini. The levels and the engines run behind the platform port, and the game asks
// a level just as it asks an engine; this is the game's side of them: the menu's choice,
// and the answer turned into what the computer's turn plays.
#pragma once

#include <string>

namespace tolvan {

class Tolvan;

// Menu items of COMの強さ: 標準, Tolvan's levels in the port's order (COM_TOLVAN_1 the
// weakest ...), the installed engines in the port's order (COM_ENGINE_1, COM_ENGINE_2
// ...), and その他のエンジン...
constexpr const char* opponent_builtin_item = "COM_HYOUJUN";
constexpr const char* opponent_other_item = "COM_SONOTA";
std::string opponentEngineItem(int index);  // index from 0
std::string opponentLevelItem(int level);   // level from 1

// True for the items of COMの強さ.
bool isOpponentItem(const std::string& item);

// The command of a menu choice: 標準, the levels and the installed engines take effect
// at once; その他のエンジン... asks for a command line and takes it only when the engine
// answers GTP. The choice is ticked, used from the next computer move on and written to
// the settings file.
void chooseOpponent(Tolvan& game, const std::string& item);

// At start-up: the level the settings file names is ticked and used, else the engine it
// names, else 標準. A level the port does not offer counts as none.
void applyOpponentChoice(Tolvan& game);

// The engines offered have changed: the choice in use is ticked again among them.
void tickOpponentChoice(Tolvan& game);

// What the computer's turn gets from the engine.
struct EngineTurn {
    enum Kind { stone, pass, resign, builtin, cancelled } kind = builtin;
    int x = 0;
    int y = 0;
};

// After a few seconds of an engine's or a level's thought, the panel's 思考中 says how
// many.
void showThinking(Tolvan& game, int seconds);

// Asks the engine or level in use for the computer's move in the game as it stands,
// showing how long it has been thinking. A stone the rules refuse, or an engine that fails, is
// explained in a message box, the choice falls back to 標準 for the rest of the run,
// and the built-in player is to answer this move (`builtin`). A program that did not
// start or answered nothing as a GTP engine is dropped from the settings file as well.
// The engine or level whose move is taken is remembered as the game's player (KifuMemo).
EngineTurn askEngine(Tolvan& game);

}  // namespace tolvan
