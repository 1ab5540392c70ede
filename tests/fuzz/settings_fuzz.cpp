// The settings file reader. The input is a Tolvan.ini. Whatever it holds, reading it
// leaves a set of live options; writing them and reading the written file again must
// give the same live options.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/tolvan.h"
#include "fuzz/scratch.h"
#include "platform/headless.h"

namespace {

using namespace tolvan;

// The live options: the check marks of the option menu and the background in use.
std::string liveOptions(HeadlessPlatform& p, const GameState& s) {
    std::string out;
    for (const char* item : {"MIDORI", "TAKE", "SINAN", "BANGOU", "BGM"})
        out += p.checked(item) ? '1' : '0';
    return out + " background " + std::to_string(s.background);
}

// A program at start-up as far as the settings go: no check marks, the bamboo
// background, and the file to read.
struct Reader {
    HeadlessPlatform platform{0};
    std::unique_ptr<Tolvan> game = std::make_unique<Tolvan>(platform.port());
    std::string read(const std::string& file) {
        for (const char* item : {"MIDORI", "TAKE", "SINAN", "BANGOU", "BGM"})
            platform.setChecked(item, false);
        game->s.background = background_bamboo;
        game->prefs = Preferences{};
        game->settings_file = file;
        game->読込_環境設定ファイル();
        return liveOptions(platform, game->s) + " folder " + game->prefs.kifu_folder;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string input = fuzz::scratchFile("settings.ini");
    static const std::string written = fuzz::scratchFile("written.ini");
    static Reader first, second;
    fuzz::writeScratch(input, data, size);

    const std::string options = first.read(input);
    first.game->settings_file = written;
    first.game->書込_環境設定ファイル();
    const std::string again = second.read(written);
    if (again != options) {
        std::fprintf(stderr, "read %s, wrote and read back %s\n", options.c_str(), again.c_str());
        std::abort();
    }
    return 0;
}
