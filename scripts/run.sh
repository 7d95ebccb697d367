#!/usr/bin/env bash
# Installs what is missing, builds Kivo and starts it under Wine. By default Kivo talks to
# the bundled provider simulator, with a demo account that this script prints, so that
# "更 新" works without an account. KIVO_PROVIDER=real sends the update to the real
# provider instead (build with -DKIVO_UPDATE_HOST=... for yours; see README.md).
set -euo pipefail
asked_display=${DISPLAY:-}
source "$(dirname "$0")/wine-env.sh"
build=$KIVO_BUILD_DIR
kivo_start_session
if [ "${KIVO_PROVIDER:-simulator}" != real ]; then
    kivo_start_simulator
    export http_proxy=http://127.0.0.1:$KIVO_SIM_PORT
    echo "Provider simulator on $http_proxy, over HTTPS with a test certificate."
    echo "Demo account: domain home.kivo.example, user demo, password kivo2026 (leave the IP empty)."
    echo "Tick 自动更新 to let Kivo watch the address: the simulator answers as each built-in"
    echo "check service and reports 203.0.113.1, so the first check sends once and every check"
    echo "after it finds the address unchanged and sends nothing."
fi

echo "Starting $build/win32/kivo.exe (settings: $build/win32/kivo.Lr, watch state: kivo.state)"
wine "$build/win32/kivo.exe" &
kivo_pid=$!
# Known only now: a DISPLAY that does not answer has been replaced by a virtual one.
if [ -n "$KIVO_XVFB_PID" ]; then
    if [ -n "$asked_display" ]; then
        echo "The display $asked_display does not answer: Kivo runs on the virtual display $DISPLAY."
    else
        echo "No display here: Kivo runs on the virtual display $DISPLAY."
    fi
    sleep 3
    if import -window root "$build/kivo-window.png" 2>/dev/null; then
        echo "A screenshot of it is in $build/kivo-window.png; close Kivo with Ctrl+C."
    else
        echo "No screenshot of it could be taken; close Kivo with Ctrl+C."
    fi
fi
wait "$kivo_pid" || true
