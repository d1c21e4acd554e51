#!/usr/bin/env bash
# Benchmark, not a test: fetches a 64 MiB body, plain and gzip-encoded, from a loopback server,
# through TIEHTTP (under Wine) and through curl, and prints the ratios against the targets:
# component time within 2 x curl's, peak memory at most 4 x the body.
#   tools/bench-http.sh <build folder>
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:?build folder}")
cmake --build "$zarvex_build" --target zarvex-bench-http -j2 >/dev/null
source tools/wine-env.sh
zarvex_prefix_ready

work=$(mktemp -d)
server_pid=
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

cat >"$work/server.py" <<'PY'
import gzip, http.server, socketserver, sys
line = b"0123456789 the quick brown fox jumps over the lazy dog 0123456789\r\n"
plain = (line * (64 * 1024 * 1024 // len(line) + 1))[:64 * 1024 * 1024]
packed = gzip.compress(plain, 6, mtime=0)
class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def log_message(self, *args): pass
    def do_GET(self):
        body, extra = (packed, [("Content-Encoding", "gzip")]) if self.path.startswith("/gzip") else (plain, [])
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        for k, v in extra: self.send_header(k, v)
        self.end_headers()
        self.wfile.write(body)
class Server(socketserver.ThreadingMixIn, http.server.HTTPServer): daemon_threads = True
server = Server(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
python3 "$work/server.py" >"$work/port" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -1 "$work/port")
body=$((64 * 1024 * 1024))

for kind in plain gzip; do
  url="http://127.0.0.1:$port/$kind"
  curl_flags=(-s -o /dev/null -w '%{time_total}')
  [ "$kind" = gzip ] && curl_flags+=(--compressed)
  curl "${curl_flags[@]}" "$url" >/dev/null  # warm the server's caches
  curl_s=$(curl "${curl_flags[@]}" "$url")
  out=$(tools/wine-run.sh "$zarvex_build/bin/zarvex-bench-http.exe" "$url" | tr -d '\r' | grep '^seconds=')
  eval "$(echo "$out" | tr ' ' '\n' | grep -E '^(seconds|text_seconds|body|peak|peak_before)=')"
  python3 - "$kind" "$seconds" "$curl_s" "$body" "$peak" "$peak_before" "$text_seconds" <<'PY'
import sys
kind, ours, curl, got, peak, before, text = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6]), float(sys.argv[7])
size = 64 * 1024 * 1024
ratio = ours / curl if curl > 0 else float("inf")
mem = peak / size
print(f"{kind:5}: component {ours:.3f} s (of which lines {text:.3f} s), curl {curl:.3f} s, ratio {ratio:.2f} (target <= 2.00) {'OK' if ratio <= 2 else 'MISSED'}; "
      f"peak memory {peak / 2**20:.1f} MiB = {mem:.2f} x body (target <= 4.00) {'OK' if mem <= 4 else 'MISSED'}; body {got} bytes")
PY
done
