#!/bin/sh
# The manual Tolvan.htm renders in headless Chromium with every picture loaded, and a
# screenshot of it is kept for a look.
#   manual_test.sh RUN_DIR OUT_DIR
# Exit 77 (skipped) when Chromium is not installed.
set -eu

run_dir=$(cd "$1" && pwd)
out_dir=$2
page="$run_dir/Tolvan.htm"

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "chromium is not installed: skipped"
    exit 77
fi
if [ ! -f "$page" ]; then
    echo "FAIL: no manual at $page"
    exit 1
fi

mkdir -p "$out_dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

chromium() {
    profile=$1
    shift
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic \
        --no-first-run --disable-background-networking --disable-component-update \
        --disable-sync --user-data-dir="$work/profile-$profile" "$@" 2>>"$work/browser.log"
}

# The screenshot of the page as it lies beside the program.
shot="$out_dir/manual.png"
rm -f "$shot"
chromium shot --screenshot="$shot" --window-size=1000,1400 "file://$page" >/dev/null || true
if [ ! -s "$shot" ]; then
    echo "FAIL: no screenshot"
    cat "$work/browser.log"
    exit 1
fi
echo "screenshot: $shot"

# The picture check runs on a copy of the page with a small script added, in a folder
# that links every other file of the run directory, so relative addresses resolve the
# same way as for the real page.
mkdir "$work/site"
for f in "$run_dir"/* "$run_dir"/.[!.]*; do
    [ -e "$f" ] || continue
    [ "$(basename "$f")" = Tolvan.htm ] && continue
    ln -s "$f" "$work/site/"
done
check='<script>
window.addEventListener("load", function () {
  var broken = [];
  for (var i = 0; i < document.images.length; i++) {
    var img = document.images[i];
    if (!img.complete || img.naturalWidth === 0) broken.push(img.getAttribute("src"));
  }
  document.documentElement.setAttribute("data-manual-check",
    "images=" + document.images.length + " broken=[" + broken.join(",") + "]");
});
</script>'
awk -v check="$check" '/<\/body>/ { print check } { print }' "$page" >"$work/site/Tolvan.htm"

dom="$work/dom.html"
chromium dom --dump-dom --virtual-time-budget=5000 "file://$work/site/Tolvan.htm" >"$dom" || true

result=$(grep -o 'data-manual-check="[^"]*"' "$dom" || true)
echo "check: $result"
case "$result" in
    *'broken=[]'*) ;;
    '') echo "FAIL: the page did not finish loading"; cat "$work/browser.log"; exit 1 ;;
    *) echo "FAIL: pictures that did not load"; exit 1 ;;
esac
case "$result" in
    *'images=0 '*) echo "FAIL: the manual shows no picture"; exit 1 ;;
esac
# The page is read as UTF-8 and carries its main sections.
for word in 対局の始め方 自殺点 ｺｳ材 ハマ 置石指南 逆転 Tolvan.ini; do
    if ! grep -q "$word" "$dom"; then
        echo "FAIL: '$word' missing from the rendered page"
        exit 1
    fi
done
echo "ok"
