#!/bin/sh
# tolvan --review on records it cannot review: each ends with status 2, says why on
# standard error, and writes nothing; on a record with variations it says that OUT holds
# the main line only.
# Usage: review_command_test.sh TOLVAN WORKDIR
tolvan=$1
dir=$2
rm -rf "$dir" && mkdir -p "$dir" || exit 1
printf 'not a game record\n' >"$dir/garbage.sgf"
printf '(;GM[1]FF[4]SZ[9];B[ee];W[ee])\n' >"$dir/occupied.sgf"
printf '(;GM[1]FF[4]SZ[9]KM[6.5])\n' >"$dir/empty.sgf"
failed=0
# name | file | words expected on standard error
while IFS='|' read -r name file expected; do
    rm -f "$dir/out.sgf"
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$tolvan" --review "$dir/$file" "$dir/out.sgf" 2>&1 >/dev/null)
    rc=$?
    if [ "$rc" -ne 2 ] || ! printf '%s' "$err" | grep -q "$expected" || [ -e "$dir/out.sgf" ]; then
        echo "FAIL $name: status $rc, said: $err"
        failed=1
    fi
done <<'TABLE'
missing file|nothing.sgf|nothing.sgf
not a record|garbage.sgf|garbage.sgf
a stone on a stone|occupied.sgf|2
no moves|empty.sgf|着手がない
TABLE
# A record with a variation is reviewed along its main line, and standard error says
# before the review that OUT holds the main line only; a record without one says nothing
# of it. Without GNU Go the review itself ends with status 3 after the note.
printf '(;GM[1]FF[4]SZ[9];B[ee](;W[cc];B[gg])(;W[gc]))\n' >"$dir/variation.sgf"
printf '(;GM[1]FF[4]SZ[9];B[ee];W[cc];B[gg])\n' >"$dir/plain.sgf"
# name | file | whether the note is expected (1) or not (0)
while IFS='|' read -r name file noted; do
    rm -f "$dir/out.sgf"
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$tolvan" --review "$dir/$file" "$dir/out.sgf" 2>&1 >/dev/null)
    rc=$?
    said=0
    printf '%s' "$err" | grep -q "本譜だけを書きます" && said=1
    if { [ "$rc" -ne 0 ] && [ "$rc" -ne 3 ]; } || [ "$said" -ne "$noted" ]; then
        echo "FAIL $name: status $rc, said: $err"
        failed=1
    fi
    if [ "$rc" -eq 0 ] && grep -q 'W\[gc\]' "$dir/out.sgf"; then
        echo "FAIL $name: the variation's move reviewed"
        failed=1
    fi
done <<'TABLE'
a variation|variation.sgf|1
no variation|plain.sgf|0
TABLE
# The moves reviewed are counted as the board counts them, a pass not among them.
printf '(;GM[1]FF[4]SZ[9];B[ee];W[];B[gg];W[cc])\n' >"$dir/pass.sgf"
err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$tolvan" --review "$dir/pass.sgf" "$dir/out.sgf" 2>&1 >/dev/null)
rc=$?
if [ "$rc" -eq 0 ] && ! printf '%s' "$err" | grep -q "検討しました：3手"; then
    echo "FAIL a pass counted among the moves: $err"
    failed=1
fi
rm -f "$dir/out.sgf"
"$tolvan" --review "$dir/garbage.sgf" 2>/dev/null
if [ $? -ne 2 ]; then echo "FAIL without OUT: status not 2"; failed=1; fi
exit $failed
