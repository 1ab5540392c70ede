// The controller's side of the Go Text Protocol (version 2): vertices, a strict reader
// of an engine's replies, and a client that sends one command at a time and waits for
// its reply with a time limit. It knows nothing of processes or of any window: the bytes
// go through a transport, which the program implements over a child process and the
// tests with a script.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "rules/geometry.h"

namespace tolvan::gtp_client {

// Vertices are named and read as the rules name points.
using rules::parseVertex;
using rules::vertexName;

// What an engine answered to genmove.
struct GeneratedMove {
    enum Kind { stone, pass, resign } kind = pass;
    rules::Point at;  // the stone's point; (0, 0) for pass and resign
    bool operator==(const GeneratedMove&) const = default;
};

// Reads the answer to genmove: a vertex on the board of `size` lines, "pass" or "resign"
// (any case), with nothing else around it but spaces. nullopt for anything else.
std::optional<GeneratedMove> parseGeneratedMove(std::string_view text, int size);

// One complete reply of an engine.
struct Reply {
    bool ok = false;   // '=' (success) or '?' (failure)
    std::string id;    // the digits after '=' or '?'; empty when there are none
    std::string text;  // the result or the error message; lines joined by '\n', no
                       // newline at the end
    bool operator==(const Reply&) const = default;
};

// Reads replies out of the bytes an engine writes, fed as they arrive, in pieces of any
// size. A reply is '=' or '?', optional id digits, a space or a newline, then text that
// ends with an empty line. CR is dropped (a reply may end its lines with CR LF) and so
// is every other control character but HT and LF, as GTP says for whatever it reads.
// Empty lines (and lines of spaces) before a reply are skipped. Anything else where a
// reply must start, or after the id, is garbage: the reader stops there for good.
class ReplyReader {
public:
    // A reply longer than this is taken for garbage: the engine is writing endlessly.
    static constexpr std::size_t max_reply_bytes = 1u << 20;

    // Reads on through `bytes`; replies completed on the way are queued for take().
    void feed(std::string_view bytes);
    // The oldest complete reply not yet taken, if any.
    std::optional<Reply> take();
    // True once garbage came; no further reply is read.
    bool garbled() const { return garbled_; }
    // The garbage: the text from the offending byte to the end of its line, as far as
    // it has arrived (at most a few hundred bytes).
    const std::string& garbage() const { return garbage_; }
    // True while part of a reply has been read but not its end.
    bool partial() const { return state_ != State::start; }

private:
    enum class State { start, blank, id, text };
    void garble(char c);

    State state_ = State::start;
    bool garbled_ = false;
    bool line_start_ = false;  // in text: the last byte ended a line
    Reply current_;
    std::deque<Reply> done_;
    std::string garbage_;
    bool garbage_line_done_ = false;
};

// The connection to an engine, as the client needs it.
class Transport {
public:
    enum class Read {
        data,       // bytes were appended
        timeout,    // the deadline passed with nothing new
        closed,     // the engine has gone: its output ended, or it exited
        cancelled,  // the controller gave up waiting (the program is ending)
    };
    using Deadline = std::chrono::steady_clock::time_point;

    virtual ~Transport() = default;
    // Sends one command line; a newline is added. False when it cannot be written.
    virtual bool writeLine(const std::string& line) = 0;
    // Waits until the engine has written something, or until `deadline`, and appends
    // what arrived to `out`. Bytes that arrived before the engine ended are delivered
    // (as data) before `closed`.
    virtual Read read(std::string& out, Deadline deadline) = 0;
    // Makes the read under way, if any, and every later one answer `cancelled`.
    virtual void cancel() {}
    // Closes the engine's input, gives it `grace` to exit, then ends whatever is left of
    // its process group; the engine is reaped.
    virtual void end(std::chrono::milliseconds grace) { (void)grace; }
    // True while the engine runs.
    virtual bool running() const { return true; }
    // Once the engine has gone: true when it crashed rather than exited.
    virtual bool crashed() { return false; }
    // The last lines the engine wrote on its standard error, or nothing.
    virtual std::string errors() { return {}; }
};

// What an engine wrote on its standard error, kept as it comes (its last few kilobytes),
// for the messages that say why it failed.
class ErrorTail {
public:
    void keep(std::string_view bytes);
    // The last lines of it: of its last 600 bytes, the last 8 lines, without the spaces
    // and line breaks around them.
    std::string shown() const;

private:
    std::string kept_;
};

// What came of one command.
struct Outcome {
    enum Kind {
        ok,         // '=': text is the result
        failure,    // '?': text is the engine's error message
        gone,       // the engine ended (or could not be written to) before its reply
        timed_out,  // no complete reply within the time limit
        garbage,    // the engine wrote something that is no reply: text is what
        cancelled,  // the transport gave up waiting
    } kind = gone;
    std::string text;
};

// Speaks GTP to one engine: one command at a time, each with an id, each waiting for
// its reply. After any outcome but ok and failure the engine is out of step (a late
// reply would be taken for the next command's), and the client refuses further
// commands: the engine must be ended and started afresh.
class Client {
public:
    explicit Client(Transport& transport) : transport_(transport) {}

    // Sends `command` (one line; line breaks in it become spaces) and waits at most
    // `limit` for its reply. A reply carrying another command's id is garbage; one
    // without an id is taken.
    Outcome send(const std::string& command, std::chrono::milliseconds limit);

    // True once an outcome other than ok or failure has come.
    bool broken() const { return broken_; }

private:
    Outcome fail(Outcome::Kind kind, std::string text = {});

    Transport& transport_;
    ReplyReader reader_;
    int next_id_ = 1;
    bool broken_ = false;
};

// Whether a program answers as a GTP engine, asked without waiting: commands() is
// written to it at once, and what it writes back is fed as it arrives. It is an engine
// when both replies come, with their ids, and at least one of them is a success (an
// engine of the first GTP may not know protocol_version).
class Probe {
public:
    enum Verdict { waiting, engine, not_engine };
    // protocol_version and name, with ids 1 and 2.
    static std::string commands();
    Verdict feed(std::string_view bytes);

private:
    ReplyReader reader_;
    int replies_ = 0;
    bool success_ = false;
    Verdict verdict_ = waiting;
};

}  // namespace tolvan::gtp_client
