// The clock, the browser and the sound library loader of the Qt program.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "game/places.h"
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
    // When set, called before every wait: puts what has been drawn on the screen, since
    // a wait is there to let the person see it (the computer's stone before its sound).
    std::function<void()> beforeWait;
    std::string currentDir() override;
    std::string today() override;
    std::string now() override;
    std::string dataFile(const std::string& name) override { return places.dataFile(name); }
    // Where this program's files are.
    Places places = placesOfThisProgram();
};

// Starts the opener with the address and does not wait for it. A failure to start it is
// reported from the event loop; so is a failure exit within the watch time (openers run
// the browser in the foreground in many setups, and a browser that refuses to start
// makes them fail at once). An opener still running after that is taken to have opened
// the page: it is left running, and reaped when it ends.
class BrowserPort : public Browser {
public:
    // The program that opens an address in the user's browser.
    QString opener = QStringLiteral("xdg-open");
    // How long a started opener is watched for a failure.
    int watchMilliseconds = 5000;

    void open(const std::string& address, std::function<void()> onFailure) override;

private:
    // Failures are reported only while the port exists.
    QObject reports_;
};

// The sound library beside the executable, else in the library folder of an
// installation; empty when there is none.
QString soundLibraryPath();
// Loads the sound library at `path` and fills the table. Returns false, with every entry
// null, when the library or one of its functions is missing.
bool loadSoundLibrary(SoundLibrary& lib, const QString& path);

}  // namespace tolvan
