#include "gtp_client/session.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <utility>

#include "gtp_client/command_line.h"

namespace tolvan::gtp_client {

namespace {

using std::chrono::milliseconds;

// An engine that failed or is being given up is told to quit, but is busy or broken more
// often than not: it gets this long before it is killed.
constexpr int broken_grace_ms = 100;

std::string colourName(int colour) { return colour > 0 ? "b" : "w"; }

bool sameMove(const rules::Node& a, const rules::Node& b) {
    return a.colour == b.colour && a.pass == b.pass && (a.pass || a.at == b.at);
}

// The first `units` characters of UTF-8 text, counted as the window counts them (a
// character beyond the first plane counts twice).
std::string leftChars(const std::string& s, std::size_t units) {
    std::size_t i = 0, n = 0;
    while (i < s.size()) {
        const auto u = static_cast<unsigned char>(s[i]);
        const std::size_t len = u < 0x80 ? 1 : u >= 0xF0 ? 4 : u >= 0xE0 ? 3 : u >= 0xC0 ? 2 : 1;
        const std::size_t count = len == 4 ? 2 : 1;
        if (n + count > units) break;
        n += count;
        i = std::min(s.size(), i + len);
    }
    return s.substr(0, i);
}

// The komi command, its number as printf's %g writes it, whatever the locale.
std::string komiCommand(double komi) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, komi, std::chars_format::general, 6);
    return "komi " + (error == std::errc() ? std::string(text, end) : std::string("0"));
}

}  // namespace

Session::Session(Starter starter, Label label)
    : starter_(std::move(starter)), label_(std::move(label)) {}

Session::~Session() { end(0); }

std::optional<std::string> Session::start(const std::string& command) {
    end(broken_grace_ms);
    cancelled_ = false;
    const auto words = splitCommandLine(command);
    if (!words) return std::string("コマンドの引用符（' や \"）が閉じていません。");
    if (words->empty()) return std::string("エンジンのコマンドがありません。");
    transport_ = starter_(*words, milliseconds(std::int64_t(limits.start) * 1000));
    if (!transport_) return "エンジン「" + words->front() + "」を起動できません。";
    client_ = std::make_unique<Client>(*transport_);
    return std::nullopt;
}

bool Session::running() const { return client_ && !client_->broken() && transport_->running(); }

std::optional<std::string> Session::ensure(const std::string& command, int size) {
    if (running()) return std::nullopt;
    if (auto message = start(command)) return message;
    return setUp(size);
}

void Session::end(int graceMs) {
    if (transport_) {
        transport_->writeLine("quit");
        transport_->end(milliseconds(graceMs));
    }
    client_.reset();
    transport_.reset();
    position_.reset();
    size_ = 0;
    name_.reset();
    toldKomi_.reset();
    answered_ = false;
}

void Session::cancel() {
    cancelled_ = true;
    if (transport_) transport_->cancel();
}

Outcome Session::send(const std::string& command, int seconds) {
    if (!client_) return Outcome{Outcome::gone, {}};
    milliseconds limit(std::int64_t(seconds) * 1000);
    if (deadline_)
        limit = std::clamp(
            std::chrono::ceil<milliseconds>(*deadline_ - std::chrono::steady_clock::now()),
            milliseconds(0), limit);
    Outcome o = client_->send(command, limit);
    if (o.kind == Outcome::ok || o.kind == Outcome::failure) answered_ = true;
    if (o.kind == Outcome::cancelled) cancelled_ = true;
    return o;
}

std::string Session::describe(const Outcome& outcome, int seconds) {
    switch (outcome.kind) {
        case Outcome::ok:
        case Outcome::failure:
            break;
        case Outcome::gone:
            return transport_ && transport_->crashed() ? "エンジンが異常終了しました。"
                                                       : "エンジンが終了しました。";
        case Outcome::timed_out:
            return "エンジンが" + std::to_string(seconds) + "秒たっても答えません。";
        case Outcome::garbage:
            return "エンジンの答えが読めません：" + leftChars(outcome.text, 200);
        case Outcome::cancelled:
            return "エンジンを止めました。";
    }
    return {};
}

std::string Session::withErrors(const std::string& message) {
    const std::string tail = transport_ ? transport_->errors() : std::string();
    if (tail.empty()) return message;
    return message + "\n\nエンジンのエラー出力：\n" + tail;
}

std::string Session::whyNot(const std::string& command, const Outcome& outcome, int seconds) {
    if (outcome.kind != Outcome::failure) return withErrors(describe(outcome, seconds));
    const std::string& said = outcome.text;
    const std::string boardsize = "boardsize ";
    if (command.rfind(boardsize, 0) == 0)
        return withErrors("エンジンが " + command.substr(boardsize.size()) + " 路盤を受け付けません：" +
                          said);
    // A stone is named as the board's labels name its point, not in the engine's terms.
    std::istringstream words(command);
    std::string verb, colour, vertex;
    words >> verb >> colour >> vertex;
    if (verb == "play" && vertex != "pass")
        if (const auto p = parseVertex(vertex, size_ > 0 ? size_ : 19); p && p->x != 0)
            return withErrors("エンジンが" + std::string(colour == "b" ? "黒" : "白") + "の " +
                              label_(*p) + " の手を受け付けません：" + said);
    return withErrors("エンジンが「" + command + "」を受け付けません：" + said);
}

std::optional<std::string> Session::check() {
    Outcome o = send("protocol_version", limits.start);
    if (o.kind == Outcome::failure) o = send("name", limits.command);
    if (o.kind == Outcome::failure)
        return withErrors("エンジンが GTP の「protocol_version」にも「name」にも答えません。");
    if (o.kind != Outcome::ok) return withErrors(describe(o, limits.start));
    o = send("boardsize 19", limits.command);
    if (o.kind == Outcome::failure)
        return withErrors("エンジンが 19 路盤を受け付けません：" + o.text);
    if (o.kind != Outcome::ok) return withErrors(describe(o, limits.command));
    return std::nullopt;
}

std::optional<std::string> Session::setUp(int size) {
    // GTP 1 engines may not know protocol_version; any answer will do. The first
    // answer may take the engine's loading time.
    const struct {
        std::string command;
        bool must;
    } setup[] = {{"protocol_version", false},
                 {"boardsize " + std::to_string(size), true},
                 {"clear_board", true},
                 {komiCommand(komi_), false}};
    bool first = true;
    for (const auto& step : setup) {
        const int seconds = first ? limits.start : limits.command;
        first = false;
        const Outcome o = send(step.command, seconds);
        if (o.kind == Outcome::ok || (o.kind == Outcome::failure && !step.must)) continue;
        return whyNot(step.command, o, seconds);
    }
    size_ = size;
    position_ = Told{rules::Board(size), {}};  // an empty board
    toldKomi_ = komi_;
    return std::nullopt;
}

std::optional<std::string> Session::bringTo(const rules::History& history) {
    Told position{history.setup(),
                  rules::sequence(history, history.stones(), history.passesAtEnd())};
    const int size = history.size();
    // True when the engine's position is where `position` was: the same setup stones,
    // and its moves are the first moves of `position`.
    const auto leadsTo = [&position](const Told& known) {
        if (!known.setup.sameStones(position.setup) || known.moves.size() > position.moves.size())
            return false;
        for (std::size_t i = 0; i < known.moves.size(); ++i)
            if (!sameMove(known.moves[i], position.moves[i])) return false;
        return true;
    };
    const auto vertex = [size](rules::Point p) { return vertexName(p, size); };
    // A komi chosen since the engine was set up; an engine that refuses it plays on.
    if (toldKomi_ && *toldKomi_ != komi_) {
        const std::string command = komiCommand(komi_);
        const Outcome o = send(command, limits.command);
        if (o.kind == Outcome::cancelled) return std::string();
        if (o.kind != Outcome::ok && o.kind != Outcome::failure) return whyNot(command, o, limits.command);
        toldKomi_ = komi_;
    }
    std::vector<std::string> commands;
    std::size_t from = 0;
    if (size_ == size && position_ && leadsTo(*position_)) {
        from = position_->moves.size();
    } else {
        const bool emptyBoard = position_ && position_->setup.stones(rules::black) == 0 &&
                                position_->setup.stones(rules::white) == 0 &&
                                position_->moves.empty();
        // After boardsize the engine's board may hold anything.
        if (size_ != size) commands.push_back("boardsize " + std::to_string(size));
        if (size_ != size || !emptyBoard) commands.push_back("clear_board");
        // Setup stones are played as moves: set_free_handicap would take black stones on
        // an empty board only.
        for (const auto& p : position.setup.stonesOf(rules::black))
            commands.push_back("play b " + vertex(p));
        for (const auto& p : position.setup.stonesOf(rules::white))
            commands.push_back("play w " + vertex(p));
    }
    for (std::size_t i = from; i < position.moves.size(); ++i) {
        const rules::Node& m = position.moves[i];
        commands.push_back("play " + colourName(m.colour) + " " +
                           (m.pass ? std::string("pass") : vertex(m.at)));
    }
    // Until every command has been taken the engine's position is unknown, and so is its
    // size when it is told another.
    position_.reset();
    if (size_ != size) size_ = 0;
    for (const std::string& command : commands) {
        const Outcome o = send(command, limits.command);
        if (o.kind == Outcome::ok) continue;
        if (o.kind == Outcome::cancelled) return std::string();
        return whyNot(command, o, limits.command);
    }
    size_ = size;
    position_ = std::move(position);
    return std::nullopt;
}

MoveAnswer Session::ask(const std::string& verb, const rules::History& position, int colour) {
    if (auto message = bringTo(position)) return {std::nullopt, *message};
    const Outcome o = send(verb + " " + colourName(colour), limits.genmove);
    if (o.kind == Outcome::failure) return {std::nullopt, withErrors("エンジンが手を選べません：" + o.text)};
    if (o.kind == Outcome::cancelled) return {};
    if (o.kind != Outcome::ok) return {std::nullopt, withErrors(describe(o, limits.genmove))};
    const auto move = parseGeneratedMove(o.text, position.size());
    if (!move) return {std::nullopt, withErrors("エンジンの答えが読めません：" + leftChars(o.text, 200))};
    return {move, {}};
}

MoveAnswer Session::genmove(const rules::History& position, int colour) {
    MoveAnswer a = ask("genmove", position, colour);
    // The engine has its own move on its board now (a resignation changes nothing).
    if (a.move && position_ && a.move->kind != GeneratedMove::resign)
        position_->moves.push_back({colour, a.move->kind == GeneratedMove::pass, a.move->at});
    return a;
}

MoveAnswer Session::regGenmove(const rules::History& position, int colour) {
    return ask("reg_genmove", position, colour);
}

std::optional<std::vector<rules::Point>> Session::deadStones(const rules::History& position) {
    if (bringTo(position)) return std::nullopt;
    const Outcome o = send("final_status_list dead", limits.command);
    if (o.kind != Outcome::ok) return std::nullopt;
    // One group a line, its stones apart by spaces. A word that is no stone of the
    // position means the engine sees another game (or writes nonsense): nothing it
    // says is taken.
    const rules::Board end = position.end();
    std::vector<rules::Point> dead;
    std::istringstream words(o.text);
    for (std::string word; words >> word;) {
        const auto p = parseVertex(word, position.size());
        if (!p || p->x == 0 || end.at(p->x, p->y) == rules::empty) return std::nullopt;
        dead.push_back(*p);
    }
    return dead;
}

Outcome Session::query(const std::string& command) { return send(command, limits.command); }

std::string Session::name() {
    if (!running()) return {};
    if (!name_) {
        // An engine that does not say has no name here.
        std::string said;
        for (const char* command : {"name", "version"}) {
            const Outcome o = send(command, limits.command);
            if (o.kind != Outcome::ok || o.text.empty()) continue;
            said += (said.empty() ? "" : " ") + o.text;
        }
        name_ = said;
    }
    return *name_;
}

}  // namespace tolvan::gtp_client
