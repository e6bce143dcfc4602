#!/usr/bin/env bash
# Runs a Windows program in its slot of the test run's Wine environments (see wine-env.sh).
#   wine-run.sh DIR PROGRAM [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"
dir=${1:?usage: wine-run.sh DIR PROGRAM [ARGS...]}
shift
slot=$(qx7_wine_slot_dir "$dir")
if [ ! -f "$slot/env" ]; then
    echo "wine-run: no Wine environment in $slot (run: scripts/wine-env.sh start $dir)" >&2
    exit 1
fi
# shellcheck disable=SC1091
. "$slot/env"
qx7_take_slot "$slot"
# The Czech locale gives the program the Windows-1250 code page of its texts. It is set for
# Wine alone (through env), as the Linux side may not have it generated.
exec env LC_ALL="${WINE_LOCALE:-cs_CZ.UTF-8}" "${WINE:-wine}" "$@"
