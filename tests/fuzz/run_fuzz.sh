#!/usr/bin/env bash
# Builds the settings-load fuzz target with clang and libFuzzer and runs it briefly.
# clang cannot store literals in code page 936, so the target is built here from the
# pure sources it needs rather than by the project's build.
# Usage: tests/fuzz/run_fuzz.sh [seconds]   (KIVO_BUILD_DIR as for the other scripts)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")/fuzz
seconds=${1:-10}
mkdir -p "$build/corpus"

clang++ -std=c++17 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -I"$root" \
    "$root/tests/fuzz/settings_load_fuzz.cpp" \
    "$root/settings/field_codec.cpp" "$root/settings/settings_reading.cpp" \
    -o "$build/settings_load_fuzz"
python3 "$root/tests/fuzz/make_seeds.py" "$build/seeds"

cd "$build"
if ! ./settings_load_fuzz -max_total_time="$seconds" -runs=5000000 -max_len=8192 \
    corpus seeds >fuzz.log 2>&1; then
    cat fuzz.log
    exit 1
fi
grep '^Done' fuzz.log
