#!/usr/bin/env bash
# The one test command: installs what is missing, builds every preset and runs every test.
# The native suite runs while the other presets build, and the Windows tests run side by side
# in several Wine environments, so a run costs little more than its builds. Exits non-zero
# when anything fails; its last line is "N passed, N failed".
# The Windows tests run under wine64 on the 64-bit build of the same sources, and also on the
# 32-bit program where this machine can execute 32-bit x86 code and has the 32-bit Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib.sh
. scripts/lib.sh

scripts/setup.sh || exit 1

jobs=$(nproc)
start=$(date +%s)
status=0
mkdir -p build

# Interrupted, the run ends what it started: its suites, and the Wine environments, whose
# displays and servers run in sessions of their own and so outlive a Ctrl-C otherwise. Each
# suite is ended as a whole process group: ctest dies on a signal but leaves the test it was
# running, and that test its simulator. Every background job is a suite (start_suite).
interrupted() {
    trap '' INT TERM
    echo "== interrupted: ending the suites and the Wine environments" >&2
    local job
    for job in $(jobs -p); do
        kill -TERM -- "-$job" 2>/dev/null
    done
    wait
    local dir
    for dir in build/win64/wine build/win32/wine; do
        [ -d "$dir" ] && scripts/wine-env.sh stop "$dir" >/dev/null 2>&1
    done
    exit "$1"
}
trap 'interrupted 130' INT
trap 'interrupted 143' TERM

configure_and_build() {
    local preset=$1
    shift
    local began=$SECONDS
    if [ ! -f "build/$preset/build.ninja" ] && ! cmake --preset "$preset" >"build/configure-$preset.log" 2>&1; then
        cat "build/configure-$preset.log"
        echo "== $preset: configure FAILED"
        status=1
        return 1
    fi
    # Niced, so that the suites running meanwhile get the processor first: their serial
    # time-outs are real.
    if ! nice -n 10 cmake --build --preset "$preset" -j "$jobs" "$@" >"build/build-$preset.log" 2>&1; then
        grep -E 'error|FAILED' "build/build-$preset.log" | head -40
        echo "== $preset: build FAILED (build/build-$preset.log)"
        status=1
        return 1
    fi
    echo "== $preset: built in $((SECONDS - began)) s"
}

# Runs a preset's tests, its ctest under the command given after the preset if any, and
# leaves the outcome for report. Started in the background.
run_tests() {
    local preset=$1 began=$SECONDS
    shift
    "$@" ctest --preset "$preset" >"build/ctest-$preset.log" 2>&1
    echo "$? $((SECONDS - began))" >"build/ctest-$preset.status"
}

# Starts COMMAND in the background in a process group of its own, which an interruption ends
# whole; $! is its process. Its input is empty, as a background job's without job control.
start_suite() {
    set -m
    "$@" </dev/null &
    set +m
}

passed=0
failed=0
# Reports a preset's suite once its background job PID (if given) has ended.
report() {
    local preset=$1 pid=${2:-} rc seconds line total fail
    [ -z "$pid" ] || wait "$pid"
    read -r rc seconds <"build/ctest-$preset.status"
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "build/ctest-$preset.log" | tail -1)
    if [ -n "$line" ]; then
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        fail=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    else
        total=1 fail=1
    fi
    passed=$((passed + total - fail))
    failed=$((failed + fail))
    if [ "$rc" -ne 0 ] || [ "$fail" -ne 0 ]; then
        status=1
        tail -n 150 "build/ctest-$preset.log"
        echo "== $preset: tests FAILED in $seconds s (build/ctest-$preset.log)"
    else
        echo "== $preset: $total tests passed in $seconds s"
    fi
}

if qx7_can_run_wine32; then
    win32_tests=yes
elif qx7_can_run_x86_32; then
    win32_tests="the 32-bit Wine is not installed"
else
    win32_tests="this machine cannot execute 32-bit x86 code"
fi

# Every suite runs in the background as soon as its preset is built, while the next presets
# build. The Windows suites' end-to-end tests keep a real 200 ms serial time-out, which a
# machine busy compiling can miss: builds and the other suites run niced, and the simulator
# and the Wine servers run ahead of them where this user may raise a priority. The Windows
# suites start once both Windows presets are built (the release smoke test packages the
# 32-bit programs) and run one after another.
# The emulated 32-bit suite runs with 32-bit system calls refused, as on machines that execute
# 64-bit code only: a test that starts a 32-bit program directly instead of through the
# emulator fails here, whatever this machine can run. It and the Windows suites talk to the
# native build's simulator.
refuse_x86_32=build/native/tests/support/qx7-refuse-x86-32
background=() background_pids=()
native_built=no
if configure_and_build native; then
    native_built=yes
    start_suite run_tests native nice -n 10
    background+=(native) background_pids+=($!)
else
    echo "== no native build: the i386 and Windows suites cannot run"
fi
if configure_and_build i386 && [ "$native_built" = yes ]; then
    start_suite run_tests i386 nice -n 10 "$refuse_x86_32"
    background+=(i386) background_pids+=($!)
fi
if configure_and_build fuzz; then
    start_suite run_tests fuzz nice -n 10
    background+=(fuzz) background_pids+=($!)
fi
windows=()
configure_and_build win64 && windows+=(win64)
if [ "$win32_tests" = yes ]; then
    configure_and_build win32 && windows+=(win32)
else
    # The program users get is still built and checked; its platform-free code runs in the
    # emulated i386 suite.
    configure_and_build win32 --target qx7config --target qx7ctl &&
        echo "== win32: Windows tests not run on the 32-bit build: $win32_tests (they ran on win64)"
fi
for exe in build/win32/tests/*/*.exe build/win32/app/*.exe build/win32/cli/*.exe; do
    [ -f "$exe" ] || continue
    if ! file "$exe" | grep -q 'PE32 executable.*Intel 80386'; then
        echo "== win32: $exe is not a 32-bit Windows program"
        status=1
    fi
done
[ "$native_built" = yes ] || windows=()
run_windows_suites() {
    local preset
    for preset in "$@"; do
        run_tests "$preset"
    done
}
start_suite run_windows_suites ${windows[@]+"${windows[@]}"}
windows_suites=$!
for n in "${!background[@]}"; do
    report "${background[n]}" "${background_pids[n]}"
done
wait "$windows_suites"
for preset in ${windows[@]+"${windows[@]}"}; do
    report "$preset"
done
# Which programs the release's smoke test ran: the zip's own, or the 64-bit build's.
[ -f build/win64/release/smoke-test.txt ] && echo "== $(cat build/win64/release/smoke-test.txt)"
echo "== everything: $(($(date +%s) - start)) s"
echo "$passed passed, $failed failed"
exit $status
