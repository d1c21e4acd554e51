#!/usr/bin/env bash
# Lays the shipped 32-bit Zarvex.exe, as its release zip holds it (with ReadMe.txt and Version.ini),
# in C:\zarvex\product32 of the build's prefix, for the product32 tests. The prefix is a 64-bit one
# with its 32-bit side; where the kernel runs no 32-bit processes, they run under qemu-i386
# (tools/setup.sh registers it), some 50 s slower at every start.
#   tests/product32/place_shipped.sh <build folder> <Zarvex.exe>
set -euo pipefail
zarvex_build=$(realpath -m "${1:?build folder}")
exe=$(realpath "${2:?Zarvex.exe}")
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-env.sh"
if [ "$zarvex_run32" = none ]; then
  echo "place_shipped: this machine runs no 32-bit programs, natively or emulated; run tools/setup.sh as root" >&2
  exit 1
fi
zarvex_prefix_ready
# "PE" and the machine field of a PE file: 504500004c01 for 32-bit x86.
pe_machine() { od -An -tx1 -j "$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')" -N 6 "$1" | tr -d ' \n'; }
windows="$WINEPREFIX/drive_c/windows"
if [ ! -f "$windows/syswow64/kernel32.dll" ] && [ "$(pe_machine "$windows/system32/kernel32.dll")" != 504500004c01 ]; then
  echo "place_shipped: $WINEPREFIX has no 32-bit side" >&2
  exit 1
fi
if [ "$(pe_machine "$exe")" != 504500004c01 ]; then
  echo "place_shipped: $exe is not a 32-bit x86 program" >&2
  exit 1
fi
place="$WINEPREFIX/drive_c/zarvex/product32"
mkdir -p "$place"
cp "$exe" "$place/Zarvex.exe"
cp "$root/assets/ReadMe.txt" "$root/assets/Version.ini" "$place/"
echo "place_shipped: $exe in C:\\zarvex\\product32 ($zarvex_run32 32-bit programs)"
