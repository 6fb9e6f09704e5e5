# Shared by the frei0r tests: arguments, skipping, clips and frame comparison.
# Each test runs as: bash TEST.sh VELMORA_COMMAND FREI0R_MODULE_FOLDER
set -euo pipefail

VELMORA=$1
export FREI0R_PATH=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

# Exit code 77 tells ctest the test was skipped.
need() {
  for program in "$@"; do
    if ! command -v "$program" >/dev/null; then
      echo "skipped: $program is not installed (scripts/install-deps.sh installs it)"
      exit 77
    fi
  done
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# make_frames PREFIX WIDTHxHEIGHT COUNT: PREFIX1.png ... of a moving test pattern, RGBA.
make_frames() {
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=$2:rate=5" -frames:v "$3" -pix_fmt rgba "$1%d.png"
}

# The decoded RGBA bytes of an image, so PNG encoder choices cannot hide or fake a difference.
rgba() {
  ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgba -
}

# same_pixels A B WHAT: A and B hold the same RGBA pixels.
same_pixels() {
  [ -f "$1" ] || fail "$3: $1 was not written"
  [ -f "$2" ] || fail "$3: $2 was not written"
  cmp -s <(rgba "$1") <(rgba "$2") || fail "$3: $1 and $2 differ"
}

# render_reference IN OUT FLAGS...: velmora's 8-bit render of one frame.
render_reference() {
  local input=$1 output=$2
  shift 2
  "$VELMORA" render "$input" "$output" --depth 8 "$@" >/dev/null
}
