// Module1: opening and closing the sound library, loading the sound files, and the
// warning box the sound code shows.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <utility>
#include <string>
#include <variant>

#include "game/tolvan.h"
#include "records/read.h"
#include "game/sound/refusals.h"

namespace tolvan {

namespace {

std::string quoted(const std::string& name) { return "「" + name + "」"; }

const char* const no_device = "Direct Soundインターフェースが作成できません。";
std::string unplayable(const std::string& path) { return quoted(path) + "は再生できない形式です。"; }

}  // namespace

// Opens the sound device with the window's handle into sound_device; warns once when
// there is none. Without a loaded library there is no device either.
void Tolvan::サウンド初期設定(i32 hwnd) {
    s.sound_device = pf.sound.dsInitialize ? pf.sound.dsInitialize(hwnd) : 0;
    if (s.sound_device == 0) 警告表示(no_device);
}

// Loads the wave file `file`, as the program finds it (beside itself, installed, or in
// the current directory), into a new sound with the
// given creation flags. Returns its handle, or 0: silently without a device or without
// the file, after a warning when the file is there but cannot be used.
i32 Tolvan::読込_サウンド(const std::string& file, i32 flags) {
    if (s.sound_device == 0 || !pf.sound.dsCreateDSB) return 0;
    const std::string name = pf.clock.dataFile(file);
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) return 0;

    // The library reads as many bytes as the wave's header declares; the header is
    // checked here against the bytes actually read, so a cut-off or foreign file never
    // reaches it. Only an ordinary file of at most 32 MiB is read.
    constexpr std::size_t max_sound_mib = 32;
    auto read = files::readWhole(name, max_sound_mib << 20);
    if (const auto* f = std::get_if<files::Failure>(&read)) {
        switch (f->problem) {
        case files::Problem::cannot_open:
            警告表示(quoted(name) + "を開けません: " + std::strerror(f->error));
            break;
        case files::Problem::cannot_read:
            警告表示(quoted(name) + "を読み込めません: " + std::strerror(f->error));
            break;
        case files::Problem::folder: 警告表示(quoted(name) + "はフォルダです。"); break;
        case files::Problem::not_regular: 警告表示(quoted(name) + "は通常のファイルではありません。"); break;
        case files::Problem::too_large:
            警告表示(quoted(name) + "は大きすぎます（" + std::to_string(max_sound_mib) + " MiBまでです）。");
            break;
        }
        return 0;
    }
    const std::string& bytes = std::get<std::string>(read);
    if (bytes.empty()) {
        警告表示(quoted(name) + "は空のファイルです。");
        return 0;
    }
    const std::uint64_t declared =
        bytes.size() < 12 ? 0 : declaredWaveSize(reinterpret_cast<const unsigned char*>(bytes.data()));
    if (declared == 0) {
        警告表示(quoted(name) + "はWAVEファイルではありません。");
        return 0;
    }
    if (declared > bytes.size()) {
        警告表示(quoted(name) + "は途中で切れています（" + std::to_string(bytes.size()) +
                 " / " + std::to_string(declared) + " バイト）。");
        return 0;
    }

    const i32 sound = pf.sound.dsCreateDSB(s.sound_device, bytes.data(), flags);
    if (sound == 0) 警告表示(unplayable(name));
    return sound;
}

// Closes the sound device, when one was opened.
void Tolvan::サウンド終了処理() {
    if (s.sound_device != 0 && pf.sound.dsTerminate) pf.sound.dsTerminate(s.sound_device);
}

void warnRefusedSounds(Tolvan& game, bool device, const std::vector<std::int32_t>& sounds) {
    if (device) game.警告表示(no_device);
    const GameState& s = game.s;
    const std::pair<i32, const char*> files[] = {{s.sound_other, "その他.wav"},
                                                 {s.sound_forbidden, "禁止.wav"},
                                                 {s.sound_stone, "石打音.wav"},
                                                 {s.sound_bgm, "BGM.wav"}};
    for (const auto& [handle, file] : files)
        for (std::int32_t refused : sounds)
            if (handle != 0 && handle == refused) game.警告表示(unplayable(game.pf.clock.dataFile(file)));
}

// A modal warning box: the text, an OK button, the exclamation icon, title "Tolvan.dll".
void Tolvan::警告表示(const std::string& text) {
    pf.dialogs.msgBox(text, Buttons::OK, "Tolvan.dll", Icon::Exclamation);
}

}  // namespace tolvan
