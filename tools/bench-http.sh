#!/usr/bin/env bash
# Benchmark, not a test: the HTTP component against a loopback server, figures against targets.
#  - 64 MiB plain body: transport through TIEHTTP against a plain Winsock receive loop on the same
#    server (target <= 1.5 x), and against curl; the line split as a figure of its own (the
#    transport figures fetch a body that starts with a zero byte, whose text ends at once).
#  - 64 MiB gzip-encoded body: transport with decoding against curl --compressed.
#  - Peak memory of the plain fetch against the body (target <= 4 x).
#  - A hostile run in one process (floods, damaged and concatenated gzip, a bomb, a cut body, the
#    charset paths; the largest answer decodes to 16 MiB): peak working set (target < 320 MiB).
#  - A 300 MiB body against the 256 MiB cap: must end with the error; peak working set.
#   tools/bench-http.sh <build folder>
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:?build folder}")
cmake --build "$zarvex_build" --target zarvex-bench-http -j2 >/dev/null
source tools/wine-env.sh
zarvex_prefix_ready
driver() { tools/wine-run.sh "$zarvex_build/bin/zarvex-bench-http.exe" "$@" | tr -d '\r'; }

work=$(mktemp -d)
server_pid=
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

cat >"$work/server.py" <<'PY'
import gzip, http.server, socketserver, sys, zlib
MiB = 1024 * 1024
line = b"0123456789 the quick brown fox jumps over the lazy dog 0123456789\r\n"
def text(size, unit=line): return (unit * (size // len(unit) + 1))[:size]
plain = text(64 * MiB)
packed = gzip.compress(plain, 6, mtime=0)
# A zero byte first ends the text at once, so a fetch of these times transport (and decoding) alone.
plain0 = b"\0" + plain[1:]
packed0 = gzip.compress(plain0, 6, mtime=0)
text16 = text(16 * MiB)
bad_crc = bytearray(gzip.compress(text16, 6, mtime=0)); bad_crc[-8] ^= 0x55
accents = "caf\u00e9 na\u00efve r\u00e9sum\u00e9 \u20ac 0123456789\r\n"
answers = {
    "/plain": (plain, []),
    "/gzip": (packed, [("Content-Encoding", "gzip")]),
    "/plain0": (plain0, []),
    "/gzip0": (packed0, [("Content-Encoding", "gzip")]),
    "/lf-flood.gz": (gzip.compress(b"\n" * 16 * MiB, 9, mtime=0), [("Content-Encoding", "gzip")]),
    "/cr-flood": (b"\r" * 16 * MiB, []),
    "/bad-crc.gz": (bytes(bad_crc), [("Content-Encoding", "gzip")]),
    "/members.gz": (gzip.compress(text16[:8 * MiB], 6, mtime=0) + gzip.compress(text16[8 * MiB:], 6, mtime=0),
                    [("Content-Encoding", "gzip")]),
    "/bomb.gz": (gzip.compress(b"\0" * 100 * MiB, 9, mtime=0), [("Content-Encoding", "gzip")]),
    "/utf-8": (text(16 * MiB, accents.encode("utf-8")).decode("utf-8", "ignore").encode("utf-8"),
               [("Content-Type", "text/plain; charset=utf-8")]),
    "/utf-16": (text(16 * MiB, accents.encode("utf-16-le")), [("Content-Type", "text/plain; charset=utf-16")]),
    "/plain-16": (text16, []),
}
class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def log_message(self, *args): pass
    def do_GET(self):
        if self.path == "/cut":  # announces 16 MiB, sends half, closes
            self.send_response(200); self.send_header("Content-Length", str(16 * MiB)); self.end_headers()
            self.wfile.write(text16[:8 * MiB]); return
        if self.path == "/over-cap":  # 300 MiB, no length
            self.send_response(200); self.end_headers()
            chunk = text(MiB)
            try:
                for _ in range(300): self.wfile.write(chunk)
            except (ConnectionResetError, BrokenPipeError): pass  # the client stopped at its cap
            return
        body, extra = answers[self.path]
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
for _ in $(seq 300); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -1 "$work/port")
base="http://127.0.0.1:$port"
field() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
best() { sort -g | head -1; }  # the best of three runs: the machine is shared

curl_s() { for _ in 1 2 3; do curl -s -o /dev/null -w '%{time_total}\n' "$@"; done | best; }
curl "$base/plain" -s -o /dev/null
curl_plain=$(curl_s "$base/plain")
curl_gzip=$(curl_s --compressed "$base/gzip")
winsock_runs=$(for _ in 1 2 3; do driver winsock "$base/plain0" | grep '^seconds='; done)
winsock=$(echo "$winsock_runs" | while read -r run; do field "$run" seconds; done | best)
winsock_count=$(echo "$winsock_runs" | while read -r run; do field "$run" count_seconds; done | best)
fetch_best() { for _ in 1 2 3; do driver fetch "$1" | grep '^seconds='; done | sort -t= -k2 -g | head -1; }
transport=$(fetch_best "$base/plain0")
decoding=$(fetch_best "$base/gzip0")
plain=$(fetch_best "$base/plain")

python3 - "$curl_plain" "$curl_gzip" "$winsock" "$transport" "$decoding" "$plain" "$winsock_count" <<'PY'
import sys
curl_plain, curl_gzip, winsock = map(float, sys.argv[1:4])
def parse(s): return {k: float(v) for k, v in (p.split("=") for p in s.split())}
transport, decoding, plain = parse(sys.argv[4]), parse(sys.argv[5]), parse(sys.argv[6])
winsock_count = float(sys.argv[7])
size = 64 * 1024 * 1024
def mark(ok): return "OK" if ok else "MISSED"
t = transport["seconds"]
print(f"plain 64 MiB: transport {t:.3f} s, Winsock loop keeping the body (sized from Content-Length) {winsock:.3f} s, ratio {t / winsock:.2f} (target <= 1.50) {mark(t <= 1.5 * winsock)}")
print(f"plain 64 MiB: Winsock loop only counting the bytes {winsock_count:.3f} s (ratio {t / winsock_count:.2f}); curl to /dev/null {curl_plain:.3f} s (ratio {t / curl_plain:.2f})")
g = decoding["seconds"]
print(f"gzip  64 MiB: transport with decoding {g:.3f} s, curl --compressed {curl_gzip:.3f} s, ratio {g / curl_gzip:.2f}")
print(f"plain 64 MiB: line split {plain['text_seconds']:.3f} s for {int(plain['lines'])} lines, {plain['text_seconds'] / curl_plain:.2f} x curl's whole fetch; whole Execute {plain['seconds']:.3f} s")
mem = plain["peak_private"] / size
print(f"plain 64 MiB: peak private memory {plain['peak_private'] / 2**20:.1f} MiB = {mem:.2f} x body (target <= 4.00) {mark(mem <= 4)}; body {int(plain['body'])} bytes")
PY

echo "hostile run, one process:"
hostile=$(driver hostile "$base/lf-flood.gz" "$base/cr-flood" "$base/bad-crc.gz" "$base/members.gz" "$base/bomb.gz" \
  "$base/cut" "$base/utf-8" "$base/utf-16" "$base/plain-16")
echo "$hostile" | grep -v '^peak_working_set='
peak=$(field "$(echo "$hostile" | grep '^peak_working_set=')" peak_working_set)
python3 -c "p = $peak / 2**20; print(f'hostile run: peak working set {p:.1f} MiB (target < 320) {\"OK\" if p < 320 else \"MISSED\"}')"

echo "300 MiB body, no length, against the 256 MiB cap:"
over=$(driver hostile "$base/over-cap")
echo "$over" | grep -v '^peak_working_set='
peak=$(field "$(echo "$over" | grep '^peak_working_set=')" peak_working_set)
python3 -c "p = $peak / 2**20; print(f'over the cap: peak working set {p:.1f} MiB')"
