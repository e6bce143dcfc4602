#!/usr/bin/env bash
# The Wine environment of one test run: a private 32-bit prefix, an Xvfb display and a
# persistent wineserver, started once and ended by the process ids it recorded.
#   wine-env.sh start DIR   prepare DIR/prefix, start the display and the server, write DIR/env
#   wine-env.sh stop DIR    end what start started
set -euo pipefail

action=${1:?usage: wine-env.sh start|stop DIR}
dir=${2:?usage: wine-env.sh start|stop DIR}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
prefix="$dir/prefix"
template="$dir/prefix-template"

wine_environment() {
    export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=cs_CZ.UTF-8
}

free_display() {
    local n
    for n in $(seq 90 250); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

stop() {
    if [ -f "$dir/pids" ]; then
        # shellcheck disable=SC1091
        . "$dir/pids"
        # The server of our own prefix ends the Wine processes still running in it.
        (wine_environment "$prefix"; wineserver -k 2>/dev/null || true)
        for pid in ${WINESERVER_PID:-} ${XVFB_PID:-}; do
            if kill -0 "$pid" 2>/dev/null; then
                kill "$pid" 2>/dev/null || true
            fi
        done
        for _ in $(seq 50); do
            alive=0
            for pid in ${WINESERVER_PID:-} ${XVFB_PID:-}; do
                kill -0 "$pid" 2>/dev/null && alive=1
            done
            [ "$alive" -eq 0 ] && break
            sleep 0.1
        done
        rm -f "$dir/pids" "$dir/env"
    fi
}

start() {
    stop
    # A pristine prefix is made once and copied for each run, so every run starts from the
    # same state without paying wineboot again.
    local version
    version=$(wine --version)
    if [ ! -f "$template/.qx7-wine-version" ] || [ "$(cat "$template/.qx7-wine-version")" != "$version" ]; then
        rm -rf "$template"
        (wine_environment "$template"; wineboot -i >/dev/null 2>&1; wineserver -w)
        echo "$version" > "$template/.qx7-wine-version"
    fi
    rm -rf "$prefix"
    cp -a "$template" "$prefix"

    local display
    display=$(free_display) || { echo "wine-env: no free X display" >&2; exit 1; }
    setsid Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
    local xvfb_pid=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.05
    done
    [ -e "/tmp/.X11-unix/X$display" ] || { echo "wine-env: Xvfb did not start" >&2; exit 1; }

    wine_environment "$prefix"
    setsid wineserver -f -p </dev/null >"$dir/wineserver.log" 2>&1 &
    local server_pid=$!

    cat > "$dir/env" <<ENV
export WINEPREFIX='$prefix' WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
export LC_ALL=cs_CZ.UTF-8 DISPLAY=':$display'
ENV
    cat > "$dir/pids" <<PIDS
XVFB_PID=$xvfb_pid
WINESERVER_PID=$server_pid
PIDS
    # The first program pays for loading the prefix; do it here, not in a timed test.
    DISPLAY=":$display" wine cmd /c exit 0 >/dev/null 2>&1 || true
    echo "wine-env: prefix $prefix, display :$display"
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *) echo "usage: wine-env.sh start|stop DIR" >&2; exit 2 ;;
esac
