// Tolvan.ini read into values and written from them.
#include "settings/ini.h"

#include <cerrno>
#include <filesystem>
#include <iconv.h>
#include <iterator>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "records/read.h"
#include "records/write.h"

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

// The split at the first "=" is made on the raw bytes: 0x3D is never the second byte of
// a Shift-JIS character, so the first 0x3D byte is the first "=". Keys are compared as
// Shift-JIS bytes; a value other than the ones the file knows is checked to be valid
// Shift-JIS, and a line whose value is not matches no key and is ignored like any
// unknown line (it does have its "="). A line without "=" (a blank one too) names no
// key: it is kept, like the lines of keys the game does not know.
std::optional<SettingsRead> readSettingsFile(const std::string& file) {
    auto read = files::readWhole(file, settings_limit);
    if (!std::holds_alternative<std::string>(read)) return std::nullopt;
    const std::string data = std::move(std::get<std::string>(read));

    static const std::string keyBackground = shiftJis("背景画"), keyHint = shiftJis("移動指南"),
                             keyNumbers = shiftJis("手順番号表示"), keyMusic = "BGM",
                             keyKifuFolder = shiftJis("棋譜フォルダ"),
                             keyEngine = shiftJis("COMエンジン"), keyLevel = shiftJis("COMレベル"),
                             keyBoardSize = shiftJis("盤の大きさ"), green = shiftJis("緑"),
                             keyEnding = shiftJis("終局の判定"), keyLines = shiftJis("碁盤"),
                             countDead = shiftJis("死に石を指定して数える"),
                             keyKomi = shiftJis("コミ"), komi65 = shiftJis("6目半"),
                             komi75 = shiftJis("7目半"),
                             bamboo = shiftJis("竹");
    Converter decode("UTF-8", "CP932");
    // A value that is not "ON" switches off, provided it is text at all.
    auto onOff = [&](const std::string& value) -> std::optional<bool> {
        if (value == "ON") return true;
        if (!decode(value)) return std::nullopt;
        return false;
    };

    SettingsRead r;
    for (const std::string& raw : splitLines(data)) {
        const std::size_t eq = raw.find('=');
        const std::string key = raw.substr(0, eq), value = eq == std::string::npos ? "" : raw.substr(eq + 1);
        if (eq == std::string::npos) {
            r.other_lines.push_back(raw);
        } else if (key == keyBackground) {
            if (value == green) r.background = BackgroundSetting::green;
            if (value == bamboo) r.background = BackgroundSetting::bamboo;
        } else if (key == keyHint) {
            if (auto v = onOff(value)) r.hint = v;
        } else if (key == keyNumbers) {
            if (auto v = onOff(value)) r.numbers = v;
        } else if (key == keyKifuFolder) {
            r.kifu_folder = decodeValue(value);
        } else if (key == keyEngine) {
            r.engine_command = decodeValue(value);
        } else if (key == keyLevel) {
            if (value.size() >= 1 && value.size() <= 2 &&
                value.find_first_not_of("0123456789") == std::string::npos)
                r.level = std::stoi(value);
        } else if (key == keyBoardSize) {
            // A number of per cent; anything else leaves the size alone.
            if (value.size() >= 1 && value.size() <= 3 &&
                value.find_first_not_of("0123456789") == std::string::npos)
                r.board_size = std::stoi(value);
        } else if (key == keyLines) {
            // "9路", "13路" or "19路"; anything else is the 19-line board.
            r.board_lines = 19;
            for (int n : {9, 13})
                if (value == std::to_string(n) + shiftJis("路")) r.board_lines = n;
        } else if (key == keyEnding) {
            r.count_dead_stones = value == countDead;
        } else if (key == keyKomi) {
            r.komi = value == komi65 ? 6.5 : value == komi75 ? 7.5 : 0;
        } else if (key == keyMusic) {
            if (auto v = onOff(value)) {
                r.music = v;
                r.music_asked = r.music_asked || *v;
            }
        } else {
            r.other_lines.push_back(raw);
        }
    }
    return r;
}

bool writeSettingsFile(const std::string& file, const OptionMarks& marks, const Preferences& prefs) {
    std::string out;
    if (marks.background != BackgroundSetting::none)
        writeLine(out, marks.background == BackgroundSetting::green ? "背景画=緑" : "背景画=竹");
    writeLine(out, marks.hint ? "移動指南=ON" : "移動指南=OFF");
    writeLine(out, marks.music ? "BGM=ON" : "BGM=OFF");
    writeLine(out, marks.numbers ? "手順番号表示=ON" : "手順番号表示=OFF");
    if (!prefs.kifu_folder.empty()) writeLine(out, "棋譜フォルダ=" + encodeValue(prefs.kifu_folder));
    if (!prefs.engine_command.empty())
        writeLine(out, "COMエンジン=" + encodeValue(prefs.engine_command));
    if (prefs.level > 0) writeLine(out, "COMレベル=" + std::to_string(prefs.level));
    if (prefs.board_size != 100) writeLine(out, "盤の大きさ=" + std::to_string(prefs.board_size));
    if (prefs.count_dead_stones) writeLine(out, "終局の判定=死に石を指定して数える");
    if (prefs.board_lines != 19) writeLine(out, "碁盤=" + std::to_string(prefs.board_lines) + "路");
    if (prefs.komi == 6.5) writeLine(out, "コミ=6目半");
    if (prefs.komi == 7.5) writeLine(out, "コミ=7目半");
    return writeSettings(file, out, prefs.other_lines);
}

bool writeDefaultSettingsFile(const std::string& file) {
    std::string out;
    writeLine(out, "背景画=竹");
    writeLine(out, "移動指南=OFF");
    writeLine(out, "手順番号表示=OFF");
    writeLine(out, "BGM=OFF");
    return writeSettings(file, out, {});
}

}  // namespace tolvan
