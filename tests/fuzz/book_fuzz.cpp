// The opening-book reader and its lookups. The input is a book file. It is loaded, and
// then games are opened with the person's stones on the corner points the real book
// knows, so that the computer looks its answer up in this book (and the person's hint
// with the colours exchanged) and plays it where the rules allow.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <memory>

#include "game/tolvan.h"
#include "fuzz/position_check.h"
#include "fuzz/scratch.h"
#include "platform/headless.h"

namespace {

using namespace tolvan;

struct Harness {
    HeadlessPlatform platform{0};
    std::unique_ptr<Tolvan> game = std::make_unique<Tolvan>(platform.port());
    std::string book = fuzz::scratchFile("book");
    Harness() {
        game->book_file = book;
        // Hint mode on, so that a looked-up hint is also shown.
        platform.setChecked("SINAN", true);
    }
};

void check(const GameState& s, const char* when) {
    const std::string problem = fuzz::positionProblem(s);
    if (problem.empty()) return;
    std::fprintf(stderr, "after %s: %s\n", when, problem.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Harness h;
    Tolvan& g = *h.game;
    GameState& s = g.s;
    fuzz::writeScratch(h.book, data, size);
    g.定石ファイル読込();
    if (s.joseki_count < 0 || s.joseki_count > joseki_capacity) std::abort();

    // The person's first stones in each corner where the book has answers, and a second
    // stone chosen by the input, so that longer lines can match too.
    static const int openings[][2] = {{4, 4}, {3, 4}, {4, 3}, {3, 3}, {5, 4}, {4, 5}, {5, 3},
                                      {16, 4}, {4, 16}, {17, 16}, {16, 17}, {15, 16}};
    constexpr int count = sizeof openings / sizeof *openings;
    std::uint32_t h32 = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) h32 = (h32 ^ data[i]) * 16777619u;

    // Every opening is looked up directly, as the computer's answer and, with the
    // colours exchanged, as the person's hint; a hit is mapped back to the board.
    s.man_side = stone_black;
    s.com_side = stone_white;
    for (const auto& o : openings) {
        for (int colours = 0; colours < 2; ++colours) {
            g.初期設定();
            s.board[o[0]][o[1]] = colours == 0 ? stone_black : stone_white;
            int x = o[0], y = o[1];
            if (g.調査_定石有無(x, y) == flag_on) g.取得_定石MAN座標(o[0], o[1], x, y);
        }
    }

    // One opening played through: the computer answers from this book where the rules
    // allow, then a second stone, then stepping back and forward looks the hint up again.
    const auto& o = openings[h32 % count];
    g.初期設定();
    g.SENTE_Click();
    const double at = board_left + 150, top = board_top + 150;
    g.MouseDown(at + o[0] * cell_width, top + o[1] * cell_height);
    check(s, "the first stone and the answer");
    const int x = 1 + static_cast<int>((h32 / count) % 19), y = 1 + static_cast<int>((h32 / count / 19) % 19);
    if (s.turn == s.man_side) g.MouseDown(at + x * cell_width, top + y * cell_height);
    check(s, "the second stone and the answer");
    g.MODORU_Click();
    g.SUSUMU_Click();
    check(s, "stepping");
    return 0;
}
