#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zarvex and its tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then tools/setup.sh; else sudo tools/setup.sh; fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw
zarvex_build=$PWD/build
source tools/wine-env.sh
zarvex_session_start
ctest --preset mingw "$@"
