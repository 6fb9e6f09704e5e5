#!/usr/bin/env bash
# Frames per second of velmora preview's page while the radius slider is dragged: headless
# Chromium, driven over its DevTools protocol, drags the slider for SECONDS (a mouse move every
# 16 ms) over a 1080p and a 2160p frame (the sample scaled up), and the frames the page shows
# from the press to the release are counted. Not a test.
#
#   bench/preview_drag.sh [SECONDS] [BUILD_DIR] [SIZES]
#     defaults: 3, build/release, "1920x1080 3840x2160"
#
# fps is frames shown over the drag's length; gap_ms the longest wait between two of them
# (the first from the press); scales what the page asked for (from the last frame's time, the
# largest scale whose frame should take at most 150 ms, down to 1/8).
set -euo pipefail

seconds=${1:-3}
build=${2:-build/release}
sizes=${3:-1920x1080 3840x2160}
here=$(cd "$(dirname "$0")/.." && pwd)
velmora="$build/cli/velmora"
[ -x "$velmora" ] || { echo "velmora: bench: $velmora not built (cmake --build --preset release)" >&2; exit 1; }
command -v chromium >/dev/null || { echo "velmora: bench: chromium not found (scripts/install-deps.sh)" >&2; exit 1; }
/usr/bin/python3 -c 'import websocket' 2>/dev/null ||
  { echo "velmora: bench: python3-websocket not found (scripts/install-deps.sh)" >&2; exit 1; }

work=$(mktemp -d)
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

printf '%-10s %6s %8s %7s %8s  %s\n' size frames drag_ms fps gap_ms scales
for size in $sizes; do
  frame="$work/frame-$size.png"
  oiiotool "$here/samples/sample.png" --resize "$size" -o "$frame"
  "$velmora" preview "$frame" --save-as "$work/look.toml" >"$work/line" 2>"$work/err" &
  server=$!
  for _ in $(seq 600); do grep -q 'http://' "$work/line" 2>/dev/null && break; sleep 0.1; done
  url=$(grep -o 'http://[^ ]*' "$work/line") ||
    { echo "velmora: bench: the preview did not start: $(cat "$work/err")" >&2; exit 1; }
  /usr/bin/python3 "$here/tests/cli/preview_page_driver.py" drag "$url" "$work/profile-$size" \
    "$seconds" >"$work/report"
  kill "$server"
  wait "$server" 2>/dev/null || true
  server=""
  /usr/bin/python3 - "$size" "$work/report" <<'PY'
import json, sys
size, path = sys.argv[1], sys.argv[2]
r = json.load(open(path))
if r.get("error"):
    sys.exit("velmora: bench: " + r["error"])
times = [0.0] + r["frame_times_ms"] + [r["drag_ms"]]
gap = max(b - a for a, b in zip(times, times[1:]))
scales = sorted(set(s.strip("()").replace("at ", "") for s in r["scales"]))
print("%-10s %6d %8.0f %7.2f %8.0f  %s" % (size, r["frames_during_drag"], r["drag_ms"],
      1000 * r["frames_during_drag"] / r["drag_ms"], gap, " ".join(scales)))
PY
done
