// A recording fake of the platform port. Every draw, sound call, message box, check
// mark change, wait and browser request is written to one log, in order, as a line of
// text; message boxes are answered from a script (OK, or Yes when none is scripted).
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "game/tolvan.h"
#include "platform/port.h"

namespace tolvan::testing {

inline std::string num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

class FakePlatform : public Canvas,
                     public Menu,
                     public Dialogs,
                     public Clock,
                     public Browser,
                     public Window,
                     public Opponent {
public:
    FakePlatform() : port{*this, *this, *this, *this, sound, *this, *this, *this} {
        current = this;
        sound.dsInitialize = [](std::int32_t h) -> std::int32_t {
            current->log.push_back("dsInitialize " + std::to_string(h));
            return current->device_result;
        };
        sound.dsCreateDSB = [](std::int32_t d, const void* w, std::int32_t f) -> std::int32_t {
            current->log.push_back("dsCreateDSB " + std::to_string(d) + " " + std::to_string(f));
            return ++current->next_sound;
        };
        sound.dsPlay = [](std::int32_t h) -> std::int32_t {
            current->log.push_back("dsPlay " + std::to_string(h));
            return 0;
        };
        sound.dsPlayLooping = [](std::int32_t h) -> std::int32_t {
            current->log.push_back("dsPlayLooping " + std::to_string(h));
            return 0;
        };
        sound.dsStop = [](std::int32_t h) -> std::int32_t {
            current->log.push_back("dsStop " + std::to_string(h));
            return 0;
        };
        sound.dsFree = [](std::int32_t h) -> std::int32_t {
            current->log.push_back("dsFree " + std::to_string(h));
            return 0;
        };
        sound.dsTerminate = [](std::int32_t d) -> std::int32_t {
            current->log.push_back("dsTerminate " + std::to_string(d));
            return 0;
        };
    }
    ~FakePlatform() override {
        if (current == this) current = nullptr;
    }

    // Canvas
    void paintPicture(Pic p, double x, double y) override {
        log.push_back("pic " + std::string(picName(p)) + " " + num(x) + " " + num(y));
    }
    void box(double x1, double y1, double x2, double y2, int c) override {
        log.push_back("box " + num(x1) + " " + num(y1) + " " + num(x2) + " " + num(y2) + " " +
                      std::to_string(c));
    }
    void fillBox(double x1, double y1, double x2, double y2, int c) override {
        log.push_back("fbox " + num(x1) + " " + num(y1) + " " + num(x2) + " " + num(y2) + " " +
                      std::to_string(c));
    }
    void circle(double x, double y, double r, int c) override {
        log.push_back("circle " + num(x) + " " + num(y) + " " + num(r) + " " + std::to_string(c));
    }
    void polygon(double x, double y, const std::vector<std::pair<double, double>>& corners, int c) override {
        std::string line = "polygon " + num(x) + " " + num(y);
        for (const auto& [dx, dy] : corners) line += " " + num(dx) + "," + num(dy);
        log.push_back(line + " " + std::to_string(c));
    }
    void text(double x, double y, const std::string& s, double size, int color, bool bold) override {
        log.push_back("text " + num(x) + " " + num(y) + " " + num(size) + " " +
                      std::to_string(color) + (bold ? " b " : " - ") + "\"" + s + "\"");
    }
    void textCentred(double x, double y, const std::string& s, double size, int color,
                     bool bold) override {
        log.push_back("ctext " + num(x) + " " + num(y) + " " + num(size) + " " +
                      std::to_string(color) + (bold ? " b " : " - ") + "\"" + s + "\"");
    }
    void refresh() override { log.push_back("refresh"); }

    // Menu
    bool checked(const std::string& item) override { return checks[item]; }
    void setChecked(const std::string& item, bool on) override {
        checks[item] = on;
        log.push_back("check " + item + " " + (on ? "1" : "0"));
    }

    // Dialogs
    Answer msgBox(const std::string& prompt, Buttons b, const std::string& title, Icon icon) override {
        log.push_back("msg [" + title + "] " + prompt + (b == Buttons::YesNo ? " (yes/no)" : "") +
                      (icon == Icon::Exclamation ? " (!)" : ""));
        if (on_message) on_message(prompt);
        if (!answers.empty()) {
            Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return b == Buttons::YesNo ? Answer::Yes : Answer::OK;
    }
    VersionButton showVersion() override {
        log.push_back("version window");
        return version_answer;
    }
    // File dialogs take their answers from files_chosen, in order; none left: cancelled.
    std::optional<std::string> chooseFile(FileChoice choice, const std::string& title,
                                          const std::string& folder,
                                          const std::string& filter) override {
        log.push_back(std::string(choice == FileChoice::Open ? "open" : "save") + " dialog [" +
                      title + "] " + folder + " " + filter);
        if (files_chosen.empty()) return std::nullopt;
        std::optional<std::string> f = files_chosen.front();
        files_chosen.pop_front();
        return f;
    }

    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& initial) override {
        log.push_back("ask [" + title + "] " + prompt + " {" + initial + "}");
        if (texts_entered.empty()) return std::nullopt;
        std::optional<std::string> t = texts_entered.front();
        texts_entered.pop_front();
        return t;
    }

    // Opponent: the engines and levels offered, the command or level in use, and
    // scripted answers; each genmove records the position it was given as its moves.
    std::vector<EngineOffer> installed() override { return engines; }
    std::vector<std::string> levels() override { return level_names; }
    void use(const std::string& command) override {
        log.push_back("use engine {" + command + "}");
        engine_command = command;
        level_in_use = 0;
    }
    void useLevel(int level) override {
        log.push_back("use level " + std::to_string(level));
        engine_command.clear();
        level_in_use = level;
    }
    bool engineInUse() override { return !engine_command.empty() || level_in_use > 0; }
    std::string engineName() override {
        if (level_in_use > 0) return level_names.at(static_cast<std::size_t>(level_in_use - 1));
        return engine_command.empty() ? "" : engine_name;
    }
    std::optional<std::string> check(const std::string& command) override {
        log.push_back("check engine {" + command + "}");
        return engine_check;
    }
    EngineMove genmove(const rules::History& position, int colour,
                       const std::function<void(int)>& thinking) override {
        std::string moves;
        for (const auto& m :
             rules::sequence(position, position.stones(), position.passesAtEnd()))
            moves += std::string(m.colour > 0 ? "B" : "W") +
                     (m.pass ? "-" : std::to_string(m.at.x) + "," + std::to_string(m.at.y)) + " ";
        const rules::Board& setup = position.setup();
        log.push_back("genmove " + std::string(colour > 0 ? "b" : "w") + " after " + moves +
                      "(" +
                      std::to_string(setup.stones(rules::black) + setup.stones(rules::white)) +
                      " setup)");
        for (int s = 1; s <= thinking_seconds; ++s) thinking(s);
        if (engine_moves.empty()) return {EngineMove::failed, 0, 0, "エンジンが答えません。"};
        EngineMove m = engine_moves.front();
        engine_moves.pop_front();
        return m;
    }
    // The dead stones proposed at the end of a game: dead_stones, as scripted.
    std::vector<rules::Point> deadStones(const rules::History& position, int seconds) override {
        log.push_back("dead stones after " + std::to_string(position.stones()) + " moves within " +
                      std::to_string(seconds) + "s");
        return dead_stones;
    }
    void stop() override { log.push_back("stop engine"); }

    // Clock
    int second() override { return clock_second; }
    void wait(double d) override { log.push_back("wait " + num(d)); }
    std::string currentDir() override { return current_dir; }
    std::string today() override { return "2026-12-07"; }
    std::string now() override { return "2026-12-07_1532"; }

    // Browser
    void open(const std::string& address, std::function<void()> onFailure) override {
        log.push_back("browse " + address);
        browser_failure = std::move(onFailure);
    }

    // Window
    std::int32_t handle() override { return 4242; }
    void endProgram() override {
        log.push_back("end program");
        program_ended = true;
    }
    void computerTurn(bool running) override {
        if (log_computer_turn) log.push_back(running ? "computer turn begins" : "computer turn ends");
    }
    bool sizeFits(int percent) override { return percent <= largest_size; }
    void setSize(int percent) override { log.push_back("size " + std::to_string(percent)); }
    void setLines(int lines) override { log.push_back("lines " + std::to_string(lines)); }
    // The largest window size, in per cent, that the pretended screen holds.
    int largest_size = 300;

    // What was recorded, and helpers to read it.
    std::vector<std::string> log;
    void clear() { log.clear(); }
    // The lines that start with the prefix, in order.
    std::vector<std::string> lines(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
        return out;
    }
    bool has(const std::string& line) const {
        for (const auto& l : log)
            if (l == line) return true;
        return false;
    }
    // Index of the first line equal to `line` at or after `from`, or -1.
    int find(const std::string& line, int from = 0) const {
        for (int i = from; i < static_cast<int>(log.size()); ++i)
            if (log[i] == line) return i;
        return -1;
    }
    std::string dump() const {
        std::string out;
        for (const auto& l : log) out += l + "\n";
        return out;
    }

    std::map<std::string, bool> checks;
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> files_chosen;
    std::deque<std::optional<std::string>> texts_entered;
    std::vector<EngineOffer> engines;
    std::string engine_command;
    std::string engine_name;
    std::vector<std::string> level_names;
    int level_in_use = 0;
    std::optional<std::string> engine_check;
    std::deque<EngineMove> engine_moves;
    int thinking_seconds = 0;
    std::vector<rules::Point> dead_stones;
    VersionButton version_answer = VersionButton::OK;
    int clock_second = 0;
    std::string current_dir = "/home/player/tolvan";
    // When set, the folder every data file is found in.
    std::string data_folder;
    std::string dataFile(const std::string& name) override {
        return data_folder.empty() ? name : data_folder + "/" + name;
    }
    std::int32_t device_result = 0;  // no sound device unless a test says otherwise
    std::int32_t next_sound = 100;
    bool program_ended = false;
    // Off by default, so that the exact logs of the other tests stay as they are.
    bool log_computer_turn = false;
    // What the last browser request calls when its page could not be opened.
    std::function<void()> browser_failure;
    // Called with each message box's prompt while it is shown, before it is answered.
    std::function<void(const std::string&)> on_message;

    SoundLibrary sound;
    Platform port;

    static inline FakePlatform* current = nullptr;
};

// A game on the fake port, started as the window starts it. The state record is large
// (all stored positions), so it lives on the heap.
struct Fixture {
    FakePlatform fake;
    std::unique_ptr<Tolvan> game = std::make_unique<Tolvan>(fake.port);
    GameState& s = game->s;
};

// A game after start-up, driven as a person drives it: the stone sound has handle 11,
// the refusal sound 12, and the log starts empty.
struct GameTest : ::testing::Test {
    Fixture f;
    Tolvan& g = *f.game;
    GameState& s = f.s;

    void SetUp() override {
        g.Form_Load();
        s.sound_stone = 11;
        s.sound_forbidden = 12;
        f.fake.clear();
    }
    // A press on the centre of board point (x, y).
    void press(int x, int y);
    std::vector<std::string> messages() { return f.fake.lines("msg"); }
};

// A game whose settings file is its own, in the temporary folder, and is gone before and
// after each test: what a test chooses stays out of the run folder's settings. The
// fixture points the game at it when its own start-up needs.
struct OwnSettingsTest : GameTest {
    std::filesystem::path ini =
        std::filesystem::temp_directory_path() /
        ("tolvan-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
         "-" + std::to_string(getpid()) + ".ini");
    OwnSettingsTest() { std::filesystem::remove(ini); }
    void TearDown() override { std::filesystem::remove(ini); }
    std::string iniText() const {
        std::ifstream in(ini, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// Sets the board from rows of text, top row first: 'X' black, 'O' white, '.' empty.
// Rows may be shorter than 19 characters and fewer than 19 rows; the rest is empty.
inline void setBoard(GameState& s, const std::vector<std::string>& rows) {
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y) s.board[x][y] = stone_empty;
    for (std::size_t r = 0; r < rows.size() && r < 19; ++r)
        for (std::size_t c = 0; c < rows[r].size() && c < 19; ++c) {
            char ch = rows[r][c];
            int x = static_cast<int>(c) + 1, y = static_cast<int>(r) + 1;
            s.board[x][y] = ch == 'X' ? stone_black : ch == 'O' ? stone_white : stone_empty;
        }
}

// The board as rows of text, for comparisons and failure messages.
inline std::string boardText(const GameState& s) {
    std::string out;
    for (int y = 1; y <= 19; ++y) {
        for (int x = 1; x <= 19; ++x)
            out += s.board[x][y] == stone_black ? 'X' : s.board[x][y] == stone_white ? 'O' : '.';
        out += '\n';
    }
    return out;
}

// Fills the record with n stones as if they had been played, black first, the last on
// `last` and the others on (1, 1), each with the board as it stands: a record at its end
// without playing a whole game.
inline void fillRecord(GameState& s, int n, rules::Point last) {
    s.record.reset(boardOf(s));
    for (int k = 0; k < n; ++k)
        s.record.store(k, {k % 2 ? stone_white : stone_black, k == n - 1 ? last : rules::Point{1, 1}},
                       boardOf(s));
}

// Twips of the centre of board point (x, y), for presses.
inline double pressX(int x) { return board_left + x * cell_width + 150; }
inline double pressY(int y) { return board_top + y * cell_height + 150; }

inline void GameTest::press(int x, int y) { g.MouseDown(pressX(x), pressY(y)); }

}  // namespace tolvan::testing
