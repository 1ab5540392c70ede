// The settings file Tolvan.ini and the option menu. The check marks of MIDORI, TAKE,
// SINAN, BANGOU and BGM (with `background`) are the live preferences; the file mirrors
// them after every option command except 手順番号表示.
//
// The file is Shift-JIS (code page 932) with CR LF line ends, one key=value per line.
// Keys and values are compared exactly once decoded to UTF-8.
#include <cerrno>
#include <filesystem>
#include <iconv.h>
#include <iterator>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/tolvan.h"
#include "files/read.h"
#include "files/write.h"
#include "game/position.h"

namespace tolvan {

namespace {

// Converts text between two encodings with one iconv descriptor, reused for every call;
// nothing when the converter is missing or the input holds a sequence that is not valid
// in `from` or has no form in `to`.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> operator()(const std::string& text) {
        if (!ok()) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        std::string out;
        std::vector<char> in(text.begin(), text.end());
        char* inp = in.data();
        std::size_t inleft = in.size();
        char buf[256];
        while (inleft > 0) {
            char* outp = buf;
            std::size_t outleft = sizeof buf;
            const std::size_t r = iconv(cd_, &inp, &inleft, &outp, &outleft);
            out.append(buf, outp);
            // EILSEQ or EINVAL: an invalid or cut-off sequence
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return std::nullopt;
        }
        return out;
    }

private:
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

std::optional<std::string> toShiftJis(const std::string& text) {
    Converter c("CP932", "UTF-8");
    return c(text);
}

// A word of the file as it stands in Shift-JIS. The words are plain JIS characters, each
// with exactly one Shift-JIS form, so comparing bytes is comparing the decoded text.
std::string shiftJis(const char* text) { return toShiftJis(text).value_or(text); }

// Splits file bytes into lines. CR LF, a lone LF and a lone CR each end a line; the end
// after the last line's terminator starts no further line.
std::vector<std::string> splitLines(const std::string& data) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// One settings line being written: the text in UTF-8, sent as Shift-JIS with CR LF.
// A line that cannot be encoded (never the case for the program's own lines) is left out.
void writeLine(std::string& out, const std::string& text) {
    if (auto bytes = toShiftJis(text)) out += *bytes + "\r\n";
}

// At most this much of Tolvan.ini is read, and so at most this much is written.
constexpr std::size_t settings_limit = 4u << 20;

}  // namespace

std::string encodeValue(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c > 0x20 && c < 0x7f && c != '%') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string decodeValue(const std::string& text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && digit(text[i + 1]) >= 0 && digit(text[i + 2]) >= 0) {
            out += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace {

// Writes the settings file whole, beside its final name and renamed into place, so that
// an interruption leaves the earlier file; the lines the game does not know follow its
// own. Its folder (the user's configuration folder of an installed game) is made first
// when it is not there yet. Something other than an ordinary file in its place is not
// written.
bool writeSettings(const std::string& file, std::string text, const std::vector<std::string>& others) {
    for (const std::string& line : others) text += line + "\r\n";
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder, ec)) std::filesystem::create_directories(folder, ec);
    return !files::writeWhole(file, text, settings_limit);
}

}  // namespace

// Reads Tolvan.ini. A missing or unreadable file is replaced by the default settings,
// which are also applied. A line without "=" (a blank one too) names no key the game
// knows: it is ignored and kept, like the lines of keys it does not know.
//
// Later lines for the same key win, so the lines are read first and what they leave is
// applied once at the end: the background is drawn once however many lines name it, and
// reading takes time in proportion to the file. Music that any "BGM=ON" line asks for
// starts, as it would have at that line.
//
// The split at the first "=" is made on the raw bytes: 0x3D is never the second byte of
// a Shift-JIS character, so the first 0x3D byte is the first "=". Keys are compared as
// Shift-JIS bytes; a value other than the ones the file knows is checked to be valid
// Shift-JIS, and a line whose value is not matches no key and is ignored like any
// unknown line (it does have its "=").
void Tolvan::読込_環境設定ファイル() {
    // A folder, a pipe, a device or a file of more than a few MiB is as unreadable.
    auto read = files::readWhole(settings_file, settings_limit);
    bool failed = !std::holds_alternative<std::string>(read);
    std::string data = failed ? std::string() : std::move(std::get<std::string>(read));

    static const std::string keyBackground = shiftJis("背景画"), keyHint = shiftJis("移動指南"),
                             keyNumbers = shiftJis("手順番号表示"), keyMusic = "BGM",
                             keyKifuFolder = shiftJis("棋譜フォルダ"),
                             keyEngine = shiftJis("COMエンジン"),
                             keyBoardSize = shiftJis("盤の大きさ"), green = shiftJis("緑"),
                             keyEnding = shiftJis("終局の判定"), keyLines = shiftJis("碁盤"),
                             countDead = shiftJis("死に石を指定して数える"),
                             bamboo = shiftJis("竹");
    Converter decode("UTF-8", "CP932");
    // A value that is not "ON" switches off, provided it is text at all.
    auto onOff = [&](const std::string& value) -> std::optional<bool> {
        if (value == "ON") return true;
        if (!decode(value)) return std::nullopt;
        return false;
    };

    int background = 0;
    std::optional<bool> hint, numbers, music;
    std::optional<std::string> kifuFolder, engine;
    std::optional<int> boardSize;
    std::optional<bool> countDeadStones;
    std::optional<int> boardLines;
    bool musicAsked = false;
    std::vector<std::string> others;
    if (!failed) {
        for (const std::string& raw : splitLines(data)) {
            const std::size_t eq = raw.find('=');
            const std::string key = raw.substr(0, eq), value = eq == std::string::npos ? "" : raw.substr(eq + 1);
            if (eq == std::string::npos) {
                others.push_back(raw);
            } else if (key == keyBackground) {
                if (value == green) background = background_green;
                if (value == bamboo) background = background_bamboo;
            } else if (key == keyHint) {
                if (auto v = onOff(value)) hint = v;
            } else if (key == keyNumbers) {
                if (auto v = onOff(value)) numbers = v;
            } else if (key == keyKifuFolder) {
                kifuFolder = decodeValue(value);
            } else if (key == keyEngine) {
                engine = decodeValue(value);
            } else if (key == keyBoardSize) {
                // A number of per cent; anything else leaves the size alone.
                if (value.size() >= 1 && value.size() <= 3 &&
                    value.find_first_not_of("0123456789") == std::string::npos)
                    boardSize = std::stoi(value);
            } else if (key == keyLines) {
                // "9路", "13路" or "19路"; anything else is the 19-line board.
                boardLines = 19;
                for (int n : {9, 13})
                    if (value == std::to_string(n) + shiftJis("路")) boardLines = n;
            } else if (key == keyEnding) {
                countDeadStones = value == countDead;
            } else if (key == keyMusic) {
                if (auto v = onOff(value)) {
                    music = v;
                    musicAsked = musicAsked || *v;
                }
            } else {
                others.push_back(raw);
            }
        }
    }
    if (!failed) {
        if (background != 0) {
            チェック設定(background);
            描画_背景(background);
            s.background = static_cast<i16>(background);
        }
        if (hint) pf.menu.setChecked("SINAN", *hint);
        if (numbers) pf.menu.setChecked("BANGOU", *numbers);
        if (music) pf.menu.setChecked("BGM", *music);
        if (musicAsked) dsPlayLooping(s.sound_bgm);
        if (kifuFolder) prefs.kifu_folder = *kifuFolder;
        if (engine) prefs.engine_command = *engine;
        if (boardSize) prefs.board_size = *boardSize;
        if (countDeadStones) prefs.count_dead_stones = *countDeadStones;
        if (boardLines) prefs.board_lines = *boardLines;
        prefs.other_lines = std::move(others);
        return;
    }

    // The defaults. They are applied even when the file cannot be written: the program
    // then runs with them and simply has no settings file.
    std::string out;
    writeLine(out, "背景画=竹");
    チェック設定(background_bamboo);
    描画_背景(background_bamboo);
    s.background = background_bamboo;
    writeLine(out, "移動指南=OFF");
    pf.menu.setChecked("SINAN", false);
    writeLine(out, "手順番号表示=OFF");
    pf.menu.setChecked("BANGOU", false);
    writeLine(out, "BGM=OFF");
    pf.menu.setChecked("BGM", false);
    prefs.other_lines.clear();
    writeSettings(settings_file, out, {});
}

// Rewrites Tolvan.ini whole from the current check marks and preferences, followed by
// the lines the game does not know, as they were read. The background line appears
// only when one of 緑 and 竹 is ticked. When the file cannot be written the live
// preferences stay as they are, and the person is told once in the run that changes
// will not outlast it.
void Tolvan::書込_環境設定ファイル() {
    std::string out;
    if (checked("MIDORI") || checked("TAKE"))
        writeLine(out, checked("MIDORI") ? "背景画=緑" : "背景画=竹");
    writeLine(out, checked("SINAN") ? "移動指南=ON" : "移動指南=OFF");
    writeLine(out, checked("BGM") ? "BGM=ON" : "BGM=OFF");
    writeLine(out, checked("BANGOU") ? "手順番号表示=ON" : "手順番号表示=OFF");
    if (!prefs.kifu_folder.empty()) writeLine(out, "棋譜フォルダ=" + encodeValue(prefs.kifu_folder));
    if (!prefs.engine_command.empty())
        writeLine(out, "COMエンジン=" + encodeValue(prefs.engine_command));
    if (prefs.board_size != 100) writeLine(out, "盤の大きさ=" + std::to_string(prefs.board_size));
    if (prefs.count_dead_stones) writeLine(out, "終局の判定=死に石を指定して数える");
    if (prefs.board_lines != 19) writeLine(out, "碁盤=" + std::to_string(prefs.board_lines) + "路");
    if (writeSettings(settings_file, out, prefs.other_lines) || settings_unsaved_told) return;
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
