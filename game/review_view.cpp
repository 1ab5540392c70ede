// 検討 on the board.
#include "game/review_view.h"

#include <algorithm>
#include <variant>

#include "game/counting.h"
#include "game/estimate_view.h"
#include "game/hint.h"
#include "game/kept_games.h"
#include "game/kifu.h"
#include "game/navigate.h"
#include "game/position.h"
#include "game/tolvan.h"

namespace tolvan {

std::optional<sgf::Record> recordToReview(Tolvan& g) {
    sgf::Record record = savedRecordOf(g);
    if (!record.moves.empty()) return record;
    // The board was cleared after the game ended: that game comes back to be reviewed,
    // as if opened from the file it was kept in.
    if (const auto& finished = g.kept.finished; finished && g.s.turn == no_side) {
        const int stones = static_cast<int>(std::count_if(finished->record.moves.begin(), finished->record.moves.end(),
                                                          [](const sgf::Move& m) { return !m.pass; }));
        const auto replayed = replayRecord(finished->record);
        if (const auto* r = std::get_if<ReplayedRecord>(&replayed);
            r && g.MsgBox("盤に対局がありません。\r最後に終わった対局（" + std::to_string(stones) +
                              "手）を盤に戻して検討しますか？",
                          Buttons::YesNo, "検討") == Answer::Yes) {
            const KeptGames::Finished game = *finished;
            takeUpReplayed(g, *r, game.record);
            if (!game.path.empty()) g.kifu.files = {{game.path, game.record}};
            return savedRecordOf(g);
        }
        return std::nullopt;
    }
    g.dsPlay(g.s.sound_forbidden);
    g.MsgBox("検討する手がありません。", Buttons::OK, "検討");
    return std::nullopt;
}

bool stillReviewed(const Tolvan& g, const sgf::Record& reviewed) {
    return continuesRecord(recordOfGame(g, "", 0, std::nullopt), reviewed);
}

int stonesAfter(const sgf::Record& reviewed, int moves) {
    moves = std::clamp(moves, 0, static_cast<int>(reviewed.moves.size()));
    return static_cast<int>(std::count_if(reviewed.moves.begin(), reviewed.moves.begin() + moves,
                                          [](const sgf::Move& m) { return !m.pass; }));
}

int moveShown(const Tolvan& g, const sgf::Record& reviewed) {
    int stones = 0;
    for (int i = 0; i < static_cast<int>(reviewed.moves.size()) && stones < g.s.move_no; ++i)
        if (!reviewed.moves[static_cast<std::size_t>(i)].pass && ++stones == g.s.move_no) return i + 1;
    return g.s.move_no == 0 ? 0 : -1;
}

void showReviewedPosition(Tolvan& g, const sgf::Record& reviewed, int moves, rules::Point better,
                          rules::Point played) {
    GameState& s = g.s;
    clearHint(g);
    dismissEstimate(g);
    // As with 戻, counting ends and the game goes back to play first.
    if (g.counting.active) leaveCounting(g);
    s.record_mode = flag_on;
    dropBookHint(g);
    // The stone marked as the last one loses its mark: the position shown may keep it.
    if (s.last_x >= 1 && s.last_x <= s.size && s.last_y >= 1 && s.last_y <= s.size &&
        s.board[s.last_x][s.last_y] != stone_empty)
        g.描画_石(s.last_x, s.last_y, s.board[s.last_x][s.last_y]);
    s.move_no = static_cast<i16>(std::min(stonesAfter(reviewed, moves), s.record.stones()));
    followPosition(s);
    showSteppedBack(g);
    markPoint(g, better, PointMark::better);
    markPoint(g, played, PointMark::mistake);
    g.pf.canvas.refresh();
}

void keepReview(Tolvan& g, sgf::Record annotated) { g.kifu.reviewed = std::move(annotated); }

}  // namespace tolvan
