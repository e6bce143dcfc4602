#!/usr/bin/env bash
# Runs the configuration tool under Wine against the transmitter simulator.
# Installs what is missing (scripts/setup.sh), builds what is missing or stale (the simulator
# in the native build, the program and the demo user in the Windows build), starts the
# simulator on a pseudo-terminal that a private Wine environment (build/run/) sees as COM7,
# and starts the program there:
#  - with DISPLAY set, on that display; it ends when you close the program's window;
#  - otherwise on a private Xvfb display, where a demo user picks COM7 and checks "Číst";
#    after a few seconds a screenshot is saved and its path printed, and everything ends.
#   scripts/run.sh [simulator options...]      e.g. scripts/run.sh --set ph=4.01 --noise 0.5
# Environment: QX7_NATIVE_BUILD, QX7_WINDOWS_BUILD (build directories, by default those of
# the presets), QX7_RUN_SECONDS (how long the demo reads before the screenshot, default 5),
# QX7_RUN_PROGRAM (another Windows program to run in the program's place).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# shellcheck source=lib.sh
. scripts/lib.sh

scripts/setup.sh

headless=0
[ -n "${DISPLAY:-}" ] || headless=1
if [ "$headless" -eq 0 ] && ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    echo "run: cannot open the display $DISPLAY; start an X server there, or unset DISPLAY" \
        "to run on a private Xvfb" >&2
    exit 1
fi

# The 32-bit program where this machine can run it; elsewhere the 64-bit build of the same
# sources under wine64.
if qx7_can_run_wine32; then
    preset=win32 arch=win32
else
    preset=win64 arch=win64
    echo "run: the 32-bit Wine cannot run here; using the 64-bit build under wine64"
fi
native_build=${QX7_NATIVE_BUILD:-build/native}
windows_build=${QX7_WINDOWS_BUILD:-build/$preset}
seconds=${QX7_RUN_SECONDS:-5}
simulator="$native_build/tools/qx7sim"
program=${QX7_RUN_PROGRAM:-$windows_build/app/qx7config.exe}
demo="$windows_build/tests/app/demo/qx7_demo.exe"
environment="$root/build/run/wine-$arch"
port=COM7

build() {
    local preset=$1 dir=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ]; then
        echo "run: configuring $dir"
        cmake --preset "$preset" -B "$dir" >/dev/null
    fi
    cmake --build "$dir" -j "$(nproc)" --target "$@" >/dev/null
}

echo "run: building what is missing"
build native "$native_build" qx7sim
build "$preset" "$windows_build" qx7_demo
[ -n "${QX7_RUN_PROGRAM:-}" ] || build "$preset" "$windows_build" qx7config
[ -f "$program" ] || { echo "run: the program is not built: $program does not exist" >&2; exit 1; }

mkdir -p "$root/build/run"
work=$(mktemp -d "$root/build/run/session.XXXXXX")
# The program's log outlives the session, so a failed run can be looked into.
program_log="$root/build/run/program-$(date +%Y%m%d-%H%M%S).log"
program_pid=''
finish() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    qx7_stop_simulator
    scripts/wine-env.sh stop "$environment" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "$headless" -eq 1 ]; then
    scripts/wine-env.sh start "$environment" "$arch" >/dev/null
else
    QX7_WINE_DISPLAY=$DISPLAY scripts/wine-env.sh start "$environment" "$arch" >/dev/null
fi
# shellcheck disable=SC1091
. "$environment/slot-0/env"
# The environment is this script's alone, so its programs need not take turns in it.
export QX7_WINE_SLOT_TAKEN=1
wine() { scripts/wine-run.sh "$environment" "$@"; }

qx7_start_simulator "$simulator" "$work" "$@" || exit 1
qx7_map_com7 "$QX7_SIM_LINK"

# The environment's server is persistent, so the port registered here stays registered: Wine
# refills the volatile serial-device key whenever its server starts.
wine reg add 'HKLM\Hardware\Devicemap\Serialcomm' /v Qx7Simulator /d "$port" /f >/dev/null 2>&1
if ! wine reg query 'HKLM\Hardware\Devicemap\Serialcomm' 2>/dev/null | grep -q "$port"; then
    echo "run: could not register $port in the prefix's list of serial ports" >&2
    exit 1
fi

# wine-run.sh and the Wine loader exec one another, so this pid is the program's own.
wine "$program" >"$program_log" 2>&1 &
program_pid=$!
echo "run: the simulator answers on $port; change it with: echo 'set ph 4.01' > $work/control"

# Says how the program ended when it failed, and where its log is.
program_ended() {
    local code=$1
    program_pid=
    if [ "$code" -ne 0 ]; then
        echo "run: the program ended with code $code; its log: $program_log" >&2
        return 1
    fi
}

if [ "$headless" -eq 0 ]; then
    echo "run: QX7 config runs on display $DISPLAY; close its window to end"
    code=0
    wait "$program_pid" || code=$?
    program_ended "$code"
    exit $?
fi

if ! wine "$demo" show "$port" "$seconds"; then
    echo "run: the demo user could not do everything; the screenshot shows where it stopped" >&2
fi
screenshot="$root/build/run/screenshot-$(date +%Y%m%d-%H%M%S).png"
import -display "$DISPLAY" -window root "$screenshot"
echo "run: screenshot: $screenshot"
wine "$demo" close || true
if ! qx7_wait_for 10 qx7_has_ended "$program_pid"; then
    echo "run: the program did not close within 10 s; its log: $program_log" >&2
    exit 1
fi
code=0
wait "$program_pid" || code=$?
program_ended "$code"
