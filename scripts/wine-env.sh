#!/usr/bin/env bash
# The Wine environment of one test run: a private 32-bit prefix, an Xvfb display and a
# persistent wineserver, started once and ended by the process ids it recorded.
#   wine-env.sh start DIR [win32|win64]   prepare DIR/prefix, start the display and the
#                                         server, write DIR/env (default win32)
#   wine-env.sh stop DIR                  end what start started
set -euo pipefail

action=${1:?usage: wine-env.sh start|stop DIR [win32|win64]}
dir=${2:?usage: wine-env.sh start|stop DIR [win32|win64]}
arch=${3:-win32}
case "$arch" in
    win32) wine_program=wine ;;
    # Debian's wine launcher picks the 32-bit loader; the 64-bit one is called directly.
    win64) wine_program=/usr/lib/wine/wine64 ;;
    *) echo "wine-env: unknown architecture $arch" >&2; exit 2 ;;
esac
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
prefix="$dir/prefix"
template="$dir/prefix-template"

wine_environment() {
    export WINEPREFIX="$1" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
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
    version="$arch $("$wine_program" --version) unmanaged"
    if [ ! -f "$template/.qx7-wine-version" ] || [ "$(cat "$template/.qx7-wine-version")" != "$version" ]; then
        rm -rf "$template"
        (
            wine_environment "$template"
            "$wine_program" wineboot -i >/dev/null 2>&1
            # Without a window manager a managed window makes Wine wait about two seconds
            # whenever it is destroyed; the tests need none of what the manager offers.
            "$wine_program" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            wineserver -w
        )
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
export WINEPREFIX='$prefix' WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
export DISPLAY=':$display' WINE='$wine_program' WINE_LOCALE=cs_CZ.UTF-8
ENV
    cat > "$dir/pids" <<PIDS
XVFB_PID=$xvfb_pid
WINESERVER_PID=$server_pid
PIDS
    # The first program pays for loading the prefix; do it here, not in a timed test.
    DISPLAY=":$display" env LC_ALL=cs_CZ.UTF-8 "$wine_program" cmd /c exit 0 >/dev/null 2>&1 || true
    echo "wine-env: prefix $prefix, display :$display"
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *) echo "usage: wine-env.sh start|stop DIR" >&2; exit 2 ;;
esac
