// The sound library the game loads at run time: seven C functions with 32-bit integer
// arguments and results, over SDL2_mixer. One device at a time; sounds are played on free
// mixer channels.
//
// A sound is checked and copied when it is created, and converted into the mixer's own
// format only when it is first played, on a thread of its own: the program's start-up
// does not wait for the conversion (resampling the music takes longer than the rest of
// the start-up). What is asked of a sound meanwhile (plays, a loop, a stop) is done as
// soon as it is ready, in the order asked.
//
// Every handle is a positive number that is never handed out twice in the life of the
// process; 0 and any handle not (or no longer) ours are ignored by every call.
//
// Only the seven functions are exported. The rest of the file avoids the standard
// containers on purpose: their template instances would be exported with them.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <cstring>

#define TOLVAN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The mixer's output: CD rate, 16-bit, stereo. Sounds in other formats are converted
// once, when they are created.
constexpr int mix_rate = 44100;
constexpr int mix_channels = 2;
constexpr int mix_buffer = 1024;
// Enough mixer channels for a burst of stone clicks over the music.
constexpr int mixer_channels = 16;

// Creation flags: 1 marks the background music, which plays a little softer than the
// effects (3) so that the clicks stay on top of it.
constexpr std::int32_t flag_music = 1;
constexpr int music_volume = MIX_MAX_VOLUME * 3 / 4;

// A wave image larger than this is refused rather than trusted.
constexpr std::uint32_t max_wave_bytes = 256u << 20;

constexpr int max_sounds = 256;

// Where a sound is on its way to the mixer.
enum class State {
    waiting,     // checked and copied, not asked for yet
    asked,       // asked for: the converter takes it next
    converting,  // being converted, outside the lock
    ready,       // in the mixer's format: chunk is set
    failed,      // the mixer could not convert it: it stays silent
};

struct Sound {
    std::int32_t handle = 0;  // 0: a free slot
    State state = State::waiting;
    std::int32_t flags = 0;
    unsigned char* wave = nullptr;  // the copied wave image until it is converted
    std::uint32_t size = 0;
    Mix_Chunk* chunk = nullptr;
    int loop_channel = -1;  // the channel of the loop started by dsPlayLooping
    int plays = 0;          // single plays asked for before it was ready
    bool loop = false;      // a loop asked for before it was ready
};

std::int32_t device = 0;  // the open device's handle, 0 when closed
std::int32_t last_device = 0;
std::int32_t last_sound = 0;
Sound sounds[max_sounds];

// The converter thread and what it shares with the callers: every field of every Sound
// is read and written under `lock` (the converter lets go of it only while converting).
SDL_mutex* lock = nullptr;
SDL_cond* work = nullptr;       // a sound was asked for, or the converter is to end
SDL_cond* converted = nullptr;  // a conversion ended
SDL_Thread* converter = nullptr;
bool converter_ends = false;

class Locked {
public:
    Locked() { SDL_LockMutex(lock); }
    ~Locked() { SDL_UnlockMutex(lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

// Handles are given and taken back only by the callers' thread, so the search needs no
// lock; what the sound holds does.
Sound* find(std::int32_t handle) {
    if (handle <= 0 || device == 0) return nullptr;
    for (Sound& s : sounds)
        if (s.handle == handle) return &s;
    return nullptr;
}

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// The size of the RIFF WAVE image at `wave` as its header declares it, or 0 when the
// bytes do not start a RIFF WAVE file. Only the first 12 bytes are looked at.
std::uint32_t waveSize(const unsigned char* wave) {
    if (std::memcmp(wave, "RIFF", 4) != 0 || std::memcmp(wave + 8, "WAVE", 4) != 0) return 0;
    const std::uint32_t body = le32(wave + 4);
    if (body < 4 || body > max_wave_bytes) return 0;
    return body + 8;
}

// True when every chunk of the RIFF WAVE image of `size` bytes lies inside it. The
// mixer trusts a chunk's declared length and allocates that much before reading, so a
// small file that claims a 4 GB data chunk would take 4 GB.
bool chunksFit(const unsigned char* wave, std::uint32_t size) {
    std::uint32_t at = 12;
    while (size - at >= 8) {
        const std::uint32_t length = le32(wave + at + 4);
        if (length > size - at - 8) return false;
        at += 8 + length;
        if (length & 1) {
            if (at == size) break;  // the pad byte of the last chunk may be left out
            ++at;
        }
    }
    return true;
}

// Halts every channel that is playing the sound, the loop and single plays alike.
void haltSound(Sound& s) {
    const int channels = Mix_AllocateChannels(-1);
    for (int ch = 0; ch < channels; ++ch)
        if (Mix_Playing(ch) && Mix_GetChunk(ch) == s.chunk) Mix_HaltChannel(ch);
    s.loop_channel = -1;
}

// Waits, under the lock, until the converter is not working on the sound.
void awaitConversion(Sound& s) {
    while (s.state == State::converting) SDL_CondWait(converted, lock);
}

void release(Sound& s) {
    awaitConversion(s);
    if (s.chunk) {
        haltSound(s);
        Mix_FreeChunk(s.chunk);
    }
    SDL_free(s.wave);
    s = Sound{};
}

// Hands the sound to the converter, unless it is there already.
void ask(Sound& s) {
    if (s.state != State::waiting) return;
    s.state = State::asked;
    SDL_CondSignal(work);
}

void startLoop(Sound& s) { s.loop_channel = Mix_PlayChannel(-1, s.chunk, -1); }

// The converter: takes the sounds asked for, one at a time, converts each outside the
// lock, and then does what was asked of it meanwhile.
int convertSounds(void*) {
    // The program's own work, its start-up above all, goes first.
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
    Locked held;
    for (;;) {
        Sound* next = nullptr;
        while (!converter_ends && !next) {
            for (Sound& s : sounds)
                if (s.handle != 0 && s.state == State::asked) {
                    next = &s;
                    break;
                }
            if (!next && !converter_ends) SDL_CondWait(work, lock);
        }
        if (converter_ends) return 0;
        Sound& s = *next;
        s.state = State::converting;
        const unsigned char* wave = s.wave;
        const std::uint32_t size = s.size;
        SDL_UnlockMutex(lock);
        Mix_Chunk* chunk = nullptr;
        if (SDL_RWops* rw = SDL_RWFromConstMem(wave, static_cast<int>(size)))
            chunk = Mix_LoadWAV_RW(rw, 1);
        SDL_LockMutex(lock);
        SDL_free(s.wave);
        s.wave = nullptr;
        s.chunk = chunk;
        s.state = chunk ? State::ready : State::failed;
        if (chunk) {
            if (s.flags == flag_music) Mix_VolumeChunk(chunk, music_volume);
            for (; s.plays > 0; --s.plays) Mix_PlayChannel(-1, chunk, 0);
            if (s.loop) startLoop(s);
        }
        s.plays = 0;
        s.loop = false;
        SDL_CondBroadcast(converted);
    }
}

// True when SDL can read the wave image: its format and chunks are ones it knows. The
// conversion to the mixer's format, done later, then succeeds too.
// The record SDL fills with the wave's sample format: the type of the loader's third
// argument.
template <class R, class A, class B, class F, class... Rest>
F formatArgument(R (*)(A, B, F*, Rest...));
using WaveFormat = decltype(formatArgument(&SDL_LoadWAV_RW));

bool readable(const void* wave, std::uint32_t size) {
    SDL_RWops* rw = SDL_RWFromConstMem(wave, static_cast<int>(size));
    if (!rw) return false;
    WaveFormat format{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &format, &samples, &length)) return false;
    SDL_FreeWAV(samples);
    return true;
}

}  // namespace

// Opens the audio device. The window handle is not needed. Returns the device handle,
// or 0 when no device could be opened. A second call while open returns the same handle.
TOLVAN_EXPORT std::int32_t dsInitialize(std::int32_t /*hwnd*/) {
    if (device != 0) return device;
    // The program owns its signals: SDL would otherwise turn SIGINT and SIGTERM into
    // quit events that nobody reads, and the program could no longer be stopped.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    if (Mix_OpenAudio(mix_rate, AUDIO_S16SYS, mix_channels, mix_buffer) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    if (!lock) lock = SDL_CreateMutex();
    if (!work) work = SDL_CreateCond();
    if (!converted) converted = SDL_CreateCond();
    converter_ends = false;
    converter = lock && work && converted ? SDL_CreateThread(convertSounds, "tolvan-sound", nullptr) : nullptr;
    if (!converter) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    Mix_AllocateChannels(mixer_channels);
    device = ++last_device;
    return device;
}

// Creates a sound from the in-memory RIFF WAVE file at `wave` (header included). The
// wave is checked and copied during the call, so the caller may free or reuse its bytes
// at once. Returns the sound handle, or 0 for a wrong device or data that is not a wave
// image the mixer can decode.
TOLVAN_EXPORT std::int32_t dsCreateDSB(std::int32_t dev, const void* wave, std::int32_t flags) {
    if (dev == 0 || dev != device || wave == nullptr) return 0;
    const auto* bytes = static_cast<const unsigned char*>(wave);
    const std::uint32_t size = waveSize(bytes);
    if (size == 0 || !chunksFit(bytes, size) || !readable(wave, size)) return 0;

    Locked held;
    Sound* slot = nullptr;
    for (Sound& s : sounds)
        if (s.handle == 0) {
            slot = &s;
            break;
        }
    if (!slot) return 0;
    auto* copy = static_cast<unsigned char*>(SDL_malloc(size));
    if (!copy) return 0;
    std::memcpy(copy, wave, size);

    *slot = Sound{};
    slot->wave = copy;
    slot->size = size;
    slot->flags = flags;
    slot->handle = ++last_sound;
    return slot->handle;
}

// Starts the sound once and returns at once. A sound that is still playing is started
// again on another channel, so quick repeats overlap instead of cutting each other off.
// A sound not ready yet starts as soon as it is.
TOLVAN_EXPORT std::int32_t dsPlay(std::int32_t sound) {
    Sound* s = find(sound);
    if (!s) return 0;
    Locked held;
    if (s->state == State::failed) return 0;
    if (s->state != State::ready) {
        if (s->plays < mixer_channels) ++s->plays;
        ask(*s);
        return 1;
    }
    return Mix_PlayChannel(-1, s->chunk, 0) >= 0 ? 1 : 0;
}

// Starts the sound repeating without end, until dsStop. A loop that is already running
// goes on undisturbed. A sound not ready yet starts looping as soon as it is.
TOLVAN_EXPORT std::int32_t dsPlayLooping(std::int32_t sound) {
    Sound* s = find(sound);
    if (!s) return 0;
    Locked held;
    if (s->state == State::failed) return 0;
    if (s->state != State::ready) {
        s->loop = true;
        ask(*s);
        return 1;
    }
    if (s->loop_channel >= 0 && Mix_Playing(s->loop_channel) &&
        Mix_GetChunk(s->loop_channel) == s->chunk)
        return 1;
    startLoop(*s);
    return s->loop_channel >= 0 ? 1 : 0;
}

// Silences the sound: its loop and any single plays still sounding, or still waiting
// for it to be ready.
TOLVAN_EXPORT std::int32_t dsStop(std::int32_t sound) {
    Sound* s = find(sound);
    if (!s) return 0;
    Locked held;
    s->plays = 0;
    s->loop = false;
    if (s->chunk) haltSound(*s);
    return 1;
}

// Stops and releases the sound; its handle is dead from then on.
TOLVAN_EXPORT std::int32_t dsFree(std::int32_t sound) {
    Sound* s = find(sound);
    if (!s) return 0;
    Locked held;
    release(*s);
    return 1;
}

// Releases every sound still held and closes the device. When nothing else in the
// process uses SDL any more, SDL is ended too, so that what its start opened besides the
// audio (its D-Bus connections) is closed as well.
TOLVAN_EXPORT std::int32_t dsTerminate(std::int32_t dev) {
    if (dev == 0 || dev != device) return 0;
    {
        Locked held;
        converter_ends = true;
        SDL_CondSignal(work);
    }
    SDL_WaitThread(converter, nullptr);
    converter = nullptr;
    Mix_HaltChannel(-1);
    Locked held;
    for (Sound& s : sounds)
        if (s.handle != 0) release(s);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    device = 0;
    return 1;
}
