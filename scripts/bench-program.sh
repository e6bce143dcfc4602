#!/usr/bin/env bash
# Figures of the program against the simulator at 9600 baud (not assertions):
#  - the time from choosing the port to the end of the first poll, against the wire time of
#    the frames of that exchange (identity, the 13 reads, one poll: 212 bytes, about 221 ms);
#  - one poll of the five live values, against its wire time (55 bytes, about 57.3 ms);
#  - the processor time of the idle program (no port chosen) over 10 s;
#  - with the reading on, the longest time the window leaves a message unanswered and its
#    processor time over 10 s, against a silent transmitter, against replies late by 450 to
#    499 ms, and on a line that has hung up (the simulator gone);
#  - the size of the program file.
# Uses the Windows build that can run here (win32 where 32-bit code runs, else win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# shellcheck source=lib.sh
. scripts/lib.sh
if qx7_can_run_wine32; then arch=win32; else arch=win64; fi
native=${QX7_NATIVE_BUILD:-build/native}
windows=${QX7_WINDOWS_BUILD:-build/$arch}
for target in "$native/tools/qx7sim" "$windows/app/qx7config.exe" "$windows/tests/app/demo/qx7_demo.exe"; do
    [ -e "$target" ] || { echo "bench-program: $target is missing (run scripts/test.sh)" >&2; exit 1; }
done

dir="$root/build/bench-program"
work=$(mktemp -d)
cleanup() {
    qx7_stop_simulator
    scripts/wine-env.sh stop "$dir" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
scripts/wine-env.sh start "$dir" "$arch" >/dev/null
# The environment is this script's alone, so its programs need not take turns in it.
export QX7_WINE_SLOT_TAKEN=1
# shellcheck disable=SC1091
. "$dir/slot-0/env"
run() { scripts/wine-run.sh "$dir" "$@"; }

qx7_start_simulator "$native/tools/qx7sim" "$work" --pace || exit 1
qx7_map_com7 "$QX7_SIM_LINK"
"$WINE" reg add 'HKLM\Hardware\Devicemap\Serialcomm' /v Bench /d COM7 /f >/dev/null 2>&1

# The idle program: started, nothing chosen, its processor time read from the kernel.
# wine-run.sh and the Wine loader exec one another, so the process started here is the program
# (started directly: a shell function in the background would be a subshell of its own).
scripts/wine-run.sh "$dir" "$windows/app/qx7config.exe" >/dev/null 2>&1 &
pid=$!
sleep 4
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
echo "measured process: $(tr '\0' ' ' <"/proc/$pid/cmdline" | cut -c1-80)"
before=$(ticks "$pid")
sleep 10
after=$(ticks "$pid")
hz=$(getconf CLK_TCK)
echo "idle processor time over 10 s: $(( (after - before) * 1000 / hz )) ms"

# Choosing the port: the demo user picks COM7 and checks the reading.
run "$windows/tests/app/demo/qx7_demo.exe" show COM7 2 >/dev/null 2>&1
awk '
    # Arrival times are taken when the last byte of a request would have crossed the wire.
    $2 == "01" && $3 == "21" && start == "" { start = $1 - 4 * 1.0417 }
    $2 == "01" && $3 == "2A" && end == "" { end = $1 + 7 * 1.0417 }
    END {
        wire = 212 * 10 / 9.6
        printf "port chosen to first poll done: %.1f ms (wire time %.1f ms, %+.1f %%)\n",
               end - start, wire, 100 * (end - start - wire) / wire
    }' "$work/requests.log"
awk '
    # Each poll from its first request leaving to the end of the last reply, as above.
    $2 == "01" && $3 == "26" { first = $1 - 4 * 1.0417 }
    $2 == "01" && $3 == "2A" && first != "" { polls[n++] = $1 + 7 * 1.0417 - first; first = "" }
    END {
        if (n == 0) { print "no whole poll logged"; exit }
        for (i = 0; i < n; i++) for (j = i + 1; j < n; j++) if (polls[j] < polls[i]) {
            t = polls[i]; polls[i] = polls[j]; polls[j] = t }
        wire = 55 * 10 / 9.6
        median = polls[int(n / 2)]
        printf "one poll (median of %d): %.1f ms (wire time %.1f ms, %+.1f %%)\n",
               n, median, wire, 100 * (median - wire) / wire
    }' "$work/requests.log"

# The reading goes on while the transmitter misbehaves; the log's times have 1 ms steps.
control() { echo "$1" >"$work/control"; }
busy() {
    local before after
    before=$(ticks "$pid")
    sleep 10
    after=$(ticks "$pid")
    echo "$1: processor time over 10 s: $(( (after - before) * 1000 / hz )) ms"
}
gap() {
    echo "$1: $(run "$windows/tests/app/demo/qx7_demo.exe" gap 10 2>&1 | tr -d '\r')"
}
control "fault silent"
sleep 3
busy "silent transmitter"
gap "silent transmitter"
control "clear"
control "fault late 450-499 on 38,39,40,41,42"
gap "every live value late by 450-499 ms"
control "clear"
control "fault late 450-499 on 39"
gap "the temperature late by 450-499 ms"
control "clear"
qx7_stop_simulator
sleep 3
busy "hung-up line"
gap "hung-up line"
run "$windows/tests/app/demo/qx7_demo.exe" close >/dev/null 2>&1 || true
echo "program file: $(stat -c %s "$windows/app/qx7config.exe") bytes ($arch)"
[ "$arch" = win32 ] || echo "32-bit program file: $(stat -c %s build/win32/app/qx7config.exe 2>/dev/null || echo '?') bytes"
