#include "gtp_server/engine.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "game/board_lines.h"
#include "records/read.h"
#include "records/write.h"
#include "estimate/estimate.h"
#include "game/position.h"
#include "rules/geometry.h"
#include "rules/judgement.h"

namespace tolvan::gtp_server {

namespace {

const char* const command_names[] = {
    "protocol_version",    "name",                 "version",
    "known_command",       "list_commands",        "quit",
    "boardsize",           "clear_board",          "komi",
    "play",                "genmove",              "undo",
    "list_stones",         "showboard",            "captures",
    "final_score",         "final_status_list",    "fixed_handicap",
    "place_free_handicap", "set_free_handicap",    "time_settings",
    "time_left",           "kgs-time_settings",    "gogui-analyze_commands",
    "tolvan-point_scores", "tolvan-owners",       "loadsgf",
    "printsgf",            "tolvan-count_score",   "reg_genmove",
    "estimate_score",      "tolvan-estimate_dead", "tolvan-ownership",
};

// What Tolvan's own player adds: analysis as Leela Zero gives it, which Sabaki and
// Lizzie show live.
const char* const search_command_names[] = {"lz-analyze", "lz-genmove_analyze"};

// What a GoGui-style controller offers to show, one "type/label/command" a line.
const char* const analyze_commands =
    "sboard/Tolvan Point Scores Black/tolvan-point_scores black\n"
    "sboard/Tolvan Point Scores White/tolvan-point_scores white\n"
    "cboard/Tolvan Owners/tolvan-owners\n"
    "plist/Tolvan Dead Stones/final_status_list dead\n"
    "string/Tolvan Count/tolvan-count_score";

// A komi beyond this is no komi any game is played with.
constexpr double max_komi = 1000;

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A colour argument: 1 for black, -1 for white, 0 for anything else.
int parseColour(const std::string& text) {
    const std::string c = lower(text);
    if (c == "b" || c == "black") return stone_black;
    if (c == "w" || c == "white") return stone_white;
    return 0;
}

// A point of a board of n lines: nothing for a pass, for text that is no vertex, or for
// a vertex off the board.
std::optional<rules::Point> boardPoint(const std::string& text, int n) {
    auto p = rules::parseVertex(text, n);
    if (!p || p->x == 0) return std::nullopt;
    return p;
}

// The vertex of point (x, y) of a board of n lines.
std::string vertexOf(int x, int y, int n) { return rules::vertexName({x, y}, n); }

bool parseInt(const std::string& text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return false;
    for (std::size_t k = i; k < text.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(text[k]))) return false;
    out = std::stoi(text);
    return true;
}

// GTP's int: an unsigned number up to 2^31 - 1, digits only.
bool parseCount(const std::string& text) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return std::stoll(text) <= 2147483647LL;
}

bool allCounts(const std::vector<std::string>& args, std::size_t from) {
    for (std::size_t k = from; k < args.size(); ++k)
        if (!parseCount(args[k])) return false;
    return true;
}

// A score difference: a whole number without decimals, otherwise as short as exact.
std::string scoreNumber(double v) {
    char buf[64];
    if (v == std::floor(v))
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

// A result as final_score answers it: the winner's letter and the margin, or 0.
std::string scoreText(double black, double white) {
    if (black > white) return "B+" + scoreNumber(black - white);
    if (white > black) return "W+" + scoreNumber(white - black);
    return "0";
}

// The count of `position` with the stones on `vertices` dead, as final_score answers:
// territory and prisoners, the dead stones taken as prisoners, komi to white. A vertex
// without a stone names nothing; nothing comes back when one is no point of the board.
std::optional<std::string> countScore(const rules::Board& position,
                                      const std::vector<std::string>& vertices, double komi) {
    std::vector<rules::Point> dead;
    for (const std::string& v : vertices) {
        const auto p = boardPoint(v, position.size());
        if (!p) return std::nullopt;
        dead.push_back({p->x, p->y});
    }
    const rules::Count c = rules::count(position, dead);
    return scoreText(c.black(), c.white() + komi);
}

// The n rows of n entries of a board of n lines, the top row first, as board-shaped
// analysis answers are written.
template <class Entry>
std::string boardText(int n, Entry entry) {
    std::string out;
    for (int y = 1; y <= n; ++y) {
        if (y > 1) out += "\n";
        for (int x = 1; x <= n; ++x) out += (x > 1 ? " " : "") + entry(x, y);
    }
    return out;
}

// How surely a point is black's (1) or white's (-1), to two decimals without trailing zeros.
std::string ownershipText(double v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

}  // namespace

Engine::Engine(const Options& options)
    : platform_(options.second), game_(std::make_unique<Tolvan>(platform_.port())) {
    // The parts of the window's start-up a game without a window needs: the book and the
    // reset. The settings file is left alone, so no Tolvan.ini is read or written here.
    game_->s.start_dir = platform_.currentDir();
    game_->book_file = options.book;
    game_->定石ファイル読込();
    game_->初期設定();
    if (options.level) {
        search::Settings settings;
        settings.threads = options.threads;
        settings.seed = options.seed;
        player_ = std::make_unique<search::Player>(search::level(*options.level), settings);
    }
    now_ = options.now ? options.now : [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
}

double Engine::moveSeconds(int colour) const {
    const rules::History& h = game_->s.record;
    return clock_.forMove(colour, game_->s.size, h.stones() + h.passesAtEnd());
}

int Engine::sideToMove() const { return game_->s.turn == stone_white ? stone_white : stone_black; }

// A new game: the clock the controller set starts again for both sides.
void Engine::reset() {
    game_->初期設定();
    record().reset(rules::Board(game_->s.size));
    clock_.restart();
}

void Engine::show(int toMove) { takeUpRecord(*game_, record(), toMove); }

void Engine::computerTurn(int colour) {
    show(colour);
    GameState& s = game_->s;
    s.play_mode = mode_com;
    s.com_side = static_cast<i16>(colour);
    s.man_side = static_cast<i16>(-colour);
    s.record_mode = flag_off;
    // GTP decides when the game is over; a pass of the computer must not be taken for
    // the second pass that ends the game.
    s.man_passed = flag_off;
    s.com_passed = flag_off;
}

bool Engine::boardEmpty() const {
    if (game_->s.record.stones() != 0) return false;
    const rules::Board& setup = game_->s.record.setup();
    return setup.stones(stone_black) == 0 && setup.stones(stone_white) == 0;
}

void Engine::placeSetup(const std::vector<rules::Point>& stones) {
    rules::Board setup(game_->s.size);
    for (const rules::Point& p : stones) setup.put(p.x, p.y, stone_black);
    // No stone has been played: the setup is the whole position, and passes made before
    // it stay in the record as they were.
    record().setSetup(setup);
    show(stone_white);
}

namespace {
// The words of a command line: control characters go, tabs become spaces, and a comment
// runs to the end of the line.
std::vector<std::string> commandWords(const std::string& raw) {
    std::string line;
    for (char c : raw) {
        if (c == '#') break;
        if (c == '\t') c = ' ';
        if (static_cast<unsigned char>(c) < 32 || c == 127) continue;
        line += c;
    }
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool isId(const std::string& word) {
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// An answer written whole: its pieces are kept for the response, and the controller is
// taken to have spoken again at once.
class Collected : public Engine::Stream {
public:
    void write(const std::string& text) override { text_ += text; }
    bool interrupted() override { return true; }
    void wait() override {}
    void onInterrupt(std::function<void()> call) override {
        if (call) call();
    }
    std::string text_;
};
}  // namespace

std::string Engine::execute(const std::string& raw) {
    Collected collected;
    std::string rest = execute(raw, collected);
    return collected.text_ + rest;
}

std::string Engine::execute(const std::string& raw, Stream& stream) {
    const std::vector<std::string> words = commandWords(raw);
    if (words.empty()) return {};

    std::string id;
    std::size_t first = 0;
    if (isId(words[0])) {
        id = words[0];
        first = 1;
    }
    if (first >= words.size()) return "?" + id + " missing command\n\n";

    // Command names are case sensitive; only colours and vertices are not.
    const std::string& command = words[first];
    const std::vector<std::string> args(words.begin() + static_cast<long>(first) + 1, words.end());
    if (player_ && (command == "lz-analyze" || command == "lz-genmove_analyze"))
        return analyze(id, command, args, stream);
    const Reply r = dispatch(command, args);
    return (r.ok ? "=" : "?") + id + " " + r.text + "\n\n";
}

std::string Engine::executeTruncated(const std::string& beginning) {
    if (beginning.find('#') != std::string::npos) return execute(beginning);
    // The last word kept may be cut short, so an id counts only with a word after it.
    const std::vector<std::string> words = commandWords(beginning);
    const std::string id = words.size() >= 2 && isId(words[0]) ? words[0] : "";
    return "?" + id + " line too long\n\n";
}

std::vector<std::string> Engine::commands() const {
    std::vector<std::string> names(std::begin(command_names), std::end(command_names));
    if (player_) names.insert(names.end(), std::begin(search_command_names), std::end(search_command_names));
    return names;
}

Engine::Reply Engine::dispatch(const std::string& command, const std::vector<std::string>& args) {
    if (command == "protocol_version") return success("2");
    if (command == "name") return success("Tolvan");
    if (command == "version") return success("1.0");
    if (command == "known_command") {
        if (args.empty()) return failure("missing argument");
        const std::vector<std::string> names = commands();
        return success(std::find(names.begin(), names.end(), args[0]) != names.end() ? "true" : "false");
    }
    if (command == "list_commands") {
        std::string out;
        for (const std::string& name : commands()) out += (out.empty() ? "" : "\n") + name;
        return success(out);
    }
    if (command == "quit") {
        quit_ = true;
        return success();
    }
    if (command == "boardsize") {
        int n = 0;
        if (args.empty() || !parseInt(args[0], n)) return failure("boardsize not an integer");
        if (!rules::isOfferedSize(n)) return failure("unacceptable size");
        setBoardLines(*game_, n);
        reset();
        return success();
    }
    if (command == "clear_board") {
        reset();
        return success();
    }
    if (command == "komi") {
        if (args.empty()) return failure("komi not a float");
        const char* text = args[0].c_str();
        char* end = nullptr;
        const double k = std::strtod(text, &end);
        if (end == text || *end != '\0') return failure("komi not a float");
        // A number, but none a game is played with (and too long to score with).
        if (!std::isfinite(k) || std::fabs(k) > max_komi) return failure("syntax error");
        komi_ = k;
        return success();
    }
    if (command == "play") return play(args);
    if (command == "genmove") return genmove(args);
    if (command == "reg_genmove") return regGenmove(args);
    if (command == "undo") return undo();
    if (command == "list_stones") return listStones(args);
    if (command == "showboard") return showboard();
    if (command == "captures") return captures(args);
    if (command == "final_score") return finalScore();
    if (command == "final_status_list") return finalStatusList(args);
    if (command == "tolvan-count_score") {
        const auto score = countScore(position(), args, komi_);
        return score ? success(*score) : failure("invalid coordinate");
    }
    if (command == "estimate_score") {
        const estimate::Estimate e = estimate::estimatePosition(position(), komi_);
        return success(scoreText(e.black(), e.white() + komi_));
    }
    if (command == "tolvan-estimate_dead") {
        const estimate::Estimate e = estimate::estimatePosition(position(), komi_);
        std::string out;
        for (const rules::Point& p : e.dead) out += (out.empty() ? "" : " ") + vertexOf(p.x, p.y, game_->s.size);
        return success(out);
    }
    if (command == "tolvan-ownership") {
        const estimate::Estimate e = estimate::estimatePosition(position(), komi_);
        return success(boardText(e.owner.size(), [&](int x, int y) { return ownershipText(e.ownershipAt({x, y})); }));
    }
    if (command == "loadsgf") return loadSgf(args);
    if (command == "printsgf") return printSgf(args);
    if (command == "fixed_handicap") return fixedHandicap(args);
    if (command == "place_free_handicap") return placeFreeHandicap(args);
    if (command == "set_free_handicap") return setFreeHandicap(args);
    // The built-in player answers at once whatever the clock; Tolvan's own player shares
    // the clock's time over the game.
    if (command == "time_settings") {
        if (args.size() != 3 || !allCounts(args, 0)) return failure("syntax error");
        if (const auto c = search::fromTimeSettings(std::stod(args[0]), std::stod(args[1]), std::stoi(args[2])))
            clock_.set(*c);
        return success();
    }
    if (command == "time_left") {
        if (args.size() != 3 || parseColour(args[0]) == 0 || !allCounts(args, 1))
            return failure("syntax error");
        clock_.told(parseColour(args[0]), search::TimeLeft{std::stod(args[1]), std::stoi(args[2])});
        return success();
    }
    if (command == "kgs-time_settings") return kgsTimeSettings(args);
    if (command == "gogui-analyze_commands") return success(analyze_commands);
    if (command == "tolvan-point_scores") return pointScores(args);
    if (command == "tolvan-owners") return owners();
    return failure("unknown command");
}

// A stone goes into the record when the rules allow it there and the record has room;
// a refused stone changes nothing.
Engine::Reply Engine::play(const std::vector<std::string>& args) {
    if (args.size() < 2) return failure("invalid color or coordinate");
    const int colour = parseColour(args[0]);
    if (colour == 0) return failure("invalid color or coordinate");
    if (lower(args[1]) == "pass") {
        record().pass();
        show(-colour);
        return success();
    }
    const auto p = boardPoint(args[1], game_->s.size);
    // A vertex off the board is no vertex of this game: a syntax error, not a refused move.
    if (!p) return failure("invalid color or coordinate");
    if (record().why(colour, p->x, p->y) != rules::Why::legal) return failure("illegal move");
    // A legal stone the record has no room for breaks no rule: the record is full.
    if (!record().play(colour, p->x, p->y)) return failure("record full");
    show(-colour);
    return success();
}

// The computer player moves for the given colour as in a game against the person, on
// the game taken up from the record; its stone enters the record as the game plays it.
Engine::Reply Engine::genmove(const std::vector<std::string>& args) {
    if (args.empty()) return failure("invalid color");
    const int colour = parseColour(args[0]);
    if (colour == 0) return failure("invalid color");

    // A full record takes no further stone.
    if (record().full()) {
        record().pass();
        return success("pass");
    }
    if (player_) return success(searchMove(colour));
    computerTurn(colour);
    const int stones = record().stones(), passes = record().passesAtEnd();
    game_->com_ban();
    if (record().stones() > stones) {
        const rules::Move move = record().stone(record().stones() - 1);
        show(-colour);
        return success(vertexOf(move.at.x, move.at.y, game_->s.size));
    }
    // The computer passed; the record counts the pass once, whether or not the game's
    // own pass already did.
    if (record().passesAtEnd() == passes) record().pass();
    show(-colour);
    return success("pass");
}

// The move genmove would answer, found on the game as it is and then forgotten: the
// game (its record, the position shown, whose turn) is put back as it was.
Engine::Reply Engine::regGenmove(const std::vector<std::string>& args) {
    const auto kept = std::make_unique<GameState>(game_->s);
    // The move is no move of the game: it takes no time off the clock either.
    const GameClock clock = clock_;
    const Reply r = genmove(args);
    game_->s = *kept;
    clock_ = clock;
    return r;
}

// Tolvan's own player moves: a stone it names goes into the record as the rules allow
// it, a resignation leaves the record as it is, and the seconds the move took come off
// its clock.
std::string Engine::searchMove(int colour, const std::function<bool(const search::Result&)>& progress) {
    const double start = now_();
    const search::Player::Decision d = player_->genmove(record(), colour, komi_, moveSeconds(colour), progress);
    clock_.spent(colour, now_() - start);
    if (d.kind == search::Player::Decision::resign) return "resign";
    if (d.kind == search::Player::Decision::stone && record().play(colour, d.at.x, d.at.y)) {
        show(-colour);
        return vertexOf(d.at.x, d.at.y, game_->s.size);
    }
    record().pass();
    show(-colour);
    return "pass";
}

namespace {

// A share from 0 to 1 as Leela Zero writes it: times 10000, rounded.
int perTenThousand(double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 10000)); }

// The lower bound of a win rate seen in `visits` playouts (Wilson's, at 95 %), so that a
// move seen once counts for little.
double lowerBound(double winrate, int visits) {
    const double z = 1.96, n = std::max(visits, 1), z2 = z * z;
    const double centre = winrate + z2 / (2 * n);
    const double spread = z * std::sqrt(winrate * (1 - winrate) / n + z2 / (4 * n * n));
    return (centre - spread) / (1 + z2 / n);
}

// One line of Leela Zero's analysis: an "info" for each move the search has visited,
// the most visited first, its win rate for the side to move; empty when there is none.
std::string infoLine(const search::Result& r, int size, int most) {
    auto name = [&](const rules::Point& p) { return p.x == 0 ? std::string("pass") : vertexOf(p.x, p.y, size); };
    std::string out;
    int order = 0;
    for (const search::Candidate& c : r.candidates) {
        if (most > 0 && order >= most) break;
        if (!out.empty()) out += ' ';
        out += "info move " + name(c.move) + " visits " + std::to_string(c.visits) + " winrate " +
               std::to_string(perTenThousand(c.winrate)) + " prior " + std::to_string(perTenThousand(c.prior)) +
               " lcb " + std::to_string(perTenThousand(lowerBound(c.winrate, c.visits))) + " order " +
               std::to_string(order) + " pv";
        for (const rules::Point& p : c.pv) out += " " + name(p);
        ++order;
    }
    return out.empty() ? out : out + "\n";
}

}  // namespace

// lz-analyze [colour] [interval] [interval N] [maxmoves N] [minmoves N], and
// lz-genmove_analyze colour [interval] with the same pairs: the interval in centiseconds
// (1 s when none is given, never under 0.05 s), the colour whose move is searched (the
// side to move when none is given). "minmoves" asks for moves not yet visited as well;
// every move visited is given anyway, so it is taken and changes nothing.
std::string Engine::analyze(const std::string& id, const std::string& command,
                            const std::vector<std::string>& args, Stream& stream) {
    auto refused = [&](const std::string& why) { return "?" + id + " " + why + "\n\n"; };
    const bool genmove = command == "lz-genmove_analyze";
    std::size_t k = 0;
    int colour = k < args.size() ? parseColour(args[k]) : 0;
    if (colour != 0) ++k;
    if (colour == 0 && genmove) return refused("invalid color");
    long centiseconds = 100;
    int most = 0;
    if (k < args.size() && parseCount(args[k])) centiseconds = std::stol(args[k++]);
    for (; k < args.size(); k += 2) {
        if (k + 1 >= args.size() || !parseCount(args[k + 1])) return refused("syntax error");
        if (args[k] == "interval")
            centiseconds = std::stol(args[k + 1]);
        else if (args[k] == "maxmoves")
            most = std::stoi(args[k + 1]);
        else if (args[k] != "minmoves")
            return refused("syntax error");
    }
    if (colour == 0) colour = sideToMove();
    const double interval = std::max(centiseconds, 5L) / 100.0;
    const int size = game_->s.size;

    // The response's first line at once, then a line of analysis about every interval.
    stream.write("=" + id + "\n");
    if (genmove) {
        // As genmove: the search runs its course whatever the controller sends meanwhile.
        double last = now_();
        auto progress = [&](const search::Result& r) {
            if (now_() - last >= interval - 0.01) {
                last = now_();
                stream.write(infoLine(r, size, most));
            }
            return true;
        };
        std::string move = "pass";
        if (record().full())
            record().pass();
        else
            move = searchMove(colour, progress);
        return "play " + move + "\n\n";
    }

    // The search runs until the controller speaks again: its next line stops it.
    search::Search& search = player_->search();
    search.setPosition(position(), colour, komi_, record().passesAtEnd() > 0);
    stream.onInterrupt([this] { player_->stop(); });
    if (!stream.interrupted()) {
        search::Limits limits;
        limits.playouts = analysis_playouts;
        const search::Result r = search.run(
            limits,
            [&](const search::Result& now) {
                if (stream.interrupted()) return false;
                stream.write(infoLine(now, size, most));
                return true;
            },
            interval);
        // Searched to the end: the last of it, and then the answer waits for the controller.
        if (!stream.interrupted()) {
            stream.write(infoLine(r, size, most));
            stream.wait();
        }
    }
    stream.onInterrupt({});
    return "\n";
}

// Takes back the last pass or stone of the record: stones it took come back, and the
// passes before the stone are again the passes at the end.
Engine::Reply Engine::undo() {
    const bool stone = record().passesAtEnd() == 0 && record().stones() > 0;
    // Whoever moved last is to move again.
    const int mover = stone ? record().stone(record().stones() - 1).colour : -game_->s.turn;
    if (!record().undo()) return failure("cannot undo");
    show(mover);
    return success();
}

Engine::Reply Engine::listStones(const std::vector<std::string>& args) {
    if (args.empty()) return failure("invalid color");
    const int colour = parseColour(args[0]);
    if (colour == 0) return failure("invalid color");
    const rules::Board board = position();
    const int n = board.size();
    std::string out;
    for (int y = 1; y <= n; ++y)
        for (int x = 1; x <= n; ++x)
            if (board.at(x, y) == colour) out += (out.empty() ? "" : " ") + vertexOf(x, y, n);
    return success(out);
}

// The board with the columns' letters above and below and the rows' numbers beside it,
// the star points as the game draws them: on 19x19 the 4-4 points, the sides' midpoints
// on the fourth line and the centre; on 13x13 the 4-4 points and the centre; on 9x9 the
// 3-3 points and the centre.
Engine::Reply Engine::showboard() {
    const rules::Board board = position();
    const int n = board.size();
    std::string letters = "  ";
    for (int x = 1; x <= n; ++x) letters += " " + rules::vertexName({x, n}, n).substr(0, 1);
    std::string out = "\n" + letters + "\n";
    for (int y = 1; y <= n; ++y) {
        const int row = n + 1 - y;
        char label[16];
        std::snprintf(label, sizeof label, "%2d", row);
        out += label;
        for (int x = 1; x <= n; ++x) {
            const int v = board.at(x, y);
            const bool star = rules::isStarPoint(n, {x, y});
            char c = v == stone_black ? 'X' : v == stone_white ? 'O' : star ? '+' : '.';
            out += ' ';
            out += c;
        }
        out += ' ';
        out += label;
        const std::string black = std::to_string(board.prisoners(stone_black));
        const std::string white = std::to_string(board.prisoners(stone_white));
        if (y == 1) out += "    Black (X) prisoners: " + black;
        if (y == 2) out += "    White (O) prisoners: " + white;
        if (y == 3) out += "    Moves: " + std::to_string(record().stones());
        out += "\n";
    }
    out += letters;
    return success(out);
}

Engine::Reply Engine::captures(const std::vector<std::string>& args) {
    if (args.empty()) return failure("invalid color");
    const int colour = parseColour(args[0]);
    if (colour == 0) return failure("invalid color");
    return success(std::to_string(position().prisoners(colour)));
}

// The game's judgement: each side's area by the fills plus its prisoners, komi to white.
Engine::Reply Engine::finalScore() {
    const rules::Board board = position();
    const rules::Judgement judged = rules::judge(board);
    const double black = judged.black_area + board.prisoners(stone_black);
    const double white = judged.white_area + board.prisoners(stone_white) + komi_;
    return success(scoreText(black, white));
}


// Sets up the fixed handicap points for n stones, 2..9, and answers them.
Engine::Reply Engine::placeHandicap(int n) {
    const int size = game_->s.size;
    const std::vector<rules::Point> stones = rules::fixedHandicapPoints(size, n);
    std::string out;
    for (const rules::Point& p : stones) out += (out.empty() ? "" : " ") + vertexOf(p.x, p.y, size);
    placeSetup(stones);
    return success(out);
}

Engine::Reply Engine::fixedHandicap(const std::vector<std::string>& args) {
    int n = 0;
    if (args.empty() || !parseInt(args[0], n)) return failure("handicap not an integer");
    if (n < 2 || n > 9) return failure("invalid number of stones");
    if (!boardEmpty()) return failure("board not empty");
    return placeHandicap(n);
}

// The engine's own choice is the fixed points. Any count from two up to one less than
// the points of the board is a valid request; beyond the nine points of the pattern the
// engine places nine, fewer than asked, as GTP allows for a count that high.
Engine::Reply Engine::placeFreeHandicap(const std::vector<std::string>& args) {
    int n = 0;
    if (args.empty() || !parseInt(args[0], n)) return failure("handicap not an integer");
    const int size = game_->s.size;
    if (n < 2 || n > size * size - 1) return failure("invalid number of stones");
    if (!boardEmpty()) return failure("board not empty");
    return placeHandicap(std::min(n, 9));
}

Engine::Reply Engine::setFreeHandicap(const std::vector<std::string>& args) {
    if (!boardEmpty()) return failure("board not empty");
    if (args.size() < 2) return failure("bad vertex list");
    std::vector<rules::Point> stones;
    for (const std::string& a : args) {
        const auto p = boardPoint(a, game_->s.size);
        if (!p) return failure("bad vertex list");
        for (const rules::Point& q : stones)
            if (q.x == p->x && q.y == p->y) return failure("bad vertex list");
        stones.push_back(*p);
    }
    const std::size_t size = game_->s.size;
    if (stones.size() >= size * size) return failure("bad vertex list");
    placeSetup(stones);
    return success();
}

// KGS's clock: none, absolute main, byoyomi main period count, canadian main period stones.
Engine::Reply Engine::kgsTimeSettings(const std::vector<std::string>& args) {
    if (args.empty()) return failure("syntax error");
    const std::string& system = args[0];
    std::size_t numbers = 0;
    if (system == "none")
        numbers = 0;
    else if (system == "absolute")
        numbers = 1;
    else if (system == "byoyomi" || system == "canadian")
        numbers = 3;
    else
        return failure("syntax error");
    if (args.size() != numbers + 1 || !allCounts(args, 1)) return failure("syntax error");
    if (const auto c = search::fromKgsTimeSettings(args)) clock_.set(*c);
    return success();
}

// A stone is alive when the judgement gives its point to its own colour. A stone the
// judgement gives to nobody (the other colour's fill took it) is in seki when a stone of
// the other colour that it touches or shares a liberty with is given to nobody too, so
// that each fill takes the other's stones; otherwise it is dead.
Engine::Reply Engine::finalStatusList(const std::vector<std::string>& args) {
    if (args.size() != 1) return failure("syntax error");
    const std::string& status = args[0];
    if (status != "alive" && status != "dead" && status != "seki") return failure("syntax error");
    const rules::Board board = position();
    const rules::PointMap owner = rules::judge(board).owner;
    const int n = board.size();
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    auto nobodys = [&](int x, int y, int colour) {
        return board.onBoard(x, y) && board.at(x, y) == colour && owner.at(x, y) == stone_empty;
    };
    auto seki = [&](int x, int y) {
        const int other = -board.at(x, y);
        for (const rules::Point& p : board.chain(x, y))
            for (const auto& d : steps) {
                const int qx = p.x + d[0], qy = p.y + d[1];
                if (nobodys(qx, qy, other)) return true;
                if (!board.onBoard(qx, qy) || board.at(qx, qy) != stone_empty) continue;
                for (const auto& e : steps)
                    if (nobodys(qx + e[0], qy + e[1], other)) return true;
            }
        return false;
    };
    std::string out;
    for (int y = 1; y <= n; ++y)
        for (int x = 1; x <= n; ++x) {
            const int stone = board.at(x, y);
            if (stone == stone_empty) continue;
            const char* is = owner.at(x, y) == stone ? "alive" : seki(x, y) ? "seki" : "dead";
            if (status == is) out += (out.empty() ? "" : " ") + vertexOf(x, y, n);
        }
    return success(out);
}

// The computer player's score of every empty point for the given colour, as it scores
// the points at its turn; occupied points are left blank. The game is set up as genmove
// sets it up for the computer's turn. What the scoring leaves behind in the game (the
// sides, the analysis grids, the chain marks) changes nothing later: every command that
// uses the game takes it up from the record again first, and the computer player fills
// its grids afresh on every turn.
Engine::Reply Engine::pointScores(const std::vector<std::string>& args) {
    if (args.size() != 1) return failure("invalid color");
    const int colour = parseColour(args[0]);
    if (colour == 0) return failure("invalid color");

    computerTurn(colour);
    GameState& s = game_->s;
    game_->調査_碁盤();
    const std::string out = boardText(s.size, [&](int x, int y) -> std::string {
        if (s.board[x][y] != stone_empty) return "\"\"";
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f", game_->調査_得点(x, y));
        return buf;
    });
    return success(out);
}

// The owner of every point by the judgement, as the colour to show on it; blank where
// the judgement gives the point to nobody.
Engine::Reply Engine::owners() {
    const rules::Board board = position();
    const rules::PointMap owner = rules::judge(board).owner;
    return success(boardText(board.size(), [&](int x, int y) -> std::string {
        return owner.at(x, y) == stone_black   ? "black"
               : owner.at(x, y) == stone_white ? "white"
                                               : "\"\"";
    }));
}

// Loads a game record, as far as before the given move number (passes counted) or the
// first move on the given vertex, as GNU Go does; the record is replayed through the
// game's rules and refused whole when any move breaks them. Answers the colour to move.
Engine::Reply Engine::loadSgf(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) return failure("syntax error");
    // Only an ordinary file of a record's size is read; a missing file is simply not there.
    const auto file = files::readWhole(args[0], sgf::max_bytes);
    if (const auto* f = std::get_if<files::Failure>(&file)) {
        if (f->problem == files::Problem::too_large) return failure("cannot load file: " + files::english(*f));
        if (f->problem == files::Problem::cannot_open && f->error == ENOENT) return failure("cannot open file");
        return failure("cannot open file: " + files::english(*f));
    }
    const std::string* bytes = std::get_if<std::string>(&file);
    auto read = sgf::read(*bytes);
    if (const auto* e = std::get_if<sgf::Error>(&read))
        return failure("cannot load file: " + e->detail +
                       (e->move > 0 ? " at move " + std::to_string(e->move) : std::string()));
    const sgf::Record& record = std::get<sgf::Record>(read);

    int nodes = -1;
    if (args.size() == 2) {
        int n = 0;
        if (parseInt(args[1], n)) {
            if (n < 1) return failure("syntax error");
            nodes = n - 1;
        } else {
            // A vertex of the record's board, whatever the board now.
            const auto p = boardPoint(args[1], record.size);
            if (!p) return failure("invalid coordinate");
            for (std::size_t i = 0; i < record.moves.size() && nodes < 0; ++i)
                if (!record.moves[i].pass && record.moves[i].at == *p)
                    nodes = static_cast<int>(i);
        }
    }
    auto replayed = replayRecord(record, nodes);
    if (const auto* problem = std::get_if<ReplayProblem>(&replayed)) {
        static const char* const kinds[] = {"a stone on an occupied point", "suicide",
                                            "an immediate ko retake", "more moves than the record holds",
                                            "setup stones that cannot stand"};
        const char* where = problem->kind == ReplayProblem::setup ? " after move " : " at move ";
        std::string at = problem->move > 0 ? where + std::to_string(problem->move) : "";
        return failure("cannot load file: " + std::string(kinds[problem->kind]) + at);
    }
    // The whole record is kept for printsgf: its variations, other games and properties
    // are written again, the game's moves as the main line. A record loaded to a move
    // short of its end keeps only what it plays, as the game it is now: its later moves
    // would otherwise go on the game's main line. A controller shows no message of the
    // engine's: the person reading its log is told what is not kept.
    std::optional<sgf::Collection> trees;
    if (args.size() == 1) {
        if (auto c = sgf::readCollection(*bytes); std::holds_alternative<sgf::Collection>(c))
            trees = std::get<sgf::Collection>(std::move(c));
    }
    if (!trees && (record.unkept.variations > 0 || record.unkept.games > 0))
        std::fprintf(stderr, "tolvan-gtp: %s holds variations or other games; only the moves loaded are kept, "
                             "and printsgf writes them only\n", args[0].c_str());
    const ReplayedRecord& game = std::get<ReplayedRecord>(replayed);
    // The loaded record becomes the engine's history on a board of its size (and the
    // file is remembered for printsgf); the game shows its end, with no record stepping.
    setBoardLines(*game_, record.size);
    reset();
    takeUpReplayed(*game_, game, record);
    game_->kifu.trees = std::move(trees);
    game_->s.record_mode = flag_off;
    show(game.toMove);
    // The file's komi, when it is one a game is played with.
    const std::string km = record.get("KM");
    char* end = nullptr;
    const double k = std::strtod(km.c_str(), &end);
    if (!km.empty() && *end == '\0' && std::isfinite(k) && std::fabs(k) <= max_komi) komi_ = k;
    return success(game.toMove == stone_black ? "black" : "white");
}

// Writes the game as SGF: to the file given, or as the response.
Engine::Reply Engine::printSgf(const std::vector<std::string>& args) {
    if (args.size() > 1) return failure("syntax error");
    std::string text = textOfGame(*game_, recordOfGame(*game_, platform_.today(), komi_, std::nullopt));
    if (args.size() == 1) {
        // Never larger than loadsgf reads; never over a device, a pipe or a folder.
        if (const auto why = files::writeWhole(args[0], text, sgf::max_bytes))
            return failure("cannot write file: " + files::english(*why));
        return success();
    }
    // A response ends at its first empty line: comments keep their text, not their
    // empty lines.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    for (std::size_t at; (at = text.find("\n\n")) != std::string::npos;) text.erase(at, 1);
    return success(text);
}

}  // namespace tolvan::gtp_server
