#!/usr/bin/env bash
# Runs every test: the check of both kivo.exe's import tables, the native unit tests of the
# pure rules (with sanitizers), the provider simulator's signature checks, a short fuzz run
# of the settings load beside the real kivo.exe under Wine on a virtual display, driven
# against the provider simulator, and the cases of Dpi144 in a prefix of their own at 144
# DPI. The Wine suite runs against the 64-bit twin on every machine, and against the 32-bit
# release exe too where the machine runs 32-bit programs (KIVO_WIN32=no leaves it out).
# Extra arguments go to the Wine-side test driver (for instance --gtest_filter='Update.*').
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# KIVO_BUILD_DIR lets several work trees or people build side by side (default: build).
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
"$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"
read -r -a widths <<<"$(kivo_widths)"
kivo_say_widths testing
# Both exes are built and checked everywhere: the 32-bit one is the release.
"$root/scripts/build.sh" program 32 64
"$root/scripts/build.sh" variant "${widths[@]}"
"$root/scripts/build.sh" tools "${widths[@]}"
"$root/scripts/build.sh" native
echo "== import tables"
for exe in "$build"/win{32,64}/kivo.exe; do "$root/scripts/check_imports.sh" "$exe"; done
for width in "${widths[@]}"; do "$root/scripts/check_imports.sh" "$build/win$width-http/kivo.exe"; done

echo "== native unit tests"
(cd "$build/native" && ctest --output-on-failure -j "$(nproc)")
echo "== the simulator's signature checks against the providers' published examples"
python3 "$root/simulator/dns_api_sim.py" --self-test

# The fuzzer runs on the second core meanwhile; its verdict is read at the end.
mkdir -p "$build/fuzz"
"$root/tests/fuzz/run_fuzz.sh" 10 >"$build/fuzz/run.log" 2>&1 &
fuzz_pid=$!

trap kivo_stop_wine EXIT
kivo_start_display
# A volume of 1 MiB that a test can fill, where the machine lets root mount one.
small=$build/small-volume
mkdir -p "$small"
if mountpoint -q "$small" || mount -t tmpfs -o size=1m kivo-small "$small" 2>/dev/null; then
    export KIVO_SMALL_VOLUME=$small
    trap 'kivo_stop_wine; umount "$small" 2>/dev/null || true' EXIT
else
    echo "(no small volume can be mounted here: the full-disk case is skipped)"
fi
# The cases of Dpi144 run in a prefix of their own whose desktop has 144 DPI, and only
# there: the run at 96 DPI leaves them out of whatever filter it was given.
args=() filter=''
for arg in "$@"; do
    case $arg in --gtest_filter=*) filter=${arg#--gtest_filter=} ;; *) args+=("$arg") ;; esac
done
case $filter in '') at96=-Dpi144.* ;; *-*) at96=$filter:Dpi144.* ;; *) at96=$filter-Dpi144.* ;; esac
# At 144 DPI: the filter's own Dpi144 patterns, or the whole suite where it selects all.
positive=${filter%%-*}
at144=$(tr ':' '\n' <<<"$positive" | grep '^Dpi144' | paste -sd: || true)
if [ -z "$positive" ]; then at144=Dpi144.*; fi
if [ -n "$at144" ]; then at144=$at144${filter#"$positive"}; fi
wine_tests() { (cd "$KIVO_TOOLS_DIR/tests/wine" && kivo_wine ./kivo_wine_tests.exe "$@"); }
wine_status=0
for width in "${widths[@]}"; do
    echo "== the $width-bit kivo.exe under Wine"
    kivo_use_width "$width"
    kivo_prepare_prefix
    if [ -z "$KIVO_SIM_PID" ]; then
        kivo_start_simulator "$build/simulator.log"
    else
        kivo_trust_test_ca
    fi
    export KIVO_EXE=$build/win$width/kivo.exe KIVO_HTTP_EXE=$build/win$width-http/kivo.exe
    wine_tests "${args[@]}" --gtest_filter="$at96" || wine_status=$?
    if [ -n "$at144" ]; then
        echo "== the $width-bit kivo.exe under Wine at 144 DPI"
        kivo_prepare_prefix 144
        wine_tests "${args[@]}" --gtest_filter="$at144" || wine_status=$?
    fi
done

echo "== settings file fuzzing"
fuzz_status=0
wait "$fuzz_pid" || fuzz_status=$?
if [ "$fuzz_status" -eq 77 ]; then
    # This release's clang cannot build a fuzzer: said plainly, not counted as a failure.
    reason=$(tail -n 1 "$build/fuzz/run.log")
    reason=${reason#fuzz: }
    echo "settings file fuzzing: skipped — ${reason%; fuzzing skipped}"
    fuzz_status=0
else
    cat "$build/fuzz/run.log"
fi
[ "$wine_status" -eq 0 ] && [ "$fuzz_status" -eq 0 ]
