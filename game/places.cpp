// Where the program's files are: its data, its sound library and its settings.
#include "game/places.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tolvan {

namespace fs = std::filesystem;

namespace {

// The opening book: a folder that holds it holds the program's data.
constexpr const char* book_name = "Tolvan.定石";
constexpr const char* settings_name = "Tolvan.ini";

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

std::string joined(const std::string& dir, const std::string& relative) {
    if (dir.empty()) return {};
    return (fs::path(dir) / relative).lexically_normal().string();
}

}  // namespace

std::string Places::dataFile(const std::string& name) const {
    if (name.empty() || fs::path(name).is_absolute()) return name;
    for (const std::string* dir : {&program_dir, &installed_data, &current_dir}) {
        if (dir->empty()) continue;
        const fs::path p = fs::path(*dir) / name;
        if (isFile(p)) return p.string();
    }
    return name;
}

bool Places::portable() const {
    return !program_dir.empty() && isFile(fs::path(program_dir) / book_name);
}

std::string Places::settingsFile() const {
    if (portable()) return (fs::path(program_dir) / settings_name).string();
    if (!config_home.empty()) return (fs::path(config_home) / "tolvan" / settings_name).string();
    return settings_name;
}

std::string Places::keptGamesFolder() const {
    if (portable()) return (fs::path(program_dir) / "games").string();
    if (!data_home.empty()) return (fs::path(data_home) / "tolvan" / "games").string();
    return {};
}

std::string Places::picturesFolder() const {
    if (portable()) return (fs::path(program_dir) / "pictures").string();
    if (!cache_home.empty()) return (fs::path(cache_home) / "tolvan" / "pictures").string();
    return {};
}

std::string installedLibraryDir(const std::string& programDir) {
    return joined(programDir, TOLVAN_LIB_FROM_PROGRAM);
}

Places placesOf(const std::string& programDir, const std::string& currentDir,
                const std::string& xdgConfigHome, const std::string& home,
                const std::string& xdgDataHome, const std::string& xdgCacheHome) {
    Places p;
    p.program_dir = programDir;
    p.installed_data = joined(programDir, TOLVAN_DATA_FROM_PROGRAM);
    p.current_dir = currentDir;
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    if (!xdgConfigHome.empty() && fs::path(xdgConfigHome).is_absolute())
        p.config_home = xdgConfigHome;
    else if (!home.empty())
        p.config_home = (fs::path(home) / ".config").string();
    if (!xdgDataHome.empty() && fs::path(xdgDataHome).is_absolute())
        p.data_home = xdgDataHome;
    else if (!home.empty())
        p.data_home = (fs::path(home) / ".local" / "share").string();
    if (!xdgCacheHome.empty() && fs::path(xdgCacheHome).is_absolute())
        p.cache_home = xdgCacheHome;
    else if (!home.empty())
        p.cache_home = (fs::path(home) / ".cache").string();
    return p;
}

Places placesOfThisProgram() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    const fs::path cwd = fs::current_path(ec);
    auto env = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? std::string(v) : std::string();
    };
    return placesOf(exe.empty() ? std::string() : exe.parent_path().string(), ec ? std::string() : cwd.string(),
                    env("XDG_CONFIG_HOME"), env("HOME"), env("XDG_DATA_HOME"),
                    env("XDG_CACHE_HOME"));
}

}  // namespace tolvan
