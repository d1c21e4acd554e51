#!/usr/bin/env bash
# For developers: configure and build into a folder of your own, then run tests there under Wine.
#   tools/dev-test.sh build-net -R net
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:?build folder}"); shift
cmake -S . -B "$zarvex_build" --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$zarvex_build" -j2
source tools/wine-env.sh
zarvex_session_start
ctest --test-dir "$zarvex_build" --output-on-failure "$@"
