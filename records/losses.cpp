// What a record written over a file would lose of it.
#include "records/losses.h"

#include <algorithm>

#include "records/replay.h"

namespace tolvan::sgf {

namespace {

std::vector<rules::Point> sorted(std::vector<rules::Point> v) {
    std::sort(v.begin(), v.end(), [](rules::Point p, rules::Point q) { return p.y != q.y ? p.y < q.y : p.x < q.x; });
    return v;
}

bool sameSetup(const std::vector<Setup>& a, const std::vector<Setup>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Setup& s, const Setup& t) {
        return s.after == t.after && sorted(s.black) == sorted(t.black) && sorted(s.white) == sorted(t.white) &&
               sorted(s.empty) == sorted(t.empty);
    });
}

// A record's moves as play: a move of the colour that moved last has the other colour's
// pass before it, written or not, as the game writes it. Each entry names the record's
// move it is or comes before.
struct Played {
    int colour = 0;
    bool pass = false;
    rules::Point at;
    std::size_t move = 0;
    bool implied = false;
};

std::vector<Played> playOf(const Record& r) {
    std::vector<Played> out;
    int last = 0;
    for (std::size_t i = 0; i < r.moves.size(); ++i) {
        const Move& m = r.moves[i];
        if (last != 0 && m.colour == last) out.push_back({-m.colour, true, {}, i, true});
        out.push_back({m.colour, m.pass, m.pass ? rules::Point{} : m.at, i, false});
        last = m.colour;
    }
    return out;
}

bool samePlay(const Played& a, const Played& b) { return a.colour == b.colour && a.pass == b.pass && a.at == b.at; }

bool noted(const Move& m) { return !m.comment.empty() || m.annotations != Annotations{}; }

// The identifiers the game writes for itself: what the file said of them is no loss.
bool ownInfo(const std::string& id) { return id == "AP" || id == "HA"; }

bool sameValue(const std::string& id, const std::string& a, const std::string& b) {
    if (id == "KM") {
        const auto x = komiOfRecord(a), y = komiOfRecord(b);
        if (x && y) return *x == *y;
    }
    return a == b;
}

// The name of a piece of game information in the question, several identifiers sharing
// one: the players and their ranks are 対局者.
std::string infoName(const std::string& id) {
    static const std::pair<const char*, const char*> names[] = {
        {"PB", "対局者"}, {"PW", "対局者"}, {"BR", "対局者"}, {"WR", "対局者"}, {"BT", "対局者"},
        {"WT", "対局者"}, {"RE", "結果"},   {"DT", "日付"},   {"KM", "コミ"},   {"GN", "対局名"},
        {"EV", "棋戦"},   {"RO", "回戦"},   {"PC", "場所"},   {"C", "棋譜の説明"}, {"GC", "対局の説明"},
        {"TM", "持ち時間"}, {"OT", "秒読み"}, {"RU", "ルール"}, {"US", "記録者"}, {"SO", "出典"},
        {"AN", "解説者"}, {"CP", "著作権"}, {"ON", "布石"},
    };
    for (const auto& [key, name] : names)
        if (id == key) return name;
    return id;
}

std::string joined(const std::vector<std::string>& parts, const char* between) {
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : between) + p;
    return out;
}

}  // namespace

Losses lossesOf(const Record& file, const Record& saved) {
    Losses l;
    l.unkept = file.unkept;
    l.setup = sorted(file.black_setup) != sorted(saved.black_setup) ||
              sorted(file.white_setup) != sorted(saved.white_setup);
    const std::vector<Played> was = playOf(file), will = playOf(saved);
    std::size_t same = 0;
    if (!l.setup)
        while (same < was.size() && same < will.size() && samePlay(was[same], will[same])) ++same;
    // The file's moves both hold, counted as the file counts them.
    std::size_t shared = same < was.size() ? was[same].move : file.moves.size();
    // Stones set between the moves both hold: the moves after a change are another game's.
    const auto within = [&shared](const std::vector<Setup>& all) {
        std::vector<Setup> v;
        for (const Setup& t : all)
            if (static_cast<std::size_t>(t.after) <= shared) v.push_back(t);
        return v;
    };
    const std::vector<Setup> a = within(file.later_setup), b = within(saved.later_setup);
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i)
        if (i >= a.size() || i >= b.size() || !sameSetup({a[i]}, {b[i]})) {
            shared = static_cast<std::size_t>(std::min(i < a.size() ? a[i].after : b[i].after,
                                                       i < b.size() ? b[i].after : a[i].after));
            break;
        }
    if (shared < file.moves.size()) {
        l.from_move = static_cast<int>(shared) + 1;
        l.lost_moves_noted = std::any_of(file.moves.begin() + static_cast<long>(shared), file.moves.end(), noted);
    }
    for (std::size_t k = 0; k < same && k < was.size(); ++k) {
        if (was[k].implied || was[k].move >= shared) continue;
        const Move& a = file.moves[was[k].move];
        if (!noted(a)) continue;
        if (will[k].implied) {
            l.notes = true;
            continue;
        }
        const Move& b = saved.moves[will[k].move];
        if (a.comment != b.comment || a.annotations != b.annotations) l.notes = true;
    }
    for (const auto& property : file.info) {
        const std::string& id = property.first;
        if (ownInfo(id) || std::find(l.info.begin(), l.info.end(), id) != l.info.end()) continue;
        const auto kept = std::find_if(saved.info.begin(), saved.info.end(),
                                       [&id](const auto& other) { return other.first == id; });
        if (kept == saved.info.end() || !sameValue(id, property.second, kept->second)) l.info.push_back(id);
    }
    return l;
}

std::string japanese(const Losses& l) {
    std::vector<std::string> things;
    if (l.setup && l.from_move == 1) {
        things.push_back("置石とすべての手");
    } else if (l.setup) {
        things.push_back("置石");
    } else if (l.from_move > 0) {
        things.push_back(std::to_string(l.from_move) + "手目以降");
    }
    if (l.from_move > 0 && l.lost_moves_noted) things.back() += "（コメントを含む）";
    if (l.notes) things.push_back("コメント");
    if (l.unkept.variations > 0) things.push_back("分岐");
    if (!l.unkept.properties.empty()) things.push_back("記号などの書き込み（" + joined(l.unkept.properties, "・") + "）");
    std::vector<std::string> info;
    for (const std::string& id : l.info)
        if (const std::string name = infoName(id); std::find(info.begin(), info.end(), name) == info.end())
            info.push_back(name);

    std::string text;
    if (!things.empty() || !info.empty()) {
        text = "元の棋譜の" + joined(things, "・");
        if (!info.empty()) text += (things.empty() ? "" : "と") + joined(info, "・") + "の情報";
        text += "が失われます。";
    }
    if (l.unkept.games > 0)
        text += "このファイルにあるほかの" + std::to_string(l.unkept.games) + "局の棋譜" +
                (text.empty() ? "が" : "も") + "失われます。";
    return text;
}

}  // namespace tolvan::sgf
