// Kept games: the game's record written when the game ends.
#include "game/kept_games.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "game/kifu.h"
#include "game/tolvan.h"
#include "records/write.h"
#include "records/sgf.h"

namespace tolvan {

namespace fs = std::filesystem;

void keepGame(Tolvan& g) {
    // A review of a game opened from a file is kept too: it was made in this window.
    if (g.kept.folder.empty() || (!playedInThisWindow(g) && !g.kifu.reviewed)) return;
    std::optional<std::string> why;
    std::error_code ec;
    fs::create_directories(g.kept.folder, ec);
    if (ec) {
        why = ec.message();
    } else {
        // The name is claimed as the file appears, so that games kept in the same minute
        // (by this window or another) each get their own.
        const sgf::Record record = savedRecordOf(g);
        const auto written =
            files::writeNew(g.kept.folder, g.pf.clock.now(), ".sgf", sgf::write(record), sgf::max_bytes);
        if (const auto* failure = std::get_if<files::WriteFailure>(&written)) why = files::japanese(*failure);
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
