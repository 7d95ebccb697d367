# Sourced by the scripts that run Kivo: a Wine session that runs it as a Chinese Windows
# would, in a prefix of the project's own, on a display even where there is none.
#   KIVO_BUILD_DIR  the build folder, which holds the prefix (default: build); it lets
#                   several work trees or people build side by side

KIVO_ROOT=${KIVO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
KIVO_BUILD_DIR=$(realpath -m "${KIVO_BUILD_DIR:-$KIVO_ROOT/build}")
export KIVO_BUILD_DIR
export WINEPREFIX=$KIVO_BUILD_DIR/wine
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# zh_CN.UTF-8 makes Wine's ANSI code page 936, as on a Chinese Windows.
export LC_ALL=zh_CN.UTF-8

kivo_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        KIVO_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    done
    echo "wine-env: could not start Xvfb" >&2
    return 1
}

kivo_prepare_prefix() {
    if [ ! -f "$WINEPREFIX/.kivo-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1 || true
        # The first start of a prefix goes on in the background: let it finish first.
        wineserver -w
        # A crash must end the process, not wait in Wine's "Program Error" dialog.
        kivo_wine_setting 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0 || return 1
        # Without a window manager, unmanaged windows hide at once instead of after 2 s.
        kivo_wine_setting 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N || return 1
        touch "$WINEPREFIX/.kivo-ready"
    fi
    # Start the server first with no pipes attached, so that it never holds ours open.
    # (One that still runs from the set-up above holds none either, and -p then fails.)
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

kivo_wine_setting() {
    local attempt
    for attempt in 1 2 3; do
        wine reg add "$1" /v "$2" /t "$3" /d "$4" /f </dev/null >/dev/null 2>&1 && return 0
        sleep 1
    done
    echo "wine-env: cannot set $1\\$2 in $WINEPREFIX" >&2
    return 1
}

# Installs what is missing and builds kivo.exe and the programs that drive it, then starts
# a Wine session on a display (a virtual one where there is none), ended at exit.
kivo_start_session() {
    "$KIVO_ROOT/scripts/setup.sh"
    "$KIVO_ROOT/scripts/build.sh" program >/dev/null
    "$KIVO_ROOT/scripts/build.sh" tools >/dev/null
    trap kivo_stop_wine EXIT
    kivo_start_display
    kivo_prepare_prefix
}

# Starts the provider simulator as the proxy through which Kivo reaches its update host:
# over TLS, with a certificate for that host from a test CA trusted in this prefix only.
# Exports KIVO_SIM_PORT; what the simulator says goes to the log given (default: none).
kivo_start_simulator() {
    local tls=$KIVO_BUILD_DIR/tls port_file host
    host=$(sed -n 's/^KIVO_UPDATE_HOST:STRING=//p' "$KIVO_BUILD_DIR/win32/CMakeCache.txt")
    "$KIVO_ROOT/simulator/make_certs.sh" "$host" "$tls"
    wine "$KIVO_BUILD_DIR/wine-tools/trust_test_ca.exe" "Z:$tls/trusted-ca.der" </dev/null || return 1
    port_file=$(mktemp)
    python3 "$KIVO_ROOT/simulator/provider_sim.py" --port 0 --port-file "$port_file" \
        --tls "$tls" >"${1:-/dev/null}" 2>&1 &
    KIVO_SIM_PID=$!
    for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.05; done
    KIVO_SIM_PORT=$(cat "$port_file")
    export KIVO_SIM_PORT
    rm -f "$port_file"
}

# Ends the simulator, Wine and the virtual display that this session started.
kivo_stop_wine() {
    if [ -n "${KIVO_SIM_PID:-}" ]; then kill "$KIVO_SIM_PID" 2>/dev/null || true; fi
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [ -n "${KIVO_XVFB_PID:-}" ]; then kill "$KIVO_XVFB_PID" 2>/dev/null || true; fi
}
