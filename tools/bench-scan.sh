#!/usr/bin/env bash
# Benchmark, not a test: times whole scans through the main window under Wine, on a clean prefix
# and with all 33 products planted, and prints each against its floor (the scan's fixed waits:
# clean 500 ms; all 33 500 ms + 33 x 2000 ms) as a ratio. Targets: clean <= 1.1, all 33 <= 1.05.
#   tools/bench-scan.sh <build folder> [clean runs] [full runs]
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:?build folder}"); shift
cmake --build "$zarvex_build" --target zarvex-bench-scan -j2 >/dev/null
source tools/wine-env.sh
zarvex_session_start
tools/wine-run.sh "$zarvex_build/bin/zarvex-bench-scan.exe" "$@" | tr -d '\r'
