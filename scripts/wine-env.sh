# Sourced by the scripts that run Kivo: a Wine session that runs it as a Chinese Windows
# would, in a prefix of the project's own, on a display even where there is none.
#   KIVO_BUILD_DIR  the build folder, which holds the prefixes (default: build); it lets
#                   several work trees or people build side by side
#   KIVO_WIN32=no   leaves the 32-bit exe out even where this machine runs 32-bit programs,
#                   so that the path of machines that cannot be tried on one that can

KIVO_ROOT=${KIVO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
KIVO_BUILD_DIR=$(realpath -m "${KIVO_BUILD_DIR:-$KIVO_ROOT/build}")
export KIVO_BUILD_DIR
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Set by this session only: a virtual display it started, the simulator it started.
KIVO_XVFB_PID=""
KIVO_SIM_PID=""

# Some machines of this kind run no 32-bit Linux program at all (their kernel answers "Exec
# format error"), so wine32 cannot start there; Wine's 32-bit loader, run once, tells.
kivo_runs_32bit() {
    [ "${KIVO_WIN32:-yes}" != no ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The widths of kivo.exe that this machine runs under Wine: "32 64", or "64" alone.
kivo_widths() {
    if kivo_runs_32bit; then echo "32 64"; else echo 64; fi
}

# The width that run.sh, the screenshots and the benchmark use: the release's where the
# machine runs it, else the 64-bit twin.
kivo_main_width() {
    if kivo_runs_32bit; then echo 32; else echo 64; fi
}

# What this machine runs, in plain words: "kivo_say_widths testing" for both widths where it
# runs both, "kivo_say_widths running main" for the one that run.sh and the tools use.
kivo_say_widths() {
    local doing=$1 which=${2:-all} build=${KIVO_BUILD_DIR#"$PWD"/}
    if [ "${KIVO_WIN32:-yes}" = no ]; then
        echo "KIVO_WIN32=no: $doing $build/win64/kivo.exe only"
    elif ! kivo_runs_32bit; then
        echo "this machine cannot run 32-bit programs: $doing $build/win64/kivo.exe only"
    elif [ "$which" = main ]; then
        echo "$doing $build/win32/kivo.exe"
    else
        echo "$doing $build/win32/kivo.exe and $build/win64/kivo.exe"
    fi
}

# Runs Wine programs of this width from here on, in its own prefixes (build/wine-32,
# build/wine-64 and their DPI twins). The loader is called directly: /usr/bin/wine picks the
# 32-bit one whenever wine32 is installed, even where it cannot run.
kivo_use_width() {
    KIVO_WIDTH=$1
    if [ "$1" = 64 ]; then
        export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    else
        export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
    fi
    export KIVO_TOOLS_DIR=$KIVO_BUILD_DIR/wine-tools-$1
}
kivo_use_width "$(kivo_main_width)"

kivo_wine() { "$WINELOADER" "$@"; }

# zh_CN.UTF-8 makes Wine's ANSI code page 936, as on a Chinese Windows. It is set only once
# setup.sh has made it: before that, bash and perl would warn that it cannot be set.
kivo_use_chinese_locale() {
    if ! locale -a 2>/dev/null | grep -iE '^zh_CN\.utf-?8$' >/dev/null; then
        echo "wine-env: the zh_CN.UTF-8 locale is missing (scripts/setup.sh makes it)" >&2
        return 1
    fi
    # A bash that started before setup.sh made the locale cannot load it and would warn;
    # the programs it starts from here on load it afresh.
    export LC_ALL=zh_CN.UTF-8 2>/dev/null
}

# Keeps a DISPLAY that answers; otherwise starts Xvfb and sets KIVO_XVFB_PID.
kivo_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        KIVO_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
        kill "$KIVO_XVFB_PID" 2>/dev/null || true
        KIVO_XVFB_PID=
    done
    echo "wine-env: could not start Xvfb" >&2
    return 1
}

# Everything Wine runs from here on sees the Chinese locale, in the prefix of the width in
# use. With a DPI other than 96, the prefix is one of its own (build/wine-WIDTH-DPI) whose
# desktop has that DPI (LogPixels); a session that used another prefix before ends that
# prefix's server first.
kivo_prepare_prefix() {
    local dpi=${1:-96} prefix=$KIVO_BUILD_DIR/wine-$KIVO_WIDTH
    kivo_use_chinese_locale || return 1
    [ "$dpi" = 96 ] || prefix=$prefix-$dpi
    if [ "$prefix" != "${WINEPREFIX:-}" ]; then
        if [ -n "${WINEPREFIX:-}" ]; then wineserver -k </dev/null >/dev/null 2>&1 || true; fi
        export WINEPREFIX=$prefix
    fi
    if [ ! -f "$WINEPREFIX/.kivo-ready" ]; then
        mkdir -p "$WINEPREFIX"
        kivo_wine wineboot -i </dev/null >/dev/null 2>&1 || true
        # The first start of a prefix goes on in the background: let it finish first.
        wineserver -w
        # A crash must end the process, not wait in Wine's "Program Error" dialog.
        kivo_wine_setting 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0 || return 1
        # Without a window manager, unmanaged windows hide at once instead of after 2 s.
        kivo_wine_setting 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N || return 1
        if [ "$dpi" != 96 ]; then
            kivo_wine_setting 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$dpi" || return 1
            wineserver -w
        fi
        touch "$WINEPREFIX/.kivo-ready"
    fi
    # Start the server first with no pipes attached, so that it never holds ours open.
    # (One that still runs from the set-up above holds none either, and -p then fails.)
    wineserver -p </dev/null >/dev/null 2>&1 || true
    kivo_wine cmd /c exit </dev/null >/dev/null 2>&1
}

kivo_wine_setting() {
    local attempt
    for attempt in 1 2 3; do
        kivo_wine reg add "$1" /v "$2" /t "$3" /d "$4" /f </dev/null >/dev/null 2>&1 && return 0
        sleep 1
    done
    echo "wine-env: cannot set $1\\$2 in $WINEPREFIX" >&2
    return 1
}

# Installs what is missing and builds kivo.exe and the programs that drive it, of the width
# in use, then starts a Wine session on a display (a virtual one where there is none),
# ended at exit.
kivo_start_session() {
    "$KIVO_ROOT/scripts/setup.sh"
    "$KIVO_ROOT/scripts/build.sh" program "$KIVO_WIDTH" >/dev/null
    "$KIVO_ROOT/scripts/build.sh" tools "$KIVO_WIDTH" >/dev/null
    trap kivo_stop_wine EXIT
    kivo_start_display
    kivo_prepare_prefix
}

# Trusts the simulator's test CA in this prefix only (the certificates: kivo_start_simulator).
kivo_trust_test_ca() {
    kivo_wine "$KIVO_TOOLS_DIR/trust_test_ca.exe" "Z:$KIVO_BUILD_DIR/tls/trusted-ca.der" \
        </dev/null || {
        echo "wine-env: could not trust the simulator's test CA in $WINEPREFIX" >&2
        return 1
    }
}

# Starts the provider simulator as the proxy through which Kivo reaches the providers and
# the address-check services: over TLS, with a certificate for each host it plays from a
# test CA trusted in this prefix only. Exports KIVO_SIM_PORT; what the simulator says goes
# to the log given (default: none). Returns 1, with the simulator's own words, when it does
# not start.
kivo_start_simulator() {
    local tls=$KIVO_BUILD_DIR/tls port_file log=${1:-} scratch='' deadline hosts=()
    mapfile -t hosts < <(python3 "$KIVO_ROOT/simulator/provider_sim.py" --list-tls-hosts)
    if [ "${#hosts[@]}" -eq 0 ]; then
        echo "wine-env: the provider simulator names no hosts (--list-tls-hosts)" >&2
        return 1
    fi
    "$KIVO_ROOT/simulator/make_certs.sh" "${hosts[0]}" "$tls" "${hosts[@]:1}" || return 1
    kivo_trust_test_ca || return 1
    port_file=$(mktemp)
    # Without a log of the caller's, its words are kept only until it has started.
    if [ -z "$log" ]; then scratch=$(mktemp) && log=$scratch; fi
    python3 "$KIVO_ROOT/simulator/provider_sim.py" --port 0 --port-file "$port_file" \
        --tls "$tls" >"$log" 2>&1 &
    KIVO_SIM_PID=$!
    # A first start on a slow machine may take a while; a dead simulator is not waited for.
    deadline=$((SECONDS + 30))
    while [ ! -s "$port_file" ] && kill -0 "$KIVO_SIM_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.05
    done
    KIVO_SIM_PORT=$(cat "$port_file")
    rm -f "$port_file"
    if ! [[ $KIVO_SIM_PORT =~ ^[0-9]+$ ]]; then
        echo "wine-env: the provider simulator did not start:" >&2
        if kill -0 "$KIVO_SIM_PID" 2>/dev/null; then
            echo "  (no port from it within 30 s; stopped)" >&2
            kill "$KIVO_SIM_PID" 2>/dev/null || true
        fi
        KIVO_SIM_PID=
        if [ -s "$log" ]; then tail -n 15 "$log" | sed 's/^/  /' >&2; else echo "  (it said nothing)" >&2; fi
        if [ -n "$scratch" ]; then rm -f "$scratch"; fi
        return 1
    fi
    # The simulator keeps writing to the removed scratch file; nothing is left behind.
    if [ -n "$scratch" ]; then rm -f "$scratch"; fi
    export KIVO_SIM_PORT
}

# Ends the simulator, Wine and the virtual display that this session started.
kivo_stop_wine() {
    if [ -n "${KIVO_SIM_PID:-}" ]; then kill "$KIVO_SIM_PID" 2>/dev/null || true; fi
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k </dev/null >/dev/null 2>&1 || true; fi
    if [ -n "${KIVO_XVFB_PID:-}" ]; then kill "$KIVO_XVFB_PID" 2>/dev/null || true; fi
}
