#!/usr/bin/env bash
# Measures kivo.exe under Wine against the provider simulator and prints one table: start-up
# to a usable window; F3 to the final status text, for a dyndns update (beside the same
# authenticated GET by curl's whole process and by a minimal WinINet client in the same
# Wine, the floor) and for a look-up and a change at Cloudflare's API; the release exe's size; the idle program's CPU time over 10 s; with "自动更新" ticked, its CPU
# time and private bytes over 60 s, and its private bytes after many checks (each comes 5 s
# after a resume, so 100 take about 9 minutes); and the time from a silent first check
# service's request to the address the second one tells. Prints figures; checks nothing.
# Usage: scripts/bench.sh [runs] [checks]   (default 40 and 100)
set -euo pipefail
runs=${1:-40}
checks=${2:-100}
# curl comes with the set-up that kivo_start_session runs.
source "$(dirname "$0")/wine-env.sh"
build=$KIVO_BUILD_DIR
kivo_start_session
kivo_start_simulator
# The release's 32-bit exe where this machine runs 32-bit programs, else its 64-bit twin.
export KIVO_EXE=$build/win$KIVO_WIDTH/kivo.exe
kivo_say_widths timing main >&2
figures=$(kivo_wine "$KIVO_TOOLS_DIR/driver/kivo_bench.exe" "$runs" "$checks" </dev/null | tr -d '\r')

host=members.kivo.example  # the simulator's own provider, as the bench's Kivo is set up
curl_ms=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    curl -sS -o /dev/null --proxy "http://127.0.0.1:$KIVO_SIM_PORT" --cacert "$build/tls/trusted-ca.pem" \
        -A "Kivo/bench" -u demo:kivo2026 \
        "https://$host/dyndns/update?system=dyndns&hostname=home.kivo.example&myip=&wildcard=OFF"
    curl_ms+=("$(( ($(date +%s%N) - start) / 1000 ))")
done

# The release is the 32-bit exe, whichever width was timed.
"$KIVO_ROOT/scripts/build.sh" program 32 >/dev/null
python3 - "$figures" "$(stat -c %s "$build/win32/kivo.exe")" "${KIVO_EXE#"$KIVO_ROOT"/}" "$KIVO_WIDTH" "${curl_ms[@]}" <<'TABLE'
import statistics, sys
figures = dict(line.split() for line in sys.argv[1].splitlines() if line.strip())
size, exe, width = int(sys.argv[2]), sys.argv[3], sys.argv[4]
curl = statistics.median(int(us) / 1000 for us in sys.argv[5:])
update, floor = float(figures["update"]), float(figures["floor"])
print("| measure | value |\n|---|---|")
print("| exe timed | %s (%s-bit) |" % (exe, width))
print("| start to a usable window (median) | %.0f ms |" % float(figures["start"]))
print("| F3 to the final status text (median of %d) | %.1f ms |" % (len(sys.argv) - 5, update))
print("| F3 at Cloudflare's API, a look-up and a change (median of %d) | %.1f ms |" % (len(sys.argv) - 5, float(figures["api_update"])))
print("| the same GET by curl's whole process | %.1f ms (Kivo takes %.2f x) |" % (curl, update / curl))
print("| the same GET by a minimal WinINet client (floor) | %.1f ms (Kivo takes %.2f x) |" % (floor, update / floor))
print("| release exe (build/win32/kivo.exe) | %s bytes |" % format(size, ","))
print("| idle CPU time over 10 s | %.0f ms |" % float(figures["idle_cpu"]))
print("| 自动更新 ticked: idle CPU time over 60 s | %.0f ms |" % float(figures["watch_idle_cpu"]))
print("| 自动更新 ticked: private bytes | %.0f KiB |" % float(figures["watch_private_kib"]))
print("| private bytes after %s checks | %.0f KiB |" % (figures["checks"], float(figures["checks_private_kib"])))
print("| a check whose first service is silent: to the address | %.1f s |" % (float(figures["silent_first_check"]) / 1000))
TABLE
