#!/usr/bin/env bash
# Checks that every tracked C and C++ source is laid out as .clang-format says; changes nothing.
# Exits 77 (a skip to ctest) where there is nothing to check against: outside a git checkout,
# or without clang-format.
#   check-format.sh [CLANG_FORMAT]
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${1:-clang-format}
if ! command -v "$clang_format" >/dev/null 2>&1; then
    echo "check-format: $clang_format is not installed; nothing checked"
    exit 77
fi
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "check-format: not a git checkout, so no list of tracked sources; nothing checked"
    exit 77
fi
git ls-files -z -- '*.cpp' '*.h' | xargs -0 --no-run-if-empty "$clang_format" --dry-run -Werror
