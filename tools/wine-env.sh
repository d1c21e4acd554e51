# Sourced: the project's own Wine prefix inside the build folder, quiet, without Mono or Gecko prompts.
# The prefix has no Z: drive, so nothing that runs in it can reach the Linux root.
# Caller sets zarvex_build (the build folder) first, or ZARVEX_WINEPREFIX.
zarvex_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$zarvex_root/tools/wine-arch.sh"
if [ "$zarvex_wine_arch" = x86_64 ]; then
  # Debian's wine wrappers start the 32-bit loader, which this kernel cannot run: give them the
  # 64-bit one.
  zarvex_wine_shims="$zarvex_root/tools/wine64-shims"
  case ":$PATH:" in *":$zarvex_wine_shims:"*) ;; *) export PATH="$zarvex_wine_shims:$PATH" ;; esac
  export WINELOADER=/usr/lib/wine/wine64
fi
export WINEPREFIX="${ZARVEX_WINEPREFIX:-${zarvex_build:-$zarvex_root/build}/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"  # no prompts, no menu entries in the Linux home
# A home of Wine's own beside the prefix: Wine's Recycle Bin is HOME's trash, and emptying it must
# never reach the Linux user's.
export HOME="$(dirname "$WINEPREFIX")/wine-home"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME
mkdir -p "$HOME/.local/share/Trash/files" "$HOME/.local/share/Trash/info"

zarvex_prefix_ready() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    # The mark says how 32-bit programs ran at the boot: a prefix booted while they could not run
    # has no 32-bit side, and is booted again (updated) once they can.
    if [ "$(cat "$WINEPREFIX/.zarvex-ready" 2>/dev/null)" != "$zarvex_run32" ]; then
      # Only a prefix that booted is marked ready; a failed boot is retried next time. An existing
      # prefix is set up again: Wine skips one whose timestamp says current, 32-bit side or not.
      local boot=--init
      if [ -f "$WINEPREFIX/system.reg" ]; then
        rm -f "$WINEPREFIX/.update-timestamp"
        boot=--update
      fi
      if wineboot "$boot" >/dev/null 2>&1 && wineserver -w; then
        echo "$zarvex_run32" > "$WINEPREFIX/.zarvex-ready"
      else
        echo "wine-env: wineboot failed for $WINEPREFIX" >&2
        exit 1
      fi
    fi
    rm -f "$WINEPREFIX/dosdevices/z:"
    # Wine links Desktop, Documents... to the Linux home; give the prefix folders of its own.
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
      if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
    done
    mkdir -p "$WINEPREFIX/drive_c/zarvex/bin"
  ) 9>"$WINEPREFIX.lock"
}

# Copies the build's programs (and the tests' DLL) into C:\zarvex\bin, where they run.
zarvex_copy_bin() {
  local bindir=$1
  (
    flock 9
    cp -u "$bindir"/*.exe "$WINEPREFIX/drive_c/zarvex/bin/"
    for dll in "$bindir"/*.dll; do
      if [ -e "$dll" ]; then cp -u "$dll" "$WINEPREFIX/drive_c/zarvex/bin/"; fi
    done
  ) 9>"$WINEPREFIX.lock"
}

# A session for a whole run: a display, the prefix, one wineserver kept alive throughout, and
# Wine's services started away from our pipes. Everything it started ends when the caller exits.
zarvex_session_start() {
  # The clean-up is in place before anything that can fail has started.
  trap 'wineserver -k 2>/dev/null || true; [ -n "${zarvex_xvfb_pid:-}" ] && kill "$zarvex_xvfb_pid" 2>/dev/null || true' EXIT
  source "$zarvex_root/tools/xvfb.sh"
  zarvex_prefix_ready
  # Fails when a server already runs for this prefix; that one then serves the session.
  wineserver -p 2>/dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
