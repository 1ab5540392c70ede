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
        const std::string text = savedTextOf(g);
        if (text == g.kept.last_text) return;
        const auto written = files::writeNew(g.kept.folder, g.pf.clock.now(), ".sgf", text, sgf::max_bytes);
        if (const auto* failure = std::get_if<files::WriteFailure>(&written)) {
            why = files::japanese(*failure);
        } else {
            g.kept.last_text = text;
            g.kept.last_path = std::get<std::string>(written);
        }
    }
    if (!why || g.kept.unsaved_told) return;
    g.kept.unsaved_told = true;
    g.MsgBox("終わった対局の棋譜を自動で保存できません。\r" + g.kept.folder + "\r\r" + *why,
             Buttons::OK, "棋譜の自動保存");
}

void keepFinishedGame(Tolvan& g) {
    g.kept.ending = false;
    keepGame(g);
    // The file it is in: written now, or when the same record was kept before.
    const std::string text = savedTextOf(g);
    g.kept.finished = KeptGames::Finished{savedRecordOf(g), text == g.kept.last_text ? g.kept.last_path : ""};
}

void finishGame(Tolvan& g) {
    keepFinishedGame(g);
    if (g.MsgBox("続けますか", Buttons::YesNo, "対局") == Answer::Yes)
        g.初期設定();
    else
        g.終了();
}

std::string replacedGameNotice(const Tolvan& g) {
    if (g.kept.folder.empty()) return "対局中の棋譜は消えます。\r";
    return "対局中の棋譜は次のフォルダに自動で保存されます。\r" + g.kept.folder + "\r\r";
}

}  // namespace tolvan
