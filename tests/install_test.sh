#!/bin/sh
# The game as installed: `cmake --install` into a staging tree, the programs run from
# there find their data, their sound library and the user's settings folder; the
# desktop entry, the AppStream metadata and the manual pages pass their checkers; the
# Debian package made by CPack passes lintian without errors and depends on what the
# programs need.
#   install_test.sh BUILD_DIR
set -eu

build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed (bash setup.sh test installs it)"; exit 1; }
    done
}
need cmake cpack desktop-file-validate update-desktop-database appstreamcli lintian dpkg-deb dpkg-shlibdeps file groff

# ---------------------------------------------------------------- the installed tree

if ! DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

for f in usr/games/tolvan usr/games/tolvan-gtp \
         usr/share/games/tolvan/Tolvan.定石 usr/share/games/tolvan/Tolvan.htm \
         usr/share/games/tolvan/Tolvan_window.png usr/share/games/tolvan/BGM.wav \
         usr/share/games/tolvan/その他.wav usr/share/games/tolvan/石打音.wav \
         usr/share/games/tolvan/禁止.wav \
         usr/share/applications/io.github.tolvan_go.Tolvan.desktop \
         usr/share/metainfo/io.github.tolvan_go.Tolvan.metainfo.xml \
         usr/share/man/man6/tolvan.6.gz usr/share/man/man6/tolvan-gtp.6.gz \
         usr/share/doc/tolvan/copyright usr/share/doc/tolvan/changelog.gz; do
    [ -f "$root/$f" ] || fail "not installed: /$f"
done
for size in 16 24 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/tolvan.png"
    if [ ! -f "$icon" ]; then
        fail "no icon at ${size}x${size}"
        continue
    fi
    # A PNG of that many pixels each way, with an alpha channel (colour type 6).
    header=$(od -An -tx1 -N26 "$icon" | tr -d ' \n')
    expected=$(printf '89504e470d0a1a0a0000000d49484452%08x%08x0806' "$size" "$size")
    [ "$header" = "$expected" ] || fail "icon ${size}x${size} is not a ${size}x${size} RGBA PNG: $header"
done
[ -x "$root/usr/games/tolvan" ] && [ -x "$root/usr/games/tolvan-gtp" ] || fail "the programs are not executable"
lib=$(find "$root" -name libtolvan_sound.so)
case "$lib" in
    "$root"/usr/lib/*/tolvan/libtolvan_sound.so) ;;
    *) fail "the sound library is not in a library folder of its own: ${lib:-missing}" ;;
esac
# Nothing writable by others, no execute bit on data or on the plug-in.
bad=$(find "$root" -perm /022 -print)
[ -z "$bad" ] || fail "writable by group or others: $bad"
bad=$(find "$root/usr/share" "$root/usr/lib" -type f -perm /111 -print)
[ -z "$bad" ] || fail "executable data: $bad"
for page in tolvan.6 tolvan-gtp.6; do
    gzip -t "$root/usr/share/man/man6/$page.gz" || fail "$page.gz is not gzip"
    warnings=$(gzip -dc "$root/usr/share/man/man6/$page.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
done

# ---------------------------------------------------------------- the installed programs

# Started from an unrelated folder by a user whose configuration folder is empty.
cwd="$work/cwd"
config="$work/config"
mkdir -p "$cwd" "$work/home" "$config"
run() {
    (cd "$cwd" && env HOME="$work/home" XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen \
        SDL_AUDIODRIVER=dummy "$@")
}

status=0
run "$root/usr/games/tolvan" --screenshot shot.png >"$work/window.log" 2>&1 || status=$?
cat "$work/window.log"
[ "$status" -eq 0 ] || fail "tolvan --screenshot ended with $status"
signature=$(od -An -tx1 -N8 "$cwd/shot.png" 2>/dev/null | tr -d ' \n')
[ "$signature" = 89504e470d0a1a0a ] || fail "no PNG written in the current folder"
# The data, the sound library and the fonts were found: the window had nothing to say
# (a missing file is reported on a line of its own or in a message box).
if grep -q '^tolvan:' "$work/window.log"; then
    fail "the installed window missed something"
fi
# The settings went to the user's configuration folder and nowhere else.
[ -f "$config/tolvan/Tolvan.ini" ] || fail "no Tolvan.ini in \$XDG_CONFIG_HOME/tolvan"
found=$(find "$work" -name Tolvan.ini | sort)
[ "$found" = "$config/tolvan/Tolvan.ini" ] || fail "Tolvan.ini written elsewhere: $found"

# The engine plays the book's answer from the installed data folder.
gtp() {
    printf 'play b D4\nplay w C6\ngenmove b\nquit\n' | run "$root/usr/games/tolvan-gtp" "$@" 2>"$work/gtp.err"
}
answers=$(gtp --second 0)
move=$(printf '%s\n' "$answers" | sed -n 's/^= \([A-T][0-9]*\)$/\1/p')
[ "$move" = F3 ] || fail "tolvan-gtp answered '$move' to the book position, not F3: $answers"
[ ! -s "$work/gtp.err" ] || fail "tolvan-gtp complained: $(cat "$work/gtp.err")"
gtp --second 0 --book /nonexistent >/dev/null
grep -q 'no opening book in /nonexistent' "$work/gtp.err" || fail "tolvan-gtp without a book did not say so"

# ---------------------------------------------------------------- desktop checkers

desktop="$root/usr/share/applications/io.github.tolvan_go.Tolvan.desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
if printf '%s\n' "$out" | grep -q -e error -e warning; then fail "desktop-file-validate: $out"; fi
[ -z "$out" ] || echo "desktop-file-validate: $out"
grep -qx 'Icon=tolvan' "$desktop" || fail "the desktop entry does not name the installed icon"
# File managers offer the game for game records and hand it the file chosen.
grep -qx 'Exec=tolvan %f' "$desktop" || fail "the desktop entry does not take a file: $(grep '^Exec=' "$desktop")"
update-desktop-database "$root/usr/share/applications" || fail "update-desktop-database"
grep -qx 'application/x-go-sgf=io.github.tolvan_go.Tolvan.desktop;' "$root/usr/share/applications/mimeinfo.cache" ||
    fail "the desktop entry is not offered for SGF records: $(cat "$root/usr/share/applications/mimeinfo.cache")"
rm -f "$root/usr/share/applications/mimeinfo.cache"

out=$(appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.tolvan_go.Tolvan.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate"
echo "appstreamcli: $out"
if printf '%s\n' "$out" | grep -q '^E:'; then fail "appstreamcli reports errors"; fi
# The metadata together with the desktop entry it launches.
out=$(appstreamcli validate-tree --no-net "$root" 2>&1) || fail "appstreamcli validate-tree: $out"

# ---------------------------------------------------------------- the Debian package

if ! (cd "$build" && cpack -G DEB -B "$work/deb") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb=$(ls "$work"/deb/tolvan_*.deb)
ls -l "$deb"
info=$(dpkg-deb -f "$deb" Package Version Section Depends Recommends Installed-Size)
echo "$info"
printf '%s\n' "$info" | grep -qx 'Package: tolvan' || fail "package name"
printf '%s\n' "$info" | grep -qx 'Section: games' || fail "section"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in 'libqt6widgets6' 'libqt6charts6' 'libsdl2-mixer' 'libstdc++6' 'fonts-ipafont-mincho' 'qt6-translations-l10n'; do
    printf '%s\n' "$depends" | grep -q "$dep" || fail "Depends lacks $dep: $depends"
done
dpkg-deb -f "$deb" Recommends | grep -q gnugo || fail "Recommends lacks gnugo"
dpkg-deb -c "$deb" >"$work/contents"
grep -q ' ./usr/games/tolvan$' "$work/contents" || fail "the package lacks /usr/games/tolvan"
grep -q ' ./usr/share/games/tolvan/Tolvan.定石$' "$work/contents" || fail "the package lacks the book"
if awk '$2 != "root/root"' "$work/contents" | grep -q .; then fail "files not owned by root"; fi

# Errors fail; warnings and notes are shown.
status=0
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "ok"
