#!/bin/sh
# tolvan --review on records it cannot review: each ends with status 2, says why on
# standard error, and writes nothing.
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
rm -f "$dir/out.sgf"
"$tolvan" --review "$dir/garbage.sgf" 2>/dev/null
if [ $? -ne 2 ]; then echo "FAIL without OUT: status not 2"; failed=1; fi
exit $failed
