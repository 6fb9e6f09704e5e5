#!/bin/sh
# Run inside the clean root by package_test.sh: install, use as a user, purge, compare.
set -eu
deb=$1
fail() { echo "velmora: package test: $*" >&2; exit 1; }

# The files of the root before: everything but the caches, logs and apt's own state.
listing() {
  find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /tmp -o -path /run \
    -o -path /home -o -path /root -o -path /velmora-test -o -path /var/cache \
    -o -path /var/log -o -path /var/lib/apt -o -path /var/lib/dpkg \) -prune -o -print | sort
}
useradd -m tester
listing > /velmora-test/before

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
(cd "$(dirname "$deb")" && apt-get install -y -qq "./$(basename "$deb")") > /velmora-test/install.log

run() { runuser -u tester -- env -u FREI0R_PATH -u VELMORA_EFFECT_MODULE sh -c "cd ~ && $1"; }
run 'velmora --version' | tee /dev/stderr | grep -q '^effect Velmora ' \
  || fail "velmora --version shows no effect"
run 'velmora render /usr/share/velmora/samples/sample.png glow.png -q && test -s glow.png' \
  || fail "velmora render of the sample"
run 'velmora render /usr/share/velmora/samples/sample.png look.png -q --preset /usr/share/velmora/presets/look.toml' \
  || fail "velmora render with the example preset"
run 'ffmpeg -v error -f lavfi -i testsrc2=size=320x180:rate=25 -t 0.4 -vf "frei0r=velmora:0.12|0.25" -y glow.mp4 && test -s glow.mp4' \
  || fail "ffmpeg -vf frei0r=velmora"
run 'melt -query filter=frei0r.velmora' | grep -q 'identifier: frei0r.velmora' \
  || fail "melt does not list frei0r.velmora"
run 'melt -query filters' | grep -c 'frei0r\.' | { read -r n; [ "$n" -gt 1 ] || fail "melt lists $n frei0r filters"; }
run 'python3 -c "import velmora; print(velmora.__version__)"' | grep -q '^[0-9]' \
  || fail "import velmora"
run 'MANPAGER=cat MANWIDTH=80 man velmora' | grep -q 'velmora render' || fail "man velmora"
run 'bash -c ". /usr/share/bash-completion/completions/velmora && complete -p velmora"' >/dev/null \
  || fail "bash completion"
echo "installed and used as a user: velmora, ffmpeg, melt, import velmora, man"

apt-get purge -y -qq --autoremove velmora > /velmora-test/purge.log
! dpkg -s velmora >/dev/null 2>&1 || fail "velmora still known to dpkg"
listing > /velmora-test/after
if ! diff /velmora-test/before /velmora-test/after; then fail "files left after purge"; fi
echo "purged: nothing left"
