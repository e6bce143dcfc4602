#!/usr/bin/env bash
# Load of qx7ctl watch as one gateway: many simulated transmitters polled at 1 s for minutes,
# every file sink on. Reports polls per second, the processor time qx7ctl used and its
# resident memory near the start and at the end; asserts nothing.
#   bench-watch.sh [BUILD_DIR] [TRANSMITTERS] [SECONDS] [-- MORE WATCH OPTIONS]
# e.g. bench-watch.sh "" 16 300 -- --mqtt mqtt://127.0.0.1:1883/bench
# By default qx7sim and qx7ctl are built optimised and without the sanitizers of the native
# preset (whose quarantine of freed memory alone would be most of the resident memory), in
# build/bench-watch.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
build=${1:-}
count=${2:-16}
seconds=${3:-300}
shift $(($# < 3 ? $# : 3))
[ "${1:-}" = "--" ] && shift
if [ -z "$build" ]; then
    build=$root/build/bench-watch
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target qx7sim qx7ctl >/dev/null

tmp=$(mktemp -d)
pids=()
watch_pid=
cleanup() {
    if [ -n "$watch_pid" ]; then kill "$watch_pid" 2>/dev/null || true; fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

ports=()
for i in $(seq 1 "$count"); do
    qx7_start_simulator "$build/tools/qx7sim" "$(mktemp -d "$tmp/sim.XXXXXX")" \
        --set "serial=$((1000 + i))" --noise 0.5 --seed "$i" || exit 1
    pids+=("$QX7_SIM_PID")
    ports+=("$QX7_SIM_LINK")
done

# Processor seconds (user + system) and resident kB of a process.
cpu_seconds() { awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) / hz}' "/proc/$1/stat"; }
resident_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

"$build/cli/qx7ctl" watch "${ports[@]}" --interval 1 --csv "$tmp/live.csv" \
    --influx "$tmp/live.lp" --prom "$tmp/qx7.prom" "$@" >/dev/null 2>"$tmp/watch.err" &
watch_pid=$!
sleep 10
start_cpu=$(cpu_seconds "$watch_pid")
start_rss=$(resident_kb "$watch_pid")
start_rows=$(($(wc -l < "$tmp/live.csv") - 1))
sleep "$((seconds - 10))"
end_cpu=$(cpu_seconds "$watch_pid")
end_rss=$(resident_kb "$watch_pid")
end_rows=$(($(wc -l < "$tmp/live.csv") - 1))
kill -TERM "$watch_pid"
wait "$watch_pid" || true
watch_pid=

failed=$(grep -c "no reply" "$tmp/live.csv" || true)
echo "== qx7ctl watch, $count transmitters at 1 s for $seconds s (CSV, InfluxDB, Prometheus on)"
echo "polls:               $end_rows ($failed with a value that got no reply)"
awk -v rows="$((end_rows - start_rows))" -v s="$((seconds - 10))" \
    'BEGIN {printf "polls per second:    %.2f (after the first 10 s)\n", rows / s}'
awk -v a="$start_cpu" -v b="$end_cpu" -v s="$((seconds - 10))" \
    'BEGIN {printf "processor:           %.2f s in %d s, %.2f %% of one core\n", b - a, s, 100 * (b - a) / s}'
echo "resident memory:     ${start_rss} kB at 10 s, ${end_rss} kB at the end"
echo "InfluxDB lines:      $(wc -l < "$tmp/live.lp"), Prometheus file $(wc -c < "$tmp/qx7.prom") bytes"
