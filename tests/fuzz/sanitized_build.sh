#!/bin/sh
# Configures and builds the sanitized tree: everything but the window, with clang, ASan,
# UBSan and the fuzz targets under libFuzzer.
#   sanitized_build.sh SOURCE BUILD CLANG CLANG++
set -e
src=$1 dir=$2 cc=$3 cxx=$4
if [ -z "$cxx" ] || [ ! -x "$cxx" ]; then
  echo "clang++ is not installed: the sanitized build and the fuzz targets are skipped"
  exit 77
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DTOLVAN_WINDOW=OFF -DTOLVAN_SANITIZE=ON -DTOLVAN_FUZZ=ON
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build "$dir" -j "$jobs"
