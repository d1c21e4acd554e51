# Sourced: gives the caller an X display, starting Xvfb when there is none.
# Xvfb picks a free display number itself and writes it to -displayfd once it is ready, so two
# sessions starting together never race for one number, and a failed start is seen.
if [ -z "${DISPLAY:-}" ]; then
  zarvex_xvfb_fifo=$(mktemp -u)
  mkfifo "$zarvex_xvfb_fifo"
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$zarvex_xvfb_fifo" >/dev/null 2>&1 &
  zarvex_xvfb_pid=$!
  zarvex_display=
  read -r -t 30 zarvex_display <"$zarvex_xvfb_fifo" || true
  rm -f "$zarvex_xvfb_fifo"
  if [ -z "$zarvex_display" ]; then
    kill "$zarvex_xvfb_pid" 2>/dev/null || true
    echo "xvfb: Xvfb did not start" >&2
    return 1 2>/dev/null || exit 1
  fi
  export DISPLAY=":$zarvex_display"
fi
