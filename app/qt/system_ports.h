// The clock, the browser and the sound library loader of the Qt program.
#pragma once

#include <functional>

#include "platform/port.h"

namespace tolvan {

class ClockPort : public Clock {
public:
    int second() override;
    // Sleeps on the monotonic clock: no window event is handled meanwhile, and a change
    // of the time of day (midnight, a clock adjustment) does not stretch the wait.
    void wait(double d) override;
    // When set, called at the start of every wait with its length: lets a test act while
    // the game sleeps, as a person would.
    std::function<void(double)> onWait;
    std::string currentDir() override;
};

class BrowserPort : public Browser {
public:
    void open(const std::string& address) override;
};

// Loads the sound library beside the executable and fills the table. Returns false, with
// every entry null, when the library or one of its functions is missing.
bool loadSoundLibrary(SoundLibrary& lib);

}  // namespace tolvan
