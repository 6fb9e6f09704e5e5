#!/usr/bin/env bash
# Sequence renders by the velmora command of a ThreadSanitizer build: three float EXR frames
# large enough for the host to work in parallel, then the same as 8-bit PNGs with the tint and
# repeated edges. ThreadSanitizer ends the run with an error at its first report.
#
#   sanitizers/tsan_sequence_render.sh BUILD      e.g. sanitizers/tsan_sequence_render.sh build/tsan
set -euo pipefail

build=$1
here=$(cd "$(dirname "$0")" && pwd)
export TSAN_OPTIONS="suppressions=$here/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for frame in 1 2 3; do
  oiiotool --pattern checker:width=$((frame * 8)):height=8 320x240 4 -d float -o "$work/plate.000$frame.exr"
  oiiotool "$work/plate.000$frame.exr" -d uint8 -o "$work/plate.000$frame.png"
done
"$build/cli/velmora" render "$work/plate.####.exr" "$work/glow.####.exr" --frames 1-3 --radius 12
"$build/cli/velmora" render "$work/plate.####.png" "$work/glow.####.png" --frames 1-3 \
  --radius 30 --tint '#FF8800' --repeat-edges --depth 16
ls "$work"/glow.000[123].exr "$work"/glow.000[123].png >/dev/null
echo "tsan: sequence renders clean"
