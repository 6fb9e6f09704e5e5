# melt with the filter on a clip, its radius keyframed: each frame equals velmora render
# --depth 8 at that frame's radius. Two filters at once share the process's one loaded effect.
source "$(dirname "$0")/common.sh"
need ffmpeg melt

make_frames in 96x64 3
# A lossless RGBA clip, and a profile of its own size and rate so melt neither scales nor
# converts it.
ffmpeg -v error -y -framerate 5 -i in%d.png -c:v png -pix_fmt rgba clip.mov
cat >profile <<'PROFILE'
description=96x64 at 5 frames a second, square pixels
frame_rate_num=5
frame_rate_den=1
width=96
height=64
progressive=1
sample_aspect_num=1
sample_aspect_den=1
display_aspect_num=3
display_aspect_den=2
colorspace=709
PROFILE

# render_melt OUTPUT FILTER_ARGUMENTS...: the clip through melt, its frames as OUTPUT1.png ...
render_melt() {
  local output=$1
  shift
  melt -silent -profile ./profile clip.mov "$@" \
    -consumer "avformat:$output.mov" vcodec=png pix_fmt=rgba mlt_image_format=rgba an=1 real_time=0 \
    >melt.log 2>&1 || {
    cat melt.log >&2
    fail "melt $*"
  }
  ffmpeg -v error -y -i "$output.mov" -pix_fmt rgba "$output%d.png"
}

# Radius 0.1 at frame 0 and 0.3 at frame 2: 50, 100 and 150 pixels.
render_melt keyed -filter frei0r.velmora 'radius=0=0.1;2=0.3' intensity=0.25
for i in 1 2 3; do
  render_reference "in$i.png" "ref$i.png" --radius $((i * 50)) --intensity 2.75
  same_pixels "keyed$i.png" "ref$i.png" "melt frame $i with radius keyframed"
done
cmp -s <(rgba keyed1.png) <(rgba keyed2.png) && fail "the keyframed radius did not change"

render_melt chained -filter frei0r.velmora radius=0.1 -filter frei0r.velmora radius=0.04 mode=0.9
for i in 1 2 3; do
  render_reference "in$i.png" "first$i.png" --radius 50
  render_reference "first$i.png" "second$i.png" --radius 20 --mode add
  same_pixels "chained$i.png" "second$i.png" "melt frame $i through two filters"
done
echo "ok: melt frames equal to velmora render --depth 8"
