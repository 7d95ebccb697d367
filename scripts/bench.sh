#!/usr/bin/env bash
# Measures Kivo's start-up under Wine: from process start to a fully revealed, responsive
# window, and the opening animation's part of it. Prints numbers; checks nothing.
# Usage: scripts/bench.sh [runs]   (default 10)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# KIVO_BUILD_DIR lets several work trees or people build side by side (default: build).
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
"$root/scripts/build.sh" win32 >/dev/null

source "$root/scripts/wine-env.sh"
trap kivo_stop_wine EXIT
kivo_start_display
kivo_prepare_prefix
wine "$build/win32/bench/kivo_startup_bench.exe" "${1:-10}"
