#!/usr/bin/env bash
# Installs the Debian packages the project needs, by job:
#   scripts/install-deps.sh build   building the command, the effect and the frei0r filter, and
#                                   rendering with them (what `make demo` and `make package` need)
#   scripts/install-deps.sh package that, and the Python module's build (what `make package` and
#                                   `make install` need, so the package carries `import velmora`)
#   scripts/install-deps.sh all     those, and everything the whole test suite uses: the Windows
#                                   cross build and wine, the sanitizer and fuzz builds (clang),
#                                   ffmpeg and MLT, Slurm, Chromium, the package test's mmdebstrap
# With no argument: all. Safe to run again: packages already present are skipped.
set -euo pipefail

build=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libopenimageio-dev libopencolorio-dev libcli11-dev nlohmann-json3-dev libcpp-httplib-dev
  frei0r-plugins-dev
)
# The Python module (`import velmora`), built when these are there.
python=(
  python3-dev python3-pybind11 python3-numpy
)
tests=(
  clang libclang-rt-dev clang-format
  openimageio-tools
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  ffmpeg melt frei0r-plugins time
  slurm-wlm munge
  chromium
  mmdebstrap zip unzip python3
  python3-websocket python3-pytest python3-openimageio python3-pyopencolorio
)

case "${1:-all}" in
  build) packages=("${build[@]}") ;;
  package) packages=("${build[@]}" "${python[@]}") ;;
  all) packages=("${build[@]}" "${python[@]}" "${tests[@]}") ;;
  *) echo "velmora: install-deps.sh: '$1' is not one of build, package, all" >&2; exit 2 ;;
esac

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
