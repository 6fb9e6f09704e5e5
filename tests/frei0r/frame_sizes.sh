# A frame size change between two ffmpeg runs: each run's frames equal velmora's. And the
# effect failing on a frame (too wide for the host once the edges are repeated) leaves that
# frame as it came, says so once, and ffmpeg carries on.
source "$(dirname "$0")/common.sh"
need ffmpeg

for size in 96x64 48x80; do
  make_frames "in$size-" "$size" 2
  ffmpeg -v error -y -i "in$size-%d.png" -vf "frei0r=velmora:0.08|0.2" -pix_fmt rgba \
    "out$size-%d.png" || fail "ffmpeg at $size"
  for i in 1 2; do
    render_reference "in$size-$i.png" "ref$size-$i.png" --radius 40 --intensity 2.2
    same_pixels "out$size-$i.png" "ref$size-$i.png" "frame $i at $size"
  done
done

# 29984 pixels wide: rows ffmpeg keeps unpadded, as frei0r frames must be; with the edges
# repeated the effect needs a world wider than the host's 30000.
make_frames wide 29984x2 2
ffmpeg -v error -y -i wide%d.png -vf "frei0r=velmora:1|0.5|0|n|1/0/0|0|n|n|y" -pix_fmt rgba \
  wideout%d.png 2>stderr.txt || fail "ffmpeg stopped on the frames the effect failed on"
for i in 1 2; do same_pixels "wideout$i.png" "wide$i.png" "failed frame $i"; done
told=$(grep -c "^velmora: frei0r: .*the effect failed to render: .*pass through unchanged$" \
  stderr.txt || true)
[ "$told" -eq 1 ] || {
  cat stderr.txt >&2
  fail "the failure was said $told times, not once"
}
echo "ok: two frame sizes, and failed frames passed through"
