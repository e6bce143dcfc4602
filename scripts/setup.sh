#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine. Safe to run again: with nothing
# missing it only asks dpkg and returns. Only a required package that cannot be installed
# stops it; the 32-bit Wine, which only some machines can run, is tried at best.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

required=(
    cmake ninja-build g++ clang libclang-rt-dev file
    googletest libgtest-dev libgmock-dev
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    binutils-mingw-w64-x86-64
    wine wine64 xvfb x11-utils imagemagick
    qemu-user g++-i686-linux-gnu
    zip unzip locales
    nlohmann-json3-dev libcli11-dev
    clang-format
)
# Where a best-effort try of the 32-bit Wine failed, so later runs do not pay for it again.
wine32_mark="$here/../build/setup/wine32-unavailable"

missing_of() {
    local p status
    for p in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)
        [ "$status" = "install ok installed" ] || echo "$p"
    done
}

mapfile -t missing < <(missing_of "${required[@]}")
want_wine32=0
if qx7_can_run_x86_32 && [ ! -f "$wine32_mark" ] && [ -n "$(missing_of wine32:i386)" ]; then
    want_wine32=1
fi
if [ "${#missing[@]}" -eq 0 ] && [ "$want_wine32" -eq 0 ]; then
    exit 0
fi

sudo=
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: installing packages needs root or sudo" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# A mirror in the middle of a sync fails one index now and then; the others are still
# updated, so after a few tries we go on and let the install decide.
# Only a required package is worth the retries; the optional 32-bit Wine gets one try.
update() {
    local try tries=1
    [ "${#missing[@]}" -eq 0 ] || tries=3
    for try in $(seq "$tries"); do
        if $sudo apt-get update -qq >"$log" 2>&1; then
            return 0
        fi
        [ "$try" -lt "$tries" ] && sleep 5
    done
    echo "setup: apt-get update reported errors; going on with the indexes it has:" >&2
    grep -E '^(E|W):' "$log" | head -5 | sed 's/^/setup:   /' >&2
}

install() {
    $sudo apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1
}

if [ "$want_wine32" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
update

if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup: installing ${missing[*]}" >&2
    if ! install "${missing[@]}"; then
        # Name the packages that cannot be installed, each with apt's own words.
        failed=0
        for p in "${missing[@]}"; do
            if ! install "$p"; then
                echo "setup: cannot install $p:" >&2
                grep -E '^E:|^ ' "$log" | head -8 | sed 's/^/setup:   /' >&2
                failed=1
            fi
        done
        [ "$failed" -eq 0 ] || exit 1
    fi
fi

if [ "$want_wine32" -eq 1 ]; then
    if install wine32:i386; then
        echo "setup: installed wine32:i386, so the Windows tests also run on the 32-bit program" >&2
    else
        mkdir -p "$(dirname "$wine32_mark")"
        grep -m1 '^E:' "$log" >"$wine32_mark"
        echo "setup: wine32:i386 could not be installed ($(cat "$wine32_mark")); going on with the 64-bit Wine" >&2
    fi
fi
exit 0
