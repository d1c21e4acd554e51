# Sourced: the project's own Wine prefix inside the build folder, quiet, without Mono or Gecko prompts.
# The prefix has no Z: drive, so nothing that runs in it can reach the Linux root.
# Caller sets zarvex_build (the build folder) first, or ZARVEX_WINEPREFIX.
zarvex_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${ZARVEX_WINEPREFIX:-${zarvex_build:-$zarvex_root/build}/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"  # no prompts, no menu entries in the Linux home

zarvex_prefix_ready() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.zarvex-ready" ]; then
      wineboot --init >/dev/null 2>&1 || true
      wineserver -w
      touch "$WINEPREFIX/.zarvex-ready"
    fi
    rm -f "$WINEPREFIX/dosdevices/z:"
    # Wine links Desktop, Documents... to the Linux home; give the prefix folders of its own.
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
      if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
    done
    mkdir -p "$WINEPREFIX/drive_c/zarvex/bin"
  ) 9>"$WINEPREFIX.lock"
}

# Copies the build's programs into C:\zarvex\bin, where they run.
zarvex_copy_bin() {
  local bindir=$1
  (
    flock 9
    cp -u "$bindir"/*.exe "$WINEPREFIX/drive_c/zarvex/bin/"
  ) 9>"$WINEPREFIX.lock"
}

# A session for a whole run: a display, the prefix, one wineserver kept alive throughout, and
# Wine's services started away from our pipes. Everything it started ends when the caller exits.
zarvex_session_start() {
  source "$zarvex_root/tools/xvfb.sh"
  zarvex_prefix_ready
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  trap 'wineserver -k 2>/dev/null || true; [ -n "${zarvex_xvfb_pid:-}" ] && kill "$zarvex_xvfb_pid" 2>/dev/null || true' EXIT
}
