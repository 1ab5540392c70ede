// The reader of an engine's GTP replies, and the client on top of it. The input is what
// an engine writes. Whatever it holds, and however it is cut into pieces, the same
// replies are read, each one well-formed, and the client stops at the first thing that
// is no reply for its command.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "gtp_client/gtp_client.h"

namespace {

using namespace tolvan::gtp_client;

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

struct Result {
    std::vector<Reply> replies;
    bool garbled = false;
    std::string garbage;
};

// Reads `bytes` in pieces of the sizes `cut` gives in turn (1..16 bytes).
Result readInPieces(std::string_view bytes, std::string_view cut) {
    ReplyReader reader;
    Result out;
    std::size_t at = 0, k = 0;
    while (at < bytes.size()) {
        const std::size_t n =
            cut.empty() ? bytes.size() : 1 + static_cast<unsigned char>(cut[k++ % cut.size()]) % 16;
        reader.feed(bytes.substr(at, n));
        at += n;
        while (auto r = reader.take()) out.replies.push_back(*r);
    }
    out.garbled = reader.garbled();
    out.garbage = reader.garbage();
    return out;
}

// Delivers the input in pieces, then says the engine has gone.
class InputTransport : public Transport {
public:
    InputTransport(std::string_view bytes, std::string_view cut) : bytes_(bytes), cut_(cut) {}
    bool writeLine(const std::string&) override { return true; }
    Read read(std::string& out, Deadline) override {
        if (at_ >= bytes_.size()) return Read::closed;
        const std::size_t n = cut_.empty()
                                  ? bytes_.size()
                                  : 1 + static_cast<unsigned char>(cut_[k_++ % cut_.size()]) % 16;
        out.append(bytes_.substr(at_, n));
        at_ += n;
        return Read::data;
    }

private:
    std::string_view bytes_, cut_;
    std::size_t at_ = 0, k_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first bytes up to a NUL, if there is one, say where to cut the rest.
    const auto nul = input.find('\0');
    const std::string_view cut =
        nul == std::string_view::npos ? std::string_view() : input.substr(0, nul);
    const std::string_view bytes = nul == std::string_view::npos ? input : input.substr(nul + 1);

    const Result whole = readInPieces(bytes, {});
    const Result pieces = readInPieces(bytes, cut.empty() ? std::string_view("\x00", 1) : cut);
    check(whole.replies == pieces.replies, "the replies depend on the pieces");
    check(whole.garbled == pieces.garbled, "garbage depends on the pieces");
    check(whole.garbage.size() <= 200, "the garbage quoted is too long");
    for (const Reply& r : whole.replies) {
        check(r.text.find("\n\n") == std::string::npos, "a reply holds an empty line");
        check(r.text.empty() || r.text.back() != '\n', "a reply ends with a newline");
        for (char c : r.text) {
            const auto u = static_cast<unsigned char>(c);
            check(!((u < 32 && c != '\t' && c != '\n') || u == 127),
                  "a control character in a reply");
        }
        for (char c : r.id) check(c >= '0' && c <= '9', "an id that is not digits");
    }

    // The client takes the same replies in turn, as long as their ids fit.
    InputTransport transport(bytes, cut);
    Client client(transport);
    for (std::size_t i = 0; i < whole.replies.size() + 2 && !client.broken(); ++i) {
        const Outcome o = client.send("name", std::chrono::seconds(1));
        if (o.kind == Outcome::ok || o.kind == Outcome::failure) {
            check(i < whole.replies.size(), "the client took a reply that was not there");
            check(o.text == whole.replies[i].text, "the client took another reply");
        }
    }
    check(client.broken(), "the client outlived its input");
    return 0;
}
