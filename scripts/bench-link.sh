#!/usr/bin/env bash
# Measures the link against the simulator: what each step of an exchange costs, exchanges per
# second at 9600 baud, the connect sequence against its wire time, and what one time-out costs
# the caller.
# Prints figures; asserts nothing.
#   bench-link.sh [NATIVE_BUILD_DIR]                         natively (default build/native)
#   bench-link.sh --wine WINDOWS_BUILD_DIR [NATIVE_BUILD_DIR]  the Windows build under Wine
# The needed targets (qx7sim, qx7-link-bench) are built first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
windows_build=
if [ "${1:-}" = "--wine" ]; then
    windows_build=$(cd "${2:?usage: bench-link.sh --wine WINDOWS_BUILD_DIR [NATIVE_BUILD_DIR]}" && pwd)
    shift 2
fi
build=${1:-$root/build/native}
cmake --build "$build" -j2 --target qx7sim qx7-link-bench >/dev/null
sim="$build/tools/qx7sim"

tmp=$(mktemp -d)
wine_dir=
cleanup() {
    qx7_stop_simulator
    if [ -n "$wine_dir" ]; then
        "$root/scripts/wine-env.sh" stop "$wine_dir" >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

# run LABEL "BENCH ARGS" [SIMULATOR OPTIONS...]
run_native() {
    local label=$1 bench_args=$2
    shift 2
    qx7_start_simulator "$sim" "$(mktemp -d "$tmp/sim.XXXXXX")" "$@" || exit 1
    echo "== native, $label"
    # shellcheck disable=SC2086
    "$build/tools/qx7-link-bench" "$QX7_SIM_LINK" $bench_args
    qx7_stop_simulator
}

run_wine() {
    local label=$1 bench_args=$2
    shift 2
    echo "== Wine, $label"
    # shellcheck disable=SC2086
    "$root/scripts/with-simulator.sh" --wine "$wine_dir" --simulator "$sim" "$@" -- \
        "$windows_build/tools/qx7-link-bench.exe" COM7 $bench_args
}

if [ -z "$windows_build" ]; then
    run_native "idle line" "steps 20000"
    run_native "9600 baud pacing, no delay" "exchanges 500"
    run_native "9600 baud pacing, no delay" "connect 20" --pace
    run_native "9600 baud pacing, every resistance unanswered" "timeouts 10" --pace --fault 'silent on 38'
else
    cmake --build "$windows_build" -j2 --target qx7-link-bench >/dev/null
    arch=win32
    grep -q 'x86_64-w64-mingw32' "$windows_build/CMakeCache.txt" && arch=win64
    wine_dir="$tmp/wine"
    "$root/scripts/wine-env.sh" start "$wine_dir" "$arch" >/dev/null
    run_wine "idle line" "steps 5000"
    run_wine "9600 baud pacing, no delay" "exchanges 300"
    run_wine "9600 baud pacing, no delay" "connect 20" --pace
    run_wine "9600 baud pacing, every resistance unanswered" "timeouts 10" --pace --fault 'silent on 38'
fi
