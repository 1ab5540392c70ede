#include "platform/deferred_sound.h"

namespace tolvan {

DeferredSound* DeferredSound::current_ = nullptr;

DeferredSound::DeferredSound() { current_ = this; }

DeferredSound::~DeferredSound() {
    if (current_ == this) current_ = nullptr;
}

// The table's functions: before the library has come they are remembered, after it
// they are passed on with the stand-in's handles turned into the library's.
struct DeferredSoundCalls {
    using Call = DeferredSound::Call;

    static std::int32_t pass(Call call, std::int32_t handle) {
        DeferredSound* d = DeferredSound::current_;
        if (!d) return 0;
        return d->arrived_ ? d->forward(call, handle) : d->ask(call, handle);
    }
    static std::int32_t initialize(std::int32_t hwnd) {
        DeferredSound* d = DeferredSound::current_;
        if (!d) return 0;
        if (!d->arrived_) {
            d->asked_.push_back({Call::initialize, --d->last_, hwnd, 0, {}});
            return d->last_;
        }
        return d->library_.dsInitialize ? d->library_.dsInitialize(hwnd) : 0;
    }
    static std::int32_t create(std::int32_t device, const void* wave, std::int32_t flags) {
        DeferredSound* d = DeferredSound::current_;
        return d ? d->create(device, wave, flags) : 0;
    }
    static std::int32_t play(std::int32_t s) { return pass(Call::play, s); }
    static std::int32_t loop(std::int32_t s) { return pass(Call::loop, s); }
    static std::int32_t stop(std::int32_t s) { return pass(Call::stop, s); }
    static std::int32_t free(std::int32_t s) { return pass(Call::free, s); }
    static std::int32_t terminate(std::int32_t dev) {
        return pass(Call::terminate, dev);
    }
};

SoundLibrary DeferredSound::table() {
    using C = DeferredSoundCalls;
    return SoundLibrary{&C::initialize, &C::create, &C::play, &C::loop, &C::stop, &C::free, &C::terminate};
}

std::int32_t DeferredSound::ask(Call call, std::int32_t handle) {
    if (handle == 0) return 0;
    asked_.push_back({call, handle, 0, 0, {}});
    return 1;
}

// Before the library has come, the wave is copied as far as its RIFF header declares
// (the caller has checked that it holds that much); data that does not start a RIFF
// WAVE image is refused at once, as the library would.
std::int32_t DeferredSound::create(std::int32_t device, const void* wave, std::int32_t flags) {
    if (arrived_) return library_.dsCreateDSB ? library_.dsCreateDSB(real(device), wave, flags) : 0;
    if (device == 0 || wave == nullptr) return 0;
    const auto* b = static_cast<const unsigned char*>(wave);
    // The library's own bounds: a RIFF body of 4 bytes to 256 MiB.
    const std::uint64_t size = declaredWaveSize(b);
    if (size < 12 || size > (256u << 20) + 8) return 0;
    asked_.push_back({Call::create, --last_, device, flags,
                      std::string(reinterpret_cast<const char*>(b), std::size_t(size))});
    return last_;
}

std::int32_t DeferredSound::forward(Call call, std::int32_t handle) {
    std::int32_t (*f)(std::int32_t) = nullptr;
    switch (call) {
    case Call::play: f = library_.dsPlay; break;
    case Call::loop: f = library_.dsPlayLooping; break;
    case Call::stop: f = library_.dsStop; break;
    case Call::free: f = library_.dsFree; break;
    case Call::terminate: f = library_.dsTerminate; break;
    case Call::initialize:
    case Call::create: break;
    }
    return f ? f(real(handle)) : 0;
}

std::int32_t DeferredSound::real(std::int32_t handle) const {
    if (handle >= 0) return handle;
    const auto it = handles_.find(handle);
    return it == handles_.end() ? 0 : it->second;
}

DeferredSound::Refused DeferredSound::arrive(const SoundLibrary& library) {
    Refused refused;
    if (arrived_) return refused;
    library_ = library;
    arrived_ = true;
    std::vector<Asked> asked;
    asked.swap(asked_);
    for (Asked& a : asked) {
        switch (a.call) {
        case Call::initialize: {
            const std::int32_t device = library_.dsInitialize ? library_.dsInitialize(a.arg) : 0;
            handles_[a.handle] = device;
            if (device == 0) refused.device = true;
            break;
        }
        case Call::create: {
            const std::int32_t device = real(a.arg);
            const std::int32_t sound =
                device != 0 && library_.dsCreateDSB ? library_.dsCreateDSB(device, a.wave.data(), a.flags) : 0;
            handles_[a.handle] = sound;
            if (sound == 0 && device != 0) refused.sounds.push_back(a.handle);
            break;
        }
        default: forward(a.call, a.handle); break;
        }
    }
    return refused;
}

}  // namespace tolvan
