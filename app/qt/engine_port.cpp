#include "app/qt/engine_port.h"

namespace tolvan {

EnginePort::EnginePort() = default;
EnginePort::~EnginePort() { stop(); }

std::vector<EngineOffer> EnginePort::installed() { return {}; }
void EnginePort::use(const std::string& command) { command_ = command; }
bool EnginePort::engineInUse() { return !command_.empty(); }
std::optional<std::string> EnginePort::check(const std::string&) {
    return std::string("エンジンは使えません。");
}
EngineMove EnginePort::genmove(const sgf::Record&, int, const std::function<void(int)>&) {
    return {EngineMove::failed, 0, 0, "エンジンは使えません。"};
}
void EnginePort::stop() {}

}  // namespace tolvan
