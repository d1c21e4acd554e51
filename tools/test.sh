#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zarvex and its tests, and runs every test under Wine.
# Where the kernel cannot run 32-bit processes, Wine runs 64-bit programs only: the 32-bit
# product is still built and checked, and the tests run against a 64-bit build of the same sources.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then tools/setup.sh; else sudo tools/setup.sh; fi
source tools/wine-arch.sh
cmake --preset mingw >/dev/null
if [ "$zarvex_wine_arch" = i686 ]; then
  cmake --build --preset mingw
  preset=mingw
  zarvex_build=$PWD/build
else
  if [ "$zarvex_run32" = emulated ]; then
    echo "test: this kernel runs 32-bit processes only under emulation; testing a 64-bit build, and the 32-bit product in product32"
  else
    echo "test: this kernel runs no 32-bit processes; testing a 64-bit build beside the 32-bit product"
  fi
  cmake --build --preset mingw --target Zarvex zarvex-catalogue
  cmake --preset mingw-x64 >/dev/null
  cmake --build --preset mingw-x64
  preset=mingw-x64
  zarvex_build=$PWD/build-x64
fi
source tools/wine-env.sh
zarvex_session_start
ctest --preset "$preset" "$@"
