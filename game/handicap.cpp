// Handicap stones before the first move: level h < 0 puts -h black stones on the board,
// h > 0 puts h white stones, on fixed points in a fixed order.
#include "game/tolvan.h"
#include "game/position.h"
#include "rules/geometry.h"

namespace tolvan {

namespace {
// The refusals shared by △ and ▽, in their order; ▽ also refuses in review.
const char* handicapRefusal(const GameState& s, bool down) {
    if (down && s.record_mode == flag_on) return "棋譜ﾓｰﾄﾞではできません";
    if (s.move_no > 0) return "対局途中ではできません";
    if (s.reversed == flag_on) return "反転後ではできません";
    return nullptr;
}

// One step of the level: +1 for △, -1 for ▽. The stone of the new level is put on its
// point, or the stone of the level just left is taken off.
void handicapStep(Tolvan& g, int delta) {
    GameState& s = g.s;
    if (const char* reason = handicapRefusal(s, delta < 0)) {
        g.dsPlay(s.sound_forbidden);
        g.MsgBox(std::string(reason) + "\r\r局面→最初にして下さい", Buttons::OK, "ﾊﾝﾃﾞｨｷｬｯﾌﾟ設定");
        return;
    }
    const int h = s.handicap_level + delta;
    // The level's points on this board; as many stones of either colour as there are.
    const std::vector<rules::Point> points = rules::levelHandicapPoints(s.size);
    const int most = static_cast<int>(points.size());
    if (h >= -most && h <= most) {
        s.handicap_level = static_cast<i16>(h);
        g.描画_ハンデレベル(h);
        // Moving away from 0 adds the stone of level h; moving towards 0 removes the
        // stone of the level just left.
        const bool adds = delta > 0 ? h >= 1 : h <= -1;
        const int k = adds ? (h > 0 ? h : -h) : (delta > 0 ? 1 - h : h + 1);
        const auto [x, y] = points[k - 1];
        // The stones stand before the first move: the record's first position holds them,
        // so stepping back to the start and saving the record keep them.
        rules::Board setup = s.record.setup();
        setup.put(x, y, adds ? (h > 0 ? stone_white : stone_black) : stone_empty);
        s.record.setSetup(setup);
        boardFromRecord(s);
        if (adds)
            g.描画_石(x, y, s.board[x][y]);
        else
            g.描画_桝(x, y);
        g.dsPlay(s.sound_stone);
    }
    s.handicap_set = flag_on;
}

}  // namespace

void Tolvan::LEBEL_UP_Click() { handicapStep(*this, +1); }

void Tolvan::LEBEL_DOWN_Click() { handicapStep(*this, -1); }

}  // namespace tolvan
