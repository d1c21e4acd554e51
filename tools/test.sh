#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zarvex and its tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then tools/setup.sh; else sudo tools/setup.sh; fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw
source tools/xvfb.sh
zarvex_build=$PWD/build
source tools/wine-env.sh
zarvex_prefix_ready
wineserver -p   # one wineserver for the whole run
wine cmd /c exit >/dev/null 2>&1 </dev/null || true  # start Wine's services away from our pipes
cleanup() { wineserver -k 2>/dev/null || true; [ -n "${zarvex_xvfb_pid:-}" ] && kill "$zarvex_xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
ctest --preset mingw "$@"
