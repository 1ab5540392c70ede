// The platform port: everything the game needs from the outside world, and no more.
// The game, the computer player, the drawing and the settings talk only to these
// interfaces; the Qt window implements them in window/, the tests with a recording fake.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rules/history.h"

namespace tolvan {

// The pictures the window carries. Board tiles are 21 x 21 pixels, backgrounds 22 x 21.
enum class Pic {
    KARAUEHIDARI, KARAUENAKA, KARAUEMIGI, KARAHIDARINAKA, KARANAKA, KARANAKATEN,
    KARAMIGINAKA, KARASITAHIDARI, KARASITANAKA, KARASITAMIGI,
    KUROUEHIDARI, KUROUENAKA, KUROUEMIGI, KUROHIDARINAKA, KURONAKA,
    KUROMIGINAKA, KUROSITAHIDARI, KUROSITANAKA, KUROSITAMIGI,
    SIROUEHIDARI, SIROUENAKA, SIROUEMIGI, SIROHIDARINAKA, SIRONAKA,
    SIROMIGINAKA, SIROSITAHIDARI, SIROSITANAKA, SIROSITAMIGI,
    KUROSOTO, SIROSOTO,
    HAIKEI_MIDORI, HAIKEI_TAKE,
    RABERU, SINAN_MODE, SINAN_SURU,
    VERSION,
    Count
};

// The picture's name as it appears in the resources ("KARANAKATEN" ...).
const char* picName(Pic p);

// The window surface: a persistent backing image measured in twips (15 twips a pixel).
// What is drawn stays until something is drawn over it.
class Canvas {
public:
    virtual ~Canvas() = default;
    // Copies a picture at its natural size with its top-left corner at (x, y).
    virtual void paintPicture(Pic pic, double x, double y) = 0;
    // An outlined box from (x1, y1) to (x2, y2) in a palette colour.
    virtual void box(double x1, double y1, double x2, double y2, int color) = 0;
    // A box from (x1, y1) to (x2, y2) filled in a palette colour: what box() outlines and
    // everything inside it.
    virtual void fillBox(double x1, double y1, double x2, double y2, int color) = 0;
    // A filled circle centred at (x, y) with radius r, in a palette colour.
    virtual void circle(double x, double y, double r, int color) = 0;
    // A filled polygon in a palette colour whose corners lie at `corners`, offsets in
    // twips (x right, y down) from the centre (x, y), which is placed as circle places its
    // centre: a mark drawn this way sits on a point's tile as the last move's dot does.
    virtual void polygon(double x, double y, const std::vector<std::pair<double, double>>& corners,
                         int color) = 0;
    // Text (UTF-8) with its top-left at (x, y), size in points, palette colour, bold.
    virtual void text(double x, double y, const std::string& s, double size, int color,
                      bool bold) = 0;
    // Text (UTF-8) whose inked part is centred on (x, y): the glyphs themselves, not the
    // blank space of the font around them, so that short numbers sit in the middle of
    // a stone whatever the face's metrics.
    virtual void textCentred(double x, double y, const std::string& s, double size, int color,
                             bool bold) = 0;
    // Puts what has been drawn on the screen at once.
    virtual void refresh() = 0;
};

// Check marks of menu items, by the item's upper-case name ("BANGOU", "SINAN" ...).
// The check marks are the live store of the preferences.
class Menu {
public:
    virtual ~Menu() = default;
    virtual bool checked(const std::string& item) = 0;
    virtual void setChecked(const std::string& item, bool on) = 0;
};

enum class Buttons { OK, YesNo };
enum class Icon { None, Exclamation };
enum class Answer { OK, Yes, No };

// A file to read, or a file to write (which may exist already).
enum class FileChoice { Open, Save };

// What closed the version window: its close box, ホームページ, or "O K".
enum class VersionButton { Closed, HomePage, OK };

// Modal windows.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box; returns the button pressed.
    virtual Answer msgBox(const std::string& prompt, Buttons buttons, const std::string& title,
                          Icon icon = Icon::None) = 0;
    // Shows the version window modally; returns the button that closed it.
    virtual VersionButton showVersion() = 0;
    // Asks for a file to open or to save under, starting in `folder` (or, when it names a
    // file, in its folder with that name offered), showing the files that `filter` names
    // ("棋譜 (*.sgf)"). Returns the chosen file's full path, or nothing when the person
    // cancelled. A name for saving may lack the extension (some dialogs add it, some do
    // not): the caller adds it. The dialog does not ask before a file is replaced.
    virtual std::optional<std::string> chooseFile(FileChoice choice, const std::string& title,
                                                  const std::string& folder,
                                                  const std::string& filter) = 0;
    // Asks for a line of text, offering `initial`; nothing when the person cancelled.
    virtual std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                               const std::string& initial) = 0;
};

// Time, the start-up directory, and the end of the program.
class Clock {
public:
    virtual ~Clock() = default;
    // The seconds of the time of day, 0..59.
    virtual int second() = 0;
    // Returns once d seconds have passed; handles no window event meanwhile.
    virtual void wait(double d) = 0;
    // The process's current directory.
    virtual std::string currentDir() = 0;
    // Today's date, "YYYY-MM-DD".
    virtual std::string today() = 0;
    // The date and the time to the minute, as a file name takes them ("2026-12-07_1532").
    virtual std::string now() { return today() + "_0000"; }
    // The path of a file the program reads (the opening book, a sound, the manual),
    // wherever the program finds it; the name itself when it looks in the current folder.
    virtual std::string dataFile(const std::string& name) { return name; }
};

// The length a RIFF WAVE image declares for itself (its RIFF chunk plus the chunk's own
// 8-byte header), read from its first 12 bytes; 0 when they do not start a RIFF WAVE
// image. The sound library reads a wave as far as this says.
inline std::uint64_t declaredWaveSize(const unsigned char* b) {
    if (std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0) return 0;
    return (std::uint64_t(b[4]) | std::uint64_t(b[5]) << 8 | std::uint64_t(b[6]) << 16 |
            std::uint64_t(b[7]) << 24) + 8;
}

// The seven functions of the sound library, loaded at run time. A null entry means the
// library could not be loaded; every call then behaves as with no sound device.
struct SoundLibrary {
    std::int32_t (*dsInitialize)(std::int32_t hwnd) = nullptr;
    std::int32_t (*dsCreateDSB)(std::int32_t device, const void* wave, std::int32_t flags) = nullptr;
    std::int32_t (*dsPlay)(std::int32_t sound) = nullptr;
    std::int32_t (*dsPlayLooping)(std::int32_t sound) = nullptr;
    std::int32_t (*dsStop)(std::int32_t sound) = nullptr;
    std::int32_t (*dsFree)(std::int32_t sound) = nullptr;
    std::int32_t (*dsTerminate)(std::int32_t device) = nullptr;
};

// Opens an address (a file path or a web address) in the user's browser, without waiting.
class Browser {
public:
    virtual ~Browser() = default;
    // onFailure is called, at once or later from the event loop, when the page could not
    // be opened (no browser could be started, or it refused to start).
    virtual void open(const std::string& address, std::function<void()> onFailure) = 0;
};

// The main window itself: its handle for the sound library, and the end of the program.
class Window {
public:
    virtual ~Window() = default;
    virtual std::int32_t handle() = 0;
    // Ends the program at once: no further event is handled.
    virtual void endProgram() = 0;
    // The computer's turn begins (true) or has ended (false). Presses, commands and keys
    // made in between are not the person's answer: the window discards them.
    virtual void computerTurn(bool running) {}
    // Whether the window at `percent` per cent of its size fits on the screen.
    virtual bool sizeFits(int percent) { return true; }
    // The window takes that size, blank: the game draws everything again afterwards.
    virtual void setSize(int percent) {}
    // The board has `lines` lines each way (19, 13 or 9): the window takes the width and
    // height of that board and its panel, blank, like setSize.
    virtual void setLines(int lines) {}
};

// An engine's answer when asked for the computer's move.
struct EngineMove {
    enum Kind {
        stone,      // a stone on (x, y)
        pass,
        resign,
        failed,     // no usable answer: `failure` says what went wrong
        cancelled,  // the program is ending; nothing is to be played
    } kind = failed;
    int x = 0;  // the stone's point: column from the left, row from the top, 1..19
    int y = 0;
    std::string failure;  // in Japanese, for a message box
    // With failed: the engine did not start, or ended or said something that is no GTP
    // reply before it answered anything; it is no engine to keep.
    bool notAnEngine = false;
};

// An engine the option menu offers: its caption and the command line that starts it.
struct EngineOffer {
    std::string label;
    std::string command;
};

// The computer's opponent engines: other Go programs that speak GTP, and Tolvan's own
// search at one of its levels, either of which may choose the computer's moves in place
// of the built-in player. A level is asked exactly as an engine is.
class Opponent {
public:
    virtual ~Opponent() = default;
    // The engines found installed, in the order the menu offers them.
    virtual std::vector<EngineOffer> installed() = 0;
    // Tolvan's own levels, weakest first, by the names the menu and the game records give
    // them ("Tolvan（入門）"); none where the search is not at hand.
    virtual std::vector<std::string> levels() { return {}; }
    // From now on the computer's moves come from the engine that `command` starts, or
    // from the built-in player when it is empty. An engine still running is ended.
    virtual void use(const std::string& command) = 0;
    // From now on the computer's moves come from Tolvan's own search at `level`, 1 (the
    // first of levels()) or more. An engine still running is ended.
    virtual void useLevel(int /*level*/) {}
    // True while an engine or one of Tolvan's levels is to choose the computer's moves.
    virtual bool engineInUse() = 0;
    // Starts `command` (split into words as a shell splits them, without a shell; a
    // program named without a slash is looked for on PATH, then in /usr/games) and
    // checks that it answers GTP on a 19 x 19 board; nothing when
    // it does, otherwise what went wrong (in Japanese). The engine is ended again.
    virtual std::optional<std::string> check(const std::string& command) = 0;
    // The komi white is given in the games the engines are asked about from now on;
    // 0 until it is set.
    virtual void setKomi(double komi) {}
    // The engine's move for `colour` (+1 black, -1 white) in `position`, the game so
    // far (with the komi set): the stones of its setup board, then its moves as rules::sequence
    // tells them, passes at the end included. The engine is brought to that position
    // first. The window stays alive while the engine thinks; `thinking` is called about
    // once a second with the seconds waited.
    virtual EngineMove genmove(const rules::History& position, int colour,
                               const std::function<void(int seconds)>& thinking) = 0;
    // The move an engine would choose for `colour` in `position`, without playing it:
    // the engine in use when it is a GTP engine, otherwise Tolvan's own search, for about
    // a second. `thinking` as with genmove; the wait may be cancelled (cancelled).
    // failed when none can say; the caller then asks the built-in player.
    virtual EngineMove suggest(const rules::History& /*position*/, int /*colour*/,
                               const std::function<void(int seconds)>& /*thinking*/) {
        return {};
    }
    // The stones that are dead in `position` at the end of a game, as a Go program
    // judges them: the engine in use when there is one (the estimate's for a level),
    // otherwise GNU Go when it is installed, started for this alone. Nothing when none can say within `seconds`;
    // the window stays alive meanwhile.
    virtual std::vector<rules::Point> deadStones(const rules::History& position, int seconds) = 0;
    // Ends the engine: quit, then killed after a short wait.
    virtual void stop() = 0;
    // The running engine's name and version as it tells them ("GNU Go 3.8"), or the
    // level's name; empty when no engine runs or it does not say.
    virtual std::string engineName() { return {}; }
};

// The whole port, as handed to the game.
struct Platform {
    Canvas& canvas;
    Menu& menu;
    Dialogs& dialogs;
    Clock& clock;
    SoundLibrary& sound;
    Browser& browser;
    Window& window;
    Opponent& opponent;
};

}  // namespace tolvan
