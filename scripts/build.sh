#!/usr/bin/env bash
# Builds kivo.exe (program: build/win32), a variant made for one provider that speaks plain
# http (variant: build/win32-http), the Windows programs that drive it under Wine (tools:
# build/wine-tools) and the native unit tests (native: build/native).
# Usage: scripts/build.sh [program|variant|tools|native|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# KIVO_BUILD_DIR lets several work trees or people build side by side (default: build).
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
what=${1:-all}

# Configures a build folder with these settings (again, so that a folder made before a
# setting changed gets it), then builds it.
build_in() {
    local folder=$1
    shift
    cmake -S "$root" -B "$build/$folder" -G Ninja "$@" >/dev/null
    cmake --build "$build/$folder" -j "$(nproc)"
}
windows=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake")

if [ "$what" = program ] || [ "$what" = all ]; then
    build_in win32 "${windows[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel -DKIVO_UPDATE_HOST= -DKIVO_UPDATE_SCHEME=https
fi
if [ "$what" = variant ] || [ "$what" = all ]; then
    build_in win32-http "${windows[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DKIVO_UPDATE_HOST=members.kivo.example -DKIVO_UPDATE_SCHEME=http
fi
if [ "$what" = tools ] || [ "$what" = all ]; then
    build_in wine-tools "${windows[@]}" -DCMAKE_BUILD_TYPE=Release -DKIVO_TOOLS=ON
fi
if [ "$what" = native ] || [ "$what" = all ]; then
    build_in native -DCMAKE_BUILD_TYPE=Debug
fi
