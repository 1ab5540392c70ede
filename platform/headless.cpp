#include "platform/headless.h"

#include <ctime>
#include <filesystem>

namespace tolvan {

HeadlessPlatform::HeadlessPlatform(std::optional<int> fixed_second)
    : fixed_second_(fixed_second), port_{*this, *this, *this, *this, sound_, *this, *this, *this} {}

bool HeadlessPlatform::checked(const std::string& item) {
    auto it = checks_.find(item);
    return it != checks_.end() && it->second;
}

int HeadlessPlatform::second() {
    if (fixed_second_) return *fixed_second_;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_sec % 60;  // tm_sec reads 60 during a leap second
}

std::string HeadlessPlatform::today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &local);
    return buf;
}

std::string HeadlessPlatform::currentDir() {
    std::error_code ec;
    auto dir = std::filesystem::current_path(ec);
    return ec ? std::string() : dir.string();
}

}  // namespace tolvan
