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

# The clang that setup.sh installed; some releases ship it without libFuzzer's runtime
# (status 77: test.sh then reports the run as skipped). Any other compile error is a fault.
major=$(clang++ --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1)
printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
    'extern "C" int LLVMFuzzerTestOneInput(const uint8_t *, size_t) { return 0; }' \
    >"$build/trial.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$build/trial.cpp" -o "$build/trial" \
    >"$build/trial.log" 2>&1; then
    if grep 'libclang_rt' "$build/trial.log" >/dev/null; then
        echo "fuzz: this release's clang $major has no libFuzzer runtime (libclang-rt-$major-dev); fuzzing skipped"
        exit 77
    fi
    cat "$build/trial.log"
    exit 1
fi

clang++ -std=c++17 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -I"$root" \
    "$root/tests/fuzz/settings_load_fuzz.cpp" \
    "$root/settings/field_codec.cpp" "$root/settings/settings_reading.cpp" \
    -o "$build/settings_load_fuzz"
# Seeds: a saved file, and lines of every awkward shape: plain, lower-case hex, odd length,
# a key inside another value, zero bytes, Chinese, a lone CR, Ctrl-Z, a long line.
python3 - "$build/seeds" <<'SEEDS'
import os, sys
def enc(plain): return "".join("%02X" % (b ^ 0xC5) for b in plain).encode()
saved = [b"12Host=kivo.example.com|34", b"5myIP=1.2.3.4|6", b"7Name=user|8", b"9Pwd=pa|ss|0", b"1Auto=True2"]
seeds = {
    "saved": "[Kivo域名更新器]\r\n".encode("cp936") + b"".join(enc(p) + b"\r\n" for p in saved) + b"\r\n\r\nby me\r\n",
    "quirks": enc(b"1Pwd=xHost=y|2") + b"\n" + enc(b"5Pwd=\xc5\x00|6").lower() + b"7\r\nHost=a.b|\r\rmyIP=\x1aName=x|",
    "long": "域名Host=名|\r\n".encode("cp936") + enc(b"1Host=" + b"h" * 3000 + b"|2"),
}
os.makedirs(sys.argv[1], exist_ok=True)
for name, data in seeds.items(): open(os.path.join(sys.argv[1], name), "wb").write(data)
SEEDS

cd "$build"
if ! ./settings_load_fuzz -max_total_time="$seconds" -runs=5000000 -max_len=8192 \
    corpus seeds >fuzz.log 2>&1; then
    cat fuzz.log
    exit 1
fi
grep '^Done' fuzz.log
