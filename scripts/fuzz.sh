#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzzer for longer than the ctest smoke runs do.
#   fuzz.sh [SECONDS_PER_FUZZER] [BUILD_DIR]    (default 300 s, build/fuzz)
# A crash leaves its input as crash-* in build/fuzz/findings/NAME and ends the script non-zero.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
build=${2:-$root/build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2
status=0
for fuzzer in "$build"/tests/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    findings="$build/findings/$name"
    corpus="$build/corpus/$name"
    mkdir -p "$findings" "$corpus"
    echo "== $name: $seconds s"
    if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus"; then
        echo "== $name: FAILED (inputs in $findings)"
        status=1
    fi
done
exit $status
