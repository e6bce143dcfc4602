#!/usr/bin/env bash
# qx7ctl.exe reading a transmitter through the Win32 serial port reports exactly what the
# native qx7ctl reports through the POSIX port, for two simulators with the same settings.
#   qx7ctl_wine_test.sh QX7SIM NATIVE_QX7CTL WINE_DIR QX7CTL_EXE
set -euo pipefail
simulator=${1:?}
native=${2:?}
wine_dir=${3:?}
exe=${4:?}
here=$(cd "$(dirname "$0")" && pwd)
scripts="$here/../../scripts"

settings=(--set serial=4711 --set firmware=0x0210 --set input_damping=12 --set range_max=12.5
          --set offset=-18 --set sensitivity=-53 --set date=20250101 --set c2=0.002)
report=(info --json --today 2025-03-01)

# shellcheck source=../../scripts/lib.sh
. "$scripts/lib.sh"
work=$(mktemp -d)
com8=
cleanup() {
    qx7_stop_simulator
    if [ -n "$com8" ]; then rm -f "$com8"; fi
    rm -rf "$work"
}
trap cleanup EXIT

qx7_start_simulator "$simulator" "$work" "${settings[@]}" || exit 1
"$native" "${report[0]}" "$work/link" "${report[@]:1}" > "$work/native.json"

"$scripts/with-simulator.sh" --wine "$wine_dir" --simulator "$simulator" "${settings[@]}" \
    -- "$exe" "${report[0]}" COM7 "${report[@]:1}" > "$work/wine.json"
# A Windows console program ends its lines with CR LF; the time of reading differs by nature.
tr -d '\r' < "$work/wine.json" | grep -v '"read_at"' > "$work/wine-lf.json"
grep -v '"read_at"' "$work/native.json" > "$work/native-lf.json"

if ! diff -u "$work/native-lf.json" "$work/wine-lf.json"; then
    echo "qx7ctl.exe and the native qx7ctl disagree" >&2
    exit 1
fi
grep -q '"slope_rating": "check"' "$work/native.json"
grep -q '"sensor": "unknown"' "$work/native.json"
echo "qx7ctl.exe info COM7 --json gives the native report"

# Records that qx7ctl.exe chains with Windows' own SHA-256 check out with OpenSSL's.
mkdir -p "$work/records"
windows_records="Z:$(printf '%s' "$work/records" | tr / '\\')"
for change in "offset -17" "sensitivity -54"; do
    # shellcheck disable=SC2086
    QX7_RECORDS="$windows_records" "$scripts/with-simulator.sh" --wine "$wine_dir" \
        --simulator "$simulator" "${settings[@]}" -- "$exe" set COM7 $change > /dev/null
done
"$native" history 4711 --records "$work/records" --verify > "$work/history.txt"
grep -q "chain intact: 2 lines" "$work/history.txt" || { cat "$work/history.txt" >&2; exit 1; }
echo "qx7ctl.exe keeps records whose chain the native qx7ctl verifies"

# Two transmitters watched at once through two Win32 ports: the simulator started above is
# COM8 beside with-simulator's COM7, and one CSV and one Prometheus file take both.
# shellcheck disable=SC1091
. "$(qx7_wine_slot_dir "$wine_dir")/env"
com8="$WINEPREFIX/dosdevices/com8"
ln -sfn "$(readlink -f "$work/link")" "$com8"
windows_work="Z:$(printf '%s' "$work" | tr / '\\')"
"$scripts/with-simulator.sh" --wine "$wine_dir" --simulator "$simulator" "${settings[@]}" \
    --set serial=4712 -- "$exe" watch COM7 COM8 --count 3 --interval 0.2 \
    --csv "$windows_work\\both.csv" --prom "$windows_work\\qx7.prom" > /dev/null
for serial in 4711 4712; do
    rows=$(grep -c "^20[0-9T:.-]*Z,$serial," "$work/both.csv" || true)
    [ "$rows" -eq 3 ] || { echo "$rows rows of $serial, not 3" >&2; cat "$work/both.csv" >&2; exit 1; }
    grep -q "^qx7_polls_total{serial=\"$serial\",port=\"COM[78]\"} 3$" "$work/qx7.prom" || {
        cat "$work/qx7.prom" >&2
        exit 1
    }
done
echo "qx7ctl.exe watch COM7 COM8 polls both into one CSV and one Prometheus file"
