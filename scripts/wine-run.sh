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
# The Czech locale gives the program the Windows-1250 code page of its texts. It is set for
# Wine alone (through env), as the Linux side may not have it generated.
exec env LC_ALL="${WINE_LOCALE:-cs_CZ.UTF-8}" "${WINE:-wine}" "$@"
