// Preferences beyond the four of the option menu, kept in Tolvan.ini under keys of their
// own. A reader that knows only the four ignores these lines, so files stay readable by
// every version of the program.
#pragma once

#include <string>
#include <vector>

namespace tolvan {

struct Preferences {
    // The folder the game-record dialogs start in: the one last used. Empty: the
    // start-up directory.
    std::string kifu_folder;
    // The command line of the engine that plays the computer's moves; empty: the
    // built-in player (標準).
    std::string engine_command;
    // Tolvan's own level that plays the computer's moves, from 1 (the weakest) up; 0:
    // none. It goes before engine_command. A number the game has no level for is kept
    // as it is and leaves the choice to engine_command.
    int level = 0;
    // 表示の大きさ: the window's size in per cent (100, 133, 167, 200 or 300), kept under
    // its first name 盤の大きさ.
    int board_size = 100;
    // 碁盤: the board's lines each way (19, 13 or 9).
    int board_lines = 19;
    // 終局の判定: a game that ends by two passes is counted with dead stones marked,
    // instead of the game's own judgement by filling.
    bool count_dead_stones = false;
    // コミ: the points white is given, 0 (なし), 6.5 (6目半) or 7.5 (7目半).
    double komi = 0;
    // The lines of the file that name no key of the game (a later version's, a blank
    // line, a line without "="), byte for byte and in their order: the file is written
    // with them after the game's own lines.
    std::vector<std::string> other_lines;
};

// A value as a settings line holds it: printable ASCII stays, every other byte (and "%")
// becomes %XX, so that any file name survives the Shift-JIS file. decodeValue reverses
// it; a malformed escape is taken as it stands.
std::string encodeValue(const std::string& text);
std::string decodeValue(const std::string& text);

}  // namespace tolvan
