#!/usr/bin/env bash
# Installs what Tolvan needs from Debian's packages, builds it, and then either starts
# the game (play) or runs every test (test). Run as root or as a user who may sudo.
set -euo pipefail
cd "$(dirname "$0")"

what=${1:-play}
case "$what" in play|test) ;; *) echo "usage: $0 play|test" >&2; exit 2 ;; esac

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
          libsdl2-mixer-dev fonts-ipafont-mincho qt6-translations-l10n libgtest-dev libgmock-dev
          libbenchmark-dev)
if [ "$what" = test ]; then
  packages+=(chromium dbus-daemon clang libclang-rt-14-dev llvm gnugo python3
             desktop-file-utils appstream lintian dpkg-dev file groff-base)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

if [ "$what" = play ]; then
  cd build/run
  exec ./tolvan
fi

cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
