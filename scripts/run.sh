#!/usr/bin/env bash
# Runs the configuration tool under Wine against the transmitter simulator.
# Builds what is missing or stale (the simulator in the native build, the program and the demo
# user in the Windows build), starts the simulator on a pseudo-terminal that a private Wine
# prefix (build/run/) sees as COM7, and starts the program there:
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

# Some virtual machines run 64-bit user code only; the 32-bit Wine loader then cannot start,
# and the 64-bit build of the same sources runs under wine64 instead.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    preset=win32 arch=win32 wine_program=wine
else
    preset=win64 arch=win64 wine_program=/usr/lib/wine/wine64
    echo "run: this machine cannot execute 32-bit code; using the 64-bit build under wine64"
fi
native_build=${QX7_NATIVE_BUILD:-build/native}
windows_build=${QX7_WINDOWS_BUILD:-build/$preset}
seconds=${QX7_RUN_SECONDS:-5}
simulator="$native_build/tools/qx7sim"
program=${QX7_RUN_PROGRAM:-$windows_build/app/qx7config.exe}
demo="$windows_build/tests/app/demo/qx7_demo.exe"
run_dir="$root/build/run"
port=COM7

build() {
    local preset=$1 dir=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ]; then
        echo "run: configuring $dir"
        cmake --preset "$preset" -B "$dir" >/dev/null
    fi
    cmake --build "$dir" -j2 --target "$@"
}

build native "$native_build" qx7sim
build "$preset" "$windows_build" qx7_demo
if [ -z "${QX7_RUN_PROGRAM:-}" ] &&
    cmake --build "$windows_build" --target help | grep -qx 'qx7config: phony'; then
    build "$preset" "$windows_build" qx7config || { echo "run: building the program failed" >&2; exit 1; }
fi
if [ ! -f "$program" ]; then
    echo "run: the program is not built: $program does not exist." >&2
    echo "run: (its target qx7config is not part of the build yet, or its build failed)" >&2
    exit 1
fi

mkdir -p "$run_dir"
prefix="$run_dir/prefix-$arch"
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.qx7-ready" ]; then
    echo "run: creating the Wine prefix $prefix (once)"
    "$wine_program" wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.qx7-ready"
fi

work=$(mktemp -d "$run_dir/session.XXXXXX")
xvfb_pid='' server_pid='' simulator_pid='' program_pid=''
finish() {
    local pid
    for pid in $program_pid $server_pid $simulator_pid $xvfb_pid; do
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    rm -f "$prefix/dosdevices/com7"
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    display=
    for n in $(seq 90 250); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            display=$n
            break
        fi
    done
    [ -n "$display" ] || { echo "run: no free X display" >&2; exit 1; }
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.05
    done
    [ -e "/tmp/.X11-unix/X$display" ] || { echo "run: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$display"
fi

"$simulator" --link "$work/link" --log "$work/requests.log" --control "$work/control" "$@" &
simulator_pid=$!
for _ in $(seq 100); do
    [ -L "$work/link" ] && break
    kill -0 "$simulator_pid" 2>/dev/null || break
    sleep 0.05
done
[ -L "$work/link" ] || { echo "run: the simulator did not start" >&2; exit 1; }
ln -sfn "$(readlink -f "$work/link")" "$prefix/dosdevices/com7"

wine() {
    # The Czech locale gives the program the Windows-1250 code page of its texts.
    env LC_ALL=cs_CZ.UTF-8 "$wine_program" "$@"
}

# A persistent server of our own, so the port registered below stays registered: Wine
# refills the volatile serial-device key whenever its server starts.
wineserver -f -p </dev/null >"$work/wineserver.log" 2>&1 &
server_pid=$!
wine cmd /c exit 0 >/dev/null 2>&1 || true
wine reg add 'HKLM\Hardware\Devicemap\Serialcomm' /v Qx7Simulator /d "$port" /f >/dev/null 2>&1
if ! wine reg query 'HKLM\Hardware\Devicemap\Serialcomm' 2>/dev/null | grep -q "$port"; then
    echo "run: could not register $port in the prefix's list of serial ports" >&2
    exit 1
fi

# Started directly, not through the function, so that its pid is the program's own.
env LC_ALL=cs_CZ.UTF-8 "$wine_program" "$program" >"$work/program.log" 2>&1 &
program_pid=$!
echo "run: the simulator answers on $port; change it with: echo 'set ph 4.01' > $work/control"

if [ "$headless" -eq 0 ]; then
    echo "run: QX7 config runs on display $DISPLAY; close its window to end"
    wait "$program_pid" || true
    program_pid=
    exit 0
fi

if ! wine "$demo" show "$port" "$seconds"; then
    echo "run: the demo user could not do everything; the screenshot shows where it stopped" >&2
fi
screenshot="$run_dir/screenshot-$(date +%Y%m%d-%H%M%S).png"
import -display "$DISPLAY" -window root "$screenshot"
echo "run: screenshot: $screenshot"
wine "$demo" close || true
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
