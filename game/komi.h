// コミ: the points white is given for moving second. The option menu chooses it (なし,
// 6目半 or 7目半) and the settings file keeps it; a record opened from a file may name
// its own (KM), which holds for that game. The game asks komiOf wherever it counts,
// writes a record or sets up an engine.
#pragma once

#include <optional>
#include <string>

#include "records/replay.h"

namespace tolvan {

class Tolvan;

// The items of コミ, and whether an item is one of them.
constexpr const char* komi_none_item = "KOMI_NASI";
constexpr const char* komi_six_item = "KOMI_6MOKUHAN";
constexpr const char* komi_seven_item = "KOMI_7MOKUHAN";
bool isKomiItem(const std::string& item);

// The command of an item: it is ticked alone, the choice is written to the settings
// file, and the game in play counts with it unless its record named its own.
void chooseKomi(Tolvan& game, const std::string& item);
// At start-up: ticks the item of the komi chosen and tells the engine.
void applyKomi(Tolvan& game);
// Tells the engine the komi of the game in play, whenever it may have changed: a new
// game, a record opened.
void tellKomi(Tolvan& game);

// The komi of the game in play: its record's own when it was opened from a file that
// names one, else the menu's.
double komiOf(const Tolvan& game);

// A komi or a margin as the game writes it: "6.5", "0", "12".
std::string komiText(double points);

// The komi on the side panel, below the prisoners, when the game has one; nothing is
// drawn without komi.
void drawKomi(Tolvan& game);

}  // namespace tolvan
