// The SGF reader. The input is a game record. Whatever it holds, reading it gives a
// record or an error; a record written and read again must come back unchanged; and a
// record the game can take up is a legal position after every move, at any size. Its
// game trees read whole are written and read again as the same trees, and the record's
// line put back into them reads again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "game/kifu.h"
#include "fuzz/position_check.h"
#include "records/sgf.h"
#include "records/tree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolvan;
    const auto first = sgf::read(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto* record = std::get_if<sgf::Record>(&first);
    if (!record) return 0;
    const std::string text = sgf::write(*record);
    const auto again = sgf::read(text);
    const auto* back = std::get_if<sgf::Record>(&again);
    if (!back) {
        const auto& e = std::get<sgf::Error>(again);
        std::fprintf(stderr, "the written record does not read: %s\n%s\n", e.detail.c_str(),
                     text.c_str());
        std::abort();
    }
    // What the file held beside the record (variations, other games, properties it has
    // no place for) is counted when read, never written.
    sgf::Record expected = *record;
    expected.unkept = {};
    if (!(*back == expected)) {
        std::fprintf(stderr, "the written record reads differently:\n%s\n", text.c_str());
        std::abort();
    }
    const auto trees = sgf::readCollection(std::string_view(reinterpret_cast<const char*>(data), size));
    if (const auto* c = std::get_if<sgf::Collection>(&trees)) {
        sgf::Collection with = *c;
        sgf::putLine(with.games.front(), *record);
        for (const sgf::Collection* written : {c, static_cast<const sgf::Collection*>(&with)}) {
            const auto read = sgf::readCollection(written->text());
            const auto* back = std::get_if<sgf::Collection>(&read);
            // The trees are written in UTF-8 and their roots say so.
            sgf::Collection expected = *written;
            for (sgf::GameTree& game : expected.games) {
                std::vector<sgf::Property> root = game.properties(sgf::GameTree::root);
                for (sgf::Property& p : root)
                    if (p.id == "CA") p.values = {"UTF-8"};
                game.setProperties(sgf::GameTree::root, root);
            }
            bool same = back && back->games.size() == expected.games.size();
            for (std::size_t g = 0; same && g < expected.games.size(); ++g)
                same = back->games[g].sameTree(expected.games[g]);
            if (!same) {
                std::fprintf(stderr, "the written trees read differently:\n%s\n", written->text().c_str());
                std::abort();
            }
        }
    }
    const auto replayed = replayRecord(*record);
    if (const auto* game = std::get_if<ReplayedRecord>(&replayed))
        for (int n = 0; n <= game->history.stones(); ++n) {
            const std::string problem = fuzz::boardProblem(game->history.after(n));
            if (!problem.empty()) {
                std::fprintf(stderr, "after move %d: %s\n", n, problem.c_str());
                std::abort();
            }
        }
    return 0;
}
