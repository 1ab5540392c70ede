// The computer's opponent engines in the Qt program: other Go programs found installed,
// run with QProcess and spoken to in GTP.
#pragma once

#include "platform/port.h"

namespace tolvan {

class EnginePort : public Opponent {
public:
    EnginePort();
    ~EnginePort() override;

    std::vector<EngineOffer> installed() override;
    void use(const std::string& command) override;
    bool engineInUse() override;
    std::optional<std::string> check(const std::string& command) override;
    EngineMove genmove(const sgf::Record& position, int colour,
                       const std::function<void(int seconds)>& thinking) override;
    void stop() override;

private:
    std::string command_;
};

}  // namespace tolvan
