#!/usr/bin/env bash
# Benchmark, not a test: with all 33 products planted, times a detect-only run of Zarvex.exe
# against a removal run, from process start to end, and prints the ratio. Targets: detect-only
# under 1000 ms and at most 0.02 of the removal.
#   tools/bench-detect.sh <build folder> [detect runs] [removal runs]
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:?build folder}"); shift
cmake --build "$zarvex_build" --target zarvex-bench-detect -j2 >/dev/null
source tools/wine-env.sh
zarvex_session_start
tools/wine-run.sh "$zarvex_build/bin/zarvex-bench-detect.exe" "$@" | tr -d '\r'
