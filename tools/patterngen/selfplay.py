#!/usr/bin/env python3
"""Games of GNU Go against itself, written as SGF: the training games of tolvan-patterngen.

    selfplay.py --out DIR [--size 9] [--games 10] [--level 10] [--random 2-4]
                [--komi 7] [--minutes M] [--seed S] [--gnugo /usr/games/gnugo]

One GNU Go process plays both colours over GTP (genmove b, genmove w in turn) until both
pass in a row, one side resigns or the game reaches three moves per point. Each game
opens with a few stones on random legal points (a number drawn from --random, on the
third line or higher), so that the games differ; tolvan-patterngen leaves the first four
stones of a game out of its counts, so --random should not go above 4. The root's GC
names how many opening stones were random. The result is GNU Go's own final_score.

Files are named SIZE-LEVEL-NNNN.sgf; numbers already in the folder are skipped, so a
second run adds games beside the first. --minutes stops starting new games after that
many minutes. Run it under `nice`: GNU Go takes one core.
"""

import argparse
import os
import random
import subprocess
import sys
import time

LETTERS = "ABCDEFGHJKLMNOPQRSTUVWXYZ"  # GTP's columns: no I


class Engine:
    """A GTP engine over pipes: one command at a time, its answer without the '= '."""

    def __init__(self, command):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True, bufsize=1)

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        lines = []
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError("the engine ended during: " + command)
            line = line.rstrip("\r\n")
            if line == "" and lines:
                break
            if line or lines:
                lines.append(line)
        answer = "\n".join(lines)
        if answer.startswith("="):
            return True, answer[1:].strip()
        return False, answer[1:].strip()

    def close(self):
        try:
            self.ask("quit")
        except (RuntimeError, BrokenPipeError, OSError):
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def gtp_vertex(x, y, size):
    """(x, y) from the upper left corner, 0-based, as GTP names it."""
    return LETTERS[x] + str(size - y)


def sgf_point(vertex, size):
    """A GTP vertex such as 'D4' as SGF's two letters; None for a pass."""
    vertex = vertex.upper()
    if vertex == "PASS":
        return None
    x = LETTERS.index(vertex[0])
    y = size - int(vertex[1:])
    return "abcdefghijklmnopqrstuvwxy"[x] + "abcdefghijklmnopqrstuvwxy"[y]


def sgf_text(value):
    return value.replace("\\", "\\\\").replace("]", "\\]")


def play_game(engine, size, komi, opening, rng):
    """One game; returns the moves as (colour, SGF point or None) and GNU Go's score."""
    ok, why = engine.ask("boardsize %d" % size)
    if not ok:
        raise RuntimeError("boardsize %d refused: %s" % (size, why))
    engine.ask("clear_board")
    engine.ask("komi %g" % komi)
    moves = []
    colour = "B"
    # The opening stones, on random legal points of the third line and above.
    low, high = 2, size - 3
    for _ in range(opening):
        for _attempt in range(100):
            x, y = rng.randint(low, high), rng.randint(low, high)
            vertex = gtp_vertex(x, y, size)
            ok, _ = engine.ask("play %s %s" % (colour, vertex))
            if ok:
                moves.append((colour, sgf_point(vertex, size)))
                break
        colour = "W" if colour == "B" else "B"
    passes = 0
    resigned = None
    while len(moves) < 3 * size * size:
        ok, answer = engine.ask("genmove %s" % colour)
        if not ok:
            raise RuntimeError("genmove refused: " + answer)
        if answer.lower() == "resign":
            resigned = colour
            break
        point = sgf_point(answer, size)
        moves.append((colour, point))
        passes = passes + 1 if point is None else 0
        if passes == 2:
            break
        colour = "W" if colour == "B" else "B"
    if resigned:
        result = ("W" if resigned == "B" else "B") + "+R"
    else:
        ok, score = engine.ask("final_score")
        result = score if ok else "?"
    return moves, result


def write_sgf(path, size, komi, level, opening, moves, result):
    parts = ["(;GM[1]FF[4]CA[UTF-8]AP[selfplay.py]SZ[%d]KM[%g]" % (size, komi),
             "PB[GNU Go %d]PW[GNU Go %d]RE[%s]" % (level, level, sgf_text(result)),
             "GC[%s]" % sgf_text("Opening stones at random: %d" % opening)]
    for i, (colour, point) in enumerate(moves):
        parts.append("%s;%s[%s]" % ("\n" if i % 12 == 0 else "", colour, point or ""))
    parts.append(")\n")
    with open(path + ".part", "w", encoding="utf-8") as f:
        f.write("".join(parts))
    os.replace(path + ".part", path)


def parse_range(text):
    if "-" in text:
        low, high = text.split("-", 1)
        return int(low), int(high)
    return int(text), int(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", required=True, help="the folder of the games")
    parser.add_argument("--size", type=int, default=9, choices=[9, 13, 19])
    parser.add_argument("--games", type=int, default=10)
    parser.add_argument("--level", type=int, default=10)
    parser.add_argument("--random", default="2-4", help="opening stones at random: N or LOW-HIGH")
    parser.add_argument("--komi", type=float, default=7.0)
    parser.add_argument("--minutes", type=float, default=0, help="start no game after this many minutes")
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--gnugo", default="/usr/games/gnugo")
    args = parser.parse_args()
    low, high = parse_range(args.random)
    if low < 0 or high < low:
        parser.error("--random wants N or LOW-HIGH")

    os.makedirs(args.out, exist_ok=True)
    rng = random.Random(args.seed)
    engine = Engine([args.gnugo, "--mode", "gtp", "--level", str(args.level),
                     "--seed", str(rng.randint(1, 2**30))])
    start = time.monotonic()
    number = 0
    played = 0
    try:
        while played < args.games:
            if args.minutes and time.monotonic() - start > args.minutes * 60:
                break
            number += 1
            path = os.path.join(args.out, "%d-%d-%04d.sgf" % (args.size, args.level, number))
            if os.path.exists(path):
                continue
            opening = rng.randint(low, high)
            began = time.monotonic()
            moves, result = play_game(engine, args.size, args.komi, opening, rng)
            write_sgf(path, args.size, args.komi, args.level, opening, moves, result)
            played += 1
            print("%s: %d moves, %s, %.0f s" % (os.path.basename(path), len(moves), result,
                                                time.monotonic() - began), flush=True)
    finally:
        engine.close()
    print("%d games in %.0f s" % (played, time.monotonic() - start), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
