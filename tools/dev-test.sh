#!/usr/bin/env bash
# For developers: configure and build into a folder of your own, then run tests there under Wine.
#   tools/dev-test.sh build-net -R net
# The build is 64-bit where Wine runs 64-bit programs only (see tools/wine-arch.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:?build folder}"); shift
source tools/wine-arch.sh
if grep -qs '^CMAKE_TOOLCHAIN_FILE' "$zarvex_build/CMakeCache.txt" &&
   ! grep -qs "^CMAKE_TOOLCHAIN_FILE.*mingw-$zarvex_wine_arch.cmake\$" "$zarvex_build/CMakeCache.txt"; then
  echo "dev-test: $zarvex_build was configured for another architecture; Wine here runs $zarvex_wine_arch" \
       "programs only (tools/wine-arch.sh). Use a new build folder." >&2
  exit 2
fi
cmake -S . -B "$zarvex_build" --toolchain "cmake/mingw-$zarvex_wine_arch.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$zarvex_build" -j2
source tools/wine-env.sh
zarvex_session_start
ctest --test-dir "$zarvex_build" --output-on-failure "$@"
