#!/usr/bin/env bash
# Runs every test: the native unit tests of the pure rules (with sanitizers), then the
# real kivo.exe under Wine on a virtual display, driven against the provider simulator.
# Extra arguments go to the Wine-side ctest run (for instance -R MainDialog).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# KIVO_BUILD_DIR lets several work trees or people build side by side (default: build).
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
"$root/scripts/setup.sh"
"$root/scripts/build.sh" all

echo "== native unit tests"
(cd "$build/native" && ctest --output-on-failure -j "$(nproc)")

echo "== settings file fuzzing (a few seconds)"
"$root/tests/fuzz/run_fuzz.sh" 10

echo "== kivo.exe under Wine"
source "$root/scripts/wine-env.sh"
sim_log="$build/simulator.log"
cleanup() {
    [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null
    kivo_stop_wine
}
trap cleanup EXIT
kivo_start_display
kivo_prepare_prefix
if [ -f "$root/simulator/provider_sim.py" ]; then
    port_file=$(mktemp)
    python3 "$root/simulator/provider_sim.py" --port 0 --port-file "$port_file" >"$sim_log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.05; done
    export KIVO_SIM_PORT=$(cat "$port_file")
    rm -f "$port_file"
fi
cd "$build/win32"
ctest --output-on-failure "$@"
