#!/usr/bin/env bash
# Benchmark, not a test: time from start to the visible main window under Wine, for Zarvex with
# the update server unresolvable, refusing, silent and dripping, against a bare Win32 window.
#   tools/bench-startup.sh <build folder> [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:?build folder}"); shift
cmake --build "$zarvex_build" --target zarvex-bench-startup -j2 >/dev/null
source tools/wine-env.sh
zarvex_session_start
tools/wine-run.sh "$zarvex_build/bin/zarvex-bench-startup.exe" "$@" | tr -d '\r'
