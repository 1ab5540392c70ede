#!/usr/bin/env python3
"""Measures tolvan's review of a game from outside, on games with planted mistakes.

GNU Go plays itself (komi 6.5): 9-line games to two passes in a row, 19-line games
up to 200 moves. At three of black's moves, spread over the game, a random legal point
is played instead of GNU Go's move, kept only when GNU Go's estimate_score says it
loses at least 4 points (9 lines) or 6 (19 lines) against GNU Go's own move there; a
game where three such plants are not found is dropped. Each game is written as SGF
with a JSON sidecar naming the planted move numbers (from 1, passes counted).

Each game is then reviewed with `TOLVAN --review IN.sgf OUT.sgf` and timed, and OUT's
main line is read. A game passes when every planted move has BM, black has at most five
BM, at least 90 % of the moves have V, and the review kept to its time limit (30 s for
9 lines, 240 s for 19). The run ends with the share of games passing (at least 80 %
wanted) and how many planted mistakes were found.

    tools/review_measure.py [TOLVAN] [--sizes 9,19] [--games N] [--level L]
                            [--seed S] [--keep DIR]

Without TOLVAN it only makes the games. Games are kept in DIR as g{SIZE}_L{L}_s{S}.sgf
and .json, the reviews beside them as ...-review.sgf; games already there are reused,
so a rerun only reviews (without --keep, a temporary folder). The exit status is 0 when
at least 80 % of the games pass. Making games is slow (a
19-line game takes minutes): run it with `nice -n 10`.
"""

import argparse
import json
import os
import random
import re
import subprocess
import sys
import tempfile
import time

GNUGO = "/usr/games/gnugo"
KOMI = 6.5
LETTERS = "ABCDEFGHJKLMNOPQRST"  # GTP's column letters, without I
LOSS = {9: 4.0, 19: 6.0}  # points a plant must lose by GNU Go's estimate
TIME_LIMIT = {9: 30.0, 19: 240.0}  # seconds a review may take
MOVE_CAP = {9: 400, 19: 200}  # 19-line games stop here; a longer 9-line game is dropped
# The move numbers each of the three plants is looked for in: past the opening, short
# of the end. A plant is tried from a random black move in a window's first half on.
WINDOWS = {9: [(6, 16), (16, 26), (26, 36)], 19: [(20, 70), (70, 120), (120, 170)]}
AFTER_LAST = 8  # moves a game must go on after its last plant
TRIES = 25  # random points tried at one move
REPLY_WAIT = 300  # seconds GNU Go may take for one reply


class Gtp:
    """One GNU Go process spoken to over GTP."""

    def __init__(self, level, seed):
        self.proc = subprocess.Popen(
            [GNUGO, "--mode", "gtp", "--level", str(level), "--seed", str(seed),
             "--never-resign"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def ask(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        lines = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("GNU Go ended at: " + command)
            line = line.rstrip("\n")
            if not line and lines:
                break
            if line:
                lines.append(line)
        reply = " ".join(lines)
        if reply.startswith("?"):
            raise RuntimeError(f"GNU Go refused {command}: {reply}")
        return reply[1:].strip()

    def black_margin(self):
        """GNU Go's estimate of the game's result as black's margin (komi counted)."""
        word = self.ask("estimate_score").split()[0]
        if word[0] in "BW" and "+" in word:
            value = float(word[2:])
            return value if word[0] == "B" else -value
        return float(word)

    def close(self):
        try:
            self.ask("quit")
        except (RuntimeError, OSError):
            pass
        self.proc.wait()


def sgf_point(vertex, size):
    """A GTP vertex ("D4", "pass") as an SGF point ("dp", "")."""
    if vertex.lower() == "pass":
        return ""
    col = LETTERS.index(vertex[0].upper())
    row = int(vertex[1:])
    return chr(ord("a") + col) + chr(ord("a") + size - row)


def plant(gtp, rng, size):
    """Plays a planted black move if one loses enough: (the move, GNU Go's move, points
    lost), or None after playing nothing."""
    best = gtp.ask("reg_genmove black")
    if best.lower() in ("pass", "resign"):
        return None
    gtp.ask("play black " + best)
    good = gtp.black_margin()
    gtp.ask("undo")
    legal = [v for v in gtp.ask("all_legal black").split() if v.upper() != best.upper()]
    rng.shuffle(legal)
    for vertex in legal[:TRIES]:
        gtp.ask("play black " + vertex)
        lost = good - gtp.black_margin()
        if lost >= LOSS[size]:
            return vertex, best, lost
        gtp.ask("undo")
    return None


def make_game(size, level, seed):
    """One self-play game with three plants: (moves, plants as (move number, GNU Go's
    move, points lost)), or None when dropped."""
    rng = random.Random(seed * 100 + size)
    starts = [rng.randrange(lo, (lo + hi) // 2) for lo, hi in WINDOWS[size]]
    gtp = Gtp(level, seed)
    try:
        gtp.ask(f"boardsize {size}")
        gtp.ask("clear_board")
        gtp.ask(f"komi {KOMI}")
        moves, planted = [], []
        while len(moves) < MOVE_CAP[size]:
            number = len(moves) + 1
            colour = "B" if number % 2 else "W"
            vertex = None
            if colour == "B" and len(planted) < 3:
                hi = WINDOWS[size][len(planted)][1]
                if number >= hi:
                    return None
                if number >= starts[len(planted)]:
                    found = plant(gtp, rng, size)
                    if found:
                        vertex, best, lost = found
                        planted.append((number, best, round(lost, 1)))
            if vertex is None:
                vertex = gtp.ask("genmove " + ("black" if colour == "B" else "white"))
            moves.append((colour, vertex))
            if len(moves) >= 2 and all(v.lower() == "pass" for _, v in moves[-2:]):
                break
        else:
            if size != 19:
                return None
        if len(planted) < 3 or len(moves) - planted[-1][0] < AFTER_LAST:
            return None
        return moves, planted
    finally:
        gtp.close()


def write_sgf(path, size, moves):
    nodes = "".join(f";{c}[{sgf_point(v, size)}]" for c, v in moves)
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"(;FF[4]GM[1]CA[UTF-8]SZ[{size}]KM[{KOMI}]\n{nodes})\n")


def game_for(keep, size, level, seed):
    """A kept game (its SGF path and sidecar), made now when not kept yet; None for a
    dropped seed."""
    name = os.path.join(keep, f"g{size}_L{level}_s{seed}")
    if os.path.exists(name + ".json"):
        with open(name + ".json", encoding="utf-8") as f:
            side = json.load(f)
        return None if side.get("dropped") else (name + ".sgf", side)
    started = time.monotonic()
    game = make_game(size, level, seed)
    took = round(time.monotonic() - started, 1)
    side = {"size": size, "level": level, "seed": seed, "make_seconds": took}
    if game is None:
        side["dropped"] = True
    else:
        moves, planted = game
        numbers, gnugo_moves, losses = zip(*planted)
        side.update(moves=len(moves), planted=numbers, gnugo_moves=gnugo_moves,
                    estimated_loss=losses)
        write_sgf(name + ".sgf", size, moves)
    with open(name + ".json", "w", encoding="utf-8") as f:
        json.dump(side, f)
        f.write("\n")
    return None if game is None else (name + ".sgf", side)


def sgf_tokens(text):
    """An SGF text's tokens: "(", ")", ";", ("name", NAME), ("value", TEXT)."""
    i = 0
    while i < len(text):
        ch = text[i]
        if ch in "();":
            yield ch
        elif ch == "[":
            j, value = i + 1, []
            while j < len(text) and text[j] != "]":
                if text[j] == "\\" and j + 1 < len(text):
                    j += 1
                value.append(text[j])
                j += 1
            yield ("value", "".join(value))
            i = j
        elif ch.isupper():
            j = i
            while j < len(text) and text[j].isalpha():
                j += 1
            yield ("name", "".join(c for c in text[i:j] if c.isupper()))
            i = j - 1
        i += 1


def main_line(text):
    """The nodes of an SGF record's main line, each a dict of property name to its list
    of values. The main line goes down the first variation at every branch, so it ends
    at the first ")": any later variation comes after one."""
    nodes, name = [], ""
    for token in sgf_tokens(text):
        if token == ")":
            break
        if token == ";":
            nodes.append({})
        elif token != "(" and token[0] == "name":
            name = token[1]
        elif token != "(" and nodes:
            nodes[-1].setdefault(name, []).append(token[1])
    return nodes


def review(tolvan, sgf, out, size):
    """Runs the review of one game: (seconds taken, failure message or None)."""
    started = time.monotonic()
    try:
        run = subprocess.run([tolvan, "--review", sgf, out], stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True,
                             timeout=4 * TIME_LIMIT[size])
    except subprocess.TimeoutExpired:
        return time.monotonic() - started, "no end in time"
    took = time.monotonic() - started
    if run.returncode != 0:
        last = (run.stderr.strip().splitlines() or [""])[-1]
        return took, f"exit {run.returncode}: {last}"
    return took, None


def judge(out, side):
    """What the review wrote on the game's moves: (planted moves with black's BM, black
    BM in all, share of moves with V)."""
    with open(out, encoding="utf-8") as f:
        moves = [n for n in main_line(f.read()) if "B" in n or "W" in n]
    bm = {k: ("B" if "B" in n else "W") for k, n in enumerate(moves, 1) if "BM" in n}
    found = sum(1 for k in side["planted"] if bm.get(k) == "B")
    black = sum(1 for c in bm.values() if c == "B")
    valued = sum(1 for n in moves if "V" in n)
    return found, black, valued / max(len(moves), 1)


def main():
    ap = argparse.ArgumentParser(
        description=__doc__,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("tolvan", nargs="?", help="tolvan; without it, only make games")
    ap.add_argument("--sizes", default="9", help="board sizes, of 9 and 19 (default 9)")
    ap.add_argument("--games", type=int, default=10, help="games of each size (10)")
    ap.add_argument("--level", type=int, default=5, help="GNU Go's level for play (5)")
    ap.add_argument("--seed", type=int, default=1, help="GNU Go's first seed (1)")
    ap.add_argument("--keep", help="folder to keep the games and reviews in")
    args = ap.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    if any(s not in LOSS for s in sizes):
        ap.error("sizes are 9 and 19")
    if not os.access(GNUGO, os.X_OK):
        sys.exit(f"no {GNUGO}")
    keep = args.keep or tempfile.mkdtemp(prefix="review_measure_")
    os.makedirs(keep, exist_ok=True)

    passed = games = found_all = planted_all = 0
    for size in sizes:
        made, seed = 0, args.seed
        while made < args.games and seed < args.seed + 3 * args.games:
            print(f"g{size} seed {seed} ...", end=" ", file=sys.stderr, flush=True)
            game = game_for(keep, size, args.level, seed)
            seed += 1
            if game is None:
                print("dropped", file=sys.stderr)
                continue
            sgf, side = game
            made += 1
            print(f"{side['moves']} moves, made in {side['make_seconds']} s",
                  file=sys.stderr)
            name = os.path.basename(sgf)[:-4]
            plants = ",".join(map(str, side["planted"]))
            if not args.tolvan:
                print(f"{name}  moves {side['moves']}  plants {plants}")
                continue
            out = os.path.join(keep, name + "-review.sgf")
            took, failure = review(args.tolvan, sgf, out, size)
            games += 1
            planted_all += 3
            if failure:
                print(f"{name}  moves {side['moves']}  review failed ({failure})  FAIL")
                continue
            found, black, v_share = judge(out, side)
            found_all += found
            faults = [why for why, bad in (
                ("planted move without BM", found < 3), ("black BM over 5", black > 5),
                ("V under 90 %", v_share < 0.9), ("too slow", took > TIME_LIMIT[size]))
                if bad]
            passed += not faults
            print(f"{name}  moves {side['moves']}  plants {plants}  found {found}/3  "
                  f"black BM {black}  V {100 * v_share:.1f} %  time {took:.1f} s  "
                  + ("; ".join(faults) or "pass"))
    print(f"games kept in {keep}")
    if not args.tolvan:
        return 0
    share = passed / games if games else 0.0
    print(f"games passing: {passed}/{games} ({100 * share:.0f} %, 80 % wanted); "
          f"planted mistakes found: {found_all}/{planted_all}")
    return 0 if games and share >= 0.8 else 1


if __name__ == "__main__":
    sys.exit(main())
