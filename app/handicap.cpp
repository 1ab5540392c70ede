// Handicap stones before the first move: level h < 0 puts -h black stones on the board,
// h > 0 puts h white stones, on fixed points in a fixed order.
#include "app/tolvan.h"
#include "game/position.h"

namespace tolvan {

namespace {

const int handicap_points[14][2] = {
    {0, 0},   {10, 10}, {4, 10}, {16, 10}, {4, 4},  {10, 4}, {16, 4},
    {4, 16},  {10, 16}, {16, 16}, {7, 7},  {13, 7}, {7, 13}, {13, 13},
};

// The most stones of either colour a board of n lines takes: its star points.
int mostStones(int n) { return n == 19 ? 13 : n == 13 ? 9 : 5; }

// The point of the k-th stone on a board of n lines. The 13-line board takes the first
// nine points of the 19-line board on its own star points; the 9-line board its centre
// and 3-3 points, in the order the 19-line board takes its centre and corners.
void handicapPoint(int n, int k, int& x, int& y) {
    static const int nine[6][2] = {{0, 0}, {5, 5}, {3, 3}, {7, 3}, {3, 7}, {7, 7}};
    if (n == 9) {
        x = nine[k][0];
        y = nine[k][1];
        return;
    }
    x = handicap_points[k][0];
    y = handicap_points[k][1];
    if (n == 13) {
        auto line = [](int v) { return v == 4 ? 4 : v == 10 ? 7 : 10; };
        x = line(x);
        y = line(y);
    }
}

}  // namespace

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
    const int most = mostStones(s.size);
    if (h >= -most && h <= most) {
        s.handicap_level = static_cast<i16>(h);
        g.描画_ハンデレベル(h);
        // Moving away from 0 adds the stone of level h; moving towards 0 removes the
        // stone of the level just left.
        const bool adds = delta > 0 ? h >= 1 : h <= -1;
        const int k = adds ? (h > 0 ? h : -h) : (delta > 0 ? 1 - h : h + 1);
        int x = 0, y = 0;
        handicapPoint(s.size, k, x, y);
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
