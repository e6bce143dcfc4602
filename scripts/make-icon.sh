#!/usr/bin/env bash
# Draws the program's icon (the letters pH in white on a teal rounded square) at 16, 32 and
# 48 pixels and writes resources/qx7config.ico. The letters are built from whole pixels of a
# 16-pixel grid, scaled by 2 and 3 for the larger sizes, so they stay sharp at every size and
# the output does not depend on the fonts installed.
#   make-icon.sh [OUTPUT.ico]
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-resources/qx7config.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fill='#00897B'
edge='#00594F'
ink='#FFFFFF'

# Rectangles of the letters on the 16-pixel grid: x0 y0 x1 y1, both corners inclusive.
letters=(
    "2 5 3 13"   # p: stem with descender
    "4 5 6 6"    # p: top of the bowl
    "4 9 6 10"   # p: bottom of the bowl
    "5 5 6 10"   # p: right side of the bowl
    "9 2 10 10"  # H: left stem
    "12 2 13 10" # H: right stem
    "11 5 11 6"  # H: bar
)

draw_size() {
    local scale=$1
    local size=$((16 * scale))
    local last=$((size - 1))
    local radius=$((3 * scale))
    local args=(-size "${size}x${size}" xc:none
        -fill "$fill" -stroke "$edge" -strokewidth 1
        -draw "roundrectangle 0.5,0.5 $((last)).5,$((last)).5 $radius,$radius"
        -stroke none -fill "$ink")
    local rect x0 y0 x1 y1
    for rect in "${letters[@]}"; do
        read -r x0 y0 x1 y1 <<< "$rect"
        args+=(-draw "rectangle $((x0 * scale)),$((y0 * scale)) $(((x1 + 1) * scale - 1)),$(((y1 + 1) * scale - 1))")
    done
    convert "${args[@]}" -define png:exclude-chunks=date,time "PNG32:$work/icon$size.png"
}

for scale in 1 2 3; do
    draw_size "$scale"
done
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" "$output"
echo "make-icon: wrote $output"
