#!/usr/bin/env bash
# The Debian package on a clean Debian 12 root made from the Debian registry: installed with apt,
# used as a user (the command, ffmpeg and melt with no FREI0R_PATH, the manual page), then purged
# with nothing of it left behind. Needs root (or sudo) and mmdebstrap.
#   tests/package/package_test.sh build/release/velmora_1.0.0_amd64.deb
set -euo pipefail

deb=$(realpath "$1")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
here=$(cd "$(dirname "$0")" && pwd)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

work=$(mktemp -d /tmp/velmora-package.XXXXXX)
cleanup() { $sudo rm -rf "$work"; }
trap cleanup EXIT
cp "$deb" "$here/in_root.sh" "$work/"
chmod 0755 "$work" "$work/in_root.sh"
chmod 0644 "$work/$(basename "$deb")"

# The root holds what a user of the package would have: the video tools with the system's
# frei0r filters, and man; nothing of the build. The hooks run with the root's /proc and /dev mounted; the result is thrown away.
$sudo mmdebstrap --variant=apt --mode=root \
  --include=ffmpeg,melt,frei0r-plugins,man-db,passwd,util-linux,python3-numpy \
  --customize-hook="mkdir -p \"\$1/velmora-test\" && cp -a $work/. \"\$1/velmora-test/\"" \
  --customize-hook="chroot \"\$1\" /velmora-test/in_root.sh /velmora-test/$(basename "$deb")" \
  bookworm /dev/null "$mirror"
echo "package test passed"
