#!/usr/bin/env python3
"""Plays games between two GTP engines, A and B, and reports the result.

    tools/match.py --engine-a CMD --engine-b CMD [--name-a NAME] [--name-b NAME]
                   [--games N] [--size 9|13|19] [--komi K] [--seconds S]
                   [--referee CMD] [--max-moves M] [--timeout T] [--parallel P]
                   [--sgf-dir DIR]

An engine's command is one string, split as a shell would split it (no shell runs it):
    tools/match.py --engine-a "build/run/tolvan-gtp" \\
                   --engine-b "gnugo --mode gtp --level 0" --name-b "GNU Go 0" \\
                   --games 20 --size 9 --komi 7 --seconds 2

A plays black in the odd games and B in the even ones. Each engine is started anew for
each game and told boardsize, clear_board, komi, and with --seconds S
`time_settings 0 S 1` (S seconds a move as byo-yomi) and `time_left` before each of
its moves; an error answered to komi, time_settings or time_left is let pass. Moves go
by genmove to the side to move and by play to the other side and to the referee, a GNU
Go of its own (default "gnugo --mode gtp --level 0"), which sees every move:

  - a move the referee refuses is illegal, and its side loses (B+F / W+F);
  - a side whose program ends, answers what is not GTP or a move that is no point of
    the board, refuses a move the referee took, or fails boardsize or clear_board loses
    (+F); one that gives no answer within --timeout seconds loses on time (+T);
  - resign ends the game (B+R / W+R);
  - two passes in a row, or --max-moves moves (passes counted, default 3 × size²), end
    it, and the referee's final_score decides, dead stones counted by GNU Go (B+3.5,
    W+0.5, Draw). GNU Go's count of a board with few stones means little: it gives
    an empty board to black.

Seconds per move are the wall clock around each genmove. Each game gives a line as it
ends; the summary gives the wins of A and B, A's win rate with its 95 % Wilson interval
(a draw counts half), the seconds per move of each side (average and most), the moves
over S seconds, and a Markdown table row for the manual. With --sgf-dir each game is
written as DIR/game-NNN.sgf.

Every process a game starts (the engines, the referee, and whatever they start) is
ended when the game ends: quit, then SIGTERM, then SIGKILL, to its process group and
to every process below it. Ctrl+C or SIGTERM ends all of them, prints the summary of
the games played so far, and exits with status 130. The exit status is otherwise 0
when every game had a result, 1 when a game had none (the referee failed, or both
sides failed before the first move), 2 on a bad command line.
"""

import argparse
import collections
import ctypes
import datetime
import math
import os
import queue
import re
import shlex
import shutil
import signal
import subprocess
import sys
import threading
import time

LETTERS = "ABCDEFGHJKLMNOPQRST"  # GTP's column letters, without I
Z95 = 1.959963984540054  # the normal quantile of 97.5 %
QUIT_GRACE = 2.0  # seconds an engine has to end after quit, and again after SIGTERM

STOP = threading.Event()  # set on Ctrl+C or SIGTERM: no new game, no new process
LIVE = set()  # every Engine whose process has not been ended yet
STARTED = set()  # every Engine whose process its Popen has not reaped yet
LIVE_LOCK = threading.Lock()


class Interrupted(Exception):
    pass


class Failure(Exception):
    """An engine that broke the protocol: kind is 'F' (forfeit) or 'T' (time)."""

    def __init__(self, kind, why):
        super().__init__(why)
        self.kind = kind
        self.why = why


# --- processes ------------------------------------------------------------------------

def process_table():
    """{pid: (parent pid, process group, start time)} of every process in /proc."""
    table = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat", "rb") as f:
                stat = f.read().decode("latin-1")
        except OSError:
            continue
        # The command name is in parentheses and may hold anything; fields follow it.
        fields = stat[stat.rfind(")") + 2:].split()
        if len(fields) > 19:
            table[int(name)] = (int(fields[1]), int(fields[2]), fields[19])
    return table


def below(pid, table):
    """The processes below pid, and those in its process group: {pid: start time}."""
    children = collections.defaultdict(list)
    for p, (parent, _, _) in table.items():
        children[parent].append(p)
    found = {}
    todo = [pid]
    while todo:
        p = todo.pop()
        for c in children.get(p, []):
            if c not in found:
                found[c] = table[c][2]
                todo.append(c)
    for p, (_, group, start) in table.items():
        if group == pid and p != pid:
            found[p] = start
    return found


def kill_listed(listed, sig):
    """Sends sig to each listed process that is still the one listed (same start time)."""
    table = process_table()
    for p, start in listed.items():
        if p in table and table[p][2] == start:
            try:
                os.kill(p, sig)
            except OSError:
                pass


def become_subreaper():
    """Processes orphaned below the engines become this program's children (Linux), so
    that one whose engine died before it is still found and ended."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
    except (OSError, AttributeError):
        pass


def end_orphans():
    """Ends and reaps the children of this program that it did not start: processes
    orphaned below an engine. The engines' leaders are children of ours too, and are
    left to their Popen, which reaps them."""
    me = os.getpid()
    # The table first: an engine started after it is not in it, and one started before
    # it is among the leaders by the time they are read.
    table = process_table()
    with LIVE_LOCK:
        for e in [e for e in STARTED if e.proc.returncode is not None]:
            STARTED.discard(e)
        leaders = {e.proc.pid for e in STARTED}
    orphans = {p: v[2] for p, v in table.items() if v[0] == me and p not in leaders}
    if not orphans:
        return
    kill_listed(orphans, signal.SIGKILL)
    deadline = time.monotonic() + QUIT_GRACE
    for p in orphans:
        while time.monotonic() < deadline:
            try:
                if os.waitpid(p, os.WNOHANG)[0] != 0:
                    break
            except ChildProcessError:
                break
            time.sleep(0.02)


class Engine:
    """A GTP program in a session of its own, read by a thread."""

    def __init__(self, label, argv, timeout):
        self.label = label
        self.argv = argv
        self.timeout = timeout
        self.proc = None
        self.lines = queue.Queue()
        self.errors = collections.deque(maxlen=3)  # the last lines of standard error
        self.end_lock = threading.Lock()
        self.ended = False

    def start(self):
        with LIVE_LOCK:
            if STOP.is_set():
                raise Interrupted()
            try:
                self.proc = subprocess.Popen(
                    self.argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                    stderr=subprocess.PIPE, start_new_session=True)
            except OSError as e:
                raise Failure("F", f"could not be started: {e.strerror}")
            STARTED.add(self)
            LIVE.add(self)
        threading.Thread(target=self._read, daemon=True).start()
        self.error_reader = threading.Thread(target=self._read_errors, daemon=True)
        self.error_reader.start()

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self.lines.put(None)

    def _read_errors(self):
        for raw in self.proc.stderr:
            line = raw.decode("utf-8", "replace").strip()
            if line:
                self.errors.append(line)

    def _ended_why(self):
        try:
            status = self.proc.wait(0.5)
        except subprocess.TimeoutExpired:
            return "closed its output"
        self.error_reader.join(0.5)  # its last words, unless a child keeps them open
        said = f" ({self.errors[-1][:100]})" if self.errors else ""
        if status < 0:
            return f"was killed by signal {-status}{said}"
        return f"ended with status {status}{said}"

    def send(self, command, timeout=None):
        """Sends one command; returns (True, text) for '=', (False, text) for '?'."""
        if STOP.is_set():
            raise Interrupted()
        try:
            self.proc.stdin.write((command + "\n").encode())
            self.proc.stdin.flush()
        except (BrokenPipeError, OSError, ValueError):
            raise Failure("F", f"{self._ended_why()} before {command!r}")
        timeout = self.timeout if timeout is None else timeout
        deadline = time.monotonic() + timeout
        answer = []
        while True:
            left = deadline - time.monotonic()
            try:
                line = self.lines.get(timeout=max(left, 0)) if left > 0 else self.lines.get_nowait()
            except queue.Empty:
                if STOP.is_set():
                    raise Interrupted()
                raise Failure("T", f"gave no answer to {command!r} within {timeout:g} s")
            if line is None:
                if STOP.is_set():
                    raise Interrupted()
                raise Failure("F", f"{self._ended_why()} on {command!r}")
            if not answer:
                if line.strip() == "":
                    continue  # blank lines before an answer are let pass
                if line[0] not in "=?":
                    raise Failure("F", f"answered {command!r} with {line[:60]!r}, not GTP")
                answer.append(line)
            elif line.strip() == "":
                break
            else:
                answer.append(line)
        first = re.sub(r"^[=?]\d*", "", answer[0])
        text = "\n".join([first] + answer[1:]).strip()
        return answer[0][0] == "=", text

    def end(self):
        """quit, then SIGTERM, then SIGKILL, to the group and to every process below."""
        with self.end_lock:
            if self.ended or self.proc is None:
                return
            self.ended = True
            proc = self.proc
            listed = below(proc.pid, process_table())
            try:
                if proc.poll() is None:
                    proc.stdin.write(b"quit\n")
                    proc.stdin.flush()
            except (OSError, ValueError):
                pass
            try:
                proc.stdin.close()
            except (OSError, ValueError):
                pass
            for sig in (None, signal.SIGTERM, signal.SIGKILL):
                if sig is not None:
                    try:
                        os.killpg(proc.pid, sig)
                    except OSError:
                        pass
                    kill_listed(listed, sig)
                try:
                    proc.wait(QUIT_GRACE)
                    break
                except subprocess.TimeoutExpired:
                    continue
            # The leader has ended; whatever was below it or in its group ends too.
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except OSError:
                pass
            kill_listed(listed, signal.SIGKILL)
            with LIVE_LOCK:
                LIVE.discard(self)
        end_orphans()


def end_all():
    with LIVE_LOCK:
        engines = list(LIVE)
    threads = [threading.Thread(target=e.end) for e in engines]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    end_orphans()


# --- the board's points ---------------------------------------------------------------

def gtp_point(text, size):
    """A GTP vertex as written canonically (D4), or None when it is no point."""
    m = re.fullmatch(r"([A-HJ-Za-hj-z])(\d{1,2})", text.strip())
    if not m:
        return None
    column = LETTERS.find(m.group(1).upper())
    row = int(m.group(2))
    if column < 0 or column >= size or not 1 <= row <= size:
        return None
    return f"{LETTERS[column]}{row}"


def sgf_point(point, size):
    """D4 on 9 lines → df: the column from the left, the row from the top."""
    if point == "pass":
        return ""
    column = LETTERS.index(point[0])
    row = int(point[1:])
    return "abcdefghijklmnopqrs"[column] + "abcdefghijklmnopqrs"[size - row]


def sgf_text(text):
    return text.replace("\\", "\\\\").replace("]", "\\]")


# --- a game ---------------------------------------------------------------------------

class Game:
    def __init__(self, number, black):
        self.number = number
        self.black = black  # 'A' or 'B'
        self.result = None  # B+3.5, W+R, B+F, W+T, Draw, or Void
        self.winner = None  # 'A', 'B', 'draw', or None when void
        self.why = ""  # what ended the game when it was not the board
        self.moves = []  # ('B'|'W', point or 'pass')
        self.seconds = {"A": [], "B": []}

    def side(self, colour):
        return self.black if colour == "B" else ("B" if self.black == "A" else "A")

    def decide(self, result, why=""):
        self.result = result
        self.why = why
        if result.startswith("B+"):
            self.winner = self.side("B")
        elif result.startswith("W+"):
            self.winner = self.side("W")
        elif result == "Draw":
            self.winner = "draw"
        else:
            self.winner = None


def score(referee, game, why=""):
    try:
        ok, text = referee.send("final_score")
    except Failure as f:
        return game.decide("Void", f"referee {f.why}")
    m = re.fullmatch(r"([BW])\+(\d+(?:\.\d+)?)", text)
    if ok and m:
        game.decide(f"{m.group(1)}+{float(m.group(2)):g}", why)
    elif ok and text in ("0", "Draw", "B+0", "W+0"):
        game.decide("Draw", why)
    else:
        game.decide("Void", f"referee answered final_score with {text!r}")


def play_game(number, options):
    """Plays game `number` (from 1) and returns it decided; raises Interrupted."""
    game = Game(number, "A" if number % 2 == 1 else "B")
    colours = {"B": game.black, "W": game.side("W")}
    engines = {c: Engine(f"{colours[c]} ({'black' if c == 'B' else 'white'})",
                         options.argv[colours[c]], options.timeout) for c in "BW"}
    # The referee answers at once, but may be slow to start on a busy machine.
    referee = Engine("referee", options.referee_argv, max(options.timeout, 60))
    size = options.size
    try:
        try:
            referee.start()
            for command in (f"boardsize {size}", "clear_board", f"komi {options.komi:g}"):
                ok, text = referee.send(command)
                if not ok:
                    raise Failure("F", f"refused {command!r}: {text}")
        except Failure as f:
            game.decide("Void", f"referee {f.why}")
            return game

        failed = {}
        for c in "BW":
            try:
                engines[c].start()
                for command in (f"boardsize {size}", "clear_board"):
                    ok, text = engines[c].send(command)
                    if not ok:
                        raise Failure("F", f"refused {command!r}: {text}")
                engines[c].send(f"komi {options.komi:g}")
                if options.seconds:
                    engines[c].send(f"time_settings 0 {options.seconds:g} 1")
            except Failure as f:
                failed[c] = f
        if len(failed) == 2:
            game.decide("Void", f"both sides failed: black {failed['B'].why}; "
                                f"white {failed['W'].why}")
            return game
        for c, f in failed.items():
            other = "W" if c == "B" else "B"
            game.decide(f"{other}+{f.kind}", f"{engines[c].label} {f.why}")
            return game

        colour = "B"
        passes = 0
        while True:
            if len(game.moves) >= options.max_moves:
                score(referee, game, f"move limit {options.max_moves} reached")
                return game
            mover, other = engines[colour], engines["W" if colour == "B" else "B"]
            lower = colour.lower()
            try:
                if options.seconds:
                    mover.send(f"time_left {lower} {options.seconds:g} 1")
                began = time.monotonic()
                ok, text = mover.send(f"genmove {lower}")
                game.seconds[colours[colour]].append(time.monotonic() - began)
                if not ok:
                    raise Failure("F", f"answered genmove with an error: {text}")
                word = text.lower()
                if word == "resign":
                    game.decide(f"{'W' if colour == 'B' else 'B'}+R")
                    return game
                point = "pass" if word == "pass" else gtp_point(text, size)
                if point is None:
                    raise Failure("F", f"answered genmove with {text[:40]!r}, "
                                       f"no point of {size} lines")
                try:
                    ok, said = referee.send(f"play {lower} {point}")
                except Failure as f:
                    game.decide("Void", f"referee {f.why}")
                    return game
                if not ok:
                    raise Failure("F", f"played {point}, illegal ({said})")
            except Failure as f:
                game.decide(f"{'W' if colour == 'B' else 'B'}+{f.kind}",
                            f"{mover.label} {f.why}")
                return game
            game.moves.append((colour, point))
            try:
                ok, said = other.send(f"play {lower} {point}")
                if not ok:
                    raise Failure("F", f"refused the legal move {point}: {said}")
            except Failure as f:
                game.decide(f"{colour}+{f.kind}", f"{other.label} {f.why}")
                return game
            passes = passes + 1 if point == "pass" else 0
            if passes == 2:
                score(referee, game)
                return game
            colour = "W" if colour == "B" else "B"
    finally:
        threads = [threading.Thread(target=e.end) for e in (*engines.values(), referee)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()


def write_sgf(game, options):
    names = {"B": options.names[game.black], "W": options.names[game.side("W")]}
    result = {"Void": "Void", "Draw": "0"}.get(game.result, game.result)
    root = (f"GM[1]FF[4]CA[UTF-8]AP[tolvan match]SZ[{options.size}]"
            f"KM[{options.komi:g}]PB[{sgf_text(names['B'])}]PW[{sgf_text(names['W'])}]"
            f"RE[{result}]DT[{datetime.date.today().isoformat()}]GN[game {game.number}]")
    if game.why:
        root += f"C[{sgf_text(game.why)}]"
    nodes = "".join(f";{c}[{sgf_point(p, options.size)}]" for c, p in game.moves)
    path = os.path.join(options.sgf_dir, f"game-{game.number:03d}.sgf")
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"(;{root}{nodes})\n")


# --- the report -----------------------------------------------------------------------

def wilson(wins, n):
    """The 95 % Wilson score interval of wins out of n, as (low, high)."""
    if n == 0:
        return 0.0, 1.0
    p = wins / n
    z2 = Z95 * Z95
    centre = (p + z2 / (2 * n)) / (1 + z2 / n)
    half = Z95 * math.sqrt(p * (1 - p) / n + z2 / (4 * n * n)) / (1 + z2 / n)
    return max(0.0, centre - half), min(1.0, centre + half)


def per_move(seconds):
    return f"{sum(seconds) / len(seconds):.3f}" if seconds else "-"


def game_line(game):
    line = (f"game {game.number} black={game.black} result={game.result} "
            f"winner={game.winner or 'none'} moves={len(game.moves)} "
            f"sec/move A={per_move(game.seconds['A'])} B={per_move(game.seconds['B'])}")
    return line + (f"  ({game.why})" if game.why else "")


def summary(games, options, planned):
    decided = [g for g in games if g.winner is not None]
    wins = {s: sum(1 for g in decided if g.winner == s) for s in "AB"}
    draws = sum(1 for g in decided if g.winner == "draw")
    void = len(games) - len(decided)
    n = len(decided)
    score_a = wins["A"] + draws / 2
    low, high = wilson(score_a, n)
    rate = f"{100 * score_a / n:.1f} %" if n else "-"
    seconds = {s: [t for g in games for t in g.seconds[s]] for s in "AB"}
    a, b = options.names["A"], options.names["B"]
    out = [f"games {len(games)} of {planned}: A ({a}) won {wins['A']}, "
           f"B ({b}) won {wins['B']}, drawn {draws}, without result {void}"]
    if n:
        out.append(f"A's win rate {rate} (95 % Wilson interval "
                   f"{100 * low:.1f}–{100 * high:.1f} %) over {n} games")
    most = {s: f"{max(seconds[s]):.3f}" if seconds[s] else "-" for s in "AB"}
    out.append(f"seconds per move: A {per_move(seconds['A'])} (most {most['A']}), "
               f"B {per_move(seconds['B'])} (most {most['B']})")
    if options.seconds:
        over = {s: sum(1 for t in seconds[s] if t > options.seconds) for s in "AB"}
        out.append(f"moves over {options.seconds:g} s: A {over['A']} of "
                   f"{len(seconds['A'])}, B {over['B']} of {len(seconds['B'])}")
    limit = f"{options.seconds:g} s" if options.seconds else "-"
    interval = f"{100 * low:.0f}–{100 * high:.0f} %" if n else "-"
    out.append("")
    out.append("| A | B | lines | komi | time a move | games | A–B (draws) "
               "| A's win rate (95 %) | s/move A | s/move B |")
    out.append("| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |")
    out.append(f"| {a} | {b} | {options.size} | {options.komi:g} | {limit} | {n} "
               f"| {wins['A']}–{wins['B']} ({draws}) "
               f"| {rate.replace(' ', '')} ({interval.replace(' ', '')}) "
               f"| {per_move(seconds['A'])} | {per_move(seconds['B'])} |")
    return "\n".join(out)


# --- the command line -----------------------------------------------------------------

def refuse(message):
    print(f"match: {message}", file=sys.stderr)
    sys.exit(2)


def command(text, what):
    try:
        argv = shlex.split(text)
    except ValueError as e:
        refuse(f"{what}: {e}")
    if not argv:
        refuse(f"{what} is empty")
    # GNU Go is installed in /usr/games, which not every PATH holds.
    found = shutil.which(argv[0]) or shutil.which(argv[0], path="/usr/games")
    if not found:
        refuse(f"{what}: no program {argv[0]!r}")
    return [found] + argv[1:]


def default_name(argv):
    """The program's name and its options, without GNU Go's "--mode gtp"."""
    words = [os.path.basename(argv[0])]
    rest = argv[1:]
    while rest:
        if rest[:2] == ["--mode", "gtp"]:
            rest = rest[2:]
        else:
            words.append(rest.pop(0))
    return " ".join(words)


def parse(args):
    p = argparse.ArgumentParser(prog="match.py", description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--engine-a", required=True, metavar="CMD", help="engine A's command")
    p.add_argument("--engine-b", required=True, metavar="CMD", help="engine B's command")
    p.add_argument("--name-a", metavar="NAME", help="A's name in the report and SGF")
    p.add_argument("--name-b", metavar="NAME", help="B's name in the report and SGF")
    p.add_argument("--games", type=int, default=10, metavar="N", help="default 10")
    p.add_argument("--size", type=int, choices=(9, 13, 19), default=9, help="default 9")
    p.add_argument("--komi", type=float, default=6.5, metavar="K", help="default 6.5")
    p.add_argument("--seconds", type=float, metavar="S",
                   help="seconds a move, sent as time_settings 0 S 1")
    p.add_argument("--referee", default="gnugo --mode gtp --level 0", metavar="CMD",
                   help='the referee\'s command (default "gnugo --mode gtp --level 0")')
    p.add_argument("--max-moves", type=int, metavar="M", help="default 3 × size²")
    p.add_argument("--timeout", type=float, metavar="T",
                   help="seconds an engine may take to answer, the referee at least "
                        "60 (default 10 × S + 30 "
                        "with --seconds, else 600)")
    p.add_argument("--parallel", type=int, default=1, metavar="P",
                   help="games played at once (default 1)")
    p.add_argument("--sgf-dir", metavar="DIR", help="writes each game as DIR/game-NNN.sgf")
    o = p.parse_args(args)
    if o.games < 1 or o.parallel < 1:
        p.error("--games and --parallel must be at least 1")
    if o.seconds is not None and o.seconds <= 0:
        p.error("--seconds must be more than 0")
    if o.max_moves is None:
        o.max_moves = 3 * o.size * o.size
    if o.max_moves < 1:
        p.error("--max-moves must be at least 1")
    if o.timeout is None:
        o.timeout = 10 * o.seconds + 30 if o.seconds else 600.0
    if o.timeout <= 0:
        p.error("--timeout must be more than 0")
    o.argv = {"A": command(o.engine_a, "--engine-a"), "B": command(o.engine_b, "--engine-b")}
    o.referee_argv = command(o.referee, "--referee")
    o.names = {"A": o.name_a or default_name(o.argv["A"]),
               "B": o.name_b or default_name(o.argv["B"])}
    if o.sgf_dir:
        os.makedirs(o.sgf_dir, exist_ok=True)
    return o


def main(args):
    options = parse(args)
    become_subreaper()

    def stop(signum, frame):
        raise KeyboardInterrupt()

    # Set even when the caller ignores SIGINT, as a shell does for a command in the
    # background: an interrupt always ends the engines.
    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGHUP, stop)

    numbers = queue.Queue()
    for n in range(1, options.games + 1):
        numbers.put(n)
    done = queue.Queue()

    def worker():
        while not STOP.is_set():
            try:
                n = numbers.get_nowait()
            except queue.Empty:
                return
            try:
                done.put(play_game(n, options))
            except Interrupted:
                return
            except Exception as e:  # a fault of this program: the game has no result
                game = Game(n, "A" if n % 2 == 1 else "B")
                game.decide("Void", f"match tool error: {e!r}")
                done.put(game)

    workers = [threading.Thread(target=worker, daemon=True)
               for _ in range(min(options.parallel, options.games))]
    games = []
    try:
        for w in workers:
            w.start()
        while len(games) < options.games:
            try:
                game = done.get(timeout=0.2)
            except queue.Empty:
                continue
            games.append(game)
            if options.sgf_dir:
                write_sgf(game, options)
            print(game_line(game), flush=True)
    except KeyboardInterrupt:
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        STOP.set()
        end_all()
        for w in workers:
            w.join(QUIT_GRACE)
        end_all()
        games.sort(key=lambda g: g.number)
        print(f"interrupted after {len(games)} games", flush=True)
        print(summary(games, options, options.games), flush=True)
        return 130
    games.sort(key=lambda g: g.number)
    print(summary(games, options, options.games), flush=True)
    return 0 if all(g.winner is not None for g in games) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
