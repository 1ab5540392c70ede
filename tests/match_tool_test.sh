#!/bin/sh
# tools/match.py: two games between GNU Go and tolvan-gtp are played and reported with
# alternating colours; a side that is no engine, dies, hangs, plays an illegal move or
# resigns loses, in either colour; the engines are told the game; and no process the
# tool started outlives it, after a game or after Ctrl+C. Skipped (77) without python3
# or GNU Go.
# Usage: match_tool_test.sh MATCH_PY TOLVAN_GTP FAKE_ENGINE WORKDIR
match=$1
gtp=$2
fake=$3
dir=$4
command -v python3 >/dev/null || { echo "SKIP: no python3"; exit 77; }
[ -x /usr/games/gnugo ] || command -v gnugo >/dev/null || { echo "SKIP: no GNU Go"; exit 77; }
rm -rf "$dir" && mkdir -p "$dir" || exit 1
gnugo="gnugo --mode gtp --level 0"
failed=0
fail() {
    echo "FAIL $*"
    failed=1
}
# Every process the tool starts inherits this variable; any process still holding it
# after the tool has ended was left behind.
tag="MATCH_TOOL_TEST=$$-$(date +%s)"
left_behind() {
    grep -l -s -x -z "$tag" /proc/[0-9]*/environ | sed 's|/proc/\([0-9]*\)/environ|\1|'
}
# run NAME ARGS...: the tool's standard output in $dir/NAME.out, its status in $rc.
run() {
    name=$1
    shift
    env "$tag" python3 "$match" "$@" >"$dir/$name.out" 2>"$dir/$name.err"
    rc=$?
    left=$(left_behind)
    [ -z "$left" ] || fail "$name: processes left: $(ps -o pid,args -p "$(echo $left | tr ' ' ,)")"
}
# result GAME FILE: the result, black side, winner and moves of game GAME in FILE.
field() {
    sed -n "s/^game $2 .*$1=\([^ ]*\).*/\1/p" "$3"
}

# One side broken, as A and as B: it loses both games, in both colours, and says why.
# Fault caught: a broken side scored as the winner or as the wrong colour, a game left
# without result, the tool hanging on a program that never answers or ignores SIGTERM,
# the colours not alternating, or the interval computed wrongly (2 of 2: 34.2–100.0 %,
# 0 of 2: 0.0–65.8 %, worked out by hand from the Wilson formula).
# name | A | B | game 1 result | game 2 result | winner | interval | words of the reason
# | seconds an engine may take to answer
while IFS='|' read -r name a b first second winner interval words timeout; do
    run "$name" --engine-a "$a" --engine-b "$b" --games 2 --size 9 --komi 7 \
        --timeout "$timeout" --parallel 2
    out="$dir/$name.out"
    [ "$rc" -eq 0 ] || fail "$name: status $rc: $(cat "$dir/$name.err")"
    [ "$(field black 1 "$out")" = A ] && [ "$(field black 2 "$out")" = B ] \
        || fail "$name: colours did not alternate: $(cat "$out")"
    echo "$(field result 1 "$out")" | grep -Eqx "$first" \
        && echo "$(field result 2 "$out")" | grep -Eqx "$second" \
        || fail "$name: results not $first, $second: $(cat "$out")"
    [ "$(field winner 1 "$out")" = "$winner" ] && [ "$(field winner 2 "$out")" = "$winner" ] \
        || fail "$name: winner not $winner: $(cat "$out")"
    grep -q "Wilson interval $interval %" "$out" || fail "$name: interval not $interval: $(cat "$out")"
    [ -z "$words" ] || [ "$(grep -c "^game .*$words" "$out")" -eq 2 ] \
        || fail "$name: reason lacks '$words': $(cat "$out")"
done <<TABLE
B answers what is not GTP|$gtp|$fake --garbage|B\+F|W\+F|A|34.2–100.0|not GTP|30
A answers what is not GTP|$fake --garbage|$gtp|W\+F|B\+F|B|0.0–65.8|not GTP|30
B exits at once|$gtp|$fake --exit-now|B\+F|W\+F|A|34.2–100.0|ended with status 1|30
A exits at once|$fake --exit-now|$gtp|W\+F|B\+F|B|0.0–65.8|ended with status 1|30
B dies at its third move|$gtp|$fake --die-at 3|B\+F|W\+F|A|34.2–100.0|ended with status 3|30
A dies at its third move|$fake --die-at 3|$gtp|W\+F|B\+F|B|0.0–65.8|ended with status 3|30
B plays on a stone|$gtp|$fake --illegal|B\+F|W\+F|A|34.2–100.0|illegal|30
A plays on a stone|$fake --illegal|$gtp|W\+F|B\+F|B|0.0–65.8|illegal|30
B names no point|$gtp|$fake --answer Z9|B\+F|W\+F|A|34.2–100.0|no point|30
A refuses the size|$fake --only-size 19|$gtp|W\+F|B\+F|B|0.0–65.8|boardsize|30
B never answers and ignores SIGTERM, with a child apart|$gtp|$fake --arcade --child-apart|B\+T|W\+T|A|34.2–100.0|no answer|3
A never answers and ignores SIGTERM, with a child in its group|$fake --arcade --child|$gtp|W\+T|B\+T|B|0.0–65.8|no answer|3
B resigns|$gtp|$fake --resign|B\+R|W\+R|A|34.2–100.0||30
A resigns|$fake --resign|$gtp|W\+R|B\+R|B|0.0–65.8||30
B only passes: the referee's count decides|$gtp|$fake --pass|B\+[0-9.]+|W\+[0-9.]+|A|34.2–100.0||30
A only passes: the referee's count decides|$fake --pass|$gtp|W\+[0-9.]+|B\+[0-9.]+|B|0.0–65.8||30
TABLE

# Both sides pass at once: two passes end the game, and the referee's count of the empty
# board gives white the komi. GNU Go counts an empty board as black's, so tolvan-gtp
# referees here. Fault caught: the game going on after two passes, the referee not told
# the komi, a score's colour given to the wrong side, --referee not used.
run passes --engine-a "$fake --pass" --engine-b "$fake --pass" --referee "$gtp" --games 2 \
    --size 9 --komi 7
[ "$rc" -eq 0 ] || fail "passes: status $rc: $(cat "$dir/passes.err")"
# game | winner
while IFS='|' read -r game winner; do
    [ "$(field result "$game" "$dir/passes.out")" = W+7 ] && [ "$(field moves "$game" "$dir/passes.out")" = 2 ] \
        && [ "$(field winner "$game" "$dir/passes.out")" = "$winner" ] \
        || fail "passes: game $game not W+7 after 2 moves for $winner: $(cat "$dir/passes.out")"
done <<TABLE
1|B
2|A
TABLE

# The engines are told the game: size, komi and time before the first move, the colour
# to play alternating from game to game, the other side's moves by play, and quit at the
# end. Fault caught: colours alternated in the report only, a setting not sent, a move
# relayed with the wrong colour, an engine killed without being asked to quit.
run told --engine-a "$gtp" --engine-b "$fake --log $dir/told.log" --games 2 --size 13 \
    --komi 5.5 --seconds 3 --max-moves 6
[ "$rc" -eq 0 ] || fail "told: status $rc: $(cat "$dir/told.err")"
for game in 1 2; do
    awk -v g="$game" '/^boardsize/ { n++ } n == g' "$dir/told.log" >"$dir/told.$game"
    if [ "$game" -eq 1 ]; then mine=w; theirs=b; else mine=b; theirs=w; fi
    for line in "boardsize 13" clear_board "komi 5.5" "time_settings 0 3 1" \
        "time_left $mine 3 1" "genmove $mine" quit; do
        grep -qx "$line" "$dir/told.$game" || fail "told: game $game lacks '$line'"
    done
    grep -q "genmove $theirs\|play $mine\|time_left $theirs" "$dir/told.$game" \
        && fail "told: game $game gave B the other colour: $(cat "$dir/told.$game")"
    [ "$(grep -c "^play $theirs " "$dir/told.$game")" -eq 3 ] \
        || fail "told: game $game relayed not 3 moves: $(cat "$dir/told.$game")"
done

# Two real games at once, GNU Go against tolvan-gtp, each kept as SGF. Fault caught: a real game
# ending as a fault, a game missing from the summary, the win rate not over both games,
# the colours not alternating, a record whose players, result or moves differ from the
# report.
run real --engine-a "$gnugo" --engine-b "$gtp" --name-a "GNU Go 0" --name-b "Tolvan" \
    --games 2 --size 9 --komi 7 --seconds 5 --parallel 2 --sgf-dir "$dir/sgf"
out="$dir/real.out"
[ "$rc" -eq 0 ] || fail "real: status $rc: $(cat "$dir/real.err")"
grep -q "^games 2 of 2: A (GNU Go 0) won [0-2], B (Tolvan) won [0-2], drawn [0-2], without result 0" "$out" \
    || fail "real: summary: $(cat "$out")"
grep -q "Wilson interval [0-9.]*–[0-9.]* %) over 2 games" "$out" || fail "real: no interval: $(cat "$out")"
grep -q "^| GNU Go 0 | Tolvan | 9 | 7 | 5 s | 2 | " "$out" || fail "real: no table row: $(cat "$out")"
# game | black | name of black | name of white
while IFS='|' read -r game black pb pw; do
    result=$(field result "$game" "$out")
    echo "$result" | grep -Eqx "[BW]\+([0-9.]+|R)|Draw" || fail "real: game $game result '$result'"
    [ "$(field black "$game" "$out")" = "$black" ] || fail "real: game $game black not $black"
    sgf="$dir/sgf/game-00$game.sgf"
    re=$result
    [ "$re" = Draw ] && re=0
    grep -q "PB\[$pb\]PW\[$pw\]RE\[$re\]" "$sgf" || fail "real: $sgf: $(cat "$sgf")"
    [ "$(grep -o ';[BW]\[' "$sgf" | wc -l)" -eq "$(field moves "$game" "$out")" ] \
        || fail "real: $sgf holds not $(field moves "$game" "$out") moves"
done <<TABLE
1|A|GNU Go 0|Tolvan
2|B|Tolvan|GNU Go 0
TABLE

# Ctrl+C while a game waits for an engine that never answers and ignores SIGTERM:
# everything started ends, and the tool ends with 130. Fault caught: engines, the
# referee or a child apart left running after an interrupt, or the tool waiting out the
# engine's time.
env "$tag" python3 "$match" --engine-a "$gnugo" --engine-b "$fake --arcade --child-apart --pids $dir/pids" \
    --games 4 --parallel 2 --timeout 300 >"$dir/interrupt.out" 2>&1 &
tool=$!
tries=0
while [ "$(cat "$dir/pids" 2>/dev/null | wc -l)" -lt 4 ] && [ "$tries" -lt 200 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
kill -INT "$tool"
wait "$tool"
rc=$?
[ "$rc" -eq 130 ] || fail "interrupt: status $rc: $(cat "$dir/interrupt.out")"
grep -q "^interrupted after 0 games" "$dir/interrupt.out" || fail "interrupt: $(cat "$dir/interrupt.out")"
left=$(left_behind)
[ -z "$left" ] || fail "interrupt: processes left: $left"
for pid in $(cat "$dir/pids"); do
    kill -0 "$pid" 2>/dev/null && fail "interrupt: process $pid from the pids file left"
done

# A command line naming no program is refused before any game. Fault caught: games
# played with a program that cannot start, each scored as a loss.
run missing --engine-a "$gtp" --engine-b "no-such-engine-$$" --games 2
[ "$rc" -eq 2 ] && grep -q "no program" "$dir/missing.err" && ! grep -q "^game" "$dir/missing.out" \
    || fail "missing: status $rc: $(cat "$dir/missing.out" "$dir/missing.err")"

exit $failed
