// The clock, the browser and the sound library loader of the Qt program.
#pragma once

#include "platform/port.h"

namespace tolvan {

class ClockPort : public Clock {
public:
    int second() override;
    // Sleeps on the monotonic clock: no window event is handled meanwhile, and a change
    // of the time of day (midnight, a clock adjustment) does not stretch the wait.
    void wait(double d) override;
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
