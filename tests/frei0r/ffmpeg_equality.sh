# ffmpeg's frei0r filter gives, pixel for pixel, velmora render --depth 8 with the same
# controls; values outside 0..1 are held to it and NaN leaves a control as it was.
source "$(dirname "$0")/common.sh"
need ffmpeg

make_frames in 96x64 3

# frei0r parameters in order (radius|intensity|mode|tint|tint-color|tint-mode|unmultiply|
# gamma|repeat-edges), then the velmora flags that mean the same.
cases=(
  ""
  ""
  "0.12|0.25|0.75|y|1/0.5/0.25|0.5|n|n|n"
  "--radius 60 --intensity 2.75 --mode add --tint 1,0.5,0.25 --tint-mode soft"
  "0.04|0.5|0|n|0/0/0|0|y|y|y"
  "--radius 20 --intensity 5.5 --unmultiply --gamma --repeat-edges"
  "-3|7|nan|y|2/-1/0.5|1.5|n|n|n"
  "--radius 0 --intensity 11 --tint 1,0,0.5 --tint-mode light-blend"
  "nan|-0.5|1|n|0/0/0|0.34|n|n|n"
  "--intensity 0 --mode add --tint-mode soft"
)
for ((c = 0; c < ${#cases[@]}; c += 2)); do
  params=${cases[c]} flags=${cases[c + 1]}
  filter="frei0r=velmora${params:+:$params}"
  rm -f out*.png ref*.png
  ffmpeg -v error -y -i in%d.png -vf "$filter" -pix_fmt rgba out%d.png ||
    fail "ffmpeg -vf '$filter' failed"
  for i in 1 2 3; do
    # shellcheck disable=SC2086  # the flags are words
    render_reference "in$i.png" "ref$i.png" $flags
    same_pixels "out$i.png" "ref$i.png" "frame $i of -vf '$filter' against velmora $flags"
  done
  # The default glow changes the frames: the comparisons are not of copies of the input.
  if [ "$c" -eq 0 ] && cmp -s <(rgba in1.png) <(rgba out1.png); then
    fail "the default glow left the frame unchanged"
  fi
done
echo "ok: $((${#cases[@]} / 2)) control sets equal to velmora render --depth 8"
