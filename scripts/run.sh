#!/usr/bin/env bash
# Installs what is missing, builds Kivo and starts it under Wine. By default Kivo talks to
# the bundled provider simulator, with a demo account that this script prints, so that
# "更 新" works without an account: where the settings name no provider, the simulator's own
# host is preset as a custom update address. KIVO_PROVIDER=real leaves the settings alone,
# for a real provider chosen in "服务商设置" (see README.md).
set -euo pipefail
asked_display=${DISPLAY:-}
source "$(dirname "$0")/wine-env.sh"
build=$KIVO_BUILD_DIR
# The release's 32-bit exe where this machine runs 32-bit programs, else its 64-bit twin.
exe_dir=$build/win$KIVO_WIDTH
kivo_say_widths running main
kivo_start_session
if [ "${KIVO_PROVIDER:-simulator}" != real ]; then
    kivo_start_simulator
    export http_proxy=http://127.0.0.1:$KIVO_SIM_PORT
    echo "Provider simulator on $http_proxy, over HTTPS with a test certificate."
    # The settings' lines are hex of the text XOR 0xC5, or plain text written by hand.
    if ! python3 - "$exe_dir/kivo.Lr" <<'CHOSEN'; then
import binascii, sys
try:
    lines = open(sys.argv[1], "rb").read().split(b"\x1a")[0].splitlines()
except OSError:
    sys.exit(1)
for line in lines:
    try:
        line = bytes(b ^ 0xC5 for b in binascii.unhexlify(line.strip()))
    except (binascii.Error, ValueError):
        pass
    if b"Provider=" in line:
        sys.exit(0)
sys.exit(1)
CHOSEN
        printf 'Provider=custom|0\r\nUpdateUrl=%s|0\r\n' \
            'https://members.kivo.example/dyndns/update?system%3Ddyndns&hostname%3D{host}&myip%3D{ip}&wildcard%3DOFF' \
            >>"$exe_dir/kivo.Lr"
        echo "No provider chosen yet: preset 自定义 with the simulator's own host in $exe_dir/kivo.Lr."
    fi
    echo "Demo account: domain home.kivo.example, user demo, password kivo2026 (leave the IP empty)."
    echo "Tick 自动更新 to let Kivo watch the address: the simulator answers as each built-in"
    echo "check service and reports 203.0.113.1, so the first check sends once and every check"
    echo "after it finds the address unchanged and sends nothing."
fi

echo "Starting $exe_dir/kivo.exe (settings: $exe_dir/kivo.Lr, watch state: kivo.state)"
kivo_wine "$exe_dir/kivo.exe" &
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
