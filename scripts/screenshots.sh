#!/usr/bin/env bash
# Makes the README's pictures (docs/*.png) from the real kivo.exe under Xvfb against the
# provider simulator: the window, the window after a successful update, the tray balloon
# and the About window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
"$root/scripts/setup.sh"
"$root/scripts/build.sh" program >/dev/null
"$root/scripts/build.sh" tools >/dev/null

source "$root/scripts/wine-env.sh"
trap kivo_stop_wine EXIT
unset DISPLAY  # a display of its own, with nothing else on it
kivo_start_display
kivo_prepare_prefix
kivo_start_simulator
export KIVO_EXE=$build/win32/kivo.exe
shots=$build/screenshots
rm -rf "$shots" && mkdir -p "$shots" "$root/docs"
wine "$build/wine-tools/driver/kivo_screenshots.exe" "Z:$shots" </dev/null
for shot in main updated tray about; do
    convert "$shots/$shot.bmp" -strip "$root/docs/$shot.png"
done
ls -l "$root/docs/"*.png
