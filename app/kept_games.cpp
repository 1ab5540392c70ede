// Kept games: the game's record written when the game ends.
#include "app/kept_games.h"

#include <filesystem>
#include <system_error>

#include "app/kifu.h"
#include "app/tolvan.h"
#include "sgf/sgf.h"

namespace tolvan {

namespace fs = std::filesystem;

void keepGame(Tolvan& g) {
    if (g.kept.folder.empty() || g.s.record.stones() == 0) return;
    std::optional<std::string> why;
    std::error_code ec;
    fs::create_directories(g.kept.folder, ec);
    if (ec) {
        why = ec.message();
    } else {
        const std::string stamp = g.pf.clock.now();
        fs::path file = fs::path(g.kept.folder) / (stamp + ".sgf");
        for (int k = 2; fs::exists(file, ec) && k < 1000; ++k)
            file = fs::path(g.kept.folder) / (stamp + "-" + std::to_string(k) + ".sgf");
        const sgf::Record record = recordOfGame(g, g.pf.clock.today(), 0, playersOfGame(g));
        why = writeFileWhole(file.string(), sgf::write(record));
    }
    if (!why || g.kept.unsaved_told) return;
    g.kept.unsaved_told = true;
    g.MsgBox("終わった対局の棋譜を自動で保存できません。\r" + g.kept.folder + "\r\r" + *why,
             Buttons::OK, "棋譜の自動保存");
}

std::string replacedGameNotice(const Tolvan& g) {
    if (g.kept.folder.empty()) return "対局中の棋譜は消えます。\r";
    return "対局中の棋譜は次のフォルダに自動で保存されます。\r" + g.kept.folder + "\r\r";
}

}  // namespace tolvan
