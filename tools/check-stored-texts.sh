#!/usr/bin/env bash
# Build check: runs the maintainers' dump of every stored text under Wine and fails when any
# of them can be read in plain in the program.
#   tools/check-stored-texts.sh build/bin/zarvex-catalogue.exe build/bin/Zarvex.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
catalogue=${1:?zarvex-catalogue.exe}
program=${2:?Zarvex.exe}
dump=$(mktemp)
trap 'rm -f "$dump"' EXIT
"$here/wine-run.sh" "$catalogue" >"$dump"
exec python3 "$here/check-stored-texts.py" "$dump" "$program"
