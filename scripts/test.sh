#!/usr/bin/env bash
# The one test command: installs what is missing, builds the native, fuzz and Windows
# builds, and runs every test. Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || exit 1

jobs=$(nproc)
passed=0
failed=0
status=0

run_build() {
    local preset=$1
    local log="build/ctest-$preset.log"
    echo "== $preset: configure and build"
    if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
        echo "== $preset: build FAILED"
        status=1
        return
    fi
    echo "== $preset: test"
    mkdir -p build
    ctest --preset "$preset" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        local total fail
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<< "$line")
        fail=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<< "$line")
        passed=$((passed + total - fail))
        failed=$((failed + fail))
    fi
    [ "$rc" -eq 0 ] || status=1
}

start=$(date +%s)
run_build native
run_build fuzz
run_build win32
echo "== all builds: $(( $(date +%s) - start )) s"
echo "$passed passed, $failed failed"
exit $status
