#!/usr/bin/env bash
# Runs a Windows test program beside the transmitter simulator, whose pseudo-terminal is the
# Wine prefix's COM7 for as long as the program runs.
#   with-simulator.sh --wine DIR --simulator PATH [simulator options...] -- PROGRAM [ARGS...]
# The program runs in the Wine slot ctest gave it (see wine-env.sh). It finds
# QX7_TEST_PORT=COM7, and QX7_SIM_LOG and QX7_SIM_CONTROL as Windows paths
# (Z:\...) of the simulator's request log and control FIFO. Exits with the program's code.
set -euo pipefail

usage() {
    echo "usage: with-simulator.sh --wine DIR --simulator PATH [options...] -- PROGRAM [ARGS...]" >&2
    exit 2
}

wine_dir=
simulator=
options=()
while [ $# -gt 0 ]; do
    case "$1" in
        --wine) [ $# -ge 2 ] || usage; wine_dir=$2; shift 2 ;;
        --simulator) [ $# -ge 2 ] || usage; simulator=$2; shift 2 ;;
        --) shift; break ;;
        *) options+=("$1"); shift ;;
    esac
done
[ -n "$wine_dir" ] && [ -n "$simulator" ] && [ $# -ge 1 ] || usage
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"
slot=$(qx7_wine_slot_dir "$wine_dir")
if [ ! -f "$slot/env" ]; then
    echo "with-simulator: no Wine environment in $slot (run: scripts/wine-env.sh start $wine_dir)" >&2
    exit 1
fi
# shellcheck disable=SC1091
. "$slot/env"
qx7_take_slot "$slot"

# The directory's name must not be a Windows device name; "sim" is not.
work=$(mktemp -d "$slot/sim.XXXXXX")
cleanup() {
    qx7_stop_simulator
    rm -f "$WINEPREFIX/dosdevices/com7"
    rm -rf "$work"
}
trap cleanup EXIT

qx7_start_simulator "$simulator" "$work" ${options[@]+"${options[@]}"} || exit 1
qx7_map_com7 "$QX7_SIM_LINK"

windows_path() {
    printf 'Z:%s' "$1" | tr '/' '\\'
}
export QX7_TEST_PORT=COM7
QX7_SIM_LOG=$(windows_path "$work/requests.log")
QX7_SIM_CONTROL=$(windows_path "$work/control")
export QX7_SIM_LOG QX7_SIM_CONTROL

set +e
"$here/wine-run.sh" "$wine_dir" "$@"
code=$?
set -e
exit $code
