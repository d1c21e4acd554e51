#!/usr/bin/env bash
# Test emulator: runs one of the build's programs under Wine from C:\zarvex\bin of the build's prefix.
set -euo pipefail
exe=$(realpath "$1"); shift
zarvex_build=$(dirname "$(dirname "$exe")")
source "$(dirname "$0")/wine-env.sh"
zarvex_prefix_ready
zarvex_copy_bin "$(dirname "$exe")"
cd "$WINEPREFIX/drive_c/zarvex/bin"
# Wine's own background processes inherit our output; give them a file, not the caller's pipe,
# or the caller would wait for them to end.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
set +e
wine "C:\\zarvex\\bin\\$(basename "$exe")" "$@" >"$out" 2>&1 </dev/null
rc=$?
set -e
cat "$out"
exit $rc
