// Game records: the game as SGF, SGF replayed through the game's rules, and the window's
// save and open commands.
#include "game/kifu.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/kept_games.h"
#include "game/komi.h"
#include "game/tolvan.h"
#include "records/losses.h"
#include "records/read.h"
#include "records/write.h"
#include "game/position.h"

namespace tolvan {

namespace {

namespace fs = std::filesystem;

constexpr const char* kifu_filter = "棋譜 (*.sgf)";
constexpr const char* application = "Tolvan:1.0";

bool hasStones(const GameState& s) {
    for (int x = 1; x <= s.size; ++x)
        for (int y = 1; y <= s.size; ++y)
            if (s.board[x][y] != stone_empty) return true;
    return false;
}

std::vector<rules::Point> sorted(std::vector<rules::Point> v) {
    std::sort(v.begin(), v.end(), [](rules::Point p, rules::Point q) { return p.y != q.y ? p.y < q.y : p.x < q.x; });
    return v;
}

bool sameSetup(const sgf::Setup& a, const sgf::Setup& b) {
    return a.after == b.after && sorted(a.black) == sorted(b.black) && sorted(a.white) == sorted(b.white) &&
           sorted(a.empty) == sorted(b.empty);
}

// The setup and the moves without comments or annotations, to compare records by their play alone.
bool samePlay(const sgf::Record& a, const sgf::Record& b) {
    if (a.size != b.size) return false;
    if (sorted(a.black_setup) != sorted(b.black_setup) || sorted(a.white_setup) != sorted(b.white_setup))
        return false;
    if (!std::equal(a.later_setup.begin(), a.later_setup.end(), b.later_setup.begin(), b.later_setup.end(),
                    sameSetup))
        return false;
    if (a.moves.size() != b.moves.size()) return false;
    for (std::size_t i = 0; i < a.moves.size(); ++i) {
        const sgf::Move &m = a.moves[i], &n = b.moves[i];
        if (m.colour != n.colour || m.pass != n.pass || !(m.at == n.at)) return false;
    }
    return true;
}

// The comments and annotations of `from` go on the moves of `r` it still shares.
void keepNotes(sgf::Record& r, const sgf::Record& from) {
    for (std::size_t i = 0; i < r.moves.size() && i < from.moves.size(); ++i) {
        const sgf::Move &m = r.moves[i], &o = from.moves[i];
        if (m.colour != o.colour || m.pass != o.pass || !(m.at == o.at)) break;
        r.moves[i].comment = o.comment;
        r.moves[i].annotations = o.annotations;
    }
}

void setInfo(sgf::Record& r, const std::string& id, const std::string& value) {
    for (auto& [key, v] : r.info)
        if (key == id) {
            v = value;
            return;
        }
    r.info.emplace_back(id, value);
}

std::string bracketed(const std::string& path) { return "「" + path + "」"; }

}  // namespace

sgf::Record savedRecordOf(const Tolvan& g) {
    return recordOfGame(g, g.pf.clock.today(), komiOf(g), playersOfGame(g));
}

bool continuesRecord(const sgf::Record& game, const sgf::Record& earlier) {
    if (game.moves.size() < earlier.moves.size()) return false;
    sgf::Record start = game;
    start.moves.resize(earlier.moves.size());
    return samePlay(start, earlier);
}

Players playersOfGame(const Tolvan& game) {
    const GameState& s = game.s;
    if (s.play_mode == mode_com) {
        // The engine that played the computer's moves by its own name, even when it has
        // ended or is busy by now; else the engine in use; else the game.
        std::string engine = game.kifu.engine;
        if (engine.empty() && game.pf.opponent.engineInUse()) engine = game.pf.opponent.engineName();
        const std::string person = "あなた", computer = engine.empty() ? "Tolvan（コンピュータ）" : engine;
        return s.man_side == stone_black ? Players{person, computer} : Players{computer, person};
    }
    return {"先手", "後手"};
}

namespace {
// The setup and the first `moves` stones of the record, with the passes that the record
// keeps no trace of: a move of the colour that just moved had the other colour's pass
// before it. `passes` more follow the last, alternating from the side after it. Points
// set after a stone follow it as a setup node.
sgf::Record playOf(const rules::History& h, int moves, int passes) {
    sgf::Record r;
    r.size = h.size();
    r.black_setup = h.setup().stonesOf(stone_black);
    r.white_setup = h.setup().stonesOf(stone_white);
    int stone = 0;
    for (const rules::Node& n : rules::sequence(h, moves, passes)) {
        r.moves.push_back({n.colour, n.pass, n.pass ? rules::Point{} : n.at, {}});
        if (n.pass) continue;
        const std::vector<rules::Placed>& placed = h.placedAfter(stone++);
        if (placed.empty()) continue;
        sgf::Setup& t = r.later_setup.emplace_back();
        t.after = static_cast<int>(r.moves.size());
        for (const rules::Placed& p : placed)
            (p.colour == stone_black   ? t.black
             : p.colour == stone_white ? t.white
                                       : t.empty)
                .push_back({p.at.x, p.at.y});
    }
    return r;
}
}  // namespace

bool playedInThisWindow(const Tolvan& game) {
    const rules::History& h = game.s.record;
    if (const auto& opened = game.kifu.opened) {
        // The file as the game took it up, compared by the same means as the game's own.
        const auto replayed = replayRecord(*opened);
        if (const auto* r = std::get_if<ReplayedRecord>(&replayed); r && r->history.size() == h.size()) {
            const rules::History& o = r->history;
            return !samePlay(playOf(h, h.stones(), h.passesAtEnd()), playOf(o, o.stones(), o.passesAtEnd()));
        }
    }
    return h.stones() > 0 || h.passesAtEnd() > 0;
}

sgf::Record positionOfGame(const Tolvan& game) {
    const rules::History h = rules::upTo(game.s.record, game.s.move_no);
    return playOf(h, h.stones(), h.passesAtEnd());
}

sgf::Record recordOfGame(const Tolvan& game, const std::string& today, double komi,
                         const std::optional<Players>& players) {
    const GameState& s = game.s;
    sgf::Record r = playOf(s.record, s.record.stones(), s.record.passesAtEnd());

    r.info = {{"AP", application}, {"KM", komiText(komi)}, {"DT", today}};
    if (players) {
        r.info.emplace_back("PB", players->black);
        r.info.emplace_back("PW", players->white);
    }
    if (!r.black_setup.empty() && r.white_setup.empty() && r.black_setup.size() >= 2)
        r.info.emplace_back("HA", std::to_string(r.black_setup.size()));
    if (!game.kifu.result.empty() && samePlay(r, game.kifu.judged))
        r.info.emplace_back("RE", game.kifu.result);

    // What a file that was opened says, where it still holds: nothing once the game is
    // on a board of another size.
    if (const auto& opened = game.kifu.opened; opened && opened->size == r.size) {
        keepNotes(r, *opened);
        // The players, their ranks, the komi and the date are the file's while its moves
        // are: a game continued from its end is still that game. Once one of its moves is
        // changed, this game's players' names stand alone. The result holds only while
        // nothing was added.
        const bool unchanged = samePlay(r, *opened);
        const bool continued = continuesRecord(r, *opened);
        for (const auto& [id, value] : opened->info) {
            if (id == "AP" || id == "HA") continue;
            const bool players = id == "PB" || id == "PW" || id == "BR" || id == "WR";
            // Two people at the screen who play the game on from an earlier position are
            // taken for the file's players.
            if (players && !continued && s.play_mode != mode_man) continue;
            if ((id == "KM" || id == "DT") && !continued) continue;
            if (id == "RE" && !unchanged) continue;
            setInfo(r, id, value);
        }
    }
    // A review written into the record: its notes hold the file's as well, and its own.
    if (const auto& reviewed = game.kifu.reviewed; reviewed && reviewed->size == r.size) keepNotes(r, *reviewed);
    return r;
}

// ---- Replaying a record ---------------------------------------------------------------

void takeUpReplayed(Tolvan& game, const ReplayedRecord& replayed, const sgf::Record& opened) {
    GameState& s = game.s;
    const bool running = s.turn != no_side;
    keepGame(game);
    takeUpRecord(game, replayed.history, replayed.toMove);
    s.record_mode = flag_on;
    if (!running) {
        s.play_mode = mode_man;
        s.man_side = stone_black;
        s.com_side = stone_white;
    }
    game.kifu.opened = opened;
    game.kifu.trees.reset();
    game.kifu.reviewed.reset();
    game.kifu.result.clear();
    // The record's komi holds for its game; without one, the menu's.
    s.record_komi = komiOfRecord(opened.get("KM"));
    tellKomi(game);
    game.画面_再描画();
    // In a game against the computer whose turn it is, the computer answers at once, as
    // after any other change of position.
    if (running && s.play_mode == mode_com && s.turn == s.com_side) {
        s.record_mode = flag_off;
        game.com_ban();
    }
}

// ---- Files ----------------------------------------------------------------------------

std::optional<std::string> readFileWhole(const std::string& path, std::string& why) {
    auto read = files::readWhole(path, sgf::max_bytes);
    if (auto* bytes = std::get_if<std::string>(&read)) return std::move(*bytes);
    why = files::japanese(std::get<files::Failure>(read));
    return std::nullopt;
}

std::string describeProblem(const sgf::Error& e) {
    const std::string at = std::to_string(e.move) + "手目";
    switch (e.problem) {
    case sgf::Problem::not_sgf: return "SGF形式の棋譜ではありません。";
    case sgf::Problem::syntax: return "棋譜の書き方に誤りがあります。";
    case sgf::Problem::board_size: return "9路盤、13路盤、19路盤の棋譜だけを開けます。";
    case sgf::Problem::game: return "囲碁の棋譜ではありません。";
    case sgf::Problem::text: return "棋譜の文字が読み取れません（文字コードが分かりません）。";
    case sgf::Problem::charset: return "棋譜の文字コードには対応していません。";
    case sgf::Problem::bad_point:
        return e.move > 0 ? at + "の位置が盤の外です。" : "置石の位置が盤の外です。";
    case sgf::Problem::two_moves: return at + "に黒と白の手が両方あります。";
    case sgf::Problem::too_large: return "ファイルが大きすぎます。";
    }
    return "棋譜を読めません。";
}

std::string describeProblem(const ReplayProblem& p) {
    const std::string at = std::to_string(p.move) + "手目";
    switch (p.kind) {
    case ReplayProblem::occupied: return at + "は石のある所に打たれています。";
    case ReplayProblem::suicide: return at + "は自殺点に打たれています。";
    case ReplayProblem::ko: return at + "はコウをすぐに取り返しています。";
    case ReplayProblem::too_many:
        return "手数が多すぎます（" + std::to_string(max_moves) + "手までです）。";
    case ReplayProblem::setup:
        return p.move > 0 ? at + "の後の置石の並べ方に誤りがあります。" : "置石の並べ方に誤りがあります。";
    }
    return "棋譜を読めません。";
}

// ---- The window's commands ------------------------------------------------------------

namespace {

bool hasSgfExtension(const std::string& file) {
    const std::string ext = fs::path(file).extension().string();
    return ext.size() == 4 && std::equal(ext.begin(), ext.end(), ".sgf", [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// The folder last used, else the kept games' folder once it exists, else the folder
// the program was started from.
std::string startFolder(Tolvan& g) {
    if (!g.prefs.kifu_folder.empty()) return g.prefs.kifu_folder;
    std::error_code ec;
    if (!g.kept.folder.empty() && fs::is_directory(g.kept.folder, ec)) return g.kept.folder;
    return g.s.start_dir;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec) && !ec;
}

const KifuMemo::File* knownFile(const Tolvan& g, const std::string& path) {
    for (const KifuMemo::File& f : g.kifu.files)
        if (sameFile(f.path, path)) return &f;
    return nullptr;
}

// A name for a new file beside `path` that no file has: "名前-2.sgf", "名前-3.sgf" ...,
// counting on from a number the name ends with.
std::string freeNameBeside(const std::string& path) {
    const fs::path p(path);
    std::string stem = p.stem().string();
    const std::string ext = p.has_extension() ? p.extension().string() : ".sgf";
    int n = 2;
    if (const auto dash = stem.rfind('-'); dash != std::string::npos && dash + 1 < stem.size() &&
                                           dash + 6 >= stem.size() &&
                                           std::all_of(stem.begin() + static_cast<long>(dash) + 1, stem.end(),
                                                       [](unsigned char c) { return std::isdigit(c); })) {
        n = std::stoi(stem.substr(dash + 1)) + 1;
        stem.resize(dash);
    }
    for (;; ++n) {
        const fs::path candidate = p.parent_path() / (stem + "-" + std::to_string(n) + ext);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
    }
}

// The file now holds `record`, whether it was known before or not.
void noteFile(Tolvan& g, const std::string& path, const sgf::Record& record) {
    auto& files = g.kifu.files;
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&path](const KifuMemo::File& f) { return sameFile(f.path, path); }),
                files.end());
    files.push_back({path, record});
}

// The folder of the chosen file is where the dialogs start next time, in this run and
// the next ones.
void rememberFolder(Tolvan& g, const std::string& file) {
    const std::string folder = fs::path(file).parent_path().string();
    if (folder.empty() || folder == g.prefs.kifu_folder) return;
    g.prefs.kifu_folder = folder;
    g.書込_環境設定ファイル();
}

}  // namespace

namespace {

// The file's trees with the record's line put in as the first one's main line; nothing
// for a game not opened from a file.
std::optional<sgf::Collection> treesWith(const Tolvan& g, const sgf::Record& record) {
    if (!g.kifu.trees || g.kifu.trees->games.empty()) return std::nullopt;
    sgf::Collection trees = *g.kifu.trees;
    if (sgf::putLine(trees.games.front(), record) < 0) return std::nullopt;
    return trees;
}

// The text of the trees, or of the record alone when the trees hold nothing else: a
// record without variations, other games or properties of its own is written as
// always.
std::string textOf(const std::optional<sgf::Collection>& trees, const sgf::Record& record) {
    std::string text = sgf::write(record);
    if (!trees) return text;
    const auto plain = sgf::readCollection(text);
    const auto* line = std::get_if<sgf::Collection>(&plain);
    if (line && trees->games.size() == 1 && trees->rest.empty() && line->games.size() == 1 &&
        trees->games.front().sameTree(line->games.front()))
        return text;
    return trees->text();
}

}  // namespace

std::string textOfGame(const Tolvan& g, const sgf::Record& record) { return textOf(treesWith(g, record), record); }

void keepLineBeforeLeaving(Tolvan& g, bool always) {
    if (!always && g.s.record.stones() <= g.s.move_no) return;
    if (g.s.record.stones() == 0) return;
    if (!g.kifu.trees || g.kifu.trees->games.empty()) g.kifu.trees = sgf::Collection{{sgf::GameTree{}}, {}};
    sgf::Collection trees = *g.kifu.trees;
    if (sgf::putLine(trees.games.front(), savedRecordOf(g)) >= 0) g.kifu.trees = std::move(trees);
}

std::string savedTextOf(const Tolvan& g) { return textOfGame(g, savedRecordOf(g)); }

// 棋譜を保存: the whole record, whatever position is shown, in a file of the person's
// choice. Nothing to save is said so; a file that could not be written is named. The
// dialog offers the file the game came from, or a new name beside it when saving over
// it would lose part of it; a file the game came from is replaced only after the
// question that says what it loses, whose first answer saves under another name.
void saveKifu(Tolvan& g) {
    const GameState& s = g.s;
    if (s.record.stones() == 0 && !hasStones(s)) {
        g.MsgBox("保存する棋譜がありません（盤に石がありません）。", Buttons::OK, "棋譜の保存");
        return;
    }
    const sgf::Record record = savedRecordOf(g);
    // With the file's trees kept, the moves the game no longer plays stay as a variation,
    // and the variations, other games and properties of the file are written again: only
    // what the game itself changed is lost.
    const auto lossesOver = [&g, &record](const sgf::Record& held) {
        sgf::Losses losses = sgf::lossesOf(held, record);
        if (g.kifu.trees) {
            losses.from_move = 0;
            losses.lost_moves_noted = false;
            losses.unkept = {};
        }
        return losses;
    };
    std::string offered = startFolder(g);
    if (!g.kifu.files.empty()) {
        const KifuMemo::File& last = g.kifu.files.back();
        offered = lossesOver(last.held).any() ? freeNameBeside(last.path) : last.path;
    }
    std::string file;
    for (;;) {
        const auto chosen = g.pf.dialogs.chooseFile(FileChoice::Save, "棋譜を保存", offered, kifu_filter);
        if (!chosen) return;
        rememberFolder(g, *chosen);
        // A name typed without the extension gets it.
        file = hasSgfExtension(*chosen) ? *chosen : *chosen + ".sgf";
        if (const KifuMemo::File* known = knownFile(g, file)) {
            if (const sgf::Losses losses = lossesOver(known->held); losses.any()) {
                if (g.MsgBox(bracketed(file) + "に上書きすると、" + sgf::japanese(losses) + "\r\r別の名前で保存しますか？",
                             Buttons::YesNo, "棋譜の保存") == Answer::Yes) {
                    offered = freeNameBeside(file);
                    continue;
                }
                break;
            }
        }
        // The dialog does not ask before replacing a file: the game asks, about the name
        // with its extension. A folder is no file to replace: the save says so.
        std::error_code ec;
        if (fs::exists(fs::symlink_status(file, ec)) && !fs::is_directory(fs::status(file, ec)) &&
            g.MsgBox(bracketed(file) + "は既にあります。\r置き換えてよろしいですか？", Buttons::YesNo, "棋譜の保存") !=
                Answer::Yes)
            return;
        break;
    }
    // Never larger than a record the game opens: what it saves, it opens again.
    const std::optional<sgf::Collection> trees = treesWith(g, record);
    if (const auto why = files::writeWhole(file, textOf(trees, record), sgf::max_bytes)) {
        g.MsgBox(bracketed(file) + "に棋譜を保存できませんでした。\r\r" + files::japanese(*why), Buttons::OK,
                 "棋譜の保存");
        return;
    }
    // The line saved stays in the trees: a later line that leaves it keeps it as a
    // variation.
    if (trees) g.kifu.trees = trees;
    noteFile(g, file, record);
}

// 棋譜を開く: a file is read and replayed whole before anything changes; a file that
// cannot be used is explained and changes nothing. A running game is replaced only when
// the person says so.
void openKifu(Tolvan& g) {
    const auto file = g.pf.dialogs.chooseFile(FileChoice::Open, "棋譜を開く", startFolder(g), kifu_filter);
    if (!file) return;
    rememberFolder(g, *file);
    openKifuFile(g, *file);
}

void openKifuFile(Tolvan& g, const std::string& path) {
    const std::string* file = &path;
    auto refuse = [&](const std::string& why) {
        g.dsPlay(g.s.sound_forbidden);
        g.MsgBox(bracketed(*file) + "を開けません。\r\r" + why, Buttons::OK, "棋譜を開く");
    };

    const auto read = readRecordFile(*file);
    if (const auto* why = std::get_if<std::string>(&read)) return refuse(*why);
    const UsableRecord& usable = std::get<UsableRecord>(read);

    if (g.s.turn != no_side &&
        g.MsgBox(replacedGameNotice(g) + "棋譜を開いてよろしいですか？", Buttons::YesNo, "棋譜を開く") !=
            Answer::Yes)
        return;
    takeUpReplayed(g, usable.replayed, usable.record);
    g.kifu.trees = usable.trees;
    g.kifu.files = {{path, usable.record}};
    // The other games of a collection are not shown, but they are there: saving keeps them.
    if (const std::size_t games = usable.trees ? usable.trees->games.size() : 1; games > 1)
        g.MsgBox("このファイルには" + std::to_string(games) + "局の棋譜があります。\r最初の対局を開きます。", Buttons::OK,
                 "棋譜を開く");
}

std::variant<UsableRecord, std::string> readRecordFile(const std::string& path) {
    std::string why;
    const auto bytes = readFileWhole(path, why);
    if (!bytes) return why;
    auto read = sgf::read(*bytes);
    if (const auto* e = std::get_if<sgf::Error>(&read)) return describeProblem(*e);
    sgf::Record& record = std::get<sgf::Record>(read);
    auto replayed = replayRecord(record);
    if (const auto* p = std::get_if<ReplayProblem>(&replayed)) return describeProblem(*p);
    UsableRecord usable{std::move(record), std::get<ReplayedRecord>(std::move(replayed)), std::nullopt};
    if (auto trees = sgf::readCollection(*bytes); std::holds_alternative<sgf::Collection>(trees))
        usable.trees = std::get<sgf::Collection>(std::move(trees));
    return usable;
}

void noteJudgement(Tolvan& g, double black, double white) {
    g.kifu.result = black > white   ? "B+" + komiText(black - white)
                    : white > black ? "W+" + komiText(white - black)
                                    : "0";
    g.kifu.judged = recordOfGame(g, "", 0, std::nullopt);
}

}  // namespace tolvan
