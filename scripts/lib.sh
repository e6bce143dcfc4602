# Shell helpers the project's scripts share; sourced, never run.

# True when this machine executes 32-bit x86 code. Some virtual machines run 64-bit user code
# only, whatever packages are installed, so the answer comes from executing a program: a
# 96-byte static i386 ELF that exits with 42 (mov ebx,42; mov eax,1; int 0x80).
qx7_can_run_x86_32() {
    local probe status
    probe=$(mktemp "${TMPDIR:-/tmp}/qx7-i386.XXXXXX") || return 1
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0' >"$probe"
    printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0' >>"$probe"
    printf '\273\52\0\0\0\270\1\0\0\0\315\200' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# True when the 32-bit Windows program can run here: 32-bit x86 code executes and the 32-bit
# Wine loader is installed.
qx7_can_run_wine32() {
    qx7_can_run_x86_32 && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Prints the number of a free X display (no socket, no lock file) from 90 up.
qx7_free_display() {
    local n
    for n in $(seq 90 250); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

# Starts Xvfb on a free display in its own session and waits for its socket.
# Sets QX7_XVFB_PID and QX7_DISPLAY. Usage: qx7_start_xvfb LOGFILE [SCREEN]
qx7_start_xvfb() {
    local log=$1 screen=${2:-1280x1024x24} display
    display=$(qx7_free_display) || { echo "no free X display" >&2; return 1; }
    setsid Xvfb ":$display" -screen 0 "$screen" -nolisten tcp </dev/null >"$log" 2>&1 &
    QX7_XVFB_PID=$!
    QX7_DISPLAY=":$display"
    qx7_wait_for 10 test -e "/tmp/.X11-unix/X$display" || {
        echo "Xvfb did not start (see $log)" >&2
        return 1
    }
}

# Runs COMMAND ahead of builds and other tests for the processor, where this user may raise a
# priority, else as it is: for what stands in for the system (the Wine server), whose serial
# time-outs are real; the simulator raises its own (qx7sim --realtime).
# Usage: qx7_ahead COMMAND [ARGS...]
qx7_ahead() {
    # GNU nice runs the command even where it may not raise the priority, with a warning and
    # status 0, so whether it may is read from the niceness it gave.
    if [ "$(nice -n -10 nice 2>/dev/null)" -lt "$(nice)" ]; then
        exec nice -n -10 "$@"
    fi
    exec "$@"
}

# Starts the transmitter simulator with its pseudo-terminal link, request log and control FIFO
# in DIR (link, requests.log, control), and waits for the link.
# Sets QX7_SIM_PID and QX7_SIM_LINK. Usage: qx7_start_simulator SIMULATOR DIR [OPTIONS...]
qx7_start_simulator() {
    local simulator=$1 dir=$2
    shift 2
    if [ ! -x "$simulator" ]; then
        echo "no simulator at $simulator (build the native preset first)" >&2
        return 1
    fi
    # A transmitter answers in time whatever else the machine does.
    "$simulator" --realtime --link "$dir/link" --log "$dir/requests.log" \
        --control "$dir/control" "$@" &
    QX7_SIM_PID=$!
    QX7_SIM_LINK="$dir/link"
    qx7_wait_for_simulator "$QX7_SIM_PID" "$QX7_SIM_LINK" || {
        echo "the simulator did not start" >&2
        return 1
    }
}

# Ends the simulator that qx7_start_simulator started, if it still runs.
qx7_stop_simulator() {
    if [ -n "${QX7_SIM_PID:-}" ] && kill -0 "$QX7_SIM_PID" 2>/dev/null; then
        kill "$QX7_SIM_PID" 2>/dev/null || true
        wait "$QX7_SIM_PID" 2>/dev/null || true
    fi
    QX7_SIM_PID=
}

# Makes COM7 of the Wine prefix $WINEPREFIX the simulator's pseudo-terminal; it takes effect
# at once. Usage: qx7_map_com7 LINK
qx7_map_com7() {
    ln -sfn "$(readlink -f "$1")" "$WINEPREFIX/dosdevices/com7"
}

# Prints what tells process PID apart from a later one with the same number: its start time
# in clock ticks since boot. Prints nothing when there is no such process.
qx7_process_start() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    # The command name may hold spaces; the fields after it are fixed.
    stat=${stat##*) }
    awk '{print $20}' <<<"$stat"
}

# True when process PID has ended: gone, or a child not yet waited for.
qx7_has_ended() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    stat=${stat##*) }
    [ "${stat:0:1}" = Z ]
}

# True when process PID is the one that started at START (see qx7_process_start): a pid file
# that outlived its process, or a reboot, never makes a script signal another process.
qx7_is_process() {
    local pid=$1 start=$2
    [ -n "$pid" ] && [ -n "$start" ] && [ "$(qx7_process_start "$pid")" = "$start" ]
}

# Runs COMMAND every 50 ms until it succeeds or SECONDS have passed.
# Usage: qx7_wait_for SECONDS COMMAND [ARGS...]
qx7_wait_for() {
    local limit=$1 tries
    shift
    tries=$((limit * 20))
    while [ "$tries" -gt 0 ]; do
        "$@" && return 0
        sleep 0.05
        tries=$((tries - 1))
    done
    return 1
}

# Waits until the simulator with process PID has made its pseudo-terminal link at LINK.
# Usage: qx7_wait_for_simulator PID LINK
qx7_wait_for_simulator() {
    local pid=$1 link=$2 tries=200
    while [ "$tries" -gt 0 ]; do
        [ -L "$link" ] && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.05
        tries=$((tries - 1))
    done
    return 1
}

# Without a slot from ctest (a plain "ctest -j" without the presets' slot list), the tests
# of a run share slot 0; they then take turns through a lock on it, held on descriptor 9 for
# as long as the calling script and what it runs live. Usage: qx7_take_slot SLOT_DIR
qx7_take_slot() {
    if [ -z "${CTEST_RESOURCE_GROUP_0_WINE:-}" ] && [ -z "${QX7_WINE_SLOT_TAKEN:-}" ]; then
        exec 9>"$1/.taken"
        flock 9
        export QX7_WINE_SLOT_TAKEN=1
    fi
}

# The folder of the Wine environment a test runs in, below the run's folder DIR: the slot that
# ctest gave the test (CTEST_RESOURCE_GROUP_0_WINE="id:N,slots:1"), or QX7_WINE_SLOT, or 0.
qx7_wine_slot_dir() {
    local dir=$1 slot=${QX7_WINE_SLOT:-0} group=${CTEST_RESOURCE_GROUP_0_WINE:-}
    if [[ "$group" =~ id:([0-9]+) ]]; then
        slot=${BASH_REMATCH[1]}
    fi
    echo "$dir/slot-$slot"
}
