#!/usr/bin/env bash
# Makes the README's pictures (docs/*.png) from the real kivo.exe under Xvfb against the
# provider simulator: the window, the window after a successful update, the tray balloon,
# the About window and the "服务商设置" dialog at 96 DPI, and the window at 144 DPI.
set -euo pipefail
unset DISPLAY  # a display of its own, with nothing else on it
source "$(dirname "$0")/wine-env.sh"
build=$KIVO_BUILD_DIR
kivo_start_session
kivo_start_simulator
# The release's 32-bit exe where this machine runs 32-bit programs, else its 64-bit twin.
export KIVO_EXE=$build/win$KIVO_WIDTH/kivo.exe
kivo_say_widths "taking screenshots of" main
shots=$build/screenshots
rm -rf "$shots" && mkdir -p "$shots" "$KIVO_ROOT/docs"
kivo_wine "$KIVO_TOOLS_DIR/driver/kivo_screenshots.exe" "Z:$shots" </dev/null
# The window again on a desktop of 144 DPI (150 %), in that prefix of its own.
kivo_prepare_prefix 144
kivo_wine "$KIVO_TOOLS_DIR/driver/kivo_screenshots.exe" "Z:$shots" </dev/null
for shot in main updated tray about provider main-144; do
    convert "$shots/$shot.bmp" -strip "$KIVO_ROOT/docs/$shot.png"
done
ls -l "$KIVO_ROOT/docs/"*.png
