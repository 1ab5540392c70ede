#!/bin/sh
# Runs one fuzz target for a bounded time on a copy of its corpus, so that what it adds
# stays out of the source tree. A finding ends the run with a failure; the input that
# found it is left in WORK/artifacts to be added to the corpus once mended. MAX_LEN, when
# given, bounds the inputs instead of libFuzzer's guess from the corpus (at least 4 KB).
#   run_fuzz.sh TARGET CORPUS WORK SECONDS [DICTIONARY [MAX_LEN]]
target=$1 corpus=$2 work=$3 seconds=$4 dict=$5 max_len=$6
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$corpus"/* "$work/corpus/"
set -- -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/"
[ -n "$dict" ] && [ -f "$dict" ] && set -- "$@" -dict="$dict"
[ -n "$max_len" ] && set -- "$@" -max_len="$max_len"
"$target" "$@" "$work/corpus" > "$work/log" 2>&1
rc=$?
# The start, the last progress lines and the final statistics; everything on a finding.
if [ $rc -ne 0 ]; then
  cat "$work/log"
  echo "fuzz target failed ($rc); inputs in $work/artifacts:"
  ls -l "$work/artifacts"
else
  grep -E '^INFO: (Loaded|seed corpus)|DONE|^stat::' "$work/log"
  grep -E '^#[0-9]+' "$work/log" | tail -n 2
fi
exit $rc
