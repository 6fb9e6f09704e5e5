#!/usr/bin/env bash
# The release zip holds what users need and the very DLL the wine test ran: the DLL equals the
# Windows build's, its PiPL carries that build's property list, whose version word is the
# project's version; the sums match; the install text names the category and the effect.
#   tests/release/release_zip_test.sh out/velmora-1.0.0-windows.zip build/windows
set -euo pipefail

zip=$(realpath "$1")
windows_build=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "velmora: release zip: $*" >&2; exit 1; }

version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=velmora-$version-windows
[ "$(basename "$zip")" = "$name.zip" ] || fail "$(basename "$zip") is not named for version $version"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
expected="$name/ $name/INSTALL.txt $name/LICENSE.txt $name/SHA256SUMS.txt $name/VERSION.txt $name/Velmora.aex"
listed=$(cd "$work" && find "$name" \( -type d -printf '%p/\n' -o -type f -print \) | sort | tr '\n' ' ')
[ "$listed" = "$expected " ] || fail "contents are '$listed', expected '$expected'"
dir=$work/$name

cmp -s "$dir/Velmora.aex" "$windows_build/plugin/Velmora.aex" \
  || fail "Velmora.aex is not the one in $windows_build/plugin (the one the wine test ran)"
(cd "$dir" && sha256sum --quiet -c SHA256SUMS.txt) || fail "SHA256SUMS.txt does not match"
[ "$(tr -d '\r' < "$dir/VERSION.txt")" = "$version" ] || fail "VERSION.txt is not $version"
grep -q '"Tarnwick"' "$dir/INSTALL.txt" && grep -q '"Velmora"' "$dir/INSTALL.txt" \
  && grep -q 'Plug-ins' "$dir/INSTALL.txt" || fail "INSTALL.txt lacks the folder, category or name"
grep -q "$version" "$dir/INSTALL.txt" || fail "INSTALL.txt does not give version $version"
grep -q '@' "$dir/INSTALL.txt" && fail "INSTALL.txt has an unfilled @...@"
cmp -s "$dir/LICENSE.txt" <(sed 's/\r*$/\r/' "$root/LICENSE") || fail "LICENSE.txt is not LICENSE"

# The PiPL inside the DLL: the Windows build's property list, version word = project version.
python3 - "$dir/Velmora.aex" "$windows_build/plugin/Velmora.pipl" "$version" <<'PY'
import struct, sys
dll, pipl, version = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read(), sys.argv[3]
def fail(why):
    sys.exit("velmora: release zip: " + why)
if pipl not in dll:
    fail("the DLL does not hold the build's Velmora.pipl")
at = pipl.find(b"MIB8REVe")  # vendor and key of the version property, stored little-endian
if at < 0:
    fail("Velmora.pipl has no version property")
length, word = struct.unpack_from("<II", pipl, at + 12)
if length != 4:
    fail("the version property is %d bytes" % length)
major = ((word >> 26) & 0xF) << 3 | (word >> 19) & 0x7
found = "%d.%d.%d" % (major, (word >> 15) & 0xF, (word >> 11) & 0xF)
if found != version:
    fail("the PiPL's version is %s, the project's %s" % (found, version))
PY
echo "release zip $name.zip: contents, DLL, sums and PiPL version $version checked"
