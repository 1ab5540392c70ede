#include "gtp_client/gtp_client.h"

#include <cctype>

namespace tolvan::gtp_client {

namespace {

// Garbage quoted in a message is cut here.
constexpr std::size_t max_garbage_bytes = 200;

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<GeneratedMove> parseGeneratedMove(std::string_view text, int size) {
    const std::string word = lower(trimSpaces(text));
    if (word == "pass") return GeneratedMove{GeneratedMove::pass, {}};
    if (word == "resign") return GeneratedMove{GeneratedMove::resign, {}};
    const auto p = parseVertex(word, size);
    if (!p) return std::nullopt;
    return GeneratedMove{GeneratedMove::stone, *p};
}

void ReplyReader::garble(char c) {
    garbled_ = true;
    garbage_.assign(1, c);
    garbage_line_done_ = false;
}

void ReplyReader::feed(std::string_view bytes) {
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        // CR ends no line of its own (CR LF is a newline); other control characters
        // but HT and LF carry nothing.
        if ((u < 32 && c != '\t' && c != '\n') || u == 127) continue;

        if (garbled_) {
            // Only the rest of the offending line is kept, to say what came.
            if (garbage_line_done_) return;
            if (c == '\n' || garbage_.size() >= max_garbage_bytes)
                garbage_line_done_ = true;
            else
                garbage_ += c;
            continue;
        }

        switch (state_) {
            case State::start:
            case State::blank:
                if (c == '\n') {
                    state_ = State::start;
                } else if (isSpace(c)) {
                    state_ = State::blank;
                } else if ((c == '=' || c == '?') && state_ == State::start) {
                    current_ = Reply{c == '=', {}, {}};
                    state_ = State::id;
                } else {
                    garble(c);
                }
                break;
            case State::id:
                if (std::isdigit(u)) {
                    current_.id += c;
                    if (current_.id.size() > 18) garble(c);
                } else if (isSpace(c)) {
                    state_ = State::text;
                    line_start_ = false;
                } else if (c == '\n') {
                    // "=\n\n" is an empty result; the first line of the text is empty.
                    state_ = State::text;
                    line_start_ = true;
                } else {
                    garble(c);
                }
                break;
            case State::text:
                if (c == '\n') {
                    if (line_start_) {
                        // An empty line: the reply is complete.
                        if (!current_.text.empty() && current_.text.back() == '\n')
                            current_.text.pop_back();
                        done_.push_back(std::move(current_));
                        current_ = Reply{};
                        state_ = State::start;
                        break;
                    }
                    line_start_ = true;
                } else {
                    line_start_ = false;
                }
                current_.text += c;
                if (current_.text.size() > max_reply_bytes) {
                    garble(current_.text.front());
                    garbage_ = current_.text.substr(0, max_garbage_bytes);
                    garbage_line_done_ = true;
                }
                break;
        }
    }
}

std::optional<Reply> ReplyReader::take() {
    if (done_.empty()) return std::nullopt;
    Reply r = std::move(done_.front());
    done_.pop_front();
    return r;
}

Outcome Client::fail(Outcome::Kind kind, std::string text) {
    broken_ = true;
    return Outcome{kind, std::move(text)};
}

Outcome Client::send(const std::string& command, std::chrono::milliseconds limit) {
    if (broken_) return Outcome{Outcome::gone, {}};
    // A reply that nobody asked for puts every later reply out of step.
    if (reader_.garbled()) return fail(Outcome::garbage, reader_.garbage());
    if (auto stray = reader_.take())
        return fail(Outcome::garbage, (stray->ok ? "=" : "?") + stray->id + " " + stray->text);

    const auto deadline = std::chrono::steady_clock::now() + limit;
    const std::string id = std::to_string(next_id_++);
    std::string line = id + " " + command;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    if (!transport_.writeLine(line)) return fail(Outcome::gone);

    for (;;) {
        if (auto reply = reader_.take()) {
            if (!reply->id.empty() && reply->id != id)
                return fail(Outcome::garbage,
                            (reply->ok ? "=" : "?") + reply->id + " " + reply->text);
            return Outcome{reply->ok ? Outcome::ok : Outcome::failure, std::move(reply->text)};
        }
        if (reader_.garbled()) return fail(Outcome::garbage, reader_.garbage());
        std::string bytes;
        switch (transport_.read(bytes, deadline)) {
            case Transport::Read::data:
                reader_.feed(bytes);
                break;
            case Transport::Read::timeout:
                return fail(Outcome::timed_out);
            case Transport::Read::closed:
                return fail(Outcome::gone);
            case Transport::Read::cancelled:
                return fail(Outcome::cancelled);
        }
    }
}

std::string Probe::commands() { return "1 protocol_version\n2 name\n"; }

Probe::Verdict Probe::feed(std::string_view bytes) {
    if (verdict_ != waiting) return verdict_;
    reader_.feed(bytes);
    while (auto reply = reader_.take()) {
        ++replies_;
        if (!reply->id.empty() && reply->id != std::to_string(replies_)) return verdict_ = not_engine;
        success_ = success_ || reply->ok;
        if (replies_ == 2) return verdict_ = success_ ? engine : not_engine;
    }
    if (reader_.garbled()) verdict_ = not_engine;
    return verdict_;
}

namespace {

constexpr std::size_t errors_kept = 4096;
constexpr std::size_t errors_shown = 600;
constexpr int error_lines_shown = 8;

std::string_view trimmed(std::string_view text) {
    const char* const space = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

}  // namespace

void ErrorTail::keep(std::string_view bytes) {
    kept_.append(bytes);
    if (kept_.size() > 2 * errors_kept) kept_.erase(0, kept_.size() - errors_kept);
}

std::string ErrorTail::shown() const {
    std::string_view tail = kept_;
    if (tail.size() > errors_shown) tail.remove_prefix(tail.size() - errors_shown);
    tail = trimmed(tail);
    std::size_t from = tail.size();
    for (int lines = 0; lines < error_lines_shown && from != std::string_view::npos && from > 0; ++lines)
        from = tail.rfind('\n', from - 1);
    if (from != std::string_view::npos && from < tail.size()) tail.remove_prefix(from + 1);
    return std::string(trimmed(tail));
}

}  // namespace tolvan::gtp_client
