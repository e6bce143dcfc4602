#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine. Safe to run again: with nothing
# missing it only asks dpkg and returns. Only a required package that cannot be installed
# stops it; the 32-bit Wine, which only some machines can run, is tried at best.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

required=(
    cmake ninja-build ccache g++ clang libclang-rt-dev lld file
    googletest libgtest-dev libgmock-dev
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    binutils-mingw-w64-x86-64
    wine wine64 xvfb x11-utils imagemagick
    qemu-user g++-i686-linux-gnu
    zip unzip locales
    nlohmann-json3-dev libcli11-dev libssl-dev chromium poppler-utils
    libmosquitto-dev mosquitto mosquitto-clients
    clang-format
)
# Where a best-effort try of the 32-bit Wine failed, so later runs on this machine, fresh clones
# included, do not pay for it again; a day later it is tried again.
wine32_mark="${XDG_CACHE_HOME:-$HOME/.cache}/qx7/wine32-unavailable"

missing_of() {
    local p status
    for p in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)
        [ "$status" = "install ok installed" ] || echo "$p"
    done
}

mapfile -t missing < <(missing_of "${required[@]}")
want_wine32=0
if qx7_can_run_x86_32 && [ -z "$(find "$wine32_mark" -mmin -1440 2>/dev/null)" ] &&
    [ -n "$(missing_of wine32:i386)" ]; then
    want_wine32=1
fi
if [ "${#missing[@]}" -eq 0 ] && [ "$want_wine32" -eq 0 ]; then
    exit 0
fi

# Installing needs root, or sudo that does not ask (a script has nobody to answer it). Without
# either nothing is installed: what is required must then be there already.
sudo=
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null || ! sudo -n true 2>/dev/null; then
        if [ "${#missing[@]}" -gt 0 ]; then
            echo "setup: missing ${missing[*]}" >&2
            echo "setup: installing them needs root or sudo; as root: apt-get install ${missing[*]}" >&2
            exit 1
        fi
        exit 0
    fi
    sudo="sudo -n"
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs apt-get with ARGS, its output in $log. While another package manager (an unattended
# upgrade on a new machine, say) holds apt's or dpkg's lock, apt-get gives up at once; it is
# then run again every 5 s, for up to 5 minutes in all.
lock_wait=300
lock_said=0
lock_error='Could not get lock|Unable to acquire the dpkg frontend lock|Unable to lock (the )?directory'
apt_get() {
    local waited=0
    while true; do
        if $sudo apt-get "$@" >"$log" 2>&1; then
            return 0
        fi
        if ! is_lock_error || [ "$waited" -ge "$lock_wait" ]; then
            return 1
        fi
        if [ "$lock_said" -eq 0 ]; then
            echo "setup: another package manager holds the lock ($(grep -m1 -oE 'held by process [0-9]+( \([^)]*\))?' "$log" || echo 'apt or dpkg')); waiting up to $((lock_wait / 60)) minutes" >&2
            lock_said=1
        fi
        sleep 5
        waited=$((waited + 5))
    done
}

# True when the last apt-get failed on a lock, not on a package.
is_lock_error() {
    grep -qE "$lock_error" "$log"
}

# A mirror in the middle of a sync fails one index now and then; the others are still
# updated, so after a few tries we go on and let the install decide.
# Only a required package is worth the retries; the optional 32-bit Wine gets one try.
update() {
    local try tries=1
    [ "${#missing[@]}" -eq 0 ] || tries=3
    for try in $(seq "$tries"); do
        if apt_get update -qq; then
            return 0
        fi
        is_lock_error && break
        [ "$try" -lt "$tries" ] && sleep 5
    done
    echo "setup: apt-get update reported errors; going on with the indexes it has:" >&2
    grep -E '^(E|W):' "$log" | head -5 | sed 's/^/setup:   /' >&2
}

apt_install() {
    apt_get install -y -qq --no-install-recommends "$@"
}

if [ "$want_wine32" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
update

if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup: installing ${missing[*]}" >&2
    if ! apt_install "${missing[@]}"; then
        if is_lock_error; then
            echo "setup: the package lock was not released within $((lock_wait / 60)) minutes:" >&2
            grep -m1 -E "$lock_error" "$log" | sed 's/^/setup:   /' >&2
            exit 1
        fi
        # Name the packages that cannot be installed, each with apt's own words.
        failed=0
        for p in "${missing[@]}"; do
            if ! apt_install "$p"; then
                echo "setup: cannot install $p:" >&2
                grep -E '^E:|^ ' "$log" | head -8 | sed 's/^/setup:   /' >&2
                failed=1
            fi
        done
        [ "$failed" -eq 0 ] || exit 1
    fi
fi

if [ "$want_wine32" -eq 1 ]; then
    if apt_install wine32:i386; then
        echo "setup: installed wine32:i386, so the Windows tests also run on the 32-bit program" >&2
    elif is_lock_error; then
        # Not a verdict on the package: the next run tries again.
        echo "setup: wine32:i386 not tried, the package lock stayed taken; going on with the 64-bit Wine" >&2
    else
        mkdir -p "$(dirname "$wine32_mark")"
        grep -m1 '^E:' "$log" >"$wine32_mark"
        echo "setup: wine32:i386 could not be installed ($(cat "$wine32_mark")); going on with the 64-bit Wine" >&2
    fi
fi
exit 0
