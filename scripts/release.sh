#!/usr/bin/env bash
# Builds what a technician downloads, from the checked-out commit:
#   dist/qx7config-VERSION-win32.zip          qx7config.exe and qx7ctl.exe (PE32, stripped),
#                                             README.txt, LICENSE, SHA256SUMS
#   dist/qx7ctl-VERSION-linux-x86_64.tar.gz   qx7ctl and qx7sim, statically linked, LICENSE
# The version comes from git (cmake/version.cmake). Two runs on one commit give the same
# bytes, wherever the checkout lies and whenever it runs: the programs carry no time stamp
# and no build path, and the archives' entries carry the commit's time, in name order, with
# fixed permissions.
#   scripts/release.sh [--check]
#       --check: then build the Windows programs a second time, in another folder, from the
#       sources without git, and compare programs and zip byte for byte
#   scripts/release.sh --package WINDOWS_BUILD OUT_DIR
#       only package the programs of an existing 32-bit Windows build into OUT_DIR (tests)
# Prints the path and SHA-256 of each archive.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

fail() {
    echo "release: $*" >&2
    exit 1
}

# Reads QX7_VERSION and SOURCE_DATE_EPOCH from what the build's configuration wrote.
read_release_env() {
    local build=$1
    [ -f "$build/release.env" ] || fail "$build has no release.env (configure it first)"
    QX7_VERSION=$(sed -n 's/^QX7_VERSION=//p' "$build/release.env")
    SOURCE_DATE_EPOCH=$(sed -n 's/^SOURCE_DATE_EPOCH=//p' "$build/release.env")
    [ -n "$QX7_VERSION" ] || fail "$build/release.env names no version"
    [[ "$SOURCE_DATE_EPOCH" =~ ^[0-9]+$ ]] || fail "$build/release.env names no source time"
}

# Text for Notepad: CR LF line ends; with BOM set, a UTF-8 byte order mark first.
to_windows_text() {
    local bom=$1
    [ "$bom" = bom ] && printf '\357\273\277'
    sed 's/\r$//; s/$/\r/'
}

# Gives the staged files the commit's time and fixed permissions.
settle() {
    local dir=$1
    find "$dir" -type d -exec chmod 0755 {} +
    find "$dir" -type f -exec chmod 0644 {} +
    find "$dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

package_windows() {
    local build=$1 out=$2 stage zip program
    read_release_env "$build"
    for program in app/qx7config.exe cli/qx7ctl.exe; do
        [ -f "$build/$program" ] || fail "$build/$program is not built"
        file -b "$build/$program" | grep -q '^PE32 executable.*Intel 80386' ||
            fail "$build/$program is not a 32-bit Windows program"
    done
    mkdir -p "$out"
    out=$(cd "$out" && pwd)
    stage=$(mktemp -d "$out/.stage.XXXXXX")
    cp "$build/app/qx7config.exe" "$build/cli/qx7ctl.exe" "$stage/"
    sed "s/@QX7_VERSION@/$QX7_VERSION/g" "$root/release/README.txt" | to_windows_text bom >"$stage/README.txt"
    to_windows_text plain <"$root/LICENSE" >"$stage/LICENSE"
    (cd "$stage" && sha256sum qx7config.exe qx7ctl.exe) | to_windows_text plain >"$stage/SHA256SUMS"
    settle "$stage"
    zip="$out/qx7config-$QX7_VERSION-win32.zip"
    # zip adds to an archive that exists; the archive is made anew. DOS times are local
    # times, so the zone is fixed; -X leaves out owner ids and extra time fields.
    rm -f "$zip"
    (cd "$stage" && LC_ALL=C TZ=UTC zip -q -X -D -9 "$zip" \
        LICENSE README.txt SHA256SUMS qx7config.exe qx7ctl.exe)
    rm -rf "$stage"
    echo "$zip"
}

package_linux() {
    local build=$1 out=$2 stage name tarball
    read_release_env "$build"
    name="qx7ctl-$QX7_VERSION-linux-x86_64"
    mkdir -p "$out"
    out=$(cd "$out" && pwd)
    stage=$(mktemp -d "$out/.stage.XXXXXX")
    mkdir "$stage/$name"
    cp "$build/cli/qx7ctl" "$build/tools/qx7sim" "$root/LICENSE" "$stage/$name/"
    settle "$stage"
    chmod 0755 "$stage/$name/qx7ctl" "$stage/$name/qx7sim"
    tarball="$out/$name.tar.gz"
    tar -C "$stage" --sort=name --format=gnu --owner=0 --group=0 --numeric-owner \
        --mtime="@$SOURCE_DATE_EPOCH" -cf - "$name" | gzip -9 -n >"$tarball"
    rm -rf "$stage"
    echo "$tarball"
}

# Configures (afresh) and builds the named targets of a build folder.
#   build DIR LOG "TARGET..." CONFIGURE_ARGUMENTS...
build() {
    local dir=$1 log=$2 targets
    read -ra targets <<<"$3"
    shift 3
    rm -rf "$dir"
    if ! { cmake "$@" -B "$dir" && cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"; } >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        fail "the build in $dir failed (see $log)"
    fi
}

if [ "${1:-}" = "--package" ]; then
    [ $# -eq 3 ] || fail "usage: release.sh --package WINDOWS_BUILD OUT_DIR"
    package_windows "$2" "$3"
    exit 0
fi
check=0
case "${1:-}" in
    --check) check=1 ;;
    "") ;;
    *) fail "usage: release.sh [--check] | release.sh --package WINDOWS_BUILD OUT_DIR" ;;
esac

cd "$root"
scripts/setup.sh
if [ -e .git ] && ! git diff --quiet HEAD -- 2>/dev/null; then
    fail "the checkout has changes that are not committed; a release is built from a commit"
fi
work="$root/build/release"
mkdir -p "$work"
began=$SECONDS
echo "release: building the Windows programs in $work/win32"
build "$work/win32" "$work/win32.log" "qx7config qx7ctl" --preset win32
echo "release: building the Linux programs in $work/linux"
build "$work/linux" "$work/linux.log" "qx7ctl qx7sim" -S "$root" -G Ninja \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_CXX_COMPILER=g++ -DQX7_SANITIZE=OFF \
    "-DCMAKE_EXE_LINKER_FLAGS=-static -s"
zip=$(package_windows "$work/win32" "$root/dist")
tarball=$(package_linux "$work/linux" "$root/dist")
echo "release: built in $((SECONDS - began)) s"
if [ "$check" -eq 1 ]; then
    "$root/tests/release/reproducible_test.sh" "$root" "$work/win32" "$work/check"
fi
for archive in "$zip" "$tarball"; do
    echo "release: $archive"
    echo "release:   sha256 $(sha256sum "$archive" | cut -d' ' -f1), $(stat -c %s "$archive") bytes"
done
