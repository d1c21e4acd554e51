#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zarvex and runs it under Wine from C:\Zarvex of a
# prefix of its own. Without a display it runs under Xvfb, saves a screenshot of the main
# window, prints the PNG's path and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then tools/setup.sh; else sudo tools/setup.sh; fi
source tools/wine-arch.sh
# Where Wine runs 64-bit programs only, the same sources run as a 64-bit build.
preset=mingw bin=build/bin
[ "$zarvex_wine_arch" = x86_64 ] && preset=mingw-x64 bin=build-x64/bin
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Zarvex zarvex-screenshot
export ZARVEX_WINEPREFIX=$PWD/${bin%/bin}/wineprefix-run
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
source tools/xvfb.sh
source tools/wine-env.sh
zarvex_prefix_ready
app="$WINEPREFIX/drive_c/Zarvex"
mkdir -p "$app"
cp "$bin/Zarvex.exe" "$bin/zarvex-screenshot.exe" "$app/"
cp assets/ReadMe.txt assets/Version.ini "$app/"
cd "$app"
if [ "$headless" -eq 0 ]; then
  exec wine 'C:\Zarvex\Zarvex.exe'
fi
cleanup() { wineserver -k 2>/dev/null || true; kill "$zarvex_xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
wine 'C:\Zarvex\Zarvex.exe' >/dev/null 2>&1 </dev/null &
shot="$(cd "$OLDPWD" && pwd)/build/zarvex-main-window.png"
rm -f "$app/main-window.png"
# Output to a file: Wine's background processes would hold a pipe open.
wine 'C:\Zarvex\zarvex-screenshot.exe' Zarvex 'C:\Zarvex\main-window.png' 120 >"$app/shot.log" 2>&1 </dev/null || true
if [ ! -f "$app/main-window.png" ]; then
  echo "no main window to capture:" >&2
  tr -d '\r' <"$app/shot.log" >&2
  exit 1
fi
cp "$app/main-window.png" "$shot"
echo "screenshot: $shot"
