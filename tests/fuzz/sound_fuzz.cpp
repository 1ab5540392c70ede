// The sound-file loader and the sound library's decoding. The input is a sound file;
// the game's loader checks it and hands it to the library, which decodes it with SDL's
// mixer (on SDL's dummy audio driver), and the sound is played, stopped and freed.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/tolvan.h"
#include "fuzz/scratch.h"
#include "platform/headless.h"

extern "C" {
std::int32_t dsInitialize(std::int32_t);
std::int32_t dsCreateDSB(std::int32_t, const void*, std::int32_t);
std::int32_t dsPlay(std::int32_t);
std::int32_t dsPlayLooping(std::int32_t);
std::int32_t dsStop(std::int32_t);
std::int32_t dsFree(std::int32_t);
std::int32_t dsTerminate(std::int32_t);
}

namespace {

using namespace tolvan;

// A headless platform whose sound table is the real library.
struct SoundPlatform : HeadlessPlatform {
    SoundLibrary library{dsInitialize, dsCreateDSB, dsPlay, dsPlayLooping, dsStop, dsFree, dsTerminate};
    Platform withSound{*this, *this, *this, *this, library, *this, *this, *this};
};

struct Harness {
    SoundPlatform platform;
    std::unique_ptr<Tolvan> game = std::make_unique<Tolvan>(platform.withSound);
    std::string file = fuzz::scratchFile("sound.wav");
    Harness() {
        game->サウンド初期設定(1);
        if (game->s.sound_device == 0) std::abort();  // the dummy driver always opens
    }
    ~Harness() { game->サウンド終了処理(); }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Harness h;
    fuzz::writeScratch(h.file, data, size);
    // Flags 1 (music) and 3 (effects) take different paths in the library.
    const std::int32_t flags = size > 0 && (data[size - 1] & 1) ? 1 : 3;
    const i32 sound = h.game->読込_サウンド(h.file, flags);
    if (sound != 0) {
        h.game->dsPlay(sound);
        h.game->dsPlayLooping(sound);
        h.game->dsStop(sound);
        h.game->dsFree(sound);
    }
    return 0;
}
