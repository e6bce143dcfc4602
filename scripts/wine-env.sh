#!/usr/bin/env bash
# The Wine environments of one test run, one per slot, so that test programs can run side by
# side: each slot has its own prefix (copied from a pristine template made once), its own Xvfb
# display and its own persistent wineserver, and is ended by the process ids it recorded.
#   wine-env.sh start DIR [win32|win64] [SLOTS]   start DIR/slot-0 .. slot-(SLOTS-1), each
#                                                 with an env file to source (default 1 slot)
#   wine-env.sh stop DIR                          end what start started
# With QX7_WINE_DISPLAY set, the slots use that display instead of a private Xvfb, and their
# windows are managed by its window manager.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

usage() {
    echo "usage: wine-env.sh start DIR [win32|win64] [SLOTS] | stop DIR" >&2
    exit 2
}
action=${1:-}
dir=${2:-}
arch=${3:-win32}
slots=${4:-1}
[ -n "$action" ] && [ -n "$dir" ] || usage
case "$arch" in
    win32) wine_program=wine ;;
    # Debian's wine launcher picks the 32-bit loader; the 64-bit one is called directly.
    win64) wine_program=/usr/lib/wine/wine64 ;;
    *) echo "wine-env: unknown architecture $arch" >&2; exit 2 ;;
esac
[[ "$slots" =~ ^[1-9][0-9]?$ ]] || usage
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
# The pristine prefix is kept outside the build tree, so a fresh clone or a new build folder
# on this machine does not pay for wineboot again; QX7_WINE_TEMPLATES moves it.
templates=${QX7_WINE_TEMPLATES:-${XDG_CACHE_HOME:-$HOME/.cache}/qx7}
template="$templates/wine-prefix-$arch"

# The Wine variables of a prefix, written once: the slots' env files hold this line, and this
# script's own Wine calls evaluate it.
wine_variables() {
    echo "export WINEPREFIX='$1' WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='"
}

wine_environment() {
    eval "$(wine_variables "$1")"
}

# The slot's processes, each as "PID START" (see qx7_process_start), one a line.
record_process() {
    echo "$1 $(qx7_process_start "$1")" >>"$2/pids"
}

stop_slot() {
    local slot=$1 pid start alive ours=()
    [ -f "$slot/pids" ] || return 0
    # Only processes that are still the ones recorded are signalled: after a reboot, or once
    # they have ended, their numbers may belong to anybody.
    while read -r pid start; do
        qx7_is_process "$pid" "$start" && ours+=("$pid")
    done <"$slot/pids"
    # The server of our own prefix ends the Wine processes still running in it.
    if [ -d "$slot/prefix" ]; then
        (wine_environment "$slot/prefix"; wineserver -k 2>/dev/null || true)
    fi
    for pid in ${ours[@]+"${ours[@]}"}; do
        kill "$pid" 2>/dev/null || true
    done
    for _ in $(seq 50); do
        alive=0
        for pid in ${ours[@]+"${ours[@]}"}; do
            kill -0 "$pid" 2>/dev/null && alive=1
        done
        [ "$alive" -eq 0 ] && break
        sleep 0.1
    done
    rm -f "$slot/pids" "$slot/env"
}

stop() {
    local slot pid stopping=()
    for slot in "$dir"/slot-*; do
        [ -d "$slot" ] || continue
        stop_slot "$slot" &
        stopping+=($!)
    done
    # Only the slots' own jobs: a bare wait would also wait, for ever, for a display that start
    # had begun and not yet recorded.
    for pid in ${stopping[@]+"${stopping[@]}"}; do
        wait "$pid"
    done
    return 0
}

# Interrupted or failed, start ends what it has begun: a display still coming up, which is
# not recorded yet, and every slot.
abandon() {
    if [ -n "${QX7_XVFB_PID:-}" ]; then
        kill "$QX7_XVFB_PID" 2>/dev/null
    fi
    stop
}

make_template() {
    # A pristine prefix is made once and copied for each run, so every run starts from the
    # same state without paying wineboot again. Runs that start at once take turns here, and
    # the template appears whole or not at all.
    local version fresh
    version="$arch $("$wine_program" --version) unmanaged"
    mkdir -p "$templates"
    exec 8>"$templates/.wine-prefix-$arch.lock"
    flock 8
    if [ -f "$template/.qx7-wine-version" ] && [ "$(cat "$template/.qx7-wine-version")" = "$version" ]; then
        exec 8>&-
        return 0
    fi
    fresh=$(mktemp -d "$templates/.wine-prefix-$arch.XXXXXX")
    (
        wine_environment "$fresh"
        "$wine_program" wineboot -i >/dev/null 2>&1
        # Without a window manager a managed window makes Wine wait about two seconds
        # whenever it is destroyed; the tests need none of what the manager offers.
        "$wine_program" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
    )
    echo "$version" >"$fresh/.qx7-wine-version"
    rm -rf "$template"
    mv "$fresh" "$template"
    exec 8>&-
}

# Prepares one slot whose display is already running: its prefix, its server, and the first
# program, which pays for loading the prefix here rather than in a test.
prepare_slot() {
    local slot=$1 display=$2
    rm -rf "$slot/prefix"
    cp -a "$template" "$slot/prefix"
    wine_environment "$slot/prefix"
    # The server stands in for the Windows kernel: its serial time-outs are real.
    (qx7_ahead setsid wineserver -f -p) </dev/null >"$slot/wineserver.log" 2>&1 &
    record_process $! "$slot"
    {
        wine_variables "$slot/prefix"
        echo "export DISPLAY='$display' WINE='$wine_program' WINE_LOCALE=cs_CZ.UTF-8"
    } >"$slot/env"
    if [ -n "${QX7_WINE_DISPLAY:-}" ]; then
        DISPLAY=$display "$wine_program" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f \
            >/dev/null 2>&1 || true
    fi
    DISPLAY=$display env LC_ALL=cs_CZ.UTF-8 "$wine_program" cmd /c exit 0 >/dev/null 2>&1 || true
}

start() {
    stop
    # Interrupted or failed half-way, start leaves nothing running behind it.
    trap 'abandon; exit 130' INT
    trap 'abandon; exit 143' TERM
    trap '[ $? -eq 0 ] || abandon' EXIT
    make_template
    local n slot display pids=()
    for n in $(seq 0 $((slots - 1))); do
        slot="$dir/slot-$n"
        mkdir -p "$slot"
        rm -f "$slot/pids"
        if [ -n "${QX7_WINE_DISPLAY:-}" ]; then
            display=$QX7_WINE_DISPLAY
        else
            # Displays are taken one after another, so two slots never pick the same one.
            qx7_start_xvfb "$slot/xvfb.log" || exit 1
            display=$QX7_DISPLAY
            record_process "$QX7_XVFB_PID" "$slot"
        fi
        prepare_slot "$slot" "$display" &
        pids+=($!)
    done
    for n in "${pids[@]}"; do
        wait "$n" || { echo "wine-env: a slot could not be prepared" >&2; exit 1; }
    done
    echo "wine-env: $slots $arch slot(s) in $dir"
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *) usage ;;
esac
