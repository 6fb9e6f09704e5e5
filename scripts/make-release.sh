#!/usr/bin/env bash
# The Windows plug-in's release: the DLL of a Windows build (the one its wine test ran), an install
# text, the licence, the version and SHA-256 sums, in OUT/velmora-<version>-windows.zip.
#   scripts/make-release.sh build/windows out
set -euo pipefail

windows_build=$1
out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "velmora: make-release: $*" >&2; exit 1; }

# The one version source: project() in CMakeLists.txt.
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || fail "no project() version in CMakeLists.txt"
module=$windows_build/plugin/Velmora.aex
[ -f "$module" ] || fail "$module: not built (make windows)"

name=velmora-$version-windows
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$module" "$stage/$name/Velmora.aex"
cp "$root/LICENSE" "$stage/$name/LICENSE.txt"
printf '%s\n' "$version" > "$stage/$name/VERSION.txt"
sed "s/@VERSION@/$version/g" "$root/scripts/release-install.txt" > "$stage/$name/INSTALL.txt"
# Windows readers expect CRLF in text files.
for f in INSTALL.txt LICENSE.txt VERSION.txt; do sed -i 's/\r*$/\r/' "$stage/$name/$f"; done
(cd "$stage/$name" && sha256sum Velmora.aex INSTALL.txt LICENSE.txt VERSION.txt > SHA256SUMS.txt)

mkdir -p "$out"
rm -f "$out/$name.zip"
(cd "$stage" && zip -q -X -r "$name.zip" "$name")
mv "$stage/$name.zip" "$out/"
(cd "$out" && sha256sum "$name.zip" > "$name.zip.sha256")
echo "wrote $out/$name.zip"
