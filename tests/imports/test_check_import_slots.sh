#!/usr/bin/env bash
# The import-slot check against a small 32-bit program that calls one delay-loaded function
# through its dllimport slot: linked with dlltool's delay-import library as it comes, the slot is
# left 0 and the check fails; with the library as cmake/delay_load.cmake mends it, the slot holds
# its load thunk and the check passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cat > call.c <<'C'
#include <windows.h>
#include <shellapi.h>
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) {
    int count = 0;
    return CommandLineToArgvW(GetCommandLineW(), &count) ? count : -1;
}
C
printf 'LIBRARY SHELL32.dll\nEXPORTS\nCommandLineToArgvW@8\n' > shell32.def
i686-w64-mingw32-dlltool --kill-at --input-def shell32.def --dllname shell32.dll --output-delaylib as-made.a
i686-w64-mingw32-objcopy --rename-section '.text=.text$zdl,contents,alloc,load,readonly,data' as-made.a mended.a
i686-w64-mingw32-gcc -O2 -mwindows call.c as-made.a -o as-made.exe
i686-w64-mingw32-gcc -O2 -mwindows call.c mended.a -o mended.exe
status=0
if python3 "$root/tools/check-import-slots.py" as-made.exe >/dev/null; then
  echo "the check passed a program whose delay slot holds 0"; status=1
fi
if ! python3 "$root/tools/check-import-slots.py" mended.exe; then
  echo "the check failed a program whose delay slot holds its load thunk"; status=1
fi
exit $status
