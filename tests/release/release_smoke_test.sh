#!/usr/bin/env bash
# The release as a technician meets it: the zip unpacked into a folder whose path has spaces
# and Czech letters, its SHA256SUMS checked, qx7ctl.exe asked for its version and for the
# settings of the transmitter on COM7, and qx7config.exe started against the simulator on
# COM7, showing live values, caught in a screenshot.
# The programs that run are the zip's own where this machine runs 32-bit Windows code under
# Wine; elsewhere they are the 64-bit build's of the same sources, copied into such a folder.
# The test says which, also in WORK_DIR/smoke-test.txt.
#   release_smoke_test.sh WINDOWS_BUILD OWN_BUILD WINE_DIR SIMULATOR WORK_DIR
# WINDOWS_BUILD: the 32-bit Windows build the zip is made of; OWN_BUILD: the build this test
# belongs to (its programs and its demo user, tests/app/demo/qx7_demo.exe).
set -euo pipefail
usage="usage: release_smoke_test.sh WINDOWS_BUILD OWN_BUILD WINE_DIR SIMULATOR WORK_DIR"
windows_build=$(cd "${1:?$usage}" && pwd)
own_build=$(cd "${2:?$usage}" && pwd)
wine_dir=${3:?$usage}
simulator=${4:?$usage}
work=${5:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=../../scripts/lib.sh
. "$root/scripts/lib.sh"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
version_of() {
    sed -n 's/^QX7_VERSION=//p' "$1/release.env"
}
# Little-endian 32-bit word at a byte offset of a file.
word_at() {
    od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '
}

mkdir -p "$work"
work=$(cd "$work" && pwd)
downloads="$work/Stažené soubory"
rm -rf "$downloads"

# The zip, as release.sh makes it, and what is in it.
version=$(version_of "$windows_build")
zip=$("$root/scripts/release.sh" --package "$windows_build" "$work/dist")
[ "$(basename "$zip")" = "qx7config-$version-win32.zip" ] || fail "the zip is named $(basename "$zip")"
entries=$(zipinfo -1 "$zip" | tr '\n' ' ')
[ "$entries" = "LICENSE README.txt SHA256SUMS qx7config.exe qx7ctl.exe " ] ||
    fail "the zip holds: $entries"
unpacked="$downloads/QX7 config č. 1"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
(cd "$unpacked" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not match the programs"

file -b "$unpacked/qx7config.exe" | grep -q '^PE32 executable (GUI) Intel 80386 (stripped' ||
    fail "qx7config.exe: $(file -b "$unpacked/qx7config.exe")"
file -b "$unpacked/qx7ctl.exe" | grep -q '^PE32 executable (console) Intel 80386 (stripped' ||
    fail "qx7ctl.exe: $(file -b "$unpacked/qx7ctl.exe")"
size=$(stat -c %s "$unpacked/qx7config.exe")
[ "$size" -lt 204800 ] || fail "qx7config.exe has $size bytes, not under 200 KB"
echo "qx7config.exe $size bytes, qx7ctl.exe $(stat -c %s "$unpacked/qx7ctl.exe") bytes"
for program in qx7config.exe qx7ctl.exe; do
    header=$(word_at "$unpacked/$program" 60)
    [ "$(word_at "$unpacked/$program" $((header + 8)))" = 0 ] || fail "$program carries a time stamp"
    for path in "$root" "$windows_build"; do
        ! grep -a -q -F "$path" "$unpacked/$program" || fail "$program names the build folder $path"
    done
done

# Texts for Notepad: every line ends with CR LF; README.txt is UTF-8 with its mark and names
# the version on its first line.
for text in README.txt LICENSE SHA256SUMS; do
    ! grep -q $'[^\r]$' "$unpacked/$text" || fail "$text has a line without CR LF"
done
[ "$(head -c 3 "$unpacked/README.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "README.txt does not start with the UTF-8 mark"
[ "$(head -n 1 "$unpacked/README.txt" | tail -c +4 | tr -d '\r')" = "QX7 config $version" ] ||
    fail "README.txt's first line is not \"QX7 config $version\""

# The programs to run.
if qx7_can_run_wine32; then
    run_dir=$unpacked
    ran="the zip's own 32-bit programs"
else
    run_dir="$downloads/QX7 config č. 1 (64 bitů)"
    mkdir -p "$run_dir"
    cp "$own_build/app/qx7config.exe" "$own_build/cli/qx7ctl.exe" "$run_dir/"
    version=$(version_of "$own_build")
    ran="the 64-bit build's programs (32-bit Windows code cannot run under this machine's Wine)"
fi
echo "release smoke test: ran $ran" | tee "$work/smoke-test.txt"

slot=$(qx7_wine_slot_dir "$wine_dir")
[ -f "$slot/env" ] || fail "no Wine environment in $slot"
# shellcheck disable=SC1091
. "$slot/env"
qx7_take_slot "$slot"
# Wine reads the names of Linux files in the character set of its locale. Where the Czech
# UTF-8 locale is not generated, Wine's set is ASCII and a path with Czech letters does not
# open; so the locale is made here, in a folder of our own that only Wine is pointed at.
locales="$work/locale"
if [ ! -f "$locales/$WINE_LOCALE/LC_CTYPE" ]; then
    mkdir -p "$locales"
    localedef -i "${WINE_LOCALE%%.*}" -f UTF-8 "$locales/$WINE_LOCALE" >/dev/null 2>&1 ||
        [ -f "$locales/$WINE_LOCALE/LC_CTYPE" ] || fail "could not make the locale $WINE_LOCALE"
fi
wine() {
    env LOCPATH="$locales" LC_ALL="$WINE_LOCALE" "$WINE" "$@"
}

# The directory's name must not be a Windows device name; "sim" is not.
sim=$(mktemp -d "$slot/sim.XXXXXX")
program_pid=''
cleanup() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    qx7_stop_simulator
    wine reg delete 'HKLM\Hardware\Devicemap\Serialcomm' /v Qx7Release /f >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX/dosdevices/com7"
    rm -rf "$sim"
}
trap cleanup EXIT
qx7_start_simulator "$simulator" "$sim" --set serial=52301 --set ph=4.01 || fail "the simulator did not start"
qx7_map_com7 "$QX7_SIM_LINK"

# qx7ctl.exe, started from its folder as a technician would.
cd "$run_dir"
wine "$run_dir/qx7ctl.exe" --version | tr -d '\r' >"$work/version.txt"
grep -q -F "$version" "$work/version.txt" || fail "qx7ctl.exe --version says: $(cat "$work/version.txt")"
echo "qx7ctl.exe --version: $(cat "$work/version.txt")"
wine "$run_dir/qx7ctl.exe" info COM7 | tr -d '\r' >"$work/info.txt" ||
    fail "qx7ctl.exe info COM7 failed: $(cat "$work/info.txt")"
if ! grep -q '^identity  *QX7$' "$work/info.txt" || ! grep -q '^serial number  *52301$' "$work/info.txt"; then
    fail "qx7ctl.exe info COM7 gave: $(cat "$work/info.txt")"
fi
echo "qx7ctl.exe info COM7 read the transmitter 52301"

# qx7config.exe: the demo user picks COM7 and checks "Číst"; a changed live value must show.
wine reg add 'HKLM\Hardware\Devicemap\Serialcomm' /v Qx7Release /d COM7 /f >/dev/null 2>&1
# Started directly, not through the function, so that its process id is the program's own.
env LOCPATH="$locales" LC_ALL="$WINE_LOCALE" "$WINE" "$run_dir/qx7config.exe" >"$work/qx7config.log" 2>&1 &
program_pid=$!
demo="$own_build/tests/app/demo/qx7_demo.exe"
# A Windows console program ends its lines with CR LF.
wine "$demo" show COM7 0 | tr -d '\r' >"$work/window.txt" || fail "the demo user could not connect: $(cat "$work/window.txt")"
grep -q '^  52301$' "$work/window.txt" || fail "the window shows no serial number 52301: $(cat "$work/window.txt")"
echo 'set resistance 111.67' >"$sim/control"
wine "$demo" wait 111.67 20 | tr -d '\r' >"$work/window.txt" || fail "no live resistance 111.67: $(cat "$work/window.txt")"
screenshot="$work/qx7config-release.png"
window=$(xwininfo -display "$DISPLAY" -name 'QX7 config' 2>/dev/null | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
import -display "$DISPLAY" -window "${window:-root}" "$screenshot"
echo "screenshot with live values: $screenshot"
wine "$demo" close >/dev/null || fail "the window did not close"
qx7_wait_for 20 qx7_has_ended "$program_pid" || fail "qx7config.exe did not end"
wait "$program_pid" || true
program_pid=
echo "release smoke test passed: $(basename "$zip")"
