#!/usr/bin/env bash
# The version that cmake/version.cmake gives a history: the VERSION file's base and the
# commit count before the first release tag, the tag alone on a tagged commit, the tag with
# count and hash after it, tags of another form ignored; without git the VERSION file's text,
# and no version at all from a VERSION file that holds none.
#   version_test.sh SOURCE_DIR
set -euo pipefail
script="$(cd "${1:?usage: version_test.sh SOURCE_DIR}" && pwd)/cmake/version.cmake"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
repo="$work/repo"
mkdir "$repo"

version_of() {
    cmake -DSOURCE_DIR="$1" -P "$script"
}
expect() {
    local what=$1 wanted=$2 got
    got=$(version_of "$3")
    if [ "$got" != "$wanted" ]; then
        echo "FAILED: $what: got \"$got\", wanted \"$wanted\"" >&2
        exit 1
    fi
    echo "$what: $got"
}
commit() {
    echo "$1" >>"$repo/file"
    git -C "$repo" add -A
    git -C "$repo" -c user.name=test -c user.email=test@example.com commit -q -m "$1"
}
hash() {
    git -C "$repo" rev-parse --short=7 HEAD
}

git -C "$repo" init -q
echo 2.3.4 >"$repo/VERSION"
commit one
commit two
commit three
expect "no release tag yet" "2.3.4-3-g$(hash)" "$repo"
git -C "$repo" tag v2.4.0
expect "a tagged commit" "2.4.0" "$repo"
commit four
commit five
git -C "$repo" tag nightly
git -C "$repo" tag v2.5.0-rc1
expect "two commits after the tag, other tags passed over" "2.4.0-2-g$(hash)" "$repo"

tarball="$work/tarball"
mkdir "$tarball"
echo 2.4.0-2-gabcdef1 >"$tarball/VERSION"
expect "without git" "2.4.0-2-gabcdef1" "$tarball"
echo "2.4" >"$tarball/VERSION"
if version_of "$tarball" >/dev/null 2>&1; then
    echo "FAILED: a VERSION file without MAJOR.MINOR.PATCH gave a version" >&2
    exit 1
fi
echo "without git, a VERSION file of another form gives no version"
