#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the Windows cross build need.
# Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libopenimageio-dev libopencolorio-dev openimageio-tools libcli11-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  clang-format
  ffmpeg melt frei0r-plugins frei0r-plugins-dev time
  slurm-wlm munge
  libcpp-httplib-dev chromium python3-websocket
  python3-pybind11 python3-numpy python3-pytest python3-openimageio python3-pyopencolorio
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
