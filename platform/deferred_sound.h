// A stand-in for the sound library while it is still being loaded. Loading SDL2_mixer
// and the many libraries under it takes longer than the rest of the start-up, so the
// window comes up first: meanwhile the game's calls are answered at once with handles
// of the stand-in's own, and remembered; when the library is there they are done in the
// order asked, and from then on every call goes straight through to it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/port.h"

namespace tolvan {

class DeferredSound {
public:
    // Only one stand-in exists at a time: the table's plain functions reach it.
    DeferredSound();
    ~DeferredSound();
    DeferredSound(const DeferredSound&) = delete;
    DeferredSound& operator=(const DeferredSound&) = delete;

    // The table to hand the game in place of the library.
    static SoundLibrary table();

    // What the library refused of what had been asked before it came.
    struct Refused {
        bool device = false;               // no device could be opened (or no library loaded)
        std::vector<std::int32_t> sounds;  // the stand-in's handles of the sounds refused
    };
    // The library has been loaded (an empty table when it could not be): everything asked
    // so far is done now, in order. Called once.
    Refused arrive(const SoundLibrary& library);
    bool arrived() const { return arrived_; }

private:
    enum class Call { initialize, create, play, loop, stop, free, terminate };
    struct Asked {
        Call call;
        std::int32_t handle;  // the stand-in's handle of the device or the sound
        std::int32_t arg;     // the window's handle (initialize), the device (create)
        std::int32_t flags;
        std::string wave;
    };

    std::int32_t ask(Call call, std::int32_t handle);
    std::int32_t create(std::int32_t device, const void* wave, std::int32_t flags);
    // Passes a call on to the library.
    std::int32_t forward(Call call, std::int32_t handle);
    // The library's handle for one of the stand-in's; others pass unchanged.
    std::int32_t real(std::int32_t handle) const;

    SoundLibrary library_;
    bool arrived_ = false;
    std::vector<Asked> asked_;
    // The stand-in's handles are negative, so they never meet the library's own.
    std::int32_t last_ = 0;
    std::map<std::int32_t, std::int32_t> handles_;

    static DeferredSound* current_;
    friend struct DeferredSoundCalls;
};

}  // namespace tolvan
