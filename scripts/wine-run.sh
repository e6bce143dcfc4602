#!/usr/bin/env bash
# Runs a Windows program in the test run's Wine environment (see wine-env.sh).
#   wine-run.sh DIR PROGRAM [ARGS...]
set -euo pipefail
dir=${1:?usage: wine-run.sh DIR PROGRAM [ARGS...]}
shift
if [ ! -f "$dir/env" ]; then
    echo "wine-run: no Wine environment in $dir (run: scripts/wine-env.sh start $dir)" >&2
    exit 1
fi
# shellcheck disable=SC1091
. "$dir/env"
exec wine "$@"
