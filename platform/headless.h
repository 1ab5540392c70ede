// A platform for running the game without a window (the GTP engine, the book generator,
// benchmarks): nothing is drawn or heard, every message box is answered at once, and
// waits return immediately.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/port.h"

namespace tolvan {

class HeadlessPlatform : public Canvas,
                         public Menu,
                         public Dialogs,
                         public Clock,
                         public Browser,
                         public Window,
                         public Opponent {
public:
    // fixed_second: the second of the time of day the clock reports at every reset
    // (0..59); none means the real clock.
    explicit HeadlessPlatform(std::optional<int> fixed_second = std::nullopt);

    HeadlessPlatform(const HeadlessPlatform&) = delete;
    HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

    // Canvas: drawing goes nowhere.
    void paintPicture(Pic, double, double) override {}
    void box(double, double, double, double, int) override {}
    void fillBox(double, double, double, double, int) override {}
    void circle(double, double, double, int) override {}
    void polygon(double, double, const std::vector<std::pair<double, double>>&, int) override {}
    void text(double, double, const std::string&, double, int, bool) override {}
    void textCentred(double, double, const std::string&, double, int, bool) override {}
    void refresh() override {}

    // Menu: check marks are kept but start unticked, so neither move numbers nor hint
    // mode are ever on.
    bool checked(const std::string& item) override;
    void setChecked(const std::string& item, bool on) override { checks_[item] = on; }

    // Dialogs: OK, or Yes when the box asks Yes or No.
    Answer msgBox(const std::string&, Buttons buttons, const std::string&, Icon) override {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::OK;
    }
    VersionButton showVersion() override { return VersionButton::OK; }
    // Nobody is there to choose: every file dialog is cancelled.
    std::optional<std::string> chooseFile(FileChoice, const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }

    // Opponent: no engines; the built-in player always answers.
    std::vector<EngineOffer> installed() override { return {}; }
    void use(const std::string&) override {}
    bool engineInUse() override { return false; }
    std::optional<std::string> check(const std::string&) override {
        return std::string("エンジンは使えません。");
    }
    EngineMove genmove(const rules::History&, int, const std::function<void(int)>&) override {
        return {EngineMove::failed, 0, 0, "エンジンは使えません。"};
    }
    std::vector<rules::Point> deadStones(const rules::History&, int) override { return {}; }
    void stop() override {}

    // Clock
    int second() override;
    void wait(double) override {}
    std::string currentDir() override;
    std::string today() override;

    // Browser
    void open(const std::string&, std::function<void()>) override {}

    // Window
    std::int32_t handle() override { return 0; }
    void endProgram() override { ended_ = true; }
    bool ended() const { return ended_; }

    // The port as handed to the game; the sound library stays unloaded (all null).
    Platform& port() { return port_; }

private:
    std::optional<int> fixed_second_;
    std::map<std::string, bool> checks_;
    bool ended_ = false;
    SoundLibrary sound_;
    Platform port_;
};

}  // namespace tolvan
