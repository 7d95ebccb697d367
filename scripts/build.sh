#!/usr/bin/env bash
# Builds kivo.exe (program: build/win32, and its 64-bit twin build/win64), a variant made for
# one provider that speaks plain http (variant: build/win32-http, build/win64-http), the
# Windows programs that drive it under Wine (tools: build/wine-tools-32, build/wine-tools-64)
# and the native unit tests (native: build/native).
# Usage: scripts/build.sh [program|variant|tools|native|all] [32] [64]
#   The widths (default: both) choose which of the Windows builds to make; the release is
#   the 32-bit kivo.exe, the 64-bit twin is what machines without 32-bit Wine run and test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# KIVO_BUILD_DIR lets several work trees or people build side by side (default: build).
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
what=${1:-all}
shift || true
widths=("$@")
[ ${#widths[@]} -gt 0 ] || widths=(32 64)

# Configures a build folder with these settings (again, so that a folder made before a
# setting changed gets it), then builds it.
build_in() {
    local folder=$1
    shift
    cmake -S "$root" -B "$build/$folder" -G Ninja "$@" >/dev/null
    cmake --build "$build/$folder" -j "$(nproc)"
}

for width in "${widths[@]}"; do
    case $width in
        32) windows=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
        64) windows=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
        *) echo "build: no width '$width' (32 or 64)" >&2; exit 2 ;;
    esac
    if [ "$what" = program ] || [ "$what" = all ]; then
        build_in "win$width" "${windows[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel -DKIVO_UPDATE_HOST= \
            -DKIVO_UPDATE_SCHEME=https
    fi
    if [ "$what" = variant ] || [ "$what" = all ]; then
        build_in "win$width-http" "${windows[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel \
            -DKIVO_UPDATE_HOST=members.kivo.example -DKIVO_UPDATE_SCHEME=http
    fi
    if [ "$what" = tools ] || [ "$what" = all ]; then
        build_in "wine-tools-$width" "${windows[@]}" -DCMAKE_BUILD_TYPE=Release -DKIVO_TOOLS=ON
    fi
done
if [ "$what" = native ] || [ "$what" = all ]; then
    build_in native -DCMAKE_BUILD_TYPE=Debug
fi
