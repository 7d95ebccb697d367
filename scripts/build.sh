#!/usr/bin/env bash
# Builds kivo.exe and the Wine-side test driver (build/win32), and the native unit
# tests (build/native). Usage: scripts/build.sh [win32|native|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# KIVO_BUILD_DIR lets several work trees or people build side by side (default: build).
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
what=${1:-all}
jobs=$(nproc)

if [ "$what" = win32 ] || [ "$what" = all ]; then
    [ -f "$build/win32/build.ninja" ] || cmake -S "$root" -B "$build/win32" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build/win32" -j "$jobs"
fi
if [ "$what" = native ] || [ "$what" = all ]; then
    [ -f "$build/native/build.ninja" ] || cmake -S "$root" -B "$build/native" -G Ninja \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$build/native" -j "$jobs"
fi
