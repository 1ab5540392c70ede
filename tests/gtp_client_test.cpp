// The GTP client as the window uses it: replies read out of bytes that arrive in any
// pieces, and commands sent through a scripted transport that plays an engine.
#include "gtp_client/gtp_client.h"
#include "gtp_client/session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace tolvan::gtp_client {
namespace {

using namespace std::chrono_literals;

// Every reply the reader completes after being fed the pieces in order.
std::vector<Reply> readAll(ReplyReader& reader, const std::vector<std::string>& pieces) {
    std::vector<Reply> out;
    for (const auto& p : pieces) {
        reader.feed(p);
        while (auto r = reader.take()) out.push_back(*r);
    }
    return out;
}

std::vector<Reply> readAll(const std::vector<std::string>& pieces) {
    ReplyReader reader;
    return readAll(reader, pieces);
}

TEST(GtpReplyReader, RepliesCompleteAtTheirEmptyLineWhateverThePieces) {
    const std::string text = "= D4\n\n?3 illegal move\n\n=12\n\n";
    const std::vector<Reply> want = {
        {true, "", "D4"}, {false, "3", "illegal move"}, {true, "12", ""}};
    EXPECT_EQ(readAll({text}), want);
    // One byte at a time, and cut at every other place.
    std::vector<std::string> bytes;
    for (char c : text) bytes.emplace_back(1, c);
    EXPECT_EQ(readAll(bytes), want);
    for (std::size_t cut = 1; cut < text.size(); ++cut)
        EXPECT_EQ(readAll({text.substr(0, cut), text.substr(cut)}), want) << "cut at " << cut;

    // Nothing is complete before the empty line.
    ReplyReader reader;
    EXPECT_TRUE(readAll(reader, {"= D4\n"}).empty());
    EXPECT_TRUE(reader.partial());
    EXPECT_EQ(readAll(reader, {"\n"}), (std::vector<Reply>{{true, "", "D4"}}));
    EXPECT_FALSE(reader.partial());
}

TEST(GtpReplyReader, MultiLineEmptyAndCrLfReplies) {
    EXPECT_EQ(readAll({"= A\nB\n  C\n\n"}), (std::vector<Reply>{{true, "", "A\nB\n  C"}}));
    // An empty result, with or without the space after '='.
    EXPECT_EQ(readAll({"= \n\n=\n\n"}), (std::vector<Reply>{{true, "", ""}, {true, "", ""}}));
    // CR LF line ends, split between the CR and the LF.
    EXPECT_EQ(readAll({"=7 2\r", "\n\r", "\n"}), (std::vector<Reply>{{true, "7", "2"}}));
    // Other control characters go; tabs stay.
    EXPECT_EQ(readAll({"= a\x01\tb\x7f\n\n"}), (std::vector<Reply>{{true, "", "a\tb"}}));
    // Empty lines and lines of spaces before a reply are skipped.
    EXPECT_EQ(readAll({"\n\n  \n= ok\n\n\n"}), (std::vector<Reply>{{true, "", "ok"}}));
}

TEST(GtpReplyReader, BytesThatCannotStartAReplyAreGarbageForGood) {
    ReplyReader reader;
    EXPECT_TRUE(readAll(reader, {"Thinking... done\nmore\n= D4\n\n"}).empty());
    EXPECT_TRUE(reader.garbled());
    EXPECT_EQ(reader.garbage(), "Thinking... done");

    // After a good reply, and split: the rest of the line comes with later pieces.
    ReplyReader late;
    EXPECT_EQ(readAll(late, {"= 2\n\nwarn", "ing: slow\n= 3\n\n"}),
              (std::vector<Reply>{{true, "", "2"}}));
    EXPECT_EQ(late.garbage(), "warning: slow");

    // A reply start with something other than digits before the separator.
    ReplyReader id;
    readAll(id, {"=x D4\n\n"});
    EXPECT_TRUE(id.garbled());
    // Spaces before the '='.
    ReplyReader indented;
    readAll(indented, {"  = D4\n\n"});
    EXPECT_TRUE(indented.garbled());
}

TEST(GtpReplyReader, AnEndlessReplyIsGarbage) {
    ReplyReader reader;
    reader.feed("= ");
    const std::string line(1000, 'x');
    for (std::size_t n = 0; n <= ReplyReader::max_reply_bytes / 1000 + 1 && !reader.garbled(); ++n)
        reader.feed(line + "\n");
    EXPECT_TRUE(reader.garbled());
    EXPECT_FALSE(reader.garbage().empty());
    EXPECT_LE(reader.garbage().size(), 200u);
}

TEST(GtpGeneratedMove, APointOnTheBoardPassOrResign) {
    using M = GeneratedMove;
    EXPECT_EQ(parseGeneratedMove("D16", 19), (M{M::stone, {4, 4}}));
    EXPECT_EQ(parseGeneratedMove(" t19 ", 19), (M{M::stone, {19, 1}}));
    EXPECT_EQ(parseGeneratedMove("PASS", 19), (M{M::pass, {}}));
    EXPECT_EQ(parseGeneratedMove("Resign", 19), (M{M::resign, {}}));
    for (const char* bad : {"", "Z99", "U1", "A20", "A0", "D4 D5", "passe", "I4", "= D4"})
        EXPECT_FALSE(parseGeneratedMove(bad, 19)) << bad;
    // Every point of the board, named as the engine names it, comes back.
    for (int x = 1; x <= 19; ++x)
        for (int y = 1; y <= 19; ++y)
            EXPECT_EQ(parseGeneratedMove(vertexName({x, y}, 19), 19), (M{M::stone, {x, y}}));
    // On the smaller boards rows count up from their own bottom line, both ways, and a
    // vertex off them is no move.
    using Case = std::tuple<const char*, int, std::optional<M>>;
    for (const auto& [text, size, move] :
         {Case{"J1", 9, M{M::stone, {9, 9}}}, Case{"N13", 13, M{M::stone, {13, 1}}},
          Case{"K5", 9, std::nullopt}, Case{"A10", 9, std::nullopt}}) {
        EXPECT_EQ(parseGeneratedMove(text, size), move) << text;
        if (move) {
            EXPECT_EQ(vertexName(move->at, size), text);
        }
    }
}

// An engine played from a script: each read takes the next step. A step is bytes to
// deliver, or one of the other results of a read.
struct Step {
    Transport::Read result = Transport::Read::data;
    std::string bytes;
};
Step bytes(std::string b) { return {Transport::Read::data, std::move(b)}; }

class ScriptedTransport : public Transport {
public:
    std::deque<Step> script;
    std::vector<std::string> written;
    std::vector<Deadline> deadlines;
    bool writable = true;

    bool writeLine(const std::string& line) override {
        if (!writable) return false;
        written.push_back(line);
        return true;
    }
    Read read(std::string& out, Deadline deadline) override {
        deadlines.push_back(deadline);
        if (script.empty()) return Read::timeout;  // an engine that says nothing more
        Step s = script.front();
        script.pop_front();
        out += s.bytes;
        return s.result;
    }
};

TEST(GtpClient, SendsNumberedCommandsAndTakesTheirReplies) {
    ScriptedTransport t;
    Client client(t);
    t.script = {bytes("=1 2\n\n")};
    Outcome o = client.send("protocol_version", 1s);
    EXPECT_EQ(o.kind, Outcome::ok);
    EXPECT_EQ(o.text, "2");

    // A reply in pieces, without an id, a failure.
    t.script = {bytes("? ill"), bytes("egal move\n"), bytes("\n")};
    o = client.send("play b D4", 1s);
    EXPECT_EQ(o.kind, Outcome::failure);
    EXPECT_EQ(o.text, "illegal move");

    // A multi-line result; line breaks in the command are not sent as such.
    t.script = {bytes("=3 A\r\nB\r\n\r\n")};
    o = client.send("list\ncommands", 1s);
    EXPECT_EQ(o.kind, Outcome::ok);
    EXPECT_EQ(o.text, "A\nB");
    EXPECT_EQ(t.written,
              (std::vector<std::string>{"1 protocol_version", "2 play b D4", "3 list commands"}));
    EXPECT_FALSE(client.broken());
}

TEST(GtpClient, WaitsUntilTheTimeLimitAndNoLonger) {
    ScriptedTransport t;
    Client client(t);
    t.script = {bytes("= "), {Transport::Read::timeout, ""}};
    const auto before = std::chrono::steady_clock::now();
    const Outcome o = client.send("genmove b", 60s);
    EXPECT_EQ(o.kind, Outcome::timed_out);
    // Every read of the command waits for the same deadline, the limit after sending.
    ASSERT_EQ(t.deadlines.size(), 2u);
    EXPECT_EQ(t.deadlines[0], t.deadlines[1]);
    EXPECT_GE(t.deadlines[0], before + 60s);
    EXPECT_LE(t.deadlines[0], std::chrono::steady_clock::now() + 60s);
    // Out of step from now on: nothing more is sent.
    EXPECT_TRUE(client.broken());
    EXPECT_EQ(client.send("quit", 1s).kind, Outcome::gone);
    EXPECT_EQ(t.written.size(), 1u);
}

TEST(GtpClient, EngineGoneGarbageAndCancelBreakTheClient) {
    const struct {
        std::deque<Step> script;
        Outcome::Kind kind;
        std::string text;
    } cases[] = {
        {{bytes("= D"), {Transport::Read::closed, ""}}, Outcome::gone, ""},
        {{bytes("GNU Go is thinking\n")}, Outcome::garbage, "GNU Go is thinking"},
        {{{Transport::Read::cancelled, ""}}, Outcome::cancelled, ""},
    };
    for (const auto& c : cases) {
        ScriptedTransport t;
        Client client(t);
        t.script = c.script;
        const Outcome o = client.send("genmove b", 1s);
        EXPECT_EQ(o.kind, c.kind) << c.text;
        EXPECT_EQ(o.text, c.text);
        EXPECT_TRUE(client.broken());
    }
    // An engine that cannot be written to has gone.
    ScriptedTransport t;
    t.writable = false;
    Client client(t);
    EXPECT_EQ(client.send("name", 1s).kind, Outcome::gone);
}

TEST(GtpClient, RepliesOutOfStepAreGarbage) {
    {
        // The reply of another command.
        ScriptedTransport t;
        Client client(t);
        t.script = {bytes("=7 D4\n\n")};
        const Outcome o = client.send("genmove b", 1s);
        EXPECT_EQ(o.kind, Outcome::garbage);
        EXPECT_EQ(o.text, "=7 D4");
    }
    {
        // Two replies to one command: the second is found before the next is sent.
        ScriptedTransport t;
        Client client(t);
        t.script = {bytes("=1\n\n= extra\n\n")};
        EXPECT_EQ(client.send("boardsize 19", 1s).kind, Outcome::ok);
        EXPECT_EQ(client.send("clear_board", 1s).kind, Outcome::garbage);
        EXPECT_EQ(t.written.size(), 1u);
    }
}

// An engine for a session: every command is answered "=" at once, but those the case
// scripts (by their first word), whose reads take the scripted steps in turn. A cancelled
// step is the program cancelling the session while it waits.
class FakeEngine : public Transport {
public:
    std::map<std::string, std::deque<Step>> scripts;
    std::vector<std::string> commands;
    std::vector<Deadline> deadlines;
    std::function<void()> whileWaiting;
    bool crashedExit = false;
    std::string stderrTail;

    bool writeLine(const std::string& line) override {
        const std::string command = line.substr(line.find(' ') + 1);
        commands.push_back(command);
        const auto script = scripts.find(command.substr(0, command.find(' ')));
        pending_ = script != scripts.end() ? script->second : std::deque<Step>{bytes("=\n\n")};
        return true;
    }
    Read read(std::string& out, Deadline deadline) override {
        deadlines.push_back(deadline);
        if (cancelled_) return Read::cancelled;
        if (pending_.empty()) return Read::timeout;
        Step s = pending_.front();
        pending_.pop_front();
        if (s.result == Read::cancelled) {
            whileWaiting();
            return cancelled_ ? Read::cancelled : Read::timeout;
        }
        out += s.bytes;
        return s.result;
    }
    void cancel() override { cancelled_ = true; }
    bool crashed() override { return crashedExit; }
    std::string errors() override { return stderrTail; }

private:
    std::deque<Step> pending_;
    bool cancelled_ = false;
};

TEST(EngineSession, AMoveOrWhyThereIsNone) {
    const Step timeout{Transport::Read::timeout, ""}, closed{Transport::Read::closed, ""};
    const struct {
        std::string what;
        std::map<std::string, std::deque<Step>> scripts;
        std::optional<GeneratedMove> move;
        std::string failure;
        bool crashed = false;
        std::string errors = "";
    } cases[] = {
        {"reply in pieces", {{"genmove", {bytes("="), bytes(" q"), bytes("16\r\n"), bytes("\n")}}},
         GeneratedMove{GeneratedMove::stone, {16, 4}}, ""},
        {"silence past the deadline", {{"genmove", {bytes("= "), timeout}}}, std::nullopt,
         "エンジンが1秒たっても答えません。\n\nエンジンのエラー出力：\nthinking...", false, "thinking..."},
        {"garbage", {{"genmove", {bytes("GNU Go is thinking\n")}}}, std::nullopt,
         "エンジンの答えが読めません：GNU Go is thinking"},
        {"no move", {{"genmove", {bytes("= Z99\n\n")}}}, std::nullopt, "エンジンの答えが読めません：Z99"},
        {"closed pipe", {{"genmove", {closed}}}, std::nullopt, "エンジンが終了しました。"},
        {"crash", {{"genmove", {bytes("= D"), closed}}}, std::nullopt, "エンジンが異常終了しました。", true, ""},
        {"cancel", {{"genmove", {{Transport::Read::cancelled, ""}}}}, std::nullopt, ""},
        {"refused stone", {{"play", {bytes("? illegal move\n\n")}}}, std::nullopt,
         "エンジンが黒の (4,4) の手を受け付けません：illegal move"},
        {"refused size", {{"boardsize", {bytes("? unacceptable size\n\n")}}}, std::nullopt,
         "エンジンが 19 路盤を受け付けません：unacceptable size"},
    };
    for (const auto& c : cases) {
        auto owned = std::make_unique<FakeEngine>();
        FakeEngine& engine = *owned;
        engine.scripts = c.scripts;
        engine.crashedExit = c.crashed;
        engine.stderrTail = c.errors;
        Session session([&owned](const std::vector<std::string>&, std::chrono::milliseconds) { return std::move(owned); },
                        [](rules::Point p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; });
        session.limits.genmove = 1;
        engine.whileWaiting = [&session] { session.cancel(); };
        rules::History game(19);
        game.play(rules::black, 4, 4);

        const auto before = std::chrono::steady_clock::now();
        session.setDeadline(before + 500ms);
        std::optional<std::string> failure = session.ensure("engine --gtp", 19);
        MoveAnswer answer{std::nullopt, failure.value_or("")};
        if (!failure) answer = session.genmove(game, rules::white);
        EXPECT_EQ(answer.move, c.move) << c.what;
        EXPECT_EQ(answer.failure, c.failure) << c.what;
        EXPECT_EQ(session.cancelled(), c.what == "cancel") << c.what;
        // Only an answer leaves the engine in step; no wait goes past the deadline.
        EXPECT_EQ(session.running(), c.move || c.what == "no move" || c.what.starts_with("refused"))
            << c.what;
        for (const auto d : engine.deadlines) EXPECT_LT(d, before + 1s) << c.what;
    }
}

// A position from moves written "b D4", "w pass" ... on 19 lines, after setup stones.
rules::History positionOf(const std::vector<std::string>& moves, const std::vector<std::string>& setup = {}) {
    rules::History h(19);
    rules::Board board(19);
    for (const std::string& s : setup) {
        const auto p = parseVertex(s.substr(2), 19);
        board.put(p->x, p->y, s[0] == 'b' ? rules::black : rules::white);
    }
    h.setSetup(board);
    for (const std::string& m : moves) {
        if (m.substr(2) == "pass") {
            h.pass();
        } else {
            const auto p = parseVertex(m.substr(2), 19);
            h.play(m[0] == 'b' ? rules::black : rules::white, p->x, p->y);
        }
    }
    return h;
}

// The commands that bring an engine from the position it holds to another: the new moves
// alone when the position goes on from the engine's, otherwise a cleared board and the
// whole game again. Each row would catch a fault in the comparison: a last move (or a
// first) not compared, a stone taken for a pass, moves taken back or a changed setup left
// unseen, or a replay where new moves would do.
TEST(EngineSession, BroughtToAPositionByItsNewMovesOrAReplay) {
    const struct {
        const char* what;
        std::vector<std::string> known, next, nextSetup;
        std::vector<std::string> commands;
    } cases[] = {
        {"the same position", {"b D4", "w Q16"}, {"b D4", "w Q16"}, {}, {}},
        {"one move more", {"b D4", "w Q16"}, {"b D4", "w Q16", "b C3"}, {}, {"play b C3"}},
        {"two more, a pass among them", {"b D4"}, {"b D4", "w pass", "b C3"}, {}, {"play w pass", "play b C3"}},
        {"as long, another last move (待った and a new move)", {"b D4", "w Q16"}, {"b D4", "w R16"}, {},
         {"clear_board", "play b D4", "play w R16"}},
        {"as long, another first move", {"b D4", "w Q16"}, {"b C3", "w Q16"}, {},
         {"clear_board", "play b C3", "play w Q16"}},
        {"as long, a pass for the last stone", {"b D4", "w Q16"}, {"b D4", "w pass"}, {},
         {"clear_board", "play b D4", "play w pass"}},
        {"a move taken back", {"b D4", "w Q16", "b C3"}, {"b D4", "w Q16"}, {},
         {"clear_board", "play b D4", "play w Q16"}},
        {"longer, going another way", {"b D4", "w Q16"}, {"b D4", "w R16", "b C3"}, {},
         {"clear_board", "play b D4", "play w R16", "play b C3"}},
        {"the same moves after a setup stone", {"b D4"}, {"b D4"}, {"b Q16"},
         {"clear_board", "play b Q16", "play b D4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto owned = std::make_unique<FakeEngine>();
        FakeEngine& engine = *owned;
        Session session([&owned](const std::vector<std::string>&, std::chrono::milliseconds) { return std::move(owned); },
                        [](rules::Point) { return std::string(); });
        ASSERT_EQ(session.ensure("engine", 19), std::nullopt);
        ASSERT_EQ(session.bringTo(positionOf(c.known)), std::nullopt);
        engine.commands.clear();
        EXPECT_EQ(session.bringTo(positionOf(c.next, c.nextSetup)), std::nullopt);
        EXPECT_EQ(engine.commands, c.commands);
    }
}

}  // namespace
}  // namespace tolvan::gtp_client
