#!/usr/bin/env bash
# Zarvex.exe must be a 32-bit GUI program (PE32, Windows subsystem) that imports Windows DLLs only,
# and whose every call into a DLL goes through a slot that something fills.
# A 64-bit test build checks its own exe as PE32+.
#   tools/check-imports.sh build/bin/Zarvex.exe [PE32|PE32+]
set -euo pipefail
exe=$1
kind=${2:-PE32}
dump=$(x86_64-w64-mingw32-objdump -p "$exe" 2>/dev/null || i686-w64-mingw32-objdump -p "$exe")
magic=010b
[ "$kind" = PE32+ ] && magic=020b
grep -q "^Magic[[:space:]]*$magic" <<<"$dump" || { echo "not $kind"; exit 1; }
grep -q '^Subsystem[[:space:]]*00000002' <<<"$dump" || { echo "not a Windows-subsystem program"; exit 1; }
allowed='^(KERNEL32|USER32|GDI32|COMCTL32|SHELL32|OLE32|ADVAPI32|WININET|MSVCRT)\.DLL$'
status=0
while read -r dll; do
  if ! grep -qiE "$allowed" <<<"$dll"; then echo "imports $dll"; status=1; fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
# The shell, COM and the Internet library are delay-loaded by name: a 32-bit import name that
# kept its stdcall decoration (Name@N) would not be found when first used.
if [ "$kind" = PE32 ]; then
  decorated=$(strings -n 6 "$exe" | grep -E '^[A-Za-z_][A-Za-z0-9_]*@[0-9]+$' || true)
  if [ -n "$decorated" ]; then echo "decorated import names: $decorated"; status=1; fi
fi
# A name in the import tables is not yet a working call: every slot the code calls through must be
# one the loader fills or one that holds its own delay-load thunk.
python3 "$(dirname "$0")/check-import-slots.py" "$exe" || status=1
exit $status
