#!/usr/bin/env bash
# Two builds of the same sources in two folders, at two times, give the same Windows programs
# and the same zip, byte for byte. The second build is made here, from a copy of the sources
# as they stand in the working tree (so it also holds for work not yet committed) in a folder
# whose path has spaces and Czech letters, without git: the VERSION file carries the first
# build's version and its time, as in a source tarball.
#   reproducible_test.sh [--when-asked] SOURCE_DIR WINDOWS_BUILD WORK_DIR
# WINDOWS_BUILD is the first build, a configured 32-bit Windows preset; its two programs are
# brought up to date first. Prints both zips' SHA-256. With --when-asked (the test command)
# it runs only when QX7_RELEASE_CHECK=1 and otherwise exits 77, a skip to ctest: the second
# build costs as much as the rest of the Windows suite.
set -euo pipefail
if [ "${1:-}" = --when-asked ]; then
    shift
    if [ "${QX7_RELEASE_CHECK:-0}" != 1 ]; then
        echo "two builds compared only when asked: QX7_RELEASE_CHECK=1 (or scripts/release.sh --check)"
        exit 77
    fi
fi
source_dir=$(cd "${1:?usage: reproducible_test.sh SOURCE_DIR WINDOWS_BUILD WORK_DIR}" && pwd)
first=$(cd "${2:?}" && pwd)
work=${3:?}
release="$source_dir/scripts/release.sh"

if ! cmake --build "$first" -j "$(nproc)" --target qx7config qx7ctl >/dev/null 2>&1; then
    echo "the first build's programs do not build in $first" >&2
    exit 1
fi
version=$(sed -n 's/^QX7_VERSION=//p' "$first/release.env")
epoch=$(sed -n 's/^SOURCE_DATE_EPOCH=//p' "$first/release.env")

rm -rf "$work"
copy="$work/zdroj druhého sestavení č. 2"
mkdir -p "$copy"
# The tracked and the new files as they are now; the build folders stay behind.
if [ -e "$source_dir/.git" ]; then
    git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do
            if [ -e "$source_dir/$file" ]; then printf '%s\0' "$file"; fi
        done |
        tar -C "$source_dir" --null -T - -cf - | tar -C "$copy" -xf -
else
    tar -C "$source_dir" --exclude=./build --exclude=./dist -cf - . | tar -C "$copy" -xf -
fi
echo "$version" >"$copy/VERSION"
touch -d "@$epoch" "$copy/VERSION"

began=$SECONDS
if ! (cd "$copy" && cmake --preset win32 &&
        cmake --build build/win32 -j "$(nproc)" --target qx7config qx7ctl) >"$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log" >&2
    echo "the second build failed (see $work/build.log)" >&2
    exit 1
fi
echo "second build: $((SECONDS - began)) s, version $(sed -n 's/^QX7_VERSION=//p' "$copy/build/win32/release.env")"

status=0
for program in app/qx7config.exe cli/qx7ctl.exe; do
    if cmp -s "$first/$program" "$copy/build/win32/$program"; then
        echo "same bytes: $program ($(stat -c %s "$first/$program") bytes)"
    else
        echo "DIFFERENT: $program; the first differing bytes (offset, first, second, octal):" >&2
        cmp -l "$first/$program" "$copy/build/win32/$program" | head -n 10 >&2 || true
        status=1
    fi
done

zip_first=$("$release" --package "$first" "$work/dist-first")
zip_second=$("$release" --package "$copy/build/win32" "$work/dist-second")
sum_first=$(sha256sum "$zip_first" | cut -d' ' -f1)
sum_second=$(sha256sum "$zip_second" | cut -d' ' -f1)
echo "zip of the first build:  $sum_first $(basename "$zip_first")"
echo "zip of the second build: $sum_second $(basename "$zip_second")"
if [ "$(basename "$zip_first")" != "$(basename "$zip_second")" ] || [ "$sum_first" != "$sum_second" ]; then
    echo "DIFFERENT: the two zips" >&2
    status=1
fi
[ "$status" -eq 0 ] && rm -rf "$work"
exit $status
