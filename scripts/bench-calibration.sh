#!/usr/bin/env bash
# Measures the guided calibration against the window program's fixed 36 samples started at
# immersion: the time and the error of each point, and the slope and offset either gives, on
# the simulator's settling model over many seeds; then one whole qx7ctl calibrate against
# qx7sim (clock 20 times faster) with its written values against the truth.
# Prints figures; asserts nothing.
#   bench-calibration.sh [NATIVE_BUILD_DIR] [RUNS] [TAU] [SIGMA]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
build=${1:-$root/build/native}
runs=${2:-20}
tau=${3:-8}
sigma=${4:-0.1}
cmake --build "$build" -j2 --target qx7sim qx7ctl qx7-calibration-bench >/dev/null

echo "== on the model"
"$build/tools/qx7-calibration-bench" "$runs" "$tau" "$sigma"

tmp=$(mktemp -d)
cleanup() {
    qx7_stop_simulator
    rm -rf "$tmp"
}
trap cleanup EXIT
scale=20
in_401=$(awk 'BEGIN { printf "%.4f", 4 - 56.8 * (4.0096 - 7) }')
echo
echo "== qx7ctl calibrate against qx7sim, normal stability, pH 7.00 then pH 4.01"
qx7_start_simulator "$build/tools/qx7sim" "$tmp" --set voltage="$in_401" \
    --settle "tau $tau noise $sigma scale $scale" || exit 1
{
    echo 'set voltage 4' >"$tmp/control"
    echo
    # The second point's prompt comes when the first is accepted.
    while ! grep -q 'pH 4.01 buffer' "$tmp/err" 2>/dev/null; do sleep 0.05; done
    echo "set voltage $in_401" >"$tmp/control"
    echo
} | "$build/cli/qx7ctl" calibrate "$QX7_SIM_LINK" --buffers 7.00,4.01 --yes --json \
    --time-scale "$scale" >"$tmp/report.json" 2>"$tmp/err"
python3 - "$tmp/report.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))
for i, p in enumerate(r["points"], 1):
    print(f"point {i}: stable after {p['stable_after_s']:.0f} s, {p['voltage']:.3f} mV")
left = r["as_left"]
print(f"written slope {left['sensitivity']:.3f} mV/pH (truth -56.8, "
      f"{left['sensitivity'] + 56.8:+.3f}), offset {left['offset']:.3f} mV (truth +4, "
      f"{left['offset'] - 4:+.3f})")
PY
