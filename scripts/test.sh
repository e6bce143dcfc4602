#!/usr/bin/env bash
# The one test command: installs what is missing, builds the native, fuzz and Windows
# builds, and runs every test. Exits non-zero when anything fails.
# The Windows tests run under wine64 on the 64-bit build of the same sources, and under
# Wine on the 32-bit program itself where the machine can execute 32-bit x86 code.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || exit 1

jobs=$(nproc)
passed=0
failed=0
status=0

run_build() {
    local preset=$1
    local run_tests=${2:-yes}
    local log="build/ctest-$preset.log"
    echo "== $preset: configure and build"
    if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
        echo "== $preset: build FAILED"
        status=1
        return
    fi
    if [ "$run_tests" != yes ]; then
        echo "== $preset: tests not run: $run_tests"
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
# Some virtual machines run 64-bit user code only; the 32-bit Wine loader then cannot start.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    win32_tests=yes
else
    win32_tests="this machine cannot execute 32-bit x86 code (they ran on the win64 build)"
fi

run_build native
run_build fuzz
run_build win64
run_build win32 "$win32_tests"
for exe in build/win32/tests/*/*.exe build/win32/app/*.exe; do
    [ -f "$exe" ] || continue
    if ! file "$exe" | grep -q 'PE32 executable.*Intel 80386'; then
        echo "== win32: $exe is not a 32-bit Windows program"
        status=1
    fi
done
echo "== all builds: $(( $(date +%s) - start )) s"
echo "$passed passed, $failed failed"
exit $status
