#!/bin/bash
# Compares Tolvan's count of finished games with GNU Go's. GNU Go (level 1, komi 0, a
# different fixed seed each game) plays N games against itself until two passes in a row,
# then names the dead stones (final_status_list dead) and scores (final_score). The same
# moves are played into tolvan-gtp, which counts with GNU Go's dead stones
# (tolvan-count_score) and judges by its own fill (final_score). Prints one line a game
# and a summary: how often Tolvan's count names GNU Go's winner, and the differences.
#
#   tools/count_check.sh [GAMES] [RUN_DIR]     (defaults: 20, build/run)
#
# With KEEP_DIR set, each game's moves are kept there as GTP play commands (SEED.gtp).
set -u
games=${1:-20}
run_dir=${2:-$(dirname "$0")/../build/run}
gnugo=/usr/games/gnugo
tolvan=$run_dir/tolvan-gtp
max_moves=600   # a game longer than this is dropped
reply_wait=60   # seconds GNU Go may take for one reply
game_limit=900  # seconds a GNU Go process may run at all
[ -x "$gnugo" ] || { echo "no $gnugo" >&2; exit 1; }
[ -x "$tolvan" ] || { echo "no $tolvan" >&2; exit 1; }

# One GTP command to the GNU Go coprocess; its reply without "= ", lines joined by spaces.
# Fails on a failure reply, or when no reply comes in time.
ask() {
    local line reply="" status=0
    echo "$1" >&"$to" 2>/dev/null || return 1
    while IFS= read -r -t "$reply_wait" line <&"$from" || return 1; do
        [ -z "$line" ] && break
        case $line in "? "*) status=1 ;; esac
        reply+="${reply:+ }$line"
    done
    reply=${reply#[=?]}
    echo "${reply# }"
    return $status
}

# A score "B+12.0", "W+3", "0" as black's margin: 12, -3, 0.
margin() {
    case $1 in
        B+*) echo "${1#B+}" ;;
        W+*) echo "-${1#W+}" ;;
        *) echo 0 ;;
    esac
}

sign() { awk -v m="$1" 'BEGIN { print (m > 0) - (m < 0) }'; }

printf '%-5s %5s %5s %9s %9s %9s %6s\n' seed moves dead gnugo count fill dead_s
diffs=() same=0 same_fill=0 played=0
for ((g = 1; g <= games; ++g)); do
    seed=$((1000 + g))
    coproc GG {
        exec timeout "$game_limit" "$gnugo" --mode gtp --level 1 --never-resign --seed "$seed" 2>/dev/null
    }
    # Its pipes, kept open under names of their own: bash drops GG when GNU Go ends.
    exec {to}>&"${GG[1]}" {from}<&"${GG[0]}"
    pid=$GG_PID
    ask "boardsize 19" >/dev/null && ask "clear_board" >/dev/null && ask "komi 0" >/dev/null
    moves=() passes=0 colour=b ok=1
    while ((passes < 2)); do
        ((${#moves[@]} < max_moves)) || { ok=0; break; }
        move=$(ask "genmove $colour") || { ok=0; break; }
        move=${move,,}
        [ "$move" = resign ] && { ok=0; break; }
        [ "$move" = pass ] && ((++passes)) || passes=0
        moves+=("play $colour $move")
        [ $colour = b ] && colour=w || colour=b
    done
    if ((ok)); then
        start=$(date +%s.%N)
        dead=$(ask "final_status_list dead") || ok=0
        dead_seconds=$(echo "$(date +%s.%N) - $start" | bc)
        gnugo_score=$(ask "final_score") || ok=0
    fi
    ask quit >/dev/null
    exec {to}>&- {from}<&-
    wait "$pid" 2>/dev/null
    if ((!ok)); then
        echo "$seed: no finished game (${#moves[@]} moves)"
        continue
    fi
    [ -n "${KEEP_DIR:-}" ] && printf '%s\n' "${moves[@]}" >"$KEEP_DIR/$seed.gtp"
    mapfile -t answers < <(
        { printf '%s\n' "${moves[@]}"; echo "komi 0"; echo "tolvan-count_score $dead"; echo final_score; } |
            timeout 60 "$tolvan" --book /nonexistent 2>/dev/null | grep -v '^$' | tail -n 2)
    count=${answers[0]#= } fill=${answers[1]#= }
    [[ ${answers[0]:-?} == =* && ${answers[1]:-?} == =* ]] || {
        echo "$seed: tolvan-gtp refused: ${answers[*]:-nothing}"
        continue
    }
    gm=$(margin "$gnugo_score") cm=$(margin "$count") fm=$(margin "$fill")
    [ "$(sign "$gm")" = "$(sign "$cm")" ] && ((++same))
    [ "$(sign "$gm")" = "$(sign "$fm")" ] && ((++same_fill))
    diffs+=("$(echo "$gm $cm" | awk '{ d = $1 - $2; print d < 0 ? -d : d }')")
    ((++played))
    printf '%-5s %5s %5s %9s %9s %9s %6.2f\n' "$seed" "${#moves[@]}" "$(wc -w <<<"$dead")" \
        "$gnugo_score" "$count" "$fill" "$dead_seconds"
done

((played > 0)) || { echo "no game finished"; exit 1; }
sorted=$(printf '%s\n' "${diffs[@]}" | sort -g)
echo "games compared: $played of $games"
echo "same winner, GNU Go and Tolvan's count: $same of $played"
echo "same winner, GNU Go and Tolvan's fill judgement: $same_fill of $played"
echo "largest difference in margin (count): $(tail -n 1 <<<"$sorted")"
echo "median difference in margin (count): $(awk '{ v[NR] = $1 } END {
    print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }' <<<"$sorted")"
