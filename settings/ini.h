// Tolvan.ini, the settings file, read into values and written from them. It knows the
// file's keys and its encoding, and nothing of the game: the game applies what was read
// and says what to write.
//
// The file is Shift-JIS (code page 932) with CR LF line ends, one key=value per line.
// Keys and values are compared exactly once decoded to UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/preferences.h"

namespace tolvan {

// 背景画: no line, 緑 or 竹.
enum class BackgroundSetting { none, green, bamboo };

// What a readable Tolvan.ini says. A key without a line, or whose every line held a value
// that is not text, stays unset; where several lines name one key the last wins.
struct SettingsRead {
    BackgroundSetting background = BackgroundSetting::none;
    std::optional<bool> hint, numbers, music;
    // Whether any "BGM=ON" line was read, even one a later "BGM=OFF" overrides: the music
    // starts as it would have at that line.
    bool music_asked = false;
    std::optional<std::string> kifu_folder, engine_command;
    // COMレベル: a number of one or two digits; anything else leaves it unset.
    std::optional<int> level;
    std::optional<int> board_size, board_lines;
    std::optional<bool> count_dead_stones;
    // コミ: 6.5 or 7.5; any other value is 0 (なし).
    std::optional<double> komi;
    // The lines that name no key of the game, byte for byte and in their order.
    std::vector<std::string> other_lines;
};

// Reads Tolvan.ini; nothing when it is missing or unreadable (a folder, a pipe, a device
// or a file of more than a few MiB is as unreadable).
std::optional<SettingsRead> readSettingsFile(const std::string& file);

// The option menu's marks as the file keeps them.
struct OptionMarks {
    BackgroundSetting background = BackgroundSetting::none;
    bool hint = false, music = false, numbers = false;
};

// Writes Tolvan.ini whole from the marks and the preferences, followed by the lines the
// game does not know; the background line only when one is chosen. False when the file
// could not be written; the earlier file then stands.
bool writeSettingsFile(const std::string& file, const OptionMarks& marks, const Preferences& prefs);

// Writes the file of a first start: 竹, and 移動指南, 手順番号表示 and BGM off.
bool writeDefaultSettingsFile(const std::string& file);

}  // namespace tolvan
