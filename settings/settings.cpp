// The settings file Tolvan.ini and the option menu. The check marks of MIDORI, TAKE,
// SINAN, BANGOU and BGM (with `background`) are the live preferences; the file mirrors
// them after every option command except 手順番号表示.
//
// The file is Shift-JIS (code page 932) with CR LF line ends, one key=value per line.
// Keys and values are compared exactly once decoded to UTF-8.
#include <cerrno>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/tolvan.h"

namespace tolvan {

namespace {

// Converts text between two encodings with iconv; nothing when the converter is missing
// or the input holds a sequence that is not valid in `from` or has no form in `to`.
std::optional<std::string> convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    std::vector<char> in(text.begin(), text.end());
    char* inp = in.data();
    std::size_t inleft = in.size();
    char buf[256];
    bool ok = true;
    while (inleft > 0) {
        char* outp = buf;
        std::size_t outleft = sizeof buf;
        const std::size_t r = iconv(cd, &inp, &inleft, &outp, &outleft);
        out.append(buf, outp);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;  // EILSEQ or EINVAL: an invalid or cut-off sequence
            break;
        }
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

std::optional<std::string> fromShiftJis(const std::string& bytes) {
    return convert(bytes, "UTF-8", "CP932");
}

std::optional<std::string> toShiftJis(const std::string& text) {
    return convert(text, "CP932", "UTF-8");
}

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
void writeLine(std::ofstream& out, const std::string& text) {
    if (auto bytes = toShiftJis(text)) out << *bytes << "\r\n";
}

}  // namespace

// Reads Tolvan.ini and applies each line as it is read. A missing or unreadable file, or
// a line without "=", is replaced by the default settings, which are also applied.
//
// The split at the first "=" is made on the raw bytes: 0x3D is never the second byte of
// a Shift-JIS character, so the first 0x3D byte is the first "=". Key and value are then
// decoded; a line whose key or value is not valid Shift-JIS matches no key and is
// ignored like any unknown line (it does have its "=").
void Tolvan::読込_環境設定ファイル() {
    bool failed = false;
    std::string data;
    {
        std::ifstream in(settings_file, std::ios::binary);
        if (!in) {
            failed = true;
        } else {
            data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad()) failed = true;
        }
    }

    if (!failed) {
        for (const std::string& raw : splitLines(data)) {
            const std::size_t eq = raw.find('=');
            if (eq == std::string::npos) {
                failed = true;
                break;
            }
            const auto key = fromShiftJis(raw.substr(0, eq));
            const auto value = fromShiftJis(raw.substr(eq + 1));
            if (!key || !value) continue;

            if (*key == "背景画") {
                if (*value == "緑") {
                    チェック設定(background_green);
                    描画_背景(background_green);
                    s.background = background_green;
                } else if (*value == "竹") {
                    チェック設定(background_bamboo);
                    描画_背景(background_bamboo);
                    s.background = background_bamboo;
                }
            } else if (*key == "移動指南") {
                pf.menu.setChecked("SINAN", *value == "ON");
            } else if (*key == "手順番号表示") {
                pf.menu.setChecked("BANGOU", *value == "ON");
            } else if (*key == "BGM") {
                if (*value == "ON") {
                    pf.menu.setChecked("BGM", true);
                    dsPlayLooping(s.sound_bgm);
                } else {
                    pf.menu.setChecked("BGM", false);
                }
            }
        }
    }
    if (!failed) return;

    // The defaults. They are applied even when the file cannot be written: the program
    // then runs with them and simply has no settings file.
    std::ofstream out(settings_file, std::ios::binary | std::ios::trunc);
    writeLine(out, "背景画=竹");
    チェック設定(background_bamboo);
    描画_背景(background_bamboo);
    s.background = background_bamboo;
    writeLine(out, "移動指南=OFF");
    pf.menu.setChecked("SINAN", false);
    writeLine(out, "手順番号表示=OFF");
    pf.menu.setChecked("BANGOU", false);
    writeLine(out, "BGM=OFF");
    // Music that an earlier line of a broken file started stops with its check mark.
    if (checked("BGM")) dsStop(s.sound_bgm);
    pf.menu.setChecked("BGM", false);
}

// Rewrites Tolvan.ini whole from the current check marks. The background line appears
// only when one of 緑 and 竹 is ticked. When the file cannot be written nothing else
// happens: the live preferences stay as they are and the file keeps its old content.
void Tolvan::書込_環境設定ファイル() {
    std::ofstream out(settings_file, std::ios::binary | std::ios::trunc);
    if (!out) return;
    if (checked("MIDORI") || checked("TAKE"))
        writeLine(out, checked("MIDORI") ? "背景画=緑" : "背景画=竹");
    writeLine(out, checked("SINAN") ? "移動指南=ON" : "移動指南=OFF");
    writeLine(out, checked("BGM") ? "BGM=ON" : "BGM=OFF");
    writeLine(out, checked("BANGOU") ? "手順番号表示=ON" : "手順番号表示=OFF");
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
        for (int x = 1; x <= 19; ++x)
            for (int y = 1; y <= 19; ++y)
                if (s.board[x][y] != stone_empty) 描画_石(x, y, s.board[x][y]);
    } else {
        pf.menu.setChecked("BANGOU", true);
        描画_全手順番号(s.move_no - 1);
    }
    if (s.move_no > 0)
        描画_打駒印(s.move_x[s.move_no - 1], s.move_y[s.move_no - 1], mark_color);
}

// 置石指南: hint mode on or off, with its indicator on the side panel.
void Tolvan::SINAN_Click() {
    if (checked("SINAN")) {
        pf.menu.setChecked("SINAN", false);
        for (int i = 21; i <= 26; ++i) {
            描画_背景絵(s.background, i, 3);
            描画_背景絵(s.background, i, 4);
        }
    } else {
        pf.menu.setChecked("SINAN", true);
        pf.canvas.paintPicture(Pic::SINAN_MODE, 7000, 1000);
        if (s.hint_active == flag_on) pf.canvas.paintPicture(Pic::SINAN_SURU, 7000, 1000);
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
